#pragma once
// Screen scale and centring. Windows are designed in twips for a screen of 15 twips a pixel
// (96 dpi); the factors below carry a design onto the screen in use.
#include <optional>

// The screen's twips per pixel ÷ 15, horizontally and vertically (1.0 at 96 dpi). Set by
// Visual::AdaptarDPI; the sheet preview and the product look read and set them too.
extern float EscalaX;
extern float EscalaY;

namespace Visual {

inline constexpr double TwipsPixelDisseny = 15.0;

// Twips per pixel of a screen, each way.
struct TwipsPerPixel {
    double x = TwipsPixelDisseny;
    double y = TwipsPixelDisseny;
};

// 1440 twips an inch: the twips per pixel of a screen of `dpiX` x `dpiY` dots per inch.
// A dpi of 0 or less counts as 96.
TwipsPerPixel TwipsDeDpi(double dpiX, double dpiY);

// The screen's twips per pixel is asked of the desktop unless a test has put its own here;
// nothing puts the desktop back.
void setTwipsPerPixel(std::optional<TwipsPerPixel> tpp);
std::optional<TwipsPerPixel> TwipsPerPixelFixat();

// EscalaX and EscalaY from a screen's twips per pixel.
void CalculaEscala(const TwipsPerPixel& pantalla);

// A place and size in twips.
struct RectTwips {
    double left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const RectTwips&, const RectTwips&) = default;
};

// A window's size after scaling: width × EscalaX, height × EscalaY (its place stays).
RectTwips EscalaFinestra(const RectTwips& finestra);
// A control of a twip-measured container: left and top scaled; the size scaled and rounded
// to whole twips, except for an image control, which keeps its size.
RectTwips EscalaControl(const RectTwips& control, bool esImatge);

// Where CentrarFormulari puts a window (left, top; its size stays), all in twips: in the
// middle of the screen, or at the top when its bottom would reach the band of 30 pixels
// kept free for the taskbar.
RectTwips Centrat(const RectTwips& finestra, double ampladaPantalla, double alcadaPantalla, double twipsPixelY);

} // namespace Visual
