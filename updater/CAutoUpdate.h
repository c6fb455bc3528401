#pragma once
// The update protocol: asks the server for the version file, the installer's date and size,
// decides whether to download, downloads (resuming with a Range request), verifies the
// installer and hands it over in "inst_pendent.txt". Everything runs in socket and timer
// events on the owner's thread; the owner waits for Acabat().
#include "updater/CSocket.h"
#include "updater/CTimer.h"
#include "updater/HttpResposta.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <cstdint>

class CAutoUpdate : public QObject {
    Q_OBJECT
public:
    // What the run knows before it talks to the server.
    struct Entorn {
        QString carpeta;                   // update folder, ending with "/"
        QDateTime dataVersioInstallada;    // date of the installed version
        QDateTime dataDescarregaIncompleta; // from the marker; invalid when there is none
        int segonsInactius = 60;           // a download with no data for longer fails
        qint64 midaMaxima = qint64(1) << 30; // a larger installer is refused before it is fetched
        qint64 velocitatMinima = 16 * 1024;  // bytes a second: a reply slower on average fails
        std::uint32_t estadistiquesLID = 0;
        QString adrecaEstadistiques;       // "http://host[:port]" of the statistics page; empty: none sent
    };

    static constexpr std::int16_t StatusFallat = -1;
    static constexpr std::int16_t StatusRes = 200;
    static constexpr qint64 MidaMaximaVersio = 64 * 1024;
    // What is left free in the update folder beside a download.
    static constexpr qint64 MargeEspaiLliure = qint64(16) * 1024 * 1024;
    // The largest reply header taken (HEAD and every other reply's header).
    static constexpr qint64 MidaMaximaCapcalera = 64 * 1024;

    explicit CAutoUpdate(Entorn entorn, QObject* parent = nullptr);
    ~CAutoUpdate() override;

    void Connect();
    void Cancel();
    void setProtocol(std::int32_t protocol) { protocol_ = protocol; }
    void setRemoteHost(const QString& host) { remoteHost_ = host; }
    void setRemotePort(std::int32_t port) { remotePort_ = port; }
    void setLocalPort(std::int32_t port) { localPort_ = port; }
    void setFilePath(const QString& path) { filePath_ = path; }
    void setDirectoryPath(const QString& path) { directoryPath_ = path; }
    std::int16_t Status() const { return status_; }

    // The run is over: Status is 200 or -1, or the installer was verified and handed over.
    bool Acabat() const { return acabat_; }
    // The installer was downloaded, verified and handed over.
    bool Completat() const { return completat_; }

signals:
    void Finalitzat();

private:
    void Timer1_Timer();
    void WinsockEst_Connect();
    void WinsockEst_DataArrival();
    void WinsockEst_Error();
    void WinsockHttp_Connect();
    void WinsockHttp_DataArrival();
    void WinsockHttp_Error(int number, const QString& description);
    void WinsockHttp_Close();
    void EnviarURL(int tip);

    QByteArray peticio(const char* metode, const QString& target, qint64 rang = -1) const;
    void enviar(const QByteArray& request, bool head);
    void tractar(HttpResposta::Lector::Estat estat);
    bool capcaleraRebuda();
    bool cosRebut(const char* data, qsizetype size);
    void respostaCompleta();
    void decidir();
    void acabarDescarrega();
    void res();
    void fallar(const QString& message);
    void activitat() { inactiu_.restart(); }
    bool escriureMarcador();
    void tancarHttp();
    bool reintentar();
    bool refusaMida(qint64 midaLocal);

    Entorn entorn_;
    CSocket WinsockHttp;
    CSocket WinsockEst;
    CTimer Timer1;
    HttpResposta::Lector lector_;

    std::int16_t status_ = 0;
    std::int32_t protocol_ = 0;
    QString remoteHost_;
    std::int32_t remotePort_ = 80;
    std::int32_t localPort_ = 0;
    QString filePath_;
    QString directoryPath_;

    QByteArray versio_;         // body of the version file
    QString nom_;               // installer's file name
    QByteArray lastModified_;
    qint64 tamany_instalable_internet = 0; // installer size on the server
    qint64 m_lDownloadedBytes = 0;         // installer bytes in the local file
    bool rangDemanat_ = false;
    QFile fitxer_;
    QByteArray peticioPendent_; // request waiting for a new connection
    QByteArray darreraPeticio_; // the request last sent
    bool reintentat_ = false;   // it was already sent again once
    QString errorPendent_;      // set by a reader callback, acted on after it returns
    bool descarregaCompleta_ = false;
    bool ocupat_ = false;
    bool acabat_ = false;
    bool completat_ = false;
    QElapsedTimer inactiu_;
    QDeadlineTimer termini_{QDeadlineTimer::Forever}; // the reply in course must be whole by then
    qint64 midaTermini_ = 0;                          // bytes the deadline was made for
    QString estPath_, estHost_;
};
