// The start-up offer of a downloaded installer: the settings and log it reads, which
// hand-overs it accepts, the script it writes and what it starts for each kind of installer.
#include "common/ModAutoUpdate2.h"
#include "common/ModReg.h"
#include "common/MsgBox.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using kovel::test::writeBytes;

namespace {

QString clau() { return ModReg::ClauProducte + QStringLiteral("AutoUpdate"); }

QByteArray llegir(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Inici {
    QString programa;
    QStringList arguments;
    QString carpeta;
};

class Oferta : public ::testing::Test {
protected:
    void SetUp() override
    {
        carpeta_ = perfil_.dir.path() + QStringLiteral("/upd/");
        QDir().mkpath(carpeta_);
        QDir().mkpath(perfil_.programDir());
        ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("PATH_AutoUpdater"), carpeta_);
        ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), QStringLiteral("Path"), QStringLiteral("http://upd.example/"));
        ModAutoUpdate2::Entorn e;
        e.iniciar = [this](const QString& p, const QStringList& a, const QString& c) {
            inicis_.push_back({p, a, c});
            return true;
        };
        e.cercarExecutable = [this](const QString& nom) { return programesPath_.contains(nom) ? "/usr/bin/" + nom : QString(); };
        e.programa = QStringLiteral("/opt/kovel/KovelAssist");
        e.pid = 4321;
        ModAutoUpdate2::setEntorn(e);
        mod_rvtMsgBox::setAnswerer([this](const QString& prompt, std::int16_t style, const QString& title) {
            ++preguntes_;
            EXPECT_EQ(style, 36);
            EXPECT_EQ(title, "KOVEL Videvoviv");
            (void)prompt;
            return resposta_;
        });
    }
    void TearDown() override
    {
        ModAutoUpdate2::setEntorn({});
        mod_rvtMsgBox::resetAnswerer();
    }

    void lliurar(const QString& nom, const QByteArray& contingut, const QByteArray& linia = {})
    {
        writeBytes(carpeta_ + nom, contingut);
        writeBytes(carpeta_ + "inst_pendent.txt", (linia.isEmpty() ? nom.toUtf8() : linia) + '\n');
    }
    std::optional<ModAutoUpdate2::Pendent> pendent(QString* motiu = nullptr)
    {
        ModAutoUpdate2::LlegirConfiguracio();
        return ModAutoUpdate2::InstalladorPendent(motiu);
    }

    kovel::test::PrivateProfile perfil_;
    QString carpeta_;
    std::vector<Inici> inicis_;
    QStringList programesPath_{QStringLiteral("pkexec"), QStringLiteral("xdg-open")};
    int preguntes_ = 0;
    std::int16_t resposta_ = mod_rvtMsgBox::vbYes;
};

const QByteArray kGuio = "#!/bin/sh\necho installed\n";
const QByteArray kDeb = "!<arch>\ndebian-binary   1700000000  0     0     100644  4         `\n2.0\n";

} // namespace

TEST_F(Oferta, SettingsIdentifierAndVersionOfTheLog)
{
    ModAutoUpdate2::LlegirConfiguracio();
    EXPECT_EQ(ModAutoUpdate2::RutaActualitzador(), carpeta_);
    EXPECT_TRUE(ModAutoUpdate2::ActualitzacioActiva());
    ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), "PATH_AutoUpdater", "C:\\Upd");
    ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), "Path", "");
    ModAutoUpdate2::LlegirConfiguracio();
    EXPECT_EQ(ModAutoUpdate2::RutaActualitzador(), "C:/Upd/");
    EXPECT_FALSE(ModAutoUpdate2::ActualitzacioActiva());
    EXPECT_FALSE(ModAutoUpdate2::ExecutarInstalPendent("Word"));
    EXPECT_EQ(preguntes_, 0);

    // The identifier is kept whole, beyond 16 bits and beyond the signed range.
    EXPECT_EQ(ModAutoUpdate2::LlegirEstadistiquesLID(), 0u);
    for (std::uint32_t lid : {7u, 70000u, 4000000000u}) {
        ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clau(), "estadistiques_LID", std::int32_t(lid));
        EXPECT_EQ(ModAutoUpdate2::LlegirEstadistiquesLID(), lid);
    }

    ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau(), "PATH_AutoUpdater", carpeta_);
    ModAutoUpdate2::LlegirConfiguracio();
    EXPECT_EQ(ModAutoUpdate2::VersioDelLog(), ""); // no log
    const std::pair<QByteArray, QString> casos[] = {
        {"Sun, 01 Nov 2026 10:00:00 GMT\r\nVersio:   6.4.1 beta\r\nVersio: 7\r\n", "6.4.1 beta"},
        {"Sun, 01 Nov 2026 10:00:00 GMT\nVersio:\n", ""},
        {"date\r\nnothing here\r\n", ""},
        {"x Versio:6.0 ", "6.0 "},
        {"versio: 6.0\n", ""}, // the key is compared exactly
    };
    for (const auto& [log, versio] : casos) {
        writeBytes(carpeta_ + "autoUpdate.log", log);
        EXPECT_EQ(ModAutoUpdate2::VersioDelLog(), versio) << log.constData();
    }
}

TEST_F(Oferta, TheHandOverNamesAFileOrGivesAPath)
{
    EXPECT_EQ(ModAutoUpdate2::RutaInstallador("setup.exe", "C:/Upd/"), "C:/Upd/setup.exe");
    EXPECT_EQ(ModAutoUpdate2::RutaInstallador("a_rather_long_installer_name_v6.run", "/upd/"),
              "/upd/a_rather_long_installer_name_v6.run");
    // A short absolute path is a path, not a name to put the folder before.
    EXPECT_EQ(ModAutoUpdate2::RutaInstallador("/u/s.run", "/upd/"), "/u/s.run");
    EXPECT_EQ(ModAutoUpdate2::RutaInstallador("\\u\\s.run", "/upd/"), "/u/s.run");

    lliurar("s.run", kGuio, (carpeta_ + "s.run").toUtf8());
    ASSERT_LT(carpeta_.size() + 5, 200);
    auto p = pendent();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->installador, QFileInfo(carpeta_ + "s.run").canonicalFilePath());
    EXPECT_EQ(p->tipus, ModAutoUpdate2::TipusInstallador::Executable);

    lliurar("kovel_6.1.deb", kDeb);
    p = pendent();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->tipus, ModAutoUpdate2::TipusInstallador::PaquetDebian);
    lliurar("elf", QByteArray("\x7F" "ELF\x02\x01\x01", 7) + QByteArray(100, '\0'));
    EXPECT_TRUE(pendent());
}

TEST_F(Oferta, OnlyACompleteInstallerOfTheUpdateFolderIsOffered)
{
    QTemporaryDir fora;
    writeBytes(fora.path() + "/evil.run", kGuio);
    QString motiu;

    EXPECT_FALSE(pendent(&motiu)); // no hand-over
    lliurar("setup.run", kGuio);
    ASSERT_TRUE(pendent());

    writeBytes(carpeta_ + "autoUpdateIncomplet.log", "Mon, 07 Dec 2026 21:25:49 GMT - 07/12/2026 22:00:00\n");
    EXPECT_FALSE(pendent(&motiu));
    EXPECT_TRUE(motiu.contains("autoUpdateIncomplet.log"));
    QFile::remove(carpeta_ + "autoUpdateIncomplet.log");

    const std::pair<QByteArray, const char*> refusats[] = {
        {(fora.path() + "/evil.run").toUtf8(), "a file outside the folder"},
        {"../evil.run", "a way out of the folder"},
        {"missing.run", "a missing file"},
        {"sub", "a folder"},
        {"sub/inner.run", "a file of a subfolder"},
        {"inst_pendent.txt", "the hand-over itself"},
        {"link.run", "a link that leads out"},
        {"notes.txt", "a file that is no installer"},
        {"", "an empty line"},
    };
    QDir().mkpath(carpeta_ + "sub");
    writeBytes(carpeta_ + "sub/inner.run", kGuio);
    writeBytes(perfil_.dir.path() + "/evil.run", kGuio);
    QFile::link(fora.path() + "/evil.run", carpeta_ + "link.run");
    writeBytes(carpeta_ + "notes.txt", "just text\n");
    for (const auto& [linia, cas] : refusats) {
        writeBytes(carpeta_ + "inst_pendent.txt", linia + "\n");
        EXPECT_FALSE(pendent(&motiu)) << cas;
        EXPECT_FALSE(motiu.isEmpty()) << cas;
    }
    // A link to an installer that is in the folder is that installer.
    QFile::link(carpeta_ + "setup.run", carpeta_ + "current.run");
    writeBytes(carpeta_ + "inst_pendent.txt", "current.run\n");
    ASSERT_TRUE(pendent());
    EXPECT_EQ(pendent()->installador, QFileInfo(carpeta_ + "setup.run").canonicalFilePath());

    writeBytes(carpeta_ + "inst_pendent.txt", "sub/inner.run\n");
    EXPECT_FALSE(ModAutoUpdate2::ExecutarInstalPendent("Word"));
    EXPECT_EQ(preguntes_, 0);
    EXPECT_TRUE(inicis_.empty());
}

TEST_F(Oferta, NoStartsNothingAndTheProgramGoesOn)
{
    lliurar("setup.run", kGuio);
    resposta_ = mod_rvtMsgBox::vbNo;
    EXPECT_FALSE(ModAutoUpdate2::ExecutarInstalPendent("Excel"));
    EXPECT_EQ(preguntes_, 1);
    EXPECT_TRUE(inicis_.empty());
    EXPECT_FALSE(QFile::exists(carpeta_ + "instexec.sh"));
    EXPECT_TRUE(QFile::exists(carpeta_ + "inst_pendent.txt"));
}

TEST_F(Oferta, YesWritesTheScriptAndStartsItDetached)
{
    lliurar("setup.run", kGuio);
    ASSERT_FALSE(QFileInfo(carpeta_ + "setup.run").isExecutable());
    EXPECT_TRUE(ModAutoUpdate2::ExecutarInstalPendent("Excel"));
    ASSERT_EQ(inicis_.size(), 1u);
    EXPECT_EQ(inicis_[0].programa, "/bin/sh");
    EXPECT_EQ(inicis_[0].arguments, QStringList{carpeta_ + "instexec.sh"});
    EXPECT_EQ(inicis_[0].carpeta, carpeta_);
    // The downloaded program may be run.
    EXPECT_TRUE(QFileInfo(carpeta_ + "setup.run").isExecutable());
    const QString real = QFileInfo(carpeta_ + "setup.run").canonicalFilePath();
    const QString c = carpeta_;
    EXPECT_EQ(QString::fromUtf8(llegir(carpeta_ + "instexec.sh")),
              "#!/bin/sh\n"
              "# Installs the update of KOVEL Videvoviv, then starts the program again.\n"
              "rm -f -- '" + c + "instexec.sh'\n"
              "n=0\n"
              "while kill -0 4321 2>/dev/null && [ $n -lt 30 ]; do sleep 1; n=$((n + 1)); done\n"
              "if cd -- '" + c + "' && '" + real + "'; then\n"
              "    rm -f -- '" + c + "inst_pendent.txt'\n"
              "fi\n"
              "exec '/opt/kovel/KovelAssist' '/E'\n");

    // A script left by a run that was cut short is never written through: the installer is
    // started on its own.
    inicis_.clear();
    writeBytes(carpeta_ + "instexec.sh", "echo stale\n");
    EXPECT_TRUE(ModAutoUpdate2::ExecutarInstalPendent("Word"));
    ASSERT_EQ(inicis_.size(), 1u);
    EXPECT_EQ(inicis_[0].programa, real);
    EXPECT_TRUE(inicis_[0].arguments.isEmpty());
    EXPECT_EQ(llegir(carpeta_ + "instexec.sh"), "echo stale\n");
}

TEST_F(Oferta, ScriptOfEachHostAndQuotingForTheShell)
{
    EXPECT_EQ(ModAutoUpdate2::InterruptorHost("Word"), "/W");
    EXPECT_EQ(ModAutoUpdate2::InterruptorHost("Excel"), "/E");
    EXPECT_EQ(ModAutoUpdate2::InterruptorHost("Access"), "/A");
    EXPECT_EQ(ModAutoUpdate2::InterruptorHost("word"), "");
    EXPECT_EQ(ModAutoUpdate2::InterruptorHost(""), "");
    EXPECT_EQ(ModAutoUpdate2::CometesSh("it's $(x) `y` \"z\""), "'it'\\''s $(x) `y` \"z\"'");

    const QByteArray g = ModAutoUpdate2::GuioInstexec({"/u p/i.run"}, "/u p/", "/o'p/KovelAssist", "", 1);
    EXPECT_TRUE(g.endsWith("exec '/o'\\''p/KovelAssist'\n")) << g.constData(); // no host: no switch
}

TEST_F(Oferta, PackagesGoToThePackageManagerOrTheDesktop)
{
    lliurar("kovel_6.1_amd64.deb", kDeb);
    EXPECT_TRUE(ModAutoUpdate2::ExecutarInstalPendent("Access"));
    const QString guio = QString::fromUtf8(llegir(carpeta_ + "instexec.sh"));
    EXPECT_TRUE(guio.contains("if cd -- '" + carpeta_
                              + "' && '/usr/bin/pkexec' 'apt-get' 'install' '--yes' '--no-remove' './kovel_6.1_amd64.deb'; then\n"))
        << qPrintable(guio);
    EXPECT_TRUE(guio.endsWith("exec '/opt/kovel/KovelAssist' '/A'\n"));

    const auto p = pendent();
    ASSERT_TRUE(p);
    programesPath_ = {"xdg-open"};
    EXPECT_EQ(ModAutoUpdate2::OrdreInstallacio(*p), (QStringList{"/usr/bin/xdg-open", "./kovel_6.1_amd64.deb"}));
    // Nothing on this system installs a package: no offer.
    programesPath_.clear();
    EXPECT_TRUE(ModAutoUpdate2::OrdreInstallacio(*p).isEmpty());
    QFile::remove(carpeta_ + "instexec.sh");
    inicis_.clear();
    EXPECT_FALSE(ModAutoUpdate2::ExecutarInstalPendent("Access"));
    EXPECT_TRUE(inicis_.empty());
    EXPECT_EQ(preguntes_, 1);
}

TEST_F(Oferta, AFailedStartLeavesNoScriptAndTheProgramGoesOn)
{
    lliurar("setup.run", kGuio);
    ModAutoUpdate2::Entorn e;
    e.iniciar = [](const QString&, const QStringList&, const QString&) { return false; };
    e.programa = "/opt/kovel/KovelAssist";
    ModAutoUpdate2::setEntorn(e);
    EXPECT_FALSE(ModAutoUpdate2::ExecutarInstalPendent("Word"));
    EXPECT_FALSE(QFile::exists(carpeta_ + "instexec.sh"));
    EXPECT_TRUE(QFile::exists(carpeta_ + "inst_pendent.txt"));
}
