#pragma once
// The sheet pictures of the program's "DATA" folder, drawn by code: a table of file names and
// the functions that draw them, made from the catalogue source. (The pictures of the product
// look, whose names are fixed, are drawn by tools/skins.)
#include "tools/catalogue/EscritorCatalogo.h"

#include <QImage>
#include <QList>
#include <QString>
#include <functional>

namespace kovel::pictures {

using FuncionDibujo = std::function<QImage()>;

struct Dibujo {
    QString nombre;          // the file name inside "DATA", e.g. "10101R.dat"
    FuncionDibujo dibuja;
};

// The prepared picture of every catalogue format whose model number has one, at the sheet
// preview's scale, so that it stands in the small preview where the drawing would.
QList<Dibujo> DibujosHojas(const QList<catalogue::Formato>& formatos);

// A sheet picture of one format (also used by the tests).
QImage DibujaHoja(const catalogue::Formato& formato);

} // namespace kovel::pictures
