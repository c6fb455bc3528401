#pragma once
// The size a record's code is drawn at when its own does not fit the room its label gives
// it: smaller, in whole printer dots a module, while its modules stay printable.
#include "codes/CodiBarres.h"
#include "codes/EspaiLinia.h"

#include <QSizeF>

#include <cstdint>
#include <optional>

namespace kovel::codes {

// The printer resolution a smaller code's modules are made whole for: 600 dpi, whose dots
// are whole at 1200 dpi too.
inline constexpr double PuntsPerPolzada = 600;
// The narrowest module printed QR codes scan with.
inline constexpr double ModulMinimQRMm = 0.25;
// The widest module a user may size a code to, in millimetres: a code of it is already larger
// than any label, and no picture of one is drawn past it.
inline constexpr double ModulMaximMm = 10;
// The narrowest module (X) of a bar type, in millimetres.
double ModulMinimBarresMm(std::int16_t tipusBarres);

struct MidaCodi {
    float ample = 0, alt = 0;   // pixels at 96 dpi, as ImatgeCodi's
    bool reduida = false;       // drawn smaller than its own size
    bool llegible = true;       // false: it does not fit, even at the narrowest module
};

// How a record's code sits on its label.
enum class Encaix {
    Costat,       // on its line as designed
    TextMogut,    // whole, alone on its line: the text beside it went to the next line
    LiniesFora,   // whole, alone on its line, and the lines under it fall past the label's foot
    Tallat,       // cut at the label's edge even at its smallest printable size
};
struct Colocacio {
    MidaCodi mida;
    Encaix encaix = Encaix::Costat;
};

// Where and how large a record's code `imatge` is drawn in `espai`: the first of its line as
// designed, its line alone, the label under the lines above it, that takes it at a printable
// module (Encaixa); none taking it, at its smallest printable size, cut.
Colocacio Coloca(const ImatgeCodi& imatge, const std::optional<EspaiLinia>& espai, double modulMinimMm);

// The size `imatge` (shown at its own size, modules of imatge.modulMm) is drawn at in
// `espai` (points; none: no limit): its own when it fits; else the largest that fits whose
// module is whole dots of PuntsPerPolzada, or the exact fit when whole dots would fall
// under `modulMinimMm`; its own, not readable, when even that falls under it.
MidaCodi Encaixa(const ImatgeCodi& imatge, const std::optional<QSizeF>& espai, double modulMinimMm);

// `imatge` shown at `modulMm` a module instead of its own size (0 or less: as it is).
ImatgeCodi AlModul(const ImatgeCodi& imatge, double modulMm);

// The sizes the user can give a code of own picture `imatge` in a room `espai` (points;
// none: no limit), pixels at 96 dpi: from its printable minimum (`modulMinimMm` a module) to
// the largest that fits. `cap` when even the minimum does not fit.
struct LimitsMida {
    QSizeF minima;
    std::optional<QSizeF> maxima;
    bool cap = false;
};
LimitsMida Limits(const ImatgeCodi& imatge, const std::optional<QSizeF>& espai, double modulMinimMm);

// The module (millimetres) for `imatge` shown `escala` times its own size, kept within
// `limits`: the nearest whole printer dots, or the limit itself when the choice reaches it.
double ModulTriat(const ImatgeCodi& imatge, double escala, const LimitsMida& limits);

} // namespace kovel::codes
