#include "platform/service/Service.h"

#include "platform/files/EscripturaAtomica.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>

namespace kovel::service {

namespace {

// A unit file of ours is a few hundred bytes; anything far larger is not one.
constexpr qint64 MaxUnitFileBytes = 64 * 1024;
constexpr int SystemctlTimeoutMs = 30000;
constexpr qint64 MaxSystemctlOutput = 4096;

bool isUserName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^[a-z_][a-z0-9_-]{0,31}$"));
    return pattern.match(name).hasMatch();
}

bool isFolderName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9_][A-Za-z0-9._-]{0,63}$"));
    return pattern.match(name).hasMatch();
}

// Description= and the like take specifiers ("%n") and end at the line's end.
QString plainValue(QString text)
{
    text.replace(u'%', QStringLiteral("%%"));
    for (QChar& c : text)
        if (c.unicode() < 0x20)
            c = u' ';
    return text;
}

int fileError(QFileDevice::FileError error)
{
    switch (error) {
    case QFileDevice::NoError: return 0;
    case QFileDevice::PermissionsError: return EACCES;
    case QFileDevice::OpenError: return EACCES;
    default: return EIO;
    }
}

// Writes a file that every user may read (a unit or an account declaration) in one step.
int writeReadableFile(const QString& path, const QByteArray& bytes)
{
    kovel::files::EscripturaAtomica file(path);
    if (!file.escriu(bytes) || !file.confirma()) {
        std::fprintf(stderr, "%s\n", qPrintable(file.error()));
        return file.codiError() ? file.codiError() : EIO;
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                    | QFileDevice::ReadOther);
    return 0;
}

// Runs a service-manager tool and waits for it: 0 when it exits with 0.
int runTool(const QString& program, const QStringList& arguments, QString* output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(SystemctlTimeoutMs))
        return ENOEXEC;
    if (!process.waitForFinished(SystemctlTimeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return ETIMEDOUT;
    }
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput().left(MaxSystemctlOutput)).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return EIO;
    return 0;
}

} // namespace

QString defaultUnitFolder()
{
    const QString folder = qEnvironmentVariable("KOVEL_SYSTEMD_UNIT_DIR");
    return folder.isEmpty() ? QString::fromLatin1(SystemUnitFolder) : QDir::cleanPath(folder);
}

QString unitName(const QString& serviceName)
{
    QString name;
    bool dash = false;
    for (const QChar c : serviceName.toLower()) {
        if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) {
            if (dash && !name.isEmpty())
                name += u'-';
            name += c;
            dash = false;
        } else {
            dash = true;
        }
    }
    if (name.isEmpty())
        name = QStringLiteral("service");
    return name + QStringLiteral(".service");
}

QString execWord(const QString& word)
{
    bool needsQuotes = word.isEmpty();
    QString escaped;
    escaped.reserve(word.size() + 2);
    for (const QChar c : word) {
        if (c.isSpace() || c == u'"' || c == u'\'' || c == u'\\' || c == u';')
            needsQuotes = true;
        if (c == u'"' || c == u'\\')
            escaped += u'\\';
        // Specifiers and variables would otherwise be expanded.
        if (c == u'%' || c == u'$')
            escaped += c;
        escaped += c.unicode() < 0x20 ? QChar(u' ') : c;
    }
    return needsQuotes ? u'"' + escaped + u'"' : escaped;
}

QString unitText(const ServiceConfig& config)
{
    QStringList exec{execWord(config.program)};
    for (const QString& argument : config.arguments)
        exec << execWord(argument);

    QString text;
    text += QStringLiteral("# Written by the program's \"-install_service\"; removed by \"-uninstall_service\".\n");
    text += QStringLiteral("[Unit]\n");
    text += QStringLiteral("Description=") + plainValue(config.displayName) + u'\n';
    text += QStringLiteral("Wants=network-online.target\nAfter=network-online.target\n\n");
    text += QStringLiteral("[Service]\n");
    // The program reports itself running (and stopping) over the notification socket.
    text += QStringLiteral("Type=notify\nNotifyAccess=main\n");
    text += QStringLiteral("ExecStart=") + exec.join(u' ') + u'\n';
    if (config.account.isEmpty())
        text += QStringLiteral("DynamicUser=yes\n");
    else
        text += QStringLiteral("User=") + config.account + u'\n';
    if (!config.stateFolder.isEmpty()) {
        text += QStringLiteral("StateDirectory=") + config.stateFolder + u'\n';
        // Readable by the desktop user's program where systemd allows it: a fixed account's
        // folder is; systemd keeps a dynamic user's folder below the private /var/lib/private.
        text += QStringLiteral("StateDirectoryMode=0755\n");
    }
    // Nothing the service writes may ever be run by it.
    text += QStringLiteral("NoExecPaths=/var/lib /tmp /var/tmp\n");
    text += QStringLiteral("NoNewPrivileges=yes\nProtectSystem=strict\nProtectHome=read-only\nPrivateTmp=yes\n");
    text += QStringLiteral("KillSignal=SIGTERM\nRestart=no\n");
    if (config.automaticStart)
        text += QStringLiteral("\n[Install]\nWantedBy=multi-user.target\n");
    return text;
}

Manager::Manager(QString unitFolder, QString systemctl, QString systemFolder, QString sysusersFolder)
    : unitFolder_(QDir::cleanPath(unitFolder)),
      systemctl_(systemctl.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("systemctl")) : systemctl),
      systemFolder_(QDir::cleanPath(systemFolder)),
      sysusersFolder_(QDir::cleanPath(sysusersFolder))
{
}

QString Manager::unitPath(const QString& serviceName) const
{
    return unitFolder_ + u'/' + unitName(serviceName);
}

bool Manager::managesSystem() const
{
    if (systemctl_.isEmpty() || !QFileInfo(systemctl_).isExecutable())
        return false;
    const QString mine = QFileInfo(unitFolder_).canonicalFilePath();
    return !mine.isEmpty() && mine == QFileInfo(systemFolder_).canonicalFilePath();
}

int Manager::systemctl(const QStringList& arguments, QString* output) const
{
    return runTool(systemctl_, arguments, output);
}

int Manager::declareAccount(const ServiceConfig& config) const
{
    if (!QDir().mkpath(sysusersFolder_))
        return EACCES;
    const QString path = sysusersFolder_ + u'/' + config.account + QStringLiteral(".conf");
    QString description = plainValue(config.displayName);
    description.remove(u'"');
    if (const int error = writeReadableFile(path, QStringLiteral("u %1 - \"%2\" -\n").arg(config.account, description).toUtf8()))
        return error;
    QString tool = QFileInfo(systemctl_).absolutePath() + QStringLiteral("/systemd-sysusers");
    if (!QFileInfo(tool).isExecutable())
        tool = QStandardPaths::findExecutable(QStringLiteral("systemd-sysusers"));
    if (tool.isEmpty())
        return ENOENT;
    return runTool(tool, {path});
}

int Manager::create(const QString& serviceName, const ServiceConfig& config)
{
    if (!config.account.isEmpty() && (config.account == QLatin1String("root") || !isUserName(config.account)))
        return EPERM;
    if (!config.stateFolder.isEmpty() && !isFolderName(config.stateFolder))
        return EINVAL;
    if (!QFileInfo(config.program).isAbsolute())
        return EINVAL;
    const QString path = unitPath(serviceName);
    if (QFileInfo::exists(path))
        return EEXIST;
    if (!QDir().mkpath(unitFolder_))
        return EACCES;
    // The account exists before systemd reads a unit that names it.
    const bool system = managesSystem();
    if (system && !config.account.isEmpty())
        if (const int error = declareAccount(config))
            return error;

    if (const int error = writeReadableFile(path, unitText(config).toUtf8()))
        return error;

    if (!system)
        return 0;
    if (const int error = systemctl({QStringLiteral("daemon-reload")}))
        return error;
    if (config.automaticStart)
        return systemctl({QStringLiteral("enable"), unitName(serviceName)});
    return 0;
}

int Manager::queryConfig(const QString& serviceName, QString& account) const
{
    QFile file(unitPath(serviceName));
    if (!file.exists())
        return ENOENT;
    if (!file.open(QIODevice::ReadOnly))
        return fileError(file.error());
    if (file.size() > MaxUnitFileBytes)
        return EINVAL;
    const QString text = QString::fromUtf8(file.read(MaxUnitFileBytes));

    QString user;
    bool dynamic = false;
    bool hasExec = false;
    for (QString line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(QLatin1String("User=")))
            user = line.mid(5).trimmed();
        else if (line.startsWith(QLatin1String("DynamicUser=")))
            dynamic = QStringList{"yes", "true", "1", "on"}.contains(line.mid(12).trimmed().toLower());
        else if (line.startsWith(QLatin1String("ExecStart=")))
            hasExec = true;
    }
    if (!hasExec)
        return EINVAL;
    if (!user.isEmpty())
        account = user.left(255);
    else if (dynamic)
        account = unitName(serviceName).chopped(int(qstrlen(".service")));
    else
        account = QStringLiteral("root");
    return 0;
}

int Manager::remove(const QString& serviceName)
{
    const QString path = unitPath(serviceName);
    if (!QFileInfo::exists(path))
        return ENOENT;
    const bool system = managesSystem();
    if (system) {
        // Failures here are the service already stopped or not enabled.
        systemctl({QStringLiteral("stop"), QStringLiteral("--no-block"), unitName(serviceName)});
        systemctl({QStringLiteral("disable"), unitName(serviceName)});
    }
    QFile file(path);
    if (!file.remove())
        return fileError(file.error());
    return system ? systemctl({QStringLiteral("daemon-reload")}) : 0;
}

int Manager::control(const QString& verb, const QString& serviceName)
{
    if (!QFileInfo::exists(unitPath(serviceName)))
        return ENOENT;
    if (!managesSystem())
        return ENOTSUP;
    return systemctl({verb, QStringLiteral("--no-block"), unitName(serviceName)});
}

int Manager::start(const QString& serviceName)
{
    return control(QStringLiteral("start"), serviceName);
}

int Manager::stop(const QString& serviceName)
{
    return control(QStringLiteral("stop"), serviceName);
}

State Manager::status(const QString& serviceName) const
{
    if (!QFileInfo::exists(unitPath(serviceName)))
        return StateUnknown;
    if (!managesSystem())
        return StateStopped;
    QString active;
    if (systemctl({QStringLiteral("show"), QStringLiteral("--property=ActiveState"), QStringLiteral("--value"),
                   unitName(serviceName)},
                  &active)
        != 0)
        return StateUnknown;
    if (active == QLatin1String("active") || active == QLatin1String("reloading"))
        return StateRunning;
    if (active == QLatin1String("activating"))
        return StateStartPending;
    if (active == QLatin1String("deactivating"))
        return StateStopPending;
    if (active == QLatin1String("inactive") || active == QLatin1String("failed"))
        return StateStopped;
    return StateUnknown;
}

} // namespace kovel::service
