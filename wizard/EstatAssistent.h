#pragma once
// The wizard's state without its window: the panel order and history, the filling of each
// panel, the checks made before a panel is left, the row range of a worksheet and the
// generation of the label document. The window (wizard/ui/FrmTolvWiz) shows this state and
// forwards the user's acts; tests drive it alone. Names are those of the window's members.
#include "catalogue/Cataleg.h"
#include "documents/OpcionsGeneracio.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace kovel::word {
class Document;
}

namespace kovel::wizard {

// What the wizard reads of the host's open workbook or database. The window's loading
// connects one (FontsAssistent.h over the data-source classes); tests give their own.
class FontAssistent {
public:
    virtual ~FontAssistent() = default;
    // FontDadesActual: the full path of the workbook or database in use.
    virtual QString fitxer() const = 0;
    // The worksheets, or the listable tables then queries, in their collections' order.
    // `progres`(value, maximum) is called once per item.
    virtual QStringList llistes(const std::function<void(int, int)>& progres) = 0;
    // Spreadsheet: the used range of worksheet `numero` (from 1). False when there is none.
    virtual bool rangUsat(std::int32_t /*numero*/, std::int32_t& /*r1*/, std::int32_t& /*c1*/,
                          std::int32_t& /*r2*/, std::int32_t& /*c2*/) { return false; }
    // Spreadsheet: the letters of column `c` (1 A ... 27 AA), the field names of a worksheet.
    virtual QString nomColumna(std::int32_t /*c*/) const { return {}; }
    // Database: the field names of table or query `nom`; `deTaula` tells which it was.
    virtual QStringList campsTaula(const QString& /*nom*/, bool& deTaula) { deTaula = false; return {}; }
    // The generator's record sources. Failures are thrown (generar_doc::GeneracioError and
    // the source's own errors) and reported by the generation.
    virtual generar_doc::FullDades* full(std::int32_t /*numero*/) { return nullptr; }
    virtual std::unique_ptr<generar_doc::RegistresDades> registres(const QString& /*nom*/) { return nullptr; }
};

// A message the window shows in its exclamation box (Mensaje_Error). Empty: none.
struct Avis {
    int literal = 0;   // the numbered text, 0 when the text is the program's own
    QString text;
    bool buit() const { return text.isEmpty(); }
};

// The outcome of a move between panels.
struct Moviment {
    bool mogut = false;   // another panel is shown
    bool acabat = false;  // the final panel was validated: the wizard closes without asking
    Avis avis;
};

// The outcome of leaving a row box (txtFila_inicial / txtFila_final).
struct ValidacioFila {
    QString text;           // what the box holds afterwards
    bool beep = false;
    bool cancel = false;    // the focus stays in the box
    bool canviaAltre = false;
    QString textAltre;      // the other box's new text, when canviaAltre
    bool focusAltre = false;
};

// The row boxes' rules. The number is the leading number of the text, rounded half to even
// (0 when the text starts with none). With `ultimaFila` below 1 (a worksheet without rows)
// the box never keeps the focus: it is set to 1 and the user may go on.
ValidacioFila Valida_FilaInicial(const QString& inicial, const QString& final_, std::int32_t ultimaFila);
ValidacioFila Valida_FilaFinal(const QString& final_, const QString& inicial, std::int32_t ultimaFila);
// Whether the range is one the generator can use: 1 <= first <= last <= ultimaFila.
bool RangFilesValid(const QString& inicial, const QString& final_, std::int32_t ultimaFila);

// The final panel's controls whose showing depends on the host, the source and the format.
struct VistaFinal {
    bool OpcEtiqpag0 = true;
    bool OpcEtiqpag1 = true;
    bool LblPresentacion2 = false;
    bool img_final1 = false;
    bool files = false;   // the row boxes and their captions (spreadsheet host)
};

class EstatAssistent : public generar_doc::OpcionsGeneracio {
public:
    // `programa`: "Word", "Excel" or "Access" (ProgramaOffice when empty); the panel numbers
    // are the host profile's (HostProfile.h), set before.
    explicit EstatAssistent(QString programa = {});
    ~EstatAssistent() override;

    // The label catalogue of the wizard: its formats, the format list and the list panel's
    // state. The window's loading fills it.
    Cataleg& cataleg() { return cataleg_; }
    const Cataleg& cataleg() const override { return cataleg_; }

    bool esWord() const { return host_ == kovel::HostOffice::Word; }
    bool esExcel() const { return host_ == kovel::HostOffice::Excel; }
    bool esAccess() const { return host_ == kovel::HostOffice::Access; }

    // ---- What the window plugs in ----
    void setFont(FontAssistent* font) { font_ = font; }
    FontAssistent* font() const { return font_; }
    // guardar.HiHaGuardats: saved designs for this host (none until the store is there).
    std::function<bool()> hiHaGuardats;
    // guardar.RecuperaDisseny of record `n` of the store (1: the first design after its header).
    std::function<void(int n)> recuperaDisseny;
    // Opens a saved document as the design (the design frame's ObreDocument); unset: the
    // file is read into the state's own design document. False when it cannot be read.
    std::function<bool(const QString& cami)> obreDisseny;
    bool ObreDisseny(const QString& cami);
    // Shows the finished document (the window puts the desktop's handler here).
    std::function<void(const QString& cami)> obridor;
    // A list or generation step: value and maximum, for the progress controls.
    std::function<void(int valor, int maxim)> progres;
    // Lets the window repaint during long work (the runtime's event pump); called for every
    // sheet and every record of a generation.
    std::function<void()> bomba;
    // The field-linked barcodes and QR codes of the run (the code dialogs' own); none: a
    // design holding one is refused by the generation with a message.
    void setCodis(generar_doc::CodisGeneracio* codis) { codisPrograma_ = codis; }

    // ---- Loading ----
    // lbl_version's caption: "v. " and the first line of versio.txt in `carpeta`; a missing or
    // unreadable file leaves the version empty ("v. ").
    static QString TextVersio(const QString& carpeta);
    // Part of the set-up: every refill flag 0, history cleared, no panel shown yet.
    void Prepara();

    // ---- Panel order and navigation ----
    std::int16_t NuevoPanel(std::int16_t panel) const;
    // +1 forward (with the checks), anything else back. Back with no way back is ignored.
    Moviment MostrarPanel(int dir);
    // The control that should take the focus after the last filling ("" for none).
    QString focusTarget() const { return focusTarget_; }
    bool anteriorVisible() const;
    bool esUltimPanel() const { return NuevoPanel(PanelActual) < 0; }

    // ---- Filling (every showing) ----
    void LlenarPanel(std::int16_t panel);

    // ---- Checks before leaving ----
    bool ValidarPanel(std::int16_t panel, Avis& avis);
    // cmdPresentacion: the final panel's check and generation, the wizard stays open.
    Avis Presentacion();

    // ---- Paper type, orientation, sort order ----
    // optDinA4_Click ... optTermic_Click with the paper code (0 A4 ... 4 thermal).
    void optPapel_Click(int tipus);
    void Opt_Horizontal_Click();
    void Opt_Vertical_Click();
    void optOrden_Click(int orden);
    // LstEtiquetas_Click: a format chosen at list line `linia`.
    void LstEtiquetas_Click(int linia);
    // Paper types offered (the catalogue's), index = paper code.
    std::array<bool, 5> TiposPapelVisibles() const;
    int tipusPapel() const;   // the option on, -1 when none

    // ---- Data source ----
    std::int16_t OpcionDatos() const;
    bool es_lista() const;
    void opcOrigDatos_Click(int index);
    void LstHojas_Click(int index);
    void LstTablas_Click(int index);

    // ---- Final options ----
    void OpcEtiqpag_Click(int index);
    void txt_copias_Change(const QString& text);
    void Check_Copias_Click(bool marcat);
    VistaFinal vistaFinal() const { return vistaFinal_; }

    // ---- Saved designs ----
    void triaGuardat(bool obrir) { cmdObrir = obrir; cmdCrear = !obrir; }

    // ---- The design ----
    // The design frame's document, when the window hosts one: the design is then the
    // frame's, which prepares its own base document; without it the state keeps one.
    std::function<kovel::word::Document*()> documentMarc;
    // The per-cell designs of a sheet whose labels differ (seleccionador_ABCD): how many
    // cells, the document of cell i ("" never designed) and the save of the cell shown.
    std::function<std::int32_t()> nombreCaselles;
    std::function<QString(std::int32_t i)> documentCasella;
    std::function<void()> desaCasella;
    kovel::word::Document* disseny() const { return documentMarc ? documentMarc() : disseny_.get(); }
    // The design panel's title: the first caption, a blank and the format's reference.
    QString TitolDisseny(const QString& titolBase);

    // ---- The generator's view of the choices ----
    QString programaOffice() const override;
    kovel::HostOffice host() const override { return host_; }
    std::int16_t formatSeleccionat() const override;
    bool horitzontal() const override;
    bool unaEtiquetaPerRegistre() const override { return OpcEtiqpag[0]; }
    QString textFilaInicial() const override { return txtFila_inicial; }
    QString textFilaFinal() const override { return txtFila_final; }
    generar_doc::FullDades* fullDades() override;
    std::unique_ptr<generar_doc::RegistresDades> obreRegistres() override;
    kovel::word::Document* dissenyAllotjat() override { return disseny(); }
    std::int32_t numCaselles() const override { return nombreCaselles ? nombreCaselles() : 0; }
    QString nomCasella(std::int32_t i) const override { return documentCasella ? documentCasella(i) : QString(); }
    void desaCasellaActual() override
    {
        if (desaCasella)
            desaCasella();
    }
    void avancaProgres() override;
    generar_doc::CodisGeneracio* codis() override;
    QString carpetaDades() const override;
    // The folder the label document is written to (tests point it elsewhere).
    void setCarpetaDades(const QString& carpeta) { carpetaDades_ = carpeta; }
    // The last document made, "" before any.
    QString documentGenerat() const { return documentGenerat_; }

    // ---- State named as the window's members ----
    std::int16_t PanelActual = -1;
    std::array<std::int16_t, 10> PanelesLlenos{};
    std::array<std::int16_t, 10> Historial{};
    bool AsistenteActivo = false;
    bool Generando = false;
    QVariant ValorPanel;
    bool ListaEtiquetasLlena = false;
    bool DissenyRestaurat = false;
    bool DissenyObert = false;

    QStringList LstHojas;
    int LstHojasIndex = -1;
    QStringList LstTablas;
    int LstTablasIndex = -1;
    std::int16_t NumHojas = 0;
    std::int16_t NumTablas = 0;
    std::int32_t NumColumnasHoja = 0;
    std::int32_t NumFilasHoja = 0;
    std::int32_t UltimaFilaHoja = 0;
    std::int16_t TotalCampos = 0;
    bool CamposDeTabla = false;
    QStringList mnuCampo;
    QString TituloDiseno;
    bool opcOrigDatos0Visible = true;

    std::array<bool, 2> OpcEtiqpag{true, false};
    QString txtFila_inicial;
    QString txtFila_final;
    int Check_Copias = 0;
    QString txt_copias = QStringLiteral("1");

    bool cmdObrir = false;
    bool cmdCrear = false;
    int lstGuardatsIndex = -1;

    std::int32_t IndexDocumentBase = -1;
    QString ClauDocumentBase;

private:
    void omplePaper();
    void ompleEtiqueta();
    void ompleOrigen();
    void ompleDisseny();
    void ompleFinal();
    bool validaOrigen(Avis& avis);
    bool validaFinal(Avis& avis);
    bool genera(Avis& avis);
    void desa(kovel::word::Document& doc, const QString& cami);
    void preparaDisseny();
    bool unaEtiquetaPerFull() const;
    void orientacioDelFormat();
    void marca(int panel, std::int16_t valor);

    Cataleg cataleg_;
    kovel::HostOffice host_ = kovel::HostOffice::Cap;
    FontAssistent* font_ = nullptr;
    QString focusTarget_;
    std::unique_ptr<kovel::word::Document> disseny_;
    generar_doc::FullDades* full_ = nullptr;
    QString carpetaDades_;
    QString documentGenerat_;
    VistaFinal vistaFinal_;
    int pasProgres_ = 0;
    int maxProgres_ = 0;
    generar_doc::CodisGeneracio* codisPrograma_ = nullptr;
    class CodisAmbBomba;
    std::unique_ptr<CodisAmbBomba> codis_;
};

} // namespace kovel::wizard
