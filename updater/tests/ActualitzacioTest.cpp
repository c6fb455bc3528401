// The update run end to end against a loopback HTTP server: settings in a temporary
// machine registry, the update folder and the program folder in a temporary directory.
#include "common/ModReg.h"
#include "common/ModTraduccion.h"
#include "common/tests/TestSupport.h"
#include "updater/ModAutoUpdate.h"
#include "updater/ModAutoUpdateFuncions.h"
#include "updater/tests/ServidorProva.h"
#include "testsupport/Espera.h"
#include "updater/CAutoUpdate.h"
#include "platform/files/EscripturaAtomica.h"
#include "platform/files/tests/DiscPle.h"
#include "platform/registry/Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

using kovel::test::writeBytes;
using proves::Fitxer;
using proves::ServidorProva;

namespace {

class EntornQt : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char nom[] = "updater_tests";
        static char* argv[] = {nom, nullptr};
        if (!QCoreApplication::instance())
            app_ = new QCoreApplication(argc, argv);
    }
    QCoreApplication* app_ = nullptr;
};
[[maybe_unused]] auto* const g_entorn = ::testing::AddGlobalTestEnvironment(new EntornQt);

QString clau() { return ModReg::ClauProducte + QStringLiteral("AutoUpdate"); }

QByteArray llegir(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A shell-script installer ("#!" and random bytes) whose whole 32-bit words XOR to zero
// (plus `cua` trailing bytes).
std::string installable(std::size_t paraules, std::size_t cua = 0, unsigned seed = 7)
{
    std::mt19937 rng(seed);
    std::string s(paraules * 4 + cua, '\0');
    std::uint32_t acc = 0;
    for (std::size_t w = 0; w + 1 < paraules; ++w) {
        std::uint32_t v = rng();
        if (w == 0)
            std::memcpy(&v, "#!/b", 4);
        acc ^= v;
        std::memcpy(&s[w * 4], &v, 4);
    }
    std::memcpy(&s[(paraules - 1) * 4], &acc, 4);
    for (std::size_t i = 0; i < cua; ++i)
        s[paraules * 4 + i] = char(rng());
    return s;
}

int portLliure()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    socklen_t len = sizeof sa;
    getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
    ::close(fd);
    return ntohs(sa.sin_port);
}

class Actualitzacio : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(arrel_.isValid());
        carpeta_ = arrel_.path() + QStringLiteral("/upd/");
        programa_ = arrel_.path() + QStringLiteral("/prog");
        QDir().mkpath(carpeta_);
        QDir().mkpath(programa_);
        qputenv("KOVEL_PROGRAM_DIR", programa_.toUtf8());
        qputenv("KOVEL_MACHINE_REGISTRY", (arrel_.path() + QStringLiteral("/machine.reg")).toUtf8());
        ModAutoUpdate::EstablirRellotge({});
        writeBytes(programa_ + QStringLiteral("/LITER.UNI"), ModTraduccion::CodificarRegistre(QStringLiteral("1"), QStringLiteral("u")));
        writeBytes(programa_ + QStringLiteral("/autoUpdate.txt"), "versio.txt\r\n");
        writeBytes(carpeta_ + QStringLiteral("autoUpdate.log"), "Sun, 01 Nov 2026 10:00:00 GMT\r\nVersio: 6.0\r\n");
        (*fitxers_)["/upd/versio.txt"].contingut = nomInstallable_ + "\r\n";
        (*fitxers_)["/upd/versio.txt"].chunked = true;
        (*fitxers_)["/upd/" + nomInstallable_].contingut = installable(2000, 3);
        configurar(servidor_.port());
    }
    void TearDown() override { ModAutoUpdate::EstablirRellotge({}); }

    // A loopback server answers at once; a limit that a loaded machine could reach is set only
    // where the limit is what is tested.
    void configurar(int port, int segonsInactius = 60)
    {
        ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("PATH_AutoUpdater"), carpeta_);
        ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("Path"),
                            QStringLiteral("http://127.0.0.1:%1/upd/").arg(port));
        ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("PeriodeComprovacio"), 1);
        ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("SegonsInactius"), segonsInactius);
        ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("estadistiques_LID"), 70007);
    }

    Fitxer& installador() { return (*fitxers_)["/upd/" + nomInstallable_]; }
    QString local() const { return carpeta_ + QString::fromStdString(nomInstallable_); }
    QString log() const { return QString::fromUtf8(llegir(carpeta_ + QStringLiteral("warnings.log"))); }
    QString ultimaComprovacio() const
    {
        return ModReg::LlegirCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("UltimaComprovacio"));
    }
    std::vector<std::string> peticionsDe(const std::string& metode) const
    {
        std::vector<std::string> out;
        for (const auto& p : servidor_.peticions())
            if (p.metode == metode && p.cami.find("auto_stats") == std::string::npos)
                out.push_back(p.cru);
        return out;
    }
    // Every file under the temporary root, relative to it.
    QStringList tots() const
    {
        QStringList out;
        QDirIterator it(arrel_.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            out << QDir(arrel_.path()).relativeFilePath(it.next());
        out.sort();
        return out;
    }
    // Nothing beside the program folder, the settings and the update folder's own files.
    void nomesCarpetaActualitzacio() const
    {
        for (const QString& f : tots())
            EXPECT_TRUE(f.startsWith(u"prog/") || f.startsWith(u"upd/") || f.startsWith(u"machine.reg"))
                << f.toStdString();
        EXPECT_FALSE(QFile::exists(arrel_.path() + QStringLiteral("/evil.exe")));
    }

    QTemporaryDir arrel_;
    QString carpeta_, programa_;
    std::string nomInstallable_ = "setup_kovel.exe";
    std::shared_ptr<std::map<std::string, Fitxer>> fitxers_ = std::make_shared<std::map<std::string, Fitxer>>();
    ServidorProva servidor_{proves::ServirFitxers(fitxers_)};
};

const std::string kHost = "Host: 127.0.0.1\r\nConnection: Keep-Alive\r\nAccept: */*\r\n";

TEST_F(Actualitzacio, DownloadsVerifiesAndHandsOverANewerInstaller)
{
    // The statistics request goes out on its own connection as the download starts, and the
    // run does not wait for it: the installer is held back until it has come in.
    servidor_.setGestor([this, inner = proves::ServirFitxers(fitxers_)](const proves::Peticio& p) {
        if (p.metode == "GET" && p.cami == "/upd/" + nomInstallable_)
            kovel::test::EsperaFins([this] {
                for (const auto& q : servidor_.peticions())
                    if (q.cami.find("auto_stats") != std::string::npos)
                        return true;
                return false;
            });
        return inner(p);
    });
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0);
    EXPECT_TRUE(llegir(local()).toStdString() == installador().contingut);
    EXPECT_EQ(llegir(carpeta_ + QStringLiteral("inst_pendent.txt")), local().toUtf8() + '\n');
    EXPECT_FALSE(QFile::exists(carpeta_ + QStringLiteral("autoUpdateIncomplet.log")));
    EXPECT_TRUE(ModAutoUpdate::LlegirData(ultimaComprovacio()).isValid());
    EXPECT_TRUE(log().contains(QStringLiteral(" - ********** INICI **********************\n")));
    EXPECT_TRUE(log().endsWith(QStringLiteral(" - ********** INICI **********************\n"))); // the hand-over ends the run

    const auto gets = peticionsDe("GET");
    const auto heads = peticionsDe("HEAD");
    ASSERT_EQ(gets.size(), 2u);
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_EQ(gets[0], "GET /upd/versio.txt HTTP/1.1\r\n" + kHost + "\r\n");
    EXPECT_EQ(heads[0], "HEAD /upd/setup_kovel.exe HTTP/1.1\r\n" + kHost + "\r\n");
    EXPECT_EQ(gets[1], "GET /upd/setup_kovel.exe HTTP/1.1\r\n" + kHost + "\r\n");
    bool estadistica = false;
    for (const auto& p : servidor_.peticions())
        estadistica = estadistica
            || p.cru == "GET /bo_users/auto_stats_update.asp?pid=3&lid=70007&tip=1 HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                        "Connection: Close\r\nAccept: */*\r\n\r\n";
    EXPECT_TRUE(estadistica);
    nomesCarpetaActualitzacio();
}

TEST_F(Actualitzacio, ACutDownloadResumesWithRangeOnTheNextRun)
{
    installador().tallarGetDespres = 1000;
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_EQ(QFileInfo(local()).size(), 1000);
    EXPECT_TRUE(QFile::exists(carpeta_ + QStringLiteral("autoUpdateIncomplet.log")));
    EXPECT_FALSE(QFile::exists(carpeta_ + QStringLiteral("inst_pendent.txt")));
    EXPECT_TRUE(log().contains(QStringLiteral("S'ha produit un error en rebre les dades: ")));

    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0);
    const auto gets = peticionsDe("GET");
    ASSERT_EQ(gets.size(), 4u);
    EXPECT_EQ(gets[3], "GET /upd/setup_kovel.exe HTTP/1.1\r\n" + kHost + "Range: bytes=1000-\r\n\r\n");
    EXPECT_TRUE(llegir(local()).toStdString() == installador().contingut);
    EXPECT_TRUE(QFile::exists(carpeta_ + QStringLiteral("inst_pendent.txt")));
    EXPECT_FALSE(QFile::exists(carpeta_ + QStringLiteral("autoUpdateIncomplet.log")));
}

TEST_F(Actualitzacio, AConnectionTheServerDropsBetweenRequestsIsMadeAgain)
{
    (*fitxers_)["/upd/versio.txt"].tancarDespres = true;
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0) << log().toStdString();
    EXPECT_TRUE(llegir(local()).toStdString() == installador().contingut);
}

TEST_F(Actualitzacio, AWholeFileAnsweringARangeRequestIsWrittenFromItsStart)
{
    installador().tallarGetDespres = 1000;
    installador().ignorarRang = true;
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0);
    EXPECT_EQ(peticionsDe("GET").back().find("Range: bytes=1000-") != std::string::npos, true);
    EXPECT_TRUE(llegir(local()).toStdString() == installador().contingut);
}

TEST_F(Actualitzacio, AFileAlreadyCompleteIsVerifiedWithoutDownloading)
{
    writeBytes(local(), QByteArray::fromStdString(installador().contingut));
    writeBytes(carpeta_ + QStringLiteral("autoUpdateIncomplet.log"), "Mon, 07 Dec 2026 21:25:49 GMT - 07/12/2026 22:00:00\n");
    writeBytes(carpeta_ + QStringLiteral("inst_pendent.txt"), "old\n");
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0);
    EXPECT_EQ(peticionsDe("GET").size(), 1u); // the version file only
    EXPECT_EQ(llegir(carpeta_ + QStringLiteral("inst_pendent.txt")), local().toUtf8() + '\n');
}

TEST_F(Actualitzacio, ALocalFileLargerThanTheServersIsDownloadedAgain)
{
    writeBytes(local(), QByteArray(20000, 'j'));
    writeBytes(carpeta_ + QStringLiteral("autoUpdateIncomplet.log"), "Mon, 07 Dec 2026 21:25:49 GMT - 07/12/2026 22:00:00\n");
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0);
    ASSERT_EQ(peticionsDe("GET").size(), 2u);
    EXPECT_EQ(peticionsDe("GET")[1], "GET /upd/setup_kovel.exe HTTP/1.1\r\n" + kHost + "\r\n");
    EXPECT_TRUE(llegir(local()).toStdString() == installador().contingut);
}

TEST_F(Actualitzacio, AFailedChecksumDeletesTheInstallerAndHandsNothingOver)
{
    std::string& c = installador().contingut;
    c[100] = char(c[100] ^ 0x40);
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_FALSE(QFile::exists(local()));
    EXPECT_FALSE(QFile::exists(carpeta_ + QStringLiteral("inst_pendent.txt")));
    EXPECT_TRUE(QFile::exists(carpeta_ + QStringLiteral("autoUpdateIncomplet.log")));
    EXPECT_TRUE(log().contains(QStringLiteral(" - Error de checksum\n")));
    EXPECT_TRUE(ultimaComprovacio().isEmpty());
}

TEST_F(Actualitzacio, ANewerInstalledVersionDownloadsNothing)
{
    writeBytes(carpeta_ + QStringLiteral("autoUpdate.log"), "Tue, 08 Dec 2026 10:00:00 GMT\r\n");
    ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("Path"),
                        QStringLiteral("http://localhost:%1/upd/").arg(servidor_.port())); // through a name lookup
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0) << log().toStdString();
    EXPECT_TRUE(log().endsWith(QStringLiteral(" - ---------- FINAL -----------------------\n")));
    EXPECT_EQ(peticionsDe("HEAD").front(), "HEAD /upd/setup_kovel.exe HTTP/1.1\r\nHost: localhost\r\n"
                                           "Connection: Keep-Alive\r\nAccept: */*\r\n\r\n");
    EXPECT_EQ(peticionsDe("GET").size(), 1u);
    EXPECT_EQ(peticionsDe("HEAD").size(), 1u);
    EXPECT_FALSE(QFile::exists(local()));
    EXPECT_TRUE(ModAutoUpdate::LlegirData(ultimaComprovacio()).isValid());
}

// A settings file the run cannot write (the program folder is read-only under the service's
// sandbox): the run still hands the installer over, the date of the check goes to the update
// folder, and the next run within the period leaves the server alone.
TEST_F(Actualitzacio, ALastCheckThatCannotBeRecordedIsKeptInTheUpdateFolder)
{
    QLockFile lock(arrel_.path() + QStringLiteral("/machine.reg.lock"));
    ASSERT_TRUE(lock.tryLock(0));
    kovel::registry::Store::setLockTimeout(100);
    const int descarrega = ModAutoUpdate::UnaActualitzacio();
    const QString primer = log();
    const auto peticions = servidor_.peticions().size();
    const int dinsPeriode = ModAutoUpdate::UnaActualitzacio();
    const auto peticionsDinsPeriode = servidor_.peticions().size();

    // Past the period, with the installed version now the newer one: nothing to download,
    // and the later date replaces the kept one.
    writeBytes(carpeta_ + QStringLiteral("autoUpdate.log"), "Tue, 08 Dec 2026 10:00:00 GMT\r\n");
    const QDateTime despres = ModAutoUpdate::Ara().addDays(2);
    ModAutoUpdate::EstablirRellotge([despres] { return despres; });
    const int res = ModAutoUpdate::UnaActualitzacio();
    kovel::registry::Store::setLockTimeout(5000);
    lock.unlock();

    EXPECT_EQ(descarrega, 0);
    EXPECT_EQ(llegir(carpeta_ + QStringLiteral("inst_pendent.txt")), local().toUtf8() + '\n');
    EXPECT_TRUE(ultimaComprovacio().isEmpty());
    const QString linia = QStringLiteral(" - No s'ha pogut desar UltimaComprovacio a ") + arrel_.path()
        + QStringLiteral("/machine.reg; desada a ") + carpeta_ + QStringLiteral("ultimaComprovacio.txt\n");
    EXPECT_EQ(primer.count(QStringLiteral("UltimaComprovacio")), 1) << primer.toStdString();
    EXPECT_TRUE(primer.contains(linia)) << primer.toStdString();

    EXPECT_EQ(dinsPeriode, 0);
    EXPECT_EQ(peticionsDinsPeriode, peticions);
    EXPECT_TRUE(llegir(local()).toStdString() == installador().contingut);

    EXPECT_EQ(res, 0);
    EXPECT_GT(servidor_.peticions().size(), peticionsDinsPeriode);
    EXPECT_EQ(ModAutoUpdate::LlegirData(QString::fromUtf8(llegir(carpeta_ + QStringLiteral("ultimaComprovacio.txt")))),
              ModAutoUpdate::LlegirData(ModAutoUpdate::TextData(despres)));
    EXPECT_TRUE(log().endsWith(QStringLiteral(" - ---------- FINAL -----------------------\n")));
}

// The settings' date and the update folder's copy: the later counts; a copy that is not a
// date, or is far too long to be one, is ignored and named in the log.
TEST_F(Actualitzacio, TheLastCheckIsTheLaterOfTheSettingsAndTheKeptCopy)
{
    const QString copia = carpeta_ + QStringLiteral("ultimaComprovacio.txt");
    const auto ultima = [] {
        ModAutoUpdate::LlegirConfiguracio();
        return ModAutoUpdate::TextData(ModAutoUpdate::LlegirUltimaComprovacio());
    };
    EXPECT_EQ(ultima(), QStringLiteral("01/01/2005 00:00:00"));
    writeBytes(copia, "03/12/2026 08:00:00\n");
    EXPECT_EQ(ultima(), QStringLiteral("03/12/2026 08:00:00"));
    ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("UltimaComprovacio"), QStringLiteral("05/12/2026 09:30:00"));
    EXPECT_EQ(ultima(), QStringLiteral("05/12/2026 09:30:00"));
    writeBytes(copia, "06/12/2026 07:15:00");
    EXPECT_EQ(ultima(), QStringLiteral("06/12/2026 07:15:00"));
    for (const QByteArray& brossa : {QByteArray("not a date"), QByteArray("\xff\xfe\0\x01"),
                                     QByteArray("07/12/2026 07:15:00") + QByteArray(4096, ' ') + 'x'}) {
        writeBytes(copia, brossa);
        EXPECT_EQ(ultima(), QStringLiteral("05/12/2026 09:30:00"));
    }
    EXPECT_EQ(log().count(copia + QStringLiteral(": ")), 3) << log().toStdString();
}

// An installer downloaded and handed over earlier, while the person has not installed it
// yet: a later check keeps it, checks it and hands it over again without downloading it;
// one the server has since replaced is downloaded.
TEST_F(Actualitzacio, AHandedOverInstallerIsKeptWhileTheServerOffersTheSameOne)
{
    // Dates well before any clock the tests run on, as the local copy's time is the real one.
    writeBytes(carpeta_ + QStringLiteral("autoUpdate.log"), "Sun, 01 Nov 2020 10:00:00 GMT\r\n");
    installador().lastModified = "Mon, 07 Dec 2020 21:25:49 GMT";
    ASSERT_EQ(ModAutoUpdate::UnaActualitzacio(), 0);
    ASSERT_EQ(peticionsDe("GET").size(), 2u);
    QFile::remove(carpeta_ + QStringLiteral("inst_pendent.txt"));
    QDateTime ara = ModAutoUpdate::Ara();
    ModAutoUpdate::EstablirRellotge([&ara] { return ara; });

    ara = ara.addDays(2);
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0) << log().toStdString();
    EXPECT_EQ(peticionsDe("GET").size(), 3u); // the version file only
    EXPECT_EQ(peticionsDe("HEAD").size(), 2u);
    EXPECT_TRUE(llegir(local()).toStdString() == installador().contingut);
    EXPECT_EQ(llegir(carpeta_ + QStringLiteral("inst_pendent.txt")), local().toUtf8() + '\n');
    EXPECT_FALSE(QFile::exists(carpeta_ + QStringLiteral("autoUpdateIncomplet.log")));
    EXPECT_EQ(ModAutoUpdate::LlegirData(ultimaComprovacio()), ModAutoUpdate::LlegirData(ModAutoUpdate::TextData(ara)));

    // Spoilt on disk: it fails its check and is thrown away, and the next check fetches it.
    {
        QFile f(local());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(40);
        f.write("\x5a", 1);
    }
    ara = ara.addDays(2);
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_TRUE(log().contains(QStringLiteral(" - Error de checksum\n")));
    EXPECT_FALSE(QFile::exists(local()));
    EXPECT_EQ(peticionsDe("GET").size(), 4u);
    ara = ara.addSecs(3600);
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0);
    EXPECT_EQ(peticionsDe("GET").size(), 6u);
    EXPECT_TRUE(llegir(local()).toStdString() == installador().contingut);

    // A new installer of the same name and size, published after the local copy was made.
    installador().contingut = installable(2000, 3, 11);
    installador().lastModified = "Fri, 01 Jan 2100 10:00:00 GMT";
    ara = QDateTime(QDate(2100, 2, 1), QTime(12, 0), Qt::UTC);
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0);
    const auto gets = peticionsDe("GET");
    ASSERT_EQ(gets.size(), 8u);
    EXPECT_EQ(gets.back(), "GET /upd/setup_kovel.exe HTTP/1.1\r\n" + kHost + "\r\n");
    EXPECT_TRUE(llegir(local()).toStdString() == installador().contingut);
    EXPECT_EQ(llegir(carpeta_ + QStringLiteral("inst_pendent.txt")), local().toUtf8() + '\n');
}

TEST_F(Actualitzacio, ServerErrorsFailTheRunWithTheirReason)
{
    fitxers_->erase("/upd/versio.txt");
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_TRUE(log().contains(QStringLiteral(" - S'ha produit un error en rebre les dades: Not Found\n")));

    (*fitxers_)["/upd/versio.txt"].contingut = nomInstallable_ + "\r\n";
    servidor_.setGestor([inner = proves::ServirFitxers(fitxers_)](const proves::Peticio& p) {
        if (p.metode != "GET" || p.cami != "/upd/setup_kovel.exe")
            return inner(p);
        proves::Resposta r;
        r.capcalera = "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n";
        return r;
    });
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_TRUE(log().contains(QStringLiteral(" - S'ha produit un error en rebre les dades: Internal Server Error\n")));
    EXPECT_FALSE(QFile::exists(carpeta_ + QStringLiteral("inst_pendent.txt")));
}

// Replies to the version-file request that no server should send.
TEST_F(Actualitzacio, HostileRepliesFailTheRunSafely)
{
    const std::vector<std::pair<std::string, std::string>> casos = {
        {"no header end", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n"},
        {"endless header", "HTTP/1.1 200 OK\r\n" + std::string(70000, 'x')},
        {"negative length", "HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nabc"},
        {"huge length", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\nabc"},
        {"non-numeric length", "HTTP/1.1 200 OK\r\nContent-Length: 12abc\r\n\r\nabc"},
        {"bad chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nabc\r\n0\r\n\r\n"},
        {"chunk size overflow", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffffffff\r\nabc\r\n"},
        {"name with a folder", "HTTP/1.1 200 OK\r\nContent-Length: 12\r\n\r\nsub/evil.exe"},
        {"name going up", "HTTP/1.1 200 OK\r\nContent-Length: 13\r\n\r\n../evil.exe\r\n"},
        {"name of the hand-over", "HTTP/1.1 200 OK\r\nContent-Length: 16\r\n\r\ninst_pendent.txt"},
        {"no status", "garbage\r\n\r\n"},
        {"version file too long", "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(100000, 'a')},
    };
    for (const auto& [nom, resposta] : casos) {
        SCOPED_TRACE(nom);
        QFile::remove(carpeta_ + QStringLiteral("warnings.log"));
        servidor_.setGestor([inner = proves::ServirFitxers(fitxers_), resposta](const proves::Peticio& p) {
            if (p.cami != "/upd/versio.txt")
                return inner(p);
            proves::Resposta r;
            r.capcalera = resposta;
            r.tancar = true;
            return r;
        });
        EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
        EXPECT_TRUE(log().contains(QStringLiteral("S'ha produit un error en rebre les dades: "))) << log().toStdString();
        EXPECT_TRUE(peticionsDe("HEAD").empty());
        nomesCarpetaActualitzacio();
    }
}

TEST_F(Actualitzacio, BytesBeyondTheInstallersLengthAreNotWritten)
{
    installador().extra = "EXTRA BYTES AFTER THE BODY";
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0);
    EXPECT_TRUE(llegir(local()).toStdString() == installador().contingut);
}

TEST_F(Actualitzacio, AStallingServerIsEndedByTheInactivityLimit)
{
    configurar(servidor_.port(), 1);
    installador().tallarGetDespres = 500;
    installador().aturarEnTallar = true;
    QElapsedTimer t;
    t.start();
    // The server never ends its reply: returning at all is the limit at work, and not before it.
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_GE(t.elapsed(), 900);
    EXPECT_TRUE(log().contains(QStringLiteral(" - Error de socket: Connection timed out.\n")));
    EXPECT_EQ(QFileInfo(local()).size(), 500);
}

TEST_F(Actualitzacio, ARefusedConnectionFailsTheRun)
{
    configurar(portLliure());
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_TRUE(log().contains(QStringLiteral(" - Error de socket: Connection refused.\n")));
}

TEST_F(Actualitzacio, NoCheckBeforeThePeriodOrWithAWrongClock)
{
    ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("UltimaComprovacio"),
                        ModAutoUpdate::TextData(ModAutoUpdate::Ara().addSecs(-3600)));
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0);
    EXPECT_TRUE(servidor_.peticions().empty());

    // A marker makes the run due within the period.
    writeBytes(carpeta_ + QStringLiteral("autoUpdateIncomplet.log"), "Mon, 07 Dec 2026 21:25:49 GMT - 07/12/2026 22:00:00\n");
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0);
    EXPECT_FALSE(servidor_.peticions().empty());

    const auto n = servidor_.peticions().size();
    ModAutoUpdate::EstablirRellotge([] { return QDateTime(QDate(2005, 1, 1), QTime(12, 0), Qt::UTC); });
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_TRUE(log().contains(QStringLiteral(" - El rellotge del sistema no funciona correctament.\n")));
    EXPECT_EQ(servidor_.peticions().size(), n);
}

TEST_F(Actualitzacio, MissingLiteralsOrSettingsStopTheRunBeforeTheNetwork)
{
    QFile::remove(programa_ + QStringLiteral("/LITER.UNI"));
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_TRUE(log().contains(QStringLiteral(" - ERROR llegint traduccions: ")));
    EXPECT_TRUE(log().contains(QStringLiteral("LITER.UNI Not Found !\n")));
    EXPECT_FALSE(log().contains(QStringLiteral("INICI")));

    writeBytes(programa_ + QStringLiteral("/LITER.UNI"), ModTraduccion::CodificarRegistre(QStringLiteral("1"), QStringLiteral("u")));
    QFile::remove(carpeta_ + QStringLiteral("autoUpdate.log"));
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_TRUE(log().contains(QStringLiteral("autoUpdate.log")));
    EXPECT_TRUE(servidor_.peticions().empty());

    // A marker without a date, or one that cannot be read, stops the run and is named with why.
    writeBytes(carpeta_ + QStringLiteral("autoUpdate.log"), "Sun, 01 Nov 2026 10:00:00 GMT\r\n");
    const QString marcador = carpeta_ + QStringLiteral("autoUpdateIncomplet.log");
    writeBytes(marcador, "no date\n");
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_TRUE(log().contains(marcador + QStringLiteral(": la primera línia no comença amb una data\n")));
    QFile::remove(marcador);
    ASSERT_TRUE(QDir().mkpath(marcador));
    QFile::remove(carpeta_ + QStringLiteral("warnings.log"));
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_TRUE(log().contains(marcador + QStringLiteral(": "))) << log().toStdString();
    EXPECT_FALSE(log().contains(QStringLiteral("primera línia"))) << log().toStdString();
    EXPECT_TRUE(servidor_.peticions().empty());
    QDir(marcador).removeRecursively();

    // No address: nothing at all.
    ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("Path"), QString());
    QFile::remove(carpeta_ + QStringLiteral("warnings.log"));
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0);
    EXPECT_FALSE(log().contains(QStringLiteral("autoUpdate.log")));
}

// A hostile server: a huge announced size, content that only passes the checksum.
TEST_F(Actualitzacio, AnInstallerLargerThanTheMaximumIsRefusedBeforeItsDownload)
{
    // 3.9 GB announced, then zeros for ever: zeros pass the checksum.
    installador().contingut.clear();
    installador().midaGenerada = 3900ull * 1024 * 1024;
    installador().genera = [](std::uint64_t, char* buf, std::size_t n) { std::memset(buf, 0, n); };
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_TRUE(peticionsDe("GET").size() == 1u) << "only the version file";
    EXPECT_TRUE(log().contains(QStringLiteral("Descàrrega refusada: l'instal·lador fa 4089446400 bytes, més del màxim de 1073741824")))
        << log().toStdString();
    EXPECT_FALSE(QFile::exists(local()));
    EXPECT_FALSE(QFile::exists(carpeta_ + QStringLiteral("inst_pendent.txt")));

    // A size beyond any disk is refused the same way.
    installador().midaGenerada = 900000000000000000ull;
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_TRUE(log().contains(QStringLiteral("Descàrrega refusada: l'instal·lador fa 900000000000000000 bytes")))
        << log().toStdString();
    EXPECT_EQ(peticionsDe("GET").size(), 2u);

    // The maximum is a machine setting.
    installador() = Fitxer{};
    installador().contingut = installable(600000); // 2.4 MB
    ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("MidaMaximaMB"), 2);
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_TRUE(log().contains(QStringLiteral("més del màxim de 2097152 (MidaMaximaMB)"))) << log().toStdString();
    ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("MidaMaximaMB"), 3);
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0) << log().toStdString();
    EXPECT_TRUE(llegir(local()).toStdString() == installador().contingut);
}

TEST_F(Actualitzacio, ADownloadTheUpdateFolderCannotHoldIsRefusedBeforeItStarts)
{
    constexpr qint64 marge = CAutoUpdate::MargeEspaiLliure;
    const qint64 mida = qint64(installador().contingut.size());
    ModAutoUpdate::EstablirEspaiLliure([&](const QString&) { return marge + mida - 1; });
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    ModAutoUpdate::EstablirEspaiLliure({});
    EXPECT_EQ(peticionsDe("GET").size(), 1u);
    EXPECT_TRUE(log().contains(QStringLiteral("Descàrrega refusada: calen %1 bytes a %2").arg(mida).arg(carpeta_)))
        << log().toStdString();
    EXPECT_FALSE(QFile::exists(carpeta_ + QStringLiteral("autoUpdateIncomplet.log")));

    // The real thing: an update folder on a nearly full file system.
    kovel::test::DiscPetit disc;
    if (!disc.muntat())
        GTEST_SKIP() << "a tmpfs cannot be mounted here; covered by the injected free space above";
    carpeta_ = disc.path() + u'/';
    writeBytes(carpeta_ + QStringLiteral("autoUpdate.log"), "Sun, 01 Nov 2026 10:00:00 GMT\r\n");
    configurar(servidor_.port());
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_EQ(peticionsDe("GET").size(), 2u);
    EXPECT_TRUE(log().contains(QStringLiteral("Descàrrega refusada: calen"))) << log().toStdString();
    EXPECT_FALSE(QFile::exists(local()));
}

TEST_F(Actualitzacio, OnlyAnInstallerByItsContentIsHandedOver)
{
    // Balanced words after a prefix: the checksum holds whatever the first bytes are.
    const auto amb = [](const std::string& inici) {
        std::string s = inici;
        s.resize(4000, 'q');
        std::uint32_t acc = 0;
        for (std::size_t w = 0; w + 1 < s.size() / 4; ++w) {
            std::uint32_t v;
            std::memcpy(&v, &s[w * 4], 4);
            acc ^= v;
        }
        std::memcpy(&s[s.size() - 4], &acc, 4);
        return s;
    };
    installador().contingut = std::string(8000, '\0');
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_TRUE(log().contains(QStringLiteral(" - Instal·lador refusat: ") + local()
                               + QStringLiteral(": no és un executable ni un paquet Debian\n")))
        << log().toStdString();
    EXPECT_FALSE(QFile::exists(local()));
    EXPECT_FALSE(QFile::exists(carpeta_ + QStringLiteral("inst_pendent.txt")));

    installador().contingut = amb("MZ\x90\0 a program of another system");
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_FALSE(QFile::exists(carpeta_ + QStringLiteral("inst_pendent.txt")));

    for (const std::string& inici : {std::string("\x7f" "ELF\x02\x01\x01"), std::string("#!/bin/sh\n"),
                                    std::string("!<arch>\ndebian-binary   ")}) {
        // Without the copy handed over before, which would be taken for this one once the
        // clock is past its date, whatever this one holds.
        QFile::remove(local());
        QFile::remove(carpeta_ + QStringLiteral("inst_pendent.txt"));
        installador().contingut = amb(inici);
        installador().lastModified = "Tue, 08 Dec 2026 0" + std::to_string(inici.size() % 10) + ":00:00 GMT";
        EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0) << log().toStdString();
        EXPECT_TRUE(llegir(local()).toStdString() == installador().contingut);
        EXPECT_EQ(llegir(carpeta_ + QStringLiteral("inst_pendent.txt")), local().toUtf8() + '\n');
        ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("UltimaComprovacio"), QString());
    }
}

// A byte every 20 ms resets the inactivity watch of 2 s each time, and the reply, padded to
// take minutes so, cannot end first: only the reply's deadline ends it.
TEST_F(Actualitzacio, ATricklingServerIsEndedByTheReplysDeadline)
{
    configurar(servidor_.port(), 2);
    ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("VelocitatMinimaKBs"), 1000);
    servidor_.setGestor([inner = proves::ServirFitxers(fitxers_)](const proves::Peticio& p) {
        proves::Resposta r = inner(p);
        if (p.cami == "/upd/versio.txt") {
            r.capcalera.insert(r.capcalera.find("\r\n") + 2, "X-Padding: " + std::string(8000, 'p') + "\r\n");
            r.goteigMs = 20;
        }
        return r;
    });
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    EXPECT_TRUE(log().contains(QStringLiteral("S'ha produit un error en rebre les dades: la resposta no ha arribat a temps")))
        << log().toStdString();
    EXPECT_TRUE(log().endsWith(QStringLiteral(" - ---------- FINAL -----------------------\n")));
    EXPECT_TRUE(peticionsDe("HEAD").empty());
}

// A settings file that cannot be read is not "not configured": the run says why and fails.
TEST_F(Actualitzacio, ADamagedMachineSettingsFileFailsTheRunNamingTheFile)
{
    const QString fitxer = arrel_.path() + QStringLiteral("/machine.reg");
    const QByteArray bo = llegir(fitxer);
    ASSERT_TRUE(bo.startsWith("Windows Registry Editor"));
    QByteArray cr = bo;
    cr.replace("\r\n", "\r");
    QByteArray nul = bo;
    nul.insert(bo.indexOf("PATH_AutoUpdater"), QByteArray(3, '\0'));
    const std::vector<std::pair<QByteArray, QString>> casos = {
        {"garbage\r\n" + bo, QStringLiteral("does not begin with \"Windows Registry Editor Version 5.00\"")},
        {cr, QStringLiteral("has lines that end in a carriage return alone")},
        {nul, QStringLiteral("holds NUL bytes")},
        {QByteArray(), QStringLiteral("is larger than 64 MB")},
    };
    for (const auto& [contingut, motiu] : casos) {
        SCOPED_TRACE(motiu.toStdString());
        if (contingut.isEmpty()) {
            QFile f(fitxer);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Append));
            ASSERT_TRUE(f.resize(65ll * 1024 * 1024)); // sparse
        } else {
            writeBytes(fitxer, contingut);
        }
        testing::internal::CaptureStderr();
        const int estat = ModAutoUpdate::UnaActualitzacio();
        const QString errors = QString::fromStdString(testing::internal::GetCapturedStderr());
        EXPECT_EQ(estat, 1);
        EXPECT_TRUE(errors.contains(QStringLiteral("Avís: la configuració no es pot llegir: ") + fitxer + QStringLiteral(": ") + motiu))
            << errors.toStdString();
        EXPECT_TRUE(servidor_.peticions().empty());
    }
    writeBytes(fitxer, bo);
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0) << log().toStdString();
}

// The update folder's own files on a disk with no room: each keeps what it held.
TEST_F(Actualitzacio, AFullUpdateFolderKeepsItsFilesAndFailsTheRun)
{
    const QByteArray marcador = "Mon, 02 Nov 2026 10:00:00 GMT - 02/11/2026 10:00:00\n";
    const auto prepara = [&] {
        writeBytes(carpeta_ + QStringLiteral("autoUpdate.log"), "Sun, 01 Nov 2026 10:00:00 GMT\r\n");
        writeBytes(carpeta_ + QStringLiteral("warnings.log"), "old line\n");
        writeBytes(carpeta_ + QStringLiteral("autoUpdateIncomplet.log"), marcador);
        writeBytes(carpeta_ + QStringLiteral("inst_pendent.txt"), "old hand-over\n");
    };
    const auto intactes = [&] {
        EXPECT_EQ(llegir(carpeta_ + QStringLiteral("warnings.log")), "old line\n");
        EXPECT_EQ(llegir(carpeta_ + QStringLiteral("autoUpdateIncomplet.log")), marcador);
        EXPECT_EQ(llegir(carpeta_ + QStringLiteral("inst_pendent.txt")), "old hand-over\n");
    };
    prepara();
    kovel::files::LimitaEscripturesPerProva(0);
    testing::internal::CaptureStderr();
    const int estat = ModAutoUpdate::UnaActualitzacio();
    const std::string errors = testing::internal::GetCapturedStderr();
    kovel::files::LimitaEscripturesPerProva(-1);
    EXPECT_EQ(estat, 1);
    EXPECT_NE(errors.find("Error escrivint " + carpeta_.toStdString() + "autoUpdateIncomplet.log: No space left"),
              std::string::npos) << errors;
    intactes();

    kovel::test::DiscPetit disc;
    if (!disc.muntat())
        GTEST_SKIP() << "a tmpfs cannot be mounted here; covered by the injected failures above";
    carpeta_ = disc.path() + u'/';
    configurar(servidor_.port());
    prepara();
    disc.omple();
    ModAutoUpdate::EstablirEspaiLliure([](const QString&) { return qint64(1) << 40; }); // as if there were room
    testing::internal::CaptureStderr();
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 1);
    const std::string errorsDisc = testing::internal::GetCapturedStderr();
    ModAutoUpdate::EstablirEspaiLliure({});
    // The log's last page still had room for its lines; the marker, a new file, had none.
    EXPECT_TRUE(log().startsWith(QStringLiteral("old line\n"))) << log().toStdString();
    EXPECT_TRUE(log().contains(QStringLiteral("Error escrivint ") + carpeta_ + QStringLiteral("autoUpdateIncomplet.log: No space left")))
        << log().toStdString() << errorsDisc;
    EXPECT_EQ(llegir(carpeta_ + QStringLiteral("autoUpdateIncomplet.log")), marcador);
    EXPECT_EQ(llegir(carpeta_ + QStringLiteral("inst_pendent.txt")), "old hand-over\n");
}

// The main program reads a line shorter than 25 characters as a name in the update folder.
TEST(ActualitzacioRutaCurta, AShortInstallerPathIsHandedOverAsItsName)
{
    QTemporaryDir arrel(QStringLiteral("/tmp/kuXXXXXX"));
    ASSERT_TRUE(arrel.isValid());
    const QString carpeta = arrel.path() + QStringLiteral("/u/");
    QDir().mkpath(carpeta);
    QDir().mkpath(arrel.path() + QStringLiteral("/p"));
    qputenv("KOVEL_PROGRAM_DIR", (arrel.path() + QStringLiteral("/p")).toUtf8());
    qputenv("KOVEL_MACHINE_REGISTRY", (arrel.path() + QStringLiteral("/m.reg")).toUtf8());
    writeBytes(arrel.path() + QStringLiteral("/p/LITER.UNI"), ModTraduccion::CodificarRegistre(QStringLiteral("1"), QStringLiteral("u")));
    writeBytes(arrel.path() + QStringLiteral("/p/autoUpdate.txt"), "v.txt\n");
    writeBytes(carpeta + QStringLiteral("autoUpdate.log"), "Sun, 01 Nov 2026 10:00:00 GMT\n");
    auto fitxers = std::make_shared<std::map<std::string, Fitxer>>();
    (*fitxers)["/v.txt"].contingut = "s.exe";
    (*fitxers)["/s.exe"].contingut = installable(8);
    ServidorProva servidor(proves::ServirFitxers(fitxers));
    ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("PATH_AutoUpdater"), carpeta);
    ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("Path"),
                        QStringLiteral("http://127.0.0.1:%1").arg(servidor.port()));
    ASSERT_LT((carpeta + QStringLiteral("s.exe")).size(), 25);
    EXPECT_EQ(ModAutoUpdate::UnaActualitzacio(), 0);
    EXPECT_EQ(llegir(carpeta + QStringLiteral("inst_pendent.txt")), "s.exe\n");
    EXPECT_EQ(servidor.peticions().front().cru.substr(0, 25), "GET /v.txt HTTP/1.1\r\nHost");
}

} // namespace
