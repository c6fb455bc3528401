#include "wizard/panels/PasPaper.h"

#include "catalogue/Catalogo.h"
#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "platform/paths/Paths.h"
#include "wizard/EstatAssistent.h"

namespace kovel::wizard {

std::array<bool, 5> PasPaper::TiposPapelVisibles() const
{
    return ModTolvWiz::TiposPapelPresentes(estat_.cataleg());
}

int PasPaper::tipusPapel() const
{
    for (int i = 0; i < 5; ++i)
        if (optPapel[i])
            return i;
    return -1;
}

void PasPaper::Llenar()
{
    // The panel owns the paper type: once chosen (or turned by a search) it stays chosen
    // when the user comes back.
    const std::int32_t t = tipusPapel() >= 0         ? tipusPapel()
                           : estat_.DissenyRestaurat ? Enter(ModReg::LlegirSeleccio(QStringLiteral("TipoPag")))
                                                     : 100;
    for (int i = 0; i < 5; ++i)
        optPapel[i] = t == i;
    estat_.cataleg().Unidades = t == PapelLetter ? 2 : 1;
}

bool PasPaper::Validar(Avis& avis)
{
    if (tipusPapel() >= 0)
        return true;
    avis = {0, ModTraduccion::TextPrograma("FrmTolvWiz.SenseTipusPaper", QStringLiteral("Please choose the paper of your labels."))};
    return false;
}

QString PasPaper::imatgeOrientacio(bool horitzontal) const
{
    const bool a5 = tipusPapel() == PapelA5;
    const QString nom = QStringLiteral("DATA/%1_%2.dat").arg(a5 ? QStringLiteral("a5") : QStringLiteral("a4"),
                                                              horitzontal ? QStringLiteral("horitzontal") : QStringLiteral("vertical"));
    return kovel::paths::findCaseInsensitive(ModReg::RutaPrograma(), nom);
}

void PasPaper::optPapel_Click(int tipus)
{
    if (tipus < 0 || tipus > 4)
        return;
    for (int i = 0; i < 5; ++i)
        optPapel[i] = i == tipus;
    estat_.marca(np().PanelEtiqueta, 0);
    estat_.marca(np().PanelFormato, 0);
    estat_.cataleg().Unidades = tipus == PapelLetter ? 2 : 1;
    ModReg::DesarSeleccio(QStringLiteral("TipoPag"), Numero(tipus));
}

} // namespace kovel::wizard
