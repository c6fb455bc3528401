#pragma once
// The saved-designs panel: open one of the designs saved for this host, or create a new one.
#include "wizard/panels/Pas.h"

namespace kovel::wizard {

class PasGuardats : public Pas {
public:
    using Pas::Pas;

    // Neither choice made, no design chosen.
    void Llenar() override;
    // Opening needs a design chosen in the list; the chosen design is then restored.
    bool Validar(Avis& avis) override;
    void triaGuardat(bool obrir)
    {
        cmdObrir = obrir;
        cmdCrear = !obrir;
    }

    bool cmdObrir = false;
    bool cmdCrear = false;
    int lstGuardatsIndex = -1;
};

} // namespace kovel::wizard
