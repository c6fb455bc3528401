#pragma once
// The drawing surface of the sheet preview: a picture box's three colours and its few drawing
// operations, in the box's pixels (x to the right, y downwards). The preview's drawing code
// talks only to this, so the same code paints a window (ui/LienzoPintor) and is checked
// without one (LienzoGrabador).
#include <QString>
#include <QSize>
#include <cstdint>

namespace kovel::catalogue {

// A colour as the windows' Basic code wrote it: &HBBGGRR, or a system colour &H800000nn.
// Converted to red, green and blue here and nowhere else.
struct ColorBasic {
    std::uint32_t valor = 0;

    static constexpr ColorBasic Rgb(int r, int g, int b)
    {
        return {std::uint32_t(r & 0xFF) | std::uint32_t(g & 0xFF) << 8 | std::uint32_t(b & 0xFF) << 16};
    }
    constexpr bool esSistema() const { return (valor & 0x80000000u) != 0; }
    // The colour shown: system colours by the classic desktop scheme; any other value with the
    // high bit set (the complement of a plain colour, say) by its low 24 bits.
    constexpr std::uint32_t rgb() const
    {
        if (esSistema()) {
            switch (valor & 0x7FFFFFFFu) {
            case 5: return 0xFFFFFF;          // window background
            case 8: return 0x000000;          // window text
            case 15: return 0xF0F0F0;         // button face
            case 16: return 0xA0A0A0;         // button shadow
            default: break;
            }
        }
        const std::uint32_t bgr = valor & 0xFFFFFFu;
        return (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);   // 0xRRGGBB
    }
    constexpr int rojo() const { return int(rgb() >> 16 & 0xFF); }
    constexpr int verde() const { return int(rgb() >> 8 & 0xFF); }
    constexpr int azul() const { return int(rgb() & 0xFF); }
    constexpr ColorBasic complemento() const { return {~valor}; }

    friend constexpr bool operator==(ColorBasic, ColorBasic) = default;
};

inline constexpr ColorBasic ColorNegro{0x000000};
inline constexpr ColorBasic ColorBlanco{0xFFFFFF};
inline constexpr ColorBasic ColorCaraBoton{0x8000000F};   // system colour 15
inline constexpr ColorBasic ColorFondoVistaPequena = ColorBasic::Rgb(231, 225, 222);

// π and its multiples as the drawing code writes them.
inline constexpr double Pi = 3.14159265;
inline constexpr double TresPiMedios = 9.42477795 / 2;
inline constexpr double DosPi = 6.2831853;

class Lienzo {
public:
    virtual ~Lienzo() = default;

    // Clears the surface to the background colour and gives it a size in pixels.
    virtual void Limpia(QSize pixeles) = 0;
    virtual QSize Tamano() const = 0;

    ColorBasic ColorDibujo() const { return dibujo_; }
    ColorBasic ColorRelleno() const { return relleno_; }
    ColorBasic ColorFondo() const { return fondo_; }
    void setColorDibujo(ColorBasic c) { dibujo_ = c; }
    void setColorRelleno(ColorBasic c) { relleno_ = c; }
    void setColorFondo(ColorBasic c) { fondo_ = c; }

    // Line in the drawing colour, or in `color` when given.
    virtual void Linea(double x1, double y1, double x2, double y2, const ColorBasic* color = nullptr) = 0;
    // Box: edges in the drawing colour (or `color`), inside in the fill colour.
    virtual void Caja(double x1, double y1, double x2, double y2, const ColorBasic* color = nullptr) = 0;
    // Filled box: edges and inside in `color`.
    virtual void CajaLlena(double x1, double y1, double x2, double y2, ColorBasic color) = 0;
    // Circle: outline in the drawing colour (or `color`), inside in the fill colour.
    virtual void Circulo(double cx, double cy, double radio, const ColorBasic* color = nullptr) = 0;
    // Arc, counter-clockwise on the screen from `inicio` to `fin` (radians, 0 to the right,
    // π/2 upwards); never filled.
    virtual void Arco(double cx, double cy, double radio, double inicio, double fin, const ColorBasic* color = nullptr) = 0;
    // Ellipse of aspect height ÷ width: `radio` is the horizontal semi-axis when the aspect is
    // below 1, else the vertical one; filled like a circle.
    virtual void Elipse(double cx, double cy, double radio, double aspecto, const ColorBasic* color = nullptr) = 0;
    virtual void Punto(double x, double y, ColorBasic color) = 0;
    // Shows the picture file in place of a drawing, sizing the surface to it. False (surface
    // untouched) when the file is missing, unreadable, not a picture or of an absurd size.
    virtual bool Imagen(const QString& fichero) = 0;

protected:
    ColorBasic dibujo_ = ColorNegro;
    ColorBasic relleno_ = ColorBlanco;
    ColorBasic fondo_ = ColorBlanco;
};

// The largest picture the preview shows, in pixels a side; anything larger is refused.
inline constexpr int LadoMaximoImagen = 4096;

} // namespace kovel::catalogue
