// The update service: the command-line switches, installing and removing the unit in a
// private unit folder, and the service role's hourly runs (with a short interval) and stop.
#include "updater/NTServiceControl.h"
#include "platform/service/ServiceProcess.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <cstring>
#include <mutex>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace NTServiceControl;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

const QString Program = QStringLiteral(KOVEL_PROGRAM_DIR "/KovelAutoUpdater");
const QString UnitFile = QStringLiteral("kovel-videvoviv-autoupdater.service");

QString readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeExecutable(const QString& path, const QString& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// The module's environment pointed at a private unit folder and a systemctl stand-in that
// records its calls; restored afterwards.
class ServiceSwitches : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(units.isValid() && tools.isValid());
        writeExecutable(tools.filePath(QStringLiteral("systemctl")),
                        QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1'\n").arg(tools.filePath(QStringLiteral("calls"))));
        entorn().gestor = kovel::service::Manager(units.path(), tools.filePath(QStringLiteral("systemctl")));
        entorn().programa = QStringLiteral("/opt/kovel/KovelAutoUpdater");
    }
    void TearDown() override { RestablirEntorn(); }

    QString unitPath() const { return units.filePath(UnitFile); }
    bool systemctlCalled() const { return QFileInfo::exists(tools.filePath(QStringLiteral("calls"))); }

    QTemporaryDir units;
    QTemporaryDir tools;
};

// Records what the service role does, from whichever thread.
struct Recorder {
    std::mutex mutex;
    std::vector<Clock::time_point> runs;
    QStringList runArguments;
    QStringList events;
    std::vector<int> states;
    Clock::time_point lastReading;

    void install(std::chrono::milliseconds interval)
    {
        Entorn& e = entorn();
        e.interval = interval;
        e.iniciatPelGestor = [] { return true; };
        // A run is noted at the time the service read before starting it, not when the
        // machine got round to the start.
        e.rellotge = [this] {
            const auto now = Clock::now();
            std::lock_guard lock(mutex);
            lastReading = now;
            return now;
        };
        e.iniciarProces = [this](const QString&, const QStringList& arguments) {
            std::lock_guard lock(mutex);
            runs.push_back(lastReading);
            runArguments = arguments;
            return true;
        };
        e.registreEsdeveniments = [this](const QString& message) {
            std::lock_guard lock(mutex);
            events << message;
        };
        e.informarEstat = [this](int state) {
            std::lock_guard lock(mutex);
            states.push_back(state);
        };
    }

    // Until the service has run `count` times (it reports running before its first run),
    // however slow the machine.
    void waitForRuns(std::size_t count)
    {
        for (const auto give = Clock::now() + 60s; Clock::now() < give; std::this_thread::sleep_for(5ms)) {
            std::lock_guard lock(mutex);
            if (runs.size() >= count) break;
        }
    }
    // The service manager's stop, once the service has run `count` times.
    std::thread stopAfterRuns(std::size_t count)
    {
        return std::thread([this, count] {
            waitForRuns(count);
            Handler(kovel::service::ControlStop);
        });
    }
};

long long millis(Clock::duration d)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}

} // namespace

TEST(ServiceCommandLine, WholeLineWithoutRegardToCase)
{
    EXPECT_EQ(OrdreDeLinia("-install_service"), Ordre::InstalarServei);
    EXPECT_EQ(OrdreDeLinia("-INSTALL_SERVICE"), Ordre::InstalarServei);
    EXPECT_EQ(OrdreDeLinia("-Uninstall_Service"), Ordre::DesinstalarServei);
    EXPECT_EQ(OrdreDeLinia("-START_service"), Ordre::IniciarServei);
    EXPECT_EQ(OrdreDeLinia("-stop_SERVICE"), Ordre::AturarServei);
    EXPECT_EQ(OrdreDeLinia("-RunAs_Service"), Ordre::ExecutarComServei);
    for (const char* line : {"", "-run_auto_update", " -install_service", "-install_service ",
                             "-install_service -start_service", "install_service", "-runas_service2"})
        EXPECT_EQ(OrdreDeLinia(QString::fromLatin1(line)), Ordre::UnaActualitzacio) << line;
    EXPECT_EQ(LiniaDOrdres({"-install_service", "-start_service"}), "-install_service -start_service");
    EXPECT_EQ(OrdreDeLinia(LiniaDOrdres({" -stop_service"})), Ordre::UnaActualitzacio);
}

TEST_F(ServiceSwitches, InstallOnceUninstallWhenPresent)
{
    UninstallingService();
    EXPECT_EQ(QDir(units.path()).entryList(QDir::Files), QStringList());

    InstallingService();
    const QString text = readAll(unitPath());
    EXPECT_TRUE(text.split(u'\n').contains("ExecStart=/opt/kovel/KovelAutoUpdater -runas_service"));
    EXPECT_TRUE(text.split(u'\n').contains("User=kovel-videvoviv"));
    EXPECT_TRUE(text.split(u'\n').contains("StateDirectory=kovel-videvoviv"));
    QString account;
    EXPECT_EQ(GetServiceConfig(account), 0);
    EXPECT_EQ(account, "kovel-videvoviv");

    entorn().programa = QStringLiteral("/elsewhere/KovelAutoUpdater");
    InstallingService();
    EXPECT_EQ(readAll(unitPath()), text);

    StoppingService(); // installed but not running: nothing to do
    UninstallingService();
    EXPECT_FALSE(QFileInfo::exists(unitPath()));
    EXPECT_EQ(GetServiceStatus(), 0);
    EXPECT_FALSE(systemctlCalled());
}

TEST_F(ServiceSwitches, StartWithoutTheServiceInstallsIt)
{
    StartingService();
    EXPECT_TRUE(readAll(unitPath()).contains(QLatin1String("ExecStart=/opt/kovel/KovelAutoUpdater -runas_service")));
    EXPECT_EQ(GetServiceStatus(), kovel::service::StateStopped);
    // A private folder is not the system's: systemctl is never asked.
    EXPECT_FALSE(systemctlCalled());
    EXPECT_EQ(StartNTService(), ENOTSUP);
}

// Timings here are only lower bounds, which a loaded machine cannot break: how fast the service
// answers is for the benchmarks. A service that waited for its interval would outlast the test.
TEST(ServiceRole, RunsAtOnceThenEveryIntervalUntilStopped)
{
    Recorder recorder;
    recorder.install(150ms);
    std::thread manager = recorder.stopAfterRuns(3);
    EXPECT_EQ(RunningService(), 0);
    manager.join();
    const std::size_t runsAtStop = recorder.runs.size();
    std::this_thread::sleep_for(300ms);
    RestablirEntorn();

    ASSERT_GE(recorder.runs.size(), 3u);
    EXPECT_EQ(recorder.runs.size(), runsAtStop) << "a run after the service ended";
    for (size_t i = 1; i < recorder.runs.size(); ++i)
        EXPECT_GE(millis(recorder.runs[i] - recorder.runs[i - 1]), 150);
    EXPECT_EQ(recorder.runArguments, QStringList{"-run_auto_update"});
    EXPECT_EQ(recorder.events, QStringList({"KOVEL Videvoviv AutoUpdater started", "KOVEL Videvoviv AutoUpdater stopped"}));
    using namespace kovel::service;
    EXPECT_EQ(recorder.states, (std::vector<int>{StateStartPending, StateRunning, StateStopPending, StateStopped}));
    EXPECT_EQ(EstatActual(), StateStopped);
}

// An hour's interval: the first run comes at start, and a stop ends the wait at once.
TEST(ServiceRole, FirstRunAtStartAndAStopEndsTheWait)
{
    Recorder recorder;
    recorder.install(1h);
    std::thread manager = recorder.stopAfterRuns(1);
    EXPECT_EQ(RunningService(), 0);
    manager.join();
    RestablirEntorn();
    EXPECT_EQ(recorder.runs.size(), 1u);
}

TEST(ServiceRole, OtherControlsReportTheStateAgain)
{
    Recorder recorder;
    recorder.install(1h);
    std::thread manager([&] {
        recorder.waitForRuns(1);
        Handler(4);
        Handler(kovel::service::ControlShutdown);
    });
    EXPECT_EQ(RunningService(), 0);
    manager.join();
    RestablirEntorn();
    using namespace kovel::service;
    EXPECT_EQ(recorder.runs.size(), 1u);
    EXPECT_EQ(recorder.states, (std::vector<int>{StateStartPending, StateRunning, StateRunning, StateStopPending, StateStopped}));
}

TEST(ServiceRole, StartedByHandItEndsAtOnce)
{
    Recorder recorder;
    recorder.install(1h);   // waiting for it would outlast the test
    entorn().iniciatPelGestor = [] { return false; };
    EXPECT_EQ(RunningService(), 0);
    RestablirEntorn();
    EXPECT_TRUE(recorder.runs.empty());
    EXPECT_TRUE(recorder.events.isEmpty());
    EXPECT_TRUE(recorder.states.empty());
}

// The real thing in a child process: detached runs that outlast the interval, and SIGTERM
// as the service manager's stop, which never waits for a run.
TEST(ServiceRole, SigtermStopsTheServiceWithoutWaitingForItsRuns)
{
    QTemporaryDir dir;
    const QString runs = dir.filePath(QStringLiteral("runs"));
    const QString events = dir.filePath(QStringLiteral("events"));
    const QString script = dir.filePath(QStringLiteral("run.sh"));
    // Each run takes far longer than the interval and than the test: the service must not wait for it.
    writeExecutable(script, QStringLiteral("#!/bin/sh\nexec >/dev/null 2>&1 </dev/null\n"
                                           "echo \"$$ $*\" >> '%1'\nexec sleep 600\n")
                                .arg(runs));

    const auto forked = Clock::now();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Entorn& e = entorn();
        e.interval = 250ms;
        e.programa = script;
        e.iniciatPelGestor = [] { return true; };
        e.informarEstat = [](int) {};
        e.registreEsdeveniments = [&](const QString& message) {
            QFile file(events);
            if (file.open(QIODevice::Append))
                file.write(message.toUtf8() + '\n');
        };
        ::_exit(RunningService());
    }

    QStringList lines;
    for (const auto give = Clock::now() + 60s; lines.size() < 3 && Clock::now() < give; std::this_thread::sleep_for(10ms))
        lines = readAll(runs).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(::kill(child, SIGTERM), 0);
    int status = -1;
    pid_t ended = 0;
    for (const auto give = Clock::now() + 60s; (ended = ::waitpid(child, &status, WNOHANG)) == 0 && Clock::now() < give;)
        std::this_thread::sleep_for(5ms);
    if (ended == 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        FAIL() << "the service did not end on SIGTERM";
    }
    const long long lifetime = millis(Clock::now() - forked);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    EXPECT_EQ(readAll(events), "KOVEL Videvoviv AutoUpdater started\nKOVEL Videvoviv AutoUpdater stopped\n");
    lines = readAll(runs).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3) << readAll(runs).toStdString();
    for (const QString& line : lines) {
        EXPECT_TRUE(line.endsWith(QLatin1String(" -run_auto_update"))) << line.toStdString();
        ::kill(pid_t(line.section(u' ', 0, 0).toInt()), SIGKILL);   // the runs it left going
    }
    // A run at start and one an interval after the last: no more than the service's life
    // allowed. (When each run got round to writing its line is the machine's business.)
    EXPECT_LE((lines.size() - 1) * 250LL, lifetime) << lines.size() << " runs in " << lifetime << " ms";
}

// The built program: switches through the unit folder of the environment, and the service
// role started by hand.
TEST(ServiceProgram, SwitchesOfTheBuiltProgram)
{
    QTemporaryDir units;
    QTemporaryDir work;
    auto run = [&](const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KOVEL_SYSTEMD_UNIT_DIR"), units.path());
        environment.remove(QStringLiteral("INVOCATION_ID"));
        environment.remove(QStringLiteral("NOTIFY_SOCKET"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(work.path());
        process.start(Program, arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        return process.exitCode();
    };
    const QString unit = units.filePath(UnitFile);

    // Two switches are an update run: no service appears.
    run({"-install_service", "-start_service"});
    EXPECT_FALSE(QFileInfo::exists(unit));

    EXPECT_EQ(run({"-INSTALL_SERVICE"}), 0);
    const QString canonical = QFileInfo(Program).canonicalFilePath();
    EXPECT_TRUE(readAll(unit).split(u'\n').contains("ExecStart=" + kovel::service::execWord(canonical) + " -runas_service"))
        << readAll(unit).toStdString();

    // Not started by the service manager: it ends at once (not after the hour) and reports nothing.
    EXPECT_EQ(run({"-runas_service"}), 0);

    EXPECT_EQ(run({"-Stop_Service"}), 0);
    EXPECT_EQ(run({"-uninstall_service"}), 0);
    EXPECT_FALSE(QFileInfo::exists(unit));
    EXPECT_EQ(run({"-uninstall_service"}), 0);
}

// The built program as systemd starts it: it reports running on the notification socket,
// and SIGTERM makes it report stopping and end.
TEST(ServiceProgram, StartedByTheManagerReportsAndStopsOnSigterm)
{
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("notify")).toUtf8();
    const int socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(socket, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(size_t(path.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    auto receive = [&](int waitMs) {
        char buffer[512];
        for (int waited = 0; waited < waitMs; waited += 5) {
            const ssize_t got = ::recv(socket, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got > 0)
                return QByteArray(buffer, int(got));
            std::this_thread::sleep_for(5ms);
        }
        return QByteArray();
    };

    QProcess service;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("INVOCATION_ID"), QStringLiteral("0123456789abcdef0123456789abcdef"));
    environment.insert(QStringLiteral("NOTIFY_SOCKET"), QString::fromUtf8(path));
    environment.insert(QStringLiteral("KOVEL_SYSTEMD_UNIT_DIR"), dir.path());
    service.setProcessEnvironment(environment);
    service.setWorkingDirectory(dir.path());
    service.start(Program, {"-runas_service"});
    ASSERT_TRUE(service.waitForStarted(60000));

    EXPECT_EQ(receive(60000), "STATUS=Starting");
    EXPECT_TRUE(receive(60000).startsWith("READY=1\n"));
    ::kill(pid_t(service.processId()), SIGTERM);
    EXPECT_TRUE(receive(60000).startsWith("STOPPING=1\n"));
    EXPECT_TRUE(receive(60000).startsWith("STATUS=Stopped"));
    ASSERT_TRUE(service.waitForFinished(60000));
    EXPECT_EQ(service.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(service.exitCode(), 0);
    ::close(socket);
}
