#pragma once
// The program's own vector pictures (a code's outlines, or the EMF records the program writes
// for codes) drawn into pixels, so the design shows a code as it prints. Pictures from a
// file are untrusted: every record is checked against the picture's length and the counts
// are bounded.
#include "platform/word/Document.h"

#include <QImage>
#include <QSize>

namespace kovel::docframe {

// What one picture may ask to draw; its records are counted against it before anything is
// drawn, and letters are never taller than the picture.
struct PressupostImatge {
    static constexpr qint64 lletres = 5000;
    static constexpr qint64 punts = 250000;
    static constexpr qint64 pixelsMapes = 16 << 20;
    // Filling the polygons: each edge's height in pixels times the width of its polygon, or
    // for an upright edge a quarter of the upright edges of its polygon when fewer (about a
    // second of drawing at the most).
    static constexpr qint64 vores = 250000000;
};

// The picture drawn to fill `pixels` over transparency; a null image when it has neither an
// outline nor EMF content, `pixels` is empty or larger than 8192 a side, or it asks for more
// than its budget (then `superat` is set).
QImage DibuixaVectorial(const word::InlinePicture& picture, QSize pixels, bool* superat = nullptr);

// Only the EMF bytes (the records the program writes: filled polygons, brushes, two-colour
// bitmaps, text with its advances).
QImage DibuixaEmf(const QByteArray& emf, QSize pixels, bool* superat = nullptr);

} // namespace kovel::docframe
