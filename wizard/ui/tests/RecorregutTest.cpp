// The whole road through the wizard window on each host, by clicks and keys on its named
// controls: paper, format, data source, design, final options, Finish; the document made is
// converted by LibreOffice and its pages counted and measured. Each panel is also written
// as a picture into the build folder (wizard-panels/) to be looked at, and its layout checked:
// nothing cut off or overlapping, every text whole, no strip of the window at its edges.
#include "wizard/ui/FrmTolvWiz.h"
#include "wizard/panels/PasDisseny.h"
#include "wizard/ui/tests/FinestraProva.h"
#include "testsupport/Espera.h"

#include "common/ui/VisualUi.h"

#include "appearance/ui/Aparenca.h"
#include "catalogue/Catalogo.h"
#include "catalogue/Detalles.h"
#include "catalogue/Unidades.h"
#include "catalogue/Cataleg.h"
#include "catalogue/tests/Ayudas.h"
#include "catalogue/ui/VistaPreviaHoja.h"
#include "catalogue/ui/frmOptions.h"
#include "common/HostProfile.h"
#include "common/Fitxers.h"
#include "common/ModReg.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ui/BotoImatge.h"
#include "common/ui/Finestres.h"
#include "common/ui/ModTolvWizUi.h"
#include "common/ui/frm_rvtMsgBox.h"
#include "common/ui/tests/Disposicio.h"
#include "documents/Geometria.h"
#include "documents/ui/MarcDisseny.h"
#include "documents/generar_doc.h"
#include "platform/access/tests/SqliteFixture.h"
#include "platform/docframe/ui/MarcDocument.h"
#include "platform/word/Document.h"

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMap>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>

using kovel::ui::BotoImatge;
using kovel::wizard::FrmTolvWiz;

namespace {

QApplication& App() { return kovel::proves::AppFinestres(); }
using kovel::proves::Busca;
using kovel::proves::Clica;
using kovel::proves::EscoltaAssistent;
using kovel::proves::FinestraAmbDesa;

// A window whose store holds saved designs.
struct AmbGuardats : FrmTolvWiz {
    bool hiHaGuardats() override { return true; }
};

struct Resultat {
    int pagines = 0;
    double ample = 0, alt = 0;   // points, first page
};

// The document converted by LibreOffice: its pages and the first page's size.
Resultat AmbLibreOffice(const QString& docx, const QString& carpeta)
{
    Resultat r;
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    EXPECT_FALSE(pdfinfo.isEmpty()) << "pdfinfo is not installed (poppler-utils)";
    const QString pdf = kovel::proves::PdfAmbLibreOffice(docx, carpeta);
    if (pdf.isEmpty() || pdfinfo.isEmpty())
        return r;
    QProcess info;
    info.start(pdfinfo, {pdf});
    info.waitForFinished(120000);
    const QString text = QString::fromUtf8(info.readAllStandardOutput());
    const auto pagines = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(text);
    const auto mida = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(text);
    r.pagines = pagines.captured(1).toInt();
    r.ample = mida.captured(1).toDouble();
    r.alt = mida.captured(2).toDouble();
    return r;
}

class Recorregut : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        ASSERT_TRUE(dir.isValid());
        dir.setAutoRemove(qEnvironmentVariableIsEmpty("KOVEL_KEEP"));
        kovel::proves::LibreOfficeCompartit::Engega();
        // A home of the case's own: no settings, registry or saved design of an earlier case.
        qputenv("KOVEL_USER_REGISTRY", (dir.path() + QStringLiteral("/user.reg")).toUtf8());
        qputenv("KOVEL_MACHINE_REGISTRY", (dir.path() + QStringLiteral("/machine.reg")).toUtf8());
        for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            const QString carpeta = dir.path() + QStringLiteral("/home/") + QLatin1String(var);
            ASSERT_TRUE(QDir().mkpath(carpeta));
            qputenv(var, carpeta.toUtf8());
        }
        QString m;
        ASSERT_TRUE(ModTraduccion::CarregarLiterals(m)) << qPrintable(m);
        EscoltaAssistent(missatges, oberts);
        QDir().mkpath(QStringLiteral(KOVEL_BINARY_DIR "/wizard-panels"));
        // The desktop's scale (0), or a fixed one: 15 twips a pixel, or 12 (125% screen scale).
        escala_ = EscalaDemanada();
        if (escala_ > 0)
            Visual::setTwipsPerPixel(Visual::TwipsPerPixel{double(escala_), double(escala_)});
    }
    void TearDown() override
    {
        Visual::setTwipsPerPixel(std::nullopt);
        mod_rvtMsgBox::resetAnswerer();
        ModTolvWiz::setObridorShell({});
    }

    // The window as it stands, into the build folder.
    void Fotografia(FrmTolvWiz& w, const QString& host)
    {
        QApplication::processEvents();
        const QString escala = escala_ > 0 ? QStringLiteral("-%1tw").arg(escala_) : QString();
        const QString cami =
            QStringLiteral(KOVEL_BINARY_DIR "/wizard-panels/%1-panel%2%3.png").arg(host).arg(w.estat().PanelActual).arg(escala);
        EXPECT_TRUE(w.grab().save(cami)) << qPrintable(cami);
        ComprovaDisposicio(w);
        ComprovaVores(w);
    }

    // Nothing of the window cut off, overlapping or with a text cut; its inside all panel
    // and bottom bar, with no strip of the window's own at any edge.
    static void ComprovaDisposicio(QWidget& w)
    {
        for (const QString& falta : kovel::proves::FaltesDisposicio(&w))
            ADD_FAILURE() << qPrintable(w.objectName()) << ": " << qPrintable(falta);
    }
    static void ComprovaVores(FrmTolvWiz& w)
    {
        const QImage finestra = w.grab().toImage();
        QList<QWidget*> peces;
        for (QWidget* c : w.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (c->isVisible())
                peces << c;
        QMap<QWidget*, QImage> imatges;
        int faltes = 0;
        auto mira = [&](int x, int y) {
            const QPoint p(x, y);
            for (QWidget* c : peces)
                if (c->geometry().contains(p)) {
                    if (!imatges.contains(c))
                        imatges.insert(c, c->grab().toImage());
                    const QRgb dins = imatges[c].pixel(p - c->pos());
                    if (finestra.pixel(p) != dins && faltes++ < 5)
                        ADD_FAILURE() << "the edge at " << x << "," << y << " is not " << qPrintable(c->objectName());
                    return;
                }
            if (faltes++ < 5)
                ADD_FAILURE() << "a strip of the window itself at " << x << "," << y;
        };
        for (int x = 0; x < finestra.width(); ++x) {
            mira(x, 0);
            mira(x, finestra.height() - 1);
        }
        for (int y = 0; y < finestra.height(); ++y) {
            mira(0, y);
            mira(finestra.width() - 1, y);
        }
    }
    virtual int EscalaDemanada() const { return 0; }
    int escala_ = 0;

    // Home, paper (A4), a format (803 unless told) found by its reference; leaves the data-source panel shown.
    void FinsOrigen(FrmTolvWiz& w, const QString& host, int referencia = 803)
    {
        ASSERT_TRUE(w.Cargar()) << qPrintable(missatges.join(u'\n'));
        const kovel::NumerosPanel& np = w.estat().numerosPanel();
        EXPECT_EQ(w.estat().PanelActual, np.PanelInicio);
        EXPECT_FALSE(Busca(w, "CmdAnterior")->isVisible());
        Fotografia(w, host);
        Clica(w, "CmdSiguiente");
        ASSERT_EQ(w.estat().PanelActual, np.PanelFormato);
        // Next without a paper type: the choice is asked for and the panel stays.
        Clica(w, "CmdSiguiente");
        EXPECT_EQ(w.estat().PanelActual, np.PanelFormato);
        ASSERT_EQ(missatges.size(), 1);
        EXPECT_TRUE(missatges.takeFirst().contains(QStringLiteral("paper")));
        Clica(w, "optDinA4");
        Fotografia(w, host);
        Clica(w, "CmdSiguiente");
        ASSERT_EQ(w.estat().PanelActual, np.PanelEtiqueta);
        auto* ref = Busca<QLineEdit>(w, "txtReferencia");
        QTest::mouseClick(ref, Qt::LeftButton);
        QTest::keyClicks(ref, referencia == 803 ? QStringLiteral("8x03") : QString::number(referencia));   // letters are dropped
        EXPECT_EQ(ref->text(), QString::number(referencia));
        if (host == QLatin1String("word"))
            QTest::keyClick(ref, Qt::Key_Return);
        else
            Clica(w, "btn_buscar_ref");
        ASSERT_GE(ModTolvWiz::FormatSeleccionat(w.estat().cataleg()), 0);
        EXPECT_EQ(w.estat().cataleg().Etiquetas[ModTolvWiz::FormatSeleccionat(w.estat().cataleg())].Codigo, referencia);
        // Options of different groups on one panel stay on together.
        EXPECT_TRUE(Busca<BotoImatge>(w, "optOrden", 0)->valor());
        EXPECT_TRUE(Busca<BotoImatge>(w, "opt_Vertical")->valor());
        Fotografia(w, host);
        Clica(w, "CmdSiguiente");
        ASSERT_EQ(w.estat().PanelActual, np.PanelOrigenDatos) << qPrintable(missatges.join(u'\n'));
        // Back returns to the format list as it was; Next again.
        Clica(w, "CmdAnterior");
        EXPECT_EQ(w.estat().PanelActual, np.PanelEtiqueta);
        EXPECT_EQ(w.estat().cataleg().Etiquetas[ModTolvWiz::FormatSeleccionat(w.estat().cataleg())].Codigo, referencia);
        Clica(w, "CmdSiguiente");
        ASSERT_EQ(w.estat().PanelActual, np.PanelOrigenDatos);
        EXPECT_EQ(ModReg::LlegirSeleccio(QStringLiteral("Etiqueta")), QString::number(referencia));
    }

    // Picks the fields from the design panel's field menu.
    void InsereixCamps(FrmTolvWiz& w, const QStringList& camps) { kovel::proves::TriaCamps(w, camps); }

    // Finish, then the document: opened once, with the pages and page size expected.
    void Acaba(FrmTolvWiz& w, const QString& host, int pagines)
    {
        Fotografia(w, host);
        Clica(w, "CmdSiguiente");
        EXPECT_TRUE(missatges.isEmpty()) << qPrintable(missatges.join(u'\n'));
        ASSERT_EQ(oberts.size(), 1);
        EXPECT_FALSE(w.isVisible());   // Finish closes the wizard without asking
        const std::unique_ptr<kovel::word::Document> doc = kovel::word::Document::open(oberts[0]);
        const kovel::word::PageSetup ps = doc->pageSetup();
        const Resultat r = AmbLibreOffice(oberts[0], dir.path());
        EXPECT_EQ(r.pagines, pagines);
        EXPECT_NEAR(r.ample, ps.pageWidth().value, 1.0);
        EXPECT_NEAR(r.alt, ps.pageHeight().value, 1.0);
        // The sheet's used area, as the catalogue gives it.
        const generar_doc::PaginaSortida pagina = generar_doc::CalculaPaginaSortida(
            generar_doc::MidesDeCatalogo(w.estat().cataleg(), ModTolvWiz::FormatSeleccionat(w.estat().cataleg())), w.estat().horitzontal());
        EXPECT_NEAR(r.ample, pagina.amplePt, 1.0);
        EXPECT_NEAR(r.alt, pagina.altPt, 1.0);
    }

    static int PerFull(FrmTolvWiz& w)
    {
        const EtiquetaCatalogo& e = w.estat().cataleg().Etiquetas[ModTolvWiz::FormatSeleccionat(w.estat().cataleg())];
        return e.Filas * e.Columnas;
    }

    QTemporaryDir dir;
    QStringList missatges;
    QStringList oberts;
};

} // namespace

// The roads that run at both screen scales, each case with a fresh window and state.
class RecorregutEscala : public Recorregut, public ::testing::WithParamInterface<int> {
protected:
    int EscalaDemanada() const override { return GetParam(); }
};

static std::string NomEscala(const ::testing::TestParamInfo<int>& info)
{
    return info.param > 0 ? std::to_string(info.param) + "tw" : std::string("desktop");
}

INSTANTIATE_TEST_SUITE_P(Escales, RecorregutEscala, ::testing::Values(0, 12), NomEscala);

TEST_P(RecorregutEscala, SpreadsheetHostFromAWorkbookOf250Rows)
{
    Excel_espec::Inicialitzar();
    const QString llibre = dir.filePath(QStringLiteral("addresses.xlsx"));
    lxw_workbook* wb = workbook_new(llibre.toUtf8().constData());
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Addresses");
    worksheet_write_string(ws, 0, 0, "Name", nullptr);
    worksheet_write_string(ws, 0, 1, "Street", nullptr);
    worksheet_write_string(ws, 0, 2, "Code", nullptr);
    for (int r = 1; r <= 250; ++r) {
        worksheet_write_string(ws, r, 0, QStringLiteral("Person %1").arg(r).toUtf8().constData(), nullptr);
        worksheet_write_string(ws, r, 1, QStringLiteral("%1 High Street").arg(r).toUtf8().constData(), nullptr);
        worksheet_write_number(ws, r, 2, 100000 + r, nullptr);
    }
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
    qputenv("KOVEL_ACTIVE_WORKBOOK", llibre.toUtf8());

    FrmTolvWiz w;
    const kovel::NumerosPanel& np = w.estat().numerosPanel();
    w.estat().setCarpetaDades(dir.path() + QStringLiteral("/data/"));
    FinsOrigen(w, QStringLiteral("excel"));
    auto* fulls = Busca<QListWidget>(w, "LstHojas");
    ASSERT_EQ(fulls->count(), 1);
    EXPECT_EQ(fulls->currentItem()->text(), QStringLiteral("Addresses"));
    Fotografia(w, QStringLiteral("excel"));
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelDiseno);
    EXPECT_EQ(w.estat().pasDisseny().mnuCampo, (QStringList{"A", "B", "C"}));
    // A design without any field is refused with its message.
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_EQ(missatges.takeFirst(), ModTraduccion::Literal(12));
    InsereixCamps(w, {"A", "B", "C"});
    Fotografia(w, QStringLiteral("excel"));
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelFinal) << qPrintable(missatges.join(u'\n'));
    // The heading row names the columns over numbers: the rows to print start after it.
    EXPECT_EQ(Busca<QLineEdit>(w, "txtFila_inicial")->text(), QStringLiteral("2"));
    EXPECT_EQ(Busca<QLineEdit>(w, "txtFila_final")->text(), QStringLiteral("251"));
    // One label for each record stands chosen, its caption in bold; the other's is plain.
    EXPECT_TRUE(Busca<BotoImatge>(w, "OpcEtiqpag", 0)->valor());
    EXPECT_TRUE(Busca<QLabel>(w, "lblEtiqpag", 0)->font().bold());
    EXPECT_FALSE(Busca<QLabel>(w, "lblEtiqpag", 1)->font().bold());
    // The text asks for what the panel shows, and nothing else.
    const QString text = Busca<QLabel>(w, "LblPresentacion2")->text();
    EXPECT_TRUE(text.contains(QStringLiteral("row"))) << qPrintable(text);
    EXPECT_FALSE(text.contains(QStringLiteral("copies"))) << qPrintable(text);
    Clica(w, "OpcEtiqpag", 0);
    // A typed first row: letters are dropped.
    auto* primera = Busca<QLineEdit>(w, "txtFila_inicial");
    QTest::mouseClick(primera, Qt::LeftButton);
    primera->selectAll();
    QTest::keyClicks(primera, QStringLiteral("x2"));
    QTest::keyClick(primera, Qt::Key_Tab);
    EXPECT_EQ(primera->text(), QStringLiteral("2"));
    Acaba(w, QStringLiteral("excel"), (250 + PerFull(w) - 1) / PerFull(w));
}

TEST_P(RecorregutEscala, DatabaseHostFromASqliteDatabase)
{
    Access_espec::Inicialitzar();
    const QString base = dir.filePath(QStringLiteral("shop.sqlite"));
    QByteArray sql = "CREATE TABLE Customers(Name TEXT, Town TEXT, Code INTEGER); INSERT INTO Customers VALUES ";
    for (int i = 1; i <= 40; ++i)
        sql += QStringLiteral("%1('Customer %2', 'Town %2', %3)").arg(i > 1 ? "," : "").arg(i).arg(5000 + i).toUtf8();
    sql += "; CREATE TABLE MSysHidden(X TEXT); CREATE TABLE Nobody(X TEXT);";
    fixtures::MakeSqlite(base, sql.constData());
    qputenv("KOVEL_CURRENT_DATABASE", base.toUtf8());

    FrmTolvWiz w;
    const kovel::NumerosPanel& np = w.estat().numerosPanel();
    w.estat().setCarpetaDades(dir.path() + QStringLiteral("/data/"));
    FinsOrigen(w, QStringLiteral("access"));
    auto* taules = Busca<QListWidget>(w, "LstTablas");
    ASSERT_EQ(taules->count(), 2);   // the system table is not listed
    // A table without records is refused with a message naming it.
    taules->setCurrentRow(1);
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_TRUE(missatges.takeFirst().contains(QStringLiteral("Nobody")));
    taules->setCurrentRow(0);
    Fotografia(w, QStringLiteral("access"));
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelDiseno);
    EXPECT_EQ(w.estat().pasDisseny().mnuCampo, (QStringList{"Name", "Town", "Code"}));
    InsereixCamps(w, {"Name", "Code"});
    Fotografia(w, QStringLiteral("access"));
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelFinal) << qPrintable(missatges.join(u'\n'));
    Clica(w, "lblEtiqpag", 0);   // the caption acts as its option
    Acaba(w, QStringLiteral("access"), (40 + PerFull(w) - 1) / PerFull(w));
}

TEST_P(RecorregutEscala, WordProcessorHostWithoutData)
{
    Word_espec::Inicialitzar();
    FrmTolvWiz w;
    const kovel::NumerosPanel& np = w.estat().numerosPanel();
    w.estat().setCarpetaDades(dir.path() + QStringLiteral("/data/"));
    FinsOrigen(w, QStringLiteral("word"));
    // The word processor's host asks for a way of filling the sheet; the list sources, with
    // no list to fill them from, are not offered.
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_TRUE(missatges.takeFirst().contains(QStringLiteral("how the labels")));
    EXPECT_FALSE(Busca(w, "opcOrigDatos", 2)->isVisible());
    EXPECT_FALSE(Busca(w, "Label_opcDatos", 3)->isVisible());
    Clica(w, "opcOrigDatos", 1);
    Fotografia(w, QStringLiteral("word"));
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelDiseno);
    Fotografia(w, QStringLiteral("word"));
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelFinal) << qPrintable(missatges.join(u'\n'));
    // Preview makes the document and keeps the wizard; Finish then does not make it again.
    Clica(w, "cmdPresentacion");
    EXPECT_EQ(oberts.size(), 1);
    EXPECT_TRUE(w.isVisible());
    oberts.clear();
    Fotografia(w, QStringLiteral("word"));
    // The word processor's host makes one sheet: no number of copies is offered.
    EXPECT_EQ(Busca(w, "Check_Copias"), nullptr);
    Clica(w, "CmdSiguiente");
    EXPECT_TRUE(oberts.isEmpty());
    EXPECT_FALSE(w.isVisible());
    // Finish says that the preview's document is the result.
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_TRUE(missatges.takeFirst().contains(QFileInfo(w.estat().documentGenerat()).fileName()));
    oberts << w.estat().documentGenerat();
    const Resultat r = AmbLibreOffice(oberts[0], dir.path());
    EXPECT_EQ(r.pagines, 1);
}

// ---- The design: fields, codes linked to fields, per-cell designs ----

namespace {

// One word of `pdftotext -bbox`, in points from the page's top left.
struct Paraula {
    double x = 0, y = 0;   // centre
    QString text;
};

QList<Paraula> ParaulesPrimeraPagina(const QString& pdf)
{
    QList<Paraula> out;
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                                          QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(60000));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression re(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        out.push_back({(m.captured(1).toDouble() + m.captured(3).toDouble()) / 2,
                       (m.captured(2).toDouble() + m.captured(4).toDouble()) / 2, m.captured(5)});
    }
    return out;
}

// The label cells of the first page, in points, in the generator's row-major order.
QList<QRectF> CellesPrimeraPagina(const Cataleg& cat, int format, bool horitzontal)
{
    const generar_doc::MidesFull m = generar_doc::MidesDeCatalogo(cat, format);
    const generar_doc::PaginaSortida p = generar_doc::CalculaPaginaSortida(m, horitzontal);
    constexpr double cm = 72.0 / 2.54;
    QList<QRectF> out;
    for (int f = 0; f < m.files; ++f)
        for (int c = 0; c < m.columnes; ++c)
            out << QRectF(p.margeEsqPt + c * m.pasHorCm * cm, p.margeSupPt + f * m.pasVerCm * cm, m.amplCm * cm,
                          m.altCm * cm);
    return out;
}

// The words whose centres fall in the cell, in reading order.
QString TextCella(const QList<Paraula>& paraules, const QRectF& cella)
{
    QStringList t;
    for (const Paraula& p : paraules)
        if (cella.contains(p.x, p.y))
            t << p.text;
    return t.join(u' ');
}

QString Descodifica(const QImage& retall, ZXing::BarcodeFormat format)
{
    const QImage grey = retall.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setTryHarder(true);
    hints.setFormats(format);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                int(grey.bytesPerLine()));
    const ZXing::Result r = ZXing::ReadBarcode(view, hints);
    return r.isValid() ? QString::fromStdString(r.text()) : QStringLiteral("<not read>");
}

using kovel::proves::AmbDigitControl;

} // namespace

TEST_F(Recorregut, CodesLinkedToFieldsOnTheSpreadsheetHost)
{
    Excel_espec::Inicialitzar();
    // Rows without a heading: the first row to print is the sample the code dialogs show.
    const int files = 30;
    const QString llibre = dir.filePath(QStringLiteral("codes.xlsx"));
    lxw_workbook* wb = workbook_new(llibre.toUtf8().constData());
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Stock");
    for (int r = 0; r < files; ++r) {
        worksheet_write_string(ws, r, 0, QStringLiteral("Person %1").arg(r + 1).toUtf8().constData(), nullptr);
        worksheet_write_string(ws, r, 1, QStringLiteral("%1 High Street").arg(r + 1).toUtf8().constData(), nullptr);
        worksheet_write_string(ws, r, 2, QStringLiteral("4006381%1").arg(r + 1, 5, 10, QLatin1Char('0')).toUtf8().constData(), nullptr);
    }
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
    qputenv("KOVEL_ACTIVE_WORKBOOK", llibre.toUtf8());

    FrmTolvWiz w;
    const kovel::NumerosPanel& np = w.estat().numerosPanel();
    w.estat().setCarpetaDades(dir.path() + QStringLiteral("/data/"));
    CarpetaDades = dir.path() + QStringLiteral("/data/");
    FinsOrigen(w, QStringLiteral("codes"), 811);   // labels of 99 x 68 mm
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelDiseno);
    auto* editor = Busca<QTextEdit>(w, "txtDisseny");
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(Busca(w, "dsoFraWord")->isVisible());
    // Typed text, two fields, and a code of each kind on the next line.
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClicks(editor, QStringLiteral("To: "));
    InsereixCamps(w, {"A"});
    QTest::keyClick(editor, Qt::Key_Return);
    InsereixCamps(w, {"B"});
    QTest::keyClick(editor, Qt::Key_Return);
    auto dialeg = [](const char* acceptar, int camp) {
        QTimer::singleShot(0, [acceptar, camp] {
            QWidget* d = QApplication::activeModalWidget();
            ASSERT_NE(d, nullptr);
            auto* llista = d->findChild<QComboBox*>(QStringLiteral("cboCamp"));
            ASSERT_NE(llista, nullptr);
            llista->setCurrentIndex(camp);
            d->findChild<QRadioButton*>(QStringLiteral("optCamp"))->click();
            d->findChild<QPushButton*>(QLatin1String(acceptar))->click();
            if (d->isVisible())
                d->close();
        });
    };
    dialeg("btnAcceptar", 2);
    Clica(w, "btn_barres");
    QTest::keyClicks(editor, QStringLiteral(" "));
    dialeg("btnAceptar", 0);
    Clica(w, "btn_qr");
    EXPECT_TRUE(missatges.isEmpty()) << qPrintable(missatges.join(u'\n'));
    kovel::word::Document* disseny = w.estat().disseny();
    ASSERT_NE(disseny, nullptr);
    QStringList alts;
    for (const kovel::word::InlinePicture* p : disseny->inlinePictures())
        alts << p->alternativeText();
    EXPECT_EQ(alts, (QStringList{"TOLV_campA", "TOLV_campB", "TOLV_barres_1_C", "TOLV_qr_1_A"}));
    // The guard has had its ticks: the design still fits its label.
    QTest::qWait(1100);
    EXPECT_EQ(w.Marc()->NombrePagines(), 1);
    EXPECT_EQ(w.estat().disseny()->inlinePictures().size(), 4u);
    Fotografia(w, QStringLiteral("codes"));
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelFinal) << qPrintable(missatges.join(u'\n'));
    Clica(w, "OpcEtiqpag", 0);
    const int format = ModTolvWiz::FormatSeleccionat(w.estat().cataleg());
    const bool horitzontal = w.estat().horitzontal();
    Acaba(w, QStringLiteral("codes"), (files + PerFull(w) - 1) / PerFull(w));
    ASSERT_EQ(oberts.size(), 1);

    // Every label of the first page: its record's texts in its cell, and its codes.
    const QString pdf = dir.path() + u'/' + QFileInfo(oberts[0]).completeBaseName() + QStringLiteral(".pdf");
    const QList<Paraula> paraules = ParaulesPrimeraPagina(pdf);
    const QList<QRectF> celles = CellesPrimeraPagina(w.estat().cataleg(), format, horitzontal);
    ASSERT_EQ(celles.size(), PerFull(w));
    const int primera = std::min<int>(files, int(celles.size()));
    for (int i = 0; i < primera; ++i) {
        const QString t = TextCella(paraules, celles[i]);
        EXPECT_TRUE(t.contains(QStringLiteral("To: Person %1 ").arg(i + 1) + QString::number(i + 1) + QStringLiteral(" High Street")))
            << "label " << i << ": " << qPrintable(t);
    }
    constexpr int dpi = 200;
    QProcess ppm;
    ppm.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QStringLiteral("1"),
                                            QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-png"), pdf,
                                            dir.filePath(QStringLiteral("page"))});
    ASSERT_TRUE(ppm.waitForFinished(60000));
    const QStringList pngs = QDir(dir.path()).entryList({QStringLiteral("page*.png")});
    ASSERT_EQ(pngs.size(), 1);
    const QImage pagina(dir.filePath(pngs[0]));
    ASSERT_FALSE(pagina.isNull());
    pagina.save(QStringLiteral(KOVEL_BINARY_DIR "/wizard-panels/codes-document-page1.png"));
    const double escala = dpi / 72.0;
    for (int i = 0; i < primera; ++i) {
        const QRectF c = celles[i];
        const QImage retall = pagina.copy(QRectF(c.x() * escala, c.y() * escala, c.width() * escala, c.height() * escala).toRect());
        EXPECT_EQ(Descodifica(retall, ZXing::BarcodeFormat::EAN13),
                  AmbDigitControl(QStringLiteral("4006381%1").arg(i + 1, 5, 10, QLatin1Char('0'))))
            << "label " << i;
        EXPECT_EQ(Descodifica(retall, ZXing::BarcodeFormat::QRCode), QStringLiteral("Person %1").arg(i + 1)) << "label " << i;
    }
}

// A sheet of four different labels: each cell chosen on the large preview and designed
// apart; the cell never designed stays empty in the document.
TEST_F(Recorregut, CellsOfASheetOfDifferentLabels)
{
    Word_espec::Inicialitzar();
    FinestraAmbDesa w;
    const kovel::NumerosPanel& np = w.estat().numerosPanel();
    w.estat().setCarpetaDades(dir.path() + QStringLiteral("/data/"));
    CarpetaDades = dir.path() + QStringLiteral("/data/");
    FinsOrigen(w, QStringLiteral("cells"), 814);   // two by two
    // The format's details open over the wizard from the format panel.
    Clica(w, "CmdAnterior");
    bool detalls = false;
    QTimer::singleShot(0, [&detalls] {
        auto* d = qobject_cast<frmOptions*>(QApplication::activeModalWidget());
        detalls = d != nullptr;
        if (QWidget* m = QApplication::activeModalWidget())
            m->close();
    });
    Clica(w, "cmd_tipo_informacion");
    EXPECT_TRUE(detalls);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w, kovel::test::EsperaMaximaMs));
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelOrigenDatos);
    Clica(w, "opcOrigDatos", 0);
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelDiseno);
    ASSERT_TRUE(Busca(w, "PnlHoja")->isVisible());
    // Cells are chosen on the sheet: no navigation row that would step nowhere.
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(Busca(w, "cmdHoja", i)->isVisible()) << i;
    EXPECT_FALSE(Busca(w, "LblHoja")->isVisible());
    kovel::catalogue::PctHoja* hoja = w.previes().PctHoja(1);
    ASSERT_NE(hoja, nullptr);
    ASSERT_TRUE(hoja->isVisible());
    auto* editor = Busca<QTextEdit>(w, "txtDisseny");
    auto tria = [&](int celda) {
        for (const kovel::catalogue::CajaEtiqueta& k : hoja->geometria().etiquetas)
            if (k.celda == celda) {
                QTest::mouseClick(hoja, Qt::LeftButton, {}, QPointF((k.x1 + k.x2) / 2, (k.y1 + k.y2) / 2).toPoint());
                return;
            }
        ADD_FAILURE() << "no cell " << celda << " on the preview";
    };
    auto escriu = [&](const QString& text) {
        QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClicks(editor, text);
    };
    const QStringList textos = {QStringLiteral("North west"), QStringLiteral("North east"), QString(),
                                QStringLiteral("South east")};
    escriu(textos[0]);
    tria(1);
    EXPECT_EQ(w.estat().pasDisseny().caselles.CasellaActual, 1);
    EXPECT_TRUE(editor->toPlainText().trimmed().isEmpty());   // a fresh label
    escriu(textos[1]);
    tria(3);
    escriu(textos[3]);
    tria(0);   // a designed cell comes back as it was left
    EXPECT_EQ(editor->toPlainText().trimmed(), textos[0]);
    tria(3);
    EXPECT_EQ(editor->toPlainText().trimmed(), textos[3]);
    EXPECT_FALSE(w.estat().pasDisseny().caselles.CasellaBuida(0));
    EXPECT_FALSE(w.estat().pasDisseny().caselles.CasellaBuida(1));
    EXPECT_TRUE(w.estat().pasDisseny().caselles.CasellaBuida(2));
    Fotografia(w, QStringLiteral("cells"));

    // The one-page guard: a paste that pushes the label onto a second page is undone on the
    // guard's next tick, with one beep, and what was there stays.
    int beeps = 0;
    w.marcDisseny().Beep = [&beeps] { ++beeps; };
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
    ASSERT_TRUE(w.findChild<QTimer*>(QStringLiteral("TimerEvitar2pags"))->isActive());
    QApplication::clipboard()->setText(QStringLiteral("line\n").repeated(80));
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    ASSERT_GE(w.Marc()->NombrePagines(), 2);
    kovel::test::EsperaFins([&] { return w.Marc()->NombrePagines() == 1; });
    ASSERT_EQ(w.Marc()->NombrePagines(), 1);
    QTest::qWait(1100);   // later ticks change nothing
    EXPECT_EQ(beeps, 1);
    // ...and one message says what was taken out again.
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_TRUE(missatges.takeFirst().contains(QStringLiteral("one label")));
    EXPECT_EQ(editor->toPlainText().trimmed(), textos[3]);
    w.marcDisseny().Beep = [] {};

    // The user's own save is the save-design command: the cell's file is not written
    // behind it, and its changes are still to be saved.
    int desades = 0;
    w.desa = [&desades] { ++desades; };
    QTest::keyClicks(editor, QStringLiteral("?"));
    const QString fitxer = w.Marc()->NomComplet();
    const QDateTime abans = QFileInfo(fitxer).lastModified();
    QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(desades, 1);
    EXPECT_FALSE(w.Marc()->Desat());
    EXPECT_EQ(QFileInfo(fitxer).lastModified(), abans);
    QTest::keyClick(editor, Qt::Key_Backspace);

    // A cell whose file cannot be read shows a blank label, with the message.
    tria(0);
    const QString danyat = w.estat().pasDisseny().caselles.NomsCaselles.value(1);
    ASSERT_FALSE(danyat.isEmpty());
    QFile f(danyat);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a document");
    f.close();
    missatges.clear();
    tria(1);
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_TRUE(missatges.takeFirst().contains(danyat));
    EXPECT_TRUE(editor->toPlainText().trimmed().isEmpty());
    // So does a saved design that cannot be read.
    EXPECT_FALSE(w.estat().pasDisseny().ObreDisseny(danyat));
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_TRUE(missatges.takeFirst().contains(danyat));
    EXPECT_TRUE(w.Marc()->TeDocument());
    EXPECT_TRUE(editor->toPlainText().trimmed().isEmpty());
    tria(1);   // the cell is designed again
    missatges.clear();
    escriu(textos[1]);
    tria(3);
    // The last cell is changed and not saved by a click: the generation saves it.
    QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("!"));
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelFinal) << qPrintable(missatges.join(u'\n'));
    const int format = ModTolvWiz::FormatSeleccionat(w.estat().cataleg());
    const bool horitzontal = w.estat().horitzontal();
    Acaba(w, QStringLiteral("cells"), 1);
    ASSERT_EQ(oberts.size(), 1);
    const QString pdf = dir.path() + u'/' + QFileInfo(oberts[0]).completeBaseName() + QStringLiteral(".pdf");
    const QList<Paraula> paraules = ParaulesPrimeraPagina(pdf);
    const QList<QRectF> celles = CellesPrimeraPagina(w.estat().cataleg(), format, horitzontal);
    ASSERT_EQ(celles.size(), 4);
    EXPECT_EQ(TextCella(paraules, celles[0]), textos[0]);
    EXPECT_EQ(TextCella(paraules, celles[1]), textos[1]);
    EXPECT_EQ(TextCella(paraules, celles[2]), QString());
    EXPECT_EQ(TextCella(paraules, celles[3]), textos[3] + u'!');
}

TEST_F(Recorregut, ClosingPastTheHomePanelAsksFirst)
{
    Word_espec::Inicialitzar();
    FrmTolvWiz w;
    ASSERT_TRUE(w.Cargar());
    Clica(w, "CmdSiguiente");
    // Each link opens its page once, with the desktop's handler, however the window was tied.
    int clicats = 0;
    for (const char* enllac : {"lbl_ayuda", "cmd_ayuda", "lbl_email", "cmd_email", "img_web"}) {
        if (QWidget* c = Busca(w, enllac); !c || !c->isVisible())
            continue;   // the product look may hide one
        ++clicats;
        Clica(w, enllac);
        ASSERT_EQ(oberts.size(), 1) << enllac;
        const QString obert = oberts.takeFirst();
        if (QByteArray(enllac).endsWith("ayuda"))
            EXPECT_TRUE(obert.endsWith(QStringLiteral("Help/Help_word.htm"))) << qPrintable(obert);
        else
            EXPECT_FALSE(obert.isEmpty()) << enllac;
    }
    EXPECT_GE(clicats, 4);
    EXPECT_TRUE(missatges.isEmpty());
    EXPECT_EQ(w.property("HelpContextID").toInt(), 2020);
    std::int16_t resposta = mod_rvtMsgBox::vbNo;
    mod_rvtMsgBox::setAnswerer([&](const QString& p, std::int16_t, const QString&) {
        missatges << p;
        return resposta;
    });
    // The product look hides the cancel button: the window's own close asks the same.
    EXPECT_FALSE(Busca(w, "cmdCancelar")->isVisible());
    w.close();
    EXPECT_TRUE(w.isVisible());
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_EQ(missatges[0], ModTraduccion::Literal(7));
    resposta = mod_rvtMsgBox::vbYes;
    w.close();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(Recorregut, SampleWorkbookOfTheMainJobOpensInTheWizard)
{
    Excel_espec::Inicialitzar();
    qputenv("KOVEL_ACTIVE_WORKBOOK", QByteArray(KOVEL_PROGRAM_DIR "/samples/addresses.csv"));
    FrmTolvWiz w;
    const kovel::NumerosPanel& np = w.estat().numerosPanel();
    w.estat().setCarpetaDades(dir.path() + QStringLiteral("/data/"));
    FinsOrigen(w, QStringLiteral("sample"));
    ASSERT_EQ(Busca<QListWidget>(w, "LstHojas")->count(), 1);
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelDiseno) << qPrintable(missatges.join(u'\n'));
    EXPECT_EQ(w.estat().pasDisseny().mnuCampo, (QStringList{"A", "B", "C", "D", "E"}));
    EXPECT_GE(w.estat().pasDisseny().UltimaFilaHoja, 30);
}

TEST_F(Recorregut, UnopenableWorkbookEndsTheLoadingWithItsName)
{
    Excel_espec::Inicialitzar();
    const QString llibre = dir.filePath(QStringLiteral("broken.xlsx"));
    QFile f(llibre);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a workbook");
    f.close();
    qputenv("KOVEL_ACTIVE_WORKBOOK", llibre.toUtf8());
    FrmTolvWiz w;
    EXPECT_FALSE(w.Cargar());
    EXPECT_FALSE(w.isVisible());
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_TRUE(missatges[0].contains(QStringLiteral("broken.xlsx"))) << qPrintable(missatges[0]);
}

TEST_F(Recorregut, PaperOptionsFollowTheCatalogueAndCloseTheirGaps)
{
    Word_espec::Inicialitzar();
    // A program folder whose catalogue has A4 and Letter formats only.
    const QString programa = dir.filePath(QStringLiteral("program"));
    QDir().mkpath(programa);
    QFile::copy(QStringLiteral(KOVEL_PROGRAM_DIR "/LITER.UNI"), programa + QStringLiteral("/LITER.UNI"));
    QString error;
    ASSERT_TRUE(kovel::catalogue::EscribeCatalogo(
        programa, {pruebas::UnFormato(101, PapelA4), pruebas::UnFormato(102, PapelLetter)},
        kovel::catalogue::CamposEstandar(), error)) << qPrintable(error);
    const QByteArray abans = qgetenv("KOVEL_PROGRAM_DIR");
    qputenv("KOVEL_PROGRAM_DIR", programa.toUtf8());
    FrmTolvWiz w;
    const bool carregat = w.Cargar();
    qputenv("KOVEL_PROGRAM_DIR", abans);
    ASSERT_TRUE(carregat) << qPrintable(missatges.join(u'\n'));
    Clica(w, "CmdSiguiente");
    Fotografia(w, QStringLiteral("twopapers"));
    EXPECT_FALSE(Busca(w, "optContinuo")->isVisible());
    EXPECT_FALSE(Busca(w, "lblDescrDinA5")->isVisible());
    // Two shown: 3945 / 2 = 1972.5, to even 1972 twips apart from 1760; then, with no
    // continuous paper, Letter takes the continuous paper's designed place (third row).
    EXPECT_EQ(Busca(w, "optDinA4")->y(), kovel::ui::Px(1760));
    EXPECT_EQ(Busca(w, "lblDescrLetter")->y(), kovel::ui::Px(1760 + 2 * 789));
    EXPECT_EQ(Busca(w, "optLetter")->y(), kovel::ui::Px(1760 + 2 * 789));
}

TEST_F(Recorregut, SavedDesignsPanelComesFirstWhenThereAreSome)
{
    Word_espec::Inicialitzar();
    AmbGuardats w;
    const kovel::NumerosPanel& np = w.estat().numerosPanel();
    ASSERT_TRUE(w.Cargar());
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelGuardados);
    EXPECT_FALSE(Busca(w, "CmdAnterior")->isVisible());
    Fotografia(w, QStringLiteral("word"));
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_EQ(missatges.takeFirst(), ModTraduccion::Literal(7005));
    Clica(w, "cmdCrear");
    Clica(w, "lblSiguiente");   // the caption acts as its button
    ASSERT_EQ(w.estat().PanelActual, np.PanelFormato);
    Clica(w, "lblAnterior");
    EXPECT_EQ(w.estat().PanelActual, np.PanelGuardados);
    EXPECT_FALSE(Busca<BotoImatge>(w, "cmdCrear")->valor());   // refilled: no choice
}

// ---- The window's layout on every panel of each host, and the details window ----

namespace {

// The message box in the product's look with a long text, into the build folder, checked.
void MissatgeALaEscala(const QString& host, int escala)
{
    frm_rvtMsgBox box;
    KOVEL_espec::Carga_ImagenesMsgBox(&box);
    box.Preparar(QStringLiteral("The label sheet was written to the documents folder; it opens in the word "
                                "processor, where it can be printed or saved under another name."),
                 std::int16_t(48 | 4), QStringLiteral("KOVEL Videvoviv"));
    Visual::AdaptarDPI(&box);
    box.show();
    QApplication::processEvents();
    const QString sufix = escala > 0 ? QStringLiteral("-%1tw").arg(escala) : QString();
    EXPECT_TRUE(box.grab().save(QStringLiteral(KOVEL_BINARY_DIR "/wizard-panels/%1-msgbox%2.png").arg(host, sufix)));
    for (const QString& falta : kovel::proves::FaltesDisposicio(&box))
        ADD_FAILURE() << "message box: " << qPrintable(falta);
    box.close();
}

} // namespace

class DisposicioFinestra : public Recorregut, public ::testing::WithParamInterface<int> {
protected:
    int EscalaDemanada() const override { return GetParam(); }
    // Home, paper, format, data source, design and final panels: each looked at and checked.
    void Recorre(FrmTolvWiz& w, const QString& host, const std::function<void()>& origen)
    {
        FinsOrigen(w, host);
        const kovel::NumerosPanel& np = w.estat().numerosPanel();
        Fotografia(w, host);
        origen();
        Clica(w, "CmdSiguiente");
        ASSERT_EQ(w.estat().PanelActual, np.PanelDiseno) << qPrintable(missatges.join(u'\n'));
        Fotografia(w, host);
        // The caption of the keep-the-format box acts as its box.
        auto* caixa = Busca<QCheckBox>(w, "Check_Formato");
        ASSERT_TRUE(caixa->isVisible());
        const bool abans = caixa->isChecked();
        Clica(w, "lbl_check_formato");
        EXPECT_NE(caixa->isChecked(), abans);
        caixa->setCheckState(Qt::PartiallyChecked);
        Clica(w, "lbl_check_formato");
        EXPECT_EQ(caixa->checkState(), Qt::Checked) << "a grey box is ticked";
        if (!w.estat().esWord())
            InsereixCamps(w, {w.estat().pasDisseny().mnuCampo.value(0)});
        Clica(w, "CmdSiguiente");
        ASSERT_EQ(w.estat().PanelActual, np.PanelFinal) << qPrintable(missatges.join(u'\n'));
        Fotografia(w, host);
        MissatgeALaEscala(host, escala_);
    }
};

INSTANTIATE_TEST_SUITE_P(Escales, DisposicioFinestra, ::testing::Values(15, 12), NomEscala);

TEST_P(DisposicioFinestra, WindowLayoutOnTheWordProcessorHost)
{
    Word_espec::Inicialitzar();
    FrmTolvWiz w;
    // Last run's data-source choice is not offered again on this host.
    ModReg::DesarSeleccio(QStringLiteral("Opcion"), QStringLiteral("2"));
    w.estat().setCarpetaDades(dir.path() + QStringLiteral("/data/"));
    Recorre(w, QStringLiteral("layout-word"), [&] {
        for (int i = 0; i < 4; ++i)
            EXPECT_FALSE(Busca<BotoImatge>(w, "opcOrigDatos", i)->valor()) << i;
        Clica(w, "opcOrigDatos", 1);
    });
    w.hide();
    // The saved-designs panel, shown first when there are some.
    AmbGuardats guardats;
    ASSERT_TRUE(guardats.Cargar());
    Clica(guardats, "CmdSiguiente");
    ASSERT_EQ(guardats.estat().PanelActual, guardats.estat().numerosPanel().PanelGuardados);
    Fotografia(guardats, QStringLiteral("layout-word"));
}

TEST_P(DisposicioFinestra, WindowLayoutOnTheSpreadsheetHost)
{
    Excel_espec::Inicialitzar();
    qputenv("KOVEL_ACTIVE_WORKBOOK", QByteArray(KOVEL_PROGRAM_DIR "/samples/addresses.csv"));
    FrmTolvWiz w;
    w.estat().setCarpetaDades(dir.path() + QStringLiteral("/data/"));
    Recorre(w, QStringLiteral("layout-excel"), [] {});
}

TEST_P(DisposicioFinestra, WindowLayoutOnTheDatabaseHost)
{
    Access_espec::Inicialitzar();
    const QString base = dir.filePath(QStringLiteral("people.sqlite"));
    fixtures::MakeSqlite(base, "CREATE TABLE People(Name TEXT, Town TEXT); INSERT INTO People VALUES ('Ann', 'Vic');");
    qputenv("KOVEL_CURRENT_DATABASE", base.toUtf8());
    FrmTolvWiz w;
    w.estat().setCarpetaDades(dir.path() + QStringLiteral("/data/"));
    Recorre(w, QStringLiteral("layout-access"), [&] { Busca<QListWidget>(w, "LstTablas")->setCurrentRow(0); });
}

// The format panel's orientation pictures and its size filter's caption.
TEST_P(DisposicioFinestra, WindowLayoutOfTheFormatPanelsPicturesAndFilter)
{
    Word_espec::Inicialitzar();
    FrmTolvWiz w;
    const kovel::NumerosPanel& np = w.estat().numerosPanel();
    ASSERT_TRUE(w.Cargar());
    Clica(w, "CmdSiguiente");
    Clica(w, "optDinA5");
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelEtiqueta);
    auto* vertical = Busca<QLabel>(w, "img_vertical");
    auto* horitzontal = Busca<QLabel>(w, "img_horitzontal");
    ASSERT_TRUE(vertical->isVisible());
    ASSERT_TRUE(horitzontal->isVisible());
    EXPECT_EQ(vertical->property("fitxer").toString().section(u'/', -1), QStringLiteral("a5_vertical.dat"));
    EXPECT_GT(vertical->pixmap().height(), vertical->pixmap().width());
    EXPECT_GT(horitzontal->pixmap().width(), horitzontal->pixmap().height());
    // Back to A4: the A4 pictures.
    Clica(w, "CmdAnterior");
    Clica(w, "optDinA4");
    Clica(w, "CmdSiguiente");
    EXPECT_EQ(vertical->property("fitxer").toString().section(u'/', -1), QStringLiteral("a4_vertical.dat"));

    // A size chosen in the filter stands in bold in place of the search caption; no filter
    // brings the caption back.
    auto* cerca = Busca<QLabel>(w, "lbl_buscar_ref");
    const QString caption = cerca->text();
    ASSERT_FALSE(caption.isEmpty());
    auto* mides = Busca<QComboBox>(w, "cboMides");
    ASSERT_GT(mides->count(), 1);
    const int entrada = mides->findText(QStringLiteral("70 x 37 mm"));
    ASSERT_GT(entrada, 0);
    mides->setCurrentIndex(entrada);
    emit mides->activated(entrada);
    EXPECT_EQ(cerca->text(), QStringLiteral("70 x 37"));
    EXPECT_TRUE(cerca->font().bold());
    Fotografia(w, QStringLiteral("layout-filter"));
    for (int l = 0; l < w.estat().cataleg().Lista.ListCount(); ++l) {
        const int i = w.estat().cataleg().Lista.ItemData(l);
        EXPECT_NEAR(w.estat().cataleg().EtiquetasExt[i].AnchoCom, 7.0, 1e-6);
        EXPECT_NEAR(w.estat().cataleg().EtiquetasExt[i].AltoCom, 3.7, 1e-6);
    }
    mides->setCurrentIndex(0);   // all sizes
    emit mides->activated(0);
    EXPECT_EQ(cerca->text(), caption);
    EXPECT_FALSE(cerca->font().bold());

    // Every line of the list whole, without a sideways scroll bar, in every order.
    auto* llista = Busca<QListView>(w, "LstEtiquetas");
    for (int ordre = 0; ordre < 3; ++ordre) {
        Clica(w, "optOrden", ordre);
        QApplication::processEvents();
        EXPECT_FALSE(llista->horizontalScrollBar()->isVisible());
        for (const QString& falta : kovel::proves::FaltesDisposicio(llista))
            ADD_FAILURE() << "order " << ordre << ": " << qPrintable(falta);
    }
    Fotografia(w, QStringLiteral("layout-list"));
}

// The details window steps through the wizard's own selection: each of its buttons is a click
// in the list, and Next goes on with the format it shows.
TEST_P(DisposicioFinestra, DetailsWindowDrivesTheWizardsSelection)
{
    Word_espec::Inicialitzar();
    frmOptions::setAparenca([](frmOptions* f) { KOVEL_espec::Carga_ImagenesOpciones(f); });
    FrmTolvWiz w;
    const kovel::NumerosPanel& np = w.estat().numerosPanel();
    w.estat().setCarpetaDades(dir.path() + QStringLiteral("/data/"));
    FinsOrigen(w, QStringLiteral("details"), 806);
    Clica(w, "CmdAnterior");
    ASSERT_EQ(w.estat().PanelActual, np.PanelEtiqueta);
    auto* llista = Busca<QListView>(w, "LstEtiquetas");
    const ModeloEtiquetas& model = w.estat().cataleg().Lista;
    const int inici = model.ListIndex();
    ASSERT_GT(inici, 1);
    const QString sufix = escala_ > 0 ? QStringLiteral("-%1tw").arg(escala_) : QString();
    int mostrat = -1;
    int formatVista = -1;
    QImage vistaAbans;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<frmOptions*>(QApplication::activeModalWidget());
        if (!d) {
            ADD_FAILURE() << "the details window is not shown";
            if (QWidget* m = QApplication::activeModalWidget())
                m->close();
            return;
        }
        auto segueix = [&](const char* pas) {
            const int i = ModTolvWiz::FormatSeleccionat(w.estat().cataleg());
            ASSERT_GE(i, 0) << pas;
            EXPECT_EQ(d->txt_descripcion[0]->text(), w.estat().cataleg().Etiquetas[i].Referencia.trimmed()) << pas;
            EXPECT_EQ(llista->currentIndex().row(), model.ListIndex()) << pas;
            ModTolvWiz::TextoMedidas mides;
            ModTolvWiz::Muestra_MedidasEtiqueta(w.estat().cataleg(), i, mides);
            EXPECT_EQ(Busca<QLabel>(w, "lbl_inf_etiqueta", 0)->text(), mides.pieza[0].caption) << pas;
            const auto& g = w.previes().PctHoja(0)->geometria();
            if (!g.etiquetas.isEmpty()) {   // drawn, not the format's own sheet picture
                EXPECT_EQ(g.columnas, w.estat().cataleg().Etiquetas[i].Columnas) << pas;
            }
            // The preview is drawn again for another format.
            const QImage vista = w.previes().PctHoja(0)->grab().toImage();
            if (i != formatVista) {
                EXPECT_NE(vista, vistaAbans) << pas;
            }
            formatVista = i;
            vistaAbans = vista;
            EXPECT_EQ(Busca<BotoImatge>(w, "opt_Horizontal")->valor(), bool(w.estat().cataleg().EtiquetasMarca[i])) << pas;
            EXPECT_NE(Busca<BotoImatge>(w, "opt_Vertical")->valor(), bool(w.estat().cataleg().EtiquetasMarca[i])) << pas;
            for (const QString& falta : kovel::proves::FaltesDisposicio(d))
                ADD_FAILURE() << pas << ": " << qPrintable(falta);
        };
        // 806: laser and inkjet (and copiers) ticked, the rest not.
        const std::array<bool, 6> usos{true, true, true, false, false, false};
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(d->Imatge_Activat[k]->property("checked").toBool(), usos[k]) << k;
        EXPECT_FALSE(d->txt_descripcion[1]->toolTip().isEmpty() && d->txt_descripcion[1]->text().contains(u'\u2026'));
        segueix("opened");
        EXPECT_TRUE(d->grab().save(QStringLiteral(KOVEL_BINARY_DIR "/wizard-panels/details-description%1.png").arg(sufix)));
        QTest::mouseClick(d->cmd_mov[2], Qt::LeftButton);
        EXPECT_EQ(model.ListIndex(), inici + 1);
        segueix("next");
        QTest::mouseClick(d->cmd_mov[3], Qt::LeftButton);
        EXPECT_EQ(model.ListIndex(), model.ListCount() - 1);
        segueix("last");
        QTest::mouseClick(d->cmd_mov[0], Qt::LeftButton);
        EXPECT_EQ(model.ListIndex(), 0);
        segueix("first");
        QTest::mouseClick(d->cmd_mov[1], Qt::LeftButton);
        EXPECT_EQ(model.ListIndex(), 0);
        segueix("previous at the first");
        QTest::mouseClick(d->cmd_mov[2], Qt::LeftButton);
        QTest::mouseClick(d->cmd_mov[2], Qt::LeftButton);
        QTest::mouseClick(d->cmd_mov[1], Qt::LeftButton);
        EXPECT_EQ(model.ListIndex(), 1);
        segueix("previous");
        QTest::mouseClick(d->lblTab[1], Qt::LeftButton);
        segueix("measures");
        EXPECT_TRUE(d->grab().save(QStringLiteral(KOVEL_BINARY_DIR "/wizard-panels/details-measures%1.png").arg(sufix)));
        mostrat = ModTolvWiz::FormatSeleccionat(w.estat().cataleg());
        d->close();
    });
    Clica(w, "cmd_tipo_informacion");
    ASSERT_GE(mostrat, 0);
    frmOptions::setAparenca({});
    w.activateWindow();
    Fotografia(w, QStringLiteral("details"));
    // Next goes on with the format the window showed last.
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelOrigenDatos) << qPrintable(missatges.join(u'\n'));
    EXPECT_EQ(ModReg::LlegirSeleccio(QStringLiteral("Etiqueta")), QString::number(w.estat().cataleg().Etiquetas[mostrat].Codigo));
    Clica(w, "opcOrigDatos", 1);
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelDiseno);
    EXPECT_TRUE(Busca<QLabel>(w, "lblTit", np.PanelDiseno)->text().contains(QString::number(w.estat().cataleg().Etiquetas[mostrat].Codigo)));

    // A Letter format: its unit options are shown and whole.
    Clica(w, "CmdAnterior");
    Clica(w, "CmdAnterior");
    Clica(w, "CmdAnterior");
    ASSERT_EQ(w.estat().PanelActual, np.PanelFormato);
    Clica(w, "optLetter");
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelEtiqueta);
    ASSERT_GE(ModTolvWiz::FormatSeleccionat(w.estat().cataleg()), 0);
    ASSERT_EQ(w.estat().cataleg().Etiquetas[ModTolvWiz::FormatSeleccionat(w.estat().cataleg())].TipoPapel, PapelLetter);
    frmOptions::setAparenca([](frmOptions* f) { KOVEL_espec::Carga_ImagenesOpciones(f); });
    bool unitats = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<frmOptions*>(QApplication::activeModalWidget());
        if (d) {
            QTest::mouseClick(d->lblTab[1], Qt::LeftButton);
            unitats = d->Opt_Inch->isVisible() && d->Opt_mm->isVisible() && d->Opt_Inch->isEnabled();
            for (const QString& falta : kovel::proves::FaltesDisposicio(d))
                ADD_FAILURE() << "Letter: " << qPrintable(falta);
            EXPECT_TRUE(d->grab().save(QStringLiteral(KOVEL_BINARY_DIR "/wizard-panels/details-letter%1.png").arg(sufix)));
        }
        if (QWidget* m = QApplication::activeModalWidget())
            m->close();
    });
    Clica(w, "cmd_tipo_informacion");
    frmOptions::setAparenca({});
    EXPECT_TRUE(unitats);

    // Every shipped format is for some kind of printer.
    for (int i = 0; i < w.estat().cataleg().NumEtiquetas; ++i) {
        const auto usos = kovel::catalogue::UsosDeDescripcion(w.estat().cataleg().Etiquetas[i].Descripcion);
        EXPECT_TRUE(std::any_of(usos.begin(), usos.end(), [](bool u) { return u; })) << qPrintable(w.estat().cataleg().Etiquetas[i].Referencia);
    }
}
