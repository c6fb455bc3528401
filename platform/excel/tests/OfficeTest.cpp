// Workbooks written by LibreOffice itself: the same data saved as .ods, .xlsx and .xls must
// show the same texts here, and the texts LibreOffice exports as CSV. One set of conversions
// is shared by the whole suite (starting the office is slow).
#include "Fixtures.h"
#include "platform/excel/Application.h"
#include "platform/excel/Workbook.h"

#include "common/MsgBox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>


using namespace kovel::excel;

namespace {

// Every kind of cell, in three sheets (the second empty): texts in several scripts, numbers
// with formats, percentages, currency, dates, times, booleans, formulas of numbers and of
// texts, an error, leading zeros kept as text, empty cells, a merged cell, spaces, two lines,
// and a repeated row.
const char* const kSource = R"fods(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:automatic-styles>
  <number:number-style style:name="N2"><number:number number:decimal-places="2" number:min-decimal-places="2" number:min-integer-digits="1" number:grouping="true"/></number:number-style>
  <number:percentage-style style:name="P1"><number:number number:decimal-places="1" number:min-decimal-places="1" number:min-integer-digits="1"/><number:text>%</number:text></number:percentage-style>
  <number:currency-style style:name="C1"><number:number number:decimal-places="2" number:min-decimal-places="2" number:min-integer-digits="1" number:grouping="true"/><number:text> </number:text><number:currency-symbol>€</number:currency-symbol></number:currency-style>
  <number:date-style style:name="D1"><number:day number:style="long"/><number:text>/</number:text><number:month number:style="long"/><number:text>/</number:text><number:year number:style="long"/></number:date-style>
  <number:time-style style:name="T1"><number:hours number:style="long"/><number:text>:</number:text><number:minutes number:style="long"/><number:text>:</number:text><number:seconds number:style="long"/></number:time-style>
  <number:boolean-style style:name="B1"><number:boolean/></number:boolean-style>
  <style:style style:name="ce1" style:family="table-cell" style:data-style-name="N2"/>
  <style:style style:name="ce2" style:family="table-cell" style:data-style-name="P1"/>
  <style:style style:name="ce3" style:family="table-cell" style:data-style-name="C1"/>
  <style:style style:name="ce4" style:family="table-cell" style:data-style-name="D1"/>
  <style:style style:name="ce5" style:family="table-cell" style:data-style-name="T1"/>
  <style:style style:name="ce6" style:family="table-cell" style:data-style-name="B1"/>
 </office:automatic-styles>
 <office:body><office:spreadsheet>
  <table:table table:name="Dades">
   <table:table-row>
    <table:table-cell office:value-type="string"><text:p>Nom</text:p></table:table-cell>
    <table:table-cell office:value-type="string"><text:p>Import</text:p></table:table-cell>
    <table:table-cell office:value-type="string"><text:p>Data</text:p></table:table-cell>
    <table:table-cell office:value-type="string"><text:p>Codi</text:p></table:table-cell>
   </table:table-row>
   <table:table-row>
    <table:table-cell office:value-type="string"><text:p>Àngel Núñez Çelik</text:p></table:table-cell>
    <table:table-cell table:style-name="ce1" office:value-type="float" office:value="1234.567"><text:p>1,234.57</text:p></table:table-cell>
    <table:table-cell table:style-name="ce4" office:value-type="date" office:date-value="2024-02-29"><text:p>29/02/2024</text:p></table:table-cell>
    <table:table-cell office:value-type="string"><text:p>00123</text:p></table:table-cell>
    <table:table-cell table:formula="of:=[.B2]*2" table:style-name="ce1" office:value-type="float" office:value="2469.134"><text:p>2,469.13</text:p></table:table-cell>
    <table:table-cell table:formula="of:=[.A2]&amp;&quot;-&quot;&amp;[.D2]" office:value-type="string" office:string-value="Àngel Núñez Çelik-00123"><text:p>Àngel Núñez Çelik-00123</text:p></table:table-cell>
   </table:table-row>
   <table:table-row>
    <table:table-cell office:value-type="string"><text:p>Москва 東京 القاهرة</text:p></table:table-cell>
    <table:table-cell table:style-name="ce2" office:value-type="percentage" office:value="0.125"><text:p>12.5%</text:p></table:table-cell>
    <table:table-cell table:style-name="ce5" office:value-type="time" office:time-value="PT13H05M09S"><text:p>13:05:09</text:p></table:table-cell>
    <table:table-cell table:style-name="ce6" office:value-type="boolean" office:boolean-value="true"><text:p>TRUE</text:p></table:table-cell>
    <table:table-cell table:style-name="ce3" office:value-type="currency" office:currency="EUR" office:value="-42.5"><text:p>-42.50 €</text:p></table:table-cell>
    <table:table-cell table:formula="of:=SUM([.B2:.B3])" office:value-type="float" office:value="1234.692"><text:p>1234.692</text:p></table:table-cell>
   </table:table-row>
   <table:table-row>
    <table:table-cell/>
    <table:table-cell office:value-type="float" office:value="7"><text:p>7</text:p></table:table-cell>
    <table:table-cell/>
    <table:table-cell table:style-name="ce6" office:value-type="boolean" office:boolean-value="false"><text:p>FALSE</text:p></table:table-cell>
    <table:table-cell table:formula="of:=[.B4]&gt;5" table:style-name="ce6" office:value-type="boolean" office:boolean-value="true"><text:p>TRUE</text:p></table:table-cell>
    <table:table-cell table:formula="of:=UPPER(&quot;àb ç&quot;)" office:value-type="string" office:string-value="ÀB Ç"><text:p>ÀB Ç</text:p></table:table-cell>
   </table:table-row>
  </table:table>
  <table:table table:name="Buida"><table:table-row><table:table-cell/></table:table-row></table:table>
  <table:table table:name="Σελίδα 3">
   <table:table-row table:number-rows-repeated="2"><table:table-cell/></table:table-row>
   <table:table-row>
    <table:table-cell table:number-columns-repeated="2"/>
    <table:table-cell office:value-type="float" office:value="3.5"><text:p>3.5</text:p></table:table-cell>
    <table:table-cell table:formula="of:=[.C3]/0" office:value-type="string" office:string-value=""><text:p>#DIV/0!</text:p></table:table-cell>
   </table:table-row>
   <table:table-row>
    <table:table-cell table:number-columns-spanned="2" table:number-rows-spanned="1" office:value-type="string"><text:p>Fusionada</text:p></table:table-cell>
    <table:covered-table-cell/>
    <table:table-cell office:value-type="string"><text:p><text:s/>dos<text:s text:c="2"/>espais</text:p></table:table-cell>
    <table:table-cell office:value-type="string"><text:p>línia 1</text:p><text:p>línia 2</text:p></table:table-cell>
   </table:table-row>
   <table:table-row table:number-rows-repeated="3">
    <table:table-cell office:value-type="float" office:value="-0.5"><text:p>-0.5</text:p></table:table-cell>
    <table:table-cell table:number-columns-repeated="2" office:value-type="string"><text:p>ídem</text:p></table:table-cell>
   </table:table-row>
  </table:table>
 </office:spreadsheet></office:body>
</office:document>)fods";

struct OfficeFiles {
    QTemporaryDir dir;
    bool ok = false;
    QString ods, xlsx, xls;
    QStringList sheets{QStringLiteral("Dades"), QStringLiteral("Buida"), QString::fromUtf8("Σελίδα 3")};
    QString csv(const QString& sheet) const { return dir.filePath(QStringLiteral("out/sample-%1.csv").arg(sheet)); }
};

OfficeFiles* files = nullptr;

class Office : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (fixtures::Office().isEmpty()) return;
        files = new OfficeFiles;
        const QString source = files->dir.filePath(QStringLiteral("sample.fods"));
        fixtures::WriteFile(source, QByteArray(kSource));
        const QString out = files->dir.filePath(QStringLiteral("out"));
        const QString profile = files->dir.filePath(QStringLiteral("profile"));
        files->ok = true;
        for (const char* to : {"ods", "xlsx", "xls", "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1"})
            files->ok = files->ok && fixtures::Convert(source, QString::fromLatin1(to), out, profile);
        files->ods = files->dir.filePath(QStringLiteral("out/sample.ods"));
        files->xlsx = files->dir.filePath(QStringLiteral("out/sample.xlsx"));
        files->xls = files->dir.filePath(QStringLiteral("out/sample.xls"));
    }
    static void TearDownTestSuite()
    {
        delete files;
        files = nullptr;
    }
    void SetUp() override
    {
        if (!files) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
        ASSERT_TRUE(files->ok) << "LibreOffice could not convert the sample";
    }
};

// The shown texts of a sheet as rows of cells, up to its last used cell.
QList<QStringList> shown(const Worksheet& s)
{
    QList<QStringList> rows;
    const CellRange r = s.UsedRange();
    if (s.CountA() == 0) return rows;
    for (std::int32_t row = 1; row <= r.lastRow; ++row) {
        QStringList cells;
        for (std::int32_t col = 1; col <= r.lastColumn; ++col) cells << s.Text(row, col);
        while (!cells.isEmpty() && cells.last().isEmpty()) cells.removeLast();
        rows << cells;
    }
    while (!rows.isEmpty() && rows.last().isEmpty()) rows.removeLast();
    return rows;
}

// Whether the process runs: killed ones may stay a moment as zombies until they are reaped.
bool running(const QByteArray& pid)
{
    for (int i = 0; i < 600; ++i) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(QString::fromLatin1(pid)));
        if (!stat.open(QIODevice::ReadOnly)) return false;
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        if (close < 0 || line.mid(close + 2, 1) == "Z") return false;
        QThread::msleep(100);
    }
    return true;
}

} // namespace

TEST_F(Office, OdsXlsxAndXlsShowWhatTheOfficeExports)
{
    QString error;
    const auto ods = Workbook::Open(files->ods, error);
    ASSERT_TRUE(ods) << error.toStdString();
    const auto xlsx = Workbook::Open(files->xlsx, error);
    ASSERT_TRUE(xlsx) << error.toStdString();
    const auto xls = Workbook::Open(files->xls, error);
    ASSERT_TRUE(xls) << error.toStdString();
    for (const auto* book : {ods.get(), xlsx.get(), xls.get()}) {
        SCOPED_TRACE(book->Name().toStdString());
        ASSERT_EQ(book->Names(), files->sheets);
        EXPECT_TRUE(book->Warnings().isEmpty());
        for (const QString& name : files->sheets) {
            SCOPED_TRACE(name.toStdString());
            const auto csv = Workbook::Open(files->csv(name), error);
            ASSERT_TRUE(csv) << error.toStdString();
            QList<QStringList> expected = shown(*csv->Item(1));
            // The .xls format keeps booleans as the numbers 1 and 0: the office shows them so
            // in an .xls it wrote itself.
            if (book == xls.get() && name == files->sheets[0]) {
                expected[2][3] = QStringLiteral("1");
                expected[3][3] = QStringLiteral("0");
                expected[3][4] = QStringLiteral("1");
            }
            const QList<QStringList> got = shown(*book->Item(name));
            ASSERT_EQ(got.size(), expected.size());
            for (qsizetype i = 0; i < got.size(); ++i)
                EXPECT_EQ(got[i].join(u'|').toStdString(), expected[i].join(u'|').toStdString()) << "row " << i + 1;
        }
    }
    // What the texts stand on, from the .ods.
    const Worksheet* d = ods->Item(1);
    EXPECT_EQ(d->Value(2, 2).type, CellType::Number);
    EXPECT_DOUBLE_EQ(d->Value(2, 2).number, 1234.567);
    EXPECT_EQ(d->Value(2, 3).type, CellType::Date);
    EXPECT_DOUBLE_EQ(d->Value(2, 3).number, 45351);
    EXPECT_EQ(d->Value(2, 4).type, CellType::Text);
    EXPECT_EQ(d->Value(2, 4).text, QStringLiteral("00123"));
    EXPECT_EQ(d->Value(3, 2).type, CellType::Percentage);
    EXPECT_EQ(d->Value(3, 3).type, CellType::Time);
    EXPECT_NEAR(d->Value(3, 3).number, (13 * 3600 + 5 * 60 + 9) / 86400.0, 1e-9);
    EXPECT_EQ(d->Value(3, 4).type, CellType::Boolean);
    EXPECT_EQ(d->Value(3, 5).type, CellType::Currency);
    EXPECT_DOUBLE_EQ(d->Value(3, 5).number, -42.5);
    EXPECT_EQ(d->Value(2, 6).text, QString::fromUtf8("Àngel Núñez Çelik-00123"));
    EXPECT_EQ(d->Value(4, 1).type, CellType::Empty);
    const Worksheet* third = ods->Item(3);
    EXPECT_EQ(third->Value(3, 4).type, CellType::Error);
    EXPECT_EQ(third->MergeArea(4, 2), (CellRange{4, 1, 4, 2}));
    EXPECT_EQ(third->MergeArea(4, 3), (CellRange{4, 3, 4, 3}));
    EXPECT_EQ(third->Text(7, 3), QString::fromUtf8("ídem"));
    // The .xls came through the office: same values and types as the .ods.
    EXPECT_EQ(xls->Item(1)->Value(2, 3).type, CellType::Date);
    EXPECT_EQ(xls->Item(1)->Text(2, 5), QStringLiteral("2,469.13"));
}

TEST_F(Office, DamagedLockedOrHangingConversionsCostAMessageAndLeaveNothingBehind)
{
    // Everything a conversion writes goes under the temporary folder: here, one of the test's.
    QTemporaryDir tmp;
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    using C = fixtures::XlsCell;
    const QString locked = files->dir.filePath(QStringLiteral("locked.xls"));
    fixtures::WriteFile(locked, fixtures::LegacyXls({{0, 0, C::Text, "a"}}, false, true));
    const QString damaged = files->dir.filePath(QStringLiteral("damaged.xls"));
    fixtures::WriteFile(damaged, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + QByteArray(1000, '\x01'));
    Application app;
    for (const QString& file : {locked, damaged}) {
        QString error;
        EXPECT_FALSE(app.Open(file, error));
        EXPECT_TRUE(error.contains(file) && error.contains(QStringLiteral("could not convert"))) << error.toStdString();
    }

    // An office that never finishes is stopped, with everything it started.
    const QString fake = files->dir.filePath(QStringLiteral("soffice"));
    const QString pidFile = files->dir.filePath(QStringLiteral("fake.pid"));
    fixtures::WriteFile(fake, "#!/bin/sh\nsleep 600 &\necho $$ $! > \"$KOVEL_FAKE_PID\"\nwait\n");
    QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("KOVEL_FAKE_PID", QFile::encodeName(pidFile));
    app.limits.officeProgram = fake;
    app.limits.conversionSeconds = 2;
    QElapsedTimer clock;
    clock.start();
    QString error;
    EXPECT_FALSE(app.Open(files->xls, error));
    // Not held up by what the office left running: that would last its 600 s.
    EXPECT_LT(clock.elapsed(), 300'000);
    EXPECT_TRUE(error.contains(files->xls) && error.contains(QStringLiteral("longer than 2 s"))) << error.toStdString();
    const QList<QByteArray> pids = fixtures::ReadFile(pidFile).trimmed().split(' ');
    ASSERT_EQ(pids.size(), 2);
    for (const QByteArray& pid : pids) {
        ASSERT_GT(pid.toInt(), 0);
        EXPECT_FALSE(running(pid)) << "still running: " << pid.toStdString();
    }

    EXPECT_TRUE(QDir(tmp.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        << QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(u' ').toStdString();
    qputenv("TMPDIR", oldTmp);
    if (oldTmp.isNull()) qunsetenv("TMPDIR");
}

// The office reads a cut record stream as far as it goes and calls it a workbook: such a file
// is refused on both routes, and the same file whole is read on both.
TEST_F(Office, CutOldestKindOfWorkbookIsRefusedOnBothRoutes)
{
    using C = fixtures::XlsCell;
    const QByteArray whole = fixtures::LegacyXls({{0, 0, C::Text, "Name"}, {1, 0, C::Text, "Anna"}, {1, 1, C::Number, {}, 7}});
    // After its last record, padding that some writers leave.
    const QString good = files->dir.filePath(QStringLiteral("whole.xls"));
    fixtures::WriteFile(good, whole + QByteArray(16, '\0'));
    const struct { const char* name; QByteArray bytes; } cut[] = {
        {"first10.xls", whole.left(10)},
        {"half.xls", whole.left(whole.size() / 2)},
        {"noeof.xls", whole.left(whole.size() - 4)},   // every record whole but the closing one gone
    };
    for (const bool office : {true, false}) {
        Limits limits;
        if (!office) limits.officeProgram = QStringLiteral("none");
        QString error;
        const auto book = Workbook::Open(good, error, limits);
        ASSERT_TRUE(book) << office << ": " << error.toStdString();
        EXPECT_EQ(book->Item(1)->Text(2, 1), QStringLiteral("Anna")) << office;
        for (const auto& c : cut) {
            const QString file = files->dir.filePath(QString::fromLatin1(c.name));
            fixtures::WriteFile(file, c.bytes);
            EXPECT_FALSE(Workbook::Open(file, error, limits)) << c.name << " office " << office;
            EXPECT_TRUE(error.contains(QStringLiteral("truncated, corrupt or not an .xls workbook")))
                << c.name << ": " << error.toStdString();
        }
    }
}
