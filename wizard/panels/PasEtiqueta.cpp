#include "wizard/panels/PasEtiqueta.h"

#include "catalogue/Catalogo.h"
#include "catalogue/ListaEtiquetas.h"
#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "wizard/EstatAssistent.h"
#include "wizard/panels/PasPaper.h"

#include <algorithm>

namespace kovel::wizard {

void PasEtiqueta::Llenar()
{
    EstadoPanelEtiquetas& p = estat_.cataleg().Panel;
    std::int32_t o = Enter(ModReg::LlegirSeleccio(QStringLiteral("OrdenEtiq")));
    if (o < 0 || o > 2)
        o = 0;   // a stale order: the reference order
    for (int i = 0; i < 3; ++i)
        p.optOrden[i] = i == o;
    p.cboOrdenar.listIndex = o < p.cboOrdenar.entradas.size() ? int(o) : -1;
    if (p.cboOrdenar.listIndex >= 0)
        p.cboOrdenar.texto = p.cboOrdenar.entradas[o];
    p.listaVisible = true;

    // The paper type chosen on the paper panel is the stored one (its buttons store it); a
    // stored type the catalogue does not offer gives way to the first it offers.
    std::int32_t t = Enter(ModReg::LlegirSeleccio(QStringLiteral("TipoPag")));
    const auto presents = estat_.pasPaper().TiposPapelVisibles();
    if (t < 0 || t > 4 || !presents[t]) {
        const auto it = std::find(presents.begin(), presents.end(), true);
        t = it == presents.end() ? 0 : std::int32_t(it - presents.begin());
    }
    ModTolvWiz::Llena_ListaEtiquetas(estat_.cataleg(), std::int16_t(t), std::int16_t(o), 0, 0);
    ModTolvWiz::Llena_MedidasFiltro(estat_.cataleg(), std::int16_t(t));
    ModTolvWiz::Busca_EtiquetaReferencia(estat_.cataleg(), ModReg::LlegirSeleccio(QStringLiteral("Etiqueta")), true);
    estat_.setFocusTarget(QStringLiteral("LstEtiquetas"));
    estat_.ValorPanel = std::int32_t(ModTolvWiz::IndexFormat(estat_.cataleg()));
    orientacioDelFormat();
}

bool PasEtiqueta::Validar(Avis& avis)
{
    const int idx = ModTolvWiz::FormatSeleccionat(estat_.cataleg());
    if (!DinsCatalogo(estat_.cataleg(), idx)) {
        // An empty list (no format of this paper, or none left in the catalogue).
        avis = {0, ModTraduccion::TextPrograma("FrmTolvWiz.SenseFormat", QStringLiteral("Please choose a label format in the list."))};
        return false;
    }
    if (ModTolvWiz::IndexFormat(estat_.cataleg()) != estat_.ValorPanel.toInt()) {
        estat_.marca(np().PanelDiseno, 0);
        estat_.marca(np().PanelFinal, 0);
    }
    const int t = estat_.pasPaper().tipusPapel();
    ModReg::DesarSeleccio(QStringLiteral("TipoPag"), Numero(t < 0 ? 4 : t));
    ModReg::DesarSeleccio(QStringLiteral("Etiqueta"), Numero(estat_.cataleg().Etiquetas[idx].Codigo));
    const auto& ord = estat_.cataleg().Panel.optOrden;
    ModReg::DesarSeleccio(QStringLiteral("OrdenEtiq"), Numero(ord[0] ? 0 : ord[1] ? 1 : 2));
    return true;
}

void PasEtiqueta::Opt_Horizontal_Click()
{
    EstadoPanelEtiquetas& p = estat_.cataleg().Panel;
    p.opt_Horizontal = true;
    p.opt_Vertical = false;
    // With no format selected there is nothing to turn.
    const int idx = ModTolvWiz::FormatSeleccionat(estat_.cataleg());
    if (DinsCatalogo(estat_.cataleg(), idx) && idx < estat_.cataleg().EtiquetasMarca.size() && !estat_.cataleg().EtiquetasMarca[idx])
        ModTolvWiz::GirarFormat(estat_.cataleg(), np());
    estat_.marca(np().PanelOrigenDatos, 0);
}

void PasEtiqueta::Opt_Vertical_Click()
{
    EstadoPanelEtiquetas& p = estat_.cataleg().Panel;
    p.opt_Vertical = true;
    p.opt_Horizontal = false;
    const int idx = ModTolvWiz::FormatSeleccionat(estat_.cataleg());
    if (DinsCatalogo(estat_.cataleg(), idx) && idx < estat_.cataleg().EtiquetasMarca.size() && estat_.cataleg().EtiquetasMarca[idx])
        ModTolvWiz::GirarFormat(estat_.cataleg(), np());
    estat_.marca(np().PanelOrigenDatos, 0);
}

void PasEtiqueta::optOrden_Click(int orden)
{
    if (orden < 0 || orden > 2)
        return;
    ModTolvWiz::Establece_Orden(estat_.cataleg(), orden, np());
}

void PasEtiqueta::LstEtiquetas_Click(int linia)
{
    estat_.cataleg().Lista.setListIndex(linia);
    orientacioDelFormat();
}

void PasEtiqueta::orientacioDelFormat()
{
    const int idx = ModTolvWiz::FormatSeleccionat(estat_.cataleg());
    if (DinsCatalogo(estat_.cataleg(), idx) && idx < estat_.cataleg().EtiquetasMarca.size()) {
        EstadoPanelEtiquetas& p = estat_.cataleg().Panel;
        p.opt_Horizontal = estat_.cataleg().EtiquetasMarca[idx];
        p.opt_Vertical = !p.opt_Horizontal;
    }
}

} // namespace kovel::wizard
