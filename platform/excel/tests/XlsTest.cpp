// .xls read with FreeXL (in a child process): the route taken without LibreOffice. The route
// through LibreOffice is in OfficeTest.cpp.
#include "Fixtures.h"
#include "platform/excel/Application.h"
#include "platform/excel/Workbook.h"

#include "common/MsgBox.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kovel::excel;

namespace {

Limits freeXL()
{
    Limits l;
    l.officeProgram = QStringLiteral("none");
    return l;
}

} // namespace

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
    auto book = Workbook::Open(file, error, freeXL());
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
    EXPECT_TRUE(book->Warnings().isEmpty());
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
        EXPECT_FALSE(Workbook::Open(file, error, freeXL())) << c.name;
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.fault))) << c.name << ": " << error.toStdString();
    }
}

// Files on which FreeXL itself over-reads, crashes, frees what it did not allocate or asks for
// gigabytes: each costs a message, never the program.
TEST(Xls, FilesThatBreakFreeXLCostOnlyAMessage)
{
    const QDir corpus(QStringLiteral(KOVEL_SOURCE_DIR "/platform/excel/fuzz/corpus/xls"));
    const QStringList names = corpus.entryList({QStringLiteral("*.xls")}, QDir::Files);
    ASSERT_EQ(names.size(), 5);
    Application app;
    app.limits = freeXL();
    for (const QString& name : names) {
        QString error;
        EXPECT_FALSE(app.Open(corpus.filePath(name), error)) << name.toStdString();
        EXPECT_TRUE(error.contains(name)) << error.toStdString();
        EXPECT_FALSE(app.ActiveWorkbook());
    }
}

TEST(Xls, CellsOverTheCapAreRefused)
{
    // The child's answer is held to the caps of the parent.
    QTemporaryDir dir;
    using C = fixtures::XlsCell;
    std::vector<fixtures::XlsCell> many;
    for (int r = 0; r < 3000; ++r) many.push_back({r, r % 200, C::Number, {}, double(r)});
    const QString file = dir.filePath(QStringLiteral("slow.xls"));
    fixtures::WriteFile(file, fixtures::LegacyXls(many));
    Limits limits = freeXL();
    limits.maxCells = 10;
    QString error;
    EXPECT_FALSE(Workbook::Open(file, error, limits));
    EXPECT_TRUE(error.contains(QStringLiteral("more than 10 cells"))) << error.toStdString();
}

TEST(Xls, FormulaCellsWithoutValuesAreReportedOnce)
{
    QTemporaryDir dir;
    using C = fixtures::XlsCell;
    std::vector<fixtures::XlsCell> cells{{0, 0, C::Text, "Codi"}};
    for (int r = 1; r <= 7; ++r) cells.push_back({r, 1, C::Formula, {}, double(100 + r)});
    const QString file = dir.filePath(QStringLiteral("formulas.xls"));
    fixtures::WriteFile(file, fixtures::LegacyXls(cells));
    int boxes = 0;
    mod_rvtMsgBox::setAnswerer([&](const QString&, std::int16_t, const QString&) {
        ++boxes;
        return std::int16_t(mod_rvtMsgBox::vbOK);
    });
    Application app;
    app.limits = freeXL();
    QString error;
    ASSERT_TRUE(app.Open(file, error)) << error.toStdString();
    mod_rvtMsgBox::resetAnswerer();
    // The warning goes to the caller, which shows it where it shows its messages.
    EXPECT_EQ(boxes, 0);
    const QStringList shown = app.TakeWarnings();
    EXPECT_TRUE(app.TakeWarnings().isEmpty());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("worksheet \"")));
    EXPECT_TRUE(shown[0].contains(QStringLiteral("B2, B3, B4, B5, B6 and 2 more"))) << shown[0].toStdString();
    EXPECT_EQ(app.ActiveWorkbook()->Item(1)->Text(1, 1), QStringLiteral("Codi"));
}

TEST(Xls, ReaderOverItsTimeIsStopped)
{
    // These records make FreeXL ask for gigabytes, slowly: with room for that, the clock stops it.
    // (The file of the corpus is also cut, and is refused before FreeXL; closed, it reaches it.)
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("slow.xls"));
    const QByteArray cut = fixtures::ReadFile(QStringLiteral(KOVEL_SOURCE_DIR "/platform/excel/fuzz/corpus/xls/xls-118B-4.5GB-rss.xls"));
    // Its last record starts at 0x6E and runs past the end: an EOF in its place.
    fixtures::WriteFile(file, cut.left(0x6E) + QByteArray("\x0A\0\0\0", 4));
    Limits limits = freeXL();
    limits.freexlSeconds = 1;
    limits.freexlMemoryBytes = std::int64_t(8) << 30;
    // Only a reader stopped by its clock says so.
    QString error;
    EXPECT_FALSE(Workbook::Open(file, error, limits));
    EXPECT_TRUE(error.contains(QStringLiteral("longer than 1 s"))) << error.toStdString();
}
