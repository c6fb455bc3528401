// Host profiles, folders and files, the runtime log and the message routines without a
// display.
#include "common/Fitxers.h"
#include "common/HostProfile.h"
#include "common/ModTolvWiz.h"
#include "common/MsgBox.h"

#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>

TEST(HostProfile, EachProfileSetsItsHost)
{
    Word_espec::Inicialitzar();
    EXPECT_EQ(ProgramaOffice, "Word");
    Excel_espec::Inicialitzar();
    EXPECT_EQ(ProgramaOffice, "Excel");
    Access_espec::Inicialitzar();
    EXPECT_EQ(ProgramaOffice, "Access");
    kovel::EstablirHost(kovel::HostOffice::Cap);
}

TEST(Folders, TheTemporaryFolderIsMadeOnceUnderTheDataFolder)
{
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    EXPECT_EQ(fitxers::CarpetaAppData(), dir.path());
    EXPECT_EQ(fitxers::CarpetaDadesPerDefecte(), dir.path() + "/KOVEL Videvoviv/");

    CarpetaDades.clear();
    const QString tmp = directoris::DirectoriTmp();
    EXPECT_EQ(tmp, dir.path() + "/KOVEL Videvoviv/tmp");
    EXPECT_TRUE(QFileInfo(tmp).isDir());
    kovel::test::writeBytes(tmp + "/keep.docx", "x");
    EXPECT_EQ(directoris::DirectoriTmp(), tmp);
    EXPECT_TRUE(QFile::exists(tmp + "/keep.docx"));

    CarpetaDades = dir.path() + "/other/";
    EXPECT_EQ(directoris::DirectoriTmp(), dir.path() + "/other/tmp");
    CarpetaDades.clear();
    qputenv("XDG_DATA_HOME", saved);
}

TEST(Folders, FilesAreToldFromFoldersAndCopiedWhole)
{
    QTemporaryDir dir;
    const QString src = dir.path() + "/a.docx", dst = dir.path() + "/b.docx";
    kovel::test::writeBytes(src, QByteArray(200000, 'n'));
    EXPECT_TRUE(fitxers::EsFitxer(src));
    EXPECT_FALSE(fitxers::EsFitxer(dir.path()));
    EXPECT_FALSE(fitxers::EsFitxer(dir.path() + "/missing"));
    EXPECT_FALSE(fitxers::EsFitxer(""));

    kovel::test::writeBytes(dst, "old");
    EXPECT_FALSE(directoris::CopiaFitxer(dir.path() + "/missing.docx", dst));
    QFile d(dst);
    ASSERT_TRUE(d.open(QIODevice::ReadOnly));
    EXPECT_EQ(d.readAll(), "old");
    d.close();
    EXPECT_TRUE(directoris::CopiaFitxer(src, dst));
    EXPECT_EQ(QFileInfo(dst).size(), 200000);
    // A target folder that does not exist is a failure, not a success.
    EXPECT_FALSE(directoris::CopiaFitxer(src, dir.path() + "/no/such/folder/c.docx"));
}

TEST(RuntimeLog, LinesAreWrittenOnlyInLogModeAndInCallOrder)
{
    kovel::test::PrivateProfile profile;
    QDir().mkpath(profile.programDir());
    const QString log = profile.programDir() + "/Runtime.log";
    ModoLog = false;
    ModTolvWiz::Escribe_Log("not written");
    EXPECT_FALSE(QFile::exists(log));
    ModoLog = true;
    ModTolvWiz::Escribe_Log("first");
    ModTolvWiz::Escribe_Log("second");
    ModoLog = false;
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(": first"));
    EXPECT_TRUE(lines[1].endsWith(": second"));
    EXPECT_GT(lines[0].indexOf(": "), 8); // a date and a time come first
}

TEST(RuntimeLog, ProgramFolderEndsWithOneSlash)
{
    const QByteArray saved = qgetenv("KOVEL_PROGRAM_DIR");
    qputenv("KOVEL_PROGRAM_DIR", "/");
    EXPECT_EQ(ModTolvWiz::Carpeta_Programa(), "/");
    qputenv("KOVEL_PROGRAM_DIR", "/opt/Prog");
    EXPECT_EQ(ModTolvWiz::Carpeta_Programa(), "/opt/Prog/");
    qputenv("KOVEL_PROGRAM_DIR", saved);
}

TEST(Messages, TheAnswererSeesEveryMessageAndItsStyle)
{
    struct Seen { QString prompt; int style; QString title; };
    std::vector<Seen> seen;
    mod_rvtMsgBox::setAnswerer([&](const QString& p, std::int16_t s, const QString& t) {
        seen.push_back({p, s, t});
        return std::int16_t(seen.size() == 2 ? mod_rvtMsgBox::vbYes : mod_rvtMsgBox::vbNo);
    });
    int splashClosed = 0;
    static int* counter = nullptr;
    counter = &splashClosed;
    ModTolvWiz::setAbansDeMissatge([] { ++*counter; });
    ModTolvWiz::Mensaje_Error("wrong");
    EXPECT_TRUE(ModTolvWiz::Pregunta_SiNo("sure?"));
    EXPECT_FALSE(ModTolvWiz::Pregunta_SiNo("again?"));
    EXPECT_EQ(Portapapers::MissatgePopUp("pop", 0, ""), mod_rvtMsgBox::vbNo);
    ModTolvWiz::setAbansDeMissatge(nullptr);
    mod_rvtMsgBox::resetAnswerer();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].style, 48);
    EXPECT_EQ(seen[0].title, "KOVEL Videvoviv");
    EXPECT_EQ(seen[1].style, 36);
    EXPECT_EQ(seen[3].prompt, "pop");
    EXPECT_EQ(splashClosed, 3);
}

TEST(Messages, WithoutAPersonEveryBoxAnswersTheButtonThatCommitsToNothing)
{
    // No application object at all here: nothing can be shown.
    EXPECT_FALSE(mod_rvtMsgBox::PantallaUsable());
    for (bool sensePersona : {false, true}) {
        mod_rvtMsgBox::setSensePersona(sensePersona);
        EXPECT_EQ(mod_rvtMsgBox::rvtMsgBox("q", 36, "t"), mod_rvtMsgBox::vbNo);
        EXPECT_EQ(mod_rvtMsgBox::rvtMsgBox("q", 52, "t"), mod_rvtMsgBox::vbNo);
        EXPECT_EQ(mod_rvtMsgBox::rvtMsgBox("q", 3, "t"), mod_rvtMsgBox::vbCancel);
        EXPECT_EQ(mod_rvtMsgBox::rvtMsgBox("q", 1, "t"), mod_rvtMsgBox::vbCancel);
        EXPECT_EQ(mod_rvtMsgBox::rvtMsgBox("q", 48, "t"), mod_rvtMsgBox::vbOK);
        EXPECT_EQ(Portapapers::MissatgePopUp("p", 35, ""), mod_rvtMsgBox::vbCancel);
        EXPECT_EQ(Portapapers::MissatgePopUp("p", 0, ""), mod_rvtMsgBox::vbOK);
    }
    mod_rvtMsgBox::setSensePersona(false);
    // A test's answerer still comes first.
    mod_rvtMsgBox::setAnswerer([](const QString&, std::int16_t, const QString&) { return std::int16_t(6); });
    mod_rvtMsgBox::setSensePersona(true);
    EXPECT_EQ(mod_rvtMsgBox::rvtMsgBox("q", 36, "t"), mod_rvtMsgBox::vbYes);
    mod_rvtMsgBox::setSensePersona(false);
    mod_rvtMsgBox::resetAnswerer();
}
