// libFuzzer target for this program's own .xls code, without FreeXL (which runs in a child):
// the check that a bare record stream is whole, the search for formula cells in a file's
// records, and the parent's reading of the records a child sends back (which a child gone
// wrong may have garbled).
#include "Fuzzing.h"
#include "platform/excel/WorkbookImpl.h"
#include "platform/excel/XlsChild.h"

#include <QBuffer>
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer stream;
    stream.setData(bytes);
    if (!stream.open(QIODevice::ReadOnly)) __builtin_trap();
    (void)kovel::excel::BareXlsStreamIsWhole(stream);

    const std::vector<std::uint8_t> file(data, data + size);
    std::vector<std::uint64_t> counts;
    const auto sheets = kovel::excel::xlschild::FormulaCells(file, 16, counts);
    if (sheets.size() != counts.size()) __builtin_trap();
    for (std::size_t i = 0; i < sheets.size(); ++i)
        if (sheets[i].size() > 16 || sheets[i].size() > counts[i]) __builtin_trap();

    const kovel::excel::Limits limits = fuzzing::SmallLimits();
    kovel::excel::Workbook book(QStringLiteral("fuzz.xls"));
    QString error;
    if (kovel::excel::xlschild::DecodeXlsRecords(bytes, book, limits, error)) {
        for (std::int32_t i = 1; i <= book.Count(); ++i)
            if (book.Item(i)->Text(1, 1).size() < 0) __builtin_trap();
    } else if (error.isEmpty()) {
        __builtin_trap();
    }
    return 0;
}
