// Start-up: the decisions the command line and the environment make, the second copy, the
// splash, the steps once the window has loaded (progress controls, LOG, printer check) and
// the screen scale on real widgets. Pictures of the splash and the progress bar are written
// to the build folder.
#include "wizard/ui/Arrencada.h"

#include "catalogue/Cataleg.h"
#include "catalogue/tests/Ayudas.h"

#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ProgresBar.h"
#include "common/ui/DialegObrir.h"
#include "common/ui/FrmPresent.h"
#include "common/ui/ModTolvWizUi.h"
#include "common/ui/ProgresBarUi.h"
#include "common/ui/VisualUi.h"
#include "datasources/ClsAccess.h"
#include "datasources/ClsExcel.h"
#include "datasources/FontDades.h"
#include "common/ModReg.h"
#include "platform/access/tests/SqliteFixture.h"
#include "platform/paths/Paths.h"
#include "wizard/LineaComandos.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLockFile>
#include <QPainter>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kovel::wizard;

namespace {

int argc_ = 1;
char arg0_[] = "wizard_arrencada_tests";
char* argv_[] = {arg0_, nullptr};

QApplication& App()
{
    static QApplication* app = new QApplication(argc_, argv_);
    return *app;
}

struct Missatges {
    QStringList vistos;
    std::int16_t resposta = mod_rvtMsgBox::vbNo;
    Missatges()
    {
        mod_rvtMsgBox::setAnswerer([this](const QString& p, std::int16_t, const QString&) {
            vistos << p;
            return resposta;
        });
    }
    ~Missatges() { mod_rvtMsgBox::resetAnswerer(); }
};

class Arrencada : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        QString m;
        ASSERT_TRUE(ModTraduccion::CarregarLiterals(m)) << qPrintable(m);
        carpetaAbans = QDir::currentPath();
    }
    void TearDown() override
    {
        QDir::setCurrent(carpetaAbans);
        FrmPresent::DesCargar();
        ModTolvWiz::setAbansDeMissatge(nullptr);
        kovel::datasources::setPresentacio({}, {});
        kovel::datasources::setDemanaFitxer({});
        setEntradaAssistent({});
        setImpressores({}, {});
        CommDlg::resetAnswerer();
        BarraProgreso.reset();
        kovel::EstablirHost(kovel::HostOffice::Cap);
        ModoLog = false;
        qunsetenv("KOVEL_ACTIVE_WORKBOOK");
        qunsetenv("KOVEL_CURRENT_DATABASE");
    }
    static void Desa(QWidget* w, const char* nom)
    {
        const QString dir = QStringLiteral(KOVEL_BINARY_DIR "/pictures");
        QDir().mkpath(dir);
        EXPECT_TRUE(w->grab().save(dir + QLatin1Char('/') + QLatin1String(nom)));
    }
    QString carpetaAbans;
};

// A window with the three sets of progress controls, as the wizard window names them.
struct FinestraFalsa : QWidget {
    FinestraFalsa()
    {
        setObjectName("FrmTolvWiz");
        resize(760, 420);
        const char* noms[3][2] = {{"PctProgressBar", "LblProgreso"},
                                  {"PctProgressBarHojas", "lblProgresoHojas"},
                                  {"pctProgressBarTablas", "lblProgresoTablas"}};
        for (int i = 0; i < 3; ++i) {
            auto* marc = new QFrame(this);
            marc->setObjectName(noms[i][0]);
            marc->setFrameStyle(QFrame::Box | QFrame::Plain);
            marc->setGeometry(40, 60 + 120 * i, 600, 24);
            auto* rotol = new QLabel(this);
            rotol->setObjectName(noms[i][1]);
            rotol->setGeometry(40, 30 + 120 * i, 600, 24);
            rotol->setText(QStringLiteral("Reading the worksheets..."));
        }
    }
};

} // namespace

TEST(ArrencadaDecisions, HostAndLogFromTheWholeLine)
{
    using kovel::HostOffice;
    EXPECT_EQ(ModTolvWiz::HostDeLinia("/w"), HostOffice::Word);
    EXPECT_EQ(ModTolvWiz::HostDeLinia("/E"), HostOffice::Excel);
    EXPECT_EQ(ModTolvWiz::HostDeLinia("/a"), HostOffice::Access);
    EXPECT_EQ(ModTolvWiz::HostDeLinia("/W LOG"), HostOffice::Cap);
    EXPECT_EQ(ModTolvWiz::HostDeLinia("/PV5 out"), HostOffice::Cap);
    EXPECT_TRUE(ModTolvWiz::ModoLogDeLinia("log"));
    EXPECT_TRUE(ModTolvWiz::ModoLogDeLinia("LOG"));
    EXPECT_FALSE(ModTolvWiz::ModoLogDeLinia("/W LOG"));
    EXPECT_FALSE(ModTolvWiz::ModoLogDeLinia("LOG "));
}

TEST_F(Arrencada, TheWorkbookIsTheNamedOneElseTheQuestionAndTheDialogWithTheSplashHidden)
{
    QTemporaryDir dir;
    const QString csv = dir.filePath("addresses.csv");
    {
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Name,Town\nAnn,Girona\n");
    }
    InstallaServeisArrencada();
    Missatges m;
    m.resposta = mod_rvtMsgBox::vbYes;
    bool splashVisibleAlDialeg = true;
    int dialegs = 0;
    CommDlg::setAnswerer([&](const CommDlg::Peticio&) -> std::optional<QString> {
        ++dialegs;
        splashVisibleAlDialeg = FrmPresent::Instancia() && FrmPresent::Instancia()->isVisible();
        return csv;
    });

    // Named by the environment: opened without a question.
    qputenv("KOVEL_ACTIVE_WORKBOOK", csv.toUtf8());
    QString missatge;
    {
        ClsExcel excel;
        EXPECT_TRUE(excel.Conectar(missatge)) << qPrintable(missatge);
        EXPECT_EQ(excel.FontDadesActual(), csv);
        EXPECT_TRUE(m.vistos.isEmpty());
        EXPECT_EQ(dialegs, 0);
    }
    // Named but missing or unreadable: the message names the file and nothing is asked.
    {
        QFile f(dir.filePath("damaged.xlsx"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is no workbook");
    }
    for (const char* nom : {"missing.xlsx", "damaged.xlsx"}) {
        qputenv("KOVEL_ACTIVE_WORKBOOK", dir.filePath(QLatin1String(nom)).toUtf8());
        ClsExcel excel;
        EXPECT_FALSE(excel.Conectar(missatge));
        EXPECT_TRUE(missatge.contains(QLatin1String(nom))) << qPrintable(missatge);
        EXPECT_EQ(dialegs, 0);
        EXPECT_TRUE(m.vistos.isEmpty());
    }
    // Unset: the question, then the dialog, with the splash out of the way.
    qunsetenv("KOVEL_ACTIVE_WORKBOOK");
    FrmPresent::Cargar();
    {
        ClsExcel excel;
        EXPECT_TRUE(excel.Conectar(missatge)) << qPrintable(missatge);
        EXPECT_EQ(m.vistos.size(), 1);
        EXPECT_EQ(m.vistos.value(0), ModTraduccion::Literal(2010));
        EXPECT_EQ(dialegs, 1);
        EXPECT_FALSE(splashVisibleAlDialeg);
        EXPECT_TRUE(FrmPresent::Instancia()->isVisible());   // shown again afterwards
    }
    // The database host likewise; No to the question ends the connection without a message.
    m.resposta = mod_rvtMsgBox::vbNo;
    {
        ClsAccess access;
        missatge.clear();
        EXPECT_FALSE(access.Conectar(missatge));
        EXPECT_TRUE(missatge.isEmpty());
        EXPECT_EQ(m.vistos.value(1), ModTraduccion::Literal(2004));
        EXPECT_EQ(dialegs, 1);
    }
    qputenv("KOVEL_CURRENT_DATABASE", csv.toUtf8());   // not a database: refused, naming it
    {
        ClsAccess access;
        EXPECT_FALSE(access.Conectar(missatge));
        EXPECT_TRUE(missatge.contains("addresses.csv")) << qPrintable(missatge);
    }
}

// A relative source names a file of the folder the user started the program in, though
// start-up then works in the program folder.
TEST_F(Arrencada, ARelativeSourceIsTheUsersStartingFoldersFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath("work/data")));
    {
        QFile f(dir.filePath("work/data/addresses.csv"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Name,Town\nAnn,Girona\n");
    }
    fixtures::MakeSqlite(dir.filePath("work/data/shop.db"), fixtures::kShop);
    InstallaServeisArrencada();
    Missatges m;
    ASSERT_TRUE(QDir::setCurrent(dir.filePath("work")));
    qputenv("KOVEL_ACTIVE_WORKBOOK", "data/addresses.csv");
    qputenv("KOVEL_CURRENT_DATABASE", "./data/../data/shop.db");
    ModTolvWiz::FixaRutesDeLEntorn(QDir::currentPath());
    ModReg::InicialitzarRutesOffice();   // as start-up does, before the source is opened
    ASSERT_EQ(QDir::currentPath(), QDir(kovel::paths::programDir()).canonicalPath());

    QString missatge;
    ClsExcel excel;
    EXPECT_TRUE(excel.Conectar(missatge)) << qPrintable(missatge);
    EXPECT_EQ(excel.FontDadesActual(), dir.filePath("work/data/addresses.csv"));
    ClsAccess access;
    EXPECT_TRUE(access.Conectar(missatge)) << qPrintable(missatge);
    EXPECT_EQ(access.FontDadesActual(), dir.filePath("work/data/shop.db"));
    EXPECT_TRUE(m.vistos.isEmpty()) << qPrintable(m.vistos.join('\n'));

    // An absolute one is left as the user gave it.
    qputenv("KOVEL_ACTIVE_WORKBOOK", "/nowhere/../x.csv");
    ModTolvWiz::FixaRutesDeLEntorn(dir.path());
    EXPECT_EQ(qEnvironmentVariable("KOVEL_ACTIVE_WORKBOOK"), "/nowhere/../x.csv");
}

TEST_F(Arrencada, ASecondCopyEndsAtOnceSilently)
{
    QTemporaryDir treball;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", treball.filePath("data"));
    env.insert("XDG_CONFIG_HOME", treball.filePath("config"));
    env.insert("KOVEL_MACHINE_REGISTRY", treball.filePath("machine.reg"));
    const auto executa = [&](QString& errors) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(treball.path());
        p.start(QStringLiteral(KOVEL_PROGRAM_DIR "/KovelAssist"), {"/W"});
        EXPECT_TRUE(p.waitForFinished(120000));
        errors = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitCode();
    };
    QString errors;
    // Alone it starts and, without the wizard window in this build, says so.
    EXPECT_EQ(executa(errors), 2);
    EXPECT_TRUE(errors.contains("[message]")) << qPrintable(errors);

    // While another copy holds the lock, nothing is shown and the program ends with 0.
    QDir().mkpath(treball.filePath("data/kovel-videvoviv"));
    QLockFile primera(treball.filePath("data/kovel-videvoviv/KovelAssist.lock"));
    ASSERT_TRUE(primera.tryLock(0));
    EXPECT_EQ(executa(errors), 0);
    EXPECT_FALSE(errors.contains("[message]")) << qPrintable(errors);
}

TEST_F(Arrencada, AMissingSpecialTypesFileEndsStartUpWithItsMessage)
{
    QTemporaryDir programa;
    const QByteArray abans = qgetenv("KOVEL_PROGRAM_DIR");
    qputenv("KOVEL_PROGRAM_DIR", programa.path().toUtf8());
    Missatges m;
    bool entrat = false;
    setEntradaAssistent([&](const ArrencadaAssistent&) { entrat = true; return 0; });
    EXPECT_EQ(kovel::wizard::Arrencada("/W"), 1);
    qputenv("KOVEL_PROGRAM_DIR", abans);
    EXPECT_FALSE(entrat);
    ASSERT_EQ(m.vistos.size(), 1);
    EXPECT_TRUE(m.vistos[0].contains(QDir(programa.path()).filePath("special.uni"))) << qPrintable(m.vistos[0]);
    EXPECT_EQ(FrmPresent::Instancia(), nullptr);
    EXPECT_FALSE(ModTolvWiz::PunteroEsperaActivo());
}

TEST_F(Arrencada, TheEntryGetsTheHostAndTheLoadedWindowIsBoundToTheHostsControls)
{
    Missatges m;
    setImpressores([] { return QStringList{"Office laser"}; }, {});
    kovel::EstablirHost(kovel::HostOffice::Excel);
    FinestraFalsa finestra;
    ArrencadaAssistent vist;
    std::int16_t idiomaSistema = 0;
    bool splashDurantLaCarrega = false;
    setEntradaAssistent([&](const ArrencadaAssistent& a) {
        vist = a;
        splashDurantLaCarrega = FrmPresent::Instancia() != nullptr;
        finestra.show();
        idiomaSistema = a.finestraCarregada(&finestra, {}, {});
        return 0;
    });
    ModTolvWiz::Puntero_Espera(true);
    EXPECT_EQ(kovel::wizard::Arrencada("/E"), 0);
    EXPECT_EQ(vist.host, kovel::HostOffice::Excel);
    EXPECT_EQ(vist.liniaComandes, "/E");
    EXPECT_TRUE(splashDurantLaCarrega);
    EXPECT_EQ(FrmPresent::Instancia(), nullptr);   // closed however the loading went
    EXPECT_FALSE(ModTolvWiz::PunteroEsperaActivo());
    EXPECT_TRUE(m.vistos.isEmpty());               // a printer is there: no question
    EXPECT_NE(idiomaSistema, 0);
    EXPECT_FALSE(ModoLog);
    EXPECT_FALSE(QApplication::windowIcon().isNull());

    // The Excel host's frame carries the bar; the fill was made inside it.
    ASSERT_TRUE(BarraProgreso && BarraProgreso->lligada());
    auto* marc = finestra.findChild<QFrame*>("PctProgressBarHojas");
    auto* fill = marc->findChild<QLabel*>("lblProgressBarHojas");
    ASSERT_NE(fill, nullptr);
    BarraProgreso->setMax(10);
    BarraProgreso->setValue(6);
    EXPECT_EQ(fill->width(), qRound(marc->contentsRect().width() * 0.6));
    EXPECT_EQ(fill->height(), marc->contentsRect().height());
    EXPECT_EQ(finestra.findChild<QFrame*>("PctProgressBar")->findChild<QLabel*>(), nullptr);
    Desa(&finestra, "progress_bar.png");
}

TEST_F(Arrencada, LogNamesNoHostAndBindsTheThirdSetOfControls)
{
    QTemporaryDir programa;
    const QByteArray abans = qgetenv("KOVEL_PROGRAM_DIR");
    qputenv("KOVEL_PROGRAM_DIR", programa.path().toUtf8());
    Missatges m;
    setImpressores([] { return QStringList{"Office laser"}; }, {});
    // A catalogue with one format that cannot be laid out, loaded before the log was on.
    QList<kovel::catalogue::Formato> formats = {pruebas::UnFormato(4711), pruebas::UnFormato(815)};
    formats[0].etiqueta.Filas = 0;
    QString error;
    ASSERT_TRUE(kovel::catalogue::EscribeCatalogo(programa.path(), formats, kovel::catalogue::CamposEstandar(), error));
    Cataleg cat;
    ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(cat, programa.path(), error)) << qPrintable(error);
    FinestraFalsa finestra;
    DespresDeCarregar(&finestra, "LOG", ModTolvWiz::FormatosOmitidos(cat), "/data/clients.xlsx");
    EXPECT_TRUE(ModoLog);
    ASSERT_TRUE(BarraProgreso->lligada());
    EXPECT_NE(finestra.findChild<QFrame*>("pctProgressBarTablas")->findChild<QLabel*>("lblProgressBarTablas"), nullptr);
    QFile log(programa.filePath("Runtime.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray escrit = log.readAll();
    EXPECT_TRUE(escrit.contains("Start-up"));
    EXPECT_TRUE(escrit.contains("data source \"/data/clients.xlsx\"")) << escrit.constData();
    EXPECT_TRUE(escrit.contains("\"KOVEL 4711\" (record 1) is left out")) << escrit.constData();
    log.close();

    ModoLog = false;
    QFile::remove(programa.filePath("Runtime.log"));
    DespresDeCarregar(&finestra, "/W");
    EXPECT_FALSE(ModoLog);
    EXPECT_FALSE(QFile::exists(programa.filePath("Runtime.log")));
    qputenv("KOVEL_PROGRAM_DIR", abans);

    // A window without the controls leaves the bar unbound, and its steps harmless.
    QWidget vacia;
    DespresDeCarregar(&vacia, "/W");
    EXPECT_FALSE(BarraProgreso->lligada());
    ModTolvWiz::AvancaBarraProgreso();
}

TEST_F(Arrencada, AFrameThatDrawsItsOwnBarShowsTheFillsShare)
{
    QWidget finestra;
    auto* barra = new QProgressBar(&finestra);
    barra->setObjectName("PctProgressBar");
    barra->setGeometry(10, 10, 300, 20);
    ASSERT_TRUE(ModTolvWiz::LligaBarraProgreso(&finestra, kovel::HostOffice::Word));
    EXPECT_EQ(barra->findChild<QLabel*>(), nullptr);
    BarraProgreso->setMax(4);
    BarraProgreso->setValue(3);
    EXPECT_EQ(barra->maximum(), 1000);
    EXPECT_EQ(barra->value(), 750);
    BarraProgreso->setValue(9);   // past Max: full, not beyond
    EXPECT_EQ(barra->value(), 1000);
    BarraProgreso->setValue(0);
    EXPECT_EQ(barra->value(), 0);
}

TEST_F(Arrencada, WithoutAPrinterTheQuestionOffersTheSystemsPrinterSettings)
{
    Missatges m;
    int obertes = 0;
    setImpressores([] { return QStringList(); }, [&] { ++obertes; });
    Comprueba_Impresora();   // No: nothing happens
    ASSERT_EQ(m.vistos.size(), 1);
    EXPECT_EQ(m.vistos[0], ModTraduccion::Literal(45));
    EXPECT_EQ(obertes, 0);
    m.resposta = mod_rvtMsgBox::vbYes;
    Comprueba_Impresora();
    EXPECT_EQ(obertes, 1);
    setImpressores([] { return QStringList{"Label printer"}; }, [&] { ++obertes; });
    Comprueba_Impresora();
    EXPECT_EQ(m.vistos.size(), 2);
    EXPECT_EQ(obertes, 1);
}

TEST_F(Arrencada, TheSplashShowsWithOrWithoutItsPictureAndClosesBeforeAMessage)
{
    // A program folder without the picture: the window shows without it.
    QTemporaryDir sensePicture;
    const QByteArray programaProva = qgetenv("KOVEL_PROGRAM_DIR");
    qputenv("KOVEL_PROGRAM_DIR", sensePicture.path().toUtf8());
    FrmPresent::Cargar();
    qputenv("KOVEL_PROGRAM_DIR", programaProva);
    FrmPresent* f = FrmPresent::Instancia();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(f->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(f->Imagen_Inicio->pixmap().isNull());
    Desa(f, "splash_without_picture.png");

    // A message box during start-up is never covered: the splash goes first.
    InstallaServeisArrencada();
    Missatges m;
    ModTolvWiz::Mensaje_Error(QStringLiteral("wrong"));
    EXPECT_EQ(FrmPresent::Instancia(), nullptr);
    FrmPresent::DesCargar();   // harmless when it is not there

    // With its picture the window takes the picture's size.
    QTemporaryDir programa;
    QDir(programa.path()).mkdir("DATA");
    QImage imatge(300, 180, QImage::Format_RGB32);
    imatge.fill(QColor(0, 118, 196));
    {
        QPainter p(&imatge);
        p.setPen(Qt::white);
        p.drawText(imatge.rect(), Qt::AlignCenter, QStringLiteral("inicio.dat"));
    }
    ASSERT_TRUE(imatge.save(programa.filePath("DATA/inicio.dat"), "PNG"));
    const QByteArray abans = qgetenv("KOVEL_PROGRAM_DIR");
    qputenv("KOVEL_PROGRAM_DIR", programa.path().toUtf8());
    FrmPresent::Cargar();
    qputenv("KOVEL_PROGRAM_DIR", abans);
    f = FrmPresent::Instancia();
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(f->Imagen_Inicio->pixmap().isNull());
    EXPECT_EQ(f->size(), QSize(300, 180));
    Desa(f, "splash_with_picture.png");
    FrmPresent::DesCargar();
    EXPECT_EQ(FrmPresent::Instancia(), nullptr);
}

TEST_F(Arrencada, ScreenScaleOnWidgets)
{
    // 12 twips a pixel (120 dpi): the factors are 0.8; a design keeps its pixels, an image
    // control keeps its twips (so it grows in pixels), a container of another scale mode
    // keeps its controls.
    Visual::setTwipsPerPixel(Visual::TwipsPerPixel{12, 12});
    QWidget w;
    w.resize(600, 400);
    auto* boto = new QLabel("text", &w);
    boto->setGeometry(100, 50, 200, 30);
    auto* imatge = new QLabel(&w);
    QPixmap pix(100, 60);
    pix.fill(Qt::red);
    imatge->setPixmap(pix);
    imatge->setGeometry(300, 200, 100, 60);
    auto* caixa = new QWidget(&w);
    caixa->setProperty("ScaleMode", 3);
    caixa->setGeometry(0, 300, 200, 100);
    auto* dins = new QLabel("in pixels", caixa);
    dins->setGeometry(10, 10, 80, 20);
    Visual::AdaptarDPI(&w);
    EXPECT_FLOAT_EQ(Visual::EscalaActual().EscalaX(), 0.8f);
    EXPECT_EQ(w.size(), QSize(600, 400));
    EXPECT_EQ(boto->geometry(), QRect(100, 50, 200, 30));
    EXPECT_EQ(imatge->geometry(), QRect(300, 200, 125, 75));
    EXPECT_EQ(caixa->geometry(), QRect(0, 300, 200, 100));
    EXPECT_EQ(dins->geometry(), QRect(10, 10, 80, 20));

    Visual::setTwipsPerPixel(Visual::TwipsPerPixel{15, 15});
    const QRect pantalla = w.screen()->geometry();
    w.resize(400, 300);
    Visual::CentrarFormulari(&w);
    EXPECT_EQ(w.pos(), pantalla.topLeft() + QPoint((pantalla.width() - 400) / 2, (pantalla.height() - 300) / 2));
    w.resize(400, pantalla.height() - 20);
    Visual::CentrarFormulari(&w);
    EXPECT_EQ(w.pos().y(), pantalla.y());
    Visual::setTwipsPerPixel(std::nullopt);
    Visual::CalculaEscala({});
}
