// .ods packages put together here, part by part: what the reader gives, and what it refuses.
#include "Fixtures.h"
#include "platform/excel/Workbook.h"
#include "testsupport/Espera.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kovel::excel;

namespace {

struct Ods : ::testing::Test {
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    std::unique_ptr<Workbook> open(const QByteArray& tables, const QByteArray& styles = {}, const Limits& limits = {})
    {
        fixtures::WriteOds(path("book.ods"), tables, styles);
        QString error;
        auto book = Workbook::Open(path("book.ods"), error, limits);
        EXPECT_TRUE(book) << error.toStdString();
        return book;
    }
    void refused(const QString& p, const char* fault, const Limits& limits = {})
    {
        QString error;
        EXPECT_FALSE(Workbook::Open(p, error, limits)) << p.toStdString();
        EXPECT_TRUE(error.contains(QString::fromLatin1(fault), Qt::CaseInsensitive)) << "got: " << error.toStdString();
    }
};

QByteArray cell(const char* attributes, const char* text)
{
    return QByteArray("<table:table-cell ") + attributes + "><text:p>" + text + "</text:p></table:table-cell>";
}

} // namespace

TEST_F(Ods, SheetsCellsAndTheirValues)
{
    const auto book = open(
        "<table:table table:name=\"Visible\">"
        "<table:table-column table:number-columns-repeated=\"16384\"/>"
        "<table:table-header-rows><table:table-row>" +
            cell("office:value-type=\"string\"", "Nom") + cell("office:value-type=\"string\"", "Preu") +
            "</table:table-row></table:table-header-rows>"
            "<table:table-row-group><table:table-row>" +
            cell("office:value-type=\"float\" office:value=\"1234.5\"", "1.234,50") +
            cell("office:value-type=\"currency\" office:currency=\"EUR\" office:value=\"-3\"", "-3,00 €") +
            cell("office:value-type=\"date\" office:date-value=\"1900-03-01T12:00:00\"", "01/03/1900 12:00") +
            cell("office:value-type=\"time\" office:time-value=\"PT36H30M00S\"", "36:30") +
            cell("office:value-type=\"boolean\" office:boolean-value=\"false\"", "FALS") +
            "<table:table-cell office:value-type=\"string\" office:string-value=\"\"/>"
            "<table:table-cell office:value-type=\"float\" office:value=\"0.25\"/>"
            "</table:table-row></table:table-row-group>"
            "<table:table-row table:number-rows-repeated=\"1048573\"><table:table-cell table:number-columns-repeated=\"16384\"/></table:table-row>"
            "</table:table>"
            "<table:table table:name=\"Amagat\" table:style-name=\"ta2\"><table:table-row>" +
            cell("office:value-type=\"percentage\" office:value=\"0.125\"", "12,5 %") +
            "</table:table-row></table:table>"
            "<table:dde-links><table:dde-link><table:table table:name=\"NotASheet\"/></table:dde-link></table:dde-links>",
        "<style:style style:name=\"ta2\" style:family=\"table\"><style:table-properties table:display=\"false\"/></style:style>");
    ASSERT_TRUE(book);
    EXPECT_EQ(book->Names(), (QStringList{"Visible", "Amagat"}));
    EXPECT_FALSE(book->Item(1)->Hidden());
    EXPECT_TRUE(book->Item(2)->Hidden());
    const Worksheet* s = book->Item(1);
    EXPECT_EQ(s->UsedRangeAddress(), QStringLiteral("$A$1:$G$2"));
    EXPECT_EQ(s->CountA(), 9);
    // The texts as the file shows them, whatever the locale it was written in.
    EXPECT_EQ(s->Text(2, 1), QStringLiteral("1.234,50"));
    EXPECT_EQ(s->Text(2, 2), QString::fromUtf8("-3,00 €"));
    EXPECT_EQ(s->Text(2, 5), QStringLiteral("FALS"));
    EXPECT_EQ(s->Text(2, 6), QString());
    EXPECT_TRUE(s->HasValue(2, 6));
    EXPECT_EQ(s->Text(2, 7), QStringLiteral("0.25"));   // a value without text shows plainly
    EXPECT_EQ(s->Value(2, 2).type, CellType::Currency);
    EXPECT_DOUBLE_EQ(s->Value(2, 2).number, -3);
    EXPECT_EQ(s->Value(2, 3).type, CellType::Date);
    EXPECT_DOUBLE_EQ(s->Value(2, 3).number, 61.5);
    EXPECT_EQ(s->Value(2, 4).type, CellType::Time);
    EXPECT_DOUBLE_EQ(s->Value(2, 4).number, 36.5 / 24);
    EXPECT_EQ(s->Value(2, 5).type, CellType::Boolean);
    EXPECT_EQ(s->Value(2, 5).number, 0);
    EXPECT_EQ(s->Value(1, 1).text, QStringLiteral("Nom"));
    EXPECT_EQ(s->Value(1048576, 16384).type, CellType::Empty);
    EXPECT_EQ(book->Item(2)->Value(1, 1).type, CellType::Percentage);
    EXPECT_EQ(book->Item(2)->Text(1, 1), QStringLiteral("12,5 %"));
}

TEST_F(Ods, TextsRepeatsAndMergedCells)
{
    const auto book = open(
        "<table:table table:name=\"S\">"
        "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell table:number-columns-repeated=\"3\"/></table:table-row>"
        "<table:table-row>"
        "<table:table-cell table:number-columns-spanned=\"2\" table:number-rows-spanned=\"3\" office:value-type=\"string\">"
        "<office:annotation><text:p>a comment</text:p></office:annotation>"
        "<text:p>  one <text:span>  two</text:span><text:s text:c=\"3\"/>three<text:tab/>four  </text:p>"
        "<text:p><text:s/>second<text:line-break/>line <text:sheet-name>of S</text:sheet-name>"
        "<draw:frame><draw:text-box><text:p>drawn</text:p></draw:text-box></draw:frame></text:p></table:table-cell>"
        "<table:covered-table-cell office:value-type=\"string\"><text:p>hidden</text:p></table:covered-table-cell>"
        "<table:table-cell table:number-columns-repeated=\"3\" office:value-type=\"float\" office:value=\"7\"><text:p>7</text:p></table:table-cell>"
        "</table:table-row>"
        "<table:table-row table:number-rows-repeated=\"2\"><table:covered-table-cell table:number-columns-repeated=\"2\"/>"
        "<table:table-cell office:value-type=\"string\"><text:p>again</text:p></table:table-cell></table:table-row>"
        "</table:table>");
    ASSERT_TRUE(book);
    const Worksheet* s = book->Item(1);
    EXPECT_EQ(s->Text(3, 1), QStringLiteral("one two   three\tfour\n second\nline of S"));
    EXPECT_EQ(s->Text(3, 2), QString());   // covered: not shown
    EXPECT_EQ(s->Text(3, 5), QStringLiteral("7"));
    EXPECT_EQ(s->Text(4, 3), QStringLiteral("again"));
    EXPECT_EQ(s->Text(5, 3), QStringLiteral("again"));
    EXPECT_EQ(s->CountA(), 6);
    EXPECT_EQ(s->UsedRangeAddress(), QStringLiteral("$A$3:$E$5"));
    EXPECT_EQ(s->MergeArea(5, 2), (CellRange{3, 1, 5, 2}));
    EXPECT_EQ(s->MergeArea(5, 3), (CellRange{5, 3, 5, 3}));
    EXPECT_EQ(s->MergedAreas().size(), 1u);
}

TEST_F(Ods, HugeRepeatsCostNothingOrAreRefused)
{
    // A million empty rows of a thousand columns, each declared many times over: nothing stored.
    QByteArray empty = "<table:table table:name=\"E\">";
    for (int i = 0; i < 1000; ++i)
        empty += "<table:table-row table:number-rows-repeated=\"1048576\"><table:table-cell table:number-columns-repeated=\"1000000000\"/></table:table-row>";
    empty += "</table:table>";
    // Counted in processor time: stored, these would keep it busy for hours.
    qint64 abans = kovel::test::MsProcessadorProces();
    const auto book = open(empty);
    ASSERT_TRUE(book);
    EXPECT_LT(kovel::test::MsProcessadorProces() - abans, 2000);
    EXPECT_EQ(book->Item(1)->CountA(), 0);

    // 10^9 cells of a value: refused at once, before anything is copied.
    fixtures::WriteOds(path("giga.ods"), "<table:table table:name=\"G\"><table:table-row table:number-rows-repeated=\"1000000\">" +
                                             cell("table:number-columns-repeated=\"1000\" office:value-type=\"float\" office:value=\"1\"", "1") +
                                             "</table:table-row></table:table>");
    abans = kovel::test::MsProcessadorProces();
    refused(path("giga.ods"), "more than");
    EXPECT_LT(kovel::test::MsProcessadorProces() - abans, 2000);
    fixtures::WriteOds(path("wide.ods"), "<table:table table:name=\"W\"><table:table-row>"
                                         "<table:table-cell table:number-columns-repeated=\"16384\"/>" +
                                             cell("office:value-type=\"string\"", "x") + "</table:table-row></table:table>");
    refused(path("wide.ods"), "outside the worksheet");
    fixtures::WriteOds(path("deep.ods"), "<table:table table:name=\"D\"><table:table-row table:number-rows-repeated=\"1048576\"/><table:table-row>" +
                                             cell("office:value-type=\"string\"", "x") + "</table:table-row></table:table>");
    refused(path("deep.ods"), "outside the worksheet");
}

TEST_F(Ods, DamagedLockedAndForeignPackagesAreRefused)
{
    fixtures::WriteOds(path("good.ods"), "<table:table table:name=\"S\"><table:table-row>" + cell("office:value-type=\"string\"", "x") +
                                             "</table:table-row></table:table>");
    const QByteArray good = fixtures::ReadFile(path("good.ods"));
    fixtures::WriteFile(path("cut.ods"), good.left(good.size() / 2));
    refused(path("cut.ods"), "not a valid workbook package");
    fixtures::WriteFile(path("ole.ods"), QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + QByteArray(504, '\0'));
    refused(path("ole.ods"), "encrypted");
    fixtures::WriteOds(path("locked.ods"), "", "",
                       "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
                       "<manifest:file-entry manifest:full-path=\"content.xml\"><manifest:encryption-data/></manifest:file-entry>"
                       "</manifest:manifest>");
    refused(path("locked.ods"), "encrypted");
    fixtures::WriteZip(path("text.ods"), {{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", "<x/>"}});
    refused(path("text.ods"), "not a spreadsheet");
    fixtures::WriteZip(path("bare.ods"), {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}});
    refused(path("bare.ods"), "no part \"content.xml\"");
    fixtures::WriteOds(path("value.ods"), "<table:table table:name=\"S\"><table:table-row>" +
                                              cell("office:value-type=\"float\" office:value=\"abc\"", "abc") + "</table:table-row></table:table>");
    refused(path("value.ods"), "cell A1 of worksheet \"S\"");
    fixtures::WriteZip(path("dtd.ods"), {{"content.xml", "<!DOCTYPE x [<!ENTITY a \"b\">]><x/>"}});
    refused(path("dtd.ods"), "document type");
    fixtures::WriteFile(path("plain.ods"), "Name;Town\n");
    refused(path("plain.ods"), "not an .ods workbook");

    // A bomb: 20 MiB of one cell's text in a few kilobytes.
    fixtures::WriteOds(path("bomb.ods"), "<table:table table:name=\"B\"><table:table-row>" +
                                             cell("office:value-type=\"string\"", QByteArray(20 << 20, 'A').constData()) +
                                             "</table:table-row></table:table>");
    EXPECT_LT(QFile(path("bomb.ods")).size(), 1 << 20);
    Limits limits;
    limits.maxUnpackedBytes = 4 << 20;
    refused(path("bomb.ods"), "unpacks to more", limits);
    Limits shortTexts;
    shortTexts.maxCellTextChars = 10;
    fixtures::WriteOds(path("long.ods"), "<table:table table:name=\"L\"><table:table-row>" +
                                             cell("office:value-type=\"string\"", "<text:span>twelve chars</text:span>") +
                                             "</table:table-row></table:table>");
    refused(path("long.ods"), "longer than 10 characters", shortTexts);
}
