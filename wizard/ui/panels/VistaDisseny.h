#pragma once
// The design panel's controls: the hosted design frame and its one-page guard, the field
// menu, the code dialogs, and the cell chooser of a sheet whose labels differ.
#include "documents/ui/MarcDisseny.h"
#include "wizard/ui/panels/VistaPas.h"

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QListWidget;
class QMenu;
class QTimer;

namespace kovel::docframe {
class MarcDocument;
}
namespace kovel::word {
class Document;
}

namespace kovel::wizard {

class CodisDisseny;
class PasDisseny;

class VistaDisseny : public VistaPas {
public:
    VistaDisseny(FrmTolvWiz& finestra, PasDisseny& model);
    ~VistaDisseny() override;

    void construeix() override;
    void textos() override;
    void aparenca() override;
    void mostra() override;
    // The guard runs while the frame has the focus on this panel only.
    void deixa() override;
    void activada() override;

    kovel::docframe::MarcDocument* Marc() const { return dsoFraWord; }
    // The frame's routines and its one-page guard: it shows the design the state gives it.
    modDsoFraWord::MarcDisseny& marcDisseny() { return marcDisseny_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PasDisseny& disseny() const;
    // After the previews are installed: the frame, the guard, the cells.
    void connectaMarc();
    void AjustaMarc();
    void colocaNavegacioHoja();
    void mnuCampo_Click(int index);
    void CmdPasa_Click(int index);
    void dsoFraWord_BeforeDocumentSaved(const QString& cami, bool* cancel);
    void insereixCodi(const std::function<void()>& dialeg);
    void btn_barres_Click();
    void btn_qr_Click();
    // The cell chooser of a sheet whose labels differ.
    void PctHoja_MouseDown(int celda);
    void SeleccionaCasella(std::int32_t n);

    QWidget* pctDsoContenidor = nullptr;
    kovel::docframe::MarcDocument* dsoFraWord = nullptr;
    kovel::ui::BotoImatge *btn_barres = nullptr, *btn_qr = nullptr;
    QMenu* mnuListaCampos = nullptr;
    std::array<QListWidget*, 2> LstCampos{};
    std::array<kovel::ui::BotoImatge*, 4> CmdPasa{};
    bool OcupadoHoja = false;
    kovel::ui::BotoImatge* CmdCampos = nullptr;
    kovel::ui::BotoImatge* CmdEditarDatos = nullptr;
    QWidget* PnlHoja = nullptr;
    std::array<kovel::ui::BotoImatge*, 4> cmdHoja{};
    QLabel* LblHoja = nullptr;
    kovel::ui::BotoImatge* CmdBorrar = nullptr;
    QCheckBox* Check_Formato = nullptr;
    QLabel* lbl_check_formato = nullptr;
    QTimer* TimerEvitar2pags = nullptr;
    bool evitantDuesPagines_ = false;
    modDsoFraWord::MarcDisseny marcDisseny_;
    std::shared_ptr<CodisDisseny> entornCodis_;   // its release also unhooks the frame
};

} // namespace kovel::wizard
