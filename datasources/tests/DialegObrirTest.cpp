// The open-file dialog as the data sources use it, answered by the test.
#include "common/ui/DialegObrir.h"
#include "datasources/FontDades.h"
#include "platform/excel/tests/Fixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(DialegObrir, OnlyAnExistingFileWithAShortEnoughPathIsReturned)
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("data.xlsx"));
    fixtures::WriteFile(real, "x");
    QString deep = dir.path();
    while (deep.size() < 250) deep += QStringLiteral("/folder");
    ASSERT_TRUE(QDir().mkpath(deep));
    const QString tooLong = deep + QStringLiteral("/data.xlsx");
    fixtures::WriteFile(tooLong, "x");
    ASSERT_GT(tooLong.size(), 254);

    std::optional<QString> answer;
    CommDlg::setAnswerer([&](const CommDlg::Peticio&) { return answer; });
    QString path = QStringLiteral("as it was");
    EXPECT_FALSE(CommDlg::ObrirFitxer(path));                       // Cancel
    answer = dir.filePath(QStringLiteral("missing.xlsx"));
    EXPECT_FALSE(CommDlg::ObrirFitxer(path));
    answer = tooLong;
    EXPECT_FALSE(CommDlg::ObrirFitxer(path));
    EXPECT_EQ(path, QStringLiteral("as it was"));
    answer = real;
    EXPECT_TRUE(CommDlg::ObrirFitxer(path));
    EXPECT_EQ(path, real);
    CommDlg::resetAnswerer();
    EXPECT_EQ(CommDlg::FiltresQt(QString()), QStringList{QStringLiteral("*.* (*)")});
}

TEST(DialegObrir, TheSourcesKeepOnlyAnExistingFileFromTheInjectedChooser)
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("data.csv"));
    fixtures::WriteFile(real, "a,b\n");
    const kovel::datasources::PeticioFitxer peticio{QString(), QStringLiteral("*.CSV"), QStringLiteral("CSV")};
    kovel::datasources::setDemanaFitxer({});
    EXPECT_FALSE(kovel::datasources::TriaFitxer(peticio));   // none installed: nothing chosen
    std::optional<QString> answer;
    kovel::datasources::PeticioFitxer vist;
    kovel::datasources::setDemanaFitxer([&](const kovel::datasources::PeticioFitxer& p) {
        vist = p;
        return answer;
    });
    EXPECT_FALSE(kovel::datasources::TriaFitxer(peticio));   // Cancel
    EXPECT_EQ(vist.extensioDefecte, QStringLiteral("CSV"));
    answer = dir.filePath(QStringLiteral("missing.csv"));
    EXPECT_FALSE(kovel::datasources::TriaFitxer(peticio));
    answer = dir.path();                                     // a folder is no file
    EXPECT_FALSE(kovel::datasources::TriaFitxer(peticio));
    answer = real;
    EXPECT_EQ(kovel::datasources::TriaFitxer(peticio), real);
    kovel::datasources::setDemanaFitxer({});
}
