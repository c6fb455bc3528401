#pragma once
// The size boxes of a code dialog: "Size (mm)", its width and its height. A size is handed
// to the model when the user leaves its box or presses Enter (half-typed numbers are not
// sizes); the boxes then show the model's, the other side following.
#include "codes/MidaDialeg.h"

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QWidget;

namespace kovel::codes {

struct CaixesMida {
    // Made in `pare`, the row's top left at (x, y) twips, 3680 twips wide; the note under the
    // boxes takes `altNota` twips more.
    CaixesMida(QWidget* pare, int x, int y, int altNota = 480);
    QLabel* rotol;
    QLineEdit *ample, *alt;
    QLabel* abast;   // under the boxes: the sizes offered, or what the last size typed became

    // The size typed in the width (or height) box goes to `model`; `mostrar` then shows the
    // window's state.
    void Connectar(ModelAmbMida& model, const std::function<void()>& mostrar) const;
    // The sizes of `mides`, and under the boxes their limits (or `ajust`, what the last size
    // typed became), also as the boxes' tip; none, or none that fits: the boxes empty and
    // off. A box the user is typing in keeps what is typed.
    void Mostrar(const std::optional<MidaDialeg::Mides>& mides, const QString& ajust = {}) const;
    void Mostrar(const ModelAmbMida& model) const { Mostrar(model.MidesCodi(), model.AjustMida()); }
};

} // namespace kovel::codes
