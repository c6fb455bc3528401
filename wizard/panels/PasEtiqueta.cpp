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
    EstadoListaEtiquetas& p = Llista;
    std::int32_t o = Enter(ModReg::LlegirSeleccio(QStringLiteral("OrdenEtiq")));
    if (o < 0 || o > 2)
        o = 0;   // a stale order: the reference order
    for (int i = 0; i < 3; ++i)
        p.optOrden[i] = i == o;
    p.cboOrdenar.listIndex = o < p.cboOrdenar.entradas.size() ? int(o) : -1;
    if (p.cboOrdenar.listIndex >= 0)
        p.cboOrdenar.texto = p.cboOrdenar.entradas[o];

    // The paper type chosen on the paper panel is the stored one (its buttons store it); a
    // stored type the catalogue does not offer gives way to the first it offers.
    std::int32_t t = Enter(ModReg::LlegirSeleccio(QStringLiteral("TipoPag")));
    const auto presents = estat_.pasPaper().TiposPapelVisibles();
    if (t < 0 || t > 4 || !presents[t]) {
        const auto it = std::find(presents.begin(), presents.end(), true);
        t = it == presents.end() ? 0 : std::int32_t(it - presents.begin());
    }
    ModTolvWiz::Llena_ListaEtiquetas(estat_.cataleg(), std::int16_t(t), std::int16_t(o), 0, 0);
    ModTolvWiz::Llena_MedidasFiltro(estat_.cataleg(), Llista, std::int16_t(t));
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
    ModReg::DesarSeleccio(QStringLiteral("OrdenEtiq"), Numero(Llista.orden()));
    return true;
}

void PasEtiqueta::Opt_Horizontal_Click()
{
    opt_Horizontal = true;
    opt_Vertical = false;
    giraSiCal(true);
}

void PasEtiqueta::Opt_Vertical_Click()
{
    opt_Vertical = true;
    opt_Horizontal = false;
    giraSiCal(false);
}

void PasEtiqueta::giraSiCal(bool horitzontal)
{
    // With no format selected there is nothing to turn.
    Cataleg& cat = estat_.cataleg();
    const int idx = ModTolvWiz::FormatSeleccionat(cat);
    if (DinsCatalogo(cat, idx) && idx < cat.EtiquetasMarca.size() && cat.EtiquetasMarca[idx] != horitzontal) {
        ModTolvWiz::GirarFormat(cat);
        estat_.marca(np().PanelDiseno, 0);
    }
    estat_.marca(np().PanelOrigenDatos, 0);
}

void PasEtiqueta::optOrden_Click(int orden)
{
    if (orden < 0 || orden > 2)
        return;
    ModTolvWiz::Establece_Orden(estat_.cataleg(), Llista, orden, estat_.pasPaper().tipusPapel());
    estat_.marca(np().PanelEtiqueta, 0);
}

void PasEtiqueta::cboOrdenar_Click(int index)
{
    Llista.cboOrdenar.listIndex = index;
    if (ModTolvWiz::Autocompleta_Orden(estat_.cataleg(), Llista, estat_.pasPaper().tipusPapel()))
        estat_.marca(np().PanelEtiqueta, 0);
}

void PasEtiqueta::cboMides_Click(int index)
{
    Llista.cboMides.listIndex = index;
    ModTolvWiz::Selecciona_Medida(estat_.cataleg(), Llista, estat_.pasPaper().tipusPapel());
}

void PasEtiqueta::btn_no_buscar_Click()
{
    Llista.cboMides.listIndex = -1;
    ModTolvWiz::Filtra_PorMedidas(estat_.cataleg(), Llista, estat_.pasPaper().tipusPapel());
}

void PasEtiqueta::btn_buscar_ref_Click(const QString& texto)
{
    Llista.txtReferencia = texto;
    ModTolvWiz::Buscar_Referencia(estat_.cataleg(), Llista);
}

void PasEtiqueta::txtReferencia_KeyPress(const QString& texto, std::int16_t& tecla)
{
    Llista.txtReferencia = texto;
    ModTolvWiz::Filtra_TeclaReferencia(estat_.cataleg(), Llista, tecla);
}

void PasEtiqueta::txtReferencia_GotFocus()
{
    ModTolvWiz::Selecciona_TextoReferencia(Llista);
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
        opt_Horizontal = estat_.cataleg().EtiquetasMarca[idx];
        opt_Vertical = !opt_Horizontal;
    }
}

} // namespace kovel::wizard
