#pragma once
// Code pictures encoded for the document in memory: a palette PNG of as few bits a pixel as
// the colours allow (1 bit for a code in two colours), written straight from the pixels.
#include <QByteArray>
#include <QImage>

#include <vector>

namespace kovel::codes {

// The picture as PNG. Up to 256 colours, each opaque or fully transparent: a palette
// picture of 1, 2, 4 or 8 bits a pixel, a row equal to the one above stored as such (the
// bars of a barcode cost nearly nothing). Any other picture: Qt's true-colour PNG. An
// empty array for a null picture.
QByteArray PngCompacte(const QImage& image);
// The same for a picture kept as its different rows: row y is row fila[y] of `linies`.
QByteArray PngCompacte(const QImage& linies, const std::vector<int>& fila);

} // namespace kovel::codes
