// The wizard's state without its window: panel order and history, the checks before a panel
// is left, the row range, the stored choices and the generation on Finish.
#include "wizard/EstatAssistent.h"
#include "wizard/panels/PasDisseny.h"
#include "wizard/panels/PasEtiqueta.h"
#include "wizard/panels/PasFinal.h"
#include "wizard/panels/PasGuardats.h"
#include "wizard/panels/PasOrigen.h"
#include "wizard/panels/PasPaper.h"

#include "documents/CampsDisseny.h"

#include "catalogue/Catalogo.h"
#include "catalogue/Cataleg.h"
#include "catalogue/tests/Ayudas.h"
#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "documents/FontDades.h"
#include "platform/word/Document.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

using namespace kovel::wizard;

namespace {

// A workbook of one worksheet held in memory: rows 1..n, columns A..C, the first row
// `capcalera` when one is given.
class FontMemoria : public FontAssistent {
public:
    explicit FontMemoria(int files, const QStringList& capcalera = {}) : files_(files)
    {
        QList<QStringList> dades;
        for (int r = 1; r <= files; ++r)
            dades << QStringList{QStringLiteral("N%1").arg(r), QStringLiteral("S%1").arg(r), QStringLiteral("%1").arg(r)};
        if (!capcalera.isEmpty() && !dades.isEmpty())
            dades[0] = capcalera;
        full_ = std::make_unique<generar_doc::FullMemoria>(dades);
    }
    QString fitxer() const override { return QStringLiteral("/data/book.xlsx"); }
    QStringList llistes(const std::function<void(int, int)>& progres) override
    {
        progres(1, 1);
        return {QStringLiteral("Sheet1")};
    }
    bool rangUsat(std::int32_t, std::int32_t& r1, std::int32_t& c1, std::int32_t& r2, std::int32_t& c2) override
    {
        if (files_ == 0)
            return false;
        r1 = c1 = 1;
        r2 = files_;
        c2 = 3;
        return true;
    }
    QString nomColumna(std::int32_t c) const override { return QString(QChar(u'A' + c - 1)); }
    generar_doc::FullDades* full(std::int32_t) override { return full_.get(); }

private:
    int files_;
    std::unique_ptr<generar_doc::FullMemoria> full_;
};

// What a window would answer the state, kept for the checks.
struct Entorn : EntornAssistent {
    bool guardats = false;
    QStringList oberts;
    int passos = 0;
    bool hiHaGuardats() override { return guardats; }
    void obreDocument(const QString& cami) override { oberts << cami; }
    void progres(int, int) override { ++passos; }
};

class Assistent : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        QString m;
        ModTraduccion::CarregarLiteralsDe(QStringLiteral(KOVEL_PROGRAM_DIR "/LITER.UNI"), m);
    }
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("KOVEL_USER_REGISTRY", dir.filePath(QStringLiteral("user.reg")).toUtf8());
        mod_rvtMsgBox::setAnswerer([](const QString&, std::int16_t, const QString&) { return std::int16_t(2); });
    }
    void TearDown() override { mod_rvtMsgBox::resetAnswerer(); }

    // The shipped catalogue in the state's own catalogue, and the order box's entries.
    static void CarregaCataleg(EstatAssistent& e)
    {
        QString error;
        ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(e.cataleg(), QStringLiteral(KOVEL_PROGRAM_DIR), error)) << qPrintable(error);
        e.pasEtiqueta().Llista.cboOrdenar.entradas = {QStringLiteral("Reference"), QStringLiteral("Description"),
                                                  QStringLiteral("Size")};
    }

    // Home, paper A4, the stored format: leaves the data-source panel shown.
    void FinsOrigen(EstatAssistent& e)
    {
        e.Prepara();
        const kovel::NumerosPanel& np = e.numerosPanel();
        ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        e.pasPaper().optPapel_Click(PapelA4);
        ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        ASSERT_EQ(e.PanelActual, np.PanelEtiqueta);
        ModTolvWiz::Busca_EtiquetaReferencia(e.cataleg(), QStringLiteral("803"), true);
        const Moviment m = e.MostrarPanel(+1);
        ASSERT_TRUE(m.mogut) << qPrintable(m.avis.text);
        ASSERT_EQ(e.PanelActual, np.PanelOrigenDatos);
    }

    QTemporaryDir dir;
};

} // namespace

// Each host's panel numbers find that panel's own object; numbers no panel of the road has
// find none, and with no host (every number 0) the home panel keeps number 0.
TEST_F(Assistent, PanelNumbersOfEachHostFindTheirPanel)
{
    for (void (*perfil)() : {&Word_espec::Inicialitzar, &Excel_espec::Inicialitzar, &Access_espec::Inicialitzar}) {
        perfil();
        EstatAssistent e;
        const kovel::NumerosPanel& np = e.numerosPanel();
        const std::pair<std::uint8_t, const Pas*> esperats[] = {
            {np.PanelInicio, &e.pasInici()},         {np.PanelGuardados, &e.pasGuardats()},
            {np.PanelFormato, &e.pasPaper()},        {np.PanelEtiqueta, &e.pasEtiqueta()},
            {np.PanelOrigenDatos, &e.pasOrigen()},   {np.PanelDiseno, &e.pasDisseny()},
            {np.PanelFinal, &e.pasFinal()}};
        for (const auto& [numero, pas] : esperats)
            EXPECT_EQ(e.pas(numero), pas) << qPrintable(ProgramaOffice) << " panel " << int(numero);
        EXPECT_EQ(e.pas(np.PanelHoja), nullptr);
        EXPECT_EQ(e.pas(-1), nullptr);
        EXPECT_EQ(e.pas(10), nullptr);
    }
    kovel::EstablirHost(kovel::HostOffice::Cap);
    EstatAssistent cap;
    EXPECT_EQ(cap.pas(0), &cap.pasInici());
    Word_espec::Inicialitzar();
}

TEST_F(Assistent, PanelOrderHistoryAndBackWithNoWayBack)
{
    Word_espec::Inicialitzar();
    EstatAssistent e;
    const kovel::NumerosPanel& np = e.numerosPanel();
    CarregaCataleg(e);
    Entorn entorn;
    e.setEntorn(&entorn);
    bool& guardats = entorn.guardats;

    // Back before any panel, and on the home panel (history -1): nothing moves.
    EXPECT_FALSE(e.MostrarPanel(-1).mogut);
    EXPECT_EQ(e.PanelActual, -1);
    ASSERT_TRUE(e.MostrarPanel(+1).mogut);
    EXPECT_EQ(e.PanelActual, np.PanelInicio);
    EXPECT_FALSE(e.anteriorVisible());
    EXPECT_FALSE(e.MostrarPanel(-1).mogut);
    EXPECT_EQ(e.PanelActual, np.PanelInicio);

    // Without saved designs: the paper panel, with no way back to the home panel.
    ASSERT_TRUE(e.MostrarPanel(+1).mogut);
    EXPECT_EQ(e.PanelActual, np.PanelFormato);
    EXPECT_FALSE(e.anteriorVisible());
    EXPECT_FALSE(e.MostrarPanel(-1).mogut);
    // No paper type: the paper is asked for and the panel stays.
    Moviment m = e.MostrarPanel(+1);
    EXPECT_FALSE(m.mogut);
    EXPECT_TRUE(m.avis.text.contains(QStringLiteral("paper"))) << qPrintable(m.avis.text);
    EXPECT_EQ(e.PanelActual, np.PanelFormato);

    // With saved designs the home panel leads to them, and they to the paper panel.
    guardats = true;
    e.Prepara();
    e.MostrarPanel(+1);
    ASSERT_TRUE(e.MostrarPanel(+1).mogut);
    EXPECT_EQ(e.PanelActual, np.PanelGuardados);
    m = e.MostrarPanel(+1);
    EXPECT_EQ(m.avis.literal, 7005);
    e.pasGuardats().triaGuardat(true);   // open, with no design chosen in the list
    EXPECT_EQ(e.MostrarPanel(+1).avis.literal, 7005);
    e.pasGuardats().triaGuardat(false);
    ASSERT_TRUE(e.MostrarPanel(+1).mogut);
    EXPECT_EQ(e.PanelActual, np.PanelFormato);
    EXPECT_TRUE(e.anteriorVisible());
    ASSERT_TRUE(e.MostrarPanel(-1).mogut);
    EXPECT_EQ(e.PanelActual, np.PanelGuardados);
    EXPECT_FALSE(e.pasGuardats().cmdCrear);   // refilled: neither choice on
    EXPECT_EQ(e.NuevoPanel(np.PanelHoja), np.PanelInicio);
    EXPECT_EQ(e.NuevoPanel(np.PanelFinal), -1);
}

TEST_F(Assistent, ForwardStoresTheChoicesAndBackKeepsThePanelFilled)
{
    Word_espec::Inicialitzar();
    EstatAssistent e;
    const kovel::NumerosPanel& np = e.numerosPanel();
    CarregaCataleg(e);
    FinsOrigen(e);
    EXPECT_EQ(ModReg::LlegirSeleccio(QStringLiteral("TipoPag")), QStringLiteral("0"));
    EXPECT_EQ(ModReg::LlegirSeleccio(QStringLiteral("Etiqueta")), QStringLiteral("803"));
    EXPECT_EQ(ModReg::LlegirSeleccio(QStringLiteral("OrdenEtiq")), QStringLiteral("0"));
    // The word processor's host asks for a way of filling the sheet, and offers no list
    // source: there are no lists to fill it from.
    const Moviment m = e.MostrarPanel(+1);
    EXPECT_TRUE(m.avis.text.contains(QStringLiteral("how the labels"))) << qPrintable(m.avis.text);
    EXPECT_FALSE(e.pasOrigen().opcioOferta(2));
    EXPECT_FALSE(e.pasOrigen().opcioOferta(3));
    e.pasOrigen().opcOrigDatos_Click(2);
    EXPECT_EQ(e.pasOrigen().OpcionDatos(), -1);
    e.pasOrigen().opcOrigDatos_Click(1);
    ASSERT_TRUE(e.MostrarPanel(+1).mogut);
    EXPECT_EQ(ModReg::LlegirSeleccio(QStringLiteral("Opcion")), QStringLiteral("1"));
    EXPECT_EQ(e.PanelActual, np.PanelDiseno);
    ASSERT_TRUE(e.MostrarPanel(-1).mogut);
    EXPECT_EQ(e.PanelActual, np.PanelOrigenDatos);
    EXPECT_EQ(e.PanelesLlenos[np.PanelDiseno], -1);
    ASSERT_TRUE(e.MostrarPanel(-1).mogut);
    EXPECT_EQ(e.PanelActual, np.PanelEtiqueta);
    EXPECT_EQ(e.cataleg().Etiquetas[ModTolvWiz::FormatSeleccionat(e.cataleg())].Codigo, 803);

    // A new run offers the same format and order again; the way of filling is asked afresh.
    EstatAssistent otra;
    CarregaCataleg(otra);
    otra.pasOrigen().opcOrigDatos = {};
    otra.pasEtiqueta().Llista.optOrden = {false, false, true};
    otra.cataleg().Lista.Clear();
    otra.LlenarPanel(np.PanelEtiqueta);
    ASSERT_GE(ModTolvWiz::FormatSeleccionat(otra.cataleg()), 0);
    EXPECT_EQ(otra.cataleg().Etiquetas[ModTolvWiz::FormatSeleccionat(otra.cataleg())].Codigo, 803);
    EXPECT_EQ(otra.pasEtiqueta().Llista.optOrden, (std::array<bool, 3>{true, false, false}));
    otra.LlenarPanel(np.PanelOrigenDatos);
    EXPECT_EQ(otra.pasOrigen().OpcionDatos(), -1);
}

TEST_F(Assistent, StaleStoredChoicesFallBackToWhatTheCatalogueHas)
{
    Word_espec::Inicialitzar();
    // A catalogue of A4 formats only; the settings name Letter, order 5 and a format gone.
    ModReg::DesarSeleccio(QStringLiteral("TipoPag"), QStringLiteral("2"));
    ModReg::DesarSeleccio(QStringLiteral("OrdenEtiq"), QStringLiteral("5"));
    ModReg::DesarSeleccio(QStringLiteral("Etiqueta"), QStringLiteral("999999"));
    EstatAssistent e;
    const kovel::NumerosPanel& np = e.numerosPanel();
    CarregaCataleg(e);
    pruebas::CargaCatalogo(e.cataleg(), {pruebas::UnFormato(101), pruebas::UnFormato(102)});
    e.LlenarPanel(np.PanelEtiqueta);
    EXPECT_EQ(e.cataleg().Lista.ListCount(), 2);
    EXPECT_EQ(e.pasEtiqueta().Llista.optOrden, (std::array<bool, 3>{true, false, false}));
    EXPECT_EQ(ModTolvWiz::IndexFormat(e.cataleg()), 0);
    EXPECT_EQ(e.ValorPanel.toInt(), 0);
    EXPECT_EQ(e.focusTarget(), QStringLiteral("LstEtiquetas"));

    // No format at all (an empty list): the panel is not left.
    e.cataleg().Lista.Clear();
    Avis avis;
    EXPECT_FALSE(e.ValidarPanel(np.PanelEtiqueta, avis));
    EXPECT_TRUE(avis.text.contains(QStringLiteral("label format"))) << qPrintable(avis.text);
    // Turning with no format selected turns nothing and marks the source panel.
    const QList<bool> marca = e.cataleg().EtiquetasMarca;
    e.PanelesLlenos[np.PanelOrigenDatos] = -1;
    e.pasEtiqueta().Opt_Horizontal_Click();
    EXPECT_EQ(e.cataleg().EtiquetasMarca, marca);
    EXPECT_TRUE(e.pasEtiqueta().opt_Horizontal);
    EXPECT_EQ(e.PanelesLlenos[np.PanelOrigenDatos], 0);
    e.pasEtiqueta().Opt_Vertical_Click();
    EXPECT_EQ(e.cataleg().EtiquetasMarca, marca);
}

TEST_F(Assistent, OrientationTurnsTheSelectedFormatOnceEachWay)
{
    Word_espec::Inicialitzar();
    EstatAssistent e;
    const kovel::NumerosPanel& np = e.numerosPanel();
    CarregaCataleg(e);
    FinsOrigen(e);
    const int idx = ModTolvWiz::FormatSeleccionat(e.cataleg());
    const EtiquetaCatalogo dret = e.cataleg().Etiquetas[idx];
    e.pasEtiqueta().Opt_Horizontal_Click();
    e.pasEtiqueta().Opt_Horizontal_Click();   // already turned: not turned again
    EXPECT_TRUE(e.cataleg().EtiquetasMarca[idx]);
    EXPECT_EQ(e.cataleg().Etiquetas[idx].Filas, dret.Columnas);
    EXPECT_EQ(e.cataleg().Etiquetas[idx].Columnas, dret.Filas);
    EXPECT_TRUE(e.horitzontal());
    EXPECT_EQ(e.PanelesLlenos[np.PanelOrigenDatos], 0);
    e.pasEtiqueta().Opt_Vertical_Click();
    e.pasEtiqueta().Opt_Vertical_Click();
    EXPECT_FALSE(e.cataleg().EtiquetasMarca[idx]);
    EXPECT_EQ(e.cataleg().Etiquetas[idx], dret);
    // Selecting a turned format shows it as landscape.
    e.pasEtiqueta().Opt_Horizontal_Click();
    e.pasEtiqueta().LstEtiquetas_Click(ModTolvWiz::IndexFormat(e.cataleg()));
    EXPECT_TRUE(e.pasEtiqueta().opt_Horizontal);
    e.pasEtiqueta().Opt_Vertical_Click();
}

TEST_F(Assistent, RowBoxesCorrectTheRangeAndNeverTrapTheFocus)
{
    // Empty and 0 become 1 and keep the focus; beyond the last row becomes the last row.
    ValidacioFila v = PasFinal::Valida_FilaInicial(QString(), QStringLiteral("40"), 40);
    EXPECT_EQ(v.text, QStringLiteral("1"));
    EXPECT_TRUE(v.cancel && v.beep);
    v = PasFinal::Valida_FilaFinal(QStringLiteral("0"), QStringLiteral("1"), 40);
    EXPECT_EQ(v.text, QStringLiteral("1"));
    EXPECT_TRUE(v.cancel);
    // 50 of 40 rows: the box says 40; the last row (below 50) is raised to the typed 50.
    v = PasFinal::Valida_FilaInicial(QStringLiteral("50"), QStringLiteral("30"), 40);
    EXPECT_EQ(v.text, QStringLiteral("40"));
    EXPECT_TRUE(v.cancel);
    EXPECT_TRUE(v.canviaAltre);
    EXPECT_EQ(v.textAltre, QStringLiteral("50"));
    // Reversed: 10 then 5 raises the last row; 5 after 10 lowers the first.
    v = PasFinal::Valida_FilaInicial(QStringLiteral("10"), QStringLiteral("5"), 40);
    EXPECT_FALSE(v.cancel);
    EXPECT_EQ(v.textAltre, QStringLiteral("10"));
    EXPECT_TRUE(v.focusAltre);
    v = PasFinal::Valida_FilaFinal(QStringLiteral("5"), QStringLiteral("10"), 40);
    EXPECT_EQ(v.textAltre, QStringLiteral("5"));
    EXPECT_FALSE(v.beep);
    // Leading number, half to even: "2.5x" is 2.
    v = PasFinal::Valida_FilaFinal(QStringLiteral("2.5x"), QStringLiteral("1"), 40);
    EXPECT_FALSE(v.cancel);
    EXPECT_FALSE(v.canviaAltre);
    // A worksheet with no rows: corrected once, never kept.
    v = PasFinal::Valida_FilaInicial(QStringLiteral("7"), QStringLiteral("7"), 0);
    EXPECT_EQ(v.text, QStringLiteral("1"));
    EXPECT_FALSE(v.cancel);
    v = PasFinal::Valida_FilaFinal(QStringLiteral("1"), QStringLiteral("1"), 0);
    EXPECT_FALSE(v.cancel || v.beep);

    EXPECT_TRUE(PasFinal::RangFilesValid(QStringLiteral("2"), QStringLiteral("40"), 40));
    EXPECT_FALSE(PasFinal::RangFilesValid(QString(), QStringLiteral("40"), 40));
    EXPECT_FALSE(PasFinal::RangFilesValid(QStringLiteral("0"), QStringLiteral("40"), 40));
    EXPECT_FALSE(PasFinal::RangFilesValid(QStringLiteral("1"), QStringLiteral("41"), 40));
    EXPECT_FALSE(PasFinal::RangFilesValid(QStringLiteral("9"), QStringLiteral("8"), 40));
    EXPECT_FALSE(PasFinal::RangFilesValid(QStringLiteral("1"), QStringLiteral("1"), 0));
}

TEST_F(Assistent, SpreadsheetFinishChecksTheRowsAndGeneratesOnce)
{
    Excel_espec::Inicialitzar();
    EstatAssistent e;
    const kovel::NumerosPanel& np = e.numerosPanel();
    CarregaCataleg(e);
    FontMemoria font(30);
    e.setFont(&font);
    e.setCarpetaDades(dir.path() + QStringLiteral("/data/"));
    Entorn entorn;
    e.setEntorn(&entorn);
    QStringList& oberts = entorn.oberts;
    int& passos = entorn.passos;
    FinsOrigen(e);
    EXPECT_EQ(e.pasOrigen().LstHojas, QStringList{QStringLiteral("Sheet1")});
    EXPECT_EQ(e.pasOrigen().LstHojasIndex, 0);
    ASSERT_TRUE(e.MostrarPanel(+1).mogut);
    EXPECT_EQ(e.pasDisseny().mnuCampo, (QStringList{"A", "B", "C"}));
    EXPECT_EQ(e.pasDisseny().UltimaFilaHoja, 30);
    EXPECT_EQ(e.pasFinal().txtFila_final, QStringLiteral("30"));
    EXPECT_EQ(e.MostrarPanel(+1).avis.literal, 12);   // no field in the design
    // The window puts the field at the frame's selection; without one, at the end.
    ASSERT_NE(e.disseny(), nullptr);
    kovel::word::Range fi = e.disseny()->content();
    fi.collapse(kovel::word::Collapse::End);
    QImage imatge(40, 12, QImage::Format_RGB32);
    imatge.fill(Qt::white);
    kovel::word::InlinePicture camp = kovel::word::InlinePicture::fromImage(imatge);
    camp.setAlternativeText(QStringLiteral("TOLV_campA"));
    fi.insertPicture(camp);
    ASSERT_TRUE(e.MostrarPanel(+1).mogut);
    ASSERT_EQ(e.PanelActual, np.PanelFinal);
    // One label for each record stands chosen; with neither chosen (as a design saved
    // without the choice leaves it) the message names both.
    EXPECT_EQ(e.pasFinal().OpcEtiqpag, (std::array<bool, 2>{true, false}));
    e.pasFinal().OpcEtiqpag = {false, false};
    const QString falta = e.MostrarPanel(+1).avis.text;
    EXPECT_TRUE(falta.contains(ModTraduccion::CercarLiteral(QStringLiteral("FrmTolvWiz.lblEtiqpag.Caption.0")))) << qPrintable(falta);
    EXPECT_TRUE(falta.contains(ModTraduccion::CercarLiteral(QStringLiteral("FrmTolvWiz.lblEtiqpag.Caption.1")))) << qPrintable(falta);
    e.pasFinal().OpcEtiqpag_Click(0);

    // A reversed range is refused and nothing is made.
    e.pasFinal().txtFila_Change(QStringLiteral("20"), QStringLiteral("10"));
    Moviment m = e.MostrarPanel(+1);
    EXPECT_FALSE(m.acabat);
    EXPECT_FALSE(m.avis.buit());
    EXPECT_TRUE(oberts.isEmpty());

    // Preview makes the document; Finish afterwards does not make it again.
    e.pasFinal().txtFila_Change(QStringLiteral("1"), QStringLiteral("30"));
    EXPECT_TRUE(e.Presentacion().buit());
    ASSERT_EQ(oberts.size(), 1);
    EXPECT_TRUE(QFile::exists(oberts[0]));
    EXPECT_EQ(e.PanelesLlenos[np.PanelFinal], -1);
    EXPECT_GT(passos, 0);
    m = e.MostrarPanel(+1);
    EXPECT_TRUE(m.acabat);
    EXPECT_EQ(oberts.size(), 1);
    // ... and says that the preview's document is the result.
    EXPECT_TRUE(m.avis.informacio);
    EXPECT_TRUE(m.avis.text.contains(QFileInfo(oberts[0]).fileName())) << qPrintable(m.avis.text);
    // A change after the preview makes the next Finish generate again.
    e.pasFinal().txtFila_Change(QStringLiteral("1"), QStringLiteral("30"));
    EXPECT_EQ(e.PanelesLlenos[np.PanelFinal], 0);
    EXPECT_TRUE(e.MostrarPanel(+1).acabat);
    EXPECT_EQ(oberts.size(), 2);
}

TEST_F(Assistent, RowsToPrintStartAfterAHeadingRow)
{
    Excel_espec::Inicialitzar();
    const auto primera = [this](const QStringList& capcalera) {
        Entorn entorn;
        EstatAssistent e;
        e.setEntorn(&entorn);
        CarregaCataleg(e);
        FontMemoria font(30, capcalera);
        e.setFont(&font);
        FinsOrigen(e);
        e.LlenarPanel(e.numerosPanel().PanelDiseno);
        e.LlenarPanel(e.numerosPanel().PanelFinal);
        e.setEntorn(nullptr);
        return e.pasFinal().txtFila_inicial;
    };
    // Names over a column of numbers: a heading row.
    EXPECT_EQ(primera({QStringLiteral("Name"), QStringLiteral("Street"), QStringLiteral("Code")}), QStringLiteral("2"));
    // A column without a name still heads its numbers.
    EXPECT_EQ(primera({QStringLiteral("Name"), QString(), QStringLiteral("Code")}), QStringLiteral("2"));
    // A number over the numbers: a row of data.
    EXPECT_EQ(primera({QStringLiteral("Name"), QStringLiteral("Street"), QStringLiteral("2024")}), QStringLiteral("1"));
    // Rows of data only.
    EXPECT_EQ(primera({}), QStringLiteral("1"));
}

TEST_F(Assistent, AnEmptyWorksheetIsRefusedByName)
{
    Excel_espec::Inicialitzar();
    EstatAssistent e;
    CarregaCataleg(e);
    FontMemoria font(0);
    e.setFont(&font);
    FinsOrigen(e);
    const Moviment m = e.MostrarPanel(+1);
    EXPECT_FALSE(m.mogut);
    EXPECT_TRUE(m.avis.text.contains(QStringLiteral("Sheet1"))) << qPrintable(m.avis.text);
}

TEST_F(Assistent, VersionTextWithAndWithoutTheFile)
{
    EXPECT_EQ(EstatAssistent::TextVersio(dir.path()), QStringLiteral("v. "));
    QFile f(dir.filePath(QStringLiteral("versio.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("6.0.12\r\nsecond line\r\n");
    f.close();
    EXPECT_EQ(EstatAssistent::TextVersio(dir.path()), QStringLiteral("v. 6.0.12"));
}

// The wizard's codes hand every question of the generator to the run's codes: a QR code's own
// character-set options and its template-or-field reading are lost otherwise.
TEST_F(Assistent, TheRunsCodesAnswerEveryQuestionOfTheGenerator)
{
    struct Codis : generar_doc::CodisGeneracio {
        void inserirCodiBarres(kovel::word::Range&, std::int32_t, const QString&, const QString&, const QString&) override {}
        void inserirCodiQR(kovel::word::Range&, std::int32_t, const QString&, const QString&, const QString&) override {}
        QString codificarText(const QString& t) override { return t; }
        QString prefixDadesQR() override { return {}; }
        QString plantillaQR(std::int32_t) override { return {}; }
        QString omplirPlantillaQR(const QString& p, const std::function<QString(const QString&)>&) override { return p; }
        void codiQRActual(std::int32_t n) override { actual = n; }
        bool esPlantillaQR(std::int32_t, const QString&) override { return false; }
        std::int32_t actual = -1;
    } codis;
    EstatAssistent e;
    CarregaCataleg(e);
    e.setCodis(&codis);
    e.codis()->codiQRActual(4);
    EXPECT_EQ(codis.actual, 4);
    // A field named "2" stays a field when the code was registered as one.
    EXPECT_FALSE(e.codis()->esPlantillaQR(4, QStringLiteral("2")));
}
