#include "tools/pictures/Dibujos.h"

#include "catalogue/VistaPrevia.h"
#include "catalogue/ui/LienzoPintor.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSet>
#include <algorithm>

namespace kovel::pictures {

using namespace kovel::catalogue;

namespace {

// The face colour of the labels by the suffix that names the material.
struct Material {
    QColor etiqueta;
    QColor hoja;
    bool brillo = false;
    bool transparente = false;
};

Material MaterialDe(const QString& sufijo)
{
    Material m{QColor(255, 255, 255), QColor(250, 250, 248)};
    const QString s = sufijo.trimmed().toUpper();
    if (s == QLatin1String("Y")) {
        m.etiqueta = QColor(255, 236, 130);
    } else if (s == QLatin1String("T")) {
        m.etiqueta = QColor(226, 238, 246);
        m.hoja = QColor(236, 242, 246);
        m.transparente = true;
    } else if (s == QLatin1String("G")) {
        m.brillo = true;
    } else if (s == QLatin1String("W")) {
        m.etiqueta = QColor(240, 244, 250);
    } else if (s == QLatin1String("R")) {
        m.etiqueta = QColor(255, 252, 244);
    }
    return m;
}

} // namespace

QImage DibujaHoja(const Formato& f)
{
    OpcionesVista o;
    o.indice = 0;
    const GeometriaHoja g = CalculaGeometria(f.etiqueta, f.extension, o);
    const Material m = MaterialDe(f.extension.Sufix);
    const Visual::TwipsPerPixel& s = o.escala;

    QImage imagen(g.pixeles, QImage::Format_RGB32);
    imagen.fill(QColor(231, 225, 222));
    {
        QPainter p(&imagen);
        p.setRenderHint(QPainter::Antialiasing);
        // The paper: its own size when the catalogue gives one, else the sheet of the drawing.
        const double anchoPapel = f.extension.AnchoPag > 0 ? P(s, f.extension.AnchoPag) : P(s, g.anchoCm);
        const double altoPapel = f.etiqueta.TipoPapel == PapelTermico ? P(s, g.altoCm)
                                 : f.extension.AltoPag > 0            ? P(s, f.extension.AltoPag)
                                                                      : P(s, g.altoCm);
        const QRectF papel(0, 0, std::min<double>(anchoPapel, g.pixeles.width() - 3),
                           std::min<double>(altoPapel, g.pixeles.height() - 3));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 40));
        p.drawRect(papel.translated(2, 2));
        QLinearGradient fondo(papel.topLeft(), papel.bottomRight());
        fondo.setColorAt(0, m.hoja);
        fondo.setColorAt(1, m.hoja.darker(104));
        p.setBrush(fondo);
        p.setPen(QPen(QColor(170, 168, 165), 0.8));
        p.drawRect(papel);
        if (f.etiqueta.TipoPapel == PapelTermico) {
            // The roll the strip comes from, along the top edge.
            QLinearGradient rollo(0, 0, 0, 10);
            rollo.setColorAt(0, QColor(200, 198, 194));
            rollo.setColorAt(0.5, QColor(252, 252, 250));
            rollo.setColorAt(1, QColor(190, 188, 184));
            p.setBrush(rollo);
            p.setPen(QPen(QColor(150, 148, 145), 0.8));
            p.drawRoundedRect(QRectF(-2, -1, papel.width() + 4, 10), 4, 4);
        }
    }

    LienzoPintor lienzo(imagen);
    lienzo.setSuavizado(true);
    lienzo.setColorDibujo(ColorBasic::Rgb(120, 118, 115));
    const ColorBasic cara = ColorBasic::Rgb(m.etiqueta.red(), m.etiqueta.green(), m.etiqueta.blue());
    for (const CajaEtiqueta& k : g.etiquetas)
        Dibuja_FormaEtiqueta(lienzo, g.forma, float(k.x1), float(k.y1), float(k.x2), float(k.y2), cara, false, ColorBlanco);
    QImage hecha = lienzo.Resultado();
    if (m.brillo || m.transparente) {
        QPainter p(&hecha);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient brillo(0, 0, hecha.width(), hecha.height());
        brillo.setColorAt(0, QColor(255, 255, 255, 0));
        brillo.setColorAt(0.45, QColor(255, 255, 255, m.brillo ? 90 : 50));
        brillo.setColorAt(0.55, QColor(255, 255, 255, 0));
        p.fillRect(hecha.rect(), brillo);
    }
    return hecha;
}

QList<Dibujo> DibujosHojas(const QList<Formato>& formatos)
{
    QList<Dibujo> dibujos;
    QSet<QString> hechos;
    for (Formato f : formatos) {
        // The model number as the program loads it (a 0 is read from the reference).
        if (f.etiqueta.Codigo == 0)
            f.etiqueta.Codigo = ModTolvWiz::CodigoDeReferencia(f.etiqueta.Referencia);
        const QString nombre = NombreImagenHoja(f.etiqueta, f.extension);
        if (nombre.isEmpty() || hechos.contains(nombre.toLower()))
            continue;
        hechos.insert(nombre.toLower());
        dibujos.append({nombre, [f] { return DibujaHoja(f); }});
    }
    return dibujos;
}

} // namespace kovel::pictures
