// The shared writer: the old file survives every failure, the temporary never stays, a
// symlink is replaced rather than written through.
#include "platform/files/EscripturaAtomica.h"
#include "platform/files/tests/DiscPle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kovel::files;

namespace {

QByteArray llegeix(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList fitxers(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

class LimitDeProva {
public:
    explicit LimitDeProva(qint64 bytes) { LimitaEscripturesPerProva(bytes); }
    ~LimitDeProva() { LimitaEscripturesPerProva(-1); }
};

} // namespace

TEST(EscripturaAtomica, ReplacesTheFileAndKeepsItsPermissions)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.txt");
    ASSERT_TRUE(EscriuAtomic(path, "old"));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QString error;
    ASSERT_TRUE(EscriuAtomic(path, "new content", &error)) << qPrintable(error);
    EXPECT_EQ(llegeix(path), "new content");
    EXPECT_EQ(QFile::permissions(path) & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(fitxers(dir.path()), QStringList{"a.txt"});
    ASSERT_TRUE(EscriuAtomic(path, QByteArray()));
    EXPECT_EQ(llegeix(path), QByteArray());
}

TEST(EscripturaAtomica, AFailedWriteKeepsTheOldFileAndLeavesNoTemporary)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("doc.docx");
    ASSERT_TRUE(EscriuAtomic(path, "the good sheet"));
    {
        LimitDeProva limit(100);
        QString error;
        EXPECT_FALSE(EscriuAtomic(path, QByteArray(5000, 'x'), &error));
        EXPECT_TRUE(error.contains(path)) << qPrintable(error);
        EXPECT_TRUE(error.contains("space")) << qPrintable(error);
    }
    EXPECT_EQ(llegeix(path), "the good sheet");
    EXPECT_EQ(fitxers(dir.path()), QStringList{"doc.docx"});

    // Piece by piece: the first failure sticks, and nothing is renamed.
    LimitDeProva limit(10);
    EscripturaAtomica f(path);
    EXPECT_TRUE(f.escriu("12345"));
    EXPECT_FALSE(f.escriu("67890abcdef"));
    EXPECT_FALSE(f.escriu("x"));
    EXPECT_FALSE(f.confirma());
    EXPECT_FALSE(f.error().isEmpty());
    EXPECT_EQ(llegeix(path), "the good sheet");
    EXPECT_EQ(fitxers(dir.path()), QStringList{"doc.docx"});
}

TEST(EscripturaAtomica, UnconfirmedWritesAreDiscarded)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.reg");
    ASSERT_TRUE(EscriuAtomic(path, "before"));
    {
        EscripturaAtomica f(path);
        ASSERT_TRUE(f.escriu("half"));
    }
    EXPECT_EQ(llegeix(path), "before");
    EXPECT_EQ(fitxers(dir.path()), QStringList{"s.reg"});
    EXPECT_FALSE(EscriuAtomic(dir.filePath("missing/x"), "y"));
}

TEST(EscripturaAtomica, ASymlinkIsReplacedNotWrittenThrough)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("precious.txt");
    const QString link = dir.filePath("out.docx");
    ASSERT_TRUE(EscriuAtomic(target, "precious"));
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_TRUE(EscriuAtomic(link, "sheet"));
    EXPECT_EQ(llegeix(target), "precious");
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(llegeix(link), "sheet");
}

TEST(EscripturaAtomica, OnAFullDiskTheOldFileStays)
{
    kovel::test::DiscPetit disc;
    if (!disc.muntat())
        GTEST_SKIP() << "a tmpfs cannot be mounted here; the injected failures above cover this";
    const QString path = disc.filePath("user.reg");
    ASSERT_TRUE(EscriuAtomic(path, QByteArray(8000, 'g')));
    disc.omple();
    QString error;
    EXPECT_FALSE(EscriuAtomic(path, QByteArray(20000, 'n'), &error));
    EXPECT_TRUE(error.contains("No space left")) << qPrintable(error);
    EXPECT_EQ(llegeix(path), QByteArray(8000, 'g'));
    EXPECT_EQ(fitxers(disc.path()), (QStringList{".farciment", "user.reg"}));
    disc.buida();
    EXPECT_TRUE(EscriuAtomic(path, QByteArray(20000, 'n')));
}

TEST(EscripturaAtomica, AFailedAppendLeavesTheLogAsItWas)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("warnings.log");
    ASSERT_TRUE(AfegeixSegur(path, "line 1\n"));
    ASSERT_TRUE(AfegeixSegur(path, "line 2\n"));
    {
        LimitDeProva limit(3);
        QString error;
        EXPECT_FALSE(AfegeixSegur(path, "a line that does not fit\n", &error));
        EXPECT_TRUE(error.contains("warnings.log"));
    }
    EXPECT_EQ(llegeix(path), "line 1\nline 2\n");

    kovel::test::DiscPetit disc;
    if (!disc.muntat())
        GTEST_SKIP() << "a tmpfs cannot be mounted here";
    const QString log = disc.filePath("Runtime.log");
    ASSERT_TRUE(AfegeixSegur(log, "kept\n"));
    disc.omple();
    EXPECT_FALSE(AfegeixSegur(log, QByteArray(9000, 'z')));
    EXPECT_EQ(llegeix(log), "kept\n");
}
