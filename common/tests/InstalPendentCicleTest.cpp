// The whole update cycle on this machine: the update run downloads an installer from a
// loopback server and hands it over; the program's start-up offer runs it through the real
// instexec.sh and /bin/sh; the "program" started again records its command line.
#include "common/ModAutoUpdate2.h"
#include "common/ModReg.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/tests/TestSupport.h"
#include "updater/ModAutoUpdate.h"
#include "updater/ModAutoUpdateFuncions.h"
#include "updater/tests/ServidorProva.h"
#include "testsupport/Espera.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>

#include <gtest/gtest.h>

using kovel::test::writeBytes;

namespace {

class EntornQt : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char nom[] = "common_update_cycle_tests";
        static char* argv[] = {nom, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }
};
[[maybe_unused]] auto* const g_entorn = ::testing::AddGlobalTestEnvironment(new EntornQt);

QByteArray llegir(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The file appears whole: the stand-ins write it beside and rename it.
bool esperar(const QString& path)
{
    return kovel::test::EsperaFins([&] { return QFileInfo(path).isFile(); });
}

bool alfanumeric(unsigned c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Bytes that pass the update service's checksum: `cap` and a tail of two words of letters
// and digits whose exclusive OR balances the rest (a comment line in a script).
std::string equilibrat(QByteArray s)
{
    while (s.size() % 4)
        s += 'x';
    quint32 acc = 0;
    for (qsizetype i = 0; i < s.size(); i += 4)
        acc ^= qFromLittleEndian<quint32>(s.constData() + i);
    QByteArray a(4, '0'), b(4, '0');
    for (int k = 0; k < 4; ++k) {
        const unsigned v = (acc >> (8 * k)) & 0xFF;
        for (unsigned c = '0'; c <= 'z'; ++c)
            if (alfanumeric(c) && alfanumeric(c ^ v)) {
                a[k] = char(c);
                b[k] = char(c ^ v);
                break;
            }
    }
    s += a + b + "\n"; // one trailing byte is outside the checksum
    return s.toStdString();
}

std::string installadorSh(const QByteArray& cos) { return equilibrat("#!/bin/sh\n" + cos + "\n#"); }

class Cicle : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(arrel_.isValid());
        carpeta_ = arrel_.path() + QStringLiteral("/up d'ates/");
        programa_ = arrel_.path() + QStringLiteral("/prog 'x' $HOME");
        QDir().mkpath(carpeta_);
        QDir().mkpath(programa_);
        qputenv("KOVEL_PROGRAM_DIR", programa_.toUtf8());
        qputenv("KOVEL_MACHINE_REGISTRY", (arrel_.path() + QStringLiteral("/machine.reg")).toUtf8());
        writeBytes(programa_ + QStringLiteral("/LITER.UNI"),
                   ModTraduccion::CodificarRegistre(QStringLiteral("9000"), QStringLiteral("Install the new version now?")));
        writeBytes(programa_ + QStringLiteral("/autoUpdate.txt"), "versio.txt\r\n");
        writeBytes(carpeta_ + QStringLiteral("autoUpdate.log"), "Sun, 01 Nov 2026 10:00:00 GMT\r\nVersio: 6.0\r\n");

        const QString clau = ModReg::ClauProducte + QStringLiteral("AutoUpdate");
        ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau, QStringLiteral("PATH_AutoUpdater"), carpeta_);
        ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau, QStringLiteral("Path"),
                            QStringLiteral("http://127.0.0.1:%1/upd/").arg(servidor_.port()));
        ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clau, QStringLiteral("PeriodeComprovacio"), 1);
        ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clau, QStringLiteral("SegonsInactius"), 60);

        // The program started again: it writes down its command line.
        reiniciat_ = arrel_.path() + QStringLiteral("/restarted.txt");
        const QString fals = programa_ + QStringLiteral("/KovelAssist");
        const QByteArray desti = ModAutoUpdate2::CometesSh(reiniciat_).toUtf8();
        const QByteArray aPart = ModAutoUpdate2::CometesSh(reiniciat_ + QStringLiteral(".part")).toUtf8();
        writeBytes(fals, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > " + aPart + " && mv -- " + aPart + " " + desti + "\n");
        QFile(fals).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        entorn_.programa = fals;
        ModAutoUpdate2::setEntorn(entorn_);
        mod_rvtMsgBox::setAnswerer([this](const QString& prompt, std::int16_t, const QString&) {
            preguntes_ << prompt;
            return resposta_;
        });
    }
    void TearDown() override
    {
        ModAutoUpdate2::setEntorn({});
        mod_rvtMsgBox::resetAnswerer();
    }

    // The installer the server offers: records that it ran, then ends with `estat`.
    void servir(const std::string& nom, const std::string& contingut)
    {
        (*fitxers_)["/upd/versio.txt"].contingut = nom + "\r\n";
        (*fitxers_)["/upd/" + nom].contingut = contingut;
    }
    void servirInstallador(int estat)
    {
        installat_ = arrel_.path() + QStringLiteral("/installed.txt");
        servir("setup_kovel.run", installadorSh(
            "printf 'installed from %s\\n' \"$(pwd)\" > " + ModAutoUpdate2::CometesSh(installat_).toUtf8()
            + "\nexit " + QByteArray::number(estat)));
    }

    // The program that offered the update, as the script sees it: a process of `segons`.
    void programaQueAcaba(int segons)
    {
        qint64 pid = 0;
        ASSERT_TRUE(QProcess::startDetached(QStringLiteral("sleep"), {QString::number(segons)}, QString(), &pid));
        entorn_.pid = pid;
        ModAutoUpdate2::setEntorn(entorn_);
    }

    QTemporaryDir arrel_;
    ModAutoUpdate2::Entorn entorn_;
    QString carpeta_, programa_, reiniciat_, installat_;
    QStringList preguntes_;
    std::int16_t resposta_ = mod_rvtMsgBox::vbYes;
    std::shared_ptr<std::map<std::string, proves::Fitxer>> fitxers_ = std::make_shared<std::map<std::string, proves::Fitxer>>();
    proves::ServidorProva servidor_{proves::ServirFitxers(fitxers_)};
};

} // namespace

TEST_F(Cicle, ASuccessfulInstallRestartsTheProgramAndEndsTheOffer)
{
    servirInstallador(0);
    ASSERT_EQ(ModAutoUpdate::UnaActualitzacio(), 0);
    ASSERT_TRUE(QFile::exists(carpeta_ + QStringLiteral("inst_pendent.txt")));
    ASSERT_FALSE(QFile::exists(carpeta_ + QStringLiteral("autoUpdateIncomplet.log")));

    // The script waits for the program that offered the update to end.
    programaQueAcaba(1);
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(ModAutoUpdate2::ExecutarInstalPendent(QStringLiteral("Excel")));
    EXPECT_EQ(preguntes_, QStringList{QStringLiteral("Install the new version now?")});
    ASSERT_TRUE(esperar(reiniciat_)) << "the program was not started again";
    EXPECT_GE(t.elapsed(), 900);
    EXPECT_EQ(llegir(installat_), "installed from " + QFileInfo(carpeta_).canonicalFilePath().toUtf8() + "\n");
    EXPECT_EQ(llegir(reiniciat_), "1\n/E\n");
    EXPECT_FALSE(QFile::exists(carpeta_ + QStringLiteral("instexec.sh")));
    EXPECT_FALSE(QFile::exists(carpeta_ + QStringLiteral("inst_pendent.txt")));

    // The program that starts again offers nothing more.
    EXPECT_FALSE(ModAutoUpdate2::ExecutarInstalPendent(QStringLiteral("Excel")));
    EXPECT_EQ(preguntes_.size(), 1);
}

TEST_F(Cicle, AFailedInstallKeepsTheOfferForTheNextStart)
{
    servirInstallador(3);
    ASSERT_EQ(ModAutoUpdate::UnaActualitzacio(), 0);
    programaQueAcaba(0);
    QThread::msleep(100);
    ASSERT_TRUE(ModAutoUpdate2::ExecutarInstalPendent(QStringLiteral("Word")));
    ASSERT_TRUE(esperar(reiniciat_));
    EXPECT_TRUE(QFile::exists(installat_));
    EXPECT_EQ(llegir(reiniciat_), "1\n/W\n");
    EXPECT_FALSE(QFile::exists(carpeta_ + QStringLiteral("instexec.sh")));
    EXPECT_TRUE(QFile::exists(carpeta_ + QStringLiteral("inst_pendent.txt")));

    resposta_ = mod_rvtMsgBox::vbNo;
    EXPECT_FALSE(ModAutoUpdate2::ExecutarInstalPendent(QStringLiteral("Word")));
    EXPECT_EQ(preguntes_.size(), 2);
}

// A Debian package goes to the package manager: here a stand-in for pkexec that writes
// down what it was asked to run and where.
TEST_F(Cicle, APackageIsInstalledThroughThePackageManager)
{
    servir("kovel_6.1_amd64.deb", equilibrat("!<arch>\ndebian-binary   1700000000  0     0     100644  4         `\n2.0\n"));
    ASSERT_EQ(ModAutoUpdate::UnaActualitzacio(), 0);
    const QString pkexec = arrel_.path() + QStringLiteral("/pkexec");
    installat_ = arrel_.path() + QStringLiteral("/installed.txt");
    writeBytes(pkexec, "#!/bin/sh\n{ pwd; printf '%s\\n' \"$@\"; } > " + ModAutoUpdate2::CometesSh(installat_).toUtf8() + "\n");
    QFile(pkexec).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    entorn_.cercarExecutable = [&](const QString& nom) { return nom == u"pkexec" ? pkexec : QString(); };
    programaQueAcaba(0);

    ASSERT_TRUE(ModAutoUpdate2::ExecutarInstalPendent(QStringLiteral("Access")));
    ASSERT_TRUE(esperar(reiniciat_));
    EXPECT_EQ(llegir(installat_), QFileInfo(carpeta_).canonicalFilePath().toUtf8()
                                      + "\napt-get\ninstall\n--yes\n--no-remove\n./kovel_6.1_amd64.deb\n");
    EXPECT_EQ(llegir(reiniciat_), "1\n/A\n");
    EXPECT_FALSE(QFile::exists(carpeta_ + QStringLiteral("inst_pendent.txt")));
    EXPECT_FALSE(QFile::exists(carpeta_ + QStringLiteral("instexec.sh")));
}
