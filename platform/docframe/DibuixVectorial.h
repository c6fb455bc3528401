#pragma once
// The program's own vector pictures (a code's outlines, or the EMF records the program writes
// for codes) drawn into pixels, so the design shows a code as it prints. Pictures from a
// file are untrusted: every record is checked against the picture's length and the counts
// are bounded.
#include "platform/word/Document.h"

#include <QImage>
#include <QSize>

namespace kovel::docframe {

// The picture drawn to fill `pixels` over transparency; a null image when it has neither an
// outline nor EMF content, or `pixels` is empty or larger than 8192 a side.
QImage DibuixaVectorial(const word::InlinePicture& picture, QSize pixels);

// Only the EMF bytes (the records the program writes: filled polygons, brushes, two-colour
// bitmaps, text with its advances).
QImage DibuixaEmf(const QByteArray& emf, QSize pixels);

} // namespace kovel::docframe
