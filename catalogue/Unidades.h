#pragma once
// Units of the label sizes: rounding, centimetres to inches, the inch fractions and the size
// texts of the label-format panel.
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

struct Cataleg;

namespace ModTolvWiz {

// Rounds to `decimales` decimals, exact halves to even, computed in double; 0 on overflow.
float Redondea(float valor, std::uint8_t decimales);
// Centimetres to inches (factor 0.3937), rounded to two decimals.
double CmAPulgadas(double centimetros);
// The common fraction nearest to `fraccion` in [0, 1): "" below 1/16; "" with `acarreo` set
// from 15/16 on (the whole number is to be raised by one).
QString QuebradoPulgada(double fraccion, bool& acarreo);
// One-line inch text of the format list: height first, then width.
QString TextoPulgadas(double anchoPulgadas, double altoPulgadas);

// The six pieces of the size text under the preview ("lbl_inf_etiqueta" 0 to 5), in twips.
struct PiezaTexto {
    QString caption;
    int left = 0;
    int top = 0;
    int width = 0;
    bool visible = true;
    bool operator==(const PiezaTexto&) const = default;
};
struct TextoMedidas {
    std::array<PiezaTexto, 6> pieza;
    // Width in twips of a caption in the pieces' font (the labels size themselves to their
    // text). Empty: widths are left as they are.
    std::function<int(const QString&)> anchoDe;
};

// Writes the inch pieces of format `indice` (cat.Etiquetas index).
void Muestra_PulgadasEtiqueta(const Cataleg& cat, int indice, TextoMedidas& texto);
// Writes the size text of format `indice` in the unit cat.Unidades and centres it; nothing
// when the label list has no selection.
void Muestra_MedidasEtiqueta(const Cataleg& cat, int indice, TextoMedidas& texto);
// Lays the pieces side by side (inches) and centres the row on 2900 twips.
void Centra_MedidasEtiqueta(std::int16_t unidad, TextoMedidas& texto);

// The metric size text of a format, "70 x 37 mm".
QString TextoMilimetros(double anchoCm, double altoCm);

} // namespace ModTolvWiz
