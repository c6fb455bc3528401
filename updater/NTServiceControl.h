#pragma once
// The update service: installing, removing, starting and stopping it with the system's
// service manager, and the service role itself, which starts an update run of this program
// once at start and then every hour, as a separate process it neither waits for nor watches.
//
// On systemd the service is a unit run by an unprivileged system user of its own whose state
// folder is the update folder; the stop request is SIGTERM and the event log is the system log.
#include "platform/service/Service.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

namespace NTServiceControl {

// The service's name, also its display name.
extern const QString NomServei;
// The folder systemd makes for the service (under /var/lib), owned by its user.
extern const QString CarpetaEstat;
extern const QString CompteServei;
inline constexpr std::chrono::seconds IntervalExecucio{3600};

// The switches of the program's command line.
enum class Ordre { InstalarServei, DesinstalarServei, IniciarServei, AturarServei, ExecutarComServei, UnaActualitzacio };
// The whole command line (the arguments joined by blanks), lower-cased, compared as a whole
// with the five switches; anything else is one update run.
Ordre OrdreDeLinia(const QString& commandLine);
QString LiniaDOrdres(const QStringList& arguments);

// What the service operations and the service role stand on; tests replace parts of it.
struct Entorn {
    kovel::service::Manager gestor;     // the unit folder and systemctl
    QString programa;                   // this program, absolute (the service's command and the runs')
    std::chrono::milliseconds interval = IntervalExecucio;
    std::function<std::chrono::steady_clock::time_point()> rellotge;
    // Starts a process without waiting for it.
    std::function<bool(const QString& program, const QStringList& arguments)> iniciarProces;
    std::function<void(const QString& message)> registreEsdeveniments; // the event log
    std::function<bool()> iniciatPelGestor;      // started by the service manager
    std::function<void(int state)> informarEstat; // tells the service manager the state
};
Entorn& entorn();
void RestablirEntorn(); // the defaults: the system's service manager, syslog, real clock

// Service-manager operations: 0 on success, else an error code (errno values).
int GetServiceStatus(); // the state (kovel::service::State), 0 when the query fails
int GetServiceConfig(QString& account);
int SetNTService(const QString& program, const QStringList& arguments);
int DeleteNTService();
int StopNTService();
int StartNTService();

// The switches; they report nothing.
void InstallingService();
void UninstallingService();
void StartingService();
void StoppingService();

// The service role ("-runas_service"): reports running, logs " started", starts an update
// run at once and then every interval, until a stop request; then reports stopped and logs
// " stopped". Started by hand (not by the service manager) it ends at once. Returns the
// process's exit status.
int RunningService();

// The handler of the service manager's controls: stop and shutdown report stop pending and
// end the loop within a moment; any other control reports the current state again.
void Handler(int control);
// 0 keeps the current state; any other state replaces it. Then it is reported.
void SetServiceState(int state);
int EstatActual();

} // namespace NTServiceControl
