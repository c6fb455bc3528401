#pragma once
// The two sheet previews of the wizard window as widgets: the picture box `PctHoja` (index 0
// beside the format list in `Frame_Hoja`, index 1 on the label-design panel in `PnlHoja`) and
// the object that draws the selected format into them and lays their frames out.
#include "catalogue/ColocaVista.h"
#include "catalogue/VistaPrevia.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

class QLabel;
class QScrollBar;
struct Cataleg;

namespace kovel::catalogue {

// A preview's picture box: shows the last drawing (or the sheet picture) and reports a click
// on a label as its row, column and cell number (cells count row by row from 0).
class PctHoja : public QWidget {
    Q_OBJECT
public:
    explicit PctHoja(int indice, QWidget* parent = nullptr);

    int indice() const { return indice_; }
    void Muestra(const QImage& imagen, const GeometriaHoja& geometria, bool esImagen);
    const QImage& imagen() const { return imagen_; }
    const GeometriaHoja& geometria() const { return geometria_; }
    bool muestraImagen() const { return esImagen_; }

    QSize sizeHint() const override { return imagen_.size(); }

signals:
    void celdaPulsada(int fila, int columna, int celda);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int indice_;
    QImage imagen_;
    GeometriaHoja geometria_;
    bool esImagen_ = false;
};

// The controls of the wizard window around one preview. The frame is required; the others
// may be missing (then their part of the layout is passed over).
struct EntornoVistaPrevia {
    QPointer<QWidget> marco;          // Frame_Hoja / PnlHoja: the picture box goes inside it
    QPointer<QScrollBar> barra;       // Barra_Horitzontal_Hojas / Barra_Hoja_Final
    QPointer<QLabel> lblHoja;         // LblHoja: the label position (large preview)
    QPointer<QWidget> documento;      // dsoFraWord (large preview)
    QPointer<QWidget> panelDiseno;    // Panel(PanelDiseno) (large preview)
};

// What the previews read from the rest of the program; set by the window that owns them.
struct ContextoVistaPrevia {
    std::function<int()> casellaActual;          // CasellaActual; none: no current cell
    std::function<bool(int)> casellaBuida;       // CasellaBuida; none: every cell empty
    std::function<int()> posicionEtiqueta;       // PosicionEtiqueta; none: caption untouched
    std::function<bool()> horizontal;            // the orientation chosen; none: upright
    std::function<std::array<bool, 4>()> origenDatos;   // the data-source options; none: none set
    std::array<int, 7> medidas = MedidasVistaPreviaEstandar;   // MedidasVistaPrevia
    ColorBasic fondoVentana = ColorBlanco;       // the wizard window's background
    QString carpetaPrograma;                     // empty: the program folder
};
// The two previews of one window over the format list of catalogue `cat`, with what they read
// of the window and their last layouts. The window owns it (the catalogue outlives it).
class VistesPrevies {
public:
    explicit VistesPrevies(Cataleg& cat) : cat_(cat) {}
    VistesPrevies(const VistesPrevies&) = delete;
    VistesPrevies& operator=(const VistesPrevies&) = delete;

    ContextoVistaPrevia Contexto;

    // Makes preview `indice` (0 or 1) inside its frame and remembers the controls around it.
    // Calling it again replaces the earlier one.
    class PctHoja* InstalaVistaPrevia(int indice, const EntornoVistaPrevia& entorno);

    // Draws the format selected in the label list into preview `indice`, sizes its frame and
    // lays the panel out. Nothing happens with no selection or no such preview; nothing ever
    // throws.
    void Dibuja_HojaEtiquetas(std::int16_t indice);

    // The picture box of preview `indice`, or nullptr when none is installed.
    class PctHoja* PctHoja(int indice) const;

private:
    struct Vista {
        QPointer<class PctHoja> caja;
        EntornoVistaPrevia entorno;
    };
    void ColocaVista(Vista& v, const EtiquetaCatalogo& e, int indiceCatalogo, int anchoMaximoMarco);

    Cataleg& cat_;
    std::array<Vista, 2> vistas_;
    ColocadorVista colocador_;
};

} // namespace kovel::catalogue

namespace ModTolvWiz {

// The size text under the small preview: writes the six pieces `lbl_inf_etiqueta` (found by
// name and "index" among the children of `ventana`) for catalogue format `indice` in the unit
// cat.Unidades, and centres them.
void Muestra_MedidasEtiqueta(const Cataleg& cat, QWidget* ventana, int indice);

} // namespace ModTolvWiz
