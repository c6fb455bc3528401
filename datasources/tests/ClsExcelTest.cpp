#include "common/MsgBox.h"
#include "common/Portapapers.h"
#include "common/ui/DialegObrir.h"
#include "datasources/ClsExcel.h"
#include "datasources/FontDades.h"
#include "platform/excel/tests/Fixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using kovel::datasources::ErrorArgument;

namespace {

struct Excel : ::testing::Test {
    QTemporaryDir dir;
    QString book = dir.filePath(QStringLiteral("clients.xlsx"));
    int questions = 0, dialogs = 0, hides = 0;
    std::int16_t answer = mod_rvtMsgBox::vbNo;
    std::optional<QString> chosen;
    kovel::datasources::PeticioFitxer asked;

    void SetUp() override
    {
        fixtures::Package p;
        p.sharedStringsXml = "<si><t>Name</t></si><si><t>Ann</t></si>";
        p.cellXfNumFmts = {0, 2};
        p.sheets.push_back({"Data",
                            "<row r=\"5\"><c r=\"C5\" t=\"s\"><v>0</v></c><c r=\"AB5\" s=\"1\"><v>3.14159</v></c></row>"
                            "<row r=\"6\"><c r=\"C6\" t=\"s\"><v>1</v></c><c r=\"D6\" t=\"str\"><v></v></c></row>"
                            "<row r=\"40\"><c r=\"F40\"><v>9</v></c></row>",
                            {}});
        p.sheets.push_back({"Second", {}, {}});
        fixtures::WriteXlsx(book, p);
        qunsetenv("KOVEL_ACTIVE_WORKBOOK");
        mod_rvtMsgBox::setAnswerer([this](const QString&, std::int16_t style, const QString&) {
            ++questions;
            EXPECT_EQ(style, 52);
            return answer;
        });
        kovel::datasources::setDemanaFitxer([this](const kovel::datasources::PeticioFitxer& p) {
            ++dialogs;
            asked = p;
            return chosen;
        });
        kovel::datasources::setPresentacio([this] { ++hides; }, [] {});
    }
    void TearDown() override
    {
        mod_rvtMsgBox::resetAnswerer();
        kovel::datasources::setDemanaFitxer({});
        kovel::datasources::setPresentacio({}, {});
        qunsetenv("KOVEL_ACTIVE_WORKBOOK");
    }
};

} // namespace

TEST_F(Excel, ActiveWorkbookNamedByTheEnvironment)
{
    qputenv("KOVEL_ACTIVE_WORKBOOK", book.toUtf8());
    ClsExcel x;
    QString message = QStringLiteral("untouched");
    ASSERT_TRUE(x.Conectar(message));
    EXPECT_EQ(questions, 0);
    EXPECT_EQ(x.FontDadesActual(), QFileInfo(book).absoluteFilePath());
    ClsExcel::Worksheets* sheets = x.Conjunt_Fulles();
    ASSERT_TRUE(sheets);
    EXPECT_EQ(sheets->Count(), 2);
    EXPECT_EQ(sheets->Item(1)->Name(), QStringLiteral("Data"));
    EXPECT_EQ(sheets->Item(1)->UsedRangeAddress(), QStringLiteral("$C$5:$AB$40"));
    EXPECT_EQ(sheets->Item(2)->UsedRangeAddress(), QStringLiteral("$A$1"));
}

TEST_F(Excel, AFileThatCannotBeOpenedIsNamedAndTheStateKept)
{
    const QString bad = dir.filePath(QStringLiteral("broken.xlsx"));
    fixtures::WriteFile(bad, "PK\x03\x04 not really");
    qputenv("KOVEL_ACTIVE_WORKBOOK", bad.toUtf8());
    ClsExcel x;
    x.setFontDadesActual(QStringLiteral("previous.xlsx"));
    QString message;
    EXPECT_FALSE(x.Conectar(message));
    EXPECT_TRUE(message.contains(QStringLiteral("broken.xlsx"))) << message.toStdString();
    EXPECT_EQ(x.FontDadesActual(), QStringLiteral("previous.xlsx"));

    // The same through the dialog.
    qunsetenv("KOVEL_ACTIVE_WORKBOOK");
    answer = mod_rvtMsgBox::vbYes;
    chosen = bad;
    message.clear();
    EXPECT_FALSE(x.Conectar(message));
    EXPECT_TRUE(message.contains(QStringLiteral("broken.xlsx")));
    EXPECT_EQ(x.FontDadesActual(), QStringLiteral("previous.xlsx"));

    // A name with "%2" in it is named as it is; a workbook already open stays open.
    chosen = book;
    ASSERT_TRUE(x.Conectar(message));
    const QString odd = dir.filePath(QStringLiteral("100%2.xlsx"));
    fixtures::WriteFile(odd, "not a workbook");
    qputenv("KOVEL_ACTIVE_WORKBOOK", odd.toUtf8());
    EXPECT_FALSE(x.Conectar(message));
    EXPECT_TRUE(message.contains(QStringLiteral("100%2.xlsx"))) << message.toStdString();
    EXPECT_EQ(x.Conjunt_Fulles()->FullName(), QFileInfo(book).absoluteFilePath());
    EXPECT_EQ(x.FontDadesActual(), QFileInfo(book).absoluteFilePath());
}

TEST_F(Excel, WhatTheReaderCouldNotGiveIsSaidOnceWhenTheWorkbookIsOpened)
{
    using C = fixtures::XlsCell;
    const QString file = dir.filePath(QStringLiteral("formulas.xls"));
    fixtures::WriteFile(file, fixtures::LegacyXls({{0, 0, C::Text, "Codi"}, {1, 0, C::Formula, {}, 7.0}}));
    std::vector<std::pair<QString, std::int16_t>> shown;
    QStringList titles;
    mod_rvtMsgBox::setAnswerer([&](const QString& prompt, std::int16_t style, const QString& title) {
        shown.push_back({prompt, style});
        titles << title;
        return std::int16_t(mod_rvtMsgBox::vbOK);
    });
    auto app = std::make_unique<kovel::excel::Application>();
    app->limits.officeProgram = QStringLiteral("none");   // FreeXL: formulas without values
    ClsExcel x;
    x.setObjApp(std::move(app));
    qputenv("KOVEL_ACTIVE_WORKBOOK", file.toUtf8());
    QString message;
    ASSERT_TRUE(x.Conectar(message)) << message.toStdString();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].first.contains(QStringLiteral("A2"))) << shown[0].first.toStdString();
    EXPECT_EQ(shown[0].second, mod_rvtMsgBox::vbOKOnly | mod_rvtMsgBox::vbExclamation);
    EXPECT_EQ(titles[0], x.Conjunt_Fulles()->Name());
    // Connecting again to the same file opens it again, and says it again; a failed open
    // says nothing more than its error.
    ASSERT_TRUE(x.Conectar(message));
    EXPECT_EQ(shown.size(), 2u);
    qputenv("KOVEL_ACTIVE_WORKBOOK", dir.filePath(QStringLiteral("missing.xls")).toUtf8());
    EXPECT_FALSE(x.Conectar(message));
    EXPECT_EQ(shown.size(), 2u);
}

TEST_F(Excel, NoActiveWorkbookAsksAndOffersTheDialog)
{
    ClsExcel x;
    QString message = QStringLiteral("caller's");
    EXPECT_FALSE(x.Conectar(message));   // No
    EXPECT_EQ(message, QStringLiteral("caller's"));
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(hides, 1);
    EXPECT_EQ(dialogs, 0);

    answer = mod_rvtMsgBox::vbYes;       // Yes, then Cancel
    EXPECT_FALSE(x.Conectar(message));
    EXPECT_EQ(message, QStringLiteral("caller's"));
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(asked.extensioDefecte, QStringLiteral("XLSX"));
    EXPECT_EQ(CommDlg::FiltresQt(asked.filtre), (QStringList{"*.XLSX (*.xlsx)", "*.XLS (*.xls)", "*.ODS (*.ods)", "*.CSV (*.csv)"}));

    chosen = book;                        // Yes, then a file
    EXPECT_TRUE(x.Conectar(message));
    EXPECT_EQ(x.FontDadesActual(), QFileInfo(book).absoluteFilePath());
    EXPECT_EQ(x.objApp()->WindowState, -4137);
}

TEST(ExcelColumns, LettersAndRangesAsTheWizardReadsThem)
{
    EXPECT_EQ(ClsExcel::nom_Columna(1), QStringLiteral("A"));
    EXPECT_EQ(ClsExcel::nom_Columna(52), QStringLiteral("AZ"));
    EXPECT_EQ(ClsExcel::nom_Columna(702), QStringLiteral("ZZ"));
    EXPECT_EQ(ClsExcel::nom_Columna(703), QStringLiteral("AAA"));
    EXPECT_EQ(ClsExcel::nom_Columna(16384), QStringLiteral("XFD"));
    EXPECT_EQ(ClsExcel::nomCol_To_numero(QStringLiteral("AAA")), 703);   // not read as "AA"
    EXPECT_EQ(ClsExcel::nomCol_To_numero(QStringLiteral("XFD")), 16384);
    EXPECT_THROW(ClsExcel::nomCol_To_numero(QString()), ErrorArgument);
    EXPECT_THROW(ClsExcel::nomCol_To_numero(QStringLiteral("A1")), ErrorArgument);

    struct Case { const char* range; std::int32_t r1, c1, r2, c2; };
    const Case cases[] = {{"", 1, 1, 65536, 256},          {"$B$3", 3, 2, 3, 2},
                          {"$A$1:$C$9", 1, 1, 9, 3},       {"$A:$C", 1, 1, 65536, 3},
                          {"$1:$9", 1, 1, 9, 256},         {"$AB$10:$AC$200", 10, 28, 200, 29},
                          {"$AAA$1:$XFD$1048576", 1, 703, 1048576, 16384}};
    for (const Case& c : cases) {
        std::int32_t r1 = 0, c1 = 0, r2 = 0, c2 = 0;
        ClsExcel::strRang_To_numeros(QString::fromLatin1(c.range), r1, c1, r2, c2);
        EXPECT_EQ((std::array{r1, c1, r2, c2}), (std::array{c.r1, c.c1, c.r2, c.c2})) << c.range;
    }
    std::int32_t a, b, c, d;
    for (const char* bad : {"B3", "$B3", "$B$", "$B$3:", "$B$x"})
        EXPECT_THROW(ClsExcel::strRang_To_numeros(QString::fromLatin1(bad), a, b, c, d), ErrorArgument) << bad;
}

TEST_F(Excel, CellTextsReachTheGeneratorThroughTheProgramsClipboard)
{
    qputenv("KOVEL_ACTIVE_WORKBOOK", book.toUtf8());
    ClsExcel x;
    QString message;
    ASSERT_TRUE(x.Conectar(message));
    const ClsExcel::Worksheet* data = x.Conjunt_Fulles()->Item(1);
    EXPECT_TRUE(x.obtenir_contingut2clipboard(QStringLiteral("C"), 6, data));
    EXPECT_EQ(Portapapers::ObtenirText(), QStringLiteral("Ann\r\n"));
    std::int16_t ok = 0;
    x.obtenir_contingut2clipboard(QStringLiteral("AB"), 5, data, ok);
    EXPECT_EQ(ok, -1);
    EXPECT_EQ(Portapapers::ObtenirText(), QStringLiteral("3.14\r\n"));
    // Counted but showing nothing, and empty: false, and the clipboard is left empty.
    EXPECT_FALSE(x.obtenir_contingut2clipboard(QStringLiteral("D"), 6, data));
    EXPECT_EQ(Portapapers::ObtenirText(), QString());
    x.obtenir_contingut2clipboard(QStringLiteral("E"), 6, data, ok);
    EXPECT_EQ(ok, 0);
    EXPECT_THROW(x.obtenir_contingut2clipboard(QStringLiteral("C"), 0, data), kovel::excel::Error);
    EXPECT_THROW(x.obtenir_contingut2clipboard(QStringLiteral("#"), 1, data), ErrorArgument);
}

TEST(ExcelLabel, FieldMarkersBecomeMergeFields)
{
    EXPECT_EQ(ClsExcel::TextAmbCampsRtf(QStringLiteral("Dear <<Name>>,"), 1033),
              QByteArray("Dear {\\field{\\*\\fldinst {MERGEFIELD Name }}{\\fldrslt {\\lang1033 <<Name>>}}},"));
    struct Target : DestiEnganxar {
        int pastes = 0;
        void EditPaste() override { ++pastes; }
    } target;
    ClsExcel x;
    EXPECT_TRUE(x.LlenarEtiqueta(target, QString(), 1033));
    EXPECT_EQ(target.pastes, 0);
    EXPECT_TRUE(x.LlenarEtiqueta(target, QStringLiteral("<<A>>"), 3082));
    EXPECT_EQ(target.pastes, 1);
    QString rtf;
    EXPECT_TRUE(Portapapers::LlegirFormat(Portapapers::CF_RTF, rtf));
    EXPECT_TRUE(rtf.contains(QStringLiteral("\\lang3082 <<A>>")));
}
