// Hostile banner pages served from loopback to the real wizard window: pictures and
// backgrounds naming local files and a FIFO, pages that take a document parser minutes
// (hundreds of thousands of frames, scripts, nested blocks, tables, lists and cells, one
// 2 MB word)
// and a chunked reply that never ends. For each: the home panel shows and answers input
// within 1 s of the window thread's work from start, that thread is never busy 250 ms on
// end, memory stays within 150 MB of the plain wizard's, nothing in the sentinel folder is
// opened, and the banner shows only the harmless pages.
#include "wizard/ui/BannerHTML.h"
#include "wizard/ui/FrmTolvWiz.h"
#include "testsupport/Espera.h"

#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ui/ModTolvWizUi.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

using kovel::wizard::FrmTolvWiz;
using ModTolvWiz::BannerFinestra;
using ModTolvWiz::BannerHTML;

namespace {

int argc_ = 1;
char arg0_[] = "wizard_banner_hostile_tests";
char* argv_[] = {arg0_, nullptr};

// An HTTP/1.1 server on loopback with a thread of its own, so that what it streams never
// waits for the window's thread. "/endless" is a chunked reply that ends only when the
// client goes away; it counts what got out.
class ServidorHostil {
public:
    std::map<QByteArray, QByteArray> pagines;
    std::atomic<qint64> enviatsInacabable{0};
    std::atomic<qint64> msInacabable{-1};   // how long the endless reply lasted

    ServidorHostil()
    {
        escolta_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(escolta_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(escolta_, 16);
        socklen_t l = sizeof a;
        ::getsockname(escolta_, reinterpret_cast<sockaddr*>(&a), &l);
        port_ = ntohs(a.sin_port);
        fil_ = std::thread([this] { acceptar(); });
    }
    ~ServidorHostil()
    {
        atura_ = true;
        fil_.join();
        for (std::thread& t : connexions_)
            t.join();
        ::close(escolta_);
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }

private:
    void acceptar()
    {
        while (!atura_) {
            pollfd p{escolta_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const int s = ::accept(escolta_, nullptr, nullptr);
            if (s >= 0)
                connexions_.emplace_back([this, s] { atendre(s); });
        }
    }
    bool escriure(int s, const QByteArray& b)
    {
        for (qsizetype fet = 0; fet < b.size();) {
            pollfd p{s, POLLOUT, 0};
            if (atura_ || ::poll(&p, 1, 50) < 0)
                return false;
            if (!(p.revents & POLLOUT))
                continue;
            const ssize_t n = ::send(s, b.constData() + fet, size_t(b.size() - fet), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno != EAGAIN)
                return false;
            fet += std::max<ssize_t>(n, 0);
        }
        return true;
    }
    void atendre(int s)
    {
        QByteArray peticio;
        char buf[4096];
        while (!peticio.contains("\r\n\r\n")) {
            pollfd p{s, POLLIN, 0};
            if (atura_ || ::poll(&p, 1, 2000) <= 0)
                break;
            const ssize_t n = ::recv(s, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            peticio.append(buf, n);
        }
        QByteArray cami = peticio.split(' ').value(1);
        cami = cami.left(cami.indexOf('?') < 0 ? cami.size() : cami.indexOf('?'));
        if (cami == "/endless") {
            QElapsedTimer t;
            t.start();
            escriure(s, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: chunked\r\n\r\n");
            const QByteArray tros = "10000\r\n" + QByteArray(0x10000, 'x') + "\r\n";
            while (escriure(s, tros))
                enviatsInacabable += 0x10000;
            msInacabable = t.elapsed();
        } else {
            const auto it = pagines.find(cami);
            const QByteArray cos = it == pagines.end() ? QByteArray("<html><body>Not found</body></html>") : it->second;
            escriure(s, QByteArray(it == pagines.end() ? "HTTP/1.1 404 Not Found" : "HTTP/1.1 200 OK")
                            + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " + QByteArray::number(cos.size())
                            + "\r\nConnection: close\r\n\r\n" + cos);
        }
        ::shutdown(s, SHUT_RDWR);
        ::close(s);
    }
    int escolta_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> atura_{false};
    std::thread fil_;
    std::vector<std::thread> connexions_;
};

qint64 rssBytes()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return f.readAll().split(' ').value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

// The highest resident size seen while it lives, sampled from a thread of its own so that a
// window thread that stalls is still measured.
class PicMemoria {
public:
    PicMemoria()
        : fil_([this] {
              while (!atura_) {
                  pic_ = std::max<qint64>(pic_, rssBytes());
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
          })
    {
    }
    ~PicMemoria() { atura(); }
    qint64 atura()
    {
        if (!atura_.exchange(true))
            fil_.join();
        return pic_;
    }

private:
    std::atomic<bool> atura_{false};
    std::atomic<qint64> pic_{0};
    std::thread fil_;
};

struct Cas {
    const char* nom;
    QByteArray cami;
    QByteArray cos;
    bool esMostra;   // a harmless page, shown once nothing local is read for it
};

QByteArray repetir(const QByteArray& b, int n)
{
    QByteArray r;
    r.reserve(b.size() * n);
    for (int i = 0; i < n; ++i)
        r += b;
    return r;
}

// The window thread's work is counted in its own processor time, which a loaded machine does
// not lengthen, where a page that kept it busy would.
struct Mesura {
    qint64 mostrat = 0;      // processor ms of the window thread from start to the home panel painted
    qint64 resposta = -1;    // ... to the click on Next answered
    qint64 aturadaMax = 0;   // ... longest between two beats of its 5 ms timer
    qint64 memoria = 0;      // peak resident bytes
    qint64 desenlla = -1;    // ms from start to the banner shown or refused
    bool creixcut = false;
    QString motiu;
};

class BannerHostil : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance())
            new QApplication(argc_, argv_);
    }
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        qputenv("KOVEL_USER_REGISTRY", (dir_.path() + QStringLiteral("/user.reg")).toUtf8());
        QString m;
        ASSERT_TRUE(ModTraduccion::CarregarLiterals(m)) << qPrintable(m);
        mod_rvtMsgBox::setAnswerer([](const QString&, std::int16_t style, const QString&) { return mod_rvtMsgBox::BotoPerDefecte(style); });
        ModTolvWiz::setObridorShell([](const QString&) { return true; });
        Word_espec::Inicialitzar();
        ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clau(), "altura", 90);
        sentinella_ = dir_.path() + QStringLiteral("/sentinel");
        ASSERT_TRUE(QDir().mkpath(sentinella_));
        ASSERT_EQ(::mkfifo(QFile::encodeName(sentinella_ + "/pipe").constData(), 0600), 0);
        QFile secret(sentinella_ + QStringLiteral("/secret.png"));
        ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
        secret.write("SENTINEL-SECRET");
        secret.close();
        // Every open in the sentinel folder is reported.
        inotify_ = inotify_init1(IN_NONBLOCK);
        ASSERT_GE(inotify_, 0);
        ASSERT_GE(inotify_add_watch(inotify_, QFile::encodeName(sentinella_).constData(), IN_OPEN | IN_ACCESS), 0);
    }
    void TearDown() override
    {
        ::close(inotify_);
        mod_rvtMsgBox::resetAnswerer();
        ModTolvWiz::setObridorShell({});
    }
    static QString clau() { return ModReg::ClauProducte + QStringLiteral("Banner"); }

    // Whether anything opened a file of the sentinel folder, or is waiting to read its FIFO.
    QString llegitLocal()
    {
        QString llegit;
        alignas(inotify_event) char buf[4096];
        for (ssize_t n; (n = ::read(inotify_, buf, sizeof buf)) > 0;)
            for (char* p = buf; p < buf + n;) {
                const auto* ev = reinterpret_cast<const inotify_event*>(p);
                llegit += QStringLiteral("opened %1; ").arg(ev->len ? QString::fromLocal8Bit(ev->name) : QStringLiteral("folder"));
                p += sizeof(inotify_event) + ev->len;
            }
        // A writer opens without waiting only when a reader is there.
        const int w = ::open(QFile::encodeName(sentinella_ + "/pipe").constData(), O_WRONLY | O_NONBLOCK);
        if (w >= 0) {
            ::close(w);
            llegit += QStringLiteral("a reader waits on the FIFO; ");
        }
        return llegit;
    }

    // Start-up as the program does it: the window loads and shows, then the banner starts.
    // The window thread is watched until the banner is settled and at least `mirarMs` passed.
    Mesura arrencar(const QByteArray& cami, int mirarMs = 600)
    {
        ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), "url", cami.isEmpty() ? QString() : servidor_.base() + cami);
        Mesura m;
        PicMemoria pic;
        QElapsedTimer t;
        t.start();
        const qint64 inici = kovel::test::MsProcessadorFil();
        const auto treball = [inici] { return kovel::test::MsProcessadorFil() - inici; };
        FrmTolvWiz w;
        const kovel::NumerosPanel& np = w.estat().numerosPanel();
        w.estat().setCarpetaDades(dir_.path() + QStringLiteral("/data/"));
        EXPECT_TRUE(w.Cargar());
        BannerFinestra* banner = nullptr;
        if (!cami.isEmpty()) {
            // Its clocks out of a loaded machine's reach: a page is refused for what it is.
            auto* control = new BannerHTML(&w);
            control->setTempsMaxim(kovel::test::EsperaMaximaMs);
            control->setTempsMaquetacio(kovel::test::EsperaMaximaMs);
            banner = ModTolvWiz::Carga_Banner(&w, QStringLiteral("Word"));
        }
        w.repaint();
        QCoreApplication::processEvents();
        EXPECT_TRUE(w.Panel(np.PanelInicio)->isVisible());
        m.mostrat = treball();
        const int alturaInicial = w.height();

        // The answer to Next, posted as a user's click, and the 5 ms heartbeat of the thread.
        QWidget* seguent = w.findChild<QWidget*>(QStringLiteral("CmdSiguiente"));
        EXPECT_NE(seguent, nullptr);
        const QPointF centre = QRectF(seguent->rect()).center();
        QCoreApplication::postEvent(seguent, new QMouseEvent(QEvent::MouseButtonPress, centre, seguent->mapToGlobal(centre),
                                                             Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(seguent, new QMouseEvent(QEvent::MouseButtonRelease, centre, seguent->mapToGlobal(centre),
                                                             Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        qint64 darrer = treball();
        QTimer batec;
        QObject::connect(&batec, &QTimer::timeout, [&] {
            const qint64 ara = treball();
            m.aturadaMax = std::max(m.aturadaMax, ara - darrer);
            darrer = ara;
            if (m.resposta < 0 && w.estat().PanelActual != np.PanelInicio)
                m.resposta = ara;
        });
        batec.start(5);
        const auto resolt = [&] { return !banner || banner->estat().BannerCargado(); };
        while ((!resolt() || t.elapsed() < mirarMs) && t.elapsed() < kovel::test::EsperaMaximaMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
            if (m.desenlla < 0 && resolt())
                m.desenlla = t.elapsed();
        }
        batec.stop();
        m.aturadaMax = std::max(m.aturadaMax, treball() - darrer);
        m.creixcut = w.height() > alturaInicial;
        if (banner) {
            m.motiu = banner->banner()->MotiuError();
            text_ = banner->banner()->toPlainText();
            if (m.creixcut) {
                const QString png = QStringLiteral(KOVEL_BINARY_DIR "/banner-hostile-%1.png").arg(QString(cami.mid(1)));
                w.grab().save(png);
            }
        }
        m.memoria = pic.atura();
        return m;
    }

    QTemporaryDir dir_;
    QString sentinella_;
    int inotify_ = -1;
    ServidorHostil servidor_;
    QString text_;
};

} // namespace

// Every hostile page against the plain wizard's start, in one run so that the plain
// wizard's figures are measured in the same process.
TEST_F(BannerHostil, HostilePagesNeitherFreezeTheWizardNorReadLocalFiles)
{
    const QByteArray s = QFile::encodeName(sentinella_);
    const std::vector<Cas> casos = {
        {"local pictures", "/img", "<html><body><p>BANNER-IMG</p><img src=\"file:///dev/zero\"><img src='file://" + s
                                       + "/pipe'><img src=\"file://" + s + "/secret.png\" width=10 height=10><img src=\"" + s
                                       + "/secret.png\"><img src=\"../../../.." + s + "/pipe\"></body></html>",
         true},
        {"css backgrounds", "/css",
         "<html><head><style>body { background-image: url(file:///dev/zero) } p { background-image: url('file://" + s
             + "/pipe') }</style><link rel=stylesheet href=\"file://" + s + "/secret.png\"></head><body><p>BANNER-CSS</p>"
             "<div style=\"background-image: url(file://" + s + "/secret.png)\">x</div>"
             "<span style='background-image:url(" + s + "/pipe)'>y</span></body></html>",
         true},
        {"table backgrounds", "/table",
         "<html><body background=\"file://" + s + "/secret.png\"><table background=\"file:///dev/zero\"><tr><td background='file://"
             + s + "/pipe'>BANNER-TABLE</td><th background=\"" + s + "/pipe\">h</th></tr></table></body></html>",
         true},
        {"relative to a local base", "/relative",
         "<html><head><base href=\"file://" + s + "/\"></head><body><p>BANNER-REL</p><img src=\"pipe\"><img src=\"secret.png\">"
         "<table background=\"pipe\"><tr><td>t</td></tr></table></body></html>",
         true},
        {"16 pictures of 4 Mpixel", "/bigpictures", [] {
             QByteArray p = "<html><body><p>BANNER-BIG</p>";
             for (int i = 0; i < 16; ++i)
                 p += "<img src=big" + QByteArray::number(i) + ".png width=20 height=20>";
             return p + "</body></html>";
         }(), true},
        {"240,000 iframes", "/iframes", repetir("<iframe>", 240000), false},
        {"240,000 nested scripts", "/scripts", repetir("<script>", 240000), false},
        {"300,000 nested divs", "/divs", repetir("<div>", 300000), false},
        {"100,000 nested tables", "/tables", repetir("<table><tr><td>", 100000), false},
        {"200,000 nested lists", "/lists", repetir("<ul><li>", 200000), false},
        {"one row of 150,000 cells", "/cells", "<table><tr>" + repetir("<td>x", 150000), false},
        {"one word of 2 MB", "/word", "<p>" + QByteArray(2000000, 'x'), false},
        {"endless chunked reply", "/endless", {}, false},
    };
    // Sixteen pictures of 2000 x 2000: 2 MB to send, a quarter of a gigabyte decoded. (Each
    // picture served is about 13 KB.)
    {
        QImage gran(2000, 2000, QImage::Format_RGB32);
        gran.fill(QColor(30, 120, 200));
        QBuffer b;
        b.open(QIODevice::WriteOnly);
        gran.save(&b, "PNG");
        for (int i = 0; i < 16; ++i)
            servidor_.pagines["/big" + QByteArray::number(i) + ".png"] = b.data();
    }
    for (const Cas& c : casos) {
        ASSERT_LE(c.cos.size(), BannerHTML::MidaMaxima) << c.nom;
        servidor_.pagines[c.cami] = c.cos;
    }

    // The plain wizard, the first time to load fonts and pictures, then measured three times.
    arrencar({});
    std::vector<Mesura> plans = {arrencar({}), arrencar({}), arrencar({})};
    std::sort(plans.begin(), plans.end(), [](const Mesura& a, const Mesura& b) { return a.mostrat < b.mostrat; });
    const Mesura pla = plans[1];
    const qint64 memoriaPla = std::max_element(plans.begin(), plans.end(), [](const Mesura& a, const Mesura& b) {
                                  return a.memoria < b.memoria;
                              })->memoria;
    std::printf("%-26s window thread busy: home panel %4lld ms, Next answered %4lld ms, longest stall %3lld ms, peak %lld MB\n", "no banner",
                static_cast<long long>(pla.mostrat), static_cast<long long>(pla.resposta),
                static_cast<long long>(pla.aturadaMax), static_cast<long long>(pla.memoria >> 20));
    EXPECT_TRUE(llegitLocal().isEmpty());

    QString motiuInacabable;
    for (const Cas& c : casos) {
        SCOPED_TRACE(c.nom);
        text_.clear();
        const Mesura m = arrencar(c.cami);
        if (c.cami == "/endless")
            motiuInacabable = m.motiu;
        std::printf("%-26s window thread busy: home panel %4lld ms (%+lld), Next answered %4lld ms, longest stall %3lld ms, peak +%lld MB, "
                    "banner %s at %lld ms%s%s\n",
                    c.nom, static_cast<long long>(m.mostrat), static_cast<long long>(m.mostrat - pla.mostrat),
                    static_cast<long long>(m.resposta), static_cast<long long>(m.aturadaMax),
                    static_cast<long long>((m.memoria - memoriaPla) >> 20), m.creixcut ? "shown" : "refused",
                    static_cast<long long>(m.desenlla), m.motiu.isEmpty() ? "" : ": ", qPrintable(m.motiu));
        std::fflush(stdout);
        EXPECT_LT(m.mostrat, 1000);
        EXPECT_GE(m.resposta, 0);
        EXPECT_LT(m.resposta, 1000);
        EXPECT_LT(m.aturadaMax, 250);
        EXPECT_LT(m.memoria - memoriaPla, qint64(150) << 20);
        EXPECT_GE(m.desenlla, 0);
        const QString llegit = llegitLocal();
        EXPECT_TRUE(llegit.isEmpty()) << qPrintable(llegit);
        EXPECT_FALSE(text_.contains("SENTINEL-SECRET"));
        EXPECT_EQ(m.creixcut, c.esMostra) << qPrintable(m.motiu);
        if (c.esMostra) {
            EXPECT_TRUE(text_.contains("BANNER-")) << qPrintable(text_.left(200));
        }
    }
    // The endless reply was cut as it streamed, by its size and not by a deadline.
    std::printf("endless reply: %lld KB sent in %lld ms before the client closed\n",
                static_cast<long long>(servidor_.enviatsInacabable >> 10), static_cast<long long>(servidor_.msInacabable));
    EXPECT_GE(servidor_.msInacabable, 0);
    EXPECT_EQ(motiuInacabable, QStringLiteral("resposta més llarga del que s'admet"));
    EXPECT_LT(servidor_.enviatsInacabable, qint64(12) << 20);
}
