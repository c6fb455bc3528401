#include "wizard/panels/PasEtiqueta.h"

#include "catalogue/Catalogo.h"
#include "catalogue/CodisDisseny.h"
#include "catalogue/ListaEtiquetas.h"
#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "wizard/EstatAssistent.h"
#include "wizard/panels/PasPaper.h"

#include <algorithm>

namespace kovel::wizard {

PasEtiqueta::PasEtiqueta(EstatAssistent& estat) : Pas(estat)
{
    // A search that switches paper turns the paper panel's option, which owns the type.
    Llista.cambioPapel = [this](int tipus) { estat_.pasPaper().optPapel_Click(tipus); };
}

std::int16_t PasEtiqueta::tipusDeLaLlista() const
{
    const int triat = estat_.pasPaper().tipusPapel();
    std::int32_t t = triat >= 0 ? triat : Enter(ModReg::LlegirSeleccio(QStringLiteral("TipoPag")));
    const auto presents = estat_.pasPaper().TiposPapelVisibles();
    if (t < 0 || t > 4 || !presents[t]) {
        const auto it = std::find(presents.begin(), presents.end(), true);
        t = it == presents.end() ? 0 : std::int32_t(it - presents.begin());
    }
    return std::int16_t(t);
}

std::int16_t PasEtiqueta::ordreDesat()
{
    const std::int32_t o = Enter(ModReg::LlegirSeleccio(QStringLiteral("OrdenEtiq")));
    return std::int16_t(o < 0 || o > 2 ? 0 : o);   // a stale order: the reference order
}

void PasEtiqueta::Llenar()
{
    EstadoListaEtiquetas& p = Llista;
    const std::int16_t o = ordreDesat();
    for (int i = 0; i < 3; ++i)
        p.optOrden[i] = i == o;
    p.cboOrdenar.listIndex = o < p.cboOrdenar.entradas.size() ? int(o) : -1;
    if (p.cboOrdenar.listIndex >= 0)
        p.cboOrdenar.texto = p.cboOrdenar.entradas[o];

    const std::int16_t t = tipusDeLaLlista();
    ModTolvWiz::Llena_ListaEtiquetas(estat_.cataleg(), t, std::int16_t(o), 0, 0);
    ModTolvWiz::Llena_MedidasFiltro(estat_.cataleg(), Llista, t);
    if (formatPerdut_)
        estat_.cataleg().Lista.setListIndex(-1);
    else
        ModTolvWiz::Busca_EtiquetaReferencia(estat_.cataleg(),
                                             model_ != 0 ? Numero(model_) : ModReg::LlegirSeleccio(QStringLiteral("Etiqueta")), true);
    estat_.setFocusTarget(QStringLiteral("LstEtiquetas"));
    estat_.ValorPanel = std::int32_t(ModTolvWiz::IndexFormat(estat_.cataleg()));
    orientacioDelFormat();
}

bool PasEtiqueta::Validar(Avis& avis)
{
    const int idx = ModTolvWiz::FormatSeleccionat(estat_.cataleg());
    if (!DinsCatalogo(estat_.cataleg(), idx)) {
        // An empty list (no format of this paper, or none left in the catalogue), or a
        // restored format that is gone.
        avis = {0, formatPerdut_ ? textFormatPerdut()
                                 : ModTraduccion::TextPrograma("FrmTolvWiz.SenseFormat",
                                                               QStringLiteral("Please choose a label format in the list."))};
        return false;
    }
    if (ModTolvWiz::IndexFormat(estat_.cataleg()) != estat_.ValorPanel.toInt()) {
        estat_.marca(np().PanelDiseno, 0);
        estat_.marca(np().PanelFinal, 0);
    }
    model_ = directoris::NumeroEtiqueta(estat_.cataleg(), std::int16_t(idx));
    formatPerdut_ = false;
    const int t = estat_.pasPaper().tipusPapel();
    if (t >= 0)
        ModReg::DesarSeleccio(QStringLiteral("TipoPag"), Numero(t));
    ModReg::DesarSeleccio(QStringLiteral("Etiqueta"), Numero(model_));
    ModReg::DesarSeleccio(QStringLiteral("OrdenEtiq"), Numero(Llista.orden()));
    return true;
}

QString PasEtiqueta::textFormatPerdut() const
{
    return ModTraduccion::TextPrograma("FrmTolvWiz.FormatPerdut",
                                       QStringLiteral("The label format KOVEL %1 of the design \"%2\" is no longer in the "
                                                      "catalogue. Please choose another label format in the list."))
        .arg(model_)
        .arg(nomPerdut_);
}

bool PasEtiqueta::RestauraFormat(std::int32_t model, const QString& nom)
{
    Cataleg& cat = estat_.cataleg();
    model_ = model;
    ModReg::DesarSeleccio(QStringLiteral("Etiqueta"), Numero(model));
    // The model on the saved paper; on another paper only when the saved one has none.
    PasPaper& paper = estat_.pasPaper();
    int idx = -1;
    for (int i = 0; i < cat.NumEtiquetas && i < cat.Etiquetas.size(); ++i) {
        if (cat.Etiquetas[i].Codigo != model)
            continue;
        if (idx < 0)
            idx = i;
        if (cat.Etiquetas[i].TipoPapel == paper.tipusPapel()) {
            idx = i;
            break;
        }
    }
    formatPerdut_ = idx < 0;
    nomPerdut_ = nom.trimmed();
    // A format has one paper: a design that kept another (as older saves could) opens on it.
    if (idx >= 0 && cat.Etiquetas[idx].TipoPapel <= 4 && cat.Etiquetas[idx].TipoPapel != paper.tipusPapel())
        paper.optPapel_Click(cat.Etiquetas[idx].TipoPapel);
    const std::int16_t t = tipusDeLaLlista();
    ModTolvWiz::Llena_ListaEtiquetas(cat, t, ordreDesat(), 0, 0);
    if (formatPerdut_) {
        cat.Lista.setListIndex(-1);
        ModTolvWiz::Mensaje_Error(textFormatPerdut());
        return false;
    }
    ModTolvWiz::Busca_EtiquetaReferencia(cat, Numero(model), true);
    LstEtiquetas_Click(cat.Lista.ListIndex());
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
