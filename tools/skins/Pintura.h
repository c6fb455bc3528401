#pragma once
// The drawing of every picture of the product look: a table of names, sizes in pixels at
// 1x, and the code that draws each. One palette serves them all.
#include <QColor>
#include <QPainter>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

namespace kovel::skins {

namespace paleta {
inline const QColor Nit(11, 46, 79);        // deep navy of the backgrounds
inline const QColor Destacat(0, 118, 196);  // the highlight colour of the windows
inline const QColor Cel(63, 163, 232);
inline const QColor Pal(232, 242, 251);
inline const QColor Boira(244, 248, 252);
inline const QColor Vora(157, 180, 204);
inline const QColor Gris(120, 136, 152);
inline const QColor Ambre(242, 163, 58);
inline const QColor Vermell(214, 69, 69);
inline const QColor Blau(0, 118, 196);
inline const QColor Verd(47, 143, 157);
} // namespace paleta

struct Imatge {
    QString nom;                                  // file name under DATA/
    QSize mida;                                   // pixels at 1x
    std::function<void(QPainter&, QSizeF)> pinta; // draws on a surface of `mida` logical pixels
};

const std::vector<Imatge>& Imatges();

} // namespace kovel::skins
