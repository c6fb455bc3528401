#pragma once
// The banner's browser control and its place on the wizard window.
//
// BannerHTML loads one address over HTTP(S) without ever blocking the window, shows the
// page in a QTextBrowser and reports DocumentComplete (each frame, then the page) or
// NavigateError. The page is untrusted: no scripts run; only frames and pictures of the
// page's own server are fetched, first, and nothing else the page names is read, local files
// least of all; the page must fit a budget of elements, nesting and text (PaginaBanner.h)
// and is parsed and laid out on a worker thread within TempsMaquetacioMs of that thread's
// processor time (a busy machine does not refuse a good page) before it is shown. A page that does not arrive within 10 s, a reply over 2 MB (counted as it streams),
// headers over 16 KB, a redirection to another server or port, or a page over its budget is
// a failure, and the banner stays as it was. Every byte is read on the window's thread, a
// bounded piece at a time, so the deadline closes every connection for sure.
//
// BannerFinestra is what the wizard window does with it: Carga_Banner places the control
// just below the window's visible area and navigates; the first DocumentComplete grows the
// window by the banner's height and shows it; a NavigateError leaves the window as it was.
#include "wizard/BannerWeb.h"
#include "wizard/PaginaBanner.h"

#include <QHash>
#include <QObject>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <vector>

namespace ModTolvWiz {

class PeticioBanner;

class BannerHTML : public QTextBrowser {
    Q_OBJECT
public:
    static constexpr int TempsMaximMs = 10000;
    static constexpr qint64 MidaMaxima = 2 * 1024 * 1024; // the whole banner: page, frames, pictures
    static constexpr int MaxRecursos = 16;                 // frames and pictures of one page
    static constexpr int TempsMaquetacioMs = 200;          // parsing and laying out the page
    static constexpr int MidaMaximaImatge = 2048;          // pixels a side of a picture
    static constexpr qint64 PixelsMaxims = 2 << 20;        // pixels of all the pictures, decoded
    static constexpr qsizetype MidaMaximaCapcalera = 16 * 1024; // the header of one reply

    explicit BannerHTML(QWidget* parent = nullptr);
    ~BannerHTML() override;

    // Starts loading (any earlier navigation is dropped) and returns at once.
    void Navigate(const QString& adreca);
    void Stop();
    bool Navegant() const { return fase_ == Fase::Pagina || fase_ == Fase::Recursos || fase_ == Fase::Maquetant; }
    // The address of the page shown, after redirections.
    QUrl AdrecaPagina() const { return base_; }
    void setTempsMaxim(int ms) { tempsMaxim_ = ms; }
    void setTempsMaquetacio(int ms) { tempsMaquetacio_ = ms; }
    // Why the last navigation failed, for the runtime log and for tests.
    const QString& MotiuError() const { return motiuError_; }

signals:
    void DocumentComplete(const QUrl& adreca);
    void NavigateError(const QUrl& adreca, int codiEstat);

public:
    // Only the pictures fetched for the page; nothing local. (The document shown answers
    // its own resource requests the same way and never falls back to reading files.)
    QVariant loadResource(int type, const QUrl& name) override;

private:
    enum class Fase { Quiet, Pagina, Recursos, Maquetant, Fet };
    struct Baixada {
        QUrl url;
        enum class Tipus { Pagina, Marc, Imatge } tipus = Tipus::Imatge;
    };

    void demanar(const QUrl& url, Baixada::Tipus tipus);
    void acabada(PeticioBanner* peticio);
    void recursosDe(const EscaneigHTML& escaneig, const QUrl& base, bool ambMarcs);
    void tempsEsgotat();
    void fallar(const QUrl& url, int codiEstat, const QString& motiu);
    void maquetar();
    void maquetada(QTextDocument* document, quint64 generacio, qint64 ms);
    void obrirEnllac(const QUrl& url);

    QTimer rellotge_;
    int tempsMaxim_ = TempsMaximMs;
    int tempsMaquetacio_ = TempsMaquetacioMs;
    Fase fase_ = Fase::Quiet;
    QUrl pagina_, base_;
    QString html_;
    EscaneigHTML escaneig_;
    QString motiuError_;
    quint64 generacio_ = 0;            // the layout whose result is awaited
    qint64 rebuts_ = 0;
    int demanats_ = 0;
    QHash<PeticioBanner*, Baixada> baixades_;
    std::vector<QUrl> marcs_;          // in the page's order
    QHash<QUrl, QString> cossosMarcs_; // bodies of the frames that arrived
    QHash<QUrl, QByteArray> imatges_;  // pictures that arrived
};

class BannerFinestra : public QObject {
    Q_OBJECT
public:
    // `banner` is the window's control "BannerHTML"; twips per pixel of the screen (15 at 96 dpi).
    BannerFinestra(QWidget* finestra, BannerHTML* banner, double twipsPerPixel = 15.0);

    // ModTolvWiz.Carga_Banner: sizes and places the banner from the settings and starts
    // its navigation to the address with the query of `programaOffice`.
    void Carga_Banner(const QString& programaOffice);

    const EstatBanner& estat() const { return estat_; }
    std::int32_t AlturaBanner() const { return alturaBanner_; } // twips
    int AlturaPixels() const;
    BannerHTML* banner() const { return banner_; }

    // How the window grows (by default: taller by `pixels`, centred on its screen again).
    using Creixer = std::function<void(QWidget* finestra, int pixels)>;
    void setCreixer(Creixer creixer) { creixer_ = std::move(creixer); }

public slots:
    void BannerHTML_DocumentComplete(const QUrl& adreca);
    void BannerHTML_NavigateError(const QUrl& adreca, int codiEstat);

signals:
    // The window grew by `pixels` and the banner shows.
    void FinestraCreixida(int pixels);

private:
    QWidget* finestra_;
    BannerHTML* banner_;
    double twipsPerPixel_;
    EstatBanner estat_;
    std::int32_t alturaBanner_ = 0;
    Creixer creixer_;
};

// The one call of start-up: the window's control "BannerHTML" (made when the window has
// none) and its BannerFinestra (made once, a child of the window named "BannerFinestra"),
// then Carga_Banner. Returns the BannerFinestra.
BannerFinestra* Carga_Banner(QWidget* FrmTolvWiz, const QString& programaOffice);

// Taller by `pixels` (a fixed height stays fixed), then centred on its screen.
void CreixerICentrar(QWidget* finestra, int pixels);

} // namespace ModTolvWiz
