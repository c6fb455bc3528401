#include "Fixtures.h"
#include "platform/excel/Workbook.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <xlsxwriter.h>
#include <ctime>

using namespace kovel::excel;

namespace {

struct Xlsx : ::testing::Test {
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    std::unique_ptr<Workbook> open(const QString& p)
    {
        QString error;
        auto book = Workbook::Open(p, error);
        EXPECT_TRUE(book) << error.toStdString();
        return book;
    }
};

} // namespace

TEST_F(Xlsx, WorkbookWrittenByAnotherProgram)
{
    const QString file = path("people.xlsx");
    {
        lxw_workbook* wb = workbook_new(QFile::encodeName(file).constData());
        lxw_worksheet* first = workbook_add_worksheet(wb, "People");
        lxw_worksheet* empty = workbook_add_worksheet(wb, "Empty");
        lxw_chartsheet* chart = workbook_add_chartsheet(wb, "Chart");
        lxw_worksheet* hidden = workbook_add_worksheet(wb, "Hidden");
        lxw_format* date = workbook_add_format(wb);
        format_set_num_format(date, "dd/mm/yyyy");
        lxw_format* money = workbook_add_format(wb);
        format_set_num_format(money, "#,##0.00 \"EUR\"");
        worksheet_write_string(first, 2, 1, "Name", nullptr);             // B3
        worksheet_write_string(first, 3, 1, "Ann", nullptr);
        worksheet_write_number(first, 3, 2, 1234.5, money);               // C4
        worksheet_write_number(first, 3, 3, 45000, date);                 // D4
        worksheet_write_boolean(first, 3, 4, 1, nullptr);                 // E4
        worksheet_write_formula_num(first, 3, 5, "=C4*2", nullptr, 2469); // F4
        worksheet_write_formula_str(first, 4, 5, "=\"\"", nullptr, "");   // F5: counted, shows nothing
        worksheet_write_number(first, 39, 1, 0.25, nullptr);              // B40
        lxw_chart* c = workbook_add_chart(wb, LXW_CHART_COLUMN);
        chart_add_series(c, nullptr, "=People!$C$4:$C$4");
        chartsheet_set_chart(chart, c);
        worksheet_write_string(hidden, 0, 0, "secret", nullptr);
        worksheet_hide(hidden);
        (void)empty;
        ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
    }
    auto book = open(file);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->Names(), (QStringList{"People", "Empty", "Hidden"}));
    EXPECT_EQ(book->Name(), QStringLiteral("people.xlsx"));
    Worksheet* s = book->Item(1);
    EXPECT_EQ(book->Item(QStringLiteral("people")), s);
    EXPECT_EQ(book->Item(4), nullptr);
    EXPECT_EQ(s->UsedRangeAddress(), QStringLiteral("$B$3:$F$40"));
    EXPECT_EQ(s->Text(3, 2), QStringLiteral("Name"));
    EXPECT_EQ(s->Text(4, 3), QStringLiteral("1,234.50 EUR"));
    EXPECT_EQ(s->Text(4, 4), QStringLiteral("15/03/2023"));
    EXPECT_EQ(s->Text(4, 5), QStringLiteral("TRUE"));
    EXPECT_EQ(s->Text(4, 6), QStringLiteral("2469"));
    EXPECT_EQ(s->Text(40, 2), QStringLiteral("0.25"));
    EXPECT_TRUE(s->HasValue(5, 6));
    EXPECT_EQ(s->Text(5, 6), QString());
    EXPECT_FALSE(s->HasValue(1, 1));
    EXPECT_EQ(s->Text(1, 1), QString());
    // Rows between, after and far beyond the stored ones hold nothing.
    EXPECT_EQ(s->Text(20, 2), QString());
    EXPECT_EQ(s->Text(41, 2), QString());
    EXPECT_FALSE(s->HasValue(MaxRows, MaxColumns));
    EXPECT_EQ(s->CountA(), 8);
    EXPECT_EQ(book->Item(2)->UsedRangeAddress(), QStringLiteral("$A$1"));
    EXPECT_EQ(book->Item(2)->CountA(), 0);
    EXPECT_TRUE(book->Item(3)->Hidden());
    EXPECT_EQ(book->Item(3)->Text(1, 1), QStringLiteral("secret"));
    EXPECT_THROW(s->Text(0, 1), Error);
    EXPECT_THROW(s->Text(1, MaxColumns + 1), Error);
    EXPECT_THROW(s->HasValue(MaxRows + 1, 1), Error);
}

TEST_F(Xlsx, StringsOfEveryKindAndThe1904System)
{
    fixtures::Package p;
    p.date1904 = true;
    p.sharedStringsXml =
        "<si><t>plain</t></si>"
        "<si><r><rPr><b/></rPr><t>bold </t></r><r><t xml:space=\"preserve\">and  plain</t></r>"
        "<rPh sb=\"0\" eb=\"1\"><t>PHONETIC</t></rPh></si>"
        "<si><t>line_x000D_break &amp; &lt;tag&gt;</t></si>";
    p.cellXfNumFmts = {0, 14, 164};
    p.numFmtsXml = "<numFmt numFmtId=\"164\" formatCode=\"&quot;No. &quot;000\"/>";
    p.sheets.push_back({"Mixed",
                        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"C1\" t=\"s\"><v>2</v></c></row>"
                        "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>inline</t></is></c>"
                        "<c r=\"B2\" t=\"inlineStr\"><is><r><t>in</t></r><r><t>runs</t></r></is></c>"
                        "<c r=\"C2\" s=\"1\"><v>0</v></c><c r=\"D2\" s=\"2\"><v>7</v></c></row>"
                        "<row r=\"3\"><c r=\"A3\" t=\"e\"><v>#DIV/0!</v></c><c r=\"B3\" t=\"b\"><v>0</v></c>"
                        "<c r=\"C3\" t=\"str\"><f>A1&amp;\"x\"</f><v>plainx</v></c><c r=\"D3\" s=\"1\"/>"
                        "<c r=\"E3\" t=\"d\" s=\"1\"><v>2024-02-29T00:00:00</v></c></row>"
                        // Cells without references follow on from the previous one.
                        "<row><c><v>1</v></c><c><v>2</v></c></row>"
                        // The same cell twice: the last one stands.
                        "<row r=\"9\"><c r=\"XFD9\"><v>1</v></c><c r=\"XFD9\"><v>2</v></c></row>",
                        {}});
    fixtures::WriteXlsx(path("mixed.xlsx"), p);
    auto book = open(path("mixed.xlsx"));
    ASSERT_TRUE(book);
    EXPECT_TRUE(book->Date1904());
    Worksheet* s = book->Item(1);
    EXPECT_EQ(s->Text(1, 1), QStringLiteral("plain"));
    EXPECT_EQ(s->Text(1, 2), QStringLiteral("bold and  plain"));
    EXPECT_EQ(s->Text(1, 3), QStringLiteral("line\rbreak & <tag>"));
    EXPECT_EQ(s->Text(2, 1), QStringLiteral("inline"));
    EXPECT_EQ(s->Text(2, 2), QStringLiteral("inruns"));
    EXPECT_EQ(s->Text(2, 3), QStringLiteral("1/1/1904"));
    EXPECT_EQ(s->Text(2, 4), QStringLiteral("No. 007"));
    EXPECT_EQ(s->Text(3, 1), QStringLiteral("#DIV/0!"));
    EXPECT_EQ(s->Text(3, 2), QStringLiteral("FALSE"));
    EXPECT_EQ(s->Text(3, 3), QStringLiteral("plainx"));
    EXPECT_FALSE(s->HasValue(3, 4));   // styled only
    EXPECT_EQ(s->Text(3, 5), QStringLiteral("2/29/2024"));
    EXPECT_EQ(s->Text(4, 1), QStringLiteral("1"));
    EXPECT_EQ(s->Text(4, 2), QStringLiteral("2"));
    EXPECT_EQ(s->Text(9, 16384), QStringLiteral("2"));
    EXPECT_EQ(s->UsedRangeAddress(), QStringLiteral("$A$1:$XFD$9"));
    EXPECT_EQ(s->CountA(), 14);
}

TEST_F(Xlsx, FormatsOfTheContentAndTheNameMustAgree)
{
    fixtures::Package p;
    p.sheets.push_back({"S", "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>", {}});
    fixtures::WriteXlsx(path("real.xlsx"), p);
    QFile::copy(path("real.xlsx"), path("real.xls"));
    QFile::copy(path("real.xlsx"), path("macro.xlsm"));
    QString error;
    EXPECT_TRUE(Workbook::Open(path("macro.xlsm"), error));
    EXPECT_FALSE(Workbook::Open(path("real.xls"), error));
    EXPECT_TRUE(error.contains(QStringLiteral("newer format")));
    fixtures::WriteFile(path("text.xlsx"), "Name,Town\nAnn,Reus\n");
    EXPECT_FALSE(Workbook::Open(path("text.xlsx"), error));
    EXPECT_TRUE(error.contains(QStringLiteral("not a .xlsx")));
    fixtures::WriteFile(path("doc.odt"), "PK\x03\x04");
    EXPECT_FALSE(Workbook::Open(path("doc.odt"), error));
}

TEST_F(Xlsx, DateCellsDoNotGoThroughTheLocalTimeZone)
{
    // 2:30 on that day does not exist in a zone that moves its clocks on at 2:00.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Madrid");
    tzset();
    fixtures::Package p;
    p.cellXfNumFmts = {0, 22};
    p.sheets.push_back({"S",
                        "<row r=\"1\"><c r=\"A1\" t=\"d\" s=\"1\"><v>2024-03-31T02:30:00</v></c>"
                        "<c r=\"B1\" t=\"d\" s=\"1\"><v>2024-10-27T02:30:00Z</v></c></row>",
                        {}});
    fixtures::WriteXlsx(path("dates.xlsx"), p);
    auto book = open(path("dates.xlsx"));
    if (zone.isNull()) qunsetenv("TZ");
    else qputenv("TZ", zone);
    tzset();
    ASSERT_TRUE(book);
    EXPECT_EQ(book->Item(1)->Text(1, 1), QStringLiteral("3/31/2024 2:30"));
    EXPECT_EQ(book->Item(1)->Text(1, 2), QStringLiteral("10/27/2024 2:30"));
}
