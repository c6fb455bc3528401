// The print mode end to end: the program itself, run on a program folder of the test's own
// with a catalogue that holds the formats the cases need.
#include "platform/word/Document.h"
#include "tools/catalogue/EscritorCatalogo.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace kovel::word;

namespace {

kovel::catalogue::Formato Format(std::int32_t codi, float ample, float alt, float pasH, float pasV, std::int16_t files,
                                 std::int16_t columnes)
{
    kovel::catalogue::Formato f;
    EtiquetaCatalogo& e = f.etiqueta;
    e.Referencia = QStringLiteral("KOVEL %1").arg(codi);
    e.Codigo = codi;
    e.Descripcion = QStringLiteral("test sheet");
    e.Ancho = ample; e.Alto = alt;
    e.MargenIzquierdo = 0.7f; e.MargenSuperior = 1.3f;
    e.PasoHorizontal = pasH; e.PasoVertical = pasV;
    e.Filas = files; e.Columnas = columnes;
    f.extension.AnchoCom = ample;
    f.extension.AltoCom = alt;
    return f;
}

class ModoImpresionTest : public ::testing::Test {
protected:
    static inline QTemporaryDir* dir = nullptr;
    static QString programa() { return dir->filePath("program"); }

    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        QDir().mkpath(programa() + "/documents_base");
        QString error;
        ASSERT_TRUE(kovel::catalogue::EscribeCatalogo(
            programa(), {Format(1234, 6.35f, 3.81f, 6.6f, 3.81f, 7, 3), Format(5, 9.9f, 5.7f, 10.16f, 5.7f, 4, 2)},
            kovel::catalogue::CamposEstandar(), error))
            << qPrintable(error);
        const QString font = QStringLiteral(KOVEL_PROGRAM_DIR);
        ASSERT_TRUE(QFile::copy(font + "/LITER.UNI", programa() + "/LITER.UNI"));
        ASSERT_TRUE(QFile::copy(font + "/special.uni", programa() + "/special.uni"));
        ASSERT_TRUE(QFile::copy(font + "/documents_base/Blanc.docx", programa() + "/documents_base/Blanc.docx"));
    }
    static void TearDownTestSuite() { delete dir; }

    QTemporaryDir treball;
    QString sortida, errors;

    int Executa(const QStringList& args, const QString& carpetaPrograma = programa())
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KOVEL_PROGRAM_DIR", carpetaPrograma);
        env.insert("XDG_DATA_HOME", treball.filePath("data"));
        env.insert("XDG_CONFIG_HOME", treball.filePath("config"));
        env.insert("KOVEL_MACHINE_REGISTRY", treball.filePath("machine.reg"));
        env.remove("QT_QPA_PLATFORM");   // the print mode chooses the offscreen platform itself
        env.remove("DISPLAY");
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(treball.path());
        p.start(QStringLiteral(KOVEL_PROGRAM_DIR) + "/KovelAssist", args);
        EXPECT_TRUE(p.waitForFinished(60000));
        sortida = QString::fromLocal8Bit(p.readAllStandardOutput());
        errors = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
};

} // namespace

TEST_F(ModoImpresionTest, WritesThePortraitAndTheLandscapeSheet)
{
    ASSERT_EQ(Executa({"/PV1234", "out"}), 0) << qPrintable(errors);
    const QString v = treball.filePath("out/wp_001234.docx");
    ASSERT_TRUE(QFile::exists(v));
    auto doc = Document::open(v);
    ASSERT_EQ(doc->tableCount(), 1);
    EXPECT_EQ(doc->table(0).rowCount(), 7);
    EXPECT_EQ(doc->table(0).columnCount(), 5);   // labels with gap columns
    EXPECT_EQ(doc->pageSetup().orientation(), Orientation::Portrait);
    EXPECT_EQ(doc->pageCount(), 1);
    // The generator's own copy lies in the user's data folder.
    EXPECT_TRUE(QFile::exists(treball.filePath("data/KOVEL Videvoviv/KOVEL1234V.docx")));

    ASSERT_EQ(Executa({"/ph1234", "out"}), 0) << qPrintable(errors);
    auto h = Document::open(treball.filePath("out/wp_001234H.docx"));
    EXPECT_EQ(h->pageSetup().orientation(), Orientation::Landscape);
    ASSERT_EQ(h->tableCount(), 1);
    EXPECT_EQ(h->table(0).rowCount(), 5);        // turned: 3 rows of 7 labels, gap rows between
    EXPECT_EQ(h->table(0).columnCount(), 7);
    EXPECT_GT(h->pageSetup().pageWidth(), h->pageSetup().pageHeight());
    // Turned, each margin moves on by one side: the top margin becomes the left one, the
    // (empty) right one the top one, and the left one the bottom extra.
    EXPECT_EQ(toTwips(h->pageSetup().leftMargin()), toTwips(centimetresToPoints(Centimetres(1.3f))));
    EXPECT_EQ(h->pageSetup().topMargin().value, 0);
    EXPECT_EQ(toTwips(h->pageSetup().pageHeight()),
              toTwips(centimetresToPoints(Centimetres(float(2 * 6.6f + 6.35f + 0.7f) + 0.05f))));

    ASSERT_EQ(Executa({"/PV5", treball.filePath("abs dir")}), 0) << qPrintable(errors);
    EXPECT_TRUE(QFile::exists(treball.filePath("abs dir/wp_000005.docx")));
}

TEST_F(ModoImpresionTest, BadLinesEndWithAMessageAndNoFile)
{
    EXPECT_NE(Executa({"/PV0", "out"}), 0);
    EXPECT_TRUE(errors.contains("above 0")) << qPrintable(errors);
    EXPECT_NE(Executa({"/PV-4", "out"}), 0);
    EXPECT_NE(Executa({"/PV999", "out"}), 0);
    EXPECT_TRUE(errors.contains("999")) << qPrintable(errors);
    EXPECT_NE(Executa({"/PV1234"}), 0);
    EXPECT_TRUE(errors.contains("folder")) << qPrintable(errors);
    EXPECT_FALSE(QDir(treball.filePath("out")).exists());

    EXPECT_NE(Executa({}), 0);   // an empty command line is refused with literal 6200
    EXPECT_TRUE(errors.contains("is started from Word, Excel or Access")) << qPrintable(errors);

    // A program folder without its catalogue: the print mode's own pop-up, and an end.
    QTemporaryDir senseCatalogue;
    ASSERT_TRUE(QFile::copy(programa() + "/LITER.UNI", senseCatalogue.filePath("LITER.UNI")));
    EXPECT_NE(Executa({"/PV1234", "out"}, senseCatalogue.path()), 0);
    EXPECT_TRUE(errors.contains("Error carregant fitxers")) << qPrintable(errors);
    EXPECT_FALSE(QDir(treball.filePath("out")).exists());
}

TEST_F(ModoImpresionTest, UnwritableFolderLeavesNothingHalfWritten)
{
    QFile fitxer(treball.filePath("notadir"));
    ASSERT_TRUE(fitxer.open(QIODevice::WriteOnly));
    fitxer.close();
    EXPECT_NE(Executa({"/PV1234", "notadir"}), 0);
    EXPECT_TRUE(errors.contains("notadir")) << qPrintable(errors);

    // The document's own name is taken by a folder: the save fails and leaves no trace.
    QDir().mkpath(treball.filePath("ple/wp_001234.docx"));
    EXPECT_NE(Executa({"/PV1234", "ple"}), 0);
    EXPECT_TRUE(errors.contains("wp_001234.docx")) << qPrintable(errors);
    EXPECT_EQ(QDir(treball.filePath("ple")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{"wp_001234.docx"});
}

TEST_F(ModoImpresionTest, HostSwitchesEndWithoutAWindowToShow)
{
    // Without a display the program never waits for a person: the message goes to
    // standard error and the program ends.
    EXPECT_EQ(Executa({"/W"}), 2);
    EXPECT_TRUE(errors.contains("print mode")) << qPrintable(errors);
    EXPECT_EQ(Executa({"LOG"}), 2);
}
