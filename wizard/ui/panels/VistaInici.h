#pragma once
// The home panel's controls: the welcome title and the program's version.
#include "wizard/ui/panels/VistaPas.h"

namespace kovel::wizard {

class VistaInici : public VistaPas {
public:
    VistaInici(FrmTolvWiz& finestra, Pas& model);

    void construeix() override;
    void prepara() override;
    void aparenca() override;

private:
    QLabel* lbl_version = nullptr;
};

} // namespace kovel::wizard
