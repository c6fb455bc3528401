#include "catalogue/VistaPrevia.h"

#include "catalogue/Cataleg.h"
#include "common/BasicRules.h"
#include "platform/paths/Paths.h"

#include <QDir>
#include <algorithm>
#include <cmath>
#include <limits>

namespace kovel::catalogue {

namespace {

// The largest preview box drawn, in pixels a side: more than any sheet at one fifth of its
// size needs, and small enough that a damaged format never asks for a huge surface.
constexpr int LadoMaximoVista = 2000;
// The most labels one preview draws: far more than any sheet has.
constexpr int MaxEtiquetasVista = 10000;

double finito(double v) { return std::isfinite(v) ? v : 0.0; }

int redondea(double v) { return int(kovel::basic::RoundHalfEven(v)); }

int acota(double v, int minimo, int maximo)
{
    if (!std::isfinite(v))
        return minimo;
    return int(std::clamp(v, double(minimo), double(maximo)));
}

// Sheet size W (cm, × EscalaX) and H (cm) and the continuous flag, by orientation and paper.
// Fixed sheets are the paper's own size in the orientation drawn: a turned A4, Letter or A5
// format stands on a landscape sheet, an A5 format on a portrait one.
struct Hoja {
    double ancho = 0, alto = 0;
    bool continuo = false;
};

Hoja TamanoHoja(const EtiquetaCatalogo& e, const EtiquetaExtendida& x, double escalaX)
{
    const double ml = finito(e.MargenIzquierdo), mt = finito(e.MargenSuperior);
    const double md = finito(x.MargenDerecho), mi = finito(x.MargenInferior);
    const double ph = finito(e.PasoHorizontal), pv = finito(e.PasoVertical);
    const double ancho = finito(e.Ancho), alto = finito(e.Alto);
    const double c = e.Columnas, f = e.Filas;
    const double filaPropia = ml + md + ancho + (c - 1) * ph;        // margins as stored
    const double filaSimetrica = 2 * ml + ancho + (c - 1) * ph;      // the left margin twice
    const double columnaPropia = mt + mi + alto + (f - 1) * pv;
    const double columnaSimetrica = 2 * mt + alto + (f - 1) * pv;
    Hoja h;
    if (e.Girado == 0) {
        switch (e.TipoPapel) {
        case PapelA4: h = {filaPropia, columnaPropia}; break;
        case PapelLetter: h = {filaSimetrica, columnaSimetrica}; break;
        case PapelContinuo: h = {filaPropia, columnaPropia, true}; break;
        case PapelA5: h = {14.85, 21}; break;
        case PapelTermico: h = {filaPropia, 30}; break;
        default: break;
        }
    } else {
        switch (e.TipoPapel) {
        case PapelA4: h = {29.7, 21}; break;
        case PapelLetter: h = {27.94, 21.59}; break;
        case PapelContinuo: h = {filaSimetrica, columnaSimetrica, true}; break;
        case PapelA5: h = {21, 14.85}; break;
        case PapelTermico: h = {filaSimetrica, 30}; break;
        default: break;
        }
    }
    h.ancho = finito(h.ancho) * escalaX;
    h.alto = finito(h.alto);
    return h;
}

// 8 twips a row of padding under the sheet, for up to ten rows.
int RellenoFilas(int filas)
{
    if (filas > 10)
        return 10;
    if (filas >= 3)
        return filas;
    return 4;
}

ColorBasic ColorCelda(const OpcionesVista& o, int celda)
{
    if (o.indice == 0)
        return ColorBlanco;
    if (celda == o.casellaActual)
        return ColorNegro;
    if (o.origenDatos1 || !o.casellaBuida)
        return ColorBlanco;
    try {
        return o.casellaBuida(celda) ? ColorBlanco : ColorCaraBoton;
    } catch (...) {
        return ColorBlanco;   // a cell the design list does not hold has no design
    }
}

} // namespace

float CmAPixelsVista(const Visual::TwipsPerPixel& e, float cm, bool horizontal, bool ampliada)
{
    const double tpp = horizontal ? e.x : e.y;
    const double escala = horizontal ? e.EscalaX() : e.EscalaY();
    if (tpp <= 0 || escala <= 0)
        return 0;
    const double v = double(cm) * 567.0 / (tpp / escala);
    return float(ampliada ? v * 5 : v / 5);
}

int FilasTermico(const EtiquetaCatalogo& e)
{
    const double alto = e.Alto, paso = e.PasoVertical, arriba = finito(e.MargenSuperior);
    if (!std::isfinite(alto) || !std::isfinite(paso) || alto <= 0 || paso <= 0)
        return e.Filas;
    const double caben = std::floor((30.0 - arriba - alto) / paso) + 1;
    if (caben < 1)
        return 1;
    return int(std::min(caben, double(std::numeric_limits<std::int16_t>::max())));
}

GeometriaHoja CalculaGeometria(const EtiquetaCatalogo& e, const EtiquetaExtendida& x, const OpcionesVista& o)
{
    GeometriaHoja g;
    const Visual::TwipsPerPixel& s = o.escala;
    const double escalaX = s.EscalaX(), escalaY = s.EscalaY();
    g.forma = e.Forma;

    const Hoja hoja = TamanoHoja(e, x, escalaX);
    g.anchoCm = hoja.ancho;
    g.altoCm = hoja.alto;
    g.continuo = hoja.continuo;

    // The box: the sheet, 85 twips wider and 8 twips a row (up to ten) taller.
    const double anchoTw = double(CmAPixelsVista(s, float(hoja.ancho), true, true)) * 0.6 + 85 * escalaX;
    const double altoTw = (hoja.alto * 567 / 5 + 8.0 * RellenoFilas(e.Filas)) * escalaY;
    g.anchoTwips = acota(anchoTw, 1, int(LadoMaximoVista * s.x));
    g.altoTwips = acota(altoTw, 1, int(LadoMaximoVista * s.y));
    g.pixeles = QSize(std::clamp(redondea(g.anchoTwips / std::max(1.0, s.x)), 1, LadoMaximoVista),
                      std::clamp(redondea(g.altoTwips / std::max(1.0, s.y)), 1, LadoMaximoVista));
    const int medida = o.indice == 0 ? o.medidas[4] : (o.horizontal ? o.medidas[6] : o.medidas[5]);
    g.anchoMaximoMarco = redondea(medida * escalaX);

    // Every label of the grid at its place on the sheet. Rows and columns stand where the
    // catalogue puts them (no drift from a rounded pitch); labels that touch keep touching.
    const double ancho = finito(e.Ancho), alto = finito(e.Alto);
    const double ph = finito(e.PasoHorizontal), pv = finito(e.PasoVertical);
    const double ml = finito(e.MargenIzquierdo), mt = finito(e.MargenSuperior);
    const double anchoPx = std::ceil(P(s, ancho));
    const bool seTocan = e.Alto == e.PasoVertical;
    const int filas = e.TipoPapel == PapelTermico ? FilasTermico(e) : e.Filas;
    // Labels beyond the box are not drawn; labels less than a pixel apart stand on one
    // another, so one stands for them all; a damaged grid is drawn in part.
    const int maxColumnas = P(s, ph) >= 1 ? std::min<int>(e.Columnas, g.pixeles.width() + 1) : std::min<int>(e.Columnas, 1);
    const int maxFilas = P(s, pv) >= 1 ? std::min(filas, g.pixeles.height() + 1) : std::min(filas, 1);
    g.columnas = std::clamp(maxColumnas, 0, MaxEtiquetasVista);
    g.filas = std::clamp(maxFilas, 0, g.columnas > 0 ? std::max(1, MaxEtiquetasVista / g.columnas) : 0);
    g.etiquetas.reserve(qsizetype(g.columnas) * g.filas);
    for (int c = 0; c < g.columnas; ++c) {
        const double x1 = P(s, c * ph + ml);
        if (x1 > g.pixeles.width())
            break;
        for (int r = 0; r < g.filas; ++r) {
            CajaEtiqueta k;
            k.columna = c;
            k.fila = r;
            k.celda = c + r * e.Columnas;
            k.x1 = x1;
            k.y1 = P(s, mt + r * pv);
            if (k.y1 > g.pixeles.height())
                break;
            k.y2 = seTocan ? double(P(s, mt + (r + 1) * pv)) : k.y1 + P(s, alto);
            k.x2 = k.x1 + anchoPx;
            k.relleno = ColorCelda(o, k.celda);
            g.etiquetas.append(k);
        }
    }
    return g;
}

const CajaEtiqueta* EtiquetaEn(const GeometriaHoja& g, double x, double y)
{
    for (const CajaEtiqueta& k : g.etiquetas)
        if (x >= k.x1 && x < k.x2 && y >= k.y1 && y < k.y2)
            return &k;
    return nullptr;
}

bool FormatoParaVista(const Cataleg& cat, int indice, int indiceVista, EtiquetaCatalogo& e, EtiquetaExtendida& x)
{
    if (indice < 0 || indice >= cat.NumEtiquetas || indice >= cat.Etiquetas.size() || indice >= cat.EtiquetasExt.size())
        return false;
    e = cat.Etiquetas[indice];
    x = cat.EtiquetasExt[indice];
    bool marca = indice < cat.EtiquetasMarca.size() && cat.EtiquetasMarca[indice];
    if (indiceVista == 0 && marca)
        ModTolvWiz::GirarRegistro(e, x, marca);
    return true;
}

void Dibuja_FormaEtiqueta(Lienzo& l, std::int16_t forma, float x1, float y1, float x2, float y2, ColorBasic relleno,
                          bool horizontal, ColorBasic fondoVentana)
{
    l.setColorRelleno(relleno);
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2) || !(x2 > x1) || !(y2 > y1))
        return;
    const double w = double(x2) - x1, h = double(y2) - y1;
    const double cx = (double(x1) + x2) / 2, cy = (double(y1) + y2) / 2;

    auto rectanguloRedondeado = [&] {
        const double r = std::min(0.2 * std::min(w, h), 5.0);
        const ColorBasic dibujo = l.ColorDibujo();
        l.setColorDibujo(l.ColorRelleno());
        l.Circulo(x1 + r, y1 + r, r);
        l.Circulo(x1 + r, y2 - r, r);
        l.Circulo(x2 - r, y1 + r, r);
        l.Circulo(x2 - r, y2 - r, r);
        l.Caja(x1 + r, y1, x2 - r, y2);
        l.Caja(x1, y1 + r, x2, y2 - r);
        l.setColorDibujo(dibujo);
        l.Arco(x1 + r, y1 + r, r, Pi / 2, Pi);
        l.Arco(x1 + r, y2 - r, r, Pi, TresPiMedios);
        l.Arco(x2 - r, y1 + r, r, 0, Pi / 2);
        l.Arco(x2 - r, y2 - r, r, TresPiMedios, DosPi);
        l.Linea(x1 + r, y1, x2 - r, y1);
        l.Linea(x1 + r, y2, x2 - r, y2);
        l.Linea(x1, y1 + r, x1, y2 - r);
        l.Linea(x2, y1 + r, x2, y2 - r);
    };

    switch (forma) {
    case 1:
    case 7:
        rectanguloRedondeado();
        break;
    case 2:
    case 8:
    case 9:
    case 17:
        l.Elipse(cx, cy, std::max(w, h) / 2 / 1.1, h / w);
        break;
    case 3: {
        l.Linea(x1, y1, x2, y1, &fondoVentana);
        l.Linea(x1, y2, x2, y2, &fondoVentana);
        l.Linea(x1, y1, x1, y2, &fondoVentana);
        l.Linea(x2, y1, x2, y2, &fondoVentana);
        if (float(h) >= w / 2) {
            const double radio = (w / 2) / 1.1;
            l.Circulo(cx, cy, radio);
            l.Circulo(cx, cy, radio * 0.35);
        }
        break;
    }
    case 4: {
        // A tag pointing left with a punched hole, in fixed colours whatever the cell.
        const int desde = int(kovel::basic::RoundHalfEven(x1));
        const int hasta = int(kovel::basic::RoundHalfEven(x1 + w / 4));
        for (int x = desde; x <= hasta; ++x) {
            const int kmax = int(kovel::basic::RoundHalfEven(0.75 * (x - double(x1))));
            for (int k = 1; k <= kmax; ++k) {
                l.Punto(x, y1 + h / 3 - k, ColorBlanco);
                l.Punto(x, y1 + 2 * h / 3 + k, ColorBlanco);
            }
        }
        l.CajaLlena(x1, y1 + h / 3, x1 + w / 4, y2 - h / 3, ColorBlanco);
        l.setColorRelleno(ColorNegro);
        l.Circulo(x1 + w / 8, cy, 5, &ColorNegro);
        l.setColorRelleno(ColorBlanco);
        l.Circulo(x1 + w / 8, cy, 2, &ColorBlanco);
        l.CajaLlena(x1 + w / 4, y1, x2, y2, ColorBlanco);
        l.Caja(x1 + w / 4, y1, x2, y2, &ColorNegro);
        l.Linea(x1 + w / 4, y1, x1 + w / 4, y2, &ColorBlanco);
        l.Linea(x1, y1 + h / 3, x1 + w / 4, y1, &ColorNegro);
        l.Linea(x1, y1 + h / 3, x1, y2 - h / 3, &ColorNegro);
        l.Linea(x1, y2 - h / 3, x1 + w / 4, y2, &ColorNegro);
        break;
    }
    case 5: {
        rectanguloRedondeado();
        const ColorBasic dibujo = l.ColorDibujo();
        l.setColorDibujo(ColorCaraBoton);
        const double s = h / 6, yc = y1 + 3 * h / 7;
        l.Arco(x1 + 2 * w / 9, yc, s, Pi / 2, TresPiMedios);
        l.Arco(x2 - 2 * w / 9, yc, s, TresPiMedios, Pi / 2);
        l.Linea(x1 + 2 * w / 9 - 1, yc - s, x2 - 2 * w / 9 + 1, yc - s);
        l.Linea(x1 + 2 * w / 9 - 1, yc + s, x2 - 2 * w / 9, yc + s);
        l.setColorDibujo(dibujo);
        break;
    }
    case 16: {
        // A disc on a band: the band's inner outline in the complement of the drawing colour
        // joins the two figures.
        const ColorBasic dibujo = l.ColorDibujo();
        if (horizontal) {
            l.Caja(x1 + 4, y1, x2 - 4, y2);
            l.Circulo(cx, cy, w / 2);
            l.setColorDibujo(dibujo.complemento());
            l.Caja(x1 + 5, y1 + 1, x2 - 5, y2 - 1);
        } else {
            l.Caja(x1, y1 + 4, x2, y2 - 4);
            l.Circulo(cx, cy, h / 2);
            l.setColorDibujo(dibujo.complemento());
            l.Caja(x1 + 1, y1 + 5, x2 - 1, y2 - 5);
        }
        l.setColorDibujo(dibujo);
        break;
    }
    default:   // 0, 6 and any code without a shape of its own
        l.Caja(x1, y1, x2, y2);
        break;
    }
}

void Dibuja_MarcasContinuo(Lienzo& l, const Visual::TwipsPerPixel& s, bool horizontal, ColorBasic fondoVentana)
{
    const ColorBasic relleno = l.ColorRelleno();
    l.setColorRelleno(ColorBlanco);
    const double wp = l.Tamano().width(), hp = l.Tamano().height();
    const double radio = P(s, 0.25), cerca = P(s, 0.5);
    const int paso = int(kovel::basic::RoundHalfEven(P(s, 1)));
    if (paso > 0) {
        if (!horizontal) {
            const double lejos = wp - P(s, 0.9);
            const int hasta = int(kovel::basic::RoundHalfEven(hp));
            for (int y = paso; y <= hasta; y += paso) {
                l.Circulo(cerca, y, radio);
                l.Circulo(lejos, y, radio);
            }
        } else {
            const double lejos = hp - P(s, 0.9);
            const int hasta = int(kovel::basic::RoundHalfEven(wp));
            for (int x = paso; x <= hasta; x += paso) {
                l.Circulo(x, cerca, radio);
                l.Circulo(x, lejos, radio);
            }
        }
    }
    if (!horizontal) {
        l.Linea(P(s, 1), 0, P(s, 1), hp, &fondoVentana);
        l.Linea(wp - P(s, 1.5), 0, wp - P(s, 1.5), hp, &fondoVentana);
    } else {
        l.Linea(0, P(s, 1), wp, P(s, 1), &fondoVentana);
        l.Linea(0, hp - P(s, 1.5), wp, hp - P(s, 1.5), &fondoVentana);
    }
    l.setColorRelleno(relleno);
}

bool TieneImagenHoja(std::int32_t codigo)
{
    // A plain text search, as the list was always read: a code that is part of an entry counts.
    static const QString conImagen = QStringLiteral("3269,1243,2003,2004,10177,10178,10253,10254");
    return codigo >= 4000 || conImagen.contains(QString::number(codigo));
}

QString NombreImagenHoja(const EtiquetaCatalogo& e, const EtiquetaExtendida& x)
{
    if (!TieneImagenHoja(e.Codigo))
        return {};
    const QString codigo = QString::number(e.Codigo);
    if (e.Codigo == 2003 || e.Codigo == 2004) {
        const QString d = e.Descripcion.trimmed();
        const bool ilc = d.right(8).compare(QLatin1String("II (ILC)"), Qt::CaseInsensitive) == 0;
        return codigo + (ilc ? QLatin1String("b.dat") : QLatin1String("a.dat"));
    }
    return codigo + x.Sufix + QLatin1String(".dat");
}

QString FicheroImagenHoja(const EtiquetaCatalogo& e, const EtiquetaExtendida& x, const QString& carpetaPrograma)
{
    const QString nombre = NombreImagenHoja(e, x);
    if (nombre.isEmpty() || nombre.contains(QLatin1Char('/')) || nombre.contains(QLatin1Char('\\'))
        || nombre.contains(QLatin1String("..")))
        return {};
    const QString datos = kovel::paths::findCaseInsensitive(carpetaPrograma, QStringLiteral("Data"));
    const QStringList delCodigo = QDir(datos).entryList({QString::number(e.Codigo) + QLatin1String("*.dat")}, QDir::Files);
    if (delCodigo.isEmpty())
        return {};
    return kovel::paths::findCaseInsensitive(carpetaPrograma, QStringLiteral("Data/") + nombre);
}

ResultadoVista Dibuja_HojaEtiquetas(Lienzo& l, const EtiquetaCatalogo& e, const EtiquetaExtendida& x,
                                    const OpcionesVista& o, const QString& carpetaPrograma)
{
    ResultadoVista r;
    try {
        r.geometria = CalculaGeometria(e, x, o);
    } catch (...) {
        r.geometria = GeometriaHoja{};
    }
    l.setColorFondo(o.indice == 0 ? ColorFondoVistaPequena : ColorBlanco);
    l.setColorDibujo(ColorNegro);
    if (o.indice == 0) {
        try {
            const QString fichero = FicheroImagenHoja(e, x, carpetaPrograma);
            if (!fichero.isEmpty() && l.Imagen(fichero)) {
                r.imagen = true;
                return r;
            }
        } catch (...) {
            // no picture: the sheet is drawn
        }
    }
    const GeometriaHoja& g = r.geometria;
    // The small preview shows the catalogue's orientation, whatever the orientation option.
    const bool horizontal = o.indice == 0 ? false : o.horizontal;
    try {
        l.Limpia(g.pixeles.isEmpty() ? QSize(1, 1) : g.pixeles);
    } catch (...) {
    }
    for (const CajaEtiqueta& k : g.etiquetas) {
        try {
            Dibuja_FormaEtiqueta(l, g.forma, float(k.x1), float(k.y1), float(k.x2), float(k.y2), k.relleno, horizontal,
                                 o.fondoVentana);
        } catch (...) {
            // the next label is drawn all the same
        }
    }
    if (g.continuo) {
        try {
            Dibuja_MarcasContinuo(l, o.escala, horizontal, o.fondoVentana);
        } catch (...) {
        }
    }
    return r;
}

} // namespace kovel::catalogue
