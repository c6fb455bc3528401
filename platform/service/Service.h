#pragma once
// System services on systemd: a service is a unit file in a unit folder, managed with
// systemctl. The folder is configurable so that tests (and staged installs) write into a
// folder of their own; systemctl is called only when the folder is the system's and the
// tool exists, so nothing outside that folder is ever touched for a private folder.
//
// Results keep the service-manager conventions the callers expect: 0 on success, else a
// positive error code (errno values), and the states numbered as the callers number them.
#include <QString>
#include <QStringList>

namespace kovel::service {

enum State : int {
    StateUnknown = 0, // the query failed
    StateStopped = 1,
    StateStartPending = 2,
    StateStopPending = 3,
    StateRunning = 4,
};

// $KOVEL_SYSTEMD_UNIT_DIR, else /etc/systemd/system.
QString defaultUnitFolder();
inline constexpr const char* SystemUnitFolder = "/etc/systemd/system";
inline constexpr const char* SysusersFolder = "/etc/sysusers.d";

// The unit name of a service name: letters and digits in small letters, every other run
// of characters a single "-", with ".service" ("KOVEL Videvoviv AutoUpdater" gives
// "kovel-videvoviv-autoupdater.service").
QString unitName(const QString& serviceName);

// What a service runs and as whom. The account is always an unprivileged one: an empty
// account is a dynamic user that systemd makes for the service (never root); a named one is
// a system user that the install makes with systemd-sysusers, whose state folder other
// users can read (a dynamic user's lies below the private /var/lib/private).
struct ServiceConfig {
    QString displayName;
    QString program;       // absolute path
    QStringList arguments;
    QString account;       // "" = dynamic user; "root" is refused
    QString stateFolder;   // name under /var/lib owned by the service's user ("" = none)
    bool automaticStart = true; // started with the system
};

// The unit file text of a configuration.
QString unitText(const ServiceConfig& config);
// One ExecStart= word: quoted when it holds blanks or quotes, with the characters systemd
// treats specially escaped.
QString execWord(const QString& word);

class Manager {
public:
    // systemctl: the tool to call; empty = looked up on PATH (systemd-sysusers is taken
    // from the same folder). systemFolder: the folder that systemd reads; sysusersFolder:
    // where a named account is declared (tests may point all of them at fakes).
    explicit Manager(QString unitFolder = defaultUnitFolder(), QString systemctl = QString(),
                     QString systemFolder = QString::fromLatin1(SystemUnitFolder),
                     QString sysusersFolder = QString::fromLatin1(SysusersFolder));

    const QString& unitFolder() const { return unitFolder_; }
    QString unitPath(const QString& serviceName) const;
    // True when the unit folder is the system's and systemctl exists.
    bool managesSystem() const;

    // Writes the unit; EEXIST when the service exists already (the file is left as it is).
    int create(const QString& serviceName, const ServiceConfig& config);
    // Reads the unit: ENOENT when there is none, EINVAL when it is not one of ours.
    // account: the account the service runs as (the dynamic user's name when dynamic).
    int queryConfig(const QString& serviceName, QString& account) const;
    // Stops (without waiting), disables and deletes the unit; ENOENT when there is none.
    int remove(const QString& serviceName);
    // Asks systemd to start or stop the service without waiting for it. Without systemd
    // managing the folder there is nothing to start: ENOTSUP.
    int start(const QString& serviceName);
    int stop(const QString& serviceName);
    // The state, or StateUnknown when the service does not exist or the query fails. A unit
    // in a folder systemd does not read is never running: StateStopped.
    State status(const QString& serviceName) const;

private:
    int systemctl(const QStringList& arguments, QString* output = nullptr) const;
    // "start" or "stop" without waiting: ENOENT without the unit, ENOTSUP without systemd.
    int control(const QString& verb, const QString& serviceName);
    // Declares a named account and has systemd-sysusers make it when it is missing.
    int declareAccount(const ServiceConfig& config) const;

    QString unitFolder_;
    QString systemctl_;
    QString systemFolder_;
    QString sysusersFolder_;
};

} // namespace kovel::service
