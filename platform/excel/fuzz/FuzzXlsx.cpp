// libFuzzer target for the .xlsx reader. An input that starts with "PK" is a whole package;
// any other input is the worksheet, shared-texts and styles parts (split at NUL bytes) put
// into a package here, so that the fuzzer reaches the XML readers without forging zips.
#include "platform/excel/Workbook.h"

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <zip.h>

namespace {

QByteArray packageOf(const QList<QByteArray>& parts)
{
    static const QByteArray rels =
        "<Relationships><Relationship Id=\"r\" Type=\"x/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
    static const QByteArray workbook =
        "<workbook><workbookPr date1904=\"0\"/><sheets><sheet name=\"S\" r:id=\"r1\"/>"
        "<sheet name=\"C\" r:id=\"r2\" state=\"hidden\"/></sheets></workbook>";
    static const QByteArray bookRels =
        "<Relationships><Relationship Id=\"r1\" Type=\"x/worksheet\" Target=\"worksheets/s.xml\"/>"
        "<Relationship Id=\"r2\" Type=\"x/chartsheet\" Target=\"charts/c.xml\"/>"
        "<Relationship Id=\"r3\" Type=\"x/sharedStrings\" Target=\"/xl/sst.xml\"/>"
        "<Relationship Id=\"r4\" Type=\"x/styles\" Target=\"../xl/styles.xml\"/></Relationships>";
    static const QByteArray styles =
        "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"d/m/yyyy h:mm;@\"/>"
        "<numFmt numFmtId=\"165\" formatCode=\"#,##0.00 &quot;EUR&quot;;[Red]-0.0%;0;@\"/></numFmts>"
        "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"165\"/><xf numFmtId=\"13\"/>"
        "<xf numFmtId=\"11\"/><xf numFmtId=\"49\"/><xf numFmtId=\"47\"/></cellXfs></styleSheet>";
    const QByteArray sheet = parts.value(0);
    const QByteArray sst = parts.size() > 1 ? parts[1] : QByteArray("<sst><si><t>a</t></si><si><r><t>b</t></r></si></sst>");
    const QByteArray sty = parts.size() > 2 ? parts[2] : styles;
    const std::pair<const char*, const QByteArray*> files[] = {
        {"_rels/.rels", &rels}, {"xl/workbook.xml", &workbook}, {"xl/_rels/workbook.xml.rels", &bookRels},
        {"xl/worksheets/s.xml", &sheet}, {"xl/sst.xml", &sst}, {"xl/styles.xml", &sty}};

    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &err);
    QByteArray bytes;
    if (!out) return bytes;
    zip_source_keep(out);
    if (zip_t* z = zip_open_from_source(out, ZIP_TRUNCATE, &err)) {
        for (const auto& [name, data] : files) {
            zip_source_t* s = zip_source_buffer(z, data->constData(), zip_uint64_t(data->size()), 0);
            const zip_int64_t i = s ? zip_file_add(z, name, s, 0) : -1;
            if (i < 0) zip_source_free(s);
            else zip_set_file_compression(z, zip_uint64_t(i), ZIP_CM_STORE, 0);
        }
        if (zip_close(z) != 0) zip_discard(z);
    }
    if (zip_source_open(out) == 0) {
        char buf[65536];
        zip_int64_t got;
        while ((got = zip_source_read(out, buf, sizeof buf)) > 0) bytes.append(buf, qsizetype(got));
        zip_source_close(out);
    }
    zip_source_free(out);
    zip_error_fini(&err);
    return bytes;
}

// What a workbook shows, sampled: sheet names, used ranges, counts, texts and value flags.
QString shown(const kovel::excel::Workbook& book)
{
    QString out;
    for (std::int32_t i = 1; i <= book.Count(); ++i) {
        const kovel::excel::Worksheet* s = book.Item(i);
        const kovel::excel::CellRange r = s->UsedRange();
        out += s->Name() + u'|' + s->UsedRangeAddress() + u'|' + QString::number(s->CountA()) + u'\n';
        for (std::int32_t row = r.firstRow; row <= std::min(r.lastRow, r.firstRow + 40); ++row)
            for (std::int32_t col = r.firstColumn; col <= std::min(r.lastColumn, r.firstColumn + 20); ++col)
                out += s->Text(row, col) + (s->HasValue(row, col) ? u'+' : u'-');
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kovel::excel::Limits limits;
    // Small caps so that a bomb is refused quickly instead of running out of memory.
    limits.maxUnpackedBytes = 8 << 20;
    limits.maxPartBytes = 4 << 20;
    limits.maxCells = 200'000;
    limits.maxSharedStrings = 100'000;
    limits.maxSheets = 64;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!bytes.startsWith("PK"))
        bytes = packageOf(bytes.split('\0'));
    QString error;
    const auto book = kovel::excel::Workbook::FromXlsxBytes(bytes, QStringLiteral("fuzz.xlsx"), error, limits);
    // Every sheet read again in pieces by three threads must show the same, or be refused too.
    kovel::excel::Limits split = limits;
    split.splitSheetFromBytes = 1;
    split.sheetThreads = 3;
    QString splitError;
    const auto pieces = kovel::excel::Workbook::FromXlsxBytes(bytes, QStringLiteral("fuzz.xlsx"), splitError, split);
    if (bool(book) != bool(pieces) || (book && shown(*book) != shown(*pieces)))
        __builtin_trap();
    return 0;
}
