#pragma once
// The start-up offer of an installer that the update service downloaded and verified, and
// the two values of the update settings that the web banner's query carries.
//
// The update service leaves the installer in its folder ("PATH_AutoUpdater") and names it
// in "inst_pendent.txt"; "autoUpdateIncomplet.log" there marks a download not finished.
// On Yes the offer writes "instexec.sh" beside them, starts it detached with /bin/sh and
// the program ends: the script installs, deletes the hand-over when the installer
// succeeded, and starts the program again with the same host switch.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

namespace ModAutoUpdate2 {

// Reads "PATH_AutoUpdater" and "Path" of the machine's "AutoUpdate" key.
void LlegirConfiguracio();
// The update folder, "/" separated and ending with "/" (empty when not configured).
const QString& RutaActualitzador();
// "Path" is not empty: updates are configured.
bool ActualitzacioActiva();

// The statistics identifier "estadistiques_LID", a 32-bit value kept whole (0 when missing).
std::uint32_t LlegirEstadistiquesLID();
// The text after "Versio:" (leading blanks dropped) of the first such line of the update
// log; empty when the log or the line is missing.
QString VersioDelLog();

// What an installer is here: a program or self-extracting script (ELF or "#!" content)
// run as it stands, or a Debian package installed by the package manager.
enum class TipusInstallador { Cap, Executable, PaquetDebian };
TipusInstallador TipusDe(const QString& path);

struct Pendent {
    QString installador; // absolute path, inside the update folder
    TipusInstallador tipus = TipusInstallador::Cap;
};

// The installer named by the hand-over's first line: an absolute path as it stands, any
// other text a name in the update folder ("\" read as "/").
QString RutaInstallador(const QString& primeraLinia, const QString& carpeta);
// The installer waiting to be offered: the hand-over names a regular file directly inside
// the update folder (links resolved), not one of the folder's own files, no download is
// unfinished, and the file is an installer. Otherwise nullopt, with why in `motiu`.
std::optional<Pendent> InstalladorPendent(QString* motiu = nullptr);

// "/W", "/E", "/A" for the hosts "Word", "Excel", "Access" (exact); "" for any other.
QString InterruptorHost(const QString& programaOffice);
// A text as one word for /bin/sh: in single quotes, each quote written '\''.
QString CometesSh(const QString& text);

// The command that installs, run in the update folder. A program runs as it stands; a
// package goes to "pkexec apt-get install" when pkexec is at hand, else to the desktop's
// package installer (xdg-open). Empty when nothing can install it.
QStringList OrdreInstallacio(const Pendent& pendent);
// The text of "instexec.sh": removes itself, waits (30 s at most) for the program of
// process `pid` to end, installs, removes the hand-over when the command succeeded, then
// becomes the program started with the host switch.
QByteArray GuioInstexec(const QStringList& ordre, const QString& carpeta, const QString& programa,
                        const QString& interruptor, qint64 pid);

// The offer: reads the settings, asks (literal 9000) when an installer waits and, on Yes,
// starts it. True when something was started and the program must end now.
bool ExecutarInstalPendent(const QString& programaOffice);

// What the offer uses of the system, for tests: the detached start (QProcess::startDetached),
// the search of a program in PATH (QStandardPaths::findExecutable) and the program that the
// script starts again (this program's file) and the process the script waits for (this
// one). Empty members mean the real ones.
struct Entorn {
    std::function<bool(const QString& programa, const QStringList& arguments, const QString& carpeta)> iniciar;
    std::function<QString(const QString& nom)> cercarExecutable;
    QString programa;
    qint64 pid = 0;
};
void setEntorn(Entorn entorn);

} // namespace ModAutoUpdate2
