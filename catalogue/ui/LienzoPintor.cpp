#include "catalogue/ui/LienzoPintor.h"

#include <QFileInfo>
#include <QImageReader>
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
    QPainter& p = pintor();
    p.setPen(QPen(AColor(color ? *color : dibujo_), 0));
    p.setBrush(AColor(relleno_));
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
    QPainter& p = pintor();
    p.setPen(QPen(AColor(color), 0));
    p.setBrush(AColor(color));
    p.drawRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized());
}

void LienzoPintor::Circulo(double cx, double cy, double radio, const ColorBasic* color)
{
    if (!(radio > 0))
        return;
    pluma(color);
    pintor().drawEllipse(QPointF(cx, cy), radio, radio);
}

void LienzoPintor::Arco(double cx, double cy, double radio, double inicio, double fin, const ColorBasic* color)
{
    if (!(radio > 0))
        return;
    double barrido = fin - inicio;
    if (barrido < 0)
        barrido += 2 * M_PI;
    pluma(color);
    const QRectF caja(cx - radio, cy - radio, 2 * radio, 2 * radio);
    // Qt counts sixteenths of a degree, counter-clockwise from three o'clock, as the arc does.
    pintor().drawArc(caja, int(std::lround(inicio * 180 / M_PI * 16)), int(std::lround(barrido * 180 / M_PI * 16)));
}

void LienzoPintor::Elipse(double cx, double cy, double radio, double aspecto, const ColorBasic* color)
{
    if (!(radio > 0) || !(aspecto > 0) || !std::isfinite(aspecto))
        return;
    const double rx = aspecto < 1 ? radio : radio / aspecto;
    const double ry = aspecto < 1 ? radio * aspecto : radio;
    pluma(color);
    pintor().drawEllipse(QPointF(cx, cy), rx, ry);
}

void LienzoPintor::Punto(double x, double y, ColorBasic color)
{
    QPainter& p = pintor();
    p.setPen(QPen(AColor(color), 0));
    p.drawPoint(QPointF(x, y));
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
