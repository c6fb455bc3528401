#pragma once
// The size boxes of the code dialogs without their window: the size a code goes into the
// design at, its printable minimum and the room its label leaves it, and the module the
// user's typed width or height gives. One rule for both kinds of code.
#include "codes/MidaCodi.h"

#include <QSizeF>
#include <QString>

#include <optional>

namespace kovel::codes {

class MidaDialeg {
public:
    // Millimetres: the size the code goes in at now (its own or the user's, fitted to the
    // room as every record's code is), its printable minimum, and the largest the room takes
    // (none without a known room).
    struct Mides {
        QSizeF actual, minima;
        std::optional<QSizeF> maxima;
        bool cap = false;   // even the minimum does not fit
    };

    // The room (points) of a code at the design's selection, asked of the wizard once.
    const std::optional<QSizeF>& Espai() const;

    // For a code of own picture `propia` shown at `modulMm` a module (0: its own size) whose
    // modules print down to `modulMinimMm`.
    Mides De(const ImatgeCodi& propia, double modulMm, double modulMinimMm) const;
    // The module for the width (`ample`) or height typed as `mm` (point or comma): whole
    // printer dots, kept within the minimum and the room. None when it is not a size.
    std::optional<double> ModulPer(const ImatgeCodi& propia, const QString& mm, bool ample, double modulMinimMm) const;

private:
    mutable std::optional<std::optional<QSizeF>> espai_;
};

} // namespace kovel::codes
