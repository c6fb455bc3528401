#include "Fixtures.h"
#include "platform/excel/Workbook.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kovel::excel;

namespace {

struct Hostile : ::testing::Test {
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    // Opens and expects a refusal whose text contains `fault`.
    void refused(const QString& p, const char* fault, const Limits& limits = {})
    {
        QString error;
        EXPECT_FALSE(Workbook::Open(p, error, limits)) << p.toStdString();
        EXPECT_TRUE(error.contains(QString::fromLatin1(fault), Qt::CaseInsensitive))
            << "got: " << error.toStdString();
    }
    fixtures::Package oneSheet(const QByteArray& data)
    {
        fixtures::Package p;
        p.sheets.push_back({"S", data, {}});
        return p;
    }
};

} // namespace

TEST_F(Hostile, MissingUnreadableTruncatedAndForeignFiles)
{
    refused(path("nowhere.xlsx"), "does not exist");
    refused(dir.path() + QStringLiteral("/"), "not a file");
    fixtures::WriteXlsx(path("good.xlsx"), oneSheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"));
    QByteArray bytes = fixtures::ReadFile(path("good.xlsx"));
    fixtures::WriteFile(path("cut.xlsx"), bytes.left(bytes.size() / 2));
    refused(path("cut.xlsx"), "not a valid workbook package");
    fixtures::WriteFile(path("secret.xlsx"), QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + QByteArray(504, '\0'));
    refused(path("secret.xlsx"), "encrypted");
    fixtures::WriteFile(path("secret.xls"), QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + QByteArray(504, '\0'));
    Limits freeXL;
    freeXL.officeProgram = QStringLiteral("none");
    refused(path("secret.xls"), "xls", freeXL);
}

TEST_F(Hostile, UnreadableFile)
{
    fixtures::WriteXlsx(path("locked.xlsx"), oneSheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"));
    QFile::setPermissions(path("locked.xlsx"), QFileDevice::Permissions());
    if (QFile(path("locked.xlsx")).open(QIODevice::ReadOnly))
        GTEST_SKIP() << "running with rights that read any file";
    refused(path("locked.xlsx"), "cannot be read");
}

TEST_F(Hostile, ZipBombsStopAtTheCap)
{
    // 64 MiB of one repeated byte packs into a few kilobytes.
    fixtures::WriteXlsx(path("bomb.xlsx"), oneSheet("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>" +
                                                    QByteArray(64 << 20, 'A') + "</t></is></c></row>"));
    EXPECT_LT(QFile(path("bomb.xlsx")).size(), 1 << 20);
    Limits limits;
    limits.maxUnpackedBytes = 16 << 20;
    refused(path("bomb.xlsx"), "unpacks to more", limits);

    // The same package declaring its sheet part 1,000 bytes long: the cap counts what
    // really comes out, not what the package says.
    QByteArray lying = fixtures::ReadFile(path("bomb.xlsx"));
    int patched = 0;
    for (qsizetype i = 0; i + 30 < lying.size(); ++i) {
        const bool local = lying.mid(i, 4) == QByteArray("PK\x03\x04", 4);
        const bool central = lying.mid(i, 4) == QByteArray("PK\x01\x02", 4);
        if (!local && !central) continue;
        char* size = lying.data() + i + (local ? 22 : 24);
        if (quint8(size[3]) == 0x04) {   // the 64 MiB part
            size[0] = char(0xE8); size[1] = char(0x03); size[2] = 0; size[3] = 0;
            ++patched;
        }
    }
    ASSERT_EQ(patched, 2);
    fixtures::WriteFile(path("lying.xlsx"), lying);
    refused(path("lying.xlsx"), "unpacks to more", limits);
    // Declared at 2 MiB, a size the package inflates ahead of the reader: the cap holds too.
    patched = 0;
    for (qsizetype i = 0; i + 30 < lying.size(); ++i) {
        const bool local = lying.mid(i, 4) == QByteArray("PK\x03\x04", 4);
        const bool central = lying.mid(i, 4) == QByteArray("PK\x01\x02", 4);
        char* size = lying.data() + i + (local ? 22 : 24);
        if ((local || central) && quint8(size[0]) == 0xE8 && quint8(size[1]) == 0x03) {
            size[2] = 0x20;
            ++patched;
        }
    }
    ASSERT_EQ(patched, 2);
    fixtures::WriteFile(path("lying2.xlsx"), lying);
    refused(path("lying2.xlsx"), "unpacks to more", limits);
}

TEST_F(Hostile, LargePartCorruptInsideIsRefused)
{
    // Some 2.5 MB of sheet: inflated ahead of the reader, the fault still reaches the caller.
    fixtures::WriteGridXlsx(path("grid.xlsx"), 6000, 10);
    QString error;
    ASSERT_TRUE(Workbook::Open(path("grid.xlsx"), error)) << error.toStdString();
    QByteArray bytes = fixtures::ReadFile(path("grid.xlsx"));
    for (qsizetype i = bytes.size() / 3; i < bytes.size() / 3 + 64; ++i) bytes[i] = char(bytes[i] ^ 0x5A);
    fixtures::WriteFile(path("broken.xlsx"), bytes);
    EXPECT_FALSE(Workbook::Open(path("broken.xlsx"), error));
    EXPECT_TRUE(error.contains(QStringLiteral("corrupt")) || error.contains(QStringLiteral("malformed XML")))
        << error.toStdString();
}

TEST_F(Hostile, XmlWithEntitiesOrDeepNestingIsRefused)
{
    fixtures::WriteXlsx(path("dtd.xlsx"),
                        oneSheet("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>&lol;</t></is></c></row>"));
    // The entity needs a declaration: put one in front of the sheet part.
    const QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY lol \"lol\">"
                              "<!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">]>"
                              "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>&lol2;</t></is></c></row></sheetData></worksheet>";
    fixtures::WriteZip(path("laughs.xlsx"),
                       {{"_rels/.rels", "<Relationships><Relationship Id=\"r\" Type=\"x/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
                        {"xl/workbook.xml", "<workbook><sheets><sheet name=\"S\" id=\"r1\"/></sheets></workbook>"},
                        {"xl/_rels/workbook.xml.rels", "<Relationships><Relationship Id=\"r1\" Type=\"x/worksheet\" Target=\"worksheets/s.xml\"/></Relationships>"},
                        {"xl/worksheets/s.xml", laughs}});
    refused(path("laughs.xlsx"), "document type declarations");
    refused(path("dtd.xlsx"), "malformed XML");
    QByteArray deep = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is>";
    for (int i = 0; i < 200; ++i) deep += "<r>";
    fixtures::WriteXlsx(path("deep.xlsx"), oneSheet(deep));
    refused(path("deep.xlsx"), "nests deeper");
}

TEST_F(Hostile, CellsOutsideTheSheetOrBeyondTheCountAreRefused)
{
    fixtures::WriteXlsx(path("col.xlsx"), oneSheet("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>"));
    refused(path("col.xlsx"), "outside");
    fixtures::WriteXlsx(path("row.xlsx"), oneSheet("<row r=\"1048577\"><c><v>1</v></c></row>"));
    refused(path("row.xlsx"), "outside");
    fixtures::WriteXlsx(path("ref.xlsx"), oneSheet("<row r=\"1\"><c r=\"1A\"><v>1</v></c></row>"));
    refused(path("ref.xlsx"), "not valid");
    fixtures::WriteXlsx(path("sst.xlsx"), oneSheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>5</v></c></row>"));
    refused(path("sst.xlsx"), "shared text");
    fixtures::WriteXlsx(path("nan.xlsx"), oneSheet("<row r=\"1\"><c r=\"A1\"><v>12abc</v></c></row>"));
    refused(path("nan.xlsx"), "not a number");
    QByteArray many;
    for (int i = 1; i <= 50; ++i) many += "<row r=\"" + QByteArray::number(i) + "\"><c><v>1</v></c><c><v>2</v></c></row>";
    fixtures::WriteXlsx(path("many.xlsx"), oneSheet(many));
    Limits limits;
    limits.maxCells = 99;
    refused(path("many.xlsx"), "more than 99 cells", limits);
    limits.maxCells = 100;
    QString error;
    EXPECT_TRUE(Workbook::Open(path("many.xlsx"), error, limits)) << error.toStdString();
}

TEST_F(Hostile, PartWhoseChecksumDoesNotMatchIsRefused)
{
    // Well-formed XML whose bytes the package's checksum disowns: the fault is only seen when
    // the part is read to its end, and the last part read must not be let through.
    fixtures::WriteXlsx(path("good.xlsx"), oneSheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"));
    QByteArray bytes = fixtures::ReadFile(path("good.xlsx"));
    const QByteArray name = "xl/worksheets/sheet1.xml";
    int patched = 0;
    for (qsizetype i = 0; i + 46 < bytes.size(); ++i) {
        const bool local = bytes.mid(i, 4) == QByteArray("PK\x03\x04", 4);
        const bool central = bytes.mid(i, 4) == QByteArray("PK\x01\x02", 4);
        if (!local && !central) continue;
        if (bytes.mid(i + (local ? 30 : 46), name.size()) != name) continue;
        bytes[i + (local ? 14 : 16)] = char(bytes[i + (local ? 14 : 16)] ^ 0x01);
        ++patched;
    }
    ASSERT_EQ(patched, 2);
    fixtures::WriteFile(path("crc.xlsx"), bytes);
    refused(path("crc.xlsx"), "corrupt");
}
