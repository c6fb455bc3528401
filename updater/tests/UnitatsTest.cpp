// The update run's building blocks: URL functions, dates, checksum, reply reader, socket
// and timer.
#include "updater/CSocket.h"
#include "updater/CTimer.h"
#include "updater/CWinInet_URL.h"
#include "updater/HttpResposta.h"
#include "updater/ModAutoUpdateFuncions.h"
#include "testsupport/Espera.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

using kovel::test::DeixaCorrer;
using kovel::test::EsperaFins;

// RFC 3986 section 5.4: normal and abnormal examples against one base. (The empty
// reference is left out: these functions give "" for it.)
TEST(Url, CombineResolvesTheRfc3986Examples)
{
    const QString base = QStringLiteral("http://a/b/c/d;p?q");
    const std::vector<std::pair<const char*, const char*>> casos = {
        {"g:h", "g:h"}, {"g", "http://a/b/c/g"}, {"./g", "http://a/b/c/g"}, {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"}, {"//g", "http://g"}, {"?y", "http://a/b/c/d;p?y"}, {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q#s"}, {"g#s", "http://a/b/c/g#s"}, {"g?y#s", "http://a/b/c/g?y#s"},
        {";x", "http://a/b/c/;x"}, {"g;x", "http://a/b/c/g;x"}, {"g;x?y#s", "http://a/b/c/g;x?y#s"},
        {".", "http://a/b/c/"}, {"./", "http://a/b/c/"}, {"..", "http://a/b/"}, {"../", "http://a/b/"},
        {"../g", "http://a/b/g"}, {"../..", "http://a/"}, {"../../", "http://a/"}, {"../../g", "http://a/g"},
        {"../../../g", "http://a/g"}, {"../../../../g", "http://a/g"}, {"/./g", "http://a/g"},
        {"/../g", "http://a/g"}, {"g.", "http://a/b/c/g."}, {".g", "http://a/b/c/.g"}, {"g..", "http://a/b/c/g.."},
        {"..g", "http://a/b/c/..g"}, {"./../g", "http://a/b/g"}, {"./g/.", "http://a/b/c/g/"},
        {"g/./h", "http://a/b/c/g/h"}, {"g/../h", "http://a/b/c/h"}, {"g;x=1/./y", "http://a/b/c/g;x=1/y"},
        {"g;x=1/../y", "http://a/b/c/y"}, {"g?y/./x", "http://a/b/c/g?y/./x"}, {"g?y/../x", "http://a/b/c/g?y/../x"},
        {"g#s/./x", "http://a/b/c/g#s/./x"}, {"g#s/../x", "http://a/b/c/g#s/../x"}, {"http:g", "http:g"},
    };
    CWinInet_URL u;
    for (const auto& [rel, esperat] : casos)
        EXPECT_EQ(u.CombineUrl(base, QString::fromLatin1(rel)), QString::fromLatin1(esperat)) << rel;
    EXPECT_EQ(u.CombineUrl(base, QString()), QString());
    EXPECT_EQ(u.CombineUrl(QStringLiteral("no-scheme"), QStringLiteral("g")), QString());
}

TEST(Url, CrackSplitsUpdateAndStatisticsAddresses)
{
    CWinInet_URL u;
    ASSERT_TRUE(u.CrackUrl(QStringLiteral("http://updates.example.com/kovel/6/")));
    EXPECT_EQ(u.Scheme, CWinInet_URL::SchemeHttp);
    EXPECT_EQ(u.HostName, QStringLiteral("updates.example.com"));
    EXPECT_EQ(u.URLPath, QStringLiteral("/kovel/6/"));
    EXPECT_EQ(u.ExtraInfo, QString());
    EXPECT_EQ(u.Port, 80);

    ASSERT_TRUE(u.CrackUrl(QStringLiteral("http://user:pw@127.0.0.1:8080/bo_users/auto_stats_update.asp?pid=3&lid=12&tip=2")));
    EXPECT_EQ(u.HostName, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(u.Port, 8080);
    EXPECT_EQ(u.UserName, QStringLiteral("user"));
    EXPECT_EQ(u.Password, QStringLiteral("pw"));
    EXPECT_EQ(u.URLPath, QStringLiteral("/bo_users/auto_stats_update.asp"));
    EXPECT_EQ(u.ExtraInfo, QStringLiteral("?pid=3&lid=12&tip=2"));
    EXPECT_EQ(u.CreateURL(), QStringLiteral("http://user:pw@127.0.0.1:8080/bo_users/auto_stats_update.asp?pid=3&lid=12&tip=2"));

    EXPECT_FALSE(u.CrackUrl(QStringLiteral("http://host:99999/")));
    EXPECT_FALSE(u.CrackUrl(QStringLiteral("http://host:8x/")));
    EXPECT_FALSE(u.CrackUrl(QStringLiteral("/relative/only")));
    EXPECT_EQ(u.HostName, QString());
}

TEST(Url, CanonicalizeRemovesDotSegmentsAndEscapes)
{
    CWinInet_URL u;
    EXPECT_EQ(u.CanonicalizeUrl(QStringLiteral("http://a/b/./c/../d e")), QStringLiteral("http://a/b/d%20e"));
    EXPECT_EQ(u.CanonicalizeUrl(QStringLiteral("http://a/b/../c"), CWinInet_URL::ICU_NO_META), QStringLiteral("http://a/b/../c"));
    EXPECT_EQ(u.CanonicalizeUrl(QStringLiteral("http://a/%41"), CWinInet_URL::ICU_DECODE), QStringLiteral("http://a/A"));
    EXPECT_EQ(u.CanonicalizeUrl(QString()), QString());
}

TEST(Funcions, HttpDatesByFixedPositions)
{
    using ModAutoUpdate::DataHttpALocal;
    const auto d = [](int y, int mo, int da, int h, int mi, int s) { return QDateTime(QDate(y, mo, da), QTime(h, mi, s), Qt::UTC); };
    EXPECT_EQ(DataHttpALocal(QStringLiteral("Mon, 07 Dec 2026 21:25:49 GMT"), -60), d(2026, 12, 7, 22, 25, 49));
    EXPECT_EQ(DataHttpALocal(QStringLiteral("Mon, 07 Dec 2026 21:25:49 GMT"), 300), d(2026, 12, 7, 16, 25, 49));
    EXPECT_EQ(DataHttpALocal(QStringLiteral("Mon, 07 Xyz 2026 21:25:49"), 0), d(2026, 1, 7, 21, 25, 49));
    EXPECT_EQ(DataHttpALocal(QStringLiteral("Thu, 31 Dec 2026 23:30:00 GMT"), -60), d(2027, 1, 1, 0, 30, 0));
    EXPECT_FALSE(DataHttpALocal(QStringLiteral("Mon, 07 Dec 2026"), 0).isValid());
    EXPECT_FALSE(DataHttpALocal(QStringLiteral("Mon, 3x Dec 2026 21:25:49 GMT"), 0).isValid());
    EXPECT_FALSE(DataHttpALocal(QStringLiteral("Mon, 30 Feb 2026 21:25:49 GMT"), 0).isValid());
    EXPECT_FALSE(DataHttpALocal(QString(), 0).isValid());
}

TEST(Funcions, SettingsDatesAndSmallHelpers)
{
    const QDateTime d(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC);
    EXPECT_EQ(ModAutoUpdate::TextData(d), QStringLiteral("04/03/2026 05:06:07"));
    EXPECT_EQ(ModAutoUpdate::LlegirData(ModAutoUpdate::TextData(d)), d);
    EXPECT_EQ(ModAutoUpdate::LlegirData(QStringLiteral("1/1/2005")), QDateTime(QDate(2005, 1, 1), QTime(0, 0), Qt::UTC));
    EXPECT_FALSE(ModAutoUpdate::LlegirData(QStringLiteral("yesterday")).isValid());

    EXPECT_EQ(strings::DosDigits(7), QStringLiteral("07"));
    EXPECT_EQ(strings::DosDigits(0), QStringLiteral("00"));
    EXPECT_EQ(strings::DosDigits(12), QStringLiteral("12"));
    EXPECT_EQ(strings::DosDigits(123), QStringLiteral("123"));

    EXPECT_EQ(ModAutoUpdate::PrimeraLinia(QStringLiteral("setup.exe\r\nrest")), QStringLiteral("setup.exe"));
    EXPECT_EQ(ModAutoUpdate::PrimeraLinia(QStringLiteral("one\nline")), QStringLiteral("one\nline"));

    for (const char* bo : {"setup.exe", "KOVEL_6.1-setup.run", "a"})
        EXPECT_TRUE(ModAutoUpdate::NomInstallableValid(QString::fromLatin1(bo))) << bo;
    for (const char* dolent : {"", ".", "..", "../x", "a/b", "a\\b", "x..y", "a b", "a\tb", "Inst_Pendent.TXT", "warnings.log"})
        EXPECT_FALSE(ModAutoUpdate::NomInstallableValid(QString::fromLatin1(dolent))) << dolent;
    EXPECT_FALSE(ModAutoUpdate::NomInstallableValid(QString(256, u'a')));
    EXPECT_EQ(ModAutoUpdate::SegonsInactiusEfectius(0), 60);
    EXPECT_EQ(ModAutoUpdate::SegonsInactiusEfectius(-3), 60);
    EXPECT_EQ(ModAutoUpdate::SegonsInactiusEfectius(2), 2);
}

TEST(Funcions, ChecksumOverWholeWords)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/f");
    const auto amb = [&](const QByteArray& bytes) {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        f.close();
        return ModAutoUpdate::ComprovarChecksum(path);
    };
    EXPECT_TRUE(amb(QByteArray("\x01\x02\x03\x04\x01\x02\x03\x04", 8)));
    EXPECT_TRUE(amb(QByteArray("\x01\x02\x03\x04\x01\x02\x03\x04\xff\xee\xdd", 11)));
    EXPECT_FALSE(amb(QByteArray("\x01\x02\x03\x04\x01\x02\x03\x05", 8)));
    EXPECT_FALSE(amb(QByteArray("\x01\x02\x03\x04\x01\x02\x03\x04\x00\x00\x00\x01", 12)));
    EXPECT_TRUE(amb(QByteArray()));
    // Across the reader's block boundary, with an odd number of words.
    QByteArray big(3 * 1024 * 1024 + 4 * 3 + 2, '\0');
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char(i * 131 + 7);
    quint32 acc = 0;
    for (qsizetype w = 0; w + 1 < big.size() / 4; ++w)
        acc ^= qFromLittleEndian<quint32>(big.constData() + w * 4);
    qToLittleEndian(acc, big.data() + (big.size() / 4 - 1) * 4);
    EXPECT_TRUE(amb(big));
    big[2 * 1024 * 1024 + 5] ^= 1;
    EXPECT_FALSE(amb(big));
    EXPECT_FALSE(ModAutoUpdate::ComprovarChecksum(dir.path() + QStringLiteral("/missing")));
}

TEST(Resposta, StatusLineAndHeaderFields)
{
    QByteArray reason;
    EXPECT_EQ(HttpResposta::GetHttpResponseCode("HTTP/1.1 404 Not Found\r\nX: y\r\n", reason), 404);
    EXPECT_EQ(reason, "Not Found");
    EXPECT_EQ(HttpResposta::GetHttpResponseCode("HTTP/1.1 2x0 OK\r\n", reason), 0);
    EXPECT_EQ(HttpResposta::GetHttpResponseCode("nothing", reason), 0);
    const QByteArray h = "HTTP/1.1 200 OK\r\nx-content-length: 9\r\ncontent-LENGTH:  42 \r\nLast-Modified: Mon\r\n";
    EXPECT_EQ(HttpResposta::GetHttpHeaderFieldValue(h, "Content-Length"), QByteArray("42"));
    EXPECT_EQ(HttpResposta::GetHttpHeaderFieldValue(h, "last-modified"), QByteArray("Mon"));
    EXPECT_FALSE(HttpResposta::GetHttpHeaderFieldValue(h, "Range"));
    EXPECT_EQ(HttpResposta::DecodeChunkedMessage("5\r\nhello\r\n1;a=b\r\n!\r\n0\r\n\r\n"), QByteArray("hello!"));
    EXPECT_FALSE(HttpResposta::DecodeChunkedMessage("5\r\nhel"));
    EXPECT_FALSE(HttpResposta::DecodeChunkedMessage("g\r\nhello\r\n0\r\n\r\n"));
    EXPECT_FALSE(HttpResposta::DecodeChunkedMessage("10\r\nhello\r\n0\r\n\r\n", 8));
    EXPECT_EQ(HttpResposta::LlegirLongitud(" 123 ", 1000), 123);
    for (const char* dolent : {"-1", "1e3", "", "12 3", "0x10", "1001"})
        EXPECT_FALSE(HttpResposta::LlegirLongitud(dolent, 1000)) << dolent;
}

struct Lectura {
    HttpResposta::Lector lector;
    QByteArray cos;
    explicit Lectura(bool head = false, qint64 maxBody = 1 << 20)
    {
        lector.onBody = [this](const char* d, qsizetype n) {
            cos.append(d, n);
            return true;
        };
        HttpResposta::Limits l;
        l.maxHeader = 1024;
        l.maxBody = maxBody;
        lector.start(head, l);
    }
    // Fed one byte at a time, so every split point is crossed.
    HttpResposta::Lector::Estat perBytes(const QByteArray& s)
    {
        for (char c : s)
            lector.feed(&c, 1);
        return lector.estat();
    }
};

TEST(Resposta, ReaderFramesBodiesWhateverTheSplit)
{
    using E = HttpResposta::Lector::Estat;
    {
        Lectura r;
        EXPECT_EQ(r.perBytes("HTTP/1.1 206 Partial\r\nCONTENT-LENGTH: 5\r\nlast-modified: Mon, 07 Dec\r\n\r\nhelloEXTRA"), E::Complet);
        EXPECT_EQ(r.lector.code, 206);
        EXPECT_EQ(r.cos, "hello");
        EXPECT_EQ(r.lector.lastModified, "Mon, 07 Dec");
        EXPECT_EQ(r.lector.excessBytes, 5);
    }
    {
        Lectura r;
        EXPECT_EQ(r.perBytes("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3;x\r\nabc\r\n2\r\nde\r\n0\r\nT: 1\r\n\r\n"), E::Complet);
        EXPECT_EQ(r.cos, "abcde");
    }
    {
        Lectura r;
        EXPECT_EQ(r.perBytes("HTTP/1.0 200 OK\r\n\r\nuntil close"), E::Cos);
        EXPECT_EQ(r.lector.peerClosed(), E::Complet);
        EXPECT_EQ(r.cos, "until close");
        EXPECT_TRUE(r.lector.connectionClose);
    }
    {
        Lectura r;
        r.perBytes("HTTP/1.0 200 OK\r\nConnection: Keep-Alive\r\nContent-Length: 0\r\n\r\n");
        EXPECT_FALSE(r.lector.connectionClose);
        Lectura s;
        s.perBytes("HTTP/1.1 200 OK\r\nconnection: close\r\nContent-Length: 0\r\n\r\n");
        EXPECT_TRUE(s.lector.connectionClose);
    }
    {
        Lectura r(true);
        EXPECT_EQ(r.perBytes("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n"), E::Complet);
        EXPECT_EQ(r.lector.contentLength, 5000);
        EXPECT_TRUE(r.cos.isEmpty());
    }
    {
        Lectura r;
        r.perBytes("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc");
        EXPECT_EQ(r.lector.peerClosed(), E::Error); // cut off
    }
}

TEST(Resposta, ReaderRefusesBrokenReplies)
{
    using E = HttpResposta::Lector::Estat;
    for (const char* dolent : {
             "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n",
             "HTTP/1.1 200 OK\r\nContent-Length: abc\r\n\r\n",
             "HTTP/1.1 200 OK\r\nContent-Length: 2000000\r\n\r\n",
             "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 6\r\n\r\n",
             "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nxyz\r\n",
             "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabcX\r\n",
             "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n200000\r\n",
         }) {
        Lectura r;
        EXPECT_EQ(r.perBytes(dolent), E::Error) << dolent;
        EXPECT_FALSE(r.lector.error.isEmpty());
    }
    Lectura llarga;
    EXPECT_EQ(llarga.perBytes("HTTP/1.1 200 OK\r\n" + QByteArray(2000, 'h')), E::Error);
    Lectura sensefi;
    EXPECT_EQ(sensefi.perBytes("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n"), E::Capcalera);
    EXPECT_EQ(sensefi.lector.peerClosed(), E::Error);
}

TEST(Socket, MisuseRaisesNumberedErrors)
{
    CSocket s;
    try {
        s.setRemotePort(70000);
        FAIL();
    } catch (const SocketError& e) {
        EXPECT_EQ(e.Number, 40014);
        EXPECT_EQ(e.Source, QStringLiteral("CSocket.RemotePort"));
    }
    try {
        s.SendData(QByteArray("x"));
        FAIL();
    } catch (const SocketError& e) {
        EXPECT_EQ(e.Number, 40006);
    }
    s.CloseSck(); // never opened: nothing happens
    EXPECT_EQ(s.State(), CSocket::sckClosed);
    EXPECT_EQ(CSocket::ErrorText(10061), QStringLiteral("Connection refused."));
    EXPECT_EQ(CSocket::ErrorText(12345), QStringLiteral("Unknown error."));
}

TEST(Socket, ConnectsSendsAndReceivesOnLoopback)
{
    CSocket servidor;
    servidor.Bind(0, QStringLiteral("127.0.0.1"));
    servidor.CloseSck();
    CSocket escolta;
    escolta.setLocalPort(0);
    escolta.Listen();
    ASSERT_EQ(escolta.State(), CSocket::sckListening);
    const int port = escolta.LocalPort();
    ASSERT_GT(port, 0);
    CSocket acceptat;
    QObject::connect(&escolta, &CSocket::ConnectionRequest, [&](int id) { acceptat.Accept(id); });

    {
        // A name goes through a lookup first.
        CSocket perNom;
        bool fet = false;
        QObject::connect(&perNom, &CSocket::Connected, [&] { fet = true; });
        perNom.Connect(QStringLiteral("localhost"), port);
        EXPECT_EQ(perNom.State(), CSocket::sckResolvingHost);
        EsperaFins([&] { return fet; });
        EXPECT_EQ(perNom.State(), CSocket::sckConnected);
        EsperaFins([&] { return acceptat.State() == CSocket::sckConnected; });
        // Reading works after a lookup too (an unconnected socket polls as hung up).
        acceptat.SendData(QByteArray("hi"));
        EsperaFins([&] { return perNom.BytesReceived() == 2; });
        EXPECT_EQ(perNom.BytesReceived(), 2);
        acceptat.CloseSck();
    }
    CSocket client;
    bool connectat = false;
    std::vector<qint64> totals;
    QObject::connect(&client, &CSocket::Connected, [&] { connectat = true; });
    client.Connect(QStringLiteral("127.0.0.1"), port);
    EXPECT_EQ(client.State(), CSocket::sckConnecting); // a dotted address needs no lookup
    EsperaFins([&] { return connectat && acceptat.State() == CSocket::sckConnected; });
    ASSERT_EQ(client.State(), CSocket::sckConnected);
    EXPECT_EQ(client.RemoteHostIP(), QStringLiteral("127.0.0.1"));

    QObject::connect(&acceptat, &CSocket::DataArrival, [&](qint64 total) { totals.push_back(total); });
    client.SendData(std::int16_t(258));
    EsperaFins([&] { return !totals.empty(); });
    client.SendData(QStringLiteral("ab"));
    EsperaFins([&] { return acceptat.BytesReceived() >= 4; });
    ASSERT_GE(totals.size(), 1u);
    EXPECT_EQ(totals.back(), 4); // the total waiting grows while nothing is taken
    QByteArray dades;
    acceptat.GetData(dades);
    EXPECT_EQ(dades, QByteArray("\x02\x01" "ab", 4));

    bool tancat = false;
    QObject::connect(&acceptat, &CSocket::Close, [&] { tancat = true; });
    client.CloseSck();
    EsperaFins([&] { return tancat; });
    EXPECT_EQ(acceptat.State(), CSocket::sckClosing);
}

TEST(Socket, ARefusedConnectionIsAnErrorEvent)
{
    CSocket lliure;
    lliure.Bind(0, QStringLiteral("127.0.0.1"));
    const int port = lliure.LocalPort();
    lliure.CloseSck();
    CSocket client;
    int numero = 0;
    QString text;
    QObject::connect(&client, &CSocket::Error,
                     [&](int n, const QString& d, std::int32_t, const QString&, const QString&, std::int32_t, bool*) {
                         numero = n;
                         text = d;
                     });
    client.Connect(QStringLiteral("127.0.0.1"), port);
    EsperaFins([&] { return numero != 0; });
    EXPECT_EQ(numero, 10061);
    EXPECT_EQ(text, QStringLiteral("Connection refused."));
    EXPECT_EQ(client.State(), CSocket::sckError);
    client.CloseSck();
    EXPECT_EQ(client.State(), CSocket::sckClosed);
}

TEST(Timer, EnabledAndIntervalStartAndStopTicks)
{
    CTimer t;
    int ticks = 0;
    QObject::connect(&t, &CTimer::Timer, [&] { ++ticks; });
    t.setEnabled(false);
    t.setInterval(20);
    EXPECT_FALSE(t.isRunning());
    t.setEnabled(true);
    EXPECT_TRUE(t.isRunning());
    EsperaFins([&] { return ticks >= 2; });
    EXPECT_GE(ticks, 2);
    t.setInterval(0);
    EXPECT_FALSE(t.isRunning());
    const int abans = ticks;
    DeixaCorrer(60);
    EXPECT_EQ(ticks, abans);
}

} // namespace
