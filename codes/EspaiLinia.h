#pragma once
// The rooms a record's code has at its place on a label: the documents' layout finds them,
// the codes' sizing (MidaCodi.h) chooses among them.
#include <QSizeF>

namespace kovel::codes {

// The rooms (points) a record's code has at its place on the label, as the word processor
// lays the label out.
struct EspaiLinia {
    EspaiLinia() = default;
    // A place with no text beside it: one room.
    EspaiLinia(const QSizeF& r) : costat(r), sol(r), sencer(r) {}
    QSizeF costat;   // its line as designed, beside the text that shares it
    QSizeF sol;      // a line of its own, that text on the lines around it, every line still on the label
    QSizeF sencer;   // the code itself whole: what the label holds under the lines above it
    bool AmbText() const { return costat != sol; }
};

} // namespace kovel::codes
