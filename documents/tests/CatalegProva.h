#pragma once
// The catalogue of a generation test: the formats given and nothing else, none turned.
#include "catalogue/Catalogo.h"
#include "common/MsgBox.h"

namespace proves {

inline void CatalegDe(const QList<EtiquetaCatalogo>& formats)
{
    Etiquetas = formats;
    EtiquetasExt = QList<EtiquetaExtendida>(formats.size());
    EtiquetasMarca = QList<bool>(formats.size(), false);
    NumEtiquetas = std::int16_t(formats.size());
}

// The catalogue of the benchmarks: one A4 sheet of 3 x 8 labels of 6.35 x 3.39 cm (804), and
// message boxes answered without a person.
inline void CatalegA4De24()
{
    EtiquetaCatalogo e;
    e.Codigo = 804;
    e.Ancho = 6.35f; e.Alto = 3.39f;
    e.MargenIzquierdo = 0.721f; e.MargenSuperior = 1.29f;
    e.PasoHorizontal = 6.604f; e.PasoVertical = 3.39f;
    e.Filas = 8; e.Columnas = 3;
    CatalegDe({e});
    mod_rvtMsgBox::setAnswerer([](const QString&, std::int16_t, const QString&) { return std::int16_t(2); });
}

} // namespace proves
