#pragma once
// The label-format panel: the format list of the chosen paper with its order, size filter and
// reference search, and the orientation of the chosen format.
#include "catalogue/ListaEtiquetas.h"
#include "wizard/panels/Pas.h"

namespace kovel::wizard {

class PasEtiqueta : public Pas {
public:
    using Pas::Pas;

    // The stored order, the list of the stored paper type and the stored format selected.
    void Llenar() override;
    // A format must be selected; it, its paper type and the order are stored, and a changed
    // format makes the later panels fill again.
    bool Validar(Avis& avis) override;
    void Opt_Horizontal_Click();
    void Opt_Vertical_Click();
    void optOrden_Click(int orden);
    // The sort box's entry `index` chosen (or its typed text, with -1).
    void cboOrdenar_Click(int index);
    // The size box's entry `index` chosen; btn_no_buscar lists every size again.
    void cboMides_Click(int index);
    void btn_no_buscar_Click();
    // The reference search with the box's text `texto`.
    void btn_buscar_ref_Click(const QString& texto);
    // A key typed in the reference box holding `texto`: Enter searches, a key that is no digit
    // beeps; `tecla` comes back 0 when the box must not take it.
    void txtReferencia_KeyPress(const QString& texto, std::int16_t& tecla);
    void txtReferencia_GotFocus();
    // LstEtiquetas_Click: a format chosen at list line `linia`.
    void LstEtiquetas_Click(int linia);

    // The order, size filter and reference search around the list.
    EstadoListaEtiquetas Llista;
    // The orientation options; until a format is turned the labels stand upright.
    bool opt_Horizontal = false;
    bool opt_Vertical = true;

private:
    // The orientation options show whether the format now selected is turned.
    void orientacioDelFormat();
    // The selected format turned to the orientation chosen, when it is not yet.
    void giraSiCal(bool horitzontal);
};

} // namespace kovel::wizard
