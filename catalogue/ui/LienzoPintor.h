#pragma once
// The preview's drawing surface on a picture in memory, painted with QPainter; the picture box
// widget shows it.
#include "catalogue/Lienzo.h"

#include <QImage>
#include <QPainter>
#include <memory>

namespace kovel::catalogue {

QColor AColor(ColorBasic c);

class LienzoPintor : public Lienzo {
public:
    LienzoPintor() = default;
    // Draws over a picture already made (the sheet pictures of the build).
    explicit LienzoPintor(QImage base) : imagen_(std::move(base)) {}
    ~LienzoPintor() override;
    LienzoPintor(const LienzoPintor&) = delete;
    LienzoPintor& operator=(const LienzoPintor&) = delete;

    void Limpia(QSize pixeles) override;
    QSize Tamano() const override { return imagen_.size(); }

    void Linea(double x1, double y1, double x2, double y2, const ColorBasic* color = nullptr) override;
    void Caja(double x1, double y1, double x2, double y2, const ColorBasic* color = nullptr) override;
    void CajaLlena(double x1, double y1, double x2, double y2, ColorBasic color) override;
    void Circulo(double cx, double cy, double radio, const ColorBasic* color = nullptr) override;
    void Arco(double cx, double cy, double radio, double inicio, double fin, const ColorBasic* color = nullptr) override;
    void Elipse(double cx, double cy, double radio, double aspecto, const ColorBasic* color = nullptr) override;
    void Punto(double x, double y, ColorBasic color) override;
    bool Imagen(const QString& fichero) override;

    // Smooth edges (the prepared sheet pictures); the preview draws crisp pixels.
    void setSuavizado(bool suave) { suavizado_ = suave; }

    // The picture drawn so far (the painter is finished first).
    QImage Resultado();

private:
    QPainter& pintor();
    void pluma(const ColorBasic* color);
    void ponPluma(ColorBasic c);
    void ponRelleno(ColorBasic c);
    void elipse(double cx, double cy, double rx, double ry);

    QImage imagen_;
    std::unique_ptr<QPainter> pintor_;
    bool suavizado_ = false;
    ColorBasic plumaActual_, rellenoActual_;
    bool plumaPuesta_ = false, rellenoPuesto_ = false;
};

// Reads a sheet picture: null (and `error` naming the file) when it is missing, not a
// picture, or larger than LadoMaximoImagen on a side. Never reads more than the header of an
// oversized file.
QImage LeeImagenHoja(const QString& fichero, QString* error = nullptr);

} // namespace kovel::catalogue
