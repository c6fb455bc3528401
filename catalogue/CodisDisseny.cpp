#include "catalogue/CodisDisseny.h"

#include "catalogue/Cataleg.h"
#include "common/BasicRules.h"
#include "common/HostProfile.h"

namespace directoris {

std::uint8_t CodiTipusPaper(const std::array<bool, 5>& optPapel)
{
    const std::pair<int, char> ordre[] = {
        {PapelA4, '4'}, {PapelA5, '5'}, {PapelLetter, 'L'}, {PapelTermico, 'T'}, {PapelContinuo, 'C'}};
    for (const auto& [papel, codi] : ordre)
        if (optPapel[std::size_t(papel)])
            return std::uint8_t(codi);
    return 0;
}

std::uint8_t CodiOrientacio(bool optHorizontal, bool optVertical)
{
    if (optHorizontal)
        return 'H';
    return optVertical ? 'V' : 0;
}

std::int16_t CodiOrdre(bool opcioOrdre) { return opcioOrdre ? 'D' : 'I'; }

std::int16_t CodiOrdre(bool opcOrigDatos0, bool opcEtiqpag0)
{
    return CodiOrdre(kovel::Host() == kovel::HostOffice::Word ? opcOrigDatos0 : opcEtiqpag0);
}

std::int32_t NumeroEtiqueta(const Cataleg& cat, std::int16_t indice)
{
    if (indice < 0 || indice >= cat.NumEtiquetas || indice >= cat.Etiquetas.size())
        return 0;
    try {
        return kovel::basic::CLng(kovel::basic::Val(QStringView(cat.Etiquetas[indice].Referencia).mid(5)));
    } catch (const kovel::basic::OverflowError&) {
        return 0;
    }
}

std::int32_t NumeroEtiqueta(const Cataleg& cat) { return NumeroEtiqueta(cat, ModTolvWiz::FormatSeleccionat(cat)); }

} // namespace directoris
