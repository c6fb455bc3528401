#include "wizard/ui/BannerHTML.h"

#include "common/ui/ModTolvWizUi.h"

#include <QNetworkAccessManager>
#include <algorithm>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextDocument>

namespace ModTolvWiz {

namespace {

bool esWeb(const QUrl& url)
{
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") && !url.host().isEmpty();
}

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

QString valorAtribut(const QRegularExpressionMatch& m, int primer)
{
    for (int i = primer; i <= m.lastCapturedIndex(); ++i)
        if (m.capturedStart(i) >= 0)
            return m.captured(i).replace(QLatin1String("&amp;"), QLatin1String("&")).trimmed();
    return {};
}

const QRegularExpression& expMarc()
{
    static const QRegularExpression e(
        QStringLiteral("<(i?frame)\\b[^>]*?\\bsrc\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);
    return e;
}

const QRegularExpression& expImatge()
{
    static const QRegularExpression e(
        QStringLiteral("<(?:img|body|table|td|th)\\b[^>]*?\\b(?:src|background)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
        QRegularExpression::CaseInsensitiveOption);
    return e;
}

// The picture addresses of a frame's page made absolute, so that they still lead to its
// pictures once its body stands in the top page.
QString absolutitzar(const QString& html, const QUrl& base)
{
    static const QRegularExpression e(QStringLiteral("\\b(src|background)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
                                      QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype desde = 0;
    for (auto it = e.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        out += QStringView(html).mid(desde, m.capturedStart() - desde);
        const QString absolut = base.resolved(QUrl(valorAtribut(m, 2))).toString(QUrl::FullyEncoded);
        out += m.captured(1) + QStringLiteral("=\"") + absolut.toHtmlEscaped() + u'"';
        desde = m.capturedEnd();
    }
    return out + html.mid(desde);
}

// What lies between <body> and </body>, or the whole text when it has no body.
QString cos(const QString& html)
{
    static const QRegularExpression e(QStringLiteral("<body\\b[^>]*>(.*?)(?:</body\\s*>|$)"),
                                      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = e.match(html);
    return m.hasMatch() ? m.captured(1) : html;
}

} // namespace

BannerHTML::BannerHTML(QWidget* parent) : QTextBrowser(parent), xarxa_(new QNetworkAccessManager(this))
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
    // No signal of a reply may reach a half-destroyed control.
    for (QNetworkReply* r : baixades_.keys()) {
        r->disconnect(this);
        r->abort();
        r->deleteLater();
    }
}

void BannerHTML::Navigate(const QString& adreca)
{
    Stop();
    pagina_ = base_ = QUrl(adreca, QUrl::TolerantMode);
    html_.clear();
    rebuts_ = 0;
    demanats_ = 0;
    marcs_.clear();
    htmlMarcs_.clear();
    imatges_.clear();
    fase_ = Fase::Pagina;
    if (!esWeb(pagina_)) {
        // Reported from the event loop, as a navigation that fails at once would be.
        const QUrl url = pagina_;
        QTimer::singleShot(0, this, [this, url] {
            if (fase_ == Fase::Pagina && pagina_ == url)
                fallar(url, 0);
        });
        return;
    }
    rellotge_.start(tempsMaxim_);
    demanar(pagina_, Baixada::Tipus::Pagina);
}

void BannerHTML::Stop()
{
    rellotge_.stop();
    const auto replies = baixades_.keys();
    baixades_.clear();
    for (QNetworkReply* r : replies) {
        r->disconnect(this);
        r->abort();
        r->deleteLater();
    }
    if (Navegant())
        fase_ = Fase::Quiet;
}

void BannerHTML::demanar(const QUrl& url, Baixada::Tipus tipus)
{
    QNetworkRequest req(url);
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    req.setMaximumRedirectsAllowed(5);
    req.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("KovelAssist"));
    QNetworkReply* r = xarxa_->get(req);
    Baixada b;
    b.url = url;
    b.tipus = tipus;
    baixades_.insert(r, b);
    if (tipus != Baixada::Tipus::Pagina)
        ++demanats_;
    connect(r, &QNetworkReply::metaDataChanged, this, [this, r] { capcaleraRebuda(r); });
    connect(r, &QIODevice::readyRead, this, [this, r] { dadesRebudes(r); });
    connect(r, &QNetworkReply::finished, this, [this, r] { acabada(r); });
}

void BannerHTML::capcaleraRebuda(QNetworkReply* r)
{
    auto it = baixades_.find(r);
    if (it == baixades_.end())
        return;
    // A length announced beyond what is left is refused before its body comes.
    const QVariant mida = r->header(QNetworkRequest::ContentLengthHeader);
    if (mida.isValid() && mida.toLongLong() > MidaMaxima - rebuts_) {
        it->refusada = true;
        r->abort();
    }
}

void BannerHTML::dadesRebudes(QNetworkReply* r)
{
    auto it = baixades_.find(r);
    if (it == baixades_.end())
        return;
    const QByteArray tros = r->read(MidaMaxima - rebuts_ + 1);
    rebuts_ += tros.size();
    if (rebuts_ > MidaMaxima || r->bytesAvailable() > 0) {
        it->refusada = true;
        r->abort();
        return;
    }
    it->dades += tros;
}

void BannerHTML::acabada(QNetworkReply* r)
{
    r->deleteLater();
    if (!baixades_.contains(r))
        return;
    if (r->bytesAvailable() > 0)
        dadesRebudes(r);
    const Baixada b = baixades_.take(r);
    const bool ok = r->error() == QNetworkReply::NoError && !b.refusada;
    const QString tipus = r->header(QNetworkRequest::ContentTypeHeader).toString();

    if (b.tipus == Baixada::Tipus::Pagina) {
        if (!ok) {
            fallar(b.url, r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt());
            return;
        }
        base_ = r->url();
        html_ = descodificar(b.dades, tipus);
        fase_ = Fase::Recursos;
        recursosDe(html_, base_, true);
    } else if (ok && b.tipus == Baixada::Tipus::Marc) {
        const QString html = absolutitzar(descodificar(b.dades, tipus), r->url());
        htmlMarcs_.insert(b.url, html);
        recursosDe(html, r->url(), false);
    } else if (ok) {
        imatges_.insert(b.url, b.dades);
    }
    if (fase_ == Fase::Recursos && baixades_.isEmpty())
        mostrar();
}

void BannerHTML::recursosDe(const QString& html, const QUrl& base, bool ambMarcs)
{
    const auto afegir = [&](const QString& valor, Baixada::Tipus tipus) {
        const QUrl url = base.resolved(QUrl(valor));
        if (!esWeb(url) || demanats_ >= MaxRecursos)
            return;
        if (tipus == Baixada::Tipus::Marc) {
            if (std::find(marcs_.begin(), marcs_.end(), url) != marcs_.end())
                return;
            marcs_.push_back(url);
        } else {
            for (const Baixada& b : std::as_const(baixades_))
                if (b.url == url)
                    return;
            if (imatges_.contains(url))
                return;
        }
        demanar(url, tipus);
    };
    if (ambMarcs)
        for (auto it = expMarc().globalMatch(html); it.hasNext();)
            afegir(valorAtribut(it.next(), 2), Baixada::Tipus::Marc);
    for (auto it = expImatge().globalMatch(html); it.hasNext();)
        afegir(valorAtribut(it.next(), 1), Baixada::Tipus::Imatge);
}

void BannerHTML::tempsEsgotat()
{
    if (fase_ == Fase::Pagina) {
        const QUrl url = pagina_;
        Stop();
        fallar(url, 0);
        return;
    }
    if (fase_ == Fase::Recursos) {
        // The page is here: it shows with the pictures and frames that came in time.
        Stop();
        fase_ = Fase::Recursos;
        mostrar();
    }
}

void BannerHTML::fallar(const QUrl& url, int codiEstat)
{
    Stop();
    fase_ = Fase::Fet;
    emit NavigateError(url, codiEstat);
}

void BannerHTML::mostrar()
{
    rellotge_.stop();
    fase_ = Fase::Fet;
    // This control shows no frames: a frameset shows its frames' bodies one after the
    // other, and an inline frame shows its page's body in its place.
    static const QRegularExpression frameset(QStringLiteral("<frameset\\b"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression iframe(QStringLiteral("<iframe\\b[^>]*>.*?</iframe\\s*>|<iframe\\b[^>]*/>"),
                                           QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    QString mostrat = html_;
    if (frameset.match(html_).hasMatch()) {
        mostrat.clear();
        for (const QUrl& m : marcs_)
            mostrat += cos(htmlMarcs_.value(m));
    } else {
        QString resultat;
        qsizetype desde = 0;
        for (auto it = iframe.globalMatch(html_); it.hasNext();) {
            const auto m = it.next();
            resultat += QStringView(html_).mid(desde, m.capturedStart() - desde);
            if (const auto src = expMarc().match(m.captured()); src.hasMatch())
                resultat += cos(htmlMarcs_.value(base_.resolved(QUrl(valorAtribut(src, 2)))));
            desde = m.capturedEnd();
        }
        mostrat = resultat + html_.mid(desde);
    }
    document()->setBaseUrl(base_);
    setHtml(mostrat);
    for (const QUrl& m : marcs_)
        if (htmlMarcs_.contains(m))
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
    if (esWeb(absolut) || absolut.scheme() == u"mailto")
        Abre_Documento(absolut.toString());
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
