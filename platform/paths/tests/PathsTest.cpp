#include "platform/paths/Paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kovel::paths;

namespace {
void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}
} // namespace

TEST(Paths, ProgramFolderComesFromTheEnvironmentWithoutTrailingSlash)
{
    const QByteArray saved = qgetenv("KOVEL_PROGRAM_DIR");
    qputenv("KOVEL_PROGRAM_DIR", "/opt/kovel/");
    EXPECT_EQ(programDir(), "/opt/kovel");
    EXPECT_EQ(machineRegistryFile().isEmpty(), false);
    qputenv("KOVEL_PROGRAM_DIR", saved);
    EXPECT_EQ(withoutTrailingSlash("/"), "/");
    EXPECT_EQ(withoutTrailingSlash("a\\b\\"), "a/b");
}

TEST(Paths, ProgramFilesAreFoundWithoutRegardToCase)
{
    QTemporaryDir dir;
    touch(dir.path() + "/DATA/FonsHome.dat");
    touch(dir.path() + "/LITER.UNI");
    EXPECT_EQ(findCaseInsensitive(dir.path(), "Data/FONSHOME.DAT"), dir.path() + "/DATA/FonsHome.dat");
    EXPECT_EQ(findCaseInsensitive(dir.path(), "\\data\\fonshome.dat"), dir.path() + "/DATA/FonsHome.dat");
    EXPECT_EQ(findCaseInsensitive(dir.path(), "liter.uni"), dir.path() + "/LITER.UNI");
    // A missing file gives the path as asked, so a message can name it.
    EXPECT_EQ(findCaseInsensitive(dir.path(), "Data/missing.dat"), dir.path() + "/Data/missing.dat");
}

TEST(Paths, UserFoldersFollowXdgVariables)
{
    QTemporaryDir dir;
    const QByteArray savedData = qgetenv("XDG_DATA_HOME"), savedConf = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_DATA_HOME", (dir.path() + "/share/").toUtf8());
    qputenv("XDG_CONFIG_HOME", (dir.path() + "/conf").toUtf8());
    qunsetenv("KOVEL_USER_REGISTRY");
    EXPECT_EQ(appDataDir(), dir.path() + "/share");
    EXPECT_TRUE(QFileInfo(dir.path() + "/share").isDir());
    EXPECT_EQ(userRegistryFile(), dir.path() + "/conf/kovel-videvoviv/user.reg");
    qputenv("XDG_DATA_HOME", savedData);
    qputenv("XDG_CONFIG_HOME", savedConf);
}
