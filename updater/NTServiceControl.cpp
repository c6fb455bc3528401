#include "updater/NTServiceControl.h"

#include "platform/paths/Paths.h"
#include "platform/service/ServiceProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <atomic>

namespace NTServiceControl {

using namespace std::chrono_literals;
namespace svc = kovel::service;

const QString NomServei = QStringLiteral("KOVEL Videvoviv AutoUpdater");
const QString CarpetaEstat = QStringLiteral("kovel-videvoviv");
const QString CompteServei = QStringLiteral("kovel-videvoviv");

namespace {

const QString ArgServei = QStringLiteral("-runas_service");
const QString ArgActualitzacio = QStringLiteral("-run_auto_update");

// The state reported to the service manager, written by the loop and by the handler.
std::atomic<int> g_estat{svc::StateStopped};
// The stop-pending event while the service role runs.
std::atomic<svc::ControlRequests*> g_peticions{nullptr};

QString programaPerDefecte()
{
    QString executable = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                      : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return QFileInfo(kovel::paths::programDir() + u'/' + QFileInfo(executable).fileName()).absoluteFilePath();
}

Entorn entornPerDefecte()
{
    return Entorn{
        svc::Manager(),
        programaPerDefecte(),
        IntervalExecucio,
        [] { return std::chrono::steady_clock::now(); },
        [](const QString& program, const QStringList& arguments) {
            return QProcess::startDetached(program, arguments);
        },
        [](const QString& message) { svc::writeEventLog(svc::unitName(NomServei).chopped(8), message); },
        [] { return svc::startedByServiceManager(); },
        [](int state) { svc::reportState(svc::State(state)); },
    };
}

Entorn& entornGlobal()
{
    static Entorn entorn = entornPerDefecte();
    return entorn;
}

// systemd runs the service's main directly, so there is no dispatcher thread to wait for:
// registering the handler is taking over the stop requests, done before the loop starts.
void ServiceMain(svc::ControlRequests& peticions)
{
    g_peticions = &peticions;
    SetServiceState(svc::StateStartPending);
}

} // namespace

Ordre OrdreDeLinia(const QString& commandLine)
{
    const QString line = commandLine.toLower();
    if (line == QLatin1String("-install_service"))
        return Ordre::InstalarServei;
    if (line == QLatin1String("-uninstall_service"))
        return Ordre::DesinstalarServei;
    if (line == QLatin1String("-start_service"))
        return Ordre::IniciarServei;
    if (line == QLatin1String("-stop_service"))
        return Ordre::AturarServei;
    if (line == ArgServei)
        return Ordre::ExecutarComServei;
    return Ordre::UnaActualitzacio;
}

QString LiniaDOrdres(const QStringList& arguments)
{
    return arguments.join(u' ');
}

Entorn& entorn()
{
    return entornGlobal();
}

void RestablirEntorn()
{
    entornGlobal() = entornPerDefecte();
}

int GetServiceStatus()
{
    return entorn().gestor.status(NomServei);
}

int GetServiceConfig(QString& account)
{
    return entorn().gestor.queryConfig(NomServei, account);
}

int SetNTService(const QString& program, const QStringList& arguments)
{
    svc::ServiceConfig config;
    config.displayName = NomServei;
    config.program = program;
    config.arguments = arguments;
    // Never root: a system user of its own that owns only the update folder, which the
    // desktop user's program reads to find the installer it offers.
    config.account = CompteServei;
    config.stateFolder = CarpetaEstat;
    config.automaticStart = true;
    return entorn().gestor.create(NomServei, config);
}

int DeleteNTService()
{
    return entorn().gestor.remove(NomServei);
}

int StopNTService()
{
    return entorn().gestor.stop(NomServei);
}

int StartNTService()
{
    return entorn().gestor.start(NomServei);
}

void InstallingService()
{
    QString account;
    if (GetServiceConfig(account) != 0)
        SetNTService(entorn().programa, {ArgServei});
}

void StartingService()
{
    InstallingService();
    if (GetServiceStatus() == svc::StateStopped)
        StartNTService();
}

void UninstallingService()
{
    if (GetServiceStatus() == svc::StateRunning) {
        StopNTService();
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
    }
    QString account;
    if (GetServiceConfig(account) == 0)
        DeleteNTService();
}

void StoppingService()
{
    if (GetServiceStatus() == svc::StateRunning)
        StopNTService();
}

int EstatActual()
{
    return g_estat;
}

void SetServiceState(int state)
{
    if (state != 0)
        g_estat = state;
    if (const auto& informar = entorn().informarEstat)
        informar(g_estat);
}

void Handler(int control)
{
    if (control == svc::ControlStop || control == svc::ControlShutdown) {
        SetServiceState(svc::StateStopPending);
        if (svc::ControlRequests* peticions = g_peticions)
            peticions->post(control);
    } else {
        SetServiceState(0);
    }
}

int RunningService()
{
    Entorn& e = entorn();
    if (!e.iniciatPelGestor())
        return 0;
    // The stop requests are taken over before the service reports anything, so a stop
    // that arrives at once is not lost.
    svc::ControlRequests peticions;
    if (!peticions.valid())
        return 1;
    ServiceMain(peticions);

    SetServiceState(svc::StateRunning);
    e.registreEsdeveniments(NomServei + QStringLiteral(" started"));

    const auto interval = std::max<std::chrono::milliseconds>(e.interval, 10ms);
    auto properaExecucio = e.rellotge() - 10s;
    for (;;) {
        const auto ara = e.rellotge();
        if (ara >= properaExecucio) {
            e.iniciarProces(e.programa, {ArgActualitzacio});
            properaExecucio = ara + interval;
        }
        // At most a second between looks at the stop request; never later than the next run.
        const auto espera = std::clamp(std::chrono::duration_cast<std::chrono::milliseconds>(properaExecucio - e.rellotge()),
                                       1ms, std::chrono::milliseconds(1000ms));
        const int control = peticions.wait(espera);
        if (control != svc::ControlNone) {
            // A signal reaches the handler here; a request through the handler itself has
            // already reported stop pending.
            if (g_estat != svc::StateStopPending)
                Handler(control);
            break;
        }
    }

    SetServiceState(svc::StateStopped);
    e.registreEsdeveniments(NomServei + QStringLiteral(" stopped"));
    g_peticions = nullptr;
    return 0;
}

} // namespace NTServiceControl
