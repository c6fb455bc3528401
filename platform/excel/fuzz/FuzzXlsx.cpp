// libFuzzer target for the .xlsx reader. An input that starts with "PK" is a whole package;
// any other input is the worksheet, shared-texts and styles parts (split at NUL bytes) put
// into a package here, so that the fuzzer reaches the XML readers without forging zips.
#include "Fuzzing.h"
#include "platform/excel/Workbook.h"

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <cstddef>
#include <cstdint>

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
    return fuzzing::StoredZip({{"_rels/.rels", &rels}, {"xl/workbook.xml", &workbook}, {"xl/_rels/workbook.xml.rels", &bookRels},
                               {"xl/worksheets/s.xml", &sheet}, {"xl/sst.xml", &sst}, {"xl/styles.xml", &sty}});
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
    const kovel::excel::Limits limits = fuzzing::SmallLimits();
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
