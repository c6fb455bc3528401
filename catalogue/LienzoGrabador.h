#pragma once
// A drawing surface that keeps a list of what was drawn, with the colours each operation used:
// the preview's drawing is checked with it, without a window.
#include "catalogue/Lienzo.h"

#include <QList>
#include <functional>

namespace kovel::catalogue {

struct Trazo {
    enum Tipo { Linea, Caja, CajaLlena, Circulo, Arco, Elipse, Punto, Imagen };
    Tipo tipo = Linea;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;   // corners or ends; centre in x1, y1
    double radio = 0;
    double inicio = 0, fin = 0;              // arcs; the aspect of an ellipse in `inicio`
    ColorBasic borde;                        // the colour of the lines drawn
    ColorBasic relleno;                      // the inside (closed figures), or the point's colour
    QString fichero;                         // pictures
};

class LienzoGrabador : public Lienzo {
public:
    QList<Trazo> trazos;
    int limpiezas = 0;
    // Whether a picture file "loads"; by default none does.
    std::function<bool(const QString&)> cargaImagen;

    void Limpia(QSize pixeles) override
    {
        tamano_ = pixeles;
        trazos.clear();
        ++limpiezas;
    }
    QSize Tamano() const override { return tamano_; }

    void Linea(double x1, double y1, double x2, double y2, const ColorBasic* c = nullptr) override
    {
        anade({Trazo::Linea, x1, y1, x2, y2, 0, 0, 0, color(c), ColorBasic{}, {}});
    }
    void Caja(double x1, double y1, double x2, double y2, const ColorBasic* c = nullptr) override
    {
        anade({Trazo::Caja, x1, y1, x2, y2, 0, 0, 0, color(c), relleno_, {}});
    }
    void CajaLlena(double x1, double y1, double x2, double y2, ColorBasic c) override
    {
        anade({Trazo::CajaLlena, x1, y1, x2, y2, 0, 0, 0, c, c, {}});
    }
    void Circulo(double cx, double cy, double r, const ColorBasic* c = nullptr) override
    {
        anade({Trazo::Circulo, cx, cy, 0, 0, r, 0, 0, color(c), relleno_, {}});
    }
    void Arco(double cx, double cy, double r, double a0, double a1, const ColorBasic* c = nullptr) override
    {
        anade({Trazo::Arco, cx, cy, 0, 0, r, a0, a1, color(c), ColorBasic{}, {}});
    }
    void Elipse(double cx, double cy, double r, double aspecto, const ColorBasic* c = nullptr) override
    {
        anade({Trazo::Elipse, cx, cy, 0, 0, r, aspecto, 0, color(c), relleno_, {}});
    }
    void Punto(double x, double y, ColorBasic c) override
    {
        anade({Trazo::Punto, x, y, x, y, 0, 0, 0, c, c, {}});
    }
    bool Imagen(const QString& fichero) override
    {
        if (!cargaImagen || !cargaImagen(fichero))
            return false;
        trazos.clear();
        Trazo t;
        t.tipo = Trazo::Imagen;
        t.fichero = fichero;
        anade(t);
        return true;
    }

    int Cuenta(Trazo::Tipo tipo) const
    {
        int n = 0;
        for (const Trazo& t : trazos)
            n += t.tipo == tipo;
        return n;
    }

private:
    ColorBasic color(const ColorBasic* c) const { return c ? *c : dibujo_; }
    void anade(Trazo t) { trazos.append(std::move(t)); }
    QSize tamano_;
};

} // namespace kovel::catalogue
