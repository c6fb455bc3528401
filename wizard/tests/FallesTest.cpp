// The print mode when things go wrong around it: a full disk, many runs at once, a lock it
// cannot take, a symlink where the sheet goes, a folder name that is not valid text. No run
// ends with 0 unless its sheet was written, and a sheet already there is never lost.
#include "common/MsgBox.h"
#include "platform/files/tests/DiscPle.h"
#include "platform/word/Document.h"
#include "tools/catalogue/EscritorCatalogo.h"
#include "wizard/CopiaUnica.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace {

kovel::catalogue::Formato Format(std::int32_t codi)
{
    kovel::catalogue::Formato f;
    EtiquetaCatalogo& e = f.etiqueta;
    e.Referencia = QStringLiteral("KOVEL %1").arg(codi);
    e.Codigo = codi;
    e.Descripcion = QStringLiteral("test sheet");
    e.Ancho = 6.35f; e.Alto = 3.81f;
    e.MargenIzquierdo = 0.7f; e.MargenSuperior = 1.3f;
    e.PasoHorizontal = 6.6f; e.PasoVertical = 3.81f;
    e.Filas = 7; e.Columnas = 3;
    f.extension.AnchoCom = e.Ancho;
    f.extension.AltoCom = e.Alto;
    return f;
}

QByteArray llegeix(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList entrades(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

class FallesImpressio : public ::testing::Test {
protected:
    static inline QTemporaryDir* dir = nullptr;
    static QString programa() { return dir->filePath("program"); }
    static QString executable() { return QStringLiteral(KOVEL_PROGRAM_DIR) + "/KovelAssist"; }

    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        QDir().mkpath(programa() + "/documents_base");
        QString error;
        ASSERT_TRUE(kovel::catalogue::EscribeCatalogo(programa(), {Format(1234)}, kovel::catalogue::CamposEstandar(), error))
            << qPrintable(error);
        const QString font = QStringLiteral(KOVEL_PROGRAM_DIR);
        ASSERT_TRUE(QFile::copy(font + "/LITER.UNI", programa() + "/LITER.UNI"));
        ASSERT_TRUE(QFile::copy(font + "/documents_base/Blanc.docx", programa() + "/documents_base/Blanc.docx"));
    }
    static void TearDownTestSuite() { delete dir; }

    QTemporaryDir treball;
    QString errors;

    QProcessEnvironment entorn(const QString& dades) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KOVEL_PROGRAM_DIR", programa());
        env.insert("XDG_DATA_HOME", dades);
        env.insert("XDG_CONFIG_HOME", treball.filePath("config"));
        env.insert("KOVEL_MACHINE_REGISTRY", treball.filePath("machine.reg"));
        env.remove("QT_QPA_PLATFORM");
        env.remove("DISPLAY");
        return env;
    }

    int Executa(const QStringList& args, QProcessEnvironment env = {})
    {
        QProcess p;
        p.setProcessEnvironment(env.isEmpty() ? entorn(treball.filePath("data")) : env);
        p.setWorkingDirectory(treball.path());
        p.start(executable(), args);
        EXPECT_TRUE(p.waitForFinished(90000));
        errors = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    // A good sheet at `path`, made by a run of its own.
    QByteArray fullBo(const QString& path)
    {
        EXPECT_EQ(Executa({"/PV1234", treball.filePath("bo")}), 0) << qPrintable(errors);
        const QByteArray bo = llegeix(treball.filePath("bo/wp_001234.docx"));
        EXPECT_FALSE(bo.isEmpty());
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(treball.filePath("bo/wp_001234.docx"), path));
        return bo;
    }
};

} // namespace

TEST_F(FallesImpressio, AFullDiskKeepsTheOldSheetAndFailsTheRun)
{
    // A write that fails by injection, in the program itself.
    QDir().mkpath(treball.filePath("out"));
    const QByteArray bo = fullBo(treball.filePath("out/wp_001234.docx"));
    QProcessEnvironment env = entorn(treball.filePath("data"));
    env.insert("KOVEL_FAULT_WRITE_LIMIT", "0");
    EXPECT_NE(Executa({"/PV1234", "out"}, env), 0);
    EXPECT_TRUE(errors.contains("could not be saved")) << qPrintable(errors);
    EXPECT_EQ(llegeix(treball.filePath("out/wp_001234.docx")), bo);
    EXPECT_EQ(entrades(treball.filePath("out")), QStringList{"wp_001234.docx"});

    // The real thing: the sheet's folder on a file system with no room left.
    kovel::test::DiscPetit disc(256);
    if (!disc.muntat())
        GTEST_SKIP() << "a tmpfs cannot be mounted here; covered by the injected failure above";
    const QByteArray boDisc = fullBo(disc.filePath("wp_001234.docx")); // its own date inside
    ASSERT_FALSE(boDisc.isEmpty());
    disc.omple();
    EXPECT_EQ(Executa({"/PV1234", disc.path()}), 4);
    EXPECT_TRUE(errors.contains("could not be saved")) << qPrintable(errors);
    EXPECT_TRUE(errors.contains("No space left on device")) << qPrintable(errors);
    EXPECT_EQ(llegeix(disc.filePath("wp_001234.docx")), boDisc);
    EXPECT_EQ(entrades(disc.path()), (QStringList{".farciment", "wp_001234.docx"}));
}

TEST_F(FallesImpressio, ManyRunsAtOnceEachWriteTheirSheet)
{
    constexpr int kRuns = 12;
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < kRuns; ++i) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(entorn(treball.filePath("data")));
        p->setWorkingDirectory(treball.path());
        p->start(executable(), {"/PV1234", QStringLiteral("out%1").arg(i)});
        runs.push_back(std::move(p));
    }
    for (int i = 0; i < kRuns; ++i) {
        SCOPED_TRACE(i);
        QProcess& p = *runs[i];
        ASSERT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        const QString sheet = treball.filePath(QStringLiteral("out%1/wp_001234.docx").arg(i));
        ASSERT_TRUE(QFile::exists(sheet));
        EXPECT_EQ(kovel::word::Document::open(sheet)->tableCount(), 1);
    }
}

TEST_F(FallesImpressio, ALockFolderThatCannotBeWrittenEndsTheRunWithWhy)
{
    QFile(treball.filePath("notafolder")).open(QIODevice::WriteOnly);
    EXPECT_EQ(Executa({"/PV1234", "out"}, entorn(treball.filePath("notafolder/data"))), 5);
    EXPECT_TRUE(errors.contains("cannot be written")) << qPrintable(errors);
    EXPECT_FALSE(QFileInfo::exists(treball.filePath("out/wp_001234.docx")));
}

TEST_F(FallesImpressio, ASymlinkNamedLikeTheSheetIsReplacedNotItsTarget)
{
    QDir().mkpath(treball.filePath("out"));
    const QString precious = treball.filePath("precious.txt");
    QFile f(precious);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("the user's own file");
    f.close();
    ASSERT_TRUE(QFile::link(precious, treball.filePath("out/wp_001234.docx")));
    ASSERT_EQ(Executa({"/PV1234", "out"}), 0) << qPrintable(errors);
    EXPECT_EQ(llegeix(precious), "the user's own file");
    EXPECT_FALSE(QFileInfo(treball.filePath("out/wp_001234.docx")).isSymLink());
    EXPECT_EQ(kovel::word::Document::open(treball.filePath("out/wp_001234.docx"))->tableCount(), 1);
}

TEST_F(FallesImpressio, AFolderNameThatIsNotValidTextIsRefused)
{
    // QProcess takes text: the bytes go through the shell.
    QProcess p;
    p.setProcessEnvironment(entorn(treball.filePath("data")));
    p.setWorkingDirectory(treball.path());
    p.start("/bin/sh", {"-c", "exec \"$0\" /PV1234 \"$(printf 'out\\377x')\"", executable()});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 3);
    EXPECT_TRUE(p.readAllStandardError().contains("not valid text"));
    const QStringList left = entrades(treball.path());
    for (const QString& e : left)
        EXPECT_FALSE(e.startsWith("out")) << qPrintable(e);

    // Started in such a folder, with a relative name.
    p.start("/bin/sh", {"-c", "d=\"$(printf 'd\\377')\"; mkdir \"$d\" && cd \"$d\" && exec \"$0\" /PV1234 out", executable()});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 3);
    EXPECT_TRUE(p.readAllStandardError().contains("not valid text"));
    for (const QString& e : entrades(treball.path()))
        EXPECT_TRUE(entrades(treball.filePath(e)).isEmpty() || e == "data" || e == "config") << qPrintable(e);
}

// The lock itself, in this process: a print run waits its turn and then says why it ends;
// the window's copy ends quietly as it always has.
TEST(CopiaUnica, APrintRunThatCannotHaveItsTurnSaysSoAndFails)
{
    QTemporaryDir dades;
    const QByteArray abans = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dades.path().toUtf8());
    QStringList missatges;
    mod_rvtMsgBox::setAnswerer([&](const QString& prompt, std::int16_t, const QString&) {
        missatges << prompt;
        return mod_rvtMsgBox::vbOK;
    });
    {
        ModTolvWiz::CopiaUnica primera;
        ASSERT_FALSE(primera.Pren(ModTolvWiz::AccioLinia::Impressio).has_value());
        ModTolvWiz::CopiaUnica segona;
        EXPECT_EQ(segona.Pren(ModTolvWiz::AccioLinia::Impressio, 300), ModTolvWiz::CopiaUnica::EstatBloquejat);
        ASSERT_EQ(missatges.size(), 1);
        EXPECT_TRUE(missatges[0].contains("Another print run")) << qPrintable(missatges[0]);

        // A print run does not stop the window, nor the window a print run.
        ModTolvWiz::CopiaUnica finestra;
        EXPECT_FALSE(finestra.Pren(ModTolvWiz::AccioLinia::Cap).has_value());
        ModTolvWiz::CopiaUnica finestra2;
        EXPECT_EQ(finestra2.Pren(ModTolvWiz::AccioLinia::Cap), 0);
        EXPECT_EQ(missatges.size(), 1);
    }
    // Its turn comes once the other ends.
    ModTolvWiz::CopiaUnica tercera;
    EXPECT_FALSE(tercera.Pren(ModTolvWiz::AccioLinia::Impressio, 300).has_value());
    mod_rvtMsgBox::resetAnswerer();
    qputenv("XDG_DATA_HOME", abans);
}
