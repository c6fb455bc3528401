#pragma once
// The catalogue of a generation test: the formats given and nothing else, none turned; and
// the base of a test's options, which reads the catalogue the test filled.
#include "catalogue/Cataleg.h"
#include "common/MsgBox.h"
#include "documents/OpcionsGeneracio.h"

namespace proves {

inline void CatalegDe(Cataleg& cat, const QList<EtiquetaCatalogo>& formats)
{
    cat.Etiquetas = formats;
    cat.EtiquetasExt = QList<EtiquetaExtendida>(formats.size());
    cat.EtiquetasMarca = QList<bool>(formats.size(), false);
    cat.NumEtiquetas = std::int16_t(formats.size());
}

// The catalogue of the benchmarks: one A4 sheet of 3 x 8 labels of 6.35 x 3.39 cm (804), and
// message boxes answered without a person.
inline void CatalegA4De24(Cataleg& cat)
{
    EtiquetaCatalogo e;
    e.Codigo = 804;
    e.Ancho = 6.35f; e.Alto = 3.39f;
    e.MargenIzquierdo = 0.721f; e.MargenSuperior = 1.29f;
    e.PasoHorizontal = 6.604f; e.PasoVertical = 3.39f;
    e.Filas = 8; e.Columnas = 3;
    CatalegDe(cat, {e});
    mod_rvtMsgBox::setAnswerer([](const QString&, std::int16_t, const QString&) { return std::int16_t(2); });
}

// Options over a catalogue that outlives them.
class OpcionsAmbCataleg : public generar_doc::OpcionsGeneracio {
public:
    explicit OpcionsAmbCataleg(const Cataleg& cat) : cat_(cat) {}
    const Cataleg& cataleg() const override { return cat_; }

private:
    const Cataleg& cat_;
};

} // namespace proves
