#include "wizard/panels/Pas.h"

#include "catalogue/Catalogo.h"
#include "catalogue/ListaEtiquetas.h"
#include "common/BasicRules.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"

#include <limits>

namespace kovel::wizard {

Avis Pas::AvisLiteral(int numero)
{
    return Avis{numero, ModTraduccion::Literal(numero)};
}

std::int32_t Pas::Enter(const QString& text)
{
    const double v = kovel::basic::RoundHalfEven(kovel::basic::Val(text));
    if (v >= double(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (v <= double(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return std::int32_t(v);
}

bool Pas::DinsCatalogo(int idx) { return idx >= 0 && idx < NumEtiquetas && idx < Etiquetas.size(); }

bool Pas::unaEtiquetaPerFull()
{
    const int idx = ModTolvWiz::FormatSeleccionat();
    return DinsCatalogo(idx) && Etiquetas[idx].Filas == 1 && Etiquetas[idx].Columnas == 1;
}

} // namespace kovel::wizard
