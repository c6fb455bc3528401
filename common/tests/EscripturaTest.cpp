// The common services' writers on a disk that fills up: the log and a copied file keep what
// they held.
#include "common/Fitxers.h"
#include "common/ModTolvWiz.h"
#include "common/tests/TestSupport.h"
#include "platform/files/EscripturaAtomica.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray llegeix(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class Limit {
public:
    explicit Limit(qint64 bytes) { kovel::files::LimitaEscripturesPerProva(bytes); }
    ~Limit() { kovel::files::LimitaEscripturesPerProva(-1); }
};

} // namespace

TEST(EscripturaComuna, ALogLineThatDoesNotFitLeavesTheLogWhole)
{
    kovel::test::PrivateProfile profile;
    QDir().mkpath(profile.programDir());
    const QString log = profile.programDir() + "/Runtime.log";
    ModoLog = true;
    ModTolvWiz::Escribe_Log("kept");
    const QByteArray abans = llegeix(log);
    {
        Limit limit(5);
        testing::internal::CaptureStderr();
        ModTolvWiz::Escribe_Log("a line that the disk cannot take");
        EXPECT_NE(testing::internal::GetCapturedStderr().find("a line that the disk cannot take"), std::string::npos);
    }
    ModoLog = false;
    EXPECT_EQ(llegeix(log), abans);
    EXPECT_TRUE(abans.endsWith(": kept\n"));
}

TEST(EscripturaComuna, ACopyThatFailsLeavesTheTargetAsItWas)
{
    QTemporaryDir dir;
    const QString src = dir.path() + "/src.docx";
    const QString dst = dir.path() + "/dst.docx";
    kovel::test::writeBytes(src, QByteArray(200000, 's'));
    kovel::test::writeBytes(dst, "the old copy");
    {
        Limit limit(70000);
        EXPECT_FALSE(directoris::CopiaFitxer(src, dst));
    }
    EXPECT_EQ(llegeix(dst), "the old copy");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"dst.docx", "src.docx"}));
    EXPECT_TRUE(directoris::CopiaFitxer(src, dst));
    EXPECT_EQ(llegeix(dst), QByteArray(200000, 's'));
}
