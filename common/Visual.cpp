#include "common/Visual.h"

#include <cmath>

float EscalaX = 1.0f;
float EscalaY = 1.0f;

namespace Visual {

namespace {
std::optional<TwipsPerPixel> g_fixat;
}

TwipsPerPixel TwipsDeDpi(double dpiX, double dpiY)
{
    const auto tpp = [](double dpi) { return 1440.0 / (dpi > 0 ? dpi : 96.0); };
    return {tpp(dpiX), tpp(dpiY)};
}

void setTwipsPerPixel(std::optional<TwipsPerPixel> tpp) { g_fixat = tpp; }
std::optional<TwipsPerPixel> TwipsPerPixelFixat() { return g_fixat; }

void CalculaEscala(const TwipsPerPixel& pantalla)
{
    EscalaX = float(pantalla.x / TwipsPixelDisseny);
    EscalaY = float(pantalla.y / TwipsPixelDisseny);
}

RectTwips EscalaFinestra(const RectTwips& f)
{
    return {f.left, f.top, f.width * EscalaX, f.height * EscalaY};
}

RectTwips EscalaControl(const RectTwips& c, bool esImatge)
{
    RectTwips r{c.left * EscalaX, c.top * EscalaY, c.width, c.height};
    if (!esImatge) {
        // The runtime's rounding to the nearest whole number: half to even.
        r.width = std::nearbyint(c.width * EscalaX);
        r.height = std::nearbyint(c.height * EscalaY);
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
