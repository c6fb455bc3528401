// The banner served from a loopback server (a page, a page with frames, a 404, a server
// that never answers, oversized replies) on a stand-in wizard window, the measure that the
// banner never delays the window, and the help, e-mail and web links.
#include "wizard/ui/BannerHTML.h"
#include "wizard/ui/Enllacos.h"

#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/MsgBox.h"
#include "common/tests/TestSupport.h"
#include "common/ui/Ajuda.h"
#include "common/ui/ModTolvWizUi.h"
#include "platform/imatges/tests/ImatgesHostils.h"
#include "testsupport/Espera.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using ModTolvWiz::BannerFinestra;
using ModTolvWiz::BannerHTML;

namespace {

class EntornQt : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char nom[] = "wizard_banner_ui_tests";
        static char* argv[] = {nom, nullptr};
        if (!QCoreApplication::instance())
            new QApplication(argc, argv);
    }
};
[[maybe_unused]] auto* const g_entorn = ::testing::AddGlobalTestEnvironment(new EntornQt);

using kovel::test::EsperaFins;
using kovel::test::DeixaCorrer;

// One reply of the loopback server.
struct Ruta {
    int estat = 200;
    QByteArray tipus = "text/html; charset=utf-8";
    QByteArray cos;
    int retardMs = 0;
    bool mai = false;               // keeps the connection open and answers nothing
    bool senseLongitud = false;     // no Content-Length: the body ends when the connection does
    QByteArray capcaleres = {};     // more header lines, each ending with CR LF
};

// An HTTP/1.1 server on loopback that answers each path from its table (404 otherwise) and
// records every request target. It runs on the test's own event loop.
class Servidor : public QObject {
public:
    Servidor()
    {
        srv_.listen(QHostAddress::LocalHost);
        connect(&srv_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = srv_.nextPendingConnection())
                connect(s, &QIODevice::readyRead, s, [this, s] { llegir(s); });
        });
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(srv_.serverPort()); }
    QHash<QByteArray, Ruta> rutes;
    QList<QByteArray> peticions;

private:
    void llegir(QTcpSocket* s)
    {
        QByteArray& b = buffers_[s];
        b += s->readAll();
        const qsizetype fi = b.indexOf("\r\n\r\n");
        if (fi < 0)
            return;
        const QList<QByteArray> linia = b.left(b.indexOf("\r\n")).split(' ');
        b.remove(0, fi + 4);
        const QByteArray target = linia.value(1);
        peticions << target;
        const QByteArray cami = target.left(target.indexOf('?') < 0 ? target.size() : target.indexOf('?'));
        const Ruta r = rutes.value(cami, Ruta{404, "text/html", "<html><body>Not found</body></html>"});
        if (r.mai)
            return;
        QTimer::singleShot(r.retardMs, s, [s, r] {
            QByteArray resp = "HTTP/1.1 " + QByteArray::number(r.estat) + " X\r\nContent-Type: " + r.tipus + "\r\n";
            if (!r.senseLongitud)
                resp += "Content-Length: " + QByteArray::number(r.cos.size()) + "\r\n";
            resp += r.capcaleres + "Connection: close\r\n\r\n" + r.cos;
            s->write(resp);
            s->disconnectFromHost();
        });
    }
    QTcpServer srv_;
    QHash<QTcpSocket*, QByteArray> buffers_;
};

QByteArray png(const QColor& color)
{
    QImage img(120, 40, QImage::Format_RGB32);
    img.fill(color);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

// A stand-in of the wizard window: a fixed size and its bottom strip.
struct Finestra {
    QWidget w;
    QWidget* panelBaix;
    Finestra()
    {
        w.setObjectName("FrmTolvWiz");
        w.setFixedSize(640, 400);
        panelBaix = new QWidget(&w);
        panelBaix->setObjectName("PanelBaix");
        panelBaix->setGeometry(0, 340, 640, 60);
        panelBaix->setStyleSheet("background: #d8e4f0");
    }
};

// A server on loopback, on a thread of its own, that answers every connection with a status
// line and then one header line without end: as fast as it can, or a byte every 20 ms. It
// notes when the client closed the connection.
class ServidorCapcaleraInacabable {
public:
    explicit ServidorCapcaleraInacabable(bool aPoc) : aPoc_(aPoc)
    {
        escolta_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(escolta_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(escolta_, 4);
        socklen_t l = sizeof a;
        ::getsockname(escolta_, reinterpret_cast<sockaddr*>(&a), &l);
        port_ = ntohs(a.sin_port);
        rellotge_.start();
        fil_ = std::thread([this] { serveix(); });
    }
    ~ServidorCapcaleraInacabable()
    {
        atura_ = true;
        ::shutdown(escolta_, SHUT_RDWR);
        fil_.join();
        ::close(escolta_);
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }
    std::atomic<qint64> tancadaMs{-1}; // when the client went, from the server's start
    std::atomic<qint64> enviats{0};

private:
    void serveix()
    {
        pollfd p{escolta_, POLLIN, 0};
        while (!atura_ && ::poll(&p, 1, 50) >= 0) {
            if (!(p.revents & POLLIN))
                continue;
            const int c = ::accept4(escolta_, nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0)
                continue;
            const QByteArray inici = "HTTP/1.1 200 OK\r\nX: ";
            bool ok = ::send(c, inici.constData(), size_t(inici.size()), MSG_NOSIGNAL) > 0;
            const QByteArray as(aPoc_ ? 1 : 65536, 'a');
            while (ok && !atura_) {
                ok = ::send(c, as.constData(), size_t(as.size()), MSG_NOSIGNAL) > 0;
                if (ok)
                    enviats += as.size();
                if (aPoc_)
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            if (!ok)
                tancadaMs = rellotge_.elapsed();
            ::close(c);
        }
    }
    bool aPoc_;
    int escolta_ = -1;
    quint16 port_ = 0;
    QElapsedTimer rellotge_;
    std::atomic<bool> atura_{false};
    std::thread fil_;
};

class Banner : public ::testing::Test {
protected:
    void SetUp() override
    {
        upd_ = perfil_.dir.path() + "/upd/";
        QDir().mkpath(upd_);
        ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clau("Banner"), "altura", 90);
        ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clau("AutoUpdate"), "estadistiques_LID", 70000);
        ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau("AutoUpdate"), "PATH_AutoUpdater", upd_);
        kovel::test::writeBytes(upd_ + "autoUpdate.log", "Sun, 01 Nov 2026 10:00:00 GMT\r\nVersio: 6.4.1 beta\r\n");
        adreca("/banner.asp");
    }
    static QString clau(const char* k) { return ModReg::ClauProducte + QLatin1String(k); }
    void adreca(const QString& cami)
    {
        ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau("Banner"), "url", cami.isEmpty() ? QString() : servidor_.base() + cami);
    }
    // Carga_Banner on the window, counting what the control and its window report. Its limits
    // are out of a loaded machine's reach unless a test sets the one it is about.
    BannerFinestra* carregar(int tempsMaxim = kovel::test::EsperaMaximaMs)
    {
        auto* b = new BannerHTML(&f_.w);
        b->setTempsMaxim(tempsMaxim);
        b->setTempsMaquetacio(kovel::test::EsperaMaximaMs);
        QObject::connect(b, &BannerHTML::DocumentComplete, [this] { ++complets_; });
        QObject::connect(b, &BannerHTML::NavigateError, [this](const QUrl&, int estat) {
            ++errors_;
            estatError_ = estat;
        });
        BannerFinestra* c = ModTolvWiz::Carga_Banner(&f_.w, "Excel");
        QObject::connect(c, &BannerFinestra::FinestraCreixida, [this] { ++creixements_; });
        return c;
    }
    // The window as it was: no growth, no banner shown.
    void sensecanvis(BannerFinestra* c)
    {
        EXPECT_EQ(f_.w.height(), 400);
        EXPECT_FALSE(c->banner()->isVisible());
        EXPECT_EQ(creixements_, 0);
        EXPECT_EQ(complets_, 0);
        EXPECT_EQ(c->estat().fase(), ModTolvWiz::EstatBanner::Fase::Fallat);
    }

    kovel::test::PrivateProfile perfil_;
    QString upd_;
    Servidor servidor_;
    Finestra f_;
    int complets_ = 0, errors_ = 0, creixements_ = 0, estatError_ = -1;
};

} // namespace

TEST_F(Banner, APageLoadsAndTheWindowGrowsOnce)
{
    servidor_.rutes["/banner.asp"].cos =
        "<html><head><script>document.write('SCRIPTTEXT')</script></head>"
        "<body bgcolor='#ffffff'><table><tr><td><img src='img/logo.png'></td>"
        "<td><b>KOVEL</b> labels &mdash; new sheets this month <a href='/offer'>See the offer</a></td></tr></table>"
        "<img src='" + servidor_.base().replace("127.0.0.1", "localhost").toUtf8() + "/other.png'></body></html>";
    servidor_.rutes["/img/logo.png"] = Ruta{200, "image/png", png(QColor(200, 30, 40))};
    f_.w.show();
    BannerFinestra* c = carregar();

    // Placed below the visible area, out of sight, until the page has loaded.
    EXPECT_EQ(c->AlturaBanner(), 1350);
    EXPECT_EQ(c->banner()->geometry(), QRect(0, 400, 640, 90));
    EXPECT_FALSE(c->banner()->isVisible());
    EXPECT_EQ(f_.w.height(), 400);

    ASSERT_TRUE(EsperaFins([&] { return creixements_ > 0; }));
    EXPECT_EQ(servidor_.peticions.value(0), "/banner.asp?LID=70000&versio=6.4.1%20beta&altura=90&aplicacio_office=Excel");
    EXPECT_TRUE(servidor_.peticions.contains("/img/logo.png"));
    EXPECT_FALSE(servidor_.peticions.contains("/other.png")); // another server's, though the same machine
    EXPECT_EQ(f_.w.height(), 490);
    EXPECT_TRUE(c->banner()->isVisible());
    EXPECT_EQ(c->banner()->geometry(), QRect(0, 400, 640, 90));
    EXPECT_TRUE(c->banner()->toPlainText().contains("new sheets this month"));
    EXPECT_FALSE(c->banner()->toPlainText().contains("SCRIPTTEXT"));
    EXPECT_EQ(c->banner()->loadResource(QTextDocument::ImageResource, QUrl("img/logo.png")).toByteArray(),
              servidor_.rutes["/img/logo.png"].cos);
    // Nothing local is read for the page.
    EXPECT_FALSE(c->banner()->loadResource(QTextDocument::ImageResource, QUrl::fromLocalFile("/etc/hostname")).isValid());
    EXPECT_TRUE(c->estat().BannerCargado());
    f_.w.grab().save(QString(KOVEL_BINARY_DIR) + "/banner-window.png");

    // A second navigation of the control does not grow the window again.
    c->banner()->Navigate(servidor_.base() + "/banner.asp");
    ASSERT_TRUE(EsperaFins([&] { return complets_ >= 2; }));
    EXPECT_EQ(creixements_, 1);
    EXPECT_EQ(f_.w.height(), 490);

    // Its links go to the desktop's browser, resolved against the page.
    QStringList oberts;
    ModTolvWiz::setObridorShell([&](const QString& t) {
        oberts << t;
        return true;
    });
    emit c->banner()->anchorClicked(QUrl("/offer"));
    emit c->banner()->anchorClicked(QUrl("file:///etc/passwd"));
    emit c->banner()->anchorClicked(QUrl("mailto:labels@kovel.example?subject=Offer&attach=/etc/passwd&body=x"));
    emit c->banner()->anchorClicked(QUrl("mailto:--attach=/etc/passwd@kovel.example"));
    ModTolvWiz::setObridorShell({});
    EXPECT_EQ(oberts, (QStringList{servidor_.base() + "/offer", "mailto:labels@kovel.example?subject=Offer"}));
}

TEST_F(Banner, APageWithFramesCompletesSeveralTimesAndGrowsOnce)
{
    servidor_.rutes["/banner.asp"].cos =
        "<html><frameset rows='50%,50%'><frame src='top.htm'><frame src=\"/frames/bottom.htm\"></frameset></html>";
    servidor_.rutes["/top.htm"].cos = "<html><body><p>Upper frame</p></body></html>";
    servidor_.rutes["/frames/bottom.htm"].cos = "<html><body><p>Lower frame</p><img src='pic.png'></body></html>";
    servidor_.rutes["/frames/pic.png"] = Ruta{200, "image/png", png(Qt::blue)};
    BannerFinestra* c = carregar();
    ASSERT_TRUE(EsperaFins([&] { return complets_ >= 3; }));
    DeixaCorrer(100);
    EXPECT_EQ(complets_, 3);
    EXPECT_EQ(creixements_, 1);
    EXPECT_EQ(f_.w.height(), 490);
    const QString text = c->banner()->toPlainText();
    EXPECT_TRUE(text.contains("Upper frame") && text.contains("Lower frame")) << qPrintable(text);
    // The lower frame's picture, named relative to its frame, shows in the banner.
    EXPECT_TRUE(servidor_.peticions.contains("/frames/pic.png"));
    EXPECT_EQ(c->banner()->loadResource(QTextDocument::ImageResource, QUrl(servidor_.base() + "/frames/pic.png")).toByteArray(),
              servidor_.rutes["/frames/pic.png"].cos);
    EXPECT_TRUE(c->banner()->toHtml().contains(servidor_.base() + "/frames/pic.png"));
}

// A picture whose comments inflate to 1.4 GB shows without them; one of twenty thousand
// scans is left out before it is decoded, and the page shows all the same.
TEST_F(Banner, HostilePicturesAreBoundedAndThePageShows)
{
    using namespace kovel::imatges::proves;
    QImage vermell(120, 40, QImage::Format_RGB32);
    vermell.fill(QColor(200, 30, 40));
    QImage gris(64, 64, QImage::Format_Grayscale8);
    gris.fill(128);
    servidor_.rutes["/banner.asp"].cos = "<html><body><p>Offer</p><img src='comments.png'><img src='scans.jpg'></body></html>";
    servidor_.rutes["/comments.png"] = Ruta{200, "image/png", PngAmbComentaris(vermell, 200, 7 << 20)};
    servidor_.rutes["/scans.jpg"] = Ruta{200, "image/jpeg", JpegAmbEscanejos(gris, 20000)};
    ASSERT_LE(servidor_.rutes["/comments.png"].cos.size() + servidor_.rutes["/scans.jpg"].cos.size(), BannerHTML::MidaMaxima - 4096);
    BannerFinestra* c = carregar();
    ASSERT_TRUE(EsperaFins([&] { return creixements_ > 0; }));
    EXPECT_TRUE(c->banner()->toPlainText().contains("Offer"));
    QTextDocument* doc = c->banner()->document();
    const QImage comentaris = doc->resource(QTextDocument::ImageResource, QUrl("comments.png")).value<QImage>();
    EXPECT_EQ(comentaris.convertToFormat(QImage::Format_RGB32), vermell);
    // Left out: the page's empty picture stands in its place.
    EXPECT_EQ(doc->resource(QTextDocument::ImageResource, QUrl("scans.jpg")).value<QImage>().size(), QSize(1, 1));
}

TEST_F(Banner, ANotFoundPageLeavesTheWindowAsItWas)
{
    adreca("/missing.asp");
    BannerFinestra* c = carregar();
    ASSERT_TRUE(EsperaFins([&] { return errors_ > 0; }));
    DeixaCorrer(100);
    EXPECT_EQ(estatError_, 404);
    sensecanvis(c);
}

TEST_F(Banner, AServerThatNeverAnswersTimesOut)
{
    EXPECT_EQ(BannerHTML::TempsMaximMs, 10000);
    servidor_.rutes["/banner.asp"].mai = true;
    BannerFinestra* c = carregar(300);
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(EsperaFins([&] { return errors_ > 0; }));
    EXPECT_GE(t.elapsed(), 250);
    DeixaCorrer(100);
    sensecanvis(c);
}

// Headers without end, fast or a byte at a time: the fetch ends by the deadline, the
// connection is closed and the program does nothing more.
TEST_F(Banner, AHeaderWithoutEndEndsByTheDeadlineAndClosesTheConnection)
{
    constexpr int Termini = 1500;
    for (const bool aPoc : {false, true}) {
        SCOPED_TRACE(aPoc ? "a byte at a time" : "as fast as it goes");
        ServidorCapcaleraInacabable servidor(aPoc);
        ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau("Banner"), "url", servidor.base() + "/banner.asp");
        Finestra f;
        errors_ = 0;
        auto* b = new BannerHTML(&f.w);
        b->setTempsMaxim(Termini);
        QObject::connect(b, &BannerHTML::NavigateError, [this] { ++errors_; });
        BannerFinestra* c = ModTolvWiz::Carga_Banner(&f.w, "Word");
        ASSERT_TRUE(EsperaFins([&] { return errors_ > 0 && servidor.tancadaMs >= 0; }));
        EXPECT_EQ(c->estat().fase(), ModTolvWiz::EstatBanner::Fase::Fallat);
        // A byte every 20 ms would take minutes to fill the header's limit: only the deadline
        // ends that one.
        if (aPoc) {
            EXPECT_EQ(b->MotiuError(), QStringLiteral("no answer in time"));
        }
        // Nothing goes on behind: a second of the event loop takes next to no processor.
        const qint64 abans = kovel::test::MsProcessadorProces();
        QEventLoop bucle;
        QTimer::singleShot(1000, &bucle, &QEventLoop::quit);
        bucle.exec();
        EXPECT_LT(kovel::test::MsProcessadorProces() - abans, 200);
        EXPECT_LT(servidor.enviats.load(), 64 << 20);
    }
}

// A page may move within its own server and port, and nowhere else.
TEST_F(Banner, RedirectionsStayOnTheBannersServerAndPort)
{
    Servidor altre;
    altre.rutes["/banner.asp"].cos = "<html><body><p>Elsewhere</p></body></html>";
    servidor_.rutes["/banner.asp"] = Ruta{302, "text/html", "", 0, false, false,
                                          "Location: " + altre.base().toLatin1() + "/banner.asp\r\n"};
    BannerFinestra* c = carregar();
    ASSERT_TRUE(EsperaFins([&] { return errors_ > 0; }));
    DeixaCorrer(100);
    sensecanvis(c);
    EXPECT_TRUE(altre.peticions.isEmpty());

    Finestra f;
    servidor_.rutes["/banner.asp"] = Ruta{301, "text/html", "", 0, false, false, "Location: /moved.asp?x=1\r\n"};
    servidor_.rutes["/moved.asp"].cos = "<html><body><p>Moved here</p></body></html>";
    auto* b = new BannerHTML(&f.w);
    b->setTempsMaquetacio(kovel::test::EsperaMaximaMs);
    int complets = 0;
    QObject::connect(b, &BannerHTML::DocumentComplete, [&] { ++complets; });
    ModTolvWiz::Carga_Banner(&f.w, "Word");
    ASSERT_TRUE(EsperaFins([&] { return complets > 0; }));
    EXPECT_TRUE(b->toPlainText().contains("Moved here"));
    EXPECT_EQ(b->AdrecaPagina().path(), "/moved.asp");
}

TEST_F(Banner, RepliesOverTwoMegabytesAreRefused)
{
    const QByteArray gran = "<html><body>" + QByteArray(BannerHTML::MidaMaxima, 'x') + "</body></html>";
    for (const bool senseLongitud : {false, true}) {
        SCOPED_TRACE(senseLongitud ? "length unknown" : "length announced");
        Finestra f;
        servidor_.rutes["/banner.asp"] = Ruta{200, "text/html", gran, 0, false, senseLongitud};
        errors_ = 0;
        auto* b = new BannerHTML(&f.w);
        QObject::connect(b, &BannerHTML::NavigateError, [this] { ++errors_; });
        int complets = 0;
        QObject::connect(b, &BannerHTML::DocumentComplete, [&] { ++complets; });
        BannerFinestra* c = ModTolvWiz::Carga_Banner(&f.w, "Word");
        ASSERT_TRUE(EsperaFins([&] { return errors_ > 0; }));
        DeixaCorrer(100);
        EXPECT_EQ(complets, 0);
        EXPECT_EQ(f.w.height(), 400);
        EXPECT_EQ(c->estat().fase(), ModTolvWiz::EstatBanner::Fase::Fallat);
        EXPECT_TRUE(b->toPlainText().isEmpty());
    }
}

// A page over its budget, or one that takes too long to lay out, is never shown: the banner
// keeps the page it had.
TEST_F(Banner, APageThatDoesNotFitLeavesTheBannerAsItWas)
{
    servidor_.rutes["/banner.asp"].cos = "<html><body><p>First banner</p></body></html>";
    BannerFinestra* c = carregar();
    ASSERT_TRUE(EsperaFins([&] { return creixements_ > 0; }));
    BannerHTML* b = c->banner();

    const QByteArray cellesLentes = "<table><tr>" + QByteArray("<td>cell").repeated(1400) + "</tr></table>";
    const std::vector<std::pair<QByteArray, int>> pagines = {
        {"<div>" + QByteArray("<div>").repeated(40) + "deep", BannerHTML::TempsMaquetacioMs},
        {cellesLentes, 1},   // inside the budget of elements, over a layout time of 1 ms
    };
    for (const auto& [pagina, temps] : pagines) {
        SCOPED_TRACE(pagina.left(20).constData());
        servidor_.rutes["/next.asp"].cos = pagina;
        b->setTempsMaquetacio(temps);
        errors_ = 0;
        b->Navigate(servidor_.base() + "/next.asp");
        ASSERT_TRUE(EsperaFins([&] { return errors_ > 0; }));
        EXPECT_FALSE(b->MotiuError().isEmpty());
        EXPECT_EQ(b->toPlainText(), "First banner");
        EXPECT_FALSE(b->isHidden());
    }
    EXPECT_TRUE(b->MotiuError().startsWith("laid out in")) << qPrintable(b->MotiuError());
    EXPECT_EQ(complets_, 1);
    EXPECT_EQ(f_.w.height(), 490);
}

TEST_F(Banner, NoAddressFailsWithoutTheNetwork)
{
    ModReg::EsborrarValor(ModReg::HKEY_LOCAL_MACHINE, clau("Banner"), "url");
    ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clau("Banner"), "altura", 0);
    BannerFinestra* c = carregar();
    EXPECT_EQ(errors_, 0); // reported from the event loop, never from inside Carga_Banner
    ASSERT_TRUE(EsperaFins([&] { return errors_ > 0; }));
    EXPECT_TRUE(servidor_.peticions.isEmpty());
    sensecanvis(c);
}

// The home panel shows with the banner server taking 5 s as it does with no banner at all:
// Carga_Banner runs no event loop of its own, so it cannot wait for the reply (the server
// answers from this thread's loop), and the window is shown, at its own height, while the
// banner is still on its way. The banner comes in when the server answers.
TEST_F(Banner, TheBannerNeverDelaysTheWindow)
{
    servidor_.rutes["/banner.asp"] = Ruta{200, "text/html", "<html><body>late</body></html>", 5000};
    BannerFinestra* c = nullptr;
    const auto mostrar = [&](Finestra& f, bool ambBanner) {
        QElapsedTimer t;
        t.start();
        bool bucleDins = false;
        QTimer::singleShot(0, [&bucleDins] { bucleDins = true; });
        if (ambBanner) {
            auto* b = new BannerHTML(&f.w);
            b->setTempsMaxim(kovel::test::EsperaMaximaMs);
            b->setTempsMaquetacio(kovel::test::EsperaMaximaMs);
            c = ModTolvWiz::Carga_Banner(&f.w, "Word");
            EXPECT_FALSE(bucleDins) << "Carga_Banner ran the event loop";
            QObject::connect(c, &BannerFinestra::FinestraCreixida, [this] { ++creixements_; });
        }
        const qint64 carrega = t.nsecsElapsed() / 1000;
        f.w.show();
        f.w.repaint();
        QCoreApplication::processEvents();
        EXPECT_TRUE(f.w.isVisible());
        EXPECT_EQ(f.w.height(), 400);
        std::printf("window shown %s: Carga_Banner %lld us, shown %lld us\n", ambBanner ? "with the banner server answering in 5 s" : "with no banner",
                    static_cast<long long>(carrega), static_cast<long long>(t.nsecsElapsed() / 1000));
    };
    Finestra escalfar, sense, amb;
    mostrar(escalfar, false); // the first painting loads fonts
    mostrar(sense, false);
    QElapsedTimer t;
    t.start();
    mostrar(amb, true);
    EXPECT_EQ(creixements_, 0);
    EXPECT_EQ(c->estat().fase(), ModTolvWiz::EstatBanner::Fase::Navegant);

    ASSERT_TRUE(EsperaFins([&] { return creixements_ > 0; }));
    std::printf("banner shown after %lld ms\n", static_cast<long long>(t.elapsed()));
    EXPECT_GE(t.elapsed(), 4500); // the server's timer is coarse
    EXPECT_EQ(amb.w.height(), 490);
    EXPECT_EQ(servidor_.peticions.size(), 1);
}

TEST(Enllacos, HelpEmailAndWebOpenWithTheDesktop)
{
    QStringList oberts;
    ModTolvWiz::setObridorShell([&](const QString& t) {
        oberts << t;
        return true;
    });
    QStringList missatges;
    mod_rvtMsgBox::setAnswerer([&](const QString& p, std::int16_t s, const QString& t) {
        missatges << QString::number(s) + "|" + t + "|" + p;
        return std::int16_t(1);
    });

    // The pages built into the program folder, one per host.
    for (const char* host : {"Word", "Excel", "Access"}) {
        const QString pagina = ModTolvWiz::PaginaAjuda(host);
        EXPECT_TRUE(QFileInfo(pagina).isFile()) << qPrintable(pagina);
        EXPECT_TRUE(pagina.endsWith(QString("/Help/Help_%1.htm").arg(QString(host).toLower())));
    }
    EXPECT_EQ(ModTolvWiz::PaginaAjuda("excel"), ModTolvWiz::PaginaAjuda("Excel"));
    EXPECT_EQ(ModTolvWiz::PaginaAjuda(""), ModTolvWiz::PaginaAjuda("Word"));

    QWidget w;
    auto* ayuda = new QPushButton(&w);
    ayuda->setObjectName("cmd_ayuda");
    auto* lblAyuda = new QLabel("Help", &w);
    lblAyuda->setObjectName("lbl_ayuda");
    auto* email = new QPushButton(&w);
    email->setObjectName("cmd_email");
    email->setProperty("tag", "mailto:labels@kovel.example?attach=/etc/passwd");
    auto* lblEmail = new QLabel("E-mail", &w);
    lblEmail->setObjectName("lbl_email");
    auto* web = new QLabel(&w);
    web->setObjectName("img_web");
    web->setProperty("tag", "www.kovel.example");
    web->resize(40, 20);
    lblAyuda->resize(40, 20);
    lblEmail->resize(40, 20);
    ModTolvWiz::ConnectarEnllacos(&w);
    const auto clic = [](QWidget* c) {
        QMouseEvent e(QEvent::MouseButtonRelease, QPointF(5, 5), c->mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(c, &e);
    };

    kovel::EstablirHost(kovel::HostOffice::Excel);
    ayuda->click();
    clic(lblAyuda);
    ayuda->click();
    email->click();
    clic(lblEmail);
    clic(web);
    EXPECT_EQ(oberts, (QStringList{ModTolvWiz::PaginaAjuda("Excel"), ModTolvWiz::PaginaAjuda("Excel"),
                                   ModTolvWiz::PaginaAjuda("Excel"), "mailto:labels@kovel.example",
                                   "mailto:labels@kovel.example", "www.kovel.example"}));
    EXPECT_TRUE(missatges.isEmpty());

    // An empty link opens nothing; a missing help page says so.
    oberts.clear();
    email->setProperty("tag", "");
    email->click();
    {
        kovel::test::PrivateProfile perfil;
        QDir().mkpath(perfil.programDir());
        ModTolvWiz::MostrarAjuda();
    }
    EXPECT_TRUE(oberts.isEmpty());
    EXPECT_EQ(missatges, QStringList{"64|Help not installed|Help is not installed on your hard disk. To solve that, you can "
                                     "reinstall this application"});
    kovel::EstablirHost(kovel::HostOffice::Cap);
    ModTolvWiz::setObridorShell({});
    mod_rvtMsgBox::resetAnswerer();
}
