#include "common/Visual.h"

#include <cmath>

namespace Visual {

namespace {
std::optional<TwipsPerPixel> g_fixat;
TwipsPerPixel g_actual;
}

TwipsPerPixel TwipsDeDpi(double dpiX, double dpiY)
{
    const auto tpp = [](double dpi) { return 1440.0 / (dpi > 0 ? dpi : 96.0); };
    return {tpp(dpiX), tpp(dpiY)};
}

void setTwipsPerPixel(std::optional<TwipsPerPixel> tpp) { g_fixat = tpp; }
std::optional<TwipsPerPixel> TwipsPerPixelFixat() { return g_fixat; }

void CalculaEscala(const TwipsPerPixel& pantalla) { g_actual = pantalla; }
TwipsPerPixel EscalaActual() { return g_actual; }

namespace {
// The factors as the runtime kept them, in single precision: a control's size rounds as it did.
float FactorX() { return float(g_actual.EscalaX()); }
float FactorY() { return float(g_actual.EscalaY()); }
} // namespace

RectTwips EscalaFinestra(const RectTwips& f)
{
    return {f.left, f.top, f.width * FactorX(), f.height * FactorY()};
}

RectTwips EscalaControl(const RectTwips& c, bool esImatge)
{
    RectTwips r{c.left * FactorX(), c.top * FactorY(), c.width, c.height};
    if (!esImatge) {
        // The runtime's rounding to the nearest whole number: half to even.
        r.width = std::nearbyint(c.width * FactorX());
        r.height = std::nearbyint(c.height * FactorY());
    }
    return r;
}

RectTwips Centrat(const RectTwips& f, double ampladaPantalla, double alcadaPantalla, double twipsPixelY)
{
    RectTwips r = f;
    r.left = (ampladaPantalla - f.width) / 2;
    r.top = (alcadaPantalla - f.height) / 2;
    if (r.top + f.height + 30 * twipsPixelY > alcadaPantalla)
        r.top = 0;
    return r;
}

} // namespace Visual
