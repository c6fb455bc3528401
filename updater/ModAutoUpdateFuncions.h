#pragma once
// The update run's settings, dates, files and helpers, beside the three entry points of
// ModAutoUpdate.h. Dates here are wall-clock times without a zone (held as Qt::UTC values
// so that no conversion ever applies); an invalid QDateTime is the "zero" date.
#include "updater/ModAutoUpdate.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace ModAutoUpdate {

// The settings of one run, as LlegirConfiguracio leaves them.
struct Configuracio {
    QString carpeta;                 // update folder, "/" separated, ending with "/" (or empty)
    QString path;                    // address of the update directory on the server
    int periodeComprovacio = 0;      // days
    int segonsInactius = 0;          // as stored; see SegonsInactiusEfectius
    int midaMaximaMB = 0;            // "MidaMaximaMB" as stored; see MidaMaximaEfectiva
    int velocitatMinimaKBs = 0;      // "VelocitatMinimaKBs" as stored; see VelocitatMinimaEfectiva
    QDateTime dataDescarregaIncompleta; // from the unfinished-download marker; invalid when none
    QString errorMarcador;           // a marker exists but cannot be read or holds no date: why, naming it
};
const Configuracio& ConfiguracioActual();

// The time the run takes as now (replaceable so tests can set the clock).
QDateTime Ara();
void EstablirRellotge(std::function<QDateTime()> rellotge); // empty: the system clock

// The settings' text form of a date ("dd/MM/yyyy HH:mm:ss") and its reading; the reading
// also takes a date without time or seconds ("1/1/2005"). Invalid when not a date.
QString TextData(const QDateTime& data);
QDateTime LlegirData(const QString& text);

// The last check: the later of "UltimaComprovacio" and the update folder's
// "ultimaComprovacio.txt" (where the date goes when the settings cannot be written);
// 1 January 2005 when neither holds a date.
QDateTime LlegirUltimaComprovacio();
std::uint32_t LlegirEstadistiquesLID();
void actualitzar_ultima_comprovacio(const QDateTime& data);

// An RFC 1123 date read by fixed positions, taken as Greenwich time and moved by the
// zone's standard bias (minutes, UTC minus local; daylight saving not applied). Invalid
// when a field is not a number or the fields are not a date.
QDateTime DataHttpALocal(const QString& text);
QDateTime DataHttpALocal(const QString& text, int biaixMinuts);

// The text up to the first CR LF; the whole text when it holds none.
QString PrimeraLinia(const QString& text);
// The first line of a file (CR LF or LF), read from at most its first 4 KB; nullopt with
// `error` set (naming the file) when it cannot be read.
std::optional<QString> PrimeraLiniaFitxer(const QString& path, QString& error);
// True when the exclusive OR of the file's complete 32-bit little-endian words is 0.
bool ComprovarChecksum(const QString& path);
// A file name the server may give for the installer: no folder part, no "..", no blanks
// or control characters, none of the update folder's own files, at most 255 characters.
bool NomInstallableValid(const QString& name);
// The inactivity limit a download uses: SegonsInactius, or 60 when it is not above 0.
int SegonsInactiusEfectius(int segonsInactius);
// The largest installer the run downloads, in bytes: "MidaMaximaMB" megabytes, 1 GB when it
// is not above 0.
qint64 MidaMaximaEfectiva(int midaMaximaMB);
// The slowest average a reply may come at, in bytes a second: "VelocitatMinimaKBs" KB/s,
// 16 KB/s when it is not above 0. A reply of n bytes must be whole within SegonsInactius
// plus n over this rate.
qint64 VelocitatMinimaEfectiva(int velocitatMinimaKBs);
// Free bytes in the folder's file system (replaceable for tests; empty: the real one).
qint64 EspaiLliure(const QString& carpeta);
void EstablirEspaiLliure(std::function<qint64(const QString&)> espai);
// Why the file is not an installer by its first bytes (an ELF executable, a "#!" script or
// a Debian package); empty when it is one.
QString NoEsInstallable(const QString& path);

// One update check (settings, clock, due test, then the protocol). Returns the exit status.
int ComprovarActualitzacio();
// The last check downloaded, verified and handed over an installer (the run then ends
// without its closing log line).
bool DescarregaCompletada();

} // namespace ModAutoUpdate

namespace strings {
QString DosDigits(int number);
}
