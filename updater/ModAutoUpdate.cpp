#include "updater/ModAutoUpdate.h"

#include "platform/registry/Registry.h"

#include "common/ModReg.h"
#include "common/ModTraduccion.h"
#include "platform/files/EscripturaAtomica.h"
#include "platform/paths/Paths.h"
#include "updater/CAutoUpdate.h"
#include "updater/CWinInet_URL.h"
#include "updater/ModAutoUpdateFuncions.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTimeZone>
#include <QtEndian>

#include <cstdio>
#include <memory>
#include <vector>

namespace ModAutoUpdate {

namespace {

Configuracio g_config;
std::function<QDateTime()> g_rellotge;
std::function<qint64(const QString&)> g_espaiLliure;
bool g_completada = false;

QString clauAutoUpdate() { return ModReg::ClauProducte + QStringLiteral("AutoUpdate"); }

const QString kMarcador = QStringLiteral("autoUpdateIncomplet.log");
// The last-check date kept in the update folder when the settings cannot be written.
const QString kUltimaComprovacio = QStringLiteral("ultimaComprovacio.txt");
constexpr qint64 kMidaMaximaUltimaComprovacio = 256;

// A zone-free wall-clock value.
QDateTime senseZona(const QDate& date, const QTime& time) { return QDateTime(date, time, Qt::UTC); }

std::optional<int> numero(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    int v = 0;
    for (QChar c : t) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        v = v * 10 + (c.unicode() - u'0');
    }
    return v;
}

// The date at the start of a file's first line (its first 25 characters).
std::optional<QDateTime> dataDeFitxer(const QString& path, QString& error)
{
    const auto line = PrimeraLiniaFitxer(path, error);
    if (!line)
        return std::nullopt;
    const QDateTime d = DataHttpALocal(line->left(25));
    if (!d.isValid()) {
        error = path + QStringLiteral(": la primera línia no comença amb una data");
        return std::nullopt;
    }
    return d;
}

} // namespace

const Configuracio& ConfiguracioActual() { return g_config; }

QDateTime Ara()
{
    if (g_rellotge)
        return g_rellotge();
    const QDateTime now = QDateTime::currentDateTime();
    return senseZona(now.date(), now.time());
}

void EstablirRellotge(std::function<QDateTime()> rellotge) { g_rellotge = std::move(rellotge); }

QString TextData(const QDateTime& data) { return data.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")); }

QDateTime LlegirData(const QString& text)
{
    const QString t = text.trimmed();
    for (const char* format : {"d/M/yyyy H:mm:ss", "d/M/yyyy H:mm", "d/M/yyyy"}) {
        const QDateTime d = QDateTime::fromString(t, QLatin1String(format));
        if (d.isValid())
            return senseZona(d.date(), d.time());
    }
    return {};
}

QDateTime LlegirUltimaComprovacio()
{
    const QString text = ModReg::LlegirCadena(ModReg::HKEY_LOCAL_MACHINE, clauAutoUpdate(), QStringLiteral("UltimaComprovacio"));
    QDateTime d = LlegirData(text);
    // The update folder's copy, kept when the settings could not be written: the later wins.
    // A copy that cannot be read, is longer than a date and its line end, or holds no date
    // is not counted, and the log says so.
    if (!g_config.carpeta.isEmpty() && QFileInfo::exists(g_config.carpeta + kUltimaComprovacio)) {
        QFile f(g_config.carpeta + kUltimaComprovacio);
        QString error;
        if (!f.open(QIODevice::ReadOnly)) {
            error = f.errorString();
        } else if (const QByteArray bytes = f.read(kMidaMaximaUltimaComprovacio + 1);
                   bytes.size() > kMidaMaximaUltimaComprovacio) {
            error = QStringLiteral("massa llarg per ser una data");
        } else if (const QDateTime copia = LlegirData(QString::fromUtf8(bytes)); !copia.isValid()) {
            error = QStringLiteral("no conté una data");
        } else if (!d.isValid() || copia > d) {
            d = copia;
        }
        if (!error.isEmpty())
            EscriureLog(f.fileName() + QStringLiteral(": ") + error + QStringLiteral("; no es té en compte"), 1);
    }
    // Empty, or a value that is not a date: the check counts as never made.
    return d.isValid() ? d : senseZona(QDate(2005, 1, 1), QTime(0, 0));
}

std::uint32_t LlegirEstadistiquesLID()
{
    // The whole 32-bit identifier: a 16-bit read would send another user's statistics.
    const auto v = kovel::registry::machine().value(clauAutoUpdate(), QStringLiteral("estadistiques_LID"));
    if (!v || v->type != kovel::registry::Value::Type::Dword)
        return 0;
    return v->dword;
}

void actualitzar_ultima_comprovacio(const QDateTime& data)
{
    const QString text = TextData(data);
    ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clauAutoUpdate(), QStringLiteral("UltimaComprovacio"), text);
    if (ModReg::LlegirCadena(ModReg::HKEY_LOCAL_MACHINE, clauAutoUpdate(), QStringLiteral("UltimaComprovacio")) == text)
        return;
    // A settings file the run cannot write (a read-only program folder under the service's
    // sandbox) would keep the old date, and every later run would check the server again:
    // the date goes to the update folder, the service's own writable folder.
    const QString desti = kovel::paths::machineRegistryFile();
    const QString copia = g_config.carpeta.isEmpty() ? QString() : g_config.carpeta + kUltimaComprovacio;
    QString error = QStringLiteral("no hi ha carpeta d'actualització");
    if (!copia.isEmpty()) {
        if (kovel::files::EscriuAtomic(copia, text.toUtf8() + '\n', &error)) {
            EscriureLog(QStringLiteral("No s'ha pogut desar UltimaComprovacio a ") + desti + QStringLiteral("; desada a ") + copia, 1);
            return;
        }
    }
    EscriureLog(QStringLiteral("No s'ha pogut desar UltimaComprovacio a ") + desti + QStringLiteral(" ni a la carpeta d'actualització (")
                    + error + QStringLiteral("); la propera execució tornarà a consultar el servidor"),
                1);
}

void LlegirConfiguracio()
{
    const QString key = clauAutoUpdate();
    Configuracio c;
    c.carpeta = ModReg::LlegirCadena(ModReg::HKEY_LOCAL_MACHINE, key, QStringLiteral("PATH_AutoUpdater"));
    c.carpeta.replace(u'\\', u'/');
    // File names are appended to the folder, so it must end with its separator.
    if (!c.carpeta.isEmpty() && !c.carpeta.endsWith(u'/'))
        c.carpeta += u'/';
    c.path = ModReg::LlegirCadena(ModReg::HKEY_LOCAL_MACHINE, key, QStringLiteral("Path")).trimmed();
    if (!c.path.isEmpty()) {
        c.periodeComprovacio = ModReg::LlegirEnter(ModReg::HKEY_LOCAL_MACHINE, key, QStringLiteral("PeriodeComprovacio"));
        c.segonsInactius = ModReg::LlegirEnter(ModReg::HKEY_LOCAL_MACHINE, key, QStringLiteral("SegonsInactius"));
        c.midaMaximaMB = ModReg::LlegirEnter(ModReg::HKEY_LOCAL_MACHINE, key, QStringLiteral("MidaMaximaMB"));
        c.velocitatMinimaKBs = ModReg::LlegirEnter(ModReg::HKEY_LOCAL_MACHINE, key, QStringLiteral("VelocitatMinimaKBs"));
    }
    // The unfinished-download marker lives in the update folder, where the download
    // writes it and the main program looks for it.
    if (!c.carpeta.isEmpty() && QFileInfo::exists(c.carpeta + kMarcador)) {
        if (const auto d = dataDeFitxer(c.carpeta + kMarcador, c.errorMarcador))
            c.dataDescarregaIncompleta = *d;
    }
    g_config = c;
}

void EscriureLog(const QString& message, int level)
{
    if (level > 1)
        return;
    // Texts from the network must not break the one-line-per-message form.
    QString text = message;
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    const QByteArray line = (TextData(Ara()) + QStringLiteral(" - ") + text).toUtf8() + '\n';
    if (g_config.carpeta.isEmpty()) {
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        return;
    }
    // A line that cannot be added (a full disk) leaves the log as it was and goes to
    // standard error, with why.
    QString error;
    if (!kovel::files::AfegeixSegur(g_config.carpeta + QStringLiteral("warnings.log"), line, &error)) {
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        std::fprintf(stderr, "%s\n", qPrintable(error));
    }
}

QDateTime DataHttpALocal(const QString& text)
{
    const QTimeZone zone = QTimeZone::systemTimeZone();
    const int biaix = -zone.standardTimeOffset(QDateTime::currentDateTimeUtc()) / 60;
    return DataHttpALocal(text, biaix);
}

QDateTime DataHttpALocal(const QString& text, int biaixMinuts)
{
    static const char* const mesos[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QStringView t(text);
    const auto camp = [&](int from, int length) { return t.size() >= from - 1 + length ? t.mid(from - 1, length) : QStringView(); };
    const auto dia = numero(camp(6, 2));
    const auto any = numero(camp(13, 4));
    const auto hora = numero(camp(18, 2));
    const auto minut = numero(camp(21, 2));
    const auto segon = numero(camp(24, 2));
    if (!dia || !any || !hora || !minut || !segon)
        return {};
    int mes = 1; // a name that is not recognised counts as January
    const QStringView nomMes = camp(9, 3);
    for (int i = 0; i < 12; ++i)
        if (nomMes == QLatin1String(mesos[i]))
            mes = i + 1;
    const QDate date(*any, mes, *dia);
    const QTime time(*hora, *minut, *segon);
    if (!date.isValid() || !time.isValid())
        return {};
    return senseZona(date, time).addSecs(-qint64(biaixMinuts) * 60);
}

QString PrimeraLinia(const QString& text)
{
    const qsizetype crlf = text.indexOf(QLatin1String("\r\n"));
    return crlf < 0 ? text : text.left(crlf);
}

std::optional<QString> PrimeraLiniaFitxer(const QString& path, QString& error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = path + QStringLiteral(": ") + f.errorString();
        return std::nullopt;
    }
    QByteArray bytes = f.read(4096);
    if (const qsizetype lf = bytes.indexOf('\n'); lf >= 0)
        bytes.truncate(lf);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    return QString::fromUtf8(bytes);
}

bool ComprovarChecksum(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    constexpr qint64 kBloc = 1 << 20; // a multiple of 8: only the last read can end mid-word
    std::vector<char> buf(kBloc);
    quint64 acc64 = 0;
    quint32 acc32 = 0;
    for (;;) {
        qint64 n = 0;
        while (n < kBloc) {
            const qint64 r = f.read(buf.data() + n, kBloc - n);
            if (r < 0)
                return false;
            if (r == 0)
                break;
            n += r;
        }
        const qint64 dobles = n / 8;
        for (qint64 i = 0; i < dobles; ++i)
            acc64 ^= qFromLittleEndian<quint64>(buf.data() + i * 8);
        // A last word of four bytes counts; one to three trailing bytes do not.
        if (n - dobles * 8 >= 4)
            acc32 ^= qFromLittleEndian<quint32>(buf.data() + dobles * 8);
        if (n < kBloc)
            break;
    }
    return (quint32(acc64) ^ quint32(acc64 >> 32) ^ acc32) == 0;
}

bool NomInstallableValid(const QString& name)
{
    if (name.isEmpty() || name.size() > 255 || name == u"." || name.contains(QLatin1String("..")))
        return false;
    for (QChar c : name)
        if (c.unicode() <= 0x20 || c.unicode() == 0x7F || c == u'/' || c == u'\\')
            return false;
    for (const char* own : {"warnings.log", "autoUpdate.log", "autoUpdateIncomplet.log", "inst_pendent.txt", "instexec.bat",
                            "instexec.sh", "ultimaComprovacio.txt"})
        if (name.compare(QLatin1String(own), Qt::CaseInsensitive) == 0)
            return false;
    return true;
}

bool DescarregaCompletada() { return g_completada; }

int SegonsInactiusEfectius(int segonsInactius) { return segonsInactius > 0 ? segonsInactius : 60; }

qint64 MidaMaximaEfectiva(int midaMaximaMB) { return qint64(midaMaximaMB > 0 ? midaMaximaMB : 1024) * 1024 * 1024; }

qint64 VelocitatMinimaEfectiva(int velocitatMinimaKBs) { return qint64(velocitatMinimaKBs > 0 ? velocitatMinimaKBs : 16) * 1024; }

qint64 EspaiLliure(const QString& carpeta)
{
    if (g_espaiLliure)
        return g_espaiLliure(carpeta);
    QStorageInfo info(carpeta);
    return info.isValid() ? info.bytesAvailable() : -1;
}

void EstablirEspaiLliure(std::function<qint64(const QString&)> espai) { g_espaiLliure = std::move(espai); }

QString NoEsInstallable(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return f.errorString();
    const QByteArray inici = f.read(21);
    if (inici.startsWith("\x7f" "ELF") || inici.startsWith("#!") || inici == "!<arch>\ndebian-binary")
        return {};
    return QStringLiteral("no és un executable ni un paquet Debian");
}

int ComprovarActualitzacio()
{
    g_completada = false;
    LlegirConfiguracio();
    const Configuracio c = g_config;
    // A damaged settings file reads as empty: that is not "not configured".
    if (const QString problema = ModReg::ProblemaFitxer(ModReg::HKEY_LOCAL_MACHINE); !problema.isEmpty()) {
        EscriureLog(QStringLiteral("Avís: la configuració no es pot llegir: ") + problema, 1);
        return 1;
    }
    if (c.path.isEmpty())
        return 0;
    if (c.carpeta.isEmpty() || !QDir::isAbsolutePath(c.carpeta)) {
        EscriureLog(QStringLiteral("La carpeta d'actualització (PATH_AutoUpdater) no és una ruta absoluta: ") + c.carpeta, 1);
        return 1;
    }
    const QDateTime now = Ara();
    const QDateTime ultima = LlegirUltimaComprovacio();
    if (senseZona(QDate(2005, 10, 10), QTime(0, 0)) > now || now < ultima) {
        EscriureLog(QStringLiteral("El rellotge del sistema no funciona correctament."), 1);
        return 1;
    }
    if (!c.errorMarcador.isEmpty()) {
        EscriureLog(c.errorMarcador, 1);
        return 1;
    }
    const bool due = ultima.addDays(c.periodeComprovacio) < now || c.dataDescarregaIncompleta.isValid();
    if (!due)
        return 0;

    QString error;
    const auto installada = dataDeFitxer(c.carpeta + QStringLiteral("autoUpdate.log"), error);
    if (!installada) {
        EscriureLog(error, 1);
        return 1;
    }
    const QString txt = kovel::paths::programFile(QStringLiteral("autoUpdate.txt"));
    const auto versio = PrimeraLiniaFitxer(txt, error);
    if (!versio) {
        EscriureLog(error, 1);
        return 1;
    }
    if (!NomInstallableValid(*versio)) {
        EscriureLog(txt + QStringLiteral(": nom de fitxer de versió no vàlid: ") + versio->left(80), 1);
        return 1;
    }
    CWinInet_URL url;
    if (!url.CrackUrl(c.path) || url.Scheme != CWinInet_URL::SchemeHttp || url.HostName.isEmpty()) {
        EscriureLog(QStringLiteral("Adreça d'actualització no vàlida: ") + c.path, 1);
        return 1;
    }

    CAutoUpdate::Entorn entorn;
    entorn.carpeta = c.carpeta;
    entorn.dataVersioInstallada = *installada;
    entorn.dataDescarregaIncompleta = c.dataDescarregaIncompleta;
    entorn.segonsInactius = SegonsInactiusEfectius(c.segonsInactius);
    entorn.midaMaxima = MidaMaximaEfectiva(c.midaMaximaMB);
    entorn.velocitatMinima = VelocitatMinimaEfectiva(c.velocitatMinimaKBs);
    entorn.estadistiquesLID = LlegirEstadistiquesLID();
    // The statistics page is on the update server.
    entorn.adrecaEstadistiques = QStringLiteral("http://") + url.HostName
        + (url.Port != 80 ? QStringLiteral(":") + QString::number(url.Port) : QString());
    const QString directori = url.URLPath.isEmpty() ? QStringLiteral("/") : url.URLPath;

    CAutoUpdate update(entorn);
    update.setProtocol(CSocket::sckTCPProtocol);
    update.setRemoteHost(url.HostName);
    update.setRemotePort(url.Port); // the address's own port, 80 when it names none
    update.setLocalPort(0);
    update.setDirectoryPath(directori);
    update.setFilePath(directori + *versio);
    update.Connect();
    QEventLoop loop;
    while (!update.Acabat())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    g_completada = update.Completat();
    return update.Completat() || update.Status() == CAutoUpdate::StatusRes ? 0 : 1;
}

int UnaActualitzacio()
{
    // The run needs an event loop for its sockets and timer.
    static int argc = 1;
    static char nom[] = "KovelAutoUpdater";
    static char* argv[] = {nom, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);

    LlegirConfiguracio();
    QString message;
    if (!ModTraduccion::CarregarLiterals(message)) {
        EscriureLog(QStringLiteral("ERROR llegint traduccions: ") + message, 1);
        return 1;
    }
    EscriureLog(QStringLiteral("********** INICI **********************"), 1);
    const int status = ComprovarActualitzacio();
    // A completed download ends the run at once: the hand-over is its last act.
    if (!g_completada)
        EscriureLog(QStringLiteral("---------- FINAL -----------------------"), 1);
    return status;
}

} // namespace ModAutoUpdate

namespace strings {

QString DosDigits(int number)
{
    return number <= 9 ? QStringLiteral("0") + QString::number(number) : QString::number(number);
}

} // namespace strings
