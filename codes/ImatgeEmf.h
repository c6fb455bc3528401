#pragma once
// Code pictures as EMF vector pictures: the word processor draws the bars and the text at
// the printer's own resolution, and lays a label out without handling a bitmap.
#include <QByteArray>
#include <QList>
#include <QPainterPath>
#include <QPolygonF>
#include <QRgb>
#include <QSize>
#include <QSizeF>

#include <optional>
#include <utility>
#include <vector>

namespace kovel::codes {

// Filled shapes, one colour each and in drawing order (non-zero winding: the holes of the
// letters are kept), over a background when `fons` is given. Coordinates are in pixels of
// a picture of `pixels`; the picture is `mil·limetres` wide and high. An empty array when
// the shapes cannot be held (a picture too large for 16-bit coordinates).
QByteArray Emf(QSize pixels, QSizeF millimetres, std::optional<QRgb> fons,
               const std::vector<std::pair<QRgb, QList<QPolygonF>>>& capes);
// The same from outlines.
QByteArray Emf(QSize pixels, QSizeF millimetres, std::optional<QRgb> fons,
               const std::vector<std::pair<QRgb, QPainterPath>>& capes);

} // namespace kovel::codes
