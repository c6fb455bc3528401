#include "catalogue/CodisDisseny.h"

#include "catalogue/Cataleg.h"
#include "catalogue/Catalogo.h"

namespace directoris {

namespace {

// The paper codes in the order their options are tested.
constexpr std::pair<int, char> CodisPaper[] = {
    {PapelA4, '4'}, {PapelA5, '5'}, {PapelLetter, 'L'}, {PapelTermico, 'T'}, {PapelContinuo, 'C'}};

} // namespace

std::uint8_t CodiTipusPaper(const std::array<bool, 5>& optPapel)
{
    for (const auto& [papel, codi] : CodisPaper)
        if (optPapel[std::size_t(papel)])
            return std::uint8_t(codi);
    return 0;
}

int TipusPaperDeCodi(std::uint8_t codi)
{
    for (const auto& [papel, c] : CodisPaper)
        if (codi == std::uint8_t(c))
            return papel;
    return -1;
}

std::uint8_t CodiOrientacio(bool optHorizontal, bool optVertical)
{
    if (optHorizontal)
        return 'H';
    return optVertical ? 'V' : 0;
}

std::optional<bool> HoritzontalDeCodi(std::uint8_t codi)
{
    if (codi == CodiOrientacio(true, false))
        return true;
    if (codi == CodiOrientacio(false, true))
        return false;
    return std::nullopt;
}

bool OpcioOrdre(kovel::HostOffice host, bool opcOrigDatos0, bool opcEtiqpag0)
{
    return host == kovel::HostOffice::Word ? opcOrigDatos0 : opcEtiqpag0;
}

std::uint8_t CodiOrdre(bool opcioOrdre) { return opcioOrdre ? 'D' : 'I'; }

std::optional<bool> OpcioOrdreDeCodi(std::uint8_t codi)
{
    if (codi == CodiOrdre(true))
        return true;
    if (codi == CodiOrdre(false))
        return false;
    return std::nullopt;
}

std::int32_t NumeroEtiqueta(const Cataleg& cat, std::int16_t indice)
{
    if (indice < 0 || indice >= cat.NumEtiquetas || indice >= cat.Etiquetas.size())
        return 0;
    return cat.Etiquetas[indice].Codigo;
}

} // namespace directoris
