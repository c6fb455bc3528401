// libFuzzer target for the .ods reader. An input that starts with "PK" is a whole package; any
// other input is the content part, put into a package here so that the fuzzer reaches the XML
// reader without forging zips. Every sheet's used block is then read cell by cell.
#include "Fuzzing.h"
#include "platform/excel/Workbook.h"

#include <QByteArray>
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

QByteArray packageOf(const QByteArray& content)
{
    static const QByteArray mimetype = "application/vnd.oasis.opendocument.spreadsheet";
    static const QByteArray manifest = "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\"/>";
    return fuzzing::StoredZip({{"mimetype", &mimetype}, {"META-INF/manifest.xml", &manifest}, {"content.xml", &content}});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const kovel::excel::Limits limits = fuzzing::SmallLimits();
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
