#pragma once
// Screen scale and centring. Windows are designed in twips for a screen of 15 twips a pixel
// (96 dpi); the factors below carry a design onto the screen in use.
#include <optional>

namespace Visual {

inline constexpr double TwipsPixelDisseny = 15.0;

// The screen scale, the one type every window and drawing reads it in: twips per pixel of a
// screen, each way (15 at 96 dpi). Its factors carry a design made at 15 onto that screen.
struct TwipsPerPixel {
    double x = TwipsPixelDisseny;
    double y = TwipsPixelDisseny;
    double EscalaX() const { return x / TwipsPixelDisseny; }
    double EscalaY() const { return y / TwipsPixelDisseny; }
    friend bool operator==(const TwipsPerPixel&, const TwipsPerPixel&) = default;
};

// The design's own scale. AdaptarDPI keeps every control but a picture at its design pixels
// whatever the screen, so code that places or draws widgets in pixels after it (the product
// look, the sheet preview) counts at this scale.
inline constexpr TwipsPerPixel EscalaDisseny{};

// 1440 twips an inch: the twips per pixel of a screen of `dpiX` x `dpiY` dots per inch.
// A dpi of 0 or less counts as 96.
TwipsPerPixel TwipsDeDpi(double dpiX, double dpiY);

// The screen's twips per pixel is asked of the desktop unless a test has put its own here;
// nothing puts the desktop back.
void setTwipsPerPixel(std::optional<TwipsPerPixel> tpp);
std::optional<TwipsPerPixel> TwipsPerPixelFixat();

// The scale the windows were last adapted to (AdaptarDPI); the design's until then.
void CalculaEscala(const TwipsPerPixel& pantalla);
TwipsPerPixel EscalaActual();

// A place and size in twips.
struct RectTwips {
    double left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const RectTwips&, const RectTwips&) = default;
};

// A window's size after scaling by the factors of EscalaActual (its place stays).
RectTwips EscalaFinestra(const RectTwips& finestra);
// A control of a twip-measured container: left and top scaled; the size scaled and rounded
// to whole twips, except for an image control, which keeps its size.
RectTwips EscalaControl(const RectTwips& control, bool esImatge);

// Where CentrarFormulari puts a window (left, top; its size stays), all in twips: in the
// middle of the screen, or at the top when its bottom would reach the band of 30 pixels
// kept free for the taskbar.
RectTwips Centrat(const RectTwips& finestra, double ampladaPantalla, double alcadaPantalla, double twipsPixelY);

} // namespace Visual
