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
        std::optional<QSizeF> espai;   // the room the label leaves the code at its place
        bool cap = false;              // even the minimum does not fit: no size is offered
    };
    // What the boxes say beside them: the sizes offered, and that width and height change
    // together; or, when none fits, NoHiCap.
    static QString Abast(const Mides& mides);

    // The room (points) of a code at the design's selection, asked of the wizard once.
    const std::optional<QSizeF>& Espai() const;

    // For a code of own picture `propia` shown at `modulMm` a module (0: its own size) whose
    // modules print down to `modulMinimMm`.
    Mides De(const ImatgeCodi& propia, double modulMm, double modulMinimMm) const;
    // The module for the width (`ample`) or height typed as `mm` (point or comma): whole
    // printer dots, kept within the minimum and the room. None when it is not a size.
    // Ajust() then says whether the size was kept within them and what it became.
    std::optional<double> ModulPer(const ImatgeCodi& propia, const QString& mm, bool ample, double modulMinimMm);
    // "" when the last size typed was taken as typed (to the nearest whole dots).
    const QString& Ajust() const { return ajust_; }

private:
    mutable std::optional<std::optional<QSizeF>> espai_;
    QString ajust_;
};

// What both code dialogs' models do with their size boxes, over their own code.
class ModelAmbMida {
public:
    using Mides = MidaDialeg::Mides;
    // The code's size on the label, millimetres, as the size boxes show it: the size it goes
    // in at now (its own or the user's, fitted to the room as every record's code is), its
    // printable minimum, and the largest the room takes (none without a known room). None
    // while no picture can be drawn.
    std::optional<Mides> MidesCodi() const;
    // The user's width or height (millimetres, as typed): the code's printed module, kept
    // within its minimum and the room; the other side follows (a QR code is square). Not a
    // number: no change.
    void CanviarAmple(const QString& mm) { CanviarMida(mm, true); }
    void CanviarAlt(const QString& mm) { CanviarMida(mm, false); }
    // What the last size typed became when it was kept within the limits ("" when taken).
    const QString& AjustMida() const { return mida_.Ajust(); }

protected:
    ~ModelAmbMida() = default;
    // The code's picture at its own size as the design would show it; false while none can
    // be drawn.
    virtual bool ImatgePropia(ImatgeCodi& imatge) const = 0;
    // The module the user chose (0: its own), and the narrowest its type prints with.
    virtual double ModulMm() const = 0;
    virtual void PosarModulMm(double modulMm) = 0;
    virtual double ModulMinimMm() const = 0;

    MidaDialeg mida_;

private:
    void CanviarMida(const QString& mm, bool ample);
};

// The words for a code that does not fit even at its smallest printable size, `minima`, in
// the room `espai` (millimetres) the label leaves it: the size boxes and the refusal alike.
QString NoHiCap(const QSizeF& minima, const QSizeF& espai);

} // namespace kovel::codes
