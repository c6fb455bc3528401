#include "wizard/panels/PasOrigen.h"

#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "documents/generar_doc.h"
#include "wizard/EstatAssistent.h"
#include "wizard/panels/PasFinal.h"
#include "wizard/panels/PasEtiqueta.h"

#include <algorithm>
#include <exception>

namespace kovel::wizard {

using ModTraduccion::TextPrograma;

void PasOrigen::Llenar()
{
    if (unaEtiquetaPerFull()) {
        if (opcOrigDatos[0]) {
            opcOrigDatos[1] = true;
            opcOrigDatos[0] = false;
        }
        opcOrigDatos0Visible = false;
    } else {
        opcOrigDatos0Visible = true;
    }
    estat_.ValorPanel = OpcionDatos();
    estat_.setFocusTarget(QStringLiteral("CmdSiguiente"));
    const bool excel = estat_.esExcel();
    if (!excel && !estat_.esAccess())
        return;

    QStringList& llista = excel ? LstHojas : LstTablas;
    int& index = excel ? LstHojasIndex : LstTablasIndex;
    EntornAssistent& entorn = estat_.entorn();
    entorn.progres(0, 0);
    const int p = index;
    FontAssistent* font = estat_.font();
    llista = font ? font->llistes([&entorn](int v, int m) { entorn.progres(v, m); }) : QStringList();
    if (excel)
        NumHojas = std::int16_t(std::min<qsizetype>(llista.size(), 32767));
    else
        NumTablas = std::int16_t(std::min<qsizetype>(llista.size(), 32767));
    if (!llista.isEmpty() && p == -1)
        index = 0;
    else
        index = p < llista.size() ? p : -1;
    // The list chose another worksheet (the one chosen before is gone): its rows go with it.
    if (excel && index != p)
        estat_.pasFinal().oblidaFiles();
    estat_.ValorPanel = index >= 0 ? llista[index] : QString();
    estat_.setFocusTarget(excel ? QStringLiteral("LstHojas") : QStringLiteral("LstTablas"));
}

bool PasOrigen::Validar(Avis& avis)
{
    if (estat_.esWord() && OpcionDatos() < 0) {
        avis = {0, TextPrograma("FrmTolvWiz.SenseOpcio", QStringLiteral("Please choose how the labels of the sheet are filled."))};
        return false;
    }
    if (!estat_.pasEtiqueta().opt_Horizontal && !estat_.pasEtiqueta().opt_Vertical) {
        avis = {0, TextPrograma("FrmTolvWiz.SenseOrientacio",
                                QStringLiteral("Please go back to the label format and choose Portrait or Landscape."))};
        return false;
    }
    if (estat_.esExcel() || estat_.esAccess()) {
        const bool excel = estat_.esExcel();
        const int index = excel ? LstHojasIndex : LstTablasIndex;
        FontAssistent* font = estat_.font();
        const QString fitxer = font ? font->fitxer() : QString();
        if (index < 0) {
            avis = excel ? Avis{0, TextPrograma("FrmTolvWiz.SenseFull", QStringLiteral("The workbook \"%1\" has no worksheet to choose.")).arg(fitxer)}
                         : Avis{0, TextPrograma("FrmTolvWiz.SenseTaula", QStringLiteral("The database \"%1\" has no table or query to choose.")).arg(fitxer)};
            if (excel ? !LstHojas.isEmpty() : !LstTablas.isEmpty())
                avis = excel ? Avis{0, TextPrograma("FrmTolvWiz.TriaFull", QStringLiteral("Please choose a worksheet in the list."))}
                             : Avis{0, TextPrograma("FrmTolvWiz.TriaTaula", QStringLiteral("Please choose a table or query in the list."))};
            return false;
        }
        bool buida = false;
        try {
            if (excel) {
                std::int32_t r1, c1, r2, c2;
                buida = !font || !font->rangUsat(index + 1, r1, c1, r2, c2);
            } else {
                std::unique_ptr<generar_doc::RegistresDades> rs = font ? font->registres(LstTablas[index]) : nullptr;
                buida = !rs || rs->recordCount() == 0;
            }
        } catch (const std::exception& e) {
            avis.text = QString::fromLocal8Bit(e.what());
            return false;
        }
        if (buida) {
            avis.text = excel ? TextPrograma("FrmTolvWiz.FullBuit", QStringLiteral("The worksheet \"%1\" holds no rows.")).arg(LstHojas[index])
                              : TextPrograma("FrmTolvWiz.TaulaBuida", QStringLiteral("The table or query \"%1\" holds no records.")).arg(LstTablas[index]);
            return false;
        }
    }
    const std::int16_t opcio = OpcionDatos();
    const int abans = estat_.ValorPanel.toInt();
    if (opcio == abans && estat_.PanelesLlenos[np().PanelOrigenDatos] != 0)
        return true;
    estat_.marca(np().PanelFinal, 0);
    ModReg::DesarSeleccio(QStringLiteral("Opcion"), Numero(opcio));
    return true;
}

std::int16_t PasOrigen::OpcionDatos() const
{
    std::int16_t r = -1;
    for (int i = 0; i < 4; ++i)
        if (opcOrigDatos[i])
            r = std::int16_t(i);
    return r;
}

bool PasOrigen::opcioOferta(int index) const
{
    if (!estat_.esWord())
        return false;
    return index == 1 || (index == 0 && opcOrigDatos0Visible);
}

void PasOrigen::opcOrigDatos_Click(int index)
{
    if (index < 0 || index > 1)
        return;   // the list sources are offered on no host
    for (int i = 0; i < 4; ++i)
        opcOrigDatos[i] = i == index;
    estat_.marca(np().PanelDiseno, 0);
    estat_.setFocusTarget(QStringLiteral("CmdSiguiente"));
}

bool PasOrigen::EtiquetasDiferentes() const { return estat_.esWord() && opcOrigDatos[0]; }

void PasOrigen::LstHojas_Click(int index)
{
    const int abans = LstHojasIndex;
    LstHojasIndex = index >= 0 && index < LstHojas.size() ? index : -1;
    if (LstHojasIndex != abans)
        estat_.pasFinal().oblidaFiles();
    estat_.marca(np().PanelDiseno, 0);
}

void PasOrigen::LstTablas_Click(int index)
{
    LstTablasIndex = index >= 0 && index < LstTablas.size() ? index : -1;
    estat_.marca(np().PanelDiseno, 0);
}

} // namespace kovel::wizard
