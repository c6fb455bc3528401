#include "wizard/panels/Pas.h"

#include "catalogue/Cataleg.h"
#include "catalogue/Catalogo.h"
#include "catalogue/ListaEtiquetas.h"
#include "common/BasicRules.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "wizard/EstatAssistent.h"

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

bool Pas::DinsCatalogo(const Cataleg& cat, int idx)
{
    return idx >= 0 && idx < cat.NumEtiquetas && idx < cat.Etiquetas.size();
}

bool Pas::unaEtiquetaPerFull() const
{
    const Cataleg& cat = estat_.cataleg();
    const int idx = ModTolvWiz::FormatSeleccionat(cat);
    return DinsCatalogo(cat, idx) && cat.Etiquetas[idx].Filas == 1 && cat.Etiquetas[idx].Columnas == 1;
}

const kovel::NumerosPanel& Pas::np() const { return estat_.numerosPanel(); }

} // namespace kovel::wizard
