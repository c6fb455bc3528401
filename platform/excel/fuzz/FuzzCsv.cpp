// libFuzzer target: arbitrary bytes as a .csv file, then every shown text of its corner.
#include "platform/excel/Workbook.h"

#include <QByteArray>
#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kovel::excel::Limits limits;
    limits.maxCells = 200'000;
    limits.maxCellTextChars = 100'000;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    auto book = kovel::excel::Workbook::FromCsvBytes(bytes, QStringLiteral("fuzz.csv"), error, limits);
    if (!book)
        return 0;
    std::size_t chars = 0;
    const kovel::excel::Worksheet* s = book->Item(1);
    const kovel::excel::CellRange r = s->UsedRange();
    chars += std::size_t(s->UsedRangeAddress().size()) + std::size_t(s->CountA());
    for (std::int32_t row = r.firstRow; row <= std::min(r.lastRow, r.firstRow + 40); ++row)
        for (std::int32_t col = r.firstColumn; col <= std::min(r.lastColumn, r.firstColumn + 20); ++col)
            chars += std::size_t(s->Text(row, col).size());
    return chars == std::size_t(-1) ? 1 : 0;
}
