#include "platform/access/Database.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kovel::access;

// No tool on this system writes Access files (libmdb only reads them), and no file of that
// format may be copied in; a file of one's own can be given in $KOVEL_MDB_FIXTURE with a
// table of at least one field.
TEST(Mdb, TablesAndRecordsOfAGivenFile)
{
    const QString file = qEnvironmentVariable("KOVEL_MDB_FIXTURE");
    if (file.isEmpty())
        GTEST_SKIP() << "no .mdb/.accdb fixture: none can be made here; set KOVEL_MDB_FIXTURE to run";
    QString error;
    auto db = Database::Open(file, error);
    ASSERT_TRUE(db) << error.toStdString();
    ASSERT_GT(db->TableDefs_().Count(), 0);
    for (const TableDef& t : db->TableDefs_()) {
        if (t.Name.startsWith(QStringLiteral("MSys"), Qt::CaseInsensitive) || t.fields.Count() == 0)
            continue;
        auto rs = db->OpenRecordset(t.Name);
        for (std::int64_t i = 0; i < rs->RecordCount(); ++i, rs->MoveNext())
            for (std::int32_t c = 0; c < t.fields.Count(); ++c)
                (void)rs->Text(c);
        EXPECT_TRUE(rs->EOF_());
        return;
    }
}

TEST(Mdb, AFileWithTheSignatureButNoDatabaseIsRefused)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("fake.mdb"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("\0\x01\0\0Standard Jet DB\0", 20) + QByteArray(200, '\x7f'));
    f.close();
    QString error;
    EXPECT_FALSE(Database::Open(file, error));
    EXPECT_FALSE(error.isEmpty());
}
