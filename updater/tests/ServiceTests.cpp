// The update service: the command-line switches, installing and removing the unit in a
// private unit folder, and the service role's hourly runs (with a short interval) and stop.
#include "updater/NTServiceControl.h"
#include "platform/service/ServiceProcess.h"

#include <gtest/gtest.h>

#include <QDateTime>
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

    void install(std::chrono::milliseconds interval)
    {
        Entorn& e = entorn();
        e.interval = interval;
        e.iniciatPelGestor = [] { return true; };
        e.iniciarProces = [this](const QString&, const QStringList& arguments) {
            std::lock_guard lock(mutex);
            runs.push_back(Clock::now());
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

TEST(ServiceRole, RunsAtOnceThenEveryIntervalUntilStopped)
{
    Recorder recorder;
    recorder.install(150ms);
    const auto start = Clock::now();
    Clock::time_point stopAsked;
    std::thread manager([&] {
        std::this_thread::sleep_for(400ms);
        stopAsked = Clock::now();
        Handler(kovel::service::ControlStop);
    });
    EXPECT_EQ(RunningService(), 0);
    const auto ended = Clock::now();
    manager.join();
    RestablirEntorn();

    EXPECT_LT(millis(ended - stopAsked), 200);
    ASSERT_EQ(recorder.runs.size(), 3u);
    EXPECT_LT(millis(recorder.runs[0] - start), 50);
    for (size_t i = 1; i < recorder.runs.size(); ++i) {
        EXPECT_GE(millis(recorder.runs[i] - recorder.runs[i - 1]), 145);
        EXPECT_LT(millis(recorder.runs[i] - recorder.runs[i - 1]), 230);
    }
    EXPECT_EQ(recorder.runArguments, QStringList{"-run_auto_update"});
    EXPECT_EQ(recorder.events, QStringList({"KOVEL Videvoviv AutoUpdater started", "KOVEL Videvoviv AutoUpdater stopped"}));
    using namespace kovel::service;
    EXPECT_EQ(recorder.states, (std::vector<int>{StateStartPending, StateRunning, StateStopPending, StateStopped}));
    EXPECT_EQ(EstatActual(), StateStopped);
}

TEST(ServiceRole, OtherControlsReportTheStateAgain)
{
    Recorder recorder;
    recorder.install(1h);
    std::thread manager([&] {
        std::this_thread::sleep_for(50ms);
        Handler(4);
        std::this_thread::sleep_for(50ms);
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
    recorder.install(100ms);
    entorn().iniciatPelGestor = [] { return false; };
    const auto start = Clock::now();
    EXPECT_EQ(RunningService(), 0);
    EXPECT_LT(millis(Clock::now() - start), 100);
    RestablirEntorn();
    EXPECT_TRUE(recorder.runs.empty());
    EXPECT_TRUE(recorder.events.isEmpty());
    EXPECT_TRUE(recorder.states.empty());
}

// The real thing in a child process: detached runs that outlast the interval, and SIGTERM
// as the service manager's stop.
TEST(ServiceRole, SigtermStopsTheServiceWithinASecond)
{
    QTemporaryDir dir;
    const QString runs = dir.filePath(QStringLiteral("runs"));
    const QString events = dir.filePath(QStringLiteral("events"));
    const QString script = dir.filePath(QStringLiteral("run.sh"));
    // Each run takes far longer than the interval; the service must not wait for it.
    writeExecutable(script, QStringLiteral("#!/bin/sh\nexec >/dev/null 2>&1 </dev/null\n"
                                           "echo \"$(date +%s%N) $*\" >> '%1'\nsleep 2\n")
                                .arg(runs));

    const qint64 forkedAt = QDateTime::currentMSecsSinceEpoch();
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

    std::this_thread::sleep_for(650ms);
    const auto stopAt = Clock::now();
    ASSERT_EQ(::kill(child, SIGTERM), 0);
    int status = -1;
    while (::waitpid(child, &status, WNOHANG) == 0 && Clock::now() - stopAt < 3s)
        std::this_thread::sleep_for(5ms);
    EXPECT_LT(millis(Clock::now() - stopAt), 1000);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    EXPECT_EQ(readAll(events), "KOVEL Videvoviv AutoUpdater started\nKOVEL Videvoviv AutoUpdater stopped\n");
    // The runs write their line a moment after they start.
    QStringList lines;
    for (int i = 0; i < 100 && lines.size() < 3; ++i, std::this_thread::sleep_for(10ms))
        lines = readAll(runs).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << readAll(runs).toStdString();
    std::vector<qint64> at;
    for (const QString& line : lines) {
        EXPECT_TRUE(line.endsWith(QLatin1String(" -run_auto_update"))) << line.toStdString();
        at.push_back(line.section(u' ', 0, 0).toLongLong() / 1000000);
    }
    std::sort(at.begin(), at.end());
    EXPECT_LT(at[0] - forkedAt, 150);
    EXPECT_GE(at[1] - at[0], 180);
    EXPECT_LT(at[1] - at[0], 330);
    EXPECT_GE(at[2] - at[1], 180);
    EXPECT_LT(at[2] - at[1], 330);
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
        EXPECT_TRUE(process.waitForFinished(10000));
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

    // Not started by the service manager: it ends at once and reports nothing.
    const auto start = Clock::now();
    EXPECT_EQ(run({"-runas_service"}), 0);
    EXPECT_LT(millis(Clock::now() - start), 3000);

    EXPECT_EQ(run({"-Stop_Service"}), 0);
    EXPECT_EQ(run({"-uninstall_service"}), 0);
    EXPECT_FALSE(QFileInfo::exists(unit));
    EXPECT_EQ(run({"-uninstall_service"}), 0);
}

// The built program as systemd starts it: it reports running on the notification socket,
// and SIGTERM makes it report stopping and end within a second.
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
    ASSERT_TRUE(service.waitForStarted(5000));

    EXPECT_EQ(receive(5000), "STATUS=Starting");
    EXPECT_TRUE(receive(2000).startsWith("READY=1\n"));
    const auto stopAt = Clock::now();
    ::kill(pid_t(service.processId()), SIGTERM);
    EXPECT_TRUE(receive(2000).startsWith("STOPPING=1\n"));
    EXPECT_TRUE(receive(2000).startsWith("STATUS=Stopped"));
    ASSERT_TRUE(service.waitForFinished(3000));
    EXPECT_LT(millis(Clock::now() - stopAt), 1000);
    EXPECT_EQ(service.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(service.exitCode(), 0);
    ::close(socket);
}
