#pragma once
// The label-format panel: the format list of the chosen paper with its order, size filter and
// reference search, and the orientation of the chosen format.
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
    // LstEtiquetas_Click: a format chosen at list line `linia`.
    void LstEtiquetas_Click(int linia);

private:
    // The orientation options show whether the format now selected is turned.
    void orientacioDelFormat();
};

} // namespace kovel::wizard
