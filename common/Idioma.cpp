#include "common/Idioma.h"

namespace ModTolvWiz {

namespace {

struct Identificador {
    QLocale::Language idioma;
    QLocale::Territory pais;   // AnyTerritory: the language's default
    std::int16_t id;
};

// The first entry of a language is its default.
constexpr Identificador kTaula[] = {
    {QLocale::Spanish, QLocale::Spain, 3082},
    {QLocale::Spanish, QLocale::Mexico, 2058},
    {QLocale::Spanish, QLocale::Argentina, 11274},
    {QLocale::Catalan, QLocale::AnyTerritory, 1027},
    {QLocale::English, QLocale::UnitedStates, 1033},
    {QLocale::English, QLocale::UnitedKingdom, 2057},
    {QLocale::English, QLocale::Australia, 3081},
    {QLocale::English, QLocale::Canada, 4105},
    {QLocale::English, QLocale::Ireland, 6153},
    {QLocale::French, QLocale::France, 1036},
    {QLocale::French, QLocale::Belgium, 2060},
    {QLocale::French, QLocale::Canada, 3084},
    {QLocale::French, QLocale::Switzerland, 4108},
    {QLocale::German, QLocale::Germany, 1031},
    {QLocale::German, QLocale::Switzerland, 2055},
    {QLocale::German, QLocale::Austria, 3079},
    {QLocale::Italian, QLocale::Italy, 1040},
    {QLocale::Portuguese, QLocale::Portugal, 2070},
    {QLocale::Portuguese, QLocale::Brazil, 1046},
    {QLocale::Dutch, QLocale::Netherlands, 1043},
    {QLocale::Dutch, QLocale::Belgium, 2067},
    {QLocale::Basque, QLocale::AnyTerritory, 1069},
    {QLocale::Galician, QLocale::AnyTerritory, 1110},
    {QLocale::Arabic, QLocale::SaudiArabia, 1025},
    {QLocale::Arabic, QLocale::Egypt, 3073},
    {QLocale::Polish, QLocale::AnyTerritory, 1045},
    {QLocale::Czech, QLocale::AnyTerritory, 1029},
    {QLocale::Danish, QLocale::AnyTerritory, 1030},
    {QLocale::Swedish, QLocale::Sweden, 1053},
    {QLocale::NorwegianBokmal, QLocale::AnyTerritory, 1044},
    {QLocale::Finnish, QLocale::AnyTerritory, 1035},
    {QLocale::Greek, QLocale::AnyTerritory, 1032},
    {QLocale::Hungarian, QLocale::AnyTerritory, 1038},
    {QLocale::Russian, QLocale::AnyTerritory, 1049},
    {QLocale::Turkish, QLocale::AnyTerritory, 1055},
    {QLocale::Hebrew, QLocale::AnyTerritory, 1037},
    {QLocale::Chinese, QLocale::China, 2052},
    {QLocale::Chinese, QLocale::Taiwan, 1028},
    {QLocale::Japanese, QLocale::AnyTerritory, 1041},
    {QLocale::Korean, QLocale::AnyTerritory, 1042},
};

} // namespace

std::int16_t IdiomaDeLocale(const QLocale& locale)
{
    const Identificador* perDefecte = nullptr;
    for (const Identificador& i : kTaula) {
        if (i.idioma != locale.language())
            continue;
        if (i.pais == locale.territory() || i.pais == QLocale::AnyTerritory)
            return i.id;
        if (!perDefecte)
            perDefecte = &i;
    }
    return perDefecte ? perDefecte->id : 1033;
}

std::int16_t IdiomaDelSistema() { return IdiomaDeLocale(QLocale::system()); }

} // namespace ModTolvWiz
