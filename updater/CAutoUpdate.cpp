#include "updater/CAutoUpdate.h"

#include "common/Cp1252.h"
#include "updater/CWinInet_URL.h"
#include "updater/ModAutoUpdateFuncions.h"

#include "platform/files/EscripturaAtomica.h"

#include <QFileInfo>

#include <limits>

namespace {

constexpr int kTickMs = 100;
const QString kErrorDades = QStringLiteral("S'ha produit un error en rebre les dades: ");
const QString kErrorSocket = QStringLiteral("Error de socket: ");

QString errorEscrivint(const QFileDevice& file)
{
    return QStringLiteral("Error escrivint ") + file.fileName() + QStringLiteral(": ") + file.errorString();
}

// A request with the headers every request of the run carries; `connexio` is the
// Connection header's value.
QByteArray peticioHttp(const char* metode, const QString& target, const QString& host, const char* connexio,
                       qint64 rang = -1)
{
    QByteArray r = QByteArray(metode) + ' ' + kovel::cp1252::fromUnicode(target) + " HTTP/1.1\r\n";
    r += "Host: " + kovel::cp1252::fromUnicode(host) + "\r\n";
    r += "Connection: " + QByteArray(connexio) + "\r\n";
    r += "Accept: */*\r\n";
    if (rang >= 0)
        r += "Range: bytes=" + QByteArray::number(rang) + "-\r\n";
    r += "\r\n";
    return r;
}

} // namespace

CAutoUpdate::CAutoUpdate(Entorn entorn, QObject* parent) : QObject(parent), entorn_(std::move(entorn))
{
    Timer1.setEnabled(false);
    Timer1.setInterval(kTickMs);
    connect(&Timer1, &CTimer::Timer, this, &CAutoUpdate::Timer1_Timer);
    connect(&WinsockHttp, &CSocket::Connected, this, &CAutoUpdate::WinsockHttp_Connect);
    connect(&WinsockHttp, &CSocket::DataArrival, this, &CAutoUpdate::WinsockHttp_DataArrival);
    connect(&WinsockHttp, &CSocket::Close, this, &CAutoUpdate::WinsockHttp_Close);
    connect(&WinsockHttp, &CSocket::Error, this,
            [this](int number, const QString& description, std::int32_t, const QString&, const QString&,
                   std::int32_t, bool*) { WinsockHttp_Error(number, description); });
    connect(&WinsockEst, &CSocket::Connected, this, &CAutoUpdate::WinsockEst_Connect);
    connect(&WinsockEst, &CSocket::DataArrival, this, &CAutoUpdate::WinsockEst_DataArrival);
    connect(&WinsockEst, &CSocket::Close, this, &CAutoUpdate::WinsockEst_Error);
    connect(&WinsockEst, &CSocket::Error, this, &CAutoUpdate::WinsockEst_Error);
    lector_.onHeader = [this] { return capcaleraRebuda(); };
    lector_.onBody = [this](const char* data, qsizetype size) { return cosRebut(data, size); };
    inactiu_.start();
}

CAutoUpdate::~CAutoUpdate()
{
    Timer1.setEnabled(false);
    fitxer_.close();
}

void CAutoUpdate::Connect()
{
    try {
        if (WinsockHttp.State() != CSocket::sckClosed)
            WinsockHttp.CloseSck();
        WinsockHttp.setProtocol(protocol_);
        WinsockHttp.setRemoteHost(remoteHost_);
        WinsockHttp.setRemotePort(remotePort_);
        WinsockHttp.setLocalPort(localPort_);
        activitat();
        Timer1.setEnabled(true);
        WinsockHttp.Connect();
    } catch (const SocketError& e) {
        fallar(kErrorSocket + e.Description);
    }
}

void CAutoUpdate::Cancel()
{
    status_ = StatusFallat;
    Timer1.setEnabled(false);
    tancarHttp();
    fitxer_.close();
    if (!acabat_) {
        acabat_ = true;
        emit Finalitzat();
    }
}

void CAutoUpdate::tancarHttp()
{
    if (WinsockHttp.State() != CSocket::sckClosed)
        WinsockHttp.CloseSck();
}

void CAutoUpdate::fallar(const QString& message)
{
    if (acabat_)
        return;
    Timer1.setEnabled(false);
    status_ = StatusFallat;
    tancarHttp();
    fitxer_.close(); // the partial installer and the marker stay for the next run
    ModAutoUpdate::EscriureLog(message, 1);
    acabat_ = true;
    emit Finalitzat();
}

void CAutoUpdate::res()
{
    ModAutoUpdate::actualitzar_ultima_comprovacio(ModAutoUpdate::Ara());
    Timer1.setEnabled(false);
    status_ = StatusRes;
    tancarHttp();
    acabat_ = true;
    emit Finalitzat();
}

QByteArray CAutoUpdate::peticio(const char* metode, const QString& target, qint64 rang) const
{
    return peticioHttp(metode, target, remoteHost_, "Keep-Alive", rang);
}

void CAutoUpdate::enviar(const QByteArray& request, bool head)
{
    activitat();
    const bool tancada = lector_.connectionClose;
    HttpResposta::Limits limits;
    // A HEAD reply's size is only read: the decision refuses a size above the maximum
    // with its own message.
    if (status_ == 1)
        limits.maxBody = MidaMaximaVersio;
    else if (head)
        limits.maxBody = std::numeric_limits<qint64>::max();
    else
        limits.maxBody = entorn_.midaMaxima;
    lector_.start(head, limits);
    // A server that trickles its reply resets the inactivity watch with every byte: the
    // reply must also be whole within a time made from its size and the slowest rate taken.
    midaTermini_ = MidaMaximaCapcalera + (status_ == 1 ? MidaMaximaVersio : status_ == 5 ? tamany_instalable_internet - m_lDownloadedBytes : 0);
    const qint64 velocitat = std::max<qint64>(1, entorn_.velocitatMinima);
    termini_.setRemainingTime(qint64(entorn_.segonsInactius) * 1000 + midaTermini_ * 1000 / velocitat);
    darreraPeticio_ = request;
    try {
        // One kept-alive connection serves the whole run; a server that closed it (or
        // said it would) gets a new one.
        if (WinsockHttp.State() == CSocket::sckConnected && !tancada) {
            WinsockHttp.SendData(request);
        } else {
            peticioPendent_ = request;
            WinsockHttp.CloseSck();
            WinsockHttp.Connect();
        }
    } catch (const SocketError& e) {
        fallar(kErrorSocket + e.Description);
    }
}

void CAutoUpdate::WinsockHttp_Connect()
{
    if (acabat_)
        return;
    activitat();
    if (!peticioPendent_.isEmpty()) {
        const QByteArray request = std::exchange(peticioPendent_, QByteArray());
        try {
            WinsockHttp.SendData(request);
        } catch (const SocketError& e) {
            fallar(kErrorSocket + e.Description);
        }
        return;
    }
    status_ = 1;
    enviar(peticio("GET", filePath_), false);
}

void CAutoUpdate::WinsockHttp_DataArrival()
{
    if (ocupat_)
        return; // the running handler takes these bytes too
    ocupat_ = true;
    while (WinsockHttp.BytesReceived() > 0) {
        QByteArray dades;
        try {
            WinsockHttp.GetData(dades);
        } catch (const SocketError&) {
            break;
        }
        activitat();
        if (acabat_ || status_ <= 0 || status_ >= StatusRes)
            continue; // nothing is expected: dropped
        if (status_ == 1 || status_ == 3 || status_ == 5) {
            ++status_;
            reintentat_ = false;
        }
        tractar(lector_.feed(dades.constData(), dades.size()));
    }
    ocupat_ = false;
}

void CAutoUpdate::WinsockHttp_Close()
{
    activitat();
    if (acabat_)
        return;
    if (status_ == 1 || status_ == 3 || status_ == 5) {
        if (reintentar())
            return;
        fallar(kErrorDades + QStringLiteral("el servidor ha tancat la connexió sense respondre"));
        return;
    }
    tractar(lector_.peerClosed());
}

void CAutoUpdate::WinsockHttp_Error(int number, const QString& description)
{
    if (acabat_)
        return;
    const bool reset = number == 10053 || number == 10054;
    if (reset && (status_ == 3 || status_ == 5) && reintentar())
        return;
    fallar(kErrorSocket + description);
}

// A kept-alive connection that the server dropped before the request reached it: the
// request goes once more on a new connection.
bool CAutoUpdate::reintentar()
{
    if (reintentat_ || darreraPeticio_.isEmpty())
        return false;
    reintentat_ = true;
    peticioPendent_ = darreraPeticio_;
    try {
        WinsockHttp.CloseSck();
        WinsockHttp.Connect();
    } catch (const SocketError& e) {
        fallar(kErrorSocket + e.Description);
    }
    return true;
}

void CAutoUpdate::Timer1_Timer()
{
    // Connecting counts too: a host that never answers ends the run like a stalled one.
    if (acabat_ || status_ < 0 || status_ >= StatusRes)
        return;
    if (inactiu_.elapsed() > qint64(entorn_.segonsInactius) * 1000)
        fallar(kErrorSocket + CSocket::ErrorText(10060));
    else if (termini_.hasExpired())
        fallar(kErrorDades + QStringLiteral("la resposta no ha arribat a temps (%1 bytes a menys de %2 bytes/s)")
                                 .arg(midaTermini_)
                                 .arg(entorn_.velocitatMinima));
}

// A download larger than the maximum, or than the update folder can take beside its margin,
// is refused before anything is written.
bool CAutoUpdate::refusaMida(qint64 midaLocal)
{
    if (tamany_instalable_internet > entorn_.midaMaxima) {
        fallar(QStringLiteral("Descàrrega refusada: l'instal·lador fa %1 bytes, més del màxim de %2 (MidaMaximaMB)")
                   .arg(tamany_instalable_internet)
                   .arg(entorn_.midaMaxima));
        return true;
    }
    const qint64 falta = tamany_instalable_internet - midaLocal;
    if (falta <= 0)
        return false;
    const qint64 lliure = ModAutoUpdate::EspaiLliure(entorn_.carpeta);
    if (lliure < 0 || falta > lliure - MargeEspaiLliure) {
        fallar(QStringLiteral("Descàrrega refusada: calen %1 bytes a %2 i n'hi ha %3 de lliures (se'n deixen %4 de marge)")
                   .arg(falta)
                   .arg(entorn_.carpeta)
                   .arg(lliure)
                   .arg(MargeEspaiLliure));
        return true;
    }
    return false;
}

// After each piece given to the reader: a failure found by a callback, a download that
// reached its size, or the reader's own verdict.
void CAutoUpdate::tractar(HttpResposta::Lector::Estat estat)
{
    if (acabat_)
        return;
    if (!errorPendent_.isEmpty()) {
        fallar(std::exchange(errorPendent_, QString()));
        return;
    }
    if (descarregaCompleta_) {
        acabarDescarrega();
        return;
    }
    using E = HttpResposta::Lector::Estat;
    if (estat == E::Error)
        fallar(kErrorDades + lector_.error);
    else if (estat == E::Complet)
        respostaCompleta();
}

bool CAutoUpdate::capcaleraRebuda()
{
    const int code = lector_.code;
    if (code < 200 || code > 299) {
        errorPendent_ = kErrorDades + kovel::cp1252::toUnicode(lector_.reason);
        return false;
    }
    if (status_ == 4) {
        tamany_instalable_internet = lector_.contentLength.value_or(0);
        lastModified_ = lector_.lastModified;
    } else if (status_ == 6) {
        if (rangDemanat_ && code == 206) {
            // The part must start where the local file ends.
            const auto range = HttpResposta::GetHttpHeaderFieldValue(lector_.header, "Content-Range");
            if (range) {
                const QByteArray prefix = "bytes " + QByteArray::number(m_lDownloadedBytes) + '-';
                if (!range->startsWith(prefix)) {
                    errorPendent_ = kErrorDades + QStringLiteral("Content-Range inesperat: ")
                        + QString::fromLatin1(range->left(60));
                    return false;
                }
            }
        } else if (code == 206) {
            errorPendent_ = kErrorDades + QStringLiteral("resposta parcial no demanada");
            return false;
        } else if (rangDemanat_) {
            // The whole file came back instead of the part: write it from its start.
            if (!fitxer_.resize(0) || !fitxer_.seek(0)) {
                errorPendent_ = errorEscrivint(fitxer_);
                return false;
            }
            m_lDownloadedBytes = 0;
        }
        status_ = 7;
    }
    return true;
}

bool CAutoUpdate::cosRebut(const char* data, qsizetype size)
{
    if (status_ == 2) {
        versio_.append(data, size);
        return true;
    }
    if (status_ != 7)
        return true;
    // Completion is having at least the installer's size; anything beyond it is dropped.
    const qsizetype n = static_cast<qsizetype>(std::min<qint64>(size, tamany_instalable_internet - m_lDownloadedBytes));
    if (n > 0 && fitxer_.write(data, n) != n) {
        errorPendent_ = errorEscrivint(fitxer_);
        return false;
    }
    m_lDownloadedBytes += n;
    if (m_lDownloadedBytes >= tamany_instalable_internet) {
        descarregaCompleta_ = true;
        return false;
    }
    return true;
}

void CAutoUpdate::respostaCompleta()
{
    if (status_ == 2) {
        // The version file's first line names the installer (a file written with bare
        // line feeds is read the same way).
        QString nom = ModAutoUpdate::PrimeraLinia(kovel::cp1252::toUnicode(versio_));
        if (const qsizetype lf = nom.indexOf(u'\n'); lf >= 0)
            nom.truncate(lf);
        if (nom.endsWith(u'\r'))
            nom.chop(1);
        if (!ModAutoUpdate::NomInstallableValid(nom)) {
            fallar(kErrorDades + QStringLiteral("nom d'instal·lador no vàlid: ") + nom.left(80));
            return;
        }
        nom_ = nom;
        filePath_ = directoryPath_ + nom_;
        status_ = 3;
        versio_.clear();
        enviar(peticio("HEAD", filePath_), true);
        return;
    }
    if (status_ == 4) {
        decidir();
        return;
    }
    // The reply ended before the installer's size: the part stays for the next run.
    fallar(kErrorDades + QStringLiteral("la resposta s'ha acabat abans de la mida de l'instal·lador (%1 de %2 bytes)")
                             .arg(m_lDownloadedBytes)
                             .arg(tamany_instalable_internet));
}

bool CAutoUpdate::escriureMarcador()
{
    const QString path = entorn_.carpeta + QStringLiteral("autoUpdateIncomplet.log");
    const QByteArray line = lastModified_ + " - " + ModAutoUpdate::TextData(ModAutoUpdate::Ara()).toUtf8() + '\n';
    QString error;
    if (!kovel::files::EscriuAtomic(path, line, &error)) {
        fallar(QStringLiteral("Error escrivint ") + error);
        return false;
    }
    return true;
}

void CAutoUpdate::decidir()
{
    status_ = 5;
    const QDateTime server = ModAutoUpdate::DataHttpALocal(QString::fromLatin1(lastModified_));
    if (!server.isValid()) {
        fallar(kErrorDades + QStringLiteral("Last-Modified no vàlid: ") + QString::fromLatin1(lastModified_.left(60)));
        return;
    }
    if (entorn_.dataVersioInstallada.isValid() && entorn_.dataVersioInstallada > server) {
        res();
        return;
    }
    const QString local = entorn_.carpeta + nom_;
    qint64 midaLocal = 0;
    bool reprendre = false;
    if (entorn_.dataDescarregaIncompleta.isValid() && entorn_.dataDescarregaIncompleta >= server) {
        // A download of this version had begun.
        if (tamany_instalable_internet <= 0) {
            res();
            return;
        }
        QFile::remove(entorn_.carpeta + QStringLiteral("inst_pendent.txt"));
        const QFileInfo info(local);
        midaLocal = info.isFile() ? info.size() : 0;
        if (midaLocal > tamany_instalable_internet)
            midaLocal = 0; // downloaded again from its start
        if (refusaMida(midaLocal))
            return;
        if (midaLocal == tamany_instalable_internet) {
            acabarDescarrega();
            return;
        }
        if (midaLocal > 0 && midaLocal < tamany_instalable_internet) {
            reprendre = true;
        } else {
            QFile::remove(local);
            midaLocal = 0;
            if (!escriureMarcador())
                return;
        }
    } else {
        // A newer version. Without a size there is nothing that could be verified.
        if (tamany_instalable_internet <= 0) {
            fallar(kErrorDades + QStringLiteral("el servidor no dona la mida de l'instal·lador"));
            return;
        }
        // An installer already downloaded whole after the server's copy was published is
        // that copy, handed over and waiting to be installed: it is checked and handed over
        // again rather than thrown away and fetched once more on every check.
        const QFileInfo info(local);
        const QDateTime publicat = ModAutoUpdate::DataHttpALocal(QString::fromLatin1(lastModified_), 0);
        const bool jaDescarregat = info.isFile() && info.size() == tamany_instalable_internet && info.lastModified() >= publicat;
        if (refusaMida(jaDescarregat ? tamany_instalable_internet : 0))
            return;
        if (jaDescarregat) {
            acabarDescarrega();
            return;
        }
        QFile::remove(local);
        if (!escriureMarcador())
            return;
        EnviarURL(1);
    }
    fitxer_.setFileName(local);
    const QIODevice::OpenMode mode = reprendre ? (QIODevice::WriteOnly | QIODevice::Append)
                                               : (QIODevice::WriteOnly | QIODevice::Truncate);
    if (!fitxer_.open(mode | QIODevice::Unbuffered)) {
        fallar(errorEscrivint(fitxer_));
        return;
    }
    filePath_ = directoryPath_ + nom_;
    m_lDownloadedBytes = midaLocal;
    rangDemanat_ = reprendre;
    descarregaCompleta_ = false;
    enviar(peticio("GET", filePath_, reprendre ? midaLocal : -1), false);
}

void CAutoUpdate::acabarDescarrega()
{
    const bool descarregat = fitxer_.isOpen();
    Timer1.setEnabled(false);
    tancarHttp();
    const QString path = entorn_.carpeta + nom_;
    bool escrit = true;
    if (descarregat) {
        escrit = fitxer_.flush();
        fitxer_.close();
        EnviarURL(2);
    }
    // Only a file of exactly the server's size is checked; a short or long one fails.
    if (!escrit || QFileInfo(path).size() != tamany_instalable_internet || !ModAutoUpdate::ComprovarChecksum(path)) {
        QFile::remove(path);
        status_ = StatusFallat;
        ModAutoUpdate::EscriureLog(QStringLiteral("Error de checksum"), 1);
        acabat_ = true;
        emit Finalitzat();
        return;
    }
    // Zeros, or anything else whose words happen to XOR to zero, pass the checksum: only an
    // installer by its content is handed over.
    if (const QString motiu = ModAutoUpdate::NoEsInstallable(path); !motiu.isEmpty()) {
        QFile::remove(path);
        status_ = StatusFallat;
        ModAutoUpdate::EscriureLog(QStringLiteral("Instal·lador refusat: ") + path + QStringLiteral(": ") + motiu, 1);
        acabat_ = true;
        emit Finalitzat();
        return;
    }
    ModAutoUpdate::actualitzar_ultima_comprovacio(ModAutoUpdate::Ara());
    QFile::remove(entorn_.carpeta + QStringLiteral("autoUpdateIncomplet.log"));
    // The main program takes a line shorter than 25 characters as a name in the update
    // folder and anything longer as a full path, so a short path is written as the name.
    const QString linia = path.size() >= 25 ? path : nom_;
    QString error;
    if (!kovel::files::EscriuAtomic(entorn_.carpeta + QStringLiteral("inst_pendent.txt"), linia.toUtf8() + '\n', &error)) {
        status_ = StatusFallat;
        ModAutoUpdate::EscriureLog(QStringLiteral("Error escrivint ") + error, 1);
        acabat_ = true;
        emit Finalitzat();
        return;
    }
    completat_ = true;
    acabat_ = true;
    emit Finalitzat();
}

void CAutoUpdate::EnviarURL(int tip)
{
    if (entorn_.adrecaEstadistiques.isEmpty())
        return;
    const QString url = entorn_.adrecaEstadistiques + QStringLiteral("/bo_users/auto_stats_update.asp?pid=3&lid=")
        + QString::number(entorn_.estadistiquesLID) + QStringLiteral("&tip=") + QString::number(tip);
    CWinInet_URL u;
    if (!u.CrackUrl(url) || u.HostName.isEmpty())
        return;
    // Statistics never affect the download.
    try {
        if (WinsockEst.State() != CSocket::sckClosed)
            WinsockEst.CloseSck();
        WinsockEst.setProtocol(CSocket::sckTCPProtocol);
        WinsockEst.setRemotePort(u.Port);
        WinsockEst.setLocalPort(0);
        estPath_ = u.URLPath + u.ExtraInfo;
        estHost_ = u.HostName;
        WinsockEst.Connect(u.HostName);
    } catch (const SocketError&) {
    }
}

void CAutoUpdate::WinsockEst_Connect()
{
    if (status_ == StatusFallat)
        return;
    try {
        WinsockEst.SendData(peticioHttp("GET", estPath_, estHost_, "Close"));
    } catch (const SocketError&) {
    }
}

void CAutoUpdate::WinsockEst_DataArrival()
{
    try {
        QByteArray discarded;
        if (WinsockEst.BytesReceived() > 0)
            WinsockEst.GetData(discarded);
        WinsockEst.CloseSck();
    } catch (const SocketError&) {
    }
}

void CAutoUpdate::WinsockEst_Error()
{
    try {
        WinsockEst.CloseSck();
    } catch (const SocketError&) {
    }
}
