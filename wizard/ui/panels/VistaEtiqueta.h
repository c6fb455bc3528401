#pragma once
// The label-format panel's controls: the format list, its order, size filter and reference
// search, the orientation, the sheet preview with the size text under it, the details button.
#include "wizard/ui/panels/VistaPas.h"

#include <array>

class QComboBox;
class QLineEdit;
class QListView;

namespace kovel::wizard {

class PasEtiqueta;

class VistaEtiqueta : public VistaPas {
public:
    VistaEtiqueta(FrmTolvWiz& finestra, PasEtiqueta& model);
    ~VistaEtiqueta() override;

    void construeix() override;
    void textos() override;
    void mostra() override;
    void deixa() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PasEtiqueta& etiqueta() const;
    void LstEtiquetas_Click();
    void cmd_tipo_informacion_Click();

    QListView* LstEtiquetas = nullptr;
    std::array<kovel::ui::BotoImatge*, 3> optOrden{};
    QComboBox* cboOrdenar = nullptr;
    QComboBox* cboMides = nullptr;
    QLineEdit* txtReferencia = nullptr;
    kovel::ui::BotoImatge *btn_buscar_ref = nullptr, *btn_no_buscar = nullptr;
    QLabel* lbl_buscar_ref = nullptr;
    kovel::ui::BotoImatge *opt_Horizontal = nullptr, *opt_Vertical = nullptr;
    QLabel *img_vertical = nullptr, *img_horitzontal = nullptr;
    std::array<QLabel*, 6> lbl_inf_etiqueta{};
    QWidget* Frame_Hoja = nullptr;
    kovel::ui::BotoImatge* cmd_tipo_informacion = nullptr;
};

} // namespace kovel::wizard
