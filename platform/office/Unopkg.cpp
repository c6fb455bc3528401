#include "platform/office/Unopkg.h"

#include <QProcess>
#include <QStandardPaths>

namespace kovel::office {

namespace {

// unopkg answers within a second or two; a minute means it hangs (a prompt nobody sees).
constexpr int EsperaMaxima = 60000;
// Its output names the packages of one user: a few kilobytes.
constexpr qsizetype SortidaMaxima = 1024 * 1024;

QString failure(const QString& what, const QString& output)
{
    const QString text = output.trimmed();
    return text.isEmpty() ? what : what + QStringLiteral(": ") + text.left(2000);
}

} // namespace

Unopkg::Unopkg(Profile profile)
    : profile_(std::move(profile))
    , program_(QStandardPaths::findExecutable(QStringLiteral("unopkg")))
{
}

bool Unopkg::available() const
{
    return !program_.isEmpty();
}

Unopkg::Result Unopkg::run(const QStringList& arguments) const
{
    Result r;
    if (program_.isEmpty()) {
        r.output = QStringLiteral("LibreOffice's unopkg is not installed");
        return r;
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setStandardInputFile(QProcess::nullDevice());   // never wait for an answer at a prompt
    // Its answers are read: they must come in English whatever the user's language.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LANGUAGE"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    QStringList args = arguments;
    args.insert(1, QStringLiteral("-env:UserInstallation=") + profile_.url());
    p.start(program_, args);
    if (!p.waitForStarted()) {
        r.output = p.errorString();
        return r;
    }
    r.started = true;
    if (!p.waitForFinished(EsperaMaxima)) {
        p.kill();
        p.waitForFinished();
        r.output = QStringLiteral("unopkg did not finish");
        return r;
    }
    r.output = QString::fromLocal8Bit(p.readAll().left(SortidaMaxima));
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

bool Unopkg::add(const QString& packageFile, QString* error)
{
    const Result r = run({QStringLiteral("add"), QStringLiteral("--force"), QStringLiteral("--suppress-license"), packageFile});
    if (r.exitCode == 0)
        return true;
    if (error)
        *error = failure(QStringLiteral("unopkg add %1").arg(packageFile), r.output);
    return false;
}

bool Unopkg::remove(const QString& identifier, QString* error)
{
    // One run: unopkg says so when the package was not there, which is no failure here.
    const Result r = run({QStringLiteral("remove"), identifier});
    if (r.exitCode == 0 || (r.started && r.output.contains(QStringLiteral("no such extension"))))
        return true;
    if (error)
        *error = failure(QStringLiteral("unopkg remove %1").arg(identifier), r.output);
    return false;
}

} // namespace kovel::office
