#pragma once
// Code pictures as EMF vector pictures: the word processor draws the bars and the text at
// the printer's own resolution, and lays a label out without handling a bitmap.
#include "platform/word/Document.h"

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPolygonF>
#include <QRgb>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace kovel::codes {

// Filled shapes, one colour each and in drawing order (non-zero winding: the holes of the
// letters are kept), over a background when `fons` is given. Coordinates are in pixels of
// a picture of `pixels`; the picture is `mil·limetres` wide and high. An empty array when
// the shapes cannot be held (a picture too large for 16-bit coordinates).
// Text drawn over the shapes: pieces in one font and colour, each from its baseline point
// with every character's advance given (the characters land where they were measured,
// whichever font the word processor puts in its place).
struct TextsEmf {
    struct Peca {
        QPointF base;
        QString text;
        std::vector<qreal> avancos;
    };
    QFont font;   // its pixel size is in the picture's pixels
    QRgb color = 0;
    std::vector<Peca> peces;
};

QByteArray Emf(QSize pixels, QSizeF millimetres, std::optional<QRgb> fons,
               const std::vector<std::pair<QRgb, QList<QPolygonF>>>& capes, const TextsEmf* texts = nullptr);
// A grid of modules in two colours (a QR code with its quiet zone: one bit a module, row
// by row from the top) filling the whole picture, each module stretched to its square
// without smoothing. A few hundred bytes where the modules as shapes take kilobytes.
QByteArray EmfModuls(const QImage& moduls, QSizeF millimetres, QRgb clar, QRgb fosc);
// The same from outlines.
QByteArray Emf(QSize pixels, QSizeF millimetres, std::optional<QRgb> fons,
               const std::vector<std::pair<QRgb, QPainterPath>>& capes, const TextsEmf* texts = nullptr);

// The same from a code's glyph outline: its own shapes (its shared pieces are the text,
// given in `texts`).
QByteArray Emf(QSize pixels, QSizeF millimetres, std::optional<QRgb> fons, const kovel::word::GlyphOutline& glif,
               const TextsEmf* texts = nullptr);

} // namespace kovel::codes
