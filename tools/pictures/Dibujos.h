#pragma once
// The pictures of the program's "DATA" folder, drawn by code: each has its file name and the
// function that draws it. Fixed pictures (backgrounds, buttons, icons) go in DibujosFijos;
// the sheet pictures follow the catalogue.
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

// Pictures with a name of their own: name -> drawing function.
QList<Dibujo> DibujosFijos();

// The prepared picture of every catalogue format whose model number has one, at the sheet
// preview's scale, so that it stands in the small preview where the drawing would.
QList<Dibujo> DibujosHojas(const QList<catalogue::Formato>& formatos);

// A sheet picture of one format (also used by the tests).
QImage DibujaHoja(const catalogue::Formato& formato);

} // namespace kovel::pictures
