// The database list of the data-source panel: tables before queries, system and temporary
// objects and action queries left out, on a real database file and on hand-made collections.
#include "datasources/ClsAccess.h"
#include "platform/access/tests/SqliteFixture.h"
#include "wizard/PanelOrigenDatos.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kovel::access;

TEST(PanelOrigenDatos, NamesLeftOutWithoutRegardToCase)
{
    EXPECT_FALSE(ModTolvWiz::NomLlistable(QStringLiteral("MSysObjects")));
    EXPECT_FALSE(ModTolvWiz::NomLlistable(QStringLiteral("msysdata")));
    EXPECT_FALSE(ModTolvWiz::NomLlistable(QStringLiteral("~TMPCLP1234")));
    EXPECT_TRUE(ModTolvWiz::NomLlistable(QStringLiteral("MSy")));
    EXPECT_TRUE(ModTolvWiz::NomLlistable(QStringLiteral("Clients~")));
    EXPECT_TRUE(ModTolvWiz::NomLlistable(QStringLiteral(" MSysX")));
    EXPECT_TRUE(ModTolvWiz::NomLlistable(QString()));
}

TEST(PanelOrigenDatos, DatabaseFileListsTablesThenQueries)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("shop.db"));
    fixtures::MakeSqlite(file,
                         "CREATE TABLE Zeta(a); CREATE TABLE msysdata(a); CREATE TABLE \"~tmp\"(a);"
                         "CREATE TABLE Alfa(a); CREATE VIEW Vista AS SELECT a FROM Alfa;"
                         "CREATE VIEW MSysVista AS SELECT a FROM Zeta;");
    qputenv("KOVEL_CURRENT_DATABASE", file.toUtf8());
    ClsAccess font;
    QString message;
    ASSERT_TRUE(font.Conectar(message)) << message.toStdString();
    qunsetenv("KOVEL_CURRENT_DATABASE");

    const QStringList noms = ModTolvWiz::LlistaTaulesConsultes(font.Conjunt_Taules(), font.Conjunt_Consultes());
    ASSERT_EQ(noms.size(), 3);
    EXPECT_EQ(noms.last(), QStringLiteral("Vista"));
    EXPECT_TRUE(noms.contains(QStringLiteral("Zeta")));
    EXPECT_TRUE(noms.contains(QStringLiteral("Alfa")));
    EXPECT_EQ(ModTolvWiz::LlistaTaulesConsultes(nullptr, nullptr), QStringList());
}

TEST(PanelOrigenDatos, OnlyQueriesThatMakeRecords)
{
    TableDefs taules;
    taules.Append(TableDef{QStringLiteral("Clients"), {}});
    QueryDefs consultes;
    const std::pair<const char*, std::int16_t> tipus[] = {
        {"Select", dbQSelect}, {"Append", 64}, {"Crosstab", dbQCrosstab}, {"Delete", 32},
        {"Update", 48}, {"PassThrough", dbQSQLPassThrough}, {"MakeTable", 80}, {"~sq_cForm", dbQSelect},
    };
    for (const auto& [nom, t] : tipus) {
        QueryDef q;
        q.Name = QString::fromLatin1(nom);
        q.Type = t;
        consultes.Append(q);
    }
    EXPECT_EQ(ModTolvWiz::LlistaTaulesConsultes(&taules, &consultes),
              (QStringList{"Clients", "Select", "Crosstab", "PassThrough"}));
}
