#include "wizard/ui/panels/VistaInici.h"

#include "appearance/ui/Aparenca.h"
#include "common/ModReg.h"
#include "wizard/EstatAssistent.h"

#include <QLabel>

namespace kovel::wizard {

using namespace controls;

VistaInici::VistaInici(FrmTolvWiz& finestra, Pas& model) : VistaPas(finestra, model, 0) {}

void VistaInici::construeix()
{
    titol()->setGeometry(Tw(600, 1500, 6000, 1400));
    lbl_version = Etiqueta(panel(), "lbl_version", Tw(600, 5400, 3000, 300));
    // The web banner's place; it stays out of sight until its page has loaded.
    // The banner control itself is made by the banner's loading, under this name.
}

void VistaInici::aparenca() { KOVEL_espec::PosaFons(panel(), QStringLiteral("FONSHOME.DAT")); }

void VistaInici::prepara() { lbl_version->setText(EstatAssistent::TextVersio(ModReg::RutaPrograma())); }

} // namespace kovel::wizard
