#pragma once
// The label-format panel: the format list of the chosen paper with its order, size filter and
// reference search, and the orientation of the chosen format.
#include "catalogue/ListaEtiquetas.h"
#include "wizard/panels/Pas.h"

namespace kovel::wizard {

class PasEtiqueta : public Pas {
public:
    explicit PasEtiqueta(EstatAssistent& estat);

    // The stored order, the list of the paper panel's type and the chosen format selected.
    void Llenar() override;
    // A format must be selected; it becomes the chosen format and is stored with its paper
    // type and the order, and a changed format makes the later panels fill again.
    bool Validar(Avis& avis) override;
    // The chosen format's model number: what the panel was left with, or what a restored
    // design brought; 0 before either. A save records this, never the list's selection.
    std::int32_t modelTriat() const { return model_; }
    // A restored design's format `model`, on the paper panel's type: selected in that paper's
    // list. A model the catalogue no longer holds is said, naming it and the design `nom`,
    // and no format is selected until the user chooses one here; false then.
    bool RestauraFormat(std::int32_t model, const QString& nom);
    // A new design: a restored format the catalogue lost stands no more, and the list selects
    // as it does for any stored format.
    void oblidaFormatPerdut() { formatPerdut_ = false; }
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
    // The restored model the catalogue lacks, in the user's words.
    QString textFormatPerdut() const;
    // The paper type the list is built for: the paper panel's; before it holds one, the stored
    // type. A type the catalogue does not offer gives way to the first it offers.
    std::int16_t tipusDeLaLlista() const;
    // The stored order of the list, 0 to 2; a stale one gives the reference order.
    static std::int16_t ordreDesat();

    std::int32_t model_ = 0;
    // A restored design's format is not in the catalogue: nothing is selected for it.
    bool formatPerdut_ = false;
    QString nomPerdut_;
    // The orientation options show whether the format now selected is turned.
    void orientacioDelFormat();
    // The selected format turned to the orientation chosen, when it is not yet.
    void giraSiCal(bool horitzontal);
};

} // namespace kovel::wizard
