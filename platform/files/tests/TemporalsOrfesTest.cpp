// Temporaries of killed writers: the next write of their file removes them once they are old,
// and never the temporary of a writer that is still at work, in another process or in this
// one, nor any file of the user's, whatever its name.
#include "platform/files/EscripturaAtomica.h"
#include "platform/files/tests/Orfe.h"

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

TEST(Orphans, AWriterKilledMidSaveIsSweptByTheNextWriteOfItsFileAndALiveWriterIsLeftAlone)
{
    QTemporaryDir dir;
    const QString labels = dir.filePath("labels.docx");
    const QString viu = dir.filePath("wp_000002.docx");
    crea(labels, "the old sheet");

    // A writer at work, half way through a large document, long untouched.
    Escriptor actiu(viu, 8 << 20, 'v');
    ASSERT_TRUE(actiu.aMitges());
    ASSERT_EQ(temporals(dir.path(), "wp_000002.docx").size(), 1);
    kovel::test::Envelleix(dir.filePath(temporals(dir.path(), "wp_000002.docx")[0]), 3600);
    // Another, killed with its temporary half written, long ago.
    {
        Escriptor mort(labels, 16 << 20, 'm');
        ASSERT_TRUE(mort.aMitges());
        mort.mata();
    }
    ASSERT_EQ(temporals(dir.path(), "labels.docx").size(), 1);
    const QString orfe = temporals(dir.path(), "labels.docx")[0];
    kovel::test::Envelleix(dir.filePath(orfe), 3600);
    EXPECT_GE(QFileInfo(dir.filePath(orfe)).size(), 8 << 20);
    EXPECT_EQ(llegeix(labels), "the old sheet");

    // A write of another file leaves it: the folder may be the user's.
    ASSERT_TRUE(EscriuAtomic(dir.filePath("wp_000003.docx"), "another"));
    EXPECT_EQ(temporals(dir.path(), "labels.docx"), QStringList{orfe});
    // The next write of the same file sweeps it.
    ASSERT_TRUE(EscriuAtomic(labels, "the new sheet"));
    EXPECT_TRUE(temporals(dir.path(), "labels.docx").isEmpty());
    // Nor does a sweep of its own file take a live temporary, however old.
    EXPECT_EQ(EsborraTemporalsOrfes(viu), 0);
    EXPECT_EQ(temporals(dir.path(), "wp_000002.docx").size(), 1);

    // The live writer finishes its save as if nothing had happened.
    EXPECT_EQ(actiu.acaba(), 0);
    EXPECT_EQ(QFileInfo(viu).size(), 8 << 20);
    EXPECT_EQ(llegeix(labels), "the new sheet");
    EXPECT_EQ(fitxers(dir.path()), (QStringList{"labels.docx", "wp_000002.docx", "wp_000003.docx"}));
}

TEST(Orphans, TheUsersFilesBesideEveryKindOfWriteSurviveAndOnlyRealOldOrphansGo)
{
    QTemporaryDir dir;
    // This process's own writer at work: the lock is per open file, not per process.
    EscripturaAtomica obert(dir.filePath("a.docx"));
    ASSERT_TRUE(obert.escriu("half"));

    // The user's files, old enough for any sweep: backups, names like a temporary's (of the
    // very files written below, too), a link and a folder named like one.
    const QStringList delUsuari{"report.kovel-abc123", "user.reg.backup", "machine.reg.202412", "user.reg.240115",
                                "user.reg.orig01", "guardatsW.dat.backup", "x.docx.kovel-ABCDEF",
                                "wp_000803.docx.kovel-ABCDEFGHabcdefgh", "user.reg.kovel-Ab3dE9xyAb3dE9xy",
                                "x.docx.Ab3dE9", "notes.backup", ".kovel-Ab3dE9xyAb3dE9xy"};
    for (const QString& nom : delUsuari) {
        crea(dir.filePath(nom), "user");
        kovel::test::Envelleix(dir.filePath(nom), 7 * 86400);
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir("y.docx.kovel-Ab3dE9"));
    crea(dir.filePath("target"), "t");
    ASSERT_TRUE(QFile::link(dir.filePath("target"), dir.filePath("z.kovel-Ab3dE9")));

    // Real orphans of killed writers: one of each file written below, one of a file not
    // written, and one killed only minutes ago, when a slow save could still be at work.
    QStringList orfes;
    for (const char* nom : {"x.docx", "wp_000803.docx", "user.reg", "machine.reg", "c.docx"})
        orfes << kovel::test::OrfeDe(dir.filePath(nom));
    ASSERT_FALSE(orfes.contains(QString()));
    const QString recent = kovel::test::OrfeDe(dir.filePath("r.docx"), 120);
    ASSERT_FALSE(recent.isEmpty());

    // Each kind of write: a document into the output folder, the settings files, a store.
    for (const char* nom : {"x.docx", "wp_000803.docx", "user.reg", "machine.reg"})
        ASSERT_TRUE(EscriuAtomic(dir.filePath(nom), "new"));
    EXPECT_EQ(EsborraTemporalsOrfes(dir.filePath("r.docx")), 0);
    EXPECT_EQ(EsborraTemporalsOrfes(dir.filePath("c.docx"), 600), 1);

    for (const QString& nom : delUsuari)
        EXPECT_EQ(llegeix(dir.filePath(nom)), "user") << qPrintable(nom);
    for (const QString& orfe : orfes)
        EXPECT_FALSE(QFile::exists(orfe)) << qPrintable(orfe);
    EXPECT_TRUE(QFile::exists(recent));
    EXPECT_TRUE(QFileInfo(dir.filePath("y.docx.kovel-Ab3dE9")).isDir());
    EXPECT_TRUE(QFileInfo(dir.filePath("z.kovel-Ab3dE9")).isSymLink());
    EXPECT_EQ(temporals(dir.path(), "a.docx").size(), 1);

    ASSERT_TRUE(obert.confirma());
    EXPECT_EQ(llegeix(dir.filePath("a.docx")), "half");
    EXPECT_TRUE(temporals(dir.path(), "a.docx").isEmpty());
}
