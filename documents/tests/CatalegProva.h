#pragma once
// The catalogue of a generation test: the formats given and nothing else, none turned.
#include "catalogue/Catalogo.h"

namespace proves {

inline void CatalegDe(const QList<EtiquetaCatalogo>& formats)
{
    Etiquetas = formats;
    EtiquetasExt = QList<EtiquetaExtendida>(formats.size());
    EtiquetasMarca = QList<bool>(formats.size(), false);
    NumEtiquetas = std::int16_t(formats.size());
}

} // namespace proves
