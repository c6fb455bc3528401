#include "common/MsgBox.h"
#include "common/ui/DialegObrir.h"
#include "datasources/ClsAccess.h"
#include "datasources/FontDades.h"
#include "platform/access/tests/SqliteFixture.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Access : ::testing::Test {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("shop.db"));
    std::int16_t answer = mod_rvtMsgBox::vbNo;
    std::optional<QString> chosen;
    ClsAccess a;

    void SetUp() override
    {
        fixtures::MakeSqlite(file,
                             "CREATE TABLE T1(Id INTEGER, Name TEXT, Pic BLOB); CREATE TABLE T2(x); CREATE TABLE Both(a, b, c);"
                             "CREATE VIEW Q1 AS SELECT Name FROM T1;"
                             "INSERT INTO T1 VALUES (1, 'Ann', x'00FF'), (2, NULL, NULL);");
        qunsetenv("KOVEL_CURRENT_DATABASE");
        a.setFontDadesActual(QStringLiteral("before.db"));
        mod_rvtMsgBox::setAnswerer([this](const QString&, std::int16_t, const QString&) { return answer; });
        kovel::datasources::setDemanaFitxer([this](const kovel::datasources::PeticioFitxer& p) {
            EXPECT_EQ(p.extensioDefecte, QStringLiteral("ACCDB"));
            EXPECT_EQ(CommDlg::FiltresQt(p.filtre), (QStringList{"*.ACCDB (*.accdb)", "*.MDB (*.mdb)"}));
            return chosen;
        });
    }
    void TearDown() override
    {
        mod_rvtMsgBox::resetAnswerer();
        kovel::datasources::setDemanaFitxer({});
        qunsetenv("KOVEL_CURRENT_DATABASE");
    }
    void connect()
    {
        qputenv("KOVEL_CURRENT_DATABASE", file.toUtf8());
        QString message;
        ASSERT_TRUE(a.Conectar(message)) << message.toStdString();
    }
};

} // namespace

TEST_F(Access, ConnectingByTheEnvironmentOrTheDialog)
{
    QString message = QStringLiteral("kept");
    EXPECT_FALSE(a.Conectar(message));   // no database, answer No
    EXPECT_EQ(message, QStringLiteral("kept"));
    EXPECT_EQ(a.nListas(), -1);
    EXPECT_EQ(a.Conjunt_Taules(), nullptr);
    answer = mod_rvtMsgBox::vbYes;
    EXPECT_FALSE(a.Conectar(message));   // Cancel
    EXPECT_EQ(message, QStringLiteral("kept"));
    const QString junk = dir.filePath(QStringLiteral("junk.accdb"));
    fixtures::MakeSqlite(dir.filePath(QStringLiteral("ok.db")), "CREATE TABLE z(a);");
    QFile(dir.filePath(QStringLiteral("ok.db"))).copy(junk);
    QFile j(junk);
    ASSERT_TRUE(j.open(QIODevice::ReadWrite));
    j.write("garbage!");
    j.close();
    chosen = junk;
    EXPECT_FALSE(a.Conectar(message));
    EXPECT_TRUE(message.contains(QStringLiteral("junk.accdb"))) << message.toStdString();
    EXPECT_EQ(a.FontDadesActual(), QStringLiteral("before.db"));
    chosen = file;
    EXPECT_TRUE(a.Conectar(message));
    EXPECT_EQ(a.FontDadesActual(), QFileInfo(file).absoluteFilePath());
    EXPECT_TRUE(a.objApp()->Visible);
}

TEST_F(Access, TablesComeBeforeQueries)
{
    connect();
    EXPECT_EQ(a.nTablas(), 3);
    EXPECT_EQ(a.nConsultas(), 1);
    EXPECT_EQ(a.nListas(), 4);
    EXPECT_EQ(a.Lista(0), QStringLiteral("T1"));
    EXPECT_EQ(a.Lista(2), QStringLiteral("Both"));
    EXPECT_EQ(a.Lista(3), QStringLiteral("Q1"));
    EXPECT_EQ(a.Lista(4), QString());
    EXPECT_EQ(a.Tabla(1), QStringLiteral("T2"));
    EXPECT_EQ(a.Consulta(0), QStringLiteral("Q1"));
    // SQLite keeps tables and views in one namespace: no name is both a query and a table.
    EXPECT_EQ(a.nCampos(QStringLiteral("q1")), 1);
    EXPECT_EQ(a.nCampos(QStringLiteral("Both")), 3);
    EXPECT_EQ(a.nCampos(QStringLiteral("nothing")), -1);
    EXPECT_EQ(a.Campo(QStringLiteral("Both"), 2), QStringLiteral("c"));
    EXPECT_EQ(a.Campo(QStringLiteral("nothing"), 0), QString());
    EXPECT_EQ(a.Campo(QStringLiteral("Both"), 3), QString());
}

TEST_F(Access, FieldContentsAsText)
{
    connect();
    auto rs = a.objApp()->CurrentDb()->OpenRecordset(QStringLiteral("T1"));
    EXPECT_EQ(a.contingut_camp(*rs, QStringLiteral("name")), QStringLiteral("Ann"));
    EXPECT_EQ(a.contingut_camp(*rs, QStringLiteral("Id")), QStringLiteral("1"));
    EXPECT_EQ(a.contingut_camp(*rs, QStringLiteral("Pic")), QString());
    EXPECT_EQ(a.substituir_camps(QStringLiteral("No <<x>>: <<y>>!"), QStringLiteral("No <<Id>>: <<Pic>>!"), *rs),
              QStringLiteral("No 1: !"));
    EXPECT_THROW(a.contingut_camp(*rs, QStringLiteral("Missing")), kovel::access::Error);
    rs->MoveNext();
    EXPECT_EQ(a.contingut_camp(*rs, QStringLiteral("Name")), QString());   // Null
    rs->MoveNext();
    EXPECT_THROW(a.contingut_camp(*rs, QStringLiteral("Name")), kovel::access::Error);
}

TEST(AccessText, TextRoutines)
{
    QString t = QStringLiteral("caf\\'e9 and \\'80\\'20end\\'zz");
    ClsAccess::Normaliza_Campo(t);
    EXPECT_EQ(t, QString::fromUtf8("caf\xC3\xA9 and \xE2\x82\xAC end\\'zz"));
    EXPECT_EQ(ClsAccess::Encadenar(QStringLiteral("'a'+'b'+c")), QStringLiteral("abc"));
    EXPECT_EQ(ClsAccess::sinLF(QStringLiteral("a\r\nb\nc")), QStringLiteral("abc"));
    EXPECT_EQ(ClsAccess::HexToDec(QStringLiteral("1aF")), 431);
    EXPECT_EQ(ClsAccess::ctoDec(QStringLiteral("7f")), 127);
    EXPECT_EQ(ClsAccess::NextSeparation(QStringLiteral("ab cd\\ef"), 1), 3);
    EXPECT_EQ(ClsAccess::NextSeparation(QStringLiteral("ab\\cd ef"), 1), 3);
    EXPECT_EQ(ClsAccess::NextSeparation(QStringLiteral("abc}"), 1), 3);
}
