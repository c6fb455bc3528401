// libFuzzer target for the .ods reader. An input that starts with "PK" is a whole package; any
// other input is the content part, put into a package here so that the fuzzer reaches the XML
// reader without forging zips. Every sheet's used block is then read cell by cell.
#include "platform/excel/Workbook.h"

#include <QByteArray>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <zip.h>

namespace {

QByteArray packageOf(const QByteArray& content)
{
    static const QByteArray mimetype = "application/vnd.oasis.opendocument.spreadsheet";
    static const QByteArray manifest = "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\"/>";
    const std::pair<const char*, const QByteArray*> files[] = {
        {"mimetype", &mimetype}, {"META-INF/manifest.xml", &manifest}, {"content.xml", &content}};
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kovel::excel::Limits limits;
    // Small caps so that a bomb or a huge repeat is refused quickly instead of running out of memory.
    limits.maxUnpackedBytes = 8 << 20;
    limits.maxPartBytes = 4 << 20;
    limits.maxCells = 200'000;
    limits.maxSheets = 64;
    limits.maxCellTextChars = 100'000;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!bytes.startsWith("PK")) bytes = packageOf(bytes);
    QString error;
    const auto book = kovel::excel::Workbook::FromOdsBytes(bytes, QStringLiteral("fuzz.ods"), error, limits);
    if (!book) return 0;
    std::size_t seen = 0;
    for (std::int32_t i = 1; i <= book->Count(); ++i) {
        const kovel::excel::Worksheet* s = book->Item(i);
        const kovel::excel::CellRange r = s->UsedRange();
        seen += std::size_t(s->CountA()) + s->MergedAreas().size();
        for (std::int32_t row = r.firstRow; row <= std::min(r.lastRow, r.firstRow + 40); ++row)
            for (std::int32_t col = r.firstColumn; col <= std::min(r.lastColumn, r.firstColumn + 20); ++col) {
                seen += std::size_t(s->Text(row, col).size()) + std::size_t(s->Value(row, col).type);
                const kovel::excel::CellRange m = s->MergeArea(row, col);
                if (m.firstRow > row || m.lastRow < row || m.firstColumn > col || m.lastColumn < col) __builtin_trap();
            }
    }
    return seen == std::size_t(-1) ? 1 : 0;
}
