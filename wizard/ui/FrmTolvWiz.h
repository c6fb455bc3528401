#pragma once
// The wizard window: ten panels shown one at a time over the bottom bar with Back, Next and
// Cancel. Each panel's controls are a view of their own (wizard/ui/panels) over the panel's
// model (wizard/panels); the window keeps the frame, the bottom bar and the moves, and
// answers the state as its EntornAssistent. Every control is named as the window's code names
// it (control arrays carry "index").
#include "catalogue/ui/VistaPreviaHoja.h"
#include "documents/ui/MarcDisseny.h"
#include "wizard/EstatAssistent.h"

#include <QElapsedTimer>
#include <QWidget>

#include <array>
#include <memory>
#include <vector>

class QLabel;
class QProgressBar;

namespace kovel::docframe {
class MarcDocument;
}

namespace kovel::ui {
class BotoImatge;
}

namespace kovel::wizard {

class VistaPas;
class VistaDisseny;
class VistaGuardats;

class FrmTolvWiz : public QWidget, public EntornAssistent {
    Q_OBJECT
public:
    explicit FrmTolvWiz(QWidget* parent = nullptr);
    ~FrmTolvWiz() override;

    // Loads the catalogue and the host's data source, sets the panels up and shows the
    // home panel. False (after the step's message) when the wizard cannot run.
    bool Cargar();

    EstatAssistent& estat() { return *estat_; }
    // The sheet previews beside the format list and on the design panel.
    kovel::catalogue::VistesPrevies& previes() { return previes_; }
    QWidget* Panel(int i) const { return panels_.at(i); }
    QLabel* Titol(int i) const { return lblTit.at(i); }
    // The view of panel number `panel` of this host; nullptr outside the numbers.
    VistaPas* vista(std::int16_t panel) const;
    VistaDisseny& vistaDisseny() const { return *vistaDisseny_; }
    VistaGuardats& vistaGuardats() const { return *vistaGuardats_; }

    // The moves of the bottom bar and of double-clicks.
    void MostrarPanel(int dir);
    // Shows the state in the bottom bar and the shown panel.
    void mostra();
    // The message of a check, when there is one.
    void avisa(const Avis& avis);
    // The window waits (disabled, busy pointer) while long work runs.
    void modoEspera(bool espera);
    // True while the window writes the state into the controls.
    bool& omplint() { return omplint_; }
    QWidget* botoSiguiente() const;

    // The save of a design under a name, which a save asked inside the design frame runs
    // too, unless the program itself is saving.
    virtual void DesaDissenyAmbNom();
    // The design frame and its routines (the design panel's).
    kovel::docframe::MarcDocument* Marc() const;
    modDsoFraWord::MarcDisseny& marcDisseny();

    // ---- What the state asks of the window ----
    bool hiHaGuardats() override;
    void recuperaDisseny(int n) override;
    void obreDocument(const QString& cami) override;
    void progres(int valor, int maxim) override;
    bool teBomba() const override { return true; }
    void bomba() override;
    void mostraDisseny(const kovel::word::Document& disseny, const QString& cami) override;
    std::unique_ptr<kovel::word::Document> edicionsDisseny() override;
    QString demanaNom(const QString& prompt, const QString& titol) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void construeix();
    void Prepara_Asistente();
    void AplicaAparenca();
    void Prepara_Textos();
    void mouEnllacos(int panel);

    std::unique_ptr<EstatAssistent> estat_;
    kovel::catalogue::VistesPrevies previes_{estat_->cataleg()};
    std::unique_ptr<FontAssistent> font_;
    std::unique_ptr<generar_doc::CodisGeneracio> codis_;
    std::vector<std::unique_ptr<VistaPas>> vistes_;
    VistaDisseny* vistaDisseny_ = nullptr;
    VistaGuardats* vistaGuardats_ = nullptr;
    bool omplint_ = false;
    QElapsedTimer darrerBomba_;

    std::array<QWidget*, kovel::NombrePanels> panels_{};
    std::array<QLabel*, kovel::NombrePanels> lblTit{};
    QLabel* lblTit4 = nullptr;
    QWidget* PanelBaix = nullptr;
    kovel::ui::BotoImatge *CmdAnterior = nullptr, *CmdSiguiente = nullptr, *cmdCancelar = nullptr;
    QLabel *lblAnterior = nullptr, *lblSiguiente = nullptr, *lblCancelar = nullptr;
    kovel::ui::BotoImatge *cmd_ayuda = nullptr, *cmd_email = nullptr;
    QLabel *lbl_ayuda = nullptr, *lbl_email = nullptr, *img_web = nullptr;
};

} // namespace kovel::wizard
