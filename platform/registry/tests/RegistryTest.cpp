#include "platform/registry/Registry.h"

#include "platform/files/EscripturaAtomica.h"
#include "platform/files/tests/DiscPle.h"
#include "platform/files/tests/Orfe.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#include <gtest/gtest.h>

using namespace kovel::registry;

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

class RegistryStore : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file() const { return dir.path() + "/sub/user.reg"; }
    Store store() const { return Store(file(), "HKEY_CURRENT_USER"); }
};

} // namespace

TEST_F(RegistryStore, KeysAreCreatedWithTheirParentsAndNamesIgnoreCase)
{
    Store s = store();
    ASSERT_TRUE(s.setValue("Software\\KOVEL Systems\\KOVEL Videvoviv\\6\\Selec", "TipoPag", Value::string("3")));
    EXPECT_TRUE(s.keyExists("software\\kovel systems"));
    EXPECT_TRUE(s.keyExists("SOFTWARE\\KOVEL SYSTEMS\\KOVEL VIDEVOVIV\\6"));
    EXPECT_EQ(s.value("software\\kovel systems\\kovel videvoviv\\6\\SELEC\\", "tipopag")->text, "3");
    EXPECT_EQ(s.subKeys("Software\\KOVEL Systems\\KOVEL Videvoviv\\6"), QStringList{"Selec"});
    // A second spelling updates the same value and keeps the first spelling of the key.
    ASSERT_TRUE(s.setValue("SOFTWARE\\kovel systems\\KOVEL Videvoviv\\6\\selec", "TIPOPAG", Value::string("4")));
    const Tree t = s.read();
    EXPECT_EQ(t.keyPaths().size(), 5);
    EXPECT_EQ(t.key("software\\kovel systems\\kovel videvoviv\\6\\selec")->path,
              "Software\\KOVEL Systems\\KOVEL Videvoviv\\6\\Selec");
    EXPECT_EQ(t.key("software\\kovel systems\\kovel videvoviv\\6\\selec")->values.size(), 1u);
    EXPECT_EQ(s.value("Software\\KOVEL Systems\\KOVEL Videvoviv\\6\\Selec", "TipoPag")->text, "4");
}

TEST_F(RegistryStore, EmptyKeysPersistAndDeletingAValueCreatesItsKey)
{
    Store s = store();
    ASSERT_TRUE(s.removeValue("A\\B", "missing"));
    EXPECT_TRUE(s.keyExists("A\\B"));
    ASSERT_TRUE(s.createKey("A\\C"));
    EXPECT_EQ(s.subKeys("a"), (QStringList{"B", "C"}));
    ASSERT_TRUE(s.setValue("A\\B", "x", Value::fromDword(7)));
    ASSERT_TRUE(s.removeValue("a\\b", "X"));
    EXPECT_FALSE(s.value("A\\B", "x").has_value());
    ASSERT_TRUE(s.removeKey("A"));
    EXPECT_FALSE(s.keyExists("A\\C"));
}

TEST(RegistryFormat, EveryKindOfValueSurvivesARoundTrip)
{
    Tree t("HKEY_LOCAL_MACHINE");
    t.setValue("Software\\K\\JocCaracters", "", Value::fromDword(178));
    t.setValue("Software\\K\\Banner", "url", Value::string("http://x/?a=\"b\"&c=\\d\\"));
    t.setValue("Software\\K\\Banner", "altura", Value::fromDword(0xFFFFFFFFu));
    t.setValue("Software\\K\\Texts", "lines", Value::string("one\r\ntwo\ttab"));
    t.setValue("Software\\K\\Texts", "unicode", Value::string(QString::fromUtf8("ñandú مرحبا €")));
    t.setValue("Software\\K\\Texts", "long", Value::string(QString(5000, u'x')));
    t.setValue("Software\\K\\Texts", "name with \"quotes\" and \\", Value::string(""));
    Value bin;
    bin.type = Value::Type::Binary;
    bin.binaryTag = "hex(2)";
    bin.bytes = QByteArray::fromHex("250055005300450052002500000000");
    t.setValue("Software\\K\\Texts", "expand", bin);
    // Names that hold '="' do not hide where a hex list runs on to the next line.
    bin.bytes = QByteArray(100, '\x7f');
    t.setValue("Software\\K\\Texts", "a=\"", bin);
    t.setValue("Software\\K\\Texts", "b=\"c", Value::string(QString("x\ny").repeated(30)));
    t.ensureKey("Software\\K\\Empty");

    const QByteArray bytes = t.serialize();
    EXPECT_TRUE(bytes.startsWith("Windows Registry Editor Version 5.00\r\n"));
    EXPECT_TRUE(bytes.contains("[HKEY_LOCAL_MACHINE\\Software\\K\\JocCaracters]\r\n@=dword:000000b2\r\n"));
    bool ok = false;
    const Tree back = Tree::parse(bytes, "HKEY_LOCAL_MACHINE", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(back.keyPaths(), t.keyPaths());
    for (const QString& k : t.keyPaths())
        for (const auto& [name, v] : t.key(k)->values)
            EXPECT_EQ(back.value(k, name), v) << qPrintable(k) << " " << qPrintable(name);
    EXPECT_EQ(back.serialize(), bytes);
}

TEST(RegistryFormat, ReadsHandWrittenFilesWithAndWithoutRootNames)
{
    const QByteArray text =
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n\n"
        "; a comment\n"
        "[HKEY_LOCAL_MACHINE\\Software\\A]\n"
        "\"n\"=dword:0000000A\n"
        "\"h\"=hex:01,02,\\\n   03\n"
        "[Software\\B]\n"
        "@=\"default\"\n";
    bool ok = false;
    const Tree t = Tree::parse(text, "HKEY_LOCAL_MACHINE", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(t.value("Software\\A", "N")->dword, 10u);
    EXPECT_EQ(t.value("Software\\A", "h")->bytes, QByteArray("\x01\x02\x03"));
    EXPECT_EQ(t.value("software\\b", "")->text, "default");
}

TEST_F(RegistryStore, BadFilesReadAsEmptyAndTheNextWriteLeavesAValidFile)
{
    QDir().mkpath(dir.path() + "/sub");
    const QByteArray valid = Tree("HKEY_CURRENT_USER").serialize();
    struct Case { const char* what; QByteArray bytes; bool keepsCopy; };
    const Case cases[] = {
        {"empty", QByteArray(), false},
        {"garbage", QByteArray("\x00\xff\x13garbage\n[[[", 13), true},
        {"no header", "[Software\\A]\n\"x\"=\"1\"\n", true},
        {"truncated", "Windows Registry Editor Version 5.00\n\n[Software\\A]\n\"x\"=\"1\"\n\"y\"=\"tw", true},
        {"value before key", "Windows Registry Editor Version 5.00\n\"x\"=\"1\"\n", true},
    };
    for (const Case& c : cases) {
        QFile::remove(file() + ".bad");
        writeFile(file(), c.bytes);
        Store s = store();
        EXPECT_FALSE(s.value("Software\\A", "y").has_value()) << c.what;
        ASSERT_TRUE(s.setValue("Software\\A", "z", Value::string("ok"))) << c.what;
        bool ok = false;
        const Tree t = Tree::parse(readFile(file()), "HKEY_CURRENT_USER", &ok);
        EXPECT_TRUE(ok) << c.what;
        EXPECT_EQ(t.value("Software\\A", "z")->text, "ok") << c.what;
        EXPECT_EQ(QFile::exists(file() + ".bad"), c.keepsCopy) << c.what;
    }
    // What a truncated file still holds whole is kept.
    writeFile(file(), "Windows Registry Editor Version 5.00\n\n[Software\\A]\n\"x\"=\"1\"\n\"y\"=\"tw");
    EXPECT_EQ(store().value("Software\\A", "x")->text, "1");
    EXPECT_FALSE(store().value("Software\\A", "y").has_value());
}

TEST_F(RegistryStore, AFileTooLargeToReadIsKeptAsideAndAFileThatCannotBeReadIsNotReplaced)
{
    QDir().mkpath(dir.path() + "/sub");
    {
        QFile big(file());
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(65ll * 1024 * 1024)); // sparse: no time spent writing it
    }
    Store s = store();
    EXPECT_FALSE(s.value("K", "a").has_value());
    ASSERT_TRUE(s.setValue("K", "a", Value::string("1")));
    EXPECT_EQ(QFileInfo(file() + ".bad").size(), 65ll * 1024 * 1024);
    EXPECT_EQ(s.value("K", "a")->text, "1");
    QFile::remove(file() + ".bad");

    if (geteuid() == 0)
        return; // permissions do not stop root
    ASSERT_TRUE(QFile::setPermissions(file(), QFileDevice::WriteOwner));
    EXPECT_FALSE(s.setValue("K", "b", Value::string("2")));
    ASSERT_TRUE(QFile::setPermissions(file(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(s.value("K", "a")->text, "1");
    EXPECT_FALSE(s.value("K", "b").has_value());
}

TEST_F(RegistryStore, AWriteThatCannotTakeTheLockLeavesTheFileAsItWas)
{
    Store s = store();
    ASSERT_TRUE(s.setValue("K", "a", Value::string("1")));
    const QByteArray before = readFile(file());
    QLockFile other(file() + ".lock");
    ASSERT_TRUE(other.lock());
    // The lock is held by this very process, so it is not stale: the write must give up.
    Store::setLockTimeout(200);
    EXPECT_FALSE(s.setValue("K", "a", Value::string("2")));
    Store::setLockTimeout(5000);
    other.unlock();
    EXPECT_EQ(readFile(file()), before);
    EXPECT_TRUE(s.setValue("K", "a", Value::string("2")));
    EXPECT_EQ(s.value("K", "a")->text, "2");
    // No temporary file is left beside it.
    const QStringList left = QDir(dir.path() + "/sub").entryList(QDir::Files);
    EXPECT_EQ(left, QStringList{"user.reg"});
}

TEST_F(RegistryStore, AWriterKilledMidWriteLeavesTheLastWholeFile)
{
    Store s = store();
    ASSERT_TRUE(s.setValue("K", "v", Value::string("start")));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Large values keep each write long enough to be cut by the kill.
        for (int i = 0;; ++i)
            s.setValue("K", "v", Value::string(QString(400000, QChar(u'a' + i % 26))));
    }
    QThread::msleep(300);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    bool ok = false;
    const Tree t = Tree::parse(readFile(file()), "HKEY_CURRENT_USER", &ok);
    EXPECT_TRUE(ok);
    ASSERT_TRUE(t.value("K", "v").has_value());
    const QString v = t.value("K", "v")->text;
    EXPECT_TRUE(v == "start" || (v.size() == 400000 && v.count(v[0]) == 400000));
    // The dead writer's lock does not block the next write.
    ASSERT_TRUE(s.setValue("K", "after", Value::string("yes")));
    EXPECT_EQ(s.value("K", "after")->text, "yes");
}

TEST_F(RegistryStore, ALockFileLeftEmptyByAKilledWriterIsBrokenWithinTheWait)
{
    Store s = store();
    ASSERT_TRUE(s.setValue("K", "a", Value::string("1")));
    // Killed after making the lock file and before writing its process id: only the
    // file's age can tell that nobody holds it.
    const QString lockPath = file() + ".lock";
    {
        QFile lock(lockPath);
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3), QFileDevice::FileModificationTime));
    }
    EXPECT_TRUE(s.setValue("K", "a", Value::string("2")));
    EXPECT_EQ(s.value("K", "a")->text, "2");
}

TEST_F(RegistryStore, NamesWithLineBreaksAreRefusedAndTheFileStaysValid)
{
    Store s = store();
    ASSERT_TRUE(s.setValue("K", "a", Value::string("1")));
    const QByteArray before = readFile(file());
    EXPECT_FALSE(s.setValue("K", "two\nlines", Value::string("x")));
    EXPECT_FALSE(s.setValue("K\\bad\nkey", "n", Value::string("x")));
    EXPECT_FALSE(s.createKey("K\\bad\rkey"));
    // A lone surrogate would be written as a replacement character: the name could not be found again.
    EXPECT_FALSE(s.setValue("K", QString(QChar(0xD800)) + "n", Value::string("x")));
    EXPECT_FALSE(s.createKey("K\\" + QString(QChar(0xDC00))));
    EXPECT_EQ(readFile(file()), before);
    // Line breaks in a value are kept.
    ASSERT_TRUE(s.setValue("K", "text", Value::string("two\nlines")));
    EXPECT_EQ(s.value("K", "text")->text, "two\nlines");
}

namespace {

class WriteLimit {
public:
    explicit WriteLimit(qint64 bytes) { kovel::files::LimitaEscripturesPerProva(bytes); }
    ~WriteLimit() { kovel::files::LimitaEscripturesPerProva(-1); }
};

// A child process that takes the lock and dies holding it (no unlock, no destructor).
void killedWhileLocked(const QString& lockPath)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QLockFile lock(lockPath);
        _exit(lock.tryLock(0) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFileInfo::exists(lockPath));
}

} // namespace

TEST_F(RegistryStore, AFailedWriteOnAFullDiskKeepsEverySetting)
{
    Store s = store();
    ASSERT_TRUE(s.setValue("K", "a", Value::string("1")));
    const QByteArray before = readFile(file());
    {
        WriteLimit limit(10);
        EXPECT_FALSE(s.setValue("K", "b", Value::string(QString(5000, u'b'))));
    }
    EXPECT_EQ(readFile(file()), before);
    // An unreadable file is replaced only once its copy is whole.
    writeFile(file(), "garbage that is not a settings file");
    {
        WriteLimit limit(10);
        EXPECT_FALSE(s.setValue("K", "c", Value::string("3")));
    }
    EXPECT_EQ(readFile(file()), "garbage that is not a settings file");
    EXPECT_FALSE(QFileInfo::exists(file() + ".bad"));
    EXPECT_EQ(QDir(dir.path() + "/sub").entryList(QDir::Files), QStringList{"user.reg"});

    kovel::test::DiscPetit disc;
    if (!disc.muntat())
        GTEST_SKIP() << "a tmpfs cannot be mounted here; covered by the injected failures above";
    Store full(disc.filePath("user.reg"), "HKEY_CURRENT_USER");
    ASSERT_TRUE(full.setValue("K", "a", Value::string(QString(9000, u'a'))));
    const QByteArray good = readFile(disc.filePath("user.reg"));
    disc.omple();
    EXPECT_FALSE(full.setValue("K", "b", Value::string(QString(20000, u'b'))));
    EXPECT_EQ(readFile(disc.filePath("user.reg")), good);
    disc.buida();
    writeFile(disc.filePath("user.reg"), QByteArray(30000, 'x'));
    disc.omple();
    EXPECT_FALSE(full.setValue("K", "b", Value::string("2")));
    EXPECT_EQ(readFile(disc.filePath("user.reg")), QByteArray(30000, 'x'));
    EXPECT_FALSE(QFileInfo::exists(disc.filePath("user.reg.bad")));
}

TEST_F(RegistryStore, LocksOfDeadWritersAreTakenOverAtOnce)
{
    Store s = store();
    ASSERT_TRUE(s.setValue("K", "a", Value::string("1")));
    const QString lockPath = file() + ".lock";
    // Left to the lock file's own age rule, these would be taken after 30 s: a write that
    // waits no longer than 20 s fails unless they are taken over as dead.
    Store::setLockTimeout(20000);
    // A dead writer's lock with an empty ".rmlock" beside it (killed while removing a stale lock).
    killedWhileLocked(lockPath);
    writeFile(lockPath + ".rmlock", "");
    EXPECT_TRUE(s.setValue("K", "a", Value::string("2")));
    // A ".rmlock" whose writer died, alone.
    killedWhileLocked(lockPath + ".rmlock");
    writeFile(lockPath, "");
    EXPECT_TRUE(s.setValue("K", "a", Value::string("3")));
    // An empty lock made just now is taken once it is half a second old.
    writeFile(lockPath, "");
    EXPECT_TRUE(s.setValue("K", "a", Value::string("4")));
    Store::setLockTimeout(5000);
    EXPECT_EQ(s.value("K", "a")->text, "4");
}

TEST_F(RegistryStore, ALiveWritersLockIsNeverTakenOver)
{
    Store s = store();
    ASSERT_TRUE(s.setValue("K", "a", Value::string("1")));
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QLockFile lock(file() + ".lock");
        const char ok = lock.tryLock(0) ? 'y' : 'n';
        (void)!write(ready[1], &ok, 1);
        ::sleep(5);
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    Store::setLockTimeout(1500);
    EXPECT_FALSE(s.setValue("K", "a", Value::string("2")));
    Store::setLockTimeout(5000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(s.value("K", "a")->text, "1");
    close(ready[0]);
    close(ready[1]);
}

TEST_F(RegistryStore, TemporariesOfAKilledWriterAreRemovedByTheNextWriteAndTheUsersBackupsStay)
{
    Store s = store();
    QDir().mkpath(QFileInfo(file()).absolutePath());
    const QString orfe = kovel::test::OrfeDe(file());
    ASSERT_FALSE(orfe.isEmpty());
    for (const char* copia : {".bak", ".backup", ".Xy12Zq", ".240115", ".orig01", ".kovel-abc123"}) {
        writeFile(file() + copia, "someone else's");
        kovel::test::Envelleix(file() + copia, 86400);
    }
    ASSERT_TRUE(s.setValue("K", "a", Value::string("1")));
    ASSERT_TRUE(s.setValue("K", "a", Value::string("2")));
    QStringList quedats = QDir(dir.path() + "/sub").entryList(QDir::Files);
    quedats.sort();
    EXPECT_EQ(quedats.join(' ').toStdString(), "user.reg user.reg.240115 user.reg.Xy12Zq user.reg.backup user.reg.bak "
                                               "user.reg.kovel-abc123 user.reg.orig01");
}
