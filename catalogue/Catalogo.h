#pragma once
// The label catalogue in memory: every label sheet or roll the user can print, loaded once
// from "ETIQSCAP.UNI", "ETIQSEXT.UNI" and "ETIQS.UNI" in the program folder.
//
// Lengths are centimetres unless a field says otherwise. A format is known everywhere by its
// index in `Cataleg::Etiquetas`, counted from 0 in file order (−1 means "the format selected in
// the label list", see ListaEtiquetas.h). The catalogue itself is an object (Cataleg.h); the
// routines here are given it.
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

// One label format as read from a 602-byte record of "ETIQS.UNI".
struct EtiquetaCatalogo {
    QString Referencia;              // 15 characters: "KOVEL", a separator, the number (padded)
    std::int32_t Codigo = 0;         // model number: names the sheet pictures and templates
    QString Descripcion;             // 255 characters, blank-padded
    std::int16_t Girado = 0;         // non-zero while turned
    std::int16_t Forma = 0;          // outline shape code of the preview
    float Ancho = 0;                 // label width, cm
    float Alto = 0;                  // label height, cm
    float MargenIzquierdo = 0;       // sheet left margin, cm
    float MargenSuperior = 0;        // sheet top margin, cm
    float PasoHorizontal = 0;        // left edge to left edge within a row, cm
    float PasoVertical = 0;          // top edge to top edge between rows, cm
    std::int16_t Filas = 0;          // labels down
    std::int16_t Columnas = 0;       // labels across (goes with PasoHorizontal)
    QString TextoAdicional;          // 25 characters carried from the file
    std::int16_t ColumnasOmitidas = 0;
    std::int16_t FilasOmitidas = 0;
    std::array<float, 2> Holgura{};  // inset of the page set-up: [0] horizontal, [1] vertical, cm
    std::int16_t ValorAdicional = 0;
    std::uint8_t TipoPapel = 0;      // 0 A4, 1 continuous, 2 Letter, 3 A5, 4 thermal

    friend bool operator==(const EtiquetaCatalogo&, const EtiquetaCatalogo&) = default;
};

// The extension record of one format ("ETIQSEXT.UNI"), fields found by name.
struct EtiquetaExtendida {
    double AnchoCom = 0;        // label size shown to the user, cm
    double AltoCom = 0;
    double AnchoPag = 0;        // page size, cm (0: not given)
    double AltoPag = 0;
    std::int32_t Categoria = 0;
    std::int32_t Uso = 0;
    QString Sufix;              // appended to the model number in picture and template names
    double MargenDerecho = 0;   // "Margen Derecho mm": same unit as MargenIzquierdo (cm); 0 = not given
    double MargenInferior = 0;  // "Margen Inferior mm": same unit as MargenSuperior (cm); 0 = not given

    friend bool operator==(const EtiquetaExtendida&, const EtiquetaExtendida&) = default;
};

// One entry of the field table of "ETIQSCAP.UNI".
struct CampoCabecera {
    QString Nombre;          // trimmed
    std::int16_t TipoVar = 0; // 3 long, 5 double, 8 text
    std::int16_t Tamano = 0;  // bytes in the extension record
};

// Paper types (the codes of "TipoPapel" and of the stored choice "TipoPag").
enum TipoPapelCodigo : std::uint8_t {
    PapelA4 = 0, PapelContinuo = 1, PapelLetter = 2, PapelA5 = 3, PapelTermico = 4,
};
inline constexpr int NumTiposPapel = 5;

struct Cataleg;

namespace ModTolvWiz {

// Reads the three files from the program folder (ModReg::RutaPrograma). True on success.
// On failure `mensaje` holds the reason (literal 1 with the path for a missing file; otherwise
// a text naming the file) and the catalogue in memory is left exactly as it was: nothing is
// replaced unless all of it loaded. A format with an impossible geometry, an unsafe suffix or
// a model number out of range is left out (the later formats move up one index), logged with
// its reference, and listed by FormatosOmitidos; the rest loads.
bool Carga_Catalogo(Cataleg& cat, QString& mensaje);
// Same, from an explicit folder (tests, tools, the fuzzer).
bool Carga_CatalogoDe(Cataleg& cat, const QString& carpeta, QString& mensaje);
// Same, from the contents of the three files (the fuzzer, the benchmark).
bool Carga_CatalogoDeDatos(Cataleg& cat, QByteArrayView etiqscap, QByteArrayView etiqsext, QByteArrayView etiqs,
                           QString& mensaje);

// One line per format the last successful load left out: the file, the reference, the record
// number and why.
QStringList FormatosOmitidos(const Cataleg& cat);

// Which paper types have at least one format in the loaded catalogue (index = paper code).
// The wizard shows a paper-type option only when its entry is true.
std::array<bool, NumTiposPapel> TiposPapelPresentes(const Cataleg& cat);

// Byte offset of the named field inside an extension record, or −1 (type and size untouched).
// Names are compared without regard to case; a count below 1 gives −1.
std::int32_t Busca_CampoCabecera(std::int32_t numCampos, const QList<CampoCabecera>& campos,
                                 const QString& nombre, std::int16_t& tipo, std::int16_t& tamano);

// Reads one extension record. `registro` holds the record's bytes (its length is the record
// length of the header); fields whose entry is missing, of another type or size, or would end
// past the record take their defaults. AnchoCom/AltoCom of 0 are left at 0 here (the loader
// puts the label's size in their place).
EtiquetaExtendida Lee_EtiquetaExtendida(QByteArrayView registro, std::int32_t numCampos,
                                        const QList<CampoCabecera>& campos);

// Fills `destino` from one 602-byte record of "ETIQS.UNI" (Codigo exactly as stored).
inline constexpr int LongitudRegistroEtiqs = 602;
void Convierte_RegistroEtiqs(EtiquetaCatalogo& destino, QByteArrayView registro);

// The model number a record gets when its Codigo is 0: the reference from its seventh
// character on, read as a number and rounded half to even ("KOVEL 0815" -> 815).
std::int32_t CodigoDeReferencia(const QString& referencia);

// Turns format `indice` in place: EtiquetasMarca flips, the four margins rotate (the two of
// the extension included), width/height, the pitches, the counts and the Holgura pair swap,
// Girado flips. Turning twice gives the record back. Out-of-range indices do nothing.
void GirarEtiqueta(Cataleg& cat, int indice);
// The same turn on a record and its turned flag held elsewhere (a copy).
void GirarRegistro(EtiquetaCatalogo& e, EtiquetaExtendida& x, bool& marca);

// Turns the format selected in the label list: GirarEtiqueta(cat, FormatSeleccionat(cat)).
void GirarFormat(Cataleg& cat);

} // namespace ModTolvWiz
