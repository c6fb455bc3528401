// Service units in a private folder, the systemctl calls for the system's folder (through a
// recording stand-in for the tool), stop requests by signal, and state reports.
#include "platform/service/Service.h"
#include "platform/service/ServiceProcess.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace kovel::service;

namespace {

const QString Name = QStringLiteral("KOVEL Videvoviv AutoUpdater");

ServiceConfig updaterConfig()
{
    ServiceConfig config;
    config.displayName = Name;
    config.program = QStringLiteral("/opt/kovel videvoviv/KovelAutoUpdater");
    config.arguments = {QStringLiteral("-runas_service")};
    config.stateFolder = QStringLiteral("kovel-videvoviv");
    return config;
}

QString readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A systemctl that records its arguments, one call a line, and prints `state` for "show".
QString fakeSystemctl(const QTemporaryDir& dir, const QString& state = QStringLiteral("inactive"))
{
    const QString path = dir.filePath(QStringLiteral("systemctl"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1'\n[ \"$1\" = show ] && echo %2\nexit 0\n")
                   .arg(dir.filePath(QStringLiteral("calls")), state)
                   .toUtf8());
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

QStringList calls(const QTemporaryDir& dir)
{
    return readAll(dir.filePath(QStringLiteral("calls"))).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

TEST(ServiceUnit, NamesAndCommandWords)
{
    EXPECT_EQ(unitName(Name), "kovel-videvoviv-autoupdater.service");
    EXPECT_EQ(unitName(QStringLiteral("  a..b  ")), "a-b.service");
    EXPECT_EQ(unitName(QStringLiteral("../")), "service.service");
    EXPECT_EQ(execWord(QStringLiteral("/opt/a b/x")), "\"/opt/a b/x\"");
    EXPECT_EQ(execWord(QStringLiteral("a\"b\\c%d$e")), "\"a\\\"b\\\\c%%d$$e\"");
    EXPECT_EQ(execWord(QStringLiteral("a\nb")), "\"a b\"");
    EXPECT_EQ(execWord(QStringLiteral("/opt/x")), "/opt/x");
    EXPECT_EQ(execWord(QStringLiteral("50%")), "50%%");
    EXPECT_EQ(execWord(QString()), "\"\"");
}

TEST(ServiceUnit, InstallWritesAnUnprivilegedUnitOnceAndQueriesIt)
{
    QTemporaryDir dir;
    Manager manager(dir.path(), dir.filePath(QStringLiteral("no-systemctl")));
    QString account;
    EXPECT_EQ(manager.queryConfig(Name, account), ENOENT);
    EXPECT_EQ(manager.status(Name), StateUnknown);

    ASSERT_EQ(manager.create(Name, updaterConfig()), 0);
    const QString path = dir.filePath(QStringLiteral("kovel-videvoviv-autoupdater.service"));
    const QString text = readAll(path);
    const QStringList lines = text.split(u'\n');
    EXPECT_TRUE(lines.contains("ExecStart=\"/opt/kovel videvoviv/KovelAutoUpdater\" -runas_service"));
    EXPECT_TRUE(lines.contains("DynamicUser=yes"));
    EXPECT_TRUE(lines.contains("StateDirectory=kovel-videvoviv"));
    EXPECT_TRUE(lines.contains("Description=KOVEL Videvoviv AutoUpdater"));
    EXPECT_TRUE(lines.contains("WantedBy=multi-user.target"));
    EXPECT_FALSE(text.contains(QLatin1String("User=root")));
    EXPECT_EQ(QFileInfo(path).permissions() & (QFileDevice::WriteGroup | QFileDevice::WriteOther), 0);

    EXPECT_EQ(manager.queryConfig(Name, account), 0);
    EXPECT_EQ(account, "kovel-videvoviv-autoupdater");
    // Not a folder systemd reads: the service exists but nothing runs it.
    EXPECT_EQ(manager.status(Name), StateStopped);
    EXPECT_EQ(manager.start(Name), ENOTSUP);

    ServiceConfig other = updaterConfig();
    other.program = QStringLiteral("/elsewhere/KovelAutoUpdater");
    EXPECT_EQ(manager.create(Name, other), EEXIST);
    EXPECT_EQ(readAll(path), text);

    EXPECT_EQ(manager.remove(Name), 0);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(manager.remove(Name), ENOENT);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

TEST(ServiceUnit, SystemdAcceptsTheUnit)
{
    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (analyze.isEmpty())
        GTEST_SKIP() << "systemd-analyze is not installed";
    QTemporaryDir dir;
    Manager manager(dir.path(), dir.filePath(QStringLiteral("no-systemctl")));
    // Both kinds of account: a system user of its own (as the update service is installed)
    // and a dynamic user.
    for (const QString& account : {QStringLiteral("kovel-videvoviv"), QString()}) {
        ServiceConfig config = updaterConfig();
        config.program = QStringLiteral("/bin/true");
        config.account = account;
        manager.remove(Name);
        ASSERT_EQ(manager.create(Name, config), 0);
        QProcess verify;
        verify.start(analyze, {QStringLiteral("verify"), manager.unitPath(Name)});
        ASSERT_TRUE(verify.waitForFinished(120000));
        EXPECT_EQ(verify.exitCode(), 0) << verify.readAllStandardError().toStdString();
        EXPECT_EQ(verify.readAllStandardError(), QByteArray());
    }
}

TEST(ServiceUnit, RefusesRootBadFoldersAndForeignUnits)
{
    QTemporaryDir dir;
    Manager manager(dir.path(), dir.filePath(QStringLiteral("no-systemctl")));
    ServiceConfig config = updaterConfig();
    config.account = QStringLiteral("root");
    EXPECT_EQ(manager.create(Name, config), EPERM);
    config.account = QStringLiteral("a b");
    EXPECT_EQ(manager.create(Name, config), EPERM);
    config = updaterConfig();
    config.stateFolder = QStringLiteral("../etc");
    EXPECT_EQ(manager.create(Name, config), EINVAL);
    config = updaterConfig();
    config.program = QStringLiteral("KovelAutoUpdater");
    EXPECT_EQ(manager.create(Name, config), EINVAL);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());

    config = updaterConfig();
    config.account = QStringLiteral("kovel");
    ASSERT_EQ(manager.create(Name, config), 0);
    QString account;
    EXPECT_EQ(manager.queryConfig(Name, account), 0);
    EXPECT_EQ(account, "kovel");

    QFile foreign(dir.filePath(unitName(QStringLiteral("other"))));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write(QByteArray(100 * 1024, 'x'));
    foreign.close();
    EXPECT_EQ(manager.queryConfig(QStringLiteral("other"), account), EINVAL);
}

TEST(ServiceUnit, SystemctlOnlyForTheSystemsFolder)
{
    QTemporaryDir tools;
    QTemporaryDir units;
    const QString systemctl = fakeSystemctl(tools);

    Manager privateFolder(units.path(), systemctl, tools.path());
    EXPECT_FALSE(privateFolder.managesSystem());
    ASSERT_EQ(privateFolder.create(Name, updaterConfig()), 0);
    EXPECT_EQ(privateFolder.start(Name), ENOTSUP);
    EXPECT_EQ(privateFolder.remove(Name), 0);
    EXPECT_EQ(calls(tools), QStringList());

    // The same folder taken as the system's: every change goes through systemctl.
    Manager system(units.path(), systemctl, units.path());
    EXPECT_TRUE(system.managesSystem());
    ASSERT_EQ(system.create(Name, updaterConfig()), 0);
    EXPECT_EQ(system.status(Name), StateStopped);
    EXPECT_EQ(system.start(Name), 0);
    EXPECT_EQ(system.stop(Name), 0);
    EXPECT_EQ(system.remove(Name), 0);
    const QString unit = QStringLiteral("kovel-videvoviv-autoupdater.service");
    EXPECT_EQ(calls(tools), QStringList({"daemon-reload", "enable " + unit, "show --property=ActiveState --value " + unit,
                                         "start --no-block " + unit, "stop --no-block " + unit,
                                         "stop --no-block " + unit, "disable " + unit, "daemon-reload"}));

    QTemporaryDir running;
    Manager active(units.path(), fakeSystemctl(running, QStringLiteral("active")), units.path());
    ASSERT_EQ(active.create(Name, updaterConfig()), 0);
    EXPECT_EQ(active.status(Name), StateRunning);
}

TEST(ServiceUnit, NamedAccountIsDeclaredBeforeTheUnit)
{
    QTemporaryDir tools;
    QTemporaryDir units;
    QTemporaryDir sysusers;
    const QString systemctl = fakeSystemctl(tools);
    // systemd-sysusers beside systemctl, recording into the same list of calls.
    QFile::copy(systemctl, tools.filePath(QStringLiteral("systemd-sysusers")));
    ServiceConfig config = updaterConfig();
    config.account = QStringLiteral("kovel-videvoviv");

    Manager privateFolder(units.path(), systemctl, tools.path(), sysusers.path());
    ASSERT_EQ(privateFolder.create(Name, config), 0);
    EXPECT_EQ(QDir(sysusers.path()).entryList(QDir::Files), QStringList());
    ASSERT_EQ(privateFolder.remove(Name), 0);

    Manager system(units.path(), systemctl, units.path(), sysusers.path());
    ASSERT_EQ(system.create(Name, config), 0);
    const QString declared = sysusers.filePath(QStringLiteral("kovel-videvoviv.conf"));
    EXPECT_EQ(readAll(declared), "u kovel-videvoviv - \"KOVEL Videvoviv AutoUpdater\" -\n");
    const QString unit = readAll(system.unitPath(Name));
    EXPECT_TRUE(unit.contains(QLatin1String("\nUser=kovel-videvoviv\n")));
    EXPECT_FALSE(unit.contains(QLatin1String("DynamicUser")));
    EXPECT_TRUE(unit.contains(QLatin1String("\nStateDirectoryMode=0755\n")));
    const QStringList made = calls(tools);
    ASSERT_FALSE(made.isEmpty());
    EXPECT_EQ(made.first(), declared);
}

TEST(ServiceProcess, StopRequestsBySignalAndFromInside)
{
    using namespace std::chrono_literals;
    struct sigaction before;
    sigaction(SIGTERM, nullptr, &before);
    {
        ControlRequests requests;
        ASSERT_TRUE(requests.valid());
        ControlRequests second;
        EXPECT_FALSE(second.valid());

        EXPECT_EQ(requests.wait(20ms), ControlNone);
        ::raise(SIGTERM); // handled: the test goes on
        EXPECT_EQ(requests.wait(60000ms), ControlStop);
        ::raise(SIGINT);
        EXPECT_EQ(requests.wait(60000ms), ControlStop);
        requests.post(ControlShutdown);
        EXPECT_EQ(requests.wait(0ms), ControlStop);
        EXPECT_EQ(requests.wait(0ms), ControlNone);
    }
    struct sigaction after;
    sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    ControlRequests again;
    EXPECT_TRUE(again.valid());
}

TEST(ServiceProcess, StatesReportedOnTheNotificationSocket)
{
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("notify")).toUtf8();
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(size_t(path.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    qputenv("NOTIFY_SOCKET", path);
    EXPECT_TRUE(reportState(StateRunning));
    EXPECT_TRUE(reportState(StateStopPending));
    qunsetenv("NOTIFY_SOCKET");
    EXPECT_TRUE(reportState(StateRunning)); // no socket: nothing to tell

    char buffer[256];
    ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    ASSERT_GT(got, 0);
    EXPECT_TRUE(QByteArray(buffer, int(got)).startsWith("READY=1\n"));
    got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    ASSERT_GT(got, 0);
    EXPECT_TRUE(QByteArray(buffer, int(got)).startsWith("STOPPING=1\n"));
    EXPECT_LT(::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT), 0);
    ::close(fd);

    qputenv("NOTIFY_SOCKET", "relative/path");
    EXPECT_FALSE(reportState(StateRunning));
    qunsetenv("NOTIFY_SOCKET");
}
