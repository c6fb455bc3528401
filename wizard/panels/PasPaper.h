#pragma once
// The paper panel: the paper type (A4, continuous, Letter, A5, thermal), stored at once.
#include "wizard/panels/Pas.h"

#include <array>

namespace kovel::wizard {

class PasPaper : public Pas {
public:
    using Pas::Pas;

    // A fresh run preselects no paper type until one is chosen; a restored design brings its own.
    void Llenar() override;
    // A paper type must be chosen.
    bool Validar(Avis& avis) override;
    // optDinA4_Click ... optTermic_Click with the paper code (0 A4 ... 4 thermal).
    void optPapel_Click(int tipus);
    // Paper types offered (the catalogue's), index = paper code.
    std::array<bool, 5> TiposPapelVisibles() const;
    int tipusPapel() const;   // the option on, -1 when none
    // The paper-type options optDinA4, optContinuo, optLetter, optDinA5, optTermic, index =
    // paper code.
    std::array<bool, 5> optPapel{};
    // The picture of the chosen paper upright or turned, shown beside the orientation
    // options: A5's for A5, A4's for any other ("" when the program folder lacks it).
    QString imatgeOrientacio(bool horitzontal) const;
};

} // namespace kovel::wizard
