#pragma once
// A grey picture as PNG, written straight: a generation draws a code for every record, and
// the general image writer's set-up costs more than the picture itself.
#include <QByteArray>
#include <QImage>

namespace CodiImatge {

// The rows of grey levels (w bytes each, h of them) as PNG; empty when it cannot be made.
QByteArray PngGris(const QByteArray& files, int w, int h);

// The picture the document keeps for a drawn code: grey levels written fast when the code
// has no other colours and no transparency, else the picture as it is.
QByteArray PngCodi(const QImage& imatge, bool transparent);

} // namespace CodiImatge
