#include "platform/excel/Workbook.h"

#include <gtest/gtest.h>

using namespace kovel::excel;

TEST(Columns, NamesAndNumbersAcrossTheWholeSheet)
{
    const std::pair<int, const char*> known[] = {{1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"}, {53, "BA"},
                                                 {702, "ZZ"}, {703, "AAA"}, {16384, "XFD"}};
    for (const auto& [n, letters] : known) {
        EXPECT_EQ(ColumnName(n), QString::fromLatin1(letters)) << n;
        EXPECT_EQ(ColumnNumber(QString::fromLatin1(letters)), n) << letters;
    }
    for (int n = 1; n <= MaxColumns; ++n)
        ASSERT_EQ(ColumnNumber(ColumnName(n)), n);
    EXPECT_EQ(ColumnNumber(QStringLiteral("xfd")), 16384);
}

TEST(Columns, OutOfRangeAndMalformed)
{
    EXPECT_EQ(ColumnName(0), QString());
    EXPECT_EQ(ColumnName(16385), QString());
    for (const char* bad : {"", "XFE", "AAAA", "A1", "$A", "Ä"})
        EXPECT_EQ(ColumnNumber(QString::fromUtf8(bad)), 0) << bad;
}

TEST(Columns, AbsoluteAddresses)
{
    EXPECT_EQ(AbsoluteAddress({1, 1, 1, 1}), QStringLiteral("$A$1"));
    EXPECT_EQ(AbsoluteAddress({5, 3, 40, 6}), QStringLiteral("$C$5:$F$40"));
    EXPECT_EQ(AbsoluteAddress({1, 703, 1048576, 16384}), QStringLiteral("$AAA$1:$XFD$1048576"));
}
