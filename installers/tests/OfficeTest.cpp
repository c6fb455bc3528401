// The three installers against LibreOffice itself: each host's package is deployed into a
// fresh user installation, listed by unopkg, its macro run headless starts a stand-in
// program that records its command line and environment, and removal takes it out again.
// unopkg refuses per-user work as root, so as root every office command runs as "nobody"
// with a private home.
#include "installers/Instalador.h"
#include "platform/office/Office.h"
#include "platform/office/Paquet.h"
#include "testsupport/Espera.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <iostream>
#include <memory>

using kovel::office::Host;

namespace {

struct Sortida {
    int code = -1;
    QString out;
    QString err;
    qint64 ms = 0;
};

class Office : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (QStandardPaths::findExecutable("soffice").isEmpty() || QStandardPaths::findExecutable("unopkg").isEmpty())
            return;
        root_ = new QTemporaryDir(QDir::tempPath() + "/kovel-office-XXXXXX");
        ASSERT_TRUE(root_->isValid());
        const QString r = root_->path();
        prog_ = r + "/prog dir";
        for (const char* d : {"/prog dir", "/home", "/runtime", "/cwd", "/pictures", "/work books", "/locked profile"})
            ASSERT_TRUE(QDir().mkpath(r + d));
        for (const char* f : {"InstKovel00", "InstKovelE00", "InstKovelA00", "Literales.dat"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(KOVEL_PROGRAM_DIR "/") + f, prog_ + "/" + f)) << f;
        writeFile(prog_ + "/KovelAssist",
                  "#!/bin/sh\n"
                  "{ for a in \"$@\"; do echo \"ARG=$a\"; done\n"
                  "  echo \"WB=${KOVEL_ACTIVE_WORKBOOK-<unset>}\"; echo ---; } >> \"$(dirname \"$0\")/record.txt\"\n");
        QFile::setPermissions(prog_ + "/KovelAssist", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                          | QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
        QFile::setPermissions(r, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther
                                     | QFile::ReadGroup | QFile::ExeGroup);
        if (geteuid() == 0) {
            const passwd* pw = getpwnam("nobody");
            ASSERT_NE(pw, nullptr) << "no user nobody to drop to";
            uid_ = pw->pw_uid;
            gid_ = pw->pw_gid;
            QProcess chown;
            chown.start("chown", {"-R", QString("%1:%2").arg(uid_).arg(gid_), r});
            ASSERT_TRUE(chown.waitForFinished() && chown.exitCode() == 0);
        }
        QFile::setPermissions(r + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // A profile folder nobody may write into.
        QFile::setPermissions(r + "/locked profile", QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    }
    static void TearDownTestSuite()
    {
        delete root_;
        root_ = nullptr;
    }
    void SetUp() override
    {
        if (!root_)
            GTEST_SKIP() << "LibreOffice (soffice, unopkg) is not installed";
        QFile::remove(prog_ + "/record.txt");
    }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
        f.write(bytes);
    }
    static QByteArray readFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Runs a program as the test's office user with a private home and the given profile.
    static Sortida run(const QString& program, const QStringList& args, const QString& profile,
                       const QStringList& extraEnv = {}, const QString& cwd = {}, int timeoutMs = 60000)
    {
        const QString r = root_->path();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* v : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "KOVEL_ACTIVE_WORKBOOK", "SAL_USE_VCLPLUGIN"})
            env.remove(v);
        env.insert("HOME", r + "/home");
        env.insert("XDG_RUNTIME_DIR", r + "/runtime");
        env.insert("KOVEL_PROGRAM_DIR", prog_);
        env.insert("KOVEL_OFFICE_PROFILE", profile);
        env.insert("KOVEL_USER_REGISTRY", r + "/home/user.reg");
        env.insert("KOVEL_MACHINE_REGISTRY", r + "/home/machine.reg");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        for (const QString& e : extraEnv)
            env.insert(e.section('=', 0, 0), e.section('=', 1));
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(cwd.isEmpty() ? r + "/cwd" : cwd);
        p.setStandardInputFile(QProcess::nullDevice());
        QStringList all = args;
        QString exe = program;
        if (geteuid() == 0) {
            all = QStringList{QString("--reuid=%1").arg(uid_), QString("--regid=%1").arg(gid_), "--clear-groups", "--", program} + args;
            exe = "setpriv";
        }
        QElapsedTimer t;
        t.start();
        p.start(exe, all);
        Sortida s;
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
            s.err = "timed out";
            return s;
        }
        s.ms = t.elapsed();
        s.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        s.out = QString::fromLocal8Bit(p.readAllStandardOutput());
        s.err = QString::fromLocal8Bit(p.readAllStandardError());
        return s;
    }
    static QString url(const QString& profile) { return kovel::office::Profile{profile}.url(); }
    // How many times unopkg lists the package in the profile.
    static int listed(const QString& profile, Host host)
    {
        const QString id = QLatin1String(kovel::office::names(host).identifier);
        const Sortida s = run("unopkg", {"list", "-env:UserInstallation=" + url(profile)}, profile);
        EXPECT_EQ(s.code, 0) << qPrintable(s.out + s.err);
        return int(s.out.count("Identifier: " + id));
    }
    static Sortida macro(const QString& profile, const QString& script, const QStringList& env = {})
    {
        return run("soffice", {"--headless", "--norestore", "-env:UserInstallation=" + url(profile), script}, profile,
                   env, {}, 120000);
    }
    // Deploys a test-only Basic library "KovelProva" with the module "Prova" into the profile.
    static void installHelper(const QString& profile, const QString& basic)
    {
        const QString lib = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE library:library PUBLIC \"-//OpenOffice.org//DTD OfficeDocument 1.0//EN\" \"library.dtd\">\n"
                            "<library:library xmlns:library=\"http://openoffice.org/2000/library\" library:name=\"KovelProva\" library:readonly=\"true\" library:passwordprotected=\"false\">";
        const kovel::office::Fitxers helper = {
            {"META-INF/manifest.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<manifest:manifest xmlns:manifest=\"http://openoffice.org/2001/manifest\">"
                                      "<manifest:file-entry manifest:full-path=\"KovelProva/\" manifest:media-type=\"application/vnd.sun.star.basic-library\"/></manifest:manifest>\n"},
            {"description.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<description xmlns=\"http://openoffice.org/extensions/description/2006\">"
                                "<identifier value=\"com.kovelsystems.videvoviv.testhelper\"/><version value=\"1\"/></description>\n"},
            {"KovelProva/script.xlb", (lib + "<library:element library:name=\"Prova\"/></library:library>\n").toUtf8()},
            {"KovelProva/dialog.xlb", (lib + "</library:library>\n").toUtf8()},
            {"KovelProva/Prova.xba", ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE script:module PUBLIC \"-//OpenOffice.org//DTD OfficeDocument 1.0//EN\" \"module.dtd\">\n"
                                      "<script:module xmlns:script=\"http://openoffice.org/2000/script\" script:name=\"Prova\" script:language=\"StarBasic\">"
                                      + basic.toHtmlEscaped() + "</script:module>\n").toUtf8()},
        };
        const QString helperFile = root_->path() + "/home/helper.oxt";
        QString error;
        ASSERT_TRUE(kovel::office::writeZip(helperFile, helper, &error)) << qPrintable(error);
        QFile::setPermissions(helperFile, QFile::ReadOwner | QFile::ReadOther | QFile::ReadGroup | QFile::WriteOwner);
        const Sortida add = run("unopkg", {"add", "-f", "-s", "-env:UserInstallation=" + url(profile), helperFile}, profile);
        ASSERT_EQ(add.code, 0) << qPrintable(add.out + add.err);
    }
    static QString helperUrl(const char* macro)
    {
        return QStringLiteral("vnd.sun.star.script:KovelProva.Prova.%1?language=Basic&location=application").arg(QLatin1String(macro));
    }
    // The small button picture of the host's package as deployed in the profile.
    static QImage deployedFace(const QString& profile, Host host)
    {
        const QString oxt = QLatin1String(kovel::office::names(host).identifier) + ".oxt";
        QDirIterator it(profile + "/user/uno_packages", {"face16.png"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            if (f.contains("/" + oxt + "/"))
                return QImage(f);
        }
        return {};
    }
    // The records the stand-in program left, one text per start ("ARG=/E WB=..."), sorted:
    // the macro starts the program without waiting, so two starts may finish in any order.
    static QStringList records(int expected)
    {
        // The starts are not waited for: each is awaited by what it writes.
        kovel::test::EsperaFins([&] { return readFile(prog_ + "/record.txt").count("---\n") >= expected; });
        QStringList out;
        QStringList current;
        for (const QString& line : QString::fromUtf8(readFile(prog_ + "/record.txt")).split('\n', Qt::SkipEmptyParts)) {
            if (line == "---") {
                out << current.join(' ');
                current.clear();
            } else {
                current << line;
            }
        }
        out.sort();
        return out;
    }
    static void report(const char* host, qint64 installMs, qint64 removeMs)
    {
        // Most of it is unopkg; the 3 s aimed at is for a machine with nothing else to do.
        std::cout << "[ timing ] " << host << ": install " << installMs << " ms, remove " << removeMs << " ms\n";
    }

    static inline QTemporaryDir* root_ = nullptr;
    static inline QString prog_;
    static inline uid_t uid_ = 0;
    static inline gid_t gid_ = 0;
};

TEST_F(Office, WriterEntryIsInstalledOnceRunsWithItsSwitchAndIsRemoved)
{
    const QString profile = root_->path() + "/profile writer";
    const QString inst = prog_ + "/InstKovel00";
    const Sortida in = run(inst, {"/i"}, profile);
    ASSERT_EQ(in.code, 0) << qPrintable(in.err);
    EXPECT_EQ(listed(profile, Host::Writer), 1);
    ASSERT_EQ(run(inst, {"/I"}, profile).code, 0);
    EXPECT_EQ(listed(profile, Host::Writer), 1);
    // A switch it does not know changes nothing.
    EXPECT_EQ(run(inst, {"/X"}, profile).code, 0);
    EXPECT_EQ(listed(profile, Host::Writer), 1);

    // LibreOffice's configuration holds the merges as the package gives them (a package
    // whose .xcu it cannot read still lists as registered), and the picture loads; then the
    // entry's macro runs.
    const QString id = QLatin1String(kovel::office::names(Host::Writer).identifier);
    const QString mergesFile = root_->path() + "/home/merges.txt";
    installHelper(profile,
                  "Sub Merges\n"
                  "    Dim a(0) As New com.sun.star.beans.PropertyValue\n"
                  "    a(0).Name = \"nodepath\" : a(0).Value = \"/org.openoffice.Office.Addons/AddonUI\"\n"
                  "    oUI = createUnoService(\"com.sun.star.configuration.ConfigurationProvider\")"
                  ".createInstanceWithArguments(\"com.sun.star.configuration.ConfigurationAccess\", a())\n"
                  "    oM = oUI.getByName(\"OfficeMenuBarMerging\").getByName(\"" + id + "\").getByName(\"ToolsCommand\")\n"
                  "    oMI = oM.MenuItems.getByName(\"KovelAssistant\")\n"
                  "    oT = oUI.getByName(\"OfficeToolbarMerging\").getByName(\"" + id + "\").getByName(\"StandardButton\")\n"
                  "    oTI = oT.ToolBarItems.getByName(\"BtnKovelAssistant\")\n"
                  "    oI = oUI.getByName(\"Images\").getByName(\"" + id + ".face\")\n"
                  "    Dim g(0) As New com.sun.star.beans.PropertyValue\n"
                  "    g(0).Name = \"URL\" : g(0).Value = oI.UserDefinedImages.ImageSmallURL\n"
                  "    oG = createUnoService(\"com.sun.star.graphic.GraphicProvider\").queryGraphic(g())\n"
                  "    f = FreeFile\n"
                  "    Open Environ(\"KOVEL_TEST_OUT\") For Output As #f\n"
                  "    Print #f, oM.MergePoint & \"|\" & oM.MergeCommand & \"|\" & oM.MergeFallback & \"|\" & oMI.Title & \"|\" & oMI.URL\n"
                  "    Print #f, oT.MergeToolBar & \"|\" & oT.MergePoint & \"|\" & oT.MergeCommand & \"|\" & oT.MergeFallback & \"|\" & oTI.Title\n"
                  "    Print #f, (oI.URL = oMI.URL) & \"|\" & oG.SizePixel.Width & \"x\" & oG.SizePixel.Height\n"
                  "    Close #f\n"
                  "    CreateUnoService(\"com.sun.star.script.provider.MasterScriptProviderFactory\").createScriptProvider(\"\")"
                  ".getScript(\"" + kovel::office::scriptUrl(Host::Writer) + "\").invoke(Array(), Array(), Array())\n"
                  "End Sub\n");
    const Sortida m = macro(profile, helperUrl("Merges"), {"KOVEL_TEST_OUT=" + mergesFile});
    EXPECT_EQ(m.code, 0) << qPrintable(m.err);
    const QStringList lines = QString::fromUtf8(readFile(mergesFile)).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << qPrintable(m.err);
    EXPECT_EQ(lines[0], ".uno:ToolsMenu\\.uno:MacrosMenu|AddBefore|AddPath|KOVEL Videvoviv labels…|"
                            + kovel::office::scriptUrl(Host::Writer));
    EXPECT_EQ(lines[1], "standardbar|.uno:Zoom|AddBefore|AddLast|KOVEL Videvoviv label assistant");
    EXPECT_EQ(lines[2], "True|16x16");
    const auto rec = records(1);
    EXPECT_EQ(rec.join('|'), QStringLiteral("ARG=/W WB=<unset>"));

    const Sortida out = run(inst, {"/U"}, profile);
    EXPECT_EQ(out.code, 0) << qPrintable(out.err);
    EXPECT_EQ(listed(profile, Host::Writer), 0);
    // Removing what is not there (an empty line removes too) is quiet.
    const Sortida again = run(inst, {}, profile);
    EXPECT_EQ(again.code, 0);
    EXPECT_FALSE(again.err.contains("ERROR")) << qPrintable(again.err);
    report("Writer", in.ms, out.ms);
}

TEST_F(Office, CalcEntryPassesTheWorkbookAndRemovalDeletesOnlyItsOwnFiles)
{
    const QString r = root_->path();
    const QString profile = r + "/profile calc";
    const QString inst = prog_ + "/InstKovelE00";
    const QString notPicture = r + "/pictures/not a picture.bmp";
    writeFile(notPicture, "BM but no bitmap");
    // The switches the other way round, each path with blanks in it.
    const Sortida in = run(inst, {"/BITMAP:" + notPicture, "/PATH_EXE:" + prog_ + "/KovelAssist"}, profile);
    ASSERT_EQ(in.code, 0) << qPrintable(in.err);
    EXPECT_EQ(listed(profile, Host::Calc), 1);
    const QString ruta = profile + "/user/template/kovel_ruta.dat";
    EXPECT_EQ(readFile(ruta), "\"" + prog_.toUtf8() + "/\"\r\n");
    ASSERT_EQ(run(inst, {"/path_exe:\"" + prog_ + "/KovelAssist\" /bitmap:\"" + notPicture + "\""}, profile).code, 0);
    EXPECT_EQ(listed(profile, Host::Calc), 1);
    // A picture that cannot be read gives the button the default one.
    kovel::office::EntryPoint plain;
    plain.host = Host::Calc;
    for (const auto& [name, bytes] : kovel::office::packageFiles(plain))
        if (name == "images/face16.png") {
            const QImage deployed = deployedFace(profile, Host::Calc);
            ASSERT_FALSE(deployed.isNull());
            EXPECT_EQ(deployed, QImage::fromData(bytes, "PNG"));
        }
    // An empty command line removes nothing here.
    EXPECT_EQ(run(inst, {}, profile).code, 0);
    EXPECT_EQ(listed(profile, Host::Calc), 1);

    // Headless, a workbook never becomes the current document, so a helper macro loads one
    // and hands it to the entry's own routine; then the entry's macro runs without one.
    const QString book = r + "/work books/my book.csv";
    writeFile(book, "a,b\n1,2\n");
    const QString calcLib = QLatin1String(kovel::office::names(Host::Calc).library);
    const QString module = QLatin1String(kovel::office::names(Host::Calc).module);
    const QString basic =
        "Sub ObreICrida\n"
        "    Dim aArgs(0) As New com.sun.star.beans.PropertyValue\n"
        "    aArgs(0).Name = \"Hidden\" : aArgs(0).Value = True\n"
        "    oDoc = StarDesktop.loadComponentFromURL(ConvertToURL(Environ(\"KOVEL_TEST_WORKBOOK\")), \"_blank\", 0, aArgs())\n"
        "    oSP = createUnoService(\"com.sun.star.script.provider.MasterScriptProviderFactory\").createScriptProvider(\"\")\n"
        "    oSP.getScript(\"vnd.sun.star.script:" + calcLib + "." + module + ".KovelPerLlibre?language=Basic&location=application\")"
        ".invoke(Array(oDoc), Array(), Array())\n"
        "    oDoc.close(True)\n"
        "    oSP.getScript(\"" + kovel::office::scriptUrl(Host::Calc) + "\").invoke(Array(), Array(), Array())\n"
        "End Sub\n";
    installHelper(profile, basic);
    const Sortida m = macro(profile, helperUrl("ObreICrida"),
                            {"KOVEL_TEST_WORKBOOK=" + book, "KOVEL_ACTIVE_WORKBOOK=/inherited/must/not/pass"});
    EXPECT_EQ(m.code, 0) << qPrintable(m.err);
    const auto rec = records(2);
    EXPECT_EQ(rec.join('|'), "ARG=/E WB=" + book + "|ARG=/E WB=<unset>") << qPrintable(m.err);

    // Removal: the program folder that kovel_ruta.dat names and the working folder both
    // hold a file of the old add-in's name; neither is touched.
    writeFile(prog_ + "/KovelAss.xla", "kept");
    writeFile(r + "/cwd/KovelAss.xla", "kept");
    const Sortida out = run(inst, {"Custom"}, profile);
    EXPECT_EQ(out.code, 0) << qPrintable(out.err);
    EXPECT_EQ(listed(profile, Host::Calc), 0);
    EXPECT_FALSE(QFile::exists(ruta));
    EXPECT_TRUE(QFile::exists(prog_ + "/KovelAss.xla"));
    EXPECT_TRUE(QFile::exists(prog_ + "/KovelAssist"));
    const Sortida again = run(inst, {"Automatic"}, profile);
    EXPECT_EQ(again.code, 0);
    EXPECT_FALSE(again.err.contains("ERROR")) << qPrintable(again.err);
    EXPECT_TRUE(QFile::exists(r + "/cwd/KovelAss.xla"));
    report("Calc", in.ms, out.ms);
}

TEST_F(Office, BaseEntryStartsTheProgramWithTheDatabaseSwitch)
{
    const QString r = root_->path();
    const QString profile = r + "/profile base";
    const QString inst = prog_ + "/InstKovelA00";
    const QString picture = r + "/pictures/face one.png";
    QImage face(32, 32, QImage::Format_RGB32);
    face.fill(Qt::darkGreen);
    ASSERT_TRUE(face.save(picture, "PNG"));
    const Sortida in = run(inst, {"\"/PATH_EXE:" + prog_ + "/KovelAssist\"", "\"/BITMAP:" + picture + "\""}, profile);
    ASSERT_EQ(in.code, 0) << qPrintable(in.err);
    EXPECT_EQ(listed(profile, Host::Base), 1);
    const QImage deployed = deployedFace(profile, Host::Base);
    ASSERT_FALSE(deployed.isNull());
    EXPECT_EQ(QColor(deployed.pixel(8, 8)), QColor(Qt::darkGreen));

    const Sortida m = macro(profile, kovel::office::scriptUrl(Host::Base));
    EXPECT_EQ(m.code, 0) << qPrintable(m.err);
    const auto rec = records(1);
    EXPECT_EQ(rec.join('|'), QStringLiteral("ARG=/A WB=<unset>"));

    const Sortida out = run(inst, {" "}, profile);
    EXPECT_EQ(out.code, 0) << qPrintable(out.err);
    EXPECT_EQ(listed(profile, Host::Base), 0);
    report("Base", in.ms, out.ms);
}

TEST_F(Office, ProfileThatCannotBeWrittenFailsWithItsMessageAndInstallsNothing)
{
    const QString profile = root_->path() + "/locked profile";
    const Sortida s = run(prog_ + "/InstKovelE00", {"/PATH_EXE:" + prog_ + "/KovelAssist", "/BITMAP:"}, profile);
    EXPECT_NE(s.code, 0);
    EXPECT_TRUE(s.err.contains("cannot be written") && s.err.contains(profile)) << qPrintable(s.err);
    EXPECT_TRUE(QDir(profile).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty());
}

} // namespace
