#include "Fixtures.h"
#include "platform/excel/Workbook.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kovel::excel;

TEST(Xls, OldestKindOfWorkbookIsRead)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("old.xls"));
    using C = fixtures::XlsCell;
    fixtures::WriteFile(file, fixtures::LegacyXls({{1, 1, C::Text, "Jos\xE9"},
                                                   {1, 2, C::Number, {}, 12.5},
                                                   {2, 1, C::Whole, {}, 42},
                                                   {2, 2, C::Date, {}, 45000},
                                                   {40, 27, C::Number, {}, -0.25}}));
    QString error;
    auto book = Workbook::Open(file, error);
    ASSERT_TRUE(book) << error.toStdString();
    ASSERT_EQ(book->Count(), 1);
    const Worksheet* s = book->Item(1);
    EXPECT_EQ(s->Text(2, 2), QString::fromUtf8("Jos\xC3\xA9"));   // Windows-1252 text
    EXPECT_EQ(s->Text(2, 3), QStringLiteral("12.5"));
    EXPECT_EQ(s->Text(3, 2), QStringLiteral("42"));
    EXPECT_EQ(s->Text(3, 3), QStringLiteral("2023-03-15"));   // dates come as the library writes them
    EXPECT_EQ(s->Text(41, 28), QStringLiteral("-0.25"));
    EXPECT_EQ(s->UsedRangeAddress(), QStringLiteral("$B$2:$AB$41"));
    EXPECT_EQ(s->CountA(), 5);
}

TEST(Xls, BrokenOrLockedWorkbooksAreRefused)
{
    QTemporaryDir dir;
    using C = fixtures::XlsCell;
    const QByteArray good = fixtures::LegacyXls({{0, 0, C::Text, "a"}, {0, 1, C::Number, {}, 1}});
    struct Case { const char* name; QByteArray bytes; const char* fault; };
    const Case cases[] = {
        {"cut.xls", good.left(good.size() - 12), "truncated"},
        {"locked.xls", fixtures::LegacyXls({{0, 0, C::Text, "a"}}, false, true), "encrypted"},
        {"ole.xls", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + QByteArray(1000, '\x01'), "xls"},
        {"text.xls", "Name;Town\n", "not an .xls"},
    };
    for (const Case& c : cases) {
        const QString file = dir.filePath(QString::fromLatin1(c.name));
        fixtures::WriteFile(file, c.bytes);
        QString error;
        EXPECT_FALSE(Workbook::Open(file, error)) << c.name;
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.fault))) << c.name << ": " << error.toStdString();
    }
}
