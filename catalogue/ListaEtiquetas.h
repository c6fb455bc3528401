#pragma once
// The list of label formats of the label-format panel ("LstEtiquetas") as a model: its lines
// are kept in text order, each line carries the catalogue index of its format, and one line at
// most is selected. The wizard shows it in a view; every routine here works without a window,
// on the catalogue it is given (Cataleg.h), whose list this is, and on the state of the
// controls around the list, which the wizard's label-format panel owns.
#include <QAbstractListModel>
#include <QString>
#include <QList>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

class ModeloEtiquetas : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int RolItemData = Qt::UserRole;   // the catalogue index of the line

    explicit ModeloEtiquetas(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    int ListCount() const { return int(lineas_.size()); }
    QString List(int i) const;           // text of line i ("" outside the list)
    int ItemData(int i) const;           // catalogue index of line i (−1 outside the list)
    int ListIndex() const { return listIndex_; }
    // Sets the selected line; −1 clears the selection. False (nothing changed) when the list
    // has no such line.
    bool setListIndex(int i);

    void Clear();
    // Adds a line at its place in text order (after the lines with the same text); returns its
    // list index. AddItem + ItemData of the control in one step.
    int AddItem(const QString& texto, int itemData);
    // Adds many lines at once, then orders them (stable); far faster than AddItem one by one.
    void SetLines(QList<QPair<QString, int>> lineas);

    // The size filter the lines were last built with (mm; 0: none), which a new order keeps.
    double AnchoFiltro() const { return anchoFiltro_; }
    double AltoFiltro() const { return altoFiltro_; }
    void setFiltro(double ancho, double alto)
    {
        anchoFiltro_ = ancho;
        altoFiltro_ = alto;
    }

private:
    QList<QPair<QString, int>> lineas_;
    int listIndex_ = -1;
    double anchoFiltro_ = 0;
    double altoFiltro_ = 0;
};

// A combo box as the list routines read and change it. The wizard keeps its widgets and
// this state in step; tests drive the state alone.
struct ComboEstado {
    QStringList entradas;
    int listIndex = -1;
    QString texto;         // the typed or shown text
    int selStart = 0;
    int selLength = 0;
};

// The controls around the format list: its order, its size filter and its reference search.
struct EstadoListaEtiquetas {
    // Sort options optOrden(0..2).
    std::array<bool, 3> optOrden{true, false, false};
    bool OrdenEnCurso = false;

    ComboEstado cboOrdenar;
    ComboEstado cboMides;
    QList<QPair<double, double>> MedidasFiltro;   // width, height (mm) per cboMides entry
    double FiltroAncho = 0;
    double FiltroAlto = 0;

    // The reference search area.
    QString txtReferencia;
    int txtReferenciaSelStart = 0;
    int txtReferenciaSelLength = 0;
    QString captionBusqueda;          // caption of the reference-search label
    bool captionBusquedaNegrita = false;
    QString captionBusquedaGuardada;  // kept aside while a size filter is shown

    // Hooks into the window; either may be left empty.
    std::function<void()> pitido;      // the system beep
    std::function<void()> focoLista;   // LstEtiquetas.SetFocus
    // The owner of the paper type (the paper panel) turned to paper type t, with its units,
    // when the search switches paper. Empty: only the list switches.
    std::function<void(int)> cambioPapel;

    std::int16_t orden() const { return std::int16_t(optOrden[0] ? 0 : optOrden[1] ? 1 : 2); }
};

struct Cataleg;

namespace ModTolvWiz {

// The names of the paper types, index = paper code (PapelA4 ...), as their options caption
// them and the search's question names them.
const std::array<QString, 5>& NombresPapel();

// Rebuilds the list: formats of paper type `tipoPapel`; mode 0 by reference, 1 by
// description, 2 by size; filter width/height in mm (0: none), which the list keeps.
void Llena_ListaEtiquetas(Cataleg& cat, std::int16_t tipoPapel, std::int16_t modo, double anchoFiltro,
                          double altoFiltro);
// The text of the line of format `indice` in mode `modo` with reference width `anchoRef`.
QString LineaEtiqueta(const Cataleg& cat, int indice, std::int16_t modo, int anchoRef);

// Catalogue index behind the selected line, −1 when none.
std::int16_t FormatSeleccionat(const Cataleg& cat);
// List index of the selected line, −1 when none.
std::int16_t IndexFormat(const Cataleg& cat);
// Selects line `indice`; an index the list does not hold selects line 0 (or nothing when empty).
void SeleccionarFormat(Cataleg& cat, std::int32_t indice);

// Helpers used across the subsystems.
QString Normaliza_Numero(QString& s, int ancho);
QString Separa_Referencia(const QString& referencia, int ancho, const QString& prefijo, const QString& palabra);
QString Formatea_Alineado(double valor, const QString& formato, int ancho);
float Minimo(float a, float b);
float Maximo(float a, float b);
void Separa_Primero(const QString& separador, QString& texto, QString& primero);
void Antepone_Elemento(const QString& separador, QString& lista, const QString& elemento);

// Search by reference (the questions go through mod_rvtMsgBox). A format of another paper
// type is offered, unless `silencioso`; taken, `cambiaPapel` turns the paper type's owner to
// it (the search stores no paper type of its own) and the list is rebuilt in order `orden`.
void Buscar_Referencia(Cataleg& cat, EstadoListaEtiquetas& estado);
void Busca_EtiquetaReferencia(Cataleg& cat, QString& texto, bool silencioso, std::int16_t orden = 0,
                              const std::function<void(int)>& cambiaPapel = {});
void Busca_EtiquetaReferencia(Cataleg& cat, const QString& texto, bool silencioso, std::int16_t orden = 0,
                              const std::function<void(int)>& cambiaPapel = {});

// The controls around the list. `tipoPapel`: the paper type chosen, -1 when none (then a new
// order leaves the list as it is, and a size filter lists thermal formats).
void Establece_Orden(Cataleg& cat, EstadoListaEtiquetas& estado, int orden, int tipoPapel);
// The sort box typed in or chosen from; false when it has no entry to take (nothing changed).
bool Autocompleta_Orden(Cataleg& cat, EstadoListaEtiquetas& estado, int tipoPapel);
void Selecciona_Medida(Cataleg& cat, EstadoListaEtiquetas& estado, int tipoPapel);
void Filtra_PorMedidas(Cataleg& cat, EstadoListaEtiquetas& estado, int tipoPapel);
// Fills the size box and its sizes together: the entry of literal 29 (all sizes) with 0 x 0
// first, then every label size (mm, one decimal) of the paper type once, by width then height.
void Llena_MedidasFiltro(const Cataleg& cat, EstadoListaEtiquetas& estado, std::int16_t tipoPapel);
void Filtra_TeclaReferencia(Cataleg& cat, EstadoListaEtiquetas& estado, std::int16_t& tecla);
void Selecciona_TextoReferencia(EstadoListaEtiquetas& estado);

} // namespace ModTolvWiz
