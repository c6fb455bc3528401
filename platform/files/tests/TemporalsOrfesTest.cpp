// Temporaries of killed writers: the next write in their folder removes them, and never the
// temporary of a writer that is still at work, in another process or in this one.
#include "platform/files/EscripturaAtomica.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kovel::files;

namespace {

QStringList fitxers(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QByteArray llegeix(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The temporaries in `dir` of the target named `nom`.
QStringList temporals(const QString& dir, const QString& nom)
{
    return QDir(dir).entryList({nom + QStringLiteral(".kovel-*")}, QDir::Files | QDir::Hidden);
}

// A file made without the writer, whose writes sweep.
void crea(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

void envelleix(const QString& path, int segons)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-segons), QFileDevice::FileModificationTime));
}

// A child process that saves `mida` bytes to `path` through the writer: it writes the first
// half, says so on a pipe and waits for a word before it writes the rest and confirms. Its
// exit status is 0 when the save succeeded.
class Escriptor {
public:
    Escriptor(const QString& path, qint64 mida, char byte)
    {
        int avis[2], ordre[2];
        if (::pipe(avis) != 0 || ::pipe(ordre) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(avis[0]);
            ::close(ordre[1]);
            const QByteArray bloc(1 << 20, byte);
            EscripturaAtomica f(path);
            qint64 escrit = 0;
            bool ok = true;
            while (ok && escrit < mida / 2) {
                ok = f.escriu(bloc.constData(), std::min<qint64>(bloc.size(), mida / 2 - escrit));
                escrit += bloc.size();
            }
            char c = ok ? '1' : '0';
            (void)!::write(avis[1], &c, 1);
            if (::read(ordre[0], &c, 1) != 1) // the parent closed the pipe: it is going
                ::_exit(3);
            for (escrit = mida / 2; ok && escrit < mida; escrit += bloc.size())
                ok = f.escriu(bloc.constData(), std::min<qint64>(bloc.size(), mida - escrit));
            ::_exit(ok && f.confirma() ? 0 : 1);
        }
        ::close(avis[1]);
        ::close(ordre[0]);
        avis_ = avis[0];
        ordre_ = ordre[1];
    }
    ~Escriptor()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(avis_);
        ::close(ordre_);
    }
    // Waits until the child is half way through its save.
    bool aMitges()
    {
        char c = 0;
        return pid_ > 0 && ::read(avis_, &c, 1) == 1 && c == '1';
    }
    void mata()
    {
        ::kill(pid_, SIGKILL);
        ::waitpid(std::exchange(pid_, -1), nullptr, 0);
    }
    // Lets it finish; its exit status.
    int acaba()
    {
        const char c = 'g';
        (void)!::write(ordre_, &c, 1);
        int estat = 0;
        ::waitpid(std::exchange(pid_, -1), &estat, 0);
        return WIFEXITED(estat) ? WEXITSTATUS(estat) : -1;
    }

private:
    pid_t pid_ = -1;
    int avis_ = -1;
    int ordre_ = -1;
};

} // namespace

TEST(Orphans, AWriterKilledMidSaveIsSweptByTheNextWriteAndALiveWriterIsLeftAlone)
{
    QTemporaryDir dir;
    const QString labels = dir.filePath("labels.docx");
    const QString viu = dir.filePath("wp_000002.docx");
    crea(labels, "the old sheet");

    // A writer at work, half way through a large document.
    Escriptor actiu(viu, 8 << 20, 'v');
    ASSERT_TRUE(actiu.aMitges());
    // Another, killed with its temporary half written.
    {
        Escriptor mort(labels, 16 << 20, 'm');
        ASSERT_TRUE(mort.aMitges());
        mort.mata();
    }
    const QStringList orfes = temporals(dir.path(), "labels.docx");
    ASSERT_EQ(orfes.size(), 1);
    EXPECT_GE(QFileInfo(dir.filePath(orfes[0])).size(), 8 << 20);
    EXPECT_EQ(llegeix(labels), "the old sheet");
    ASSERT_EQ(temporals(dir.path(), "wp_000002.docx").size(), 1);

    // The next write in the folder, of any file, sweeps the orphan and only it.
    ASSERT_TRUE(EscriuAtomic(dir.filePath("wp_000003.docx"), "another"));
    EXPECT_TRUE(temporals(dir.path(), "labels.docx").isEmpty());
    EXPECT_EQ(temporals(dir.path(), "wp_000002.docx").size(), 1);
    // Nor does the owner's sweep of its own file take a live temporary.
    EXPECT_EQ(EsborraTemporalsOrfes(viu), 0);

    // The live writer finishes its save as if nothing had happened.
    EXPECT_EQ(actiu.acaba(), 0);
    EXPECT_EQ(QFileInfo(viu).size(), 8 << 20);
    EXPECT_EQ(fitxers(dir.path()), (QStringList{"labels.docx", "wp_000002.docx", "wp_000003.docx"}));
}

TEST(Orphans, ATemporaryLockedInThisProcessStaysAndTheUsersFilesAreNeverTaken)
{
    QTemporaryDir dir;
    // This process's own writer at work: the lock is per open file, not per process.
    EscripturaAtomica obert(dir.filePath("a.docx"));
    ASSERT_TRUE(obert.escriu("half"));

    // Names that only look like temporaries, a link and a folder named like one.
    for (const char* nom : {"notes.backup", "x.kovel-abc", "x.kovel-abcdefg", "x.kovel-ab_cd!", ".kovel-Ab3dE9",
                            "x.docx.Ab3dE9"})
        crea(dir.filePath(nom), "user");
    ASSERT_TRUE(QDir(dir.path()).mkdir("y.kovel-Ab3dE9"));
    crea(dir.filePath("target"), "t");
    ASSERT_TRUE(QFile::link(dir.filePath("target"), dir.filePath("z.kovel-Ab3dE9")));
    // An orphan written by an earlier version (no mark).
    crea(dir.filePath("b.docx.Qw3rty"), "old form");
    // Orphans of this writer's form.
    crea(dir.filePath("c.docx.kovel-Ab3dE9"), "orphan");
    crea(dir.filePath("d.dat.kovel-000000"), "orphan");
    // One written after the sweeping write began: a writer that has yet to lock it.
    crea(dir.filePath("f.docx.kovel-Fut123"), "new");
    envelleix(dir.filePath("f.docx.kovel-Fut123"), -60);
    const QStringList abans = fitxers(dir.path());

    EXPECT_EQ(EscombraCarpeta(dir.filePath("e.docx")), 2);
    QStringList despres = abans;
    despres.removeAll("c.docx.kovel-Ab3dE9");
    despres.removeAll("d.dat.kovel-000000");
    EXPECT_EQ(fitxers(dir.path()), despres);
    EXPECT_TRUE(QFileInfo(dir.filePath("y.kovel-Ab3dE9")).isDir());
    EXPECT_EQ(temporals(dir.path(), "a.docx").size(), 1);

    // The earlier form goes only when the owner of the file asks, once it is old enough for
    // no writer to be at work on it.
    envelleix(dir.filePath("b.docx.Qw3rty"), 3600);
    EXPECT_EQ(EscombraCarpeta(dir.filePath("b.docx")), 0);
    EXPECT_EQ(EsborraTemporalsOrfes(dir.filePath("b.docx"), 600), 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("b.docx.Qw3rty")));
    EXPECT_TRUE(QFile::exists(dir.filePath("x.docx.Ab3dE9")));

    ASSERT_TRUE(obert.confirma());
    EXPECT_EQ(llegeix(dir.filePath("a.docx")), "half");
    EXPECT_TRUE(temporals(dir.path(), "a.docx").isEmpty());
}
