#pragma once
// The final panel's controls: labels or sheets per record, the worksheet's rows, and the
// document made at once (cmdPresentacion) with its progress.
#include "wizard/ui/panels/VistaPas.h"

#include <array>

class QLineEdit;

namespace kovel::wizard {

class PasFinal;

class VistaFinal : public VistaPas {
public:
    VistaFinal(FrmTolvWiz& finestra, PasFinal& model);

    void construeix() override;
    void aparenca() override;
    void mostra() override;
    // Leaving the panel forward generates the document: its progress shows meanwhile.
    bool treball(bool comenca) override;
    QProgressBar* barraProgres() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PasFinal& final_() const;
    void cmdPresentacion_Click();
    void AjustaTitolPanel();
    void AjustaPanelDistribucio();
    void txtFila_Validate(bool inicial);

    bool filaEnCurs_ = false;
    std::array<kovel::ui::BotoImatge*, 2> OpcEtiqpag{};
    std::array<QLabel*, 2> lblEtiqpag{};
    QLabel *LblDistribucion = nullptr, *LblPresentacion = nullptr, *LblPresentacion2 = nullptr;
    QLineEdit *txtFila_inicial = nullptr, *txtFila_final = nullptr;
    QLabel *lblFila_inicial = nullptr, *lblFila_final = nullptr;
    kovel::ui::BotoImatge* cmdPresentacion = nullptr;
    QProgressBar* PctProgressBar = nullptr;
    QLabel* LblProgreso = nullptr;
    QLabel *img_final1 = nullptr, *img_final2 = nullptr;
};

} // namespace kovel::wizard
