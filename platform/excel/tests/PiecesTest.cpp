// A large worksheet is read in pieces by several threads: on any sheet that must give what
// one reader gives, and where a cut could mislead (a "</row>" in a comment, a row placed by
// the one before it, a fault in any piece) the pieces are set aside for the single reader.
#include "Fixtures.h"
#include "platform/excel/WorkbookImpl.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

using namespace kovel::excel;

namespace {

struct Pieces : ::testing::Test {
    QTemporaryDir dir;
    int files = 0;

    static QByteArray part(const QByteArray& sheetData, const QByteArray& head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                           const QByteArray& tail = "</sheetData><pageMargins left=\"0.7\"/></worksheet>")
    {
        return head + "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                      "<sheetPr codeName=\"Hoja\xC3\xB1\"/><dimension ref=\"A1\"/><sheetData>" +
               sheetData + tail;
    }

    // A package of one worksheet with the given part, some shared texts and styles.
    QString write(const QByteArray& sheetPart)
    {
        const QString p = dir.filePath(QStringLiteral("w%1.xlsx").arg(++files));
        fixtures::WriteZip(
            p, {{"_rels/.rels", "<Relationships><Relationship Id=\"r\" Type=\"x/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
                {"xl/workbook.xml", "<workbook><sheets><sheet name=\"S\" id=\"r1\"/></sheets></workbook>"},
                {"xl/_rels/workbook.xml.rels",
                 "<Relationships><Relationship Id=\"r1\" Type=\"x/worksheet\" Target=\"worksheets/s.xml\"/>"
                 "<Relationship Id=\"r2\" Type=\"x/sharedStrings\" Target=\"sst.xml\"/>"
                 "<Relationship Id=\"r3\" Type=\"x/styles\" Target=\"styles.xml\"/></Relationships>"},
                {"xl/sst.xml", "<sst><si><t>uno</t></si><si><r><t>ri</t></r><r><t>co</t></r><rPh><t>x</t></rPh></si>"
                               "<si><t>a_x0009_b</t></si></sst>"},
                {"xl/styles.xml", "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"0.00\"/></numFmts>"
                                  "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>"},
                {"xl/worksheets/s.xml", sheetPart}});
        return p;
    }

    static Limits split(int threads)
    {
        Limits l;
        l.splitSheetFromBytes = 1;
        l.sheetThreads = threads;
        return l;
    }

    // Every shown text, value flag and the used range: the same as one reader's.
    static void same(const Worksheet& a, const Worksheet& b)
    {
        ASSERT_EQ(a.UsedRangeAddress(), b.UsedRangeAddress());
        ASSERT_EQ(a.CountA(), b.CountA());
        const CellRange r = a.UsedRange();
        for (std::int32_t row = r.firstRow; row <= r.lastRow + 1; ++row)
            for (std::int32_t col = r.firstColumn; col <= r.lastColumn + 1; ++col) {
                ASSERT_EQ(a.Text(row, col), b.Text(row, col)) << row << "," << col;
                ASSERT_EQ(a.HasValue(row, col), b.HasValue(row, col)) << row << "," << col;
            }
    }

    // Reads the part with one reader and in pieces (through the package, and straight, to
    // see whether the pieces were kept); both give the same workbook or the same refusal.
    // Returns how many of the thread counts kept the pieces.
    int check(const QByteArray& sheetPart, std::optional<bool> splits)
    {
        int kept = 0;
        const QString p = write(sheetPart);
        QString oneError;
        const auto one = Workbook::Open(p, oneError);
        for (int threads : {2, 4, 7}) {
            SCOPED_TRACE(testing::Message() << threads << " threads, part " << files);
            QString error;
            const auto many = Workbook::Open(p, error, split(threads));
            EXPECT_EQ(bool(one), bool(many)) << oneError.toStdString() << " / " << error.toStdString();
            if (bool(one) != bool(many)) return kept;
            if (!one) {
                EXPECT_EQ(oneError, error);
                Workbook empty(p);
                Worksheet direct(QStringLiteral("S"), false);
                EXPECT_FALSE(ReadSheetInPieces(sheetPart, empty.shared(), split(threads), QStringLiteral("S"), direct.impl()));
                continue;
            }
            same(*one->Item(1), *many->Item(1));
            Worksheet direct(QStringLiteral("S"), false);
            direct.impl().shared = &one->shared();
            const bool read = ReadSheetInPieces(sheetPart, one->shared(), split(threads), QStringLiteral("S"), direct.impl());
            if (splits) {
                EXPECT_EQ(read, *splits);
            }
            if (read) {
                ++kept;
                direct.impl().finish();
                same(*one->Item(1), direct);
            } else {
                EXPECT_TRUE(direct.impl().cells.empty());
            }
        }
        return kept;
    }
};

// Rows of every kind of cell, with gaps, empty rows and a long row.
QByteArray variedRows(int rows)
{
    QByteArray x;
    for (int r = 1; r <= rows; ++r) {
        const QByteArray n = QByteArray::number(r * 2 + (r % 3));
        if (r % 7 == 0) { x += "<row r=\"" + n + "\" spans=\"1:3\"/>"; continue; }
        x += "<row r=\"" + n + "\">";
        x += "<c r=\"A" + n + "\" t=\"inlineStr\"><is><t>fila " + n + " \xC3\xA1</t></is></c>";
        x += "<c r=\"B" + n + "\" t=\"s\"><v>" + QByteArray::number(r % 3) + "</v></c>";
        x += "<c r=\"C" + n + "\" s=\"1\"><f>B1*2</f><v>" + QByteArray::number(r * 1.5) + "</v></c>";
        x += "<c r=\"E" + n + "\" s=\"2\"><v>" + QByteArray::number(40000 + r) + "</v></c>";
        x += "<c r=\"F" + n + "\" t=\"b\"><v>" + QByteArray(r % 2 ? "1" : "0") + "</v></c>";
        x += "<c r=\"G" + n + "\" t=\"e\"><v>#N/A</v></c>";
        x += "<c r=\"H" + n + "\" t=\"str\"><f>A1</f><v>&lt;x&gt; &amp; y</v></c>";
        x += "<c r=\"I" + n + "\" t=\"inlineStr\"><is><r><t>ri</t></r><r><t xml:space=\"preserve\"> co </t></r></is></c>";
        x += "<c r=\"J" + n + "\"/>";
        if (r % 5 == 0)
            for (int c = 0; c < 60; ++c)
                x += "<c t=\"inlineStr\"><is><t>" + QByteArray::number(c) + "</t></is></c>";
        x += "</row>\n";
    }
    return x;
}

} // namespace

TEST_F(Pieces, VariedSheetsReadAsOneReaderReadsThem)
{
    check(part(variedRows(80)), true);
    // A single row, an empty sheet, blanks only.
    check(part("<row r=\"3\"><c r=\"B3\"><v>7</v></c></row>"), true);
    check(part(""), true);
    check(part("\n  "), true);
    // Rows out of order and a cell written twice, across the cuts: sorted, the last one kept.
    QByteArray shuffled;
    for (int r = 60; r >= 1; --r)
        shuffled += "<row r=\"" + QByteArray::number(r % 20 + 1) + "\"><c r=\"A" + QByteArray::number(r % 20 + 1) +
                    "\"><v>" + QByteArray::number(r) + "</v></c><c r=\"Z9\"><v>" + QByteArray::number(r) + "</v></c></row>";
    check(part(shuffled), true);
    // Rows and cells placed by the ones before them: the first piece may have them, the
    // others lean on rows they have not read.
    QByteArray placed;
    for (int r = 1; r <= 40; ++r) placed += "<row><c><v>" + QByteArray::number(r) + "</v></c><c><v>2</v></c></row>";
    check(part(placed), false);
    check(part("<row><c><v>1</v></c></row><row r=\"5\"><c><v>5</v></c></row>" + variedRows(30)), true);
    // Comments, processing instructions and text between rows; no declaration, a byte order mark.
    check(part("<!-- a --><row r=\"1\"><c r=\"A1\"><v>1</v></c></row><?pi x?>text<row r=\"2\"/>" + variedRows(30)), true);
    check(part(variedRows(30), "\xEF\xBB\xBF"), true);
}

TEST_F(Pieces, CutsInCommentsOrCdataAreNeverTakenForRows)
{
    // Most of the content is comments, CDATA and instructions holding "</row>", so cuts land there.
    QByteArray x;
    for (int r = 1; r <= 40; ++r) {
        const QByteArray n = QByteArray::number(r);
        x += "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" + n + "</v></c></row>";
        const QByteArray pad(300, 'p');
        x += "<!-- " + pad + "</row><row r=\"999\"><c r=\"A999\"><v>6</v></c></row> -->";
        x += "<row r=\"" + n + "0\"><c r=\"B" + n + "0\" t=\"inlineStr\"><is><t><![CDATA[" + pad +
             "</row><row r=\"998\">]]></t></is></c></row>";
        x += "<?pi " + pad + "</row><row r=\"997\"/> ?>";
    }
    // Where a cut lands in a row the pieces may be kept, and they must read right.
    EXPECT_LT(check(part(x), std::nullopt), 3);
    // A "</sheetData>" in a comment.
    check(part("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row><!-- </sheetData> --><row r=\"2\"><c r=\"A2\"><v>2</v></c></row>"), false);
    // A "<sheetData>" in a comment before the real one.
    check(part(variedRows(20), "<?xml version=\"1.0\"?><!-- <sheetData> -->"), false);
}

TEST_F(Pieces, WhatOneReaderReadsDifferentlyIsLeftToIt)
{
    // A second sheetData after the first, a nested one, rows inside another element.
    check(part(variedRows(20), "", "</sheetData><sheetData><row r=\"500\"><c r=\"A500\"><v>1</v></c></row></sheetData></worksheet>"), false);
    check(part(variedRows(20) + "<sheetData><row r=\"300\"/></sheetData>" + variedRows(5)), false);
    check(part("<x>" + variedRows(20) + "</x>"), false);
    // Not UTF-8: the pieces would read the bytes differently.
    check(part("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>\xE1</t></is></c></row>" + variedRows(20),
               "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"), false);
    // A prefixed sheetData, and one with attributes.
    check("<x:worksheet xmlns:x=\"urn:x\"><x:sheetData><x:row r=\"1\"><x:c r=\"A1\"><x:v>1</x:v></x:c></x:row></x:sheetData></x:worksheet>", false);
    check("<worksheet><sheetData\n a=\"1\">" + variedRows(20) + "</sheetData></worksheet>", true);
}

TEST_F(Pieces, FaultsAnywhereAreRefusedAsOneReaderRefusesThem)
{
    const QByteArray rows = variedRows(40);
    const qsizetype mid = rows.indexOf("</row>", rows.size() / 2) + 6;
    auto middle = [&](const QByteArray& bad) { return part(rows.left(mid) + bad + rows.mid(mid)); };
    check(middle("<row r=\"300\"><c r=\"A300\"><v>1</v></row>"), false);           // mismatched end tag
    check(middle("<row r=\"300\"><c r=\"A300\" t=\"inlineStr\"><is><t>&lol;</t></is></c></row>"), false);
    check(middle("<row r=\"300\"><c r=\"XFE300\"><v>1</v></c></row>"), false);
    check(middle("<row r=\"300\"><c r=\"A300\"><v>1x</v></c></row>"), false);
    check(middle("<row r=\"300\"><c r=\"A300\" t=\"s\"><v>9</v></c></row>"), false);
    QByteArray deep = "<row r=\"300\"><c r=\"A300\" t=\"inlineStr\"><is>";
    for (int i = 0; i < 125; ++i) deep += "<r>";
    check(middle(deep + "</row>"), false);
    check(part(rows, "<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY a \"b\">]>"), false);
    check(part(rows, "", "</sheetData><oops></worksheet>"), false);       // malformed after sheetData
    check(part(rows, "", "</worksheet>"), false);                         // no </sheetData>
    check(part(rows, "", ""), false);                                     // cut short
    check(part(rows, "", "</sheetData></worksheet><extra/>"), false);
}

TEST_F(Pieces, CellCountCapHoldsAcrossPieces)
{
    QByteArray many;
    for (int i = 1; i <= 50; ++i) many += "<row r=\"" + QByteArray::number(i) + "\"><c><v>1</v></c><c><v>2</v></c></row>";
    const QString p = write(part(many));
    Limits limits = split(4);
    limits.maxCells = 99;
    QString error;
    EXPECT_FALSE(Workbook::Open(p, error, limits));
    EXPECT_TRUE(error.contains(QStringLiteral("more than 99 cells"))) << error.toStdString();
    limits.maxCells = 100;
    const auto book = Workbook::Open(p, error, limits);
    ASSERT_TRUE(book) << error.toStdString();
    EXPECT_EQ(book->Item(1)->CountA(), 100);
    EXPECT_EQ(book->Item(1)->UsedRangeAddress(), QStringLiteral("$A$1:$B$50"));
}

TEST_F(Pieces, LargeWorkbookReadsTheSameEitherWay)
{
    // A real workbook above the size that splits by default.
    const QString p = dir.filePath(QStringLiteral("grid.xlsx"));
    fixtures::WriteGridXlsx(p, 40000, 4);
    QString error;
    Limits whole;
    whole.splitSheetFromBytes = std::int64_t(1) << 40;
    const auto one = Workbook::Open(p, error, whole);
    ASSERT_TRUE(one) << error.toStdString();
    const auto many = Workbook::Open(p, error);
    ASSERT_TRUE(many) << error.toStdString();
    same(*one->Item(1), *many->Item(1));
    EXPECT_EQ(many->Item(1)->UsedRangeAddress(), QStringLiteral("$A$1:$D$40000"));
}
