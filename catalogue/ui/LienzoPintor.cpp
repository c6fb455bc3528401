#include "catalogue/ui/LienzoPintor.h"

#include <QFileInfo>
#include <QImageReader>
#include <algorithm>
#include <cmath>

namespace kovel::catalogue {

QColor AColor(ColorBasic c)
{
    return QColor(c.rojo(), c.verde(), c.azul());
}

LienzoPintor::~LienzoPintor() = default;

QPainter& LienzoPintor::pintor()
{
    if (!pintor_) {
        if (imagen_.isNull())
            Limpia(QSize(1, 1));
        pintor_ = std::make_unique<QPainter>(&imagen_);
        pintor_->setRenderHint(QPainter::Antialiasing, suavizado_);
        plumaPuesta_ = rellenoPuesto_ = false;
    }
    return *pintor_;
}

void LienzoPintor::Limpia(QSize pixeles)
{
    pintor_.reset();
    imagen_ = QImage(pixeles.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    imagen_.fill(AColor(fondo_));
}

QImage LienzoPintor::Resultado()
{
    pintor_.reset();
    return imagen_;
}

void LienzoPintor::pluma(const ColorBasic* color)
{
    ponPluma(color ? *color : dibujo_);
    ponRelleno(relleno_);
}

// The painter's state changes only when a colour does: most figures in a row share them.
void LienzoPintor::ponPluma(ColorBasic c)
{
    QPainter& p = pintor();
    if (!plumaPuesta_ || c != plumaActual_) {
        p.setPen(QPen(AColor(c), 0));
        plumaActual_ = c;
        plumaPuesta_ = true;
    }
}

void LienzoPintor::ponRelleno(ColorBasic c)
{
    QPainter& p = pintor();
    if (!rellenoPuesto_ || c != rellenoActual_) {
        p.setBrush(AColor(c));
        rellenoActual_ = c;
        rellenoPuesto_ = true;
    }
}

void LienzoPintor::Linea(double x1, double y1, double x2, double y2, const ColorBasic* color)
{
    pluma(color);
    pintor().drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void LienzoPintor::Caja(double x1, double y1, double x2, double y2, const ColorBasic* color)
{
    pluma(color);
    pintor().drawRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized());
}

void LienzoPintor::CajaLlena(double x1, double y1, double x2, double y2, ColorBasic color)
{
    ponPluma(color);
    ponRelleno(color);
    pintor().drawRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized());
}

void LienzoPintor::Circulo(double cx, double cy, double radio, const ColorBasic* color)
{
    if (!(radio > 0))
        return;
    pluma(color);
    elipse(cx, cy, radio, radio);
}

// A closed figure of short chords, outlined and filled in one pass.
void LienzoPintor::elipse(double cx, double cy, double rx, double ry)
{
    const int tramos = std::clamp(int(std::ceil(2 * M_PI * std::max(rx, ry) / 1.5)), 8, 512);
    QPointF puntos[512];
    for (int k = 0; k < tramos; ++k) {
        const double a = 2 * M_PI * k / tramos;
        puntos[k] = QPointF(cx + rx * std::cos(a), cy - ry * std::sin(a));
    }
    pintor().drawPolygon(puntos, tramos);
}

void LienzoPintor::Arco(double cx, double cy, double radio, double inicio, double fin, const ColorBasic* color)
{
    if (!(radio > 0))
        return;
    double barrido = fin - inicio;
    if (barrido < 0)
        barrido += 2 * M_PI;
    pluma(color);
    // A polyline of short chords: as smooth as the pixels allow, and far cheaper than the
    // painter's own arcs for the many small corners of a sheet.
    const int tramos = std::clamp(int(std::ceil(radio * barrido / 1.5)), 2, 256);
    QPointF puntos[257];
    for (int k = 0; k <= tramos; ++k) {
        const double a = inicio + barrido * k / tramos;
        puntos[k] = QPointF(cx + radio * std::cos(a), cy - radio * std::sin(a));
    }
    pintor().drawPolyline(puntos, tramos + 1);
}

void LienzoPintor::Elipse(double cx, double cy, double radio, double aspecto, const ColorBasic* color)
{
    if (!(radio > 0) || !(aspecto > 0) || !std::isfinite(aspecto))
        return;
    const double rx = aspecto < 1 ? radio : radio / aspecto;
    const double ry = aspecto < 1 ? radio * aspecto : radio;
    pluma(color);
    elipse(cx, cy, rx, ry);
}

void LienzoPintor::Punto(double x, double y, ColorBasic color)
{
    ponPluma(color);
    pintor().drawPoint(QPointF(x, y));
}

bool LienzoPintor::Imagen(const QString& fichero)
{
    QImage leida = LeeImagenHoja(fichero);
    if (leida.isNull())
        return false;
    pintor_.reset();
    imagen_ = leida.convertToFormat(QImage::Format_RGB32);
    return true;
}

QImage LeeImagenHoja(const QString& fichero, QString* error)
{
    auto falla = [&](const QString& motivo) {
        if (error)
            *error = fichero + QLatin1String(": ") + motivo;
        return QImage();
    };
    if (!QFileInfo(fichero).isFile())
        return falla(QStringLiteral("not found"));
    QImageReader lector(fichero);
    lector.setDecideFormatFromContent(true);
    const QSize tamano = lector.size();
    if (!tamano.isValid() || tamano.isEmpty())
        return falla(QStringLiteral("not a picture"));
    if (tamano.width() > LadoMaximoImagen || tamano.height() > LadoMaximoImagen)
        return falla(QStringLiteral("picture too large"));
    QImage imagen = lector.read();
    if (imagen.isNull())
        return falla(lector.errorString());
    return imagen;
}

} // namespace kovel::catalogue
