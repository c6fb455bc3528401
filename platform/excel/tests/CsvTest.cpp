#include "platform/excel/Workbook.h"

#include <gtest/gtest.h>

using namespace kovel::excel;

namespace {
std::unique_ptr<Workbook> csv(const QByteArray& bytes, QString* errorOut = nullptr)
{
    QString error;
    auto book = Workbook::FromCsvBytes(bytes, QStringLiteral("/data/clients.csv"), error);
    if (errorOut) *errorOut = error;
    return book;
}
} // namespace

TEST(Csv, QuotedFieldsAsTheRfcWritesThem)
{
    auto book = csv("Name,Note,Town\r\n"
                    "\"Smith, Ann\",\"says \"\"hi\"\"\",Reus\r\n"
                    "Bob,\"two\r\nlines\",\r\n"
                    ",,Vic");
    ASSERT_TRUE(book);
    ASSERT_EQ(book->Count(), 1);
    Worksheet* s = book->Item(1);
    EXPECT_EQ(s->Name(), QStringLiteral("clients"));
    EXPECT_EQ(s->Text(2, 1), QStringLiteral("Smith, Ann"));
    EXPECT_EQ(s->Text(2, 2), QStringLiteral("says \"hi\""));
    EXPECT_EQ(s->Text(3, 2), QStringLiteral("two\r\nlines"));
    EXPECT_FALSE(s->HasValue(3, 3));
    EXPECT_EQ(s->Text(4, 3), QStringLiteral("Vic"));
    EXPECT_EQ(s->UsedRangeAddress(), QStringLiteral("$A$1:$C$4"));
    EXPECT_EQ(s->CountA(), 9);
}

TEST(Csv, DelimiterIsFoundFromTheFirstLines)
{
    auto semi = csv("a;b;c\n1,5;2,5;3\n");
    ASSERT_TRUE(semi);
    EXPECT_EQ(semi->Item(1)->Text(2, 1), QStringLiteral("1,5"));
    EXPECT_EQ(semi->Item(1)->Text(2, 3), QStringLiteral("3"));
    auto tab = csv("a\tb\nx, y\tz\n");
    ASSERT_TRUE(tab);
    EXPECT_EQ(tab->Item(1)->Text(2, 1), QStringLiteral("x, y"));
    auto one = csv("single\nvalue\n");
    ASSERT_TRUE(one);
    EXPECT_EQ(one->Item(1)->UsedRangeAddress(), QStringLiteral("$A$1:$A$2"));
}

TEST(Csv, EncodingsAreRecognised)
{
    auto bom = csv("\xEF\xBB\xBFNom,Ciutat\nJos\xC3\xA9,Girona\n");
    ASSERT_TRUE(bom);
    EXPECT_EQ(bom->Item(1)->Text(1, 1), QStringLiteral("Nom"));   // the mark is not part of the text
    EXPECT_EQ(bom->Item(1)->Text(2, 1), QString::fromUtf8("Jos\xC3\xA9"));
    auto utf8 = csv("Jos\xC3\xA9\n");
    EXPECT_EQ(utf8->Item(1)->Text(1, 1), QString::fromUtf8("Jos\xC3\xA9"));
    auto ansi = csv("Jos\xE9,\x80 5\n");
    ASSERT_TRUE(ansi);
    EXPECT_EQ(ansi->Item(1)->Text(1, 1), QString::fromUtf8("Jos\xC3\xA9"));
    EXPECT_EQ(ansi->Item(1)->Text(1, 2), QString::fromUtf8("\xE2\x82\xAC 5"));
}

TEST(Csv, BadTextIsRefused)
{
    QString error;
    EXPECT_FALSE(csv("a,\"never closed\nb,c\n", &error));
    EXPECT_TRUE(error.contains(QStringLiteral("never closed")));
    EXPECT_FALSE(csv(QByteArray("a,b\0c", 5), &error));
    Limits tight;
    tight.maxCells = 3;
    EXPECT_FALSE(Workbook::FromCsvBytes("a,b\nc,d\n", QStringLiteral("x.csv"), error, tight));
    QByteArray wide;
    for (int i = 0; i <= MaxColumns; ++i) wide += "x,";
    EXPECT_FALSE(csv(wide, &error));
    auto empty = csv("");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->Item(1)->UsedRangeAddress(), QStringLiteral("$A$1"));
}
