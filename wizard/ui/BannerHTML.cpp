#include "wizard/ui/BannerHTML.h"

#include "common/ModTolvWiz.h"
#include "common/TempsProcessador.h"
#include "common/ui/ModTolvWizUi.h"
#include "platform/imatges/LecturaImatge.h"
#include "updater/HttpResposta.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSslSocket>
#include <QStringDecoder>
#include <QTextDocument>
#include <QThreadPool>

#include <algorithm>

namespace ModTolvWiz {

namespace {

// The page's text: the charset of the reply's header, else what the page says of itself
// (byte-order mark or meta tag), else UTF-8.
QString descodificar(const QByteArray& dades, const QString& tipusContingut)
{
    static const QRegularExpression charset(QStringLiteral("charset\\s*=\\s*\"?([A-Za-z0-9._:-]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (const auto m = charset.match(tipusContingut); m.hasMatch()) {
        QStringDecoder d(m.captured(1).toLatin1().constData());
        if (d.isValid())
            return d.decode(dades);
    }
    QStringDecoder d = QStringDecoder::decoderForHtml(dades);
    return d.isValid() ? QString(d.decode(dades)) : QString::fromUtf8(dades);
}

// A fetched picture, when its header says it is of a banner's size and it fits in what is
// left of the page's budget (a few kilobytes of PNG can claim a gigabyte decoded, or minutes
// of decoding), which it then takes its share of.
QImage llegirImatge(const QByteArray& dades, kovel::imatges::Pressupost& restant)
{
    const kovel::imatges::Examen e = kovel::imatges::Examina(dades, restant);
    if (!e.admesa())
        return {};
    restant.pixels -= qint64(e.mida.width()) * e.mida.height();
    restant.blocs -= e.blocs;
    return kovel::imatges::Decodifica(e);
}

// The document a banner page is parsed into. Every resource it asks for is answered from
// the pictures fetched for the page; anything else gets an empty picture. A document asks its
// own loadResource first (the default one reads file: and relative names from the disk),
// its resource provider only after, and the image handler loads the named file itself when
// the answer is empty: so this document answers every request itself, and never with nothing.
class DocumentBanner : public QTextDocument {
public:
    explicit DocumentBanner(QHash<QUrl, QImage> imatges) : imatges_(std::move(imatges)), buida_(1, 1, QImage::Format_ARGB32)
    {
        buida_.fill(Qt::transparent);
        // The document's own provider comes before any provider set for the whole program.
        setResourceProvider([this](const QUrl& url) { return recurs(url); });
    }

protected:
    QVariant loadResource(int, const QUrl& name) override { return recurs(name); }

private:
    QVariant recurs(const QUrl& url) const
    {
        const QImage img = imatges_.value(baseUrl().resolved(url));
        return img.isNull() ? buida_ : img;
    }
    QHash<QUrl, QImage> imatges_;
    QImage buida_;
};

} // namespace

// One GET of the banner on a connection of its own, read through the bounded reply reader
// on the window's thread, a piece of at most 64 KB at a time: whatever the server sends, a
// stop closes the connection at once. Redirections are followed only on the same server and
// port as the address first asked for.
class PeticioBanner : public QObject {
public:
    static constexpr qint64 Tros = 64 * 1024;
    static constexpr int MaxRedireccions = 5;

    // `admet` is asked before each piece of the body is kept, with its size; false refuses
    // the reply (over the banner's budget). `acabada` is called once, unless aturada first.
    PeticioBanner(const QUrl& url, std::function<bool(qint64)> admet, std::function<void(PeticioBanner*)> acabada,
                  QObject* pare)
        : QObject(pare), url(url), origen_(url), admet_(std::move(admet)), acabada_(std::move(acabada))
    {
        lector_.onHeader = [this] { return capcalera(); };
        lector_.onBody = [this](const char* d, qsizetype n) {
            if (!admet_(n)) {
                refusada = true;
                return false;
            }
            dades.append(d, n);
            return true;
        };
    }
    ~PeticioBanner() override { atura(); }

    void inicia()
    {
        lector_.start(false, {BannerHTML::MidaMaximaCapcalera, BannerHTML::MidaMaxima});
        dades.clear();
        redireccio_.clear();
        const bool xifrat = url.scheme() == u"https";
        if (xifrat && !QSslSocket::supportsSsl()) {
            QTimer::singleShot(0, this, [this] { fi(false, QStringLiteral("no TLS on this system")); });
            return;
        }
        socket_ = xifrat ? new QSslSocket(this) : new QTcpSocket(this);
        socket_->setReadBufferSize(Tros);
        connect(socket_, &QTcpSocket::readyRead, this, &PeticioBanner::llegeix);
        connect(socket_, &QTcpSocket::disconnected, this, [this] {
            llegeix();
            if (socket_)
                resultat(lector_.peerClosed());
        });
        connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
            if (socket_ && e != QAbstractSocket::RemoteHostClosedError)
                fi(false, socket_->errorString());
        });
        const quint16 port = quint16(url.port(xifrat ? 443 : 80));
        if (auto* ssl = qobject_cast<QSslSocket*>(socket_)) {
            connect(ssl, &QSslSocket::encrypted, this, &PeticioBanner::envia);
            ssl->connectToHostEncrypted(url.host(), port);
        } else {
            connect(socket_, &QTcpSocket::connected, this, &PeticioBanner::envia);
            socket_->connectToHost(url.host(), port);
        }
    }

    // Closes the connection; nothing more is reported.
    void atura()
    {
        if (QTcpSocket* s = std::exchange(socket_, nullptr)) {
            s->disconnect(this);
            s->abort();
            s->deleteLater();
        }
    }

    QUrl url; // after redirections
    int codi = 0;
    QString tipus;
    QByteArray dades;
    QString error;
    bool refusada = false;
    bool ok = false;

private:
    void envia()
    {
        const bool perDefecte = url.port() < 0 || url.port() == (url.scheme() == u"https" ? 443 : 80);
        const QByteArray host = url.host(QUrl::FullyEncoded).toLatin1()
            + (perDefecte ? QByteArray() : ':' + QByteArray::number(url.port()));
        QByteArray cami = url.path(QUrl::FullyEncoded).toLatin1();
        if (cami.isEmpty())
            cami = "/";
        if (url.hasQuery())
            cami += '?' + url.query(QUrl::FullyEncoded).toLatin1();
        socket_->write("GET " + cami + " HTTP/1.1\r\nHost: " + host
                       + "\r\nUser-Agent: KovelAssist\r\nAccept-Encoding: identity\r\nConnection: close\r\n\r\n");
    }

    bool capcalera()
    {
        codi = lector_.code;
        const auto lloc = HttpResposta::GetHttpHeaderFieldValue(lector_.header, "Location");
        if (codi >= 300 && codi < 400 && lloc) {
            redireccio_ = url.resolved(QUrl(QString::fromLatin1(*lloc), QUrl::TolerantMode));
            return false;
        }
        // A length announced beyond what is left is refused before its body comes.
        if (lector_.contentLength && *lector_.contentLength > 0 && !admet_(-*lector_.contentLength)) {
            refusada = true;
            return false;
        }
        tipus = QString::fromLatin1(HttpResposta::GetHttpHeaderFieldValue(lector_.header, "Content-Type").value_or(QByteArray()));
        return true;
    }

    void llegeix()
    {
        // One piece each time: the event loop runs between two, and with it the deadline.
        if (!socket_ || socket_->bytesAvailable() <= 0)
            return;
        const QByteArray tros = socket_->read(Tros);
        const HttpResposta::Lector::Estat e = lector_.feed(tros.constData(), tros.size());
        if (e == HttpResposta::Lector::Estat::Capcalera || e == HttpResposta::Lector::Estat::Cos) {
            if (socket_->bytesAvailable() > 0)
                QTimer::singleShot(0, this, &PeticioBanner::llegeix);
            return;
        }
        resultat(e);
    }

    void resultat(HttpResposta::Lector::Estat e)
    {
        using Estat = HttpResposta::Lector::Estat;
        if (e == Estat::Aturat && redireccio_.isValid()) {
            atura();
            if (++redireccions_ > MaxRedireccions)
                return fi(false, QStringLiteral("too many redirections"));
            if (!MateixServidor(redireccio_, origen_))
                return fi(false, QStringLiteral("redirected to another server: ") + redireccio_.toString(QUrl::RemoveQuery));
            url = redireccio_;
            inicia();
            return;
        }
        if (e == Estat::Aturat || refusada)
            return fi(false, QStringLiteral("over %1 bytes").arg(BannerHTML::MidaMaxima));
        if (e == Estat::Error)
            return fi(false, lector_.error);
        if (e != Estat::Complet)
            return fi(false, QStringLiteral("the reply was cut off"));
        if (codi < 200 || codi > 299)
            return fi(false, QStringLiteral("HTTP status %1").arg(codi));
        fi(true, {});
    }

    void fi(bool bona, const QString& motiu)
    {
        atura();
        ok = bona;
        error = motiu;
        if (auto a = std::exchange(acabada_, nullptr))
            a(this);
    }

    QUrl origen_;
    QUrl redireccio_;
    int redireccions_ = 0;
    std::function<bool(qint64)> admet_;
    std::function<void(PeticioBanner*)> acabada_;
    QTcpSocket* socket_ = nullptr;
    HttpResposta::Lector lector_;
};

BannerHTML::BannerHTML(QWidget* parent) : QTextBrowser(parent)
{
    setObjectName(QStringLiteral("BannerHTML"));
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Links leave the banner for the desktop's browser; nothing is navigated inside it.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &BannerHTML::obrirEnllac);
    rellotge_.setSingleShot(true);
    connect(&rellotge_, &QTimer::timeout, this, &BannerHTML::tempsEsgotat);
}

BannerHTML::~BannerHTML()
{
    // No reply may reach a half-destroyed control.
    for (PeticioBanner* p : baixades_.keys())
        delete p;
}

void BannerHTML::Navigate(const QString& adreca)
{
    Stop();
    pagina_ = base_ = QUrl(adreca, QUrl::TolerantMode);
    html_.clear();
    escaneig_ = {};
    motiuError_.clear();
    rebuts_ = 0;
    demanats_ = 0;
    marcs_.clear();
    cossosMarcs_.clear();
    imatges_.clear();
    fase_ = Fase::Pagina;
    if (!EsAdrecaWeb(pagina_)) {
        // Reported from the event loop, as a navigation that fails at once would be.
        const QUrl url = pagina_;
        QTimer::singleShot(0, this, [this, url] {
            if (fase_ == Fase::Pagina && pagina_ == url)
                fallar(url, 0, QStringLiteral("not a web address"));
        });
        return;
    }
    rellotge_.start(tempsMaxim_);
    demanar(pagina_, Baixada::Tipus::Pagina);
}

void BannerHTML::Stop()
{
    rellotge_.stop();
    ++generacio_;   // a layout under way is dropped when it comes back
    const auto peticions = baixades_.keys();
    baixades_.clear();
    for (PeticioBanner* p : peticions) {
        p->atura();
        p->deleteLater();
    }
    if (Navegant())
        fase_ = Fase::Quiet;
}

void BannerHTML::demanar(const QUrl& url, Baixada::Tipus tipus)
{
    // Asked with the size of each piece to keep; a negative size is a length announced.
    const auto admet = [this](qint64 n) {
        if (n < 0)
            return -n <= MidaMaxima - rebuts_;
        rebuts_ += n;
        return rebuts_ <= MidaMaxima;
    };
    auto* p = new PeticioBanner(url, admet, [this](PeticioBanner* p) { acabada(p); }, this);
    baixades_.insert(p, Baixada{url, tipus});
    if (tipus != Baixada::Tipus::Pagina)
        ++demanats_;
    p->inicia();
}

void BannerHTML::acabada(PeticioBanner* r)
{
    r->deleteLater();
    if (!baixades_.contains(r))
        return;
    const Baixada b = baixades_.take(r);
    const bool ok = r->ok;
    const QString tipus = r->tipus;

    if (b.tipus == Baixada::Tipus::Pagina) {
        if (!ok) {
            fallar(b.url, r->codi, r->error);
            return;
        }
        base_ = r->url;
        html_ = descodificar(r->dades, tipus);
        // Counted before anything else reads it: a page over the budget is never parsed.
        escaneig_ = EscanejarHTML(html_);
        if (!escaneig_.dinsPressupost) {
            fallar(base_, 0, escaneig_.motiu);
            return;
        }
        fase_ = Fase::Recursos;
        recursosDe(escaneig_, base_, true);
    } else if (ok && b.tipus == Baixada::Tipus::Marc) {
        // Its pictures are named from the frame; its body goes into the page.
        const QString html = descodificar(r->dades, tipus);
        const EscaneigHTML escaneig = EscanejarHTML(html);
        const QString absolut = AbsolutitzarRecursos(html, escaneig, r->url);
        cossosMarcs_.insert(b.url, CosHTML(absolut, EscanejarHTML(absolut)));
        recursosDe(escaneig, r->url, false);
    } else if (ok) {
        imatges_.insert(b.url, r->dades);
    }
    if (fase_ == Fase::Recursos && baixades_.isEmpty())
        maquetar();
}

void BannerHTML::recursosDe(const EscaneigHTML& escaneig, const QUrl& base, bool ambMarcs)
{
    for (const RecursHTML& recurs : escaneig.recursos) {
        if (recurs.tipus == RecursHTML::Tipus::Marc && !ambMarcs)
            continue;
        const QUrl url = base.resolved(QUrl(recurs.valor));
        // Only what lies on the page's own server.
        if (!MateixServidor(url, base_) || demanats_ >= MaxRecursos)
            continue;
        if (recurs.tipus == RecursHTML::Tipus::Marc) {
            if (std::find(marcs_.begin(), marcs_.end(), url) != marcs_.end())
                continue;
            marcs_.push_back(url);
            demanar(url, Baixada::Tipus::Marc);
            continue;
        }
        const bool demanada = imatges_.contains(url)
            || std::any_of(baixades_.cbegin(), baixades_.cend(), [&](const Baixada& b) { return b.url == url; });
        if (!demanada)
            demanar(url, Baixada::Tipus::Imatge);
    }
}

void BannerHTML::tempsEsgotat()
{
    if (fase_ == Fase::Recursos) {
        // The page is here: it shows with the pictures and frames that came in time.
        Stop();
        fase_ = Fase::Recursos;
        maquetar();
        return;
    }
    if (fase_ == Fase::Pagina || fase_ == Fase::Maquetant)
        fallar(pagina_, 0, fase_ == Fase::Pagina ? QStringLiteral("no answer in time") : QStringLiteral("laid out too slowly"));
}

void BannerHTML::fallar(const QUrl& url, int codiEstat, const QString& motiu)
{
    Stop();
    fase_ = Fase::Fet;
    motiuError_ = motiu;
    Escribe_Log(QStringLiteral("Banner %1 not shown: %2").arg(url.toString(QUrl::RemoveQuery), motiu));
    emit NavigateError(url, codiEstat);
}

void BannerHTML::maquetar()
{
    // The page as shown, counted again with its frames in it.
    QString pagina = ComposarPagina(html_, escaneig_, base_, marcs_, cossosMarcs_);
    if (const EscaneigHTML e = EscanejarHTML(pagina); !e.dinsPressupost) {
        fallar(base_, 0, e.motiu);
        return;
    }
    fase_ = Fase::Maquetant;
    const quint64 generacio = ++generacio_;
    // The worker waits no longer than this; what it sends later is dropped.
    rellotge_.start(std::max(tempsMaquetacio_, TempsMaquetacioMs) * 5);

    // Parsed and laid out at the banner's width on a worker thread: nothing there touches
    // a widget, and the document moves to this thread only once it is done.
    const int ample = std::max(1, width());
    QThreadPool::globalInstance()->start([banner = QPointer<BannerHTML>(this), generacio, pagina = std::move(pagina), base = base_,
                                          ample, lletra = font(), imatges = imatges_] {
        // Decoding is bounded by the pixels allowed; the time measured is the parser's.
        QHash<QUrl, QImage> decodificades;
        kovel::imatges::Pressupost restant;
        restant.costatMaxim = MidaMaximaImatge;
        restant.pixels = PixelsMaxims;
        for (auto it = imatges.cbegin(); it != imatges.cend(); ++it)
            decodificades.insert(it.key(), llegirImatge(it.value(), restant));
        const qint64 inici = kovel::MsProcessadorFil();
        auto* document = new DocumentBanner(std::move(decodificades));
        document->setUndoRedoEnabled(false);
        document->setDefaultFont(lletra);
        document->setBaseUrl(base);
        document->setTextWidth(ample);
        document->setHtml(pagina);
        document->documentLayout()->documentSize();
        const qint64 ms = kovel::MsProcessadorFil() - inici;
        document->moveToThread(QCoreApplication::instance()->thread());
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [banner, document, generacio, ms] {
                if (banner)
                    banner->maquetada(document, generacio, ms);
                else
                    delete document;
            },
            Qt::QueuedConnection);
    });
}

void BannerHTML::maquetada(QTextDocument* document, quint64 generacio, qint64 ms)
{
    if (generacio != generacio_ || fase_ != Fase::Maquetant) {
        delete document;
        return;
    }
    if (ms > tempsMaquetacio_) {
        delete document;
        fallar(base_, 0, QStringLiteral("laid out in %1 ms of processor time").arg(ms));
        return;
    }
    rellotge_.stop();
    fase_ = Fase::Fet;
    // The control deletes the document it made itself; the ones put here are this one's.
    const QPointer<QTextDocument> anterior = this->document();
    document->setParent(this);
    setDocument(document);
    if (anterior && anterior->parent() == this)
        anterior->deleteLater();
    for (const QUrl& m : marcs_)
        if (cossosMarcs_.contains(m))
            emit DocumentComplete(m);
    emit DocumentComplete(base_);
}

QVariant BannerHTML::loadResource(int type, const QUrl& name)
{
    // Only what was fetched for the page: a banner never reads local files.
    if (type == QTextDocument::ImageResource) {
        const QUrl url = base_.resolved(name);
        if (const auto it = imatges_.constFind(url); it != imatges_.constEnd())
            return *it;
    }
    return {};
}

void BannerHTML::obrirEnllac(const QUrl& url)
{
    const QUrl absolut = base_.resolved(url);
    if (EsAdrecaWeb(absolut))
        Abre_Documento(absolut.toString());
    else if (const std::optional<QString> correu = MailtoSegur(absolut))
        Abre_Documento(*correu);
}

// ---- The banner on its window ----

BannerFinestra::BannerFinestra(QWidget* finestra, BannerHTML* banner, double twipsPerPixel)
    : QObject(finestra), finestra_(finestra), banner_(banner), twipsPerPixel_(twipsPerPixel), creixer_(CreixerICentrar)
{
    setObjectName(QStringLiteral("BannerFinestra"));
    connect(banner_, &BannerHTML::DocumentComplete, this, &BannerFinestra::BannerHTML_DocumentComplete);
    connect(banner_, &BannerHTML::NavigateError, this, &BannerFinestra::BannerHTML_NavigateError);
}

int BannerFinestra::AlturaPixels() const
{
    return twipsPerPixel_ > 0 ? qRound(alturaBanner_ / twipsPerPixel_) : 0;
}

void BannerFinestra::Carga_Banner(const QString& programaOffice)
{
    estat_.Iniciar();
    const ConfigBanner config = LlegirConfigBanner();
    alturaBanner_ = AlturaBannerTwips(config.altura, twipsPerPixel_);
    // Just below the visible area, until the page has loaded.
    banner_->hide();
    banner_->setGeometry(0, finestra_->height(), finestra_->width(), AlturaPixels());
    banner_->Navigate(AdrecaBanner(config, programaOffice));
}

void BannerFinestra::BannerHTML_DocumentComplete(const QUrl&)
{
    if (!estat_.DocumentComplete())
        return;
    const int px = AlturaPixels();
    creixer_(finestra_, px);
    banner_->setGeometry(0, finestra_->height() - px, finestra_->width(), px);
    banner_->show();
    if (QWidget* baix = finestra_->findChild<QWidget*>(QStringLiteral("PanelBaix")))
        baix->raise();
    banner_->raise();
    emit FinestraCreixida(px);
}

void BannerFinestra::BannerHTML_NavigateError(const QUrl&, int)
{
    estat_.NavigateError();
}

BannerFinestra* Carga_Banner(QWidget* FrmTolvWiz, const QString& programaOffice)
{
    auto* banner = FrmTolvWiz->findChild<BannerHTML*>(QStringLiteral("BannerHTML"), Qt::FindDirectChildrenOnly);
    if (!banner) {
        banner = new BannerHTML(FrmTolvWiz);
        banner->hide();
    }
    auto* control = FrmTolvWiz->findChild<BannerFinestra*>(QStringLiteral("BannerFinestra"), Qt::FindDirectChildrenOnly);
    if (!control)
        control = new BannerFinestra(FrmTolvWiz, banner);
    control->Carga_Banner(programaOffice);
    return control;
}

void CreixerICentrar(QWidget* finestra, int pixels)
{
    const int alt = finestra->height() + pixels;
    if (finestra->minimumHeight() == finestra->maximumHeight())
        finestra->setFixedHeight(alt);
    else
        finestra->resize(finestra->width(), alt);
    if (!finestra->isWindow())
        return;
    if (const QScreen* s = finestra->screen()) {
        QRect marc = finestra->frameGeometry();
        marc.moveCenter(s->availableGeometry().center());
        finestra->move(marc.topLeft());
    }
}

} // namespace ModTolvWiz
