#pragma once
// The label sheet as the generator lays it out: the sheet's own measures, the table that
// reproduces it, the page of the output document and the page of one label's design.
// Plain numbers with their units in the names; no document is touched here.
#include <QString>
#include <cstdint>

namespace generar_doc {

// Word's conversion, in single precision as the page set-up expects it.
inline float CentimetersToPoints(float cm) { return cm * (72.0f / 2.54f); }

// The measures of one catalogue format that the generator reads (centimetres, single
// precision as the catalogue stores them).
struct MidesFull {
    std::int32_t codi = 0;          // model number
    QString sufix;                  // template suffix, may be empty
    float amplCm = 0, altCm = 0;    // one label
    float margeEsqCm = 0, margeSupCm = 0;
    float pasHorCm = 0, pasVerCm = 0;
    std::int16_t files = 0;         // labels down
    std::int16_t columnes = 0;      // labels across
    float holguraHorCm = 0, holguraVerCm = 0;
    double margeDretMm = 0, margeInfMm = 0;  // extension record; 0 = not given
};

// The table of one page and how label cells sit in it.
struct GeometriaTaula {
    bool buitHoritzontal = false;   // a gap column between label columns
    bool buitVertical = false;      // a gap row between label rows
    std::int32_t columnesTaula = 0;
    std::int32_t pasColumna = 1;
    std::int32_t filesPagina = 0;
    std::int32_t pasFila = 1;
    std::int32_t etiquetesFull = 0;
};
GeometriaTaula CalculaGeometria(const MidesFull& m);

// Page of a document made from scratch for the sheet (no ready-made template).
struct PaginaSortida {
    bool horitzontal = false;
    float amplePt = 0, altPt = 0;
    float margeEsqPt = 0, margeSupPt = 0;   // right and bottom margins are 0
};
PaginaSortida CalculaPaginaSortida(const MidesFull& m, bool horitzontal);

// Page of one label's design document built from the general blank template.
struct PaginaEtiqueta {
    bool horitzontal = false;
    float amplePt = 0, altPt = 0;
    float margeHorPt = 0, margeVerPt = 0;   // left/right, top/bottom
};
PaginaEtiqueta CalculaPaginaEtiqueta(const MidesFull& m, bool horitzontal);

// Row and column sizes (points) of the label table.
struct MidesTaulaPt {
    float filaEtiqueta = 0, filaBuit = 0;
    float columnaEtiqueta = 0, columnaBuit = 0;
};
MidesTaulaPt CalculaMidesTaula(const MidesFull& m);

inline constexpr float ColumnaMesEstretaPt = 8.0f;

// File names: every document and template is a .docx.
QString LletraOrientacio(bool horitzontal);
QString NomPlantillaBlanca(std::int32_t model, const QString& sufix, bool horitzontal);   // blanc1617H.docx
QString NomPlantillaPagina(std::int32_t model, const QString& sufix, bool horitzontal);   // plantilla1617H.docx
QString NomDocumentSortida(std::int32_t model, const QString& sufix, bool horitzontal);   // KOVEL1617H.docx
inline const QString NomCopiaPlantilla = QStringLiteral("TOLV_tmp.docx");
inline const QString NomCopiaDisseny = QStringLiteral("TOLV_temp2.docx");
inline const QString NomBlancGeneral = QStringLiteral("Blanc.docx");

} // namespace generar_doc

namespace generar_doc {

// What the row and column sizing needs of one table: sizes are set in points and read
// back as the document stores them, so the drift of its grid is carried into the next one.
class MidesTaula {
public:
    virtual ~MidesTaula() = default;
    virtual std::int32_t nombreFiles() const = 0;
    virtual void fixaAlcadaFila(std::int32_t fila, float pt) = 0;      // height rule "exactly"
    virtual float alcadaFila(std::int32_t fila) const = 0;
    virtual void fixaAmpladaCella(std::int32_t fila, std::int32_t columna, float pt) = 0;
    virtual float ampladaCella(std::int32_t fila, std::int32_t columna) const = 0;
    virtual void fixaAmpladaColumna(std::int32_t columna, float pt) = 0;
    virtual float ampladaColumna(std::int32_t columna) const = 0;
};

// Sets the width of every cell of the column and returns the width read back minus expected.
float FixaAmpladaColumna(MidesTaula& taula, std::int32_t columna, float amplada, float esperada);

// Row heights of rows primeraFila .. primeraFila + files - 1 (1-based) and every column width.
void FixaAlcadesFiles(MidesTaula& taula, const MidesFull& m, const GeometriaTaula& g, std::int32_t primeraFila);
void FixaAmpladesColumnes(MidesTaula& taula, const MidesFull& m, const GeometriaTaula& g);

} // namespace generar_doc
