#pragma once
// The place of a sheet preview on its panel: the frame around the picture box is fitted to
// the picture, limited to an available width with a scroll bar under it when the picture is
// wider, centred on a fixed x and, for the large preview, centred in the free band below the
// hosted document. Geometry in twips, as the window's controls report it.
#include "catalogue/VistaPrevia.h"

#include <QString>
#include <array>
#include <cstdint>

namespace kovel::catalogue {

struct RectTwips {
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const RectTwips&, const RectTwips&) = default;
};

struct BarraVista {
    RectTwips rect;
    bool visible = false;
    int valor = 0, maximo = 0, pasoPequeno = 0, pasoGrande = 0;
    friend bool operator==(const BarraVista&, const BarraVista&) = default;
};

// What the layout reads and moves.
struct EscenaVista {
    RectTwips marco;          // Frame_Hoja or PnlHoja
    BarraVista barra;         // Barra_Horitzontal_Hojas or Barra_Hoja_Final
    int anchoImagen = 0;      // the picture box, twips
    int altoImagen = 0;
    int documentoTop = 0;     // dsoFraWord's top (large preview)
    int panelAlto = 0;        // the label-design panel's height (large preview)
    friend bool operator==(const EscenaVista&, const EscenaVista&) = default;
};

// What tells one layout from the next.
struct ClaveVista {
    int indiceVista = 0;             // 0 small, 1 large
    int indiceCatalogo = -1;         // two formats may share a model number
    std::int32_t codigo = 0;
    std::int16_t girado = 0;
    std::uint8_t tipoPapel = 0;
    bool horizontal = false;         // opt_Horizontal
    int origenDatos = 0;             // highest opcOrigDatos index that is on (0 when none)
    bool origen0 = false;            // opcOrigDatos(0)
};

// The frame takes the picture's height and its width up to the widest allowed.
void AjustaMarco(EscenaVista& escena, int anchoMaximoMarco);

class ColocadorVista {
public:
    // Lays the preview out; false (nothing changed) when the same format, and for the large
    // preview the same orientation and data-source option, was laid out last time.
    bool Coloca_VistaPrevia(const ClaveVista& clave, const Visual::TwipsPerPixel& escala, const std::array<int, 7>& medidas,
                            EscenaVista& escena);
    void Olvida();

private:
    QString ultimoCodigoVistaPequena_;
    QString ultimaClaveVistaGrande_;
    QString ultimoOrigenVistaGrande_;
};

} // namespace kovel::catalogue
