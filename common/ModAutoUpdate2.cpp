#include "common/ModAutoUpdate2.h"

#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "platform/registry/Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace ModAutoUpdate2 {

namespace {

QString g_ruta;
bool g_activa = false;
Entorn g_entorn;

const QString kPendent = QStringLiteral("inst_pendent.txt");
const QString kMarcador = QStringLiteral("autoUpdateIncomplet.log");
const QString kGuio = QStringLiteral("instexec.sh");
// Lines of a hand-over or log longer than this are not names or versions.
constexpr qint64 kMidaMaximaLinia = 4096;
// The version line is looked for in the log's first part only.
constexpr qint64 kMidaMaximaLog = 1 << 20;

QString clau() { return ModReg::ClauProducte + QStringLiteral("AutoUpdate"); }

bool esPropi(const QString& nom)
{
    for (const char* propi : {"inst_pendent.txt", "autoUpdate.log", "autoUpdateIncomplet.log", "autoUpdate.txt", "warnings.log",
                              "instexec.bat", "instexec.sh", "ultimaComprovacio.txt"})
        if (nom.compare(QLatin1String(propi), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString cercar(const QString& nom)
{
    return g_entorn.cercarExecutable ? g_entorn.cercarExecutable(nom) : QStandardPaths::findExecutable(nom);
}

bool iniciar(const QString& programa, const QStringList& arguments, const QString& carpeta)
{
    if (g_entorn.iniciar)
        return g_entorn.iniciar(programa, arguments, carpeta);
    return QProcess::startDetached(programa, arguments, carpeta);
}

QString programaActual()
{
    if (!g_entorn.programa.isEmpty())
        return g_entorn.programa;
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return ModTolvWiz::Carpeta_Programa() + QStringLiteral("KovelAssist");
}

// The first line of a small text file, without its line end; nullopt when it cannot be read.
std::optional<QString> primeraLinia(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = f.read(kMidaMaximaLinia);
    if (const qsizetype lf = bytes.indexOf('\n'); lf >= 0)
        bytes.truncate(lf);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    return QString::fromUtf8(bytes);
}

bool fallar(QString* motiu, const QString& text)
{
    if (motiu)
        *motiu = text;
    return false;
}

} // namespace

void LlegirConfiguracio()
{
    g_ruta = ModReg::LlegirCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("PATH_AutoUpdater"));
    g_ruta.replace(u'\\', u'/');
    // Names are appended to the folder, as the update service does.
    if (!g_ruta.isEmpty() && !g_ruta.endsWith(u'/'))
        g_ruta += u'/';
    g_activa = !ModReg::LlegirCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("Path")).isEmpty();
}

const QString& RutaActualitzador() { return g_ruta; }
bool ActualitzacioActiva() { return g_activa; }

std::uint32_t LlegirEstadistiquesLID()
{
    const auto v = kovel::registry::machine().value(clau(), QStringLiteral("estadistiques_LID"));
    if (!v || v->type != kovel::registry::Value::Type::Dword)
        return 0;
    return v->dword;
}

QString VersioDelLog()
{
    QFile f(g_ruta + QStringLiteral("autoUpdate.log"));
    if (g_ruta.isEmpty() || !f.open(QIODevice::ReadOnly))
        return {};
    qint64 llegits = 0;
    while (llegits < kMidaMaximaLog && !f.atEnd()) {
        QByteArray linia = f.readLine(kMidaMaximaLinia);
        llegits += linia.size();
        while (linia.endsWith('\n') || linia.endsWith('\r'))
            linia.chop(1);
        const QString text = QString::fromUtf8(linia);
        const qsizetype at = text.indexOf(QLatin1String("Versio:"));
        if (at < 0)
            continue;
        qsizetype i = at + 7;
        while (i < text.size() && text.at(i) == u' ')
            ++i;
        return text.mid(i);
    }
    return {};
}

TipusInstallador TipusDe(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return TipusInstallador::Cap;
    const QByteArray cap = f.read(21);
    if (cap.startsWith("!<arch>\ndebian-binary"))
        return TipusInstallador::PaquetDebian;
    if (cap.startsWith("\x7F" "ELF") || cap.startsWith("#!"))
        return TipusInstallador::Executable;
    return TipusInstallador::Cap;
}

QString RutaInstallador(const QString& primeraLinia, const QString& carpeta)
{
    QString linia = primeraLinia;
    linia.replace(u'\\', u'/');
    // An absolute path is a path whatever its length; the service writes a name when its
    // path would be short, so anything else is a name in its folder.
    if (QDir::isAbsolutePath(linia))
        return linia;
    return carpeta + linia;
}

std::optional<Pendent> InstalladorPendent(QString* motiu)
{
    const QString carpeta = g_ruta;
    if (carpeta.isEmpty()) {
        fallar(motiu, QStringLiteral("no update folder"));
        return std::nullopt;
    }
    const QFileInfo traspas(carpeta + kPendent);
    if (!traspas.isFile()) {
        fallar(motiu, traspas.filePath() + QStringLiteral(": none"));
        return std::nullopt;
    }
    const auto linia = primeraLinia(traspas.filePath());
    if (!linia || linia->isEmpty()) {
        fallar(motiu, traspas.filePath() + QStringLiteral(": names no installer"));
        return std::nullopt;
    }
    if (QFileInfo::exists(carpeta + kMarcador)) {
        fallar(motiu, carpeta + kMarcador + QStringLiteral(": a download is not finished"));
        return std::nullopt;
    }
    const QString ruta = RutaInstallador(*linia, carpeta);
    const QFileInfo info(ruta);
    const QString carpetaReal = QFileInfo(carpeta).canonicalFilePath();
    const QString real = info.canonicalFilePath();
    if (!info.isFile() || real.isEmpty() || carpetaReal.isEmpty()) {
        fallar(motiu, ruta + QStringLiteral(": not a file"));
        return std::nullopt;
    }
    // Only what the service downloaded: a file directly in its folder, even through links.
    const QFileInfo infoReal(real);
    if (infoReal.absolutePath() != carpetaReal || esPropi(infoReal.fileName()) || esPropi(info.fileName())) {
        fallar(motiu, ruta + QStringLiteral(": not an installer of the update folder ") + carpeta);
        return std::nullopt;
    }
    const TipusInstallador tipus = TipusDe(real);
    if (tipus == TipusInstallador::Cap) {
        fallar(motiu, ruta + QStringLiteral(": neither a program nor a Debian package"));
        return std::nullopt;
    }
    return Pendent{real, tipus};
}

QString InterruptorHost(const QString& programaOffice)
{
    switch (kovel::HostDeNom(programaOffice)) {
    case kovel::HostOffice::Word: return QStringLiteral("/W");
    case kovel::HostOffice::Excel: return QStringLiteral("/E");
    case kovel::HostOffice::Access: return QStringLiteral("/A");
    case kovel::HostOffice::Cap: break;
    }
    return {};
}

QString CometesSh(const QString& text)
{
    return u'\'' + QString(text).replace(QLatin1String("'"), QLatin1String("'\\''")) + u'\'';
}

QStringList OrdreInstallacio(const Pendent& pendent)
{
    switch (pendent.tipus) {
    case TipusInstallador::Executable:
        return {pendent.installador};
    case TipusInstallador::PaquetDebian: {
        // apt-get takes a local package only as a path: "./name" in the update folder.
        const QString local = QStringLiteral("./") + QFileInfo(pendent.installador).fileName();
        if (const QString pkexec = cercar(QStringLiteral("pkexec")); !pkexec.isEmpty())
            // Nobody answers apt-get's question in a detached script; a package that would
            // take others away is refused rather than confirmed.
            return {pkexec, QStringLiteral("apt-get"), QStringLiteral("install"), QStringLiteral("--yes"),
                    QStringLiteral("--no-remove"), local};
        if (const QString xdg = cercar(QStringLiteral("xdg-open")); !xdg.isEmpty())
            return {xdg, local};
        return {};
    }
    case TipusInstallador::Cap:
        break;
    }
    return {};
}

QByteArray GuioInstexec(const QStringList& ordre, const QString& carpeta, const QString& programa, const QString& interruptor,
                        qint64 pid)
{
    QStringList paraules;
    for (const QString& p : ordre)
        paraules << CometesSh(p);
    QString programaAmbHost = CometesSh(programa);
    if (!interruptor.isEmpty())
        programaAmbHost += u' ' + CometesSh(interruptor);
    // The shell keeps the script open, so it may go first: a script cut short by a
    // power cut never blocks the next update. The program that started it must be gone
    // before the installer runs and before it starts again, or the new copy would find
    // the old one still holding the one-copy lock and end.
    const QString text = QStringLiteral("#!/bin/sh\n"
                                        "# Installs the update of KOVEL Videvoviv, then starts the program again.\n"
                                        "rm -f -- %1\n"
                                        "n=0\n"
                                        "while kill -0 %2 2>/dev/null && [ $n -lt 30 ]; do sleep 1; n=$((n + 1)); done\n"
                                        "if cd -- %3 && %4; then\n"
                                        "    rm -f -- %5\n"
                                        "fi\n"
                                        "exec %6\n")
                             .arg(CometesSh(carpeta + kGuio), QString::number(pid), CometesSh(carpeta), paraules.join(u' '),
                                  CometesSh(carpeta + kPendent), programaAmbHost);
    return text.toUtf8();
}

bool ExecutarInstalPendent(const QString& programaOffice)
{
    LlegirConfiguracio();
    if (!g_activa)
        return false;
    QString motiu;
    const auto pendent = InstalladorPendent(&motiu);
    if (!pendent) {
        ModTolvWiz::Escribe_Log(QStringLiteral("Update not offered: ") + motiu);
        return false;
    }
    const QStringList ordre = OrdreInstallacio(*pendent);
    if (ordre.isEmpty()) {
        ModTolvWiz::Escribe_Log(pendent->installador + QStringLiteral(": no package installer on this system"));
        return false;
    }
    if (mod_rvtMsgBox::rvtMsgBox(ModTraduccion::Literal(9000), mod_rvtMsgBox::vbQuestion + mod_rvtMsgBox::vbYesNo,
                                 QStringLiteral("KOVEL Videvoviv"))
        != mod_rvtMsgBox::vbYes)
        return false;

    // The service may have written the file without the right to run it.
    if (pendent->tipus == TipusInstallador::Executable) {
        QFile f(pendent->installador);
        if (!QFileInfo(f).isExecutable())
            f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    }

    const QString carpeta = g_ruta;
    // Created new, never through a file or link someone left there: an existing script
    // (an earlier run cut short) means the installer is started on its own.
    QFile guio(carpeta + kGuio);
    if (guio.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        const qint64 pid = g_entorn.pid > 0 ? g_entorn.pid : QCoreApplication::applicationPid();
        const QByteArray text = GuioInstexec(ordre, carpeta, programaActual(), InterruptorHost(programaOffice), pid);
        const bool escrit = guio.write(text) == text.size() && guio.flush();
        guio.close();
        if (escrit && iniciar(QStringLiteral("/bin/sh"), {guio.fileName()}, carpeta))
            return true;
        ModTolvWiz::Escribe_Log(guio.fileName() + QStringLiteral(": could not be written or started"));
        guio.remove();
        return false;
    }
    ModTolvWiz::Escribe_Log(guio.fileName() + QStringLiteral(": ") + guio.errorString()
                            + QStringLiteral("; the installer is started on its own"));
    return iniciar(ordre.first(), ordre.mid(1), carpeta);
}

void setEntorn(Entorn entorn) { g_entorn = std::move(entorn); }

} // namespace ModAutoUpdate2
