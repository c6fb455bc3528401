#pragma once
// The wizard's state without its window: the panel order and history, the panels' models
// (wizard/panels, one class a kind, found by the host's panel numbers) and the generator's view
// of the choices. The window (wizard/ui/FrmTolvWiz) shows this state, forwards the user's acts
// and answers it as its EntornAssistent; tests drive it alone. Names are those of the window's
// members.
#include "catalogue/Cataleg.h"
#include "codes/RegistreCodis.h"
#include "common/HostProfile.h"
#include "documents/OpcionsGeneracio.h"
#include "wizard/EntornAssistent.h"
#include "wizard/panels/Pas.h"

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

class Guardats;
class PasGuardats;
class PasPaper;
class PasEtiqueta;
class PasOrigen;
class PasDisseny;
class PasFinal;

// What the wizard reads of the host's open workbook or database. The window's loading
// connects one (FontsAssistent.h over the data-source classes); tests give their own.
class FontAssistent {
public:
    virtual ~FontAssistent() = default;
    // The full path of the workbook or database in use.
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

// The outcome of a move between panels.
struct Moviment {
    bool mogut = false;   // another panel is shown
    bool acabat = false;  // the final panel was validated: the wizard closes without asking
    Avis avis;
};

class EstatAssistent : public generar_doc::OpcionsGeneracio {
public:
    // `programa`: "Word", "Excel" or "Access" (ProgramaOffice when empty).
    explicit EstatAssistent(QString programa = {});
    ~EstatAssistent() override;

    // The label catalogue of the wizard: its formats and the format list. The window's
    // loading fills it.
    Cataleg& cataleg() { return cataleg_; }
    const Cataleg& cataleg() const override { return cataleg_; }

    bool esWord() const { return host_ == kovel::HostOffice::Word; }
    bool esExcel() const { return host_ == kovel::HostOffice::Excel; }
    bool esAccess() const { return host_ == kovel::HostOffice::Access; }
    // The panel numbers.
    const kovel::NumerosPanel& numerosPanel() const { return numeros_; }

    // ---- What the window plugs in ----
    void setFont(FontAssistent* font) { font_ = font; }
    FontAssistent* font() const { return font_; }
    // Whoever shows the state (nullptr: nobody, every answer its default).
    void setEntorn(EntornAssistent* entorn) { entorn_ = entorn ? entorn : &senseEntorn_; }
    EntornAssistent& entorn() const { return *entorn_; }
    // The field-linked barcodes and QR codes of the run (the code dialogs' own); none: a
    // design holding one is refused by the generation with a message.
    void setCodis(generar_doc::CodisGeneracio* codis) { codisPrograma_ = codis; }
    // The design's field-linked codes and the QR options: what the code dialogs register,
    // the generation remakes and saved designs store.
    kovel::codes::RegistreCodis& registreCodis() { return registreCodis_; }
    // The saved designs of this host: the road's question, the panel's list, the save and the
    // restore.
    Guardats& guardats() { return *desats_; }

    // ---- The panels ----
    // The panel shown as panel number `panel` on this host; nullptr outside the numbers.
    Pas* pas(std::int16_t panel);
    PasInici& pasInici() { return *inici_; }
    PasGuardats& pasGuardats() { return *guardats_; }
    PasPaper& pasPaper() { return *paper_; }
    PasEtiqueta& pasEtiqueta() { return *etiqueta_; }
    PasOrigen& pasOrigen() { return *origen_; }
    const PasOrigen& pasOrigen() const { return *origen_; }
    PasDisseny& pasDisseny() { return *disseny_; }
    PasFinal& pasFinal() { return *final_; }
    const PasFinal& pasFinal() const { return *final_; }

    // ---- Loading ----
    // lbl_version's caption: "v. " and the version read by ModTolvWiz::LlegirVersio from
    // `carpeta`; a missing or unreadable file leaves the version empty ("v. ").
    static QString TextVersio(const QString& carpeta);
    // One step of the set-up: every refill flag 0, history cleared, no panel shown yet.
    void Prepara();

    // ---- Panel order and navigation ----
    std::int16_t NuevoPanel(std::int16_t panel) const;
    // +1 forward (with the checks), anything else back. Back with no way back is ignored.
    Moviment MostrarPanel(int dir);
    // The control that should take the focus after the last filling ("" for none).
    QString focusTarget() const { return focusTarget_; }
    void setFocusTarget(const QString& control) { focusTarget_ = control; }
    bool anteriorVisible() const;
    bool esUltimPanel() const { return NuevoPanel(PanelActual) < 0; }
    // Marks panel `panel` to be filled again (0) or as filled (-1).
    void marca(int panel, std::int16_t valor);

    // ---- Filling (every showing) ----
    void LlenarPanel(std::int16_t panel);

    // ---- Checks before leaving ----
    bool ValidarPanel(std::int16_t panel, Avis& avis);
    // cmdPresentacion: the final panel's check and generation, the wizard stays open.
    Avis Presentacion();

    // ---- The design ----
    kovel::word::Document* disseny();

    // ---- The generator's view of the choices ----
    QString programaOffice() const override;
    kovel::HostOffice host() const override { return host_; }
    std::int16_t formatSeleccionat() const override;
    bool horitzontal() const override;
    bool unaEtiquetaPerRegistre() const override;
    QString textFilaInicial() const override;
    QString textFilaFinal() const override;
    generar_doc::FullDades* fullDades() override;
    // The worksheet the generation read is asked again next time.
    void oblidaFull() { full_ = nullptr; }
    std::unique_ptr<generar_doc::RegistresDades> obreRegistres() override;
    kovel::word::Document* dissenyAllotjat() override { return disseny(); }
    std::int32_t numCaselles() const override;
    QString nomCasella(std::int32_t i) const override;
    void desaCasellaActual() override;
    void avancaProgres() override;
    generar_doc::CodisGeneracio* codis() override;
    QString carpetaDades() const override;
    // The folder the label document is written to (tests point it elsewhere).
    void setCarpetaDades(const QString& carpeta) { carpetaDades_ = carpeta; }
    // The last document made, "" before any.
    QString documentGenerat() const;

    // ---- State of the whole run, named as the window's members ----
    std::int16_t PanelActual = -1;
    std::array<std::int16_t, kovel::NombrePanels> PanelesLlenos{};
    std::array<std::int16_t, kovel::NombrePanels> Historial{};
    bool AsistenteActivo = false;
    bool Generando = false;
    QVariant ValorPanel;
    bool DissenyRestaurat = false;
    bool DissenyObert = false;

private:
    Cataleg cataleg_;
    kovel::HostOffice host_ = kovel::HostOffice::Cap;
    static constexpr kovel::NumerosPanel numeros_{};
    std::array<Pas*, kovel::NombrePanels> taula_{};   // the panels by number
    FontAssistent* font_ = nullptr;
    EntornAssistent senseEntorn_;
    EntornAssistent* entorn_ = &senseEntorn_;
    QString focusTarget_;
    generar_doc::FullDades* full_ = nullptr;
    QString carpetaDades_;
    generar_doc::CodisGeneracio* codisPrograma_ = nullptr;
    kovel::codes::RegistreCodis registreCodis_;
    class CodisAmbBomba;
    std::unique_ptr<CodisAmbBomba> codis_;
    std::unique_ptr<PasInici> inici_;
    std::unique_ptr<PasGuardats> guardats_;
    std::unique_ptr<PasPaper> paper_;
    std::unique_ptr<PasEtiqueta> etiqueta_;
    std::unique_ptr<PasOrigen> origen_;
    std::unique_ptr<PasDisseny> disseny_;
    std::unique_ptr<PasFinal> final_;
    std::unique_ptr<Guardats> desats_;
};

} // namespace kovel::wizard
