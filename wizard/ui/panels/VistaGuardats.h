#pragma once
// The saved designs on the wizard window: the saved-designs panel's choices and list and the
// save command on the design panel, over the state's saved designs (wizard/Guardats).
#include "wizard/Guardats.h"
#include "wizard/ui/panels/VistaPas.h"

#include <memory>

class QListWidget;

namespace kovel::wizard {

class PasGuardats;

class VistaGuardats : public VistaPas {
public:
    VistaGuardats(FrmTolvWiz& finestra, PasGuardats& model);
    ~VistaGuardats() override;

    void construeix() override;
    void prepara() override;
    void mostra() override;
    // Leaving with a saved design chosen restores it: the window waits meanwhile.
    bool treball(bool comenca) override;

    // The save-design command; also the design frame's save.
    void cmdGuardar_Click();

private:
    PasGuardats& triat() const;

    std::unique_ptr<guardar::CodisExecucio> codisDesats_;
    kovel::ui::BotoImatge *cmdObrir = nullptr, *cmdCrear = nullptr, *cmdGuardar = nullptr;
    QListWidget* lstGuardats = nullptr;
    QLabel* lblDissenysTrobats = nullptr;
};

} // namespace kovel::wizard
