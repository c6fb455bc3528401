#pragma once
// The sheet preview: a label format drawn at one fifth of its real size, the sheet's outline
// being the picture box itself. Two previews exist: the small one beside the format list
// (index 0, which shows a prepared picture of the sheet for some formats) and the large one on
// the label-design panel (index 1, whose colours tell the current cell and the cells designed
// apart).
//
// Everything here is plain values and drawing calls on a Lienzo; the windows (ui/) only hand
// a surface in and place the result.
#include "catalogue/Catalogo.h"
#include "catalogue/Lienzo.h"
#include "common/Visual.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

namespace kovel::catalogue {

// The seven layout values of the preview (twips, at 15 twips a pixel).
inline constexpr std::array<int, 7> MedidasVistaPreviaEstandar{2900, 6695, 2900, 2900, 5800, 5820, 5820};

// Centimetres of the sheet to preview pixels: cm × 567 ÷ (twips per pixel ÷ scale factor of the
// axis), then × 5 (enlarged) or ÷ 5. With the factors the preview sets, 1 cm is 7.56 pixels
// (189 enlarged) on any screen.
float CmAPixelsVista(const Visual::TwipsPerPixel& escala, float cm, bool horizontal, bool ampliada);
// The reduced form on the horizontal axis, the one every position of the drawing uses.
inline float P(const Visual::TwipsPerPixel& e, double cm) { return CmAPixelsVista(e, float(cm), true, false); }

// What one drawing depends on besides the format.
struct OpcionesVista {
    int indice = 0;                  // 0 small preview, 1 large
    bool horizontal = false;         // opt_Horizontal: the large preview's orientation
    bool origenDatos1 = false;       // opcOrigDatos(1): every cell but the current one is white
    int casellaActual = -1;          // the cell whose design is open (large preview)
    // True when the cell has no design of its own. Empty, failing, or asked for a cell the
    // design list does not hold: the cell is drawn empty.
    std::function<bool(int celda)> casellaBuida;
    Visual::TwipsPerPixel escala = Visual::EscalaDisseny;   // the scale the preview is drawn for
    std::array<int, 7> medidas = MedidasVistaPreviaEstandar;
    ColorBasic fondoVentana = ColorBlanco;   // the wizard window's background
};

// One label of the preview, in the picture box's pixels.
struct CajaEtiqueta {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int fila = 0, columna = 0;
    int celda = 0;                   // columna + fila × columns: cells count row by row from 0
    ColorBasic relleno = ColorBlanco;
};

// The preview of one format: the sheet's size, the picture box and every label's box.
struct GeometriaHoja {
    double anchoCm = 0;              // W (× EscalaX, as the sheet table gives it)
    double altoCm = 0;               // H
    bool continuo = false;           // continuous paper: the edge strips are drawn
    int anchoTwips = 0;              // the picture box
    int altoTwips = 0;
    QSize pixeles;                   // the picture box in pixels
    int anchoMaximoMarco = 0;        // the widest the frame around the box may become (twips)
    int filas = 0;                   // rows and columns drawn
    int columnas = 0;
    std::int16_t forma = 0;
    QList<CajaEtiqueta> etiquetas;   // column by column, top to bottom
};

// The labels down of a thermal roll that fit on the preview's 30 cm strip; the catalogue's
// rows when the pitch or the height gives no count.
int FilasTermico(const EtiquetaCatalogo& e);

// The preview of a format as it stands in `e` and `x` (already turned or not, as it is to be
// shown). Sizes that are zero, negative or not numbers give empty boxes, never a failure.
GeometriaHoja CalculaGeometria(const EtiquetaCatalogo& e, const EtiquetaExtendida& x, const OpcionesVista& o);
// The label whose box holds the point (pixels of the box), or nullptr.
const CajaEtiqueta* EtiquetaEn(const GeometriaHoja& g, double x, double y);

// A copy of catalogue format `indice` as preview `indiceVista` shows it: the small preview
// shows a format that the user turned in its catalogue orientation, the large one as turned.
// The catalogue itself is never touched. False when there is no such format.
bool FormatoParaVista(const Cataleg& cat, int indice, int indiceVista, EtiquetaCatalogo& e, EtiquetaExtendida& x);

// One label outline of shape `forma` in the box (x1, y1)-(x2, y2), filled with `relleno`
// where the shape uses the caller's colour. Leaves the fill colour set, the drawing colour as
// it was. Unknown shapes draw a plain box; empty or inverted boxes draw nothing.
void Dibuja_FormaEtiqueta(Lienzo& lienzo, std::int16_t forma, float x1, float y1, float x2, float y2,
                          ColorBasic relleno, bool horizontal, ColorBasic fondoVentana);

// The edge strips of continuous paper over the whole surface: holes and a separating line
// down both sides (vertical sheet) or along the top and bottom (horizontal).
void Dibuja_MarcasContinuo(Lienzo& lienzo, const Visual::TwipsPerPixel& escala, bool horizontal, ColorBasic fondoVentana);

// Whether a model number has a prepared sheet picture: its decimal text occurs in the list
// text of the pictured codes, or it is 4000 or more.
bool TieneImagenHoja(std::int32_t codigo);
// The name, inside the program's "DATA" folder, of the picture of a format: the model number,
// the suffix and ".dat"; codes 2003 and 2004 take "b" for a description ending "II (ILC)" and
// "a" otherwise. Empty when the code has no picture.
QString NombreImagenHoja(const EtiquetaCatalogo& e, const EtiquetaExtendida& x);
// The picture file the small preview loads for a format from the program folder, or "" when
// the code has none or no file of its code is there.
QString FicheroImagenHoja(const EtiquetaCatalogo& e, const EtiquetaExtendida& x, const QString& carpetaPrograma);

struct ResultadoVista {
    GeometriaHoja geometria;
    bool imagen = false;             // the sheet picture stands for the drawing
};

// Draws the preview of a format on `lienzo`: the picture for the small preview when there is
// one that loads, else the sheet (cleared to the box's size), every label, and the continuous
// marks. Never throws: a step that fails is left out and the rest is drawn.
ResultadoVista Dibuja_HojaEtiquetas(Lienzo& lienzo, const EtiquetaCatalogo& e, const EtiquetaExtendida& x,
                                    const OpcionesVista& o, const QString& carpetaPrograma);

} // namespace kovel::catalogue
