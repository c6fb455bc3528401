#include "SqliteFixture.h"
#include "common/BasicRules.h"
#include "platform/access/DatabaseImpl.h"

#include <cmath>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kovel::access;

namespace {
struct Sqlite : ::testing::Test {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("shop.sqlite"));
    std::unique_ptr<Database> db;
    void SetUp() override
    {
        fixtures::MakeSqlite(file, fixtures::kShop);
        QString error;
        db = Database::Open(file, error);
        ASSERT_TRUE(db) << error.toStdString();
    }
};
} // namespace

TEST_F(Sqlite, TablesThenViewsWithTheirFields)
{
    const TableDefs& t = db->TableDefs_();
    ASSERT_EQ(t.Count(), 3);   // sqlite_sequence is not listed
    EXPECT_EQ(t.Item(0).Name, QStringLiteral("Clients"));
    EXPECT_EQ(t.Item(1).Name, QStringLiteral("Order \"lines\""));
    EXPECT_EQ(t.Item(2).Name, QStringLiteral("Empty"));
    const QueryDefs& q = db->QueryDefs_();
    ASSERT_EQ(q.Count(), 2);
    EXPECT_EQ(q.Item(0).Name, QStringLiteral("Towns"));
    EXPECT_EQ(q.Item(0).Type, dbQSelect);
    EXPECT_EQ(q.Item(0).fields.Count(), 2);
    EXPECT_EQ(q.Item(0).fields.Item(0).Name, QStringLiteral("City"));
    const Fields& f = t.Item(0).fields;
    ASSERT_EQ(f.Count(), 7);
    EXPECT_EQ(f.Item(QStringLiteral("photo")).Type, dbLongBinary);
    EXPECT_EQ(f.Item(QStringLiteral("ID")).Type, dbLong);
    EXPECT_EQ(f.Item(QStringLiteral("Town")).Type, dbText);
    EXPECT_EQ(f.Item(QStringLiteral("Score")).Type, dbDouble);
    EXPECT_EQ(f.Item(QStringLiteral("Vip")).Type, dbBoolean);
    EXPECT_EQ(f.Item(QStringLiteral("Since")).Type, dbDate);
    EXPECT_THROW(f.Item(QStringLiteral("Nope")), Error);
    EXPECT_THROW(t.Item(3), Error);
    EXPECT_EQ(db->Name(), QFileInfo(file).absoluteFilePath());
}

TEST_F(Sqlite, RecordsetMovesAndReadsByNameWithoutCase)
{
    auto rs = db->OpenRecordset(QStringLiteral("clients"));
    EXPECT_EQ(rs->RecordCount(), 3);
    EXPECT_FALSE(rs->EOF_());
    EXPECT_EQ(rs->Text(QStringLiteral("NAME")), QStringLiteral("Ann"));
    EXPECT_EQ(rs->Text(QStringLiteral("Score")), QStringLiteral("7.5"));
    EXPECT_EQ(rs->Text(QStringLiteral("Vip")), QStringLiteral("True"));
    EXPECT_EQ(rs->Text(QStringLiteral("Since")), QStringLiteral("2023-03-15"));
    EXPECT_TRUE(rs->Value(QStringLiteral("Photo")).isNull());   // binary has no text
    EXPECT_EQ(rs->Text(QStringLiteral("Photo")), QString());
    rs->MoveNext();
    EXPECT_TRUE(rs->IsNull(QStringLiteral("Town")));
    EXPECT_EQ(rs->Text(QStringLiteral("Town")), QString());
    EXPECT_EQ(rs->Text(QStringLiteral("Score")), QStringLiteral("0.1"));
    EXPECT_EQ(rs->Text(QStringLiteral("Vip")), QStringLiteral("False"));
    rs->MoveLast();
    EXPECT_EQ(rs->Text(QStringLiteral("Score")), QStringLiteral("1E+20"));
    EXPECT_FALSE(rs->IsNull(QStringLiteral("Since")));   // an empty text is not Null
    rs->MoveNext();
    EXPECT_TRUE(rs->EOF_());
    EXPECT_THROW(rs->Text(QStringLiteral("Name")), Error);   // past the end: no garbage
    EXPECT_THROW(rs->MoveNext(), Error);
    rs->MoveFirst();
    EXPECT_EQ(rs->Text(QStringLiteral("Name")), QStringLiteral("Ann"));
    try {
        rs->Value(QStringLiteral("Missing"));
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.number, 3265);
    }
}

TEST_F(Sqlite, QuotedNamesViewsAndEmptyRecordsets)
{
    auto lines = db->OpenRecordset(QStringLiteral("Order \"lines\""));
    EXPECT_EQ(lines->Text(QStringLiteral("Qty")), QStringLiteral("3"));
    auto towns = db->OpenRecordset(QStringLiteral("Towns"));
    EXPECT_EQ(towns->RecordCount(), 3);
    auto empty = db->OpenRecordset(QStringLiteral("Empty2"));
    EXPECT_EQ(empty->RecordCount(), 0);
    EXPECT_TRUE(empty->EOF_());
    EXPECT_TRUE(empty->BOF());
    EXPECT_THROW(empty->MoveFirst(), Error);
    EXPECT_THROW(empty->Text(QStringLiteral("X")), Error);
    try {
        db->OpenRecordset(QStringLiteral("Clients; DROP TABLE Clients"));
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.number, 3078);
    }
    EXPECT_EQ(db->TableDefs_().Count(), 3);
}

TEST(SqliteFiles, BrokenViewsAndBadFiles)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("v.db"));
    fixtures::MakeSqlite(file, "CREATE TABLE A(x); CREATE VIEW V AS SELECT x FROM A; DROP TABLE A;");
    QString error;
    auto db = Database::Open(file, error);
    ASSERT_TRUE(db) << error.toStdString();
    ASSERT_EQ(db->QueryDefs_().Count(), 1);
    EXPECT_EQ(db->QueryDefs_().Item(0).fields.Count(), 0);
    EXPECT_THROW(db->OpenRecordset(QStringLiteral("V")), Error);

    const QString text = dir.filePath(QStringLiteral("text.accdb"));
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("just some words");
    f.close();
    EXPECT_FALSE(Database::Open(text, error));
    EXPECT_TRUE(error.contains(QStringLiteral("not a database")));
    EXPECT_FALSE(Database::Open(dir.filePath(QStringLiteral("none.db")), error));
    EXPECT_TRUE(error.contains(QStringLiteral("does not exist")));

    // A database cut short after its first page.
    const QString big = dir.filePath(QStringLiteral("big.db"));
    fixtures::MakeSqlite(big, "CREATE TABLE T(x TEXT); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<2000)"
                              " INSERT INTO T SELECT printf('%0500d', i) FROM n; CREATE TABLE U(y);");
    QFile b(big);
    ASSERT_TRUE(b.open(QIODevice::ReadWrite));
    ASSERT_TRUE(b.resize(8192));
    b.close();
    auto cut = Database::Open(big, error);
    if (cut) {
        // The schema page may survive; reading the records must fail, not crash.
        try {
            cut->OpenRecordset(QStringLiteral("T"));
            ADD_FAILURE() << "a cut database was read";
        } catch (const Error& e) {
            EXPECT_TRUE(e.text().contains(QStringLiteral("big.db"))) << e.text().toStdString();
        }
    } else {
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(SqliteValues, DoublesReadAsTheRuntimeWritesThem)
{
    // The quick conversion must agree with the runtime's CStr everywhere.
    std::vector<double> values = {0.0, -0.0, 1.25, -7.5, 0.1, 1.0 / 3, 2.0 / 3, 1e-4, 9.99999999999999e-5, 1e-5,
                                  1.5e-7, 123456789012345.0, 999999999999999.0, 1e15, 1e20, -1e16, 0.30000000000000004,
                                  5e-324, 1.7976931348623157e308, 40000.5, 12345.678901234567};
    std::uint64_t seed = 88172645463325252ull;
    for (int i = 0; i < 20000; ++i) {
        seed ^= seed << 13; seed ^= seed >> 7; seed ^= seed << 17;
        const double mantissa = double(seed >> 11) / double(1ull << 53);
        const int exponent = int(seed % 44) - 22;
        values.push_back((seed & 1 ? -1 : 1) * mantissa * std::pow(10.0, exponent));
    }
    for (double v : values)
        ASSERT_EQ(TextOfDouble(v).toStdString(), kovel::basic::CStr(v).toStdString()) << v;
}

TEST(SqliteFiles, AViewWithoutEndStopsAtTheCap)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("endless.db"));
    fixtures::MakeSqlite(file, "CREATE VIEW Endless AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n) "
                               "SELECT i, 'row ' || i AS label FROM n;");
    Limits limits;
    limits.maxRecordsetValues = 10'000;
    QString error;
    auto db = Database::Open(file, error, limits);
    ASSERT_TRUE(db) << error.toStdString();
    ASSERT_EQ(db->QueryDefs_().Count(), 1);
    EXPECT_EQ(db->QueryDefs_().Item(0).fields.Count(), 2);
    try {
        db->OpenRecordset(QStringLiteral("endless"));
        FAIL();
    } catch (const Error& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("more values"))) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QStringLiteral("endless.db"))) << e.text().toStdString();
    }
}
