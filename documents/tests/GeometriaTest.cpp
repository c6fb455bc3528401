// The sheet's arithmetic: gaps, the table's shape, the page of the output document and of a
// label's design, and the drift correction against a document that rounds what it is given.
#include "documents/Geometria.h"

#include <gtest/gtest.h>
#include <cmath>
#include <map>

using namespace generar_doc;

namespace {

MidesFull Full3x8()   // an A4 sheet of 3 x 8 labels, 7 x 3.5 cm, pitch 7 x 3.5 (no gaps)
{
    MidesFull m;
    m.codi = 1617;
    m.amplCm = 7.0f; m.altCm = 3.5f;
    m.margeEsqCm = 0.0f; m.margeSupCm = 0.85f;
    m.pasHorCm = 7.0f; m.pasVerCm = 3.5f;
    m.files = 8; m.columnes = 3;
    return m;
}

MidesFull FullAmbBuits()   // 2 across, 3 down, gaps both ways
{
    MidesFull m;
    m.amplCm = 8.0f; m.altCm = 5.0f;
    m.margeEsqCm = 1.5f; m.margeSupCm = 1.2f;
    m.pasHorCm = 9.0f; m.pasVerCm = 5.5f;
    m.files = 3; m.columnes = 2;
    m.holguraHorCm = 0.3f; m.holguraVerCm = 0.2f;
    return m;
}

// A table that keeps sizes on the twip grid, optionally adding a fixed excess to every row.
struct TaulaGraella : MidesTaula {
    std::int32_t files = 0;
    float excesFila = 0;
    std::map<std::int32_t, float> alcades;
    std::map<std::pair<std::int32_t, std::int32_t>, float> amplades;
    std::map<std::int32_t, float> columnes;
    std::map<std::int32_t, float> demanat;   // widths asked per column
    static float graella(float pt) { return std::round(pt * 20.0f) / 20.0f; }
    std::int32_t nombreFiles() const override { return files; }
    void fixaAlcadaFila(std::int32_t f, float pt) override { alcades[f] = graella(pt) + excesFila; }
    float alcadaFila(std::int32_t f) const override { return alcades.at(f); }
    void fixaAmpladaCella(std::int32_t f, std::int32_t c, float pt) override { amplades[{f, c}] = graella(pt); demanat[c] = pt; }
    float ampladaCella(std::int32_t f, std::int32_t c) const override { return amplades.at({f, c}); }
    void fixaAmpladaColumna(std::int32_t c, float pt) override { columnes[c] = graella(pt); demanat[c] = pt; }
    float ampladaColumna(std::int32_t c) const override { return columnes.at(c); }
};

} // namespace

TEST(DocumentsGeometria, TableShapeFollowsTheGaps)
{
    GeometriaTaula g = CalculaGeometria(Full3x8());
    EXPECT_FALSE(g.buitHoritzontal);
    EXPECT_FALSE(g.buitVertical);
    EXPECT_EQ(g.columnesTaula, 3);
    EXPECT_EQ(g.filesPagina, 8);
    EXPECT_EQ(g.etiquetesFull, 24);

    g = CalculaGeometria(FullAmbBuits());
    EXPECT_TRUE(g.buitHoritzontal);
    EXPECT_TRUE(g.buitVertical);
    EXPECT_EQ(g.columnesTaula, 3);   // label, gap, label
    EXPECT_EQ(g.filesPagina, 5);     // label, gap, label, gap, label
    EXPECT_EQ(g.pasColumna, 2);
    EXPECT_EQ(g.pasFila, 2);

    MidesFull m = Full3x8();
    m.pasHorCm = 6.9f;   // a pitch below the label size is no gap
    EXPECT_FALSE(CalculaGeometria(m).buitHoritzontal);
}

TEST(DocumentsGeometria, OutputPageIsTheUsedAreaOfTheSheet)
{
    MidesFull m = FullAmbBuits();
    PaginaSortida p = CalculaPaginaSortida(m, false);
    // Without extension margins the right and bottom extras repeat the left and top ones.
    EXPECT_NEAR(p.amplePt, CentimetersToPoints(9.0f + 1.5f + 8.0f + 1.5f + 0.05f), 1e-3);
    EXPECT_NEAR(p.altPt, CentimetersToPoints(2 * 5.5f + 1.2f + 5.0f + 1.2f + 0.05f), 1e-3);
    EXPECT_NEAR(p.margeEsqPt, CentimetersToPoints(1.5f), 1e-4);
    EXPECT_NEAR(p.margeSupPt, CentimetersToPoints(1.2f), 1e-4);

    m.margeDretMm = 0.4;
    m.margeInfMm = 0.7;
    p = CalculaPaginaSortida(m, true);
    EXPECT_TRUE(p.horitzontal);
    EXPECT_NEAR(p.amplePt, CentimetersToPoints(9.0f + 1.5f + 8.0f + 0.4f + 0.05f), 1e-3);
    EXPECT_NEAR(p.altPt, CentimetersToPoints(11.0f + 1.2f + 5.0f + 0.7f + 0.05f), 1e-3);

    m.columnes = 1;   // one column: the pitch does not count
    p = CalculaPaginaSortida(m, false);
    EXPECT_NEAR(p.amplePt, CentimetersToPoints(1.5f + 8.0f + 0.4f + 0.05f), 1e-3);
}

TEST(DocumentsGeometria, LabelPageKeepsTextWidth)
{
    MidesFull m = FullAmbBuits();
    m.amplCm = 3.0f;
    m.holguraHorCm = 1.0f;   // 3 - 2 = 1.0 < 1.27
    PaginaEtiqueta p = CalculaPaginaEtiqueta(m, false);
    EXPECT_NEAR(p.amplePt, 2 * CentimetersToPoints(1.0f) + CentimetersToPoints(1.27f), 1e-3);
    EXPECT_NEAR(p.altPt, CentimetersToPoints(5.0f), 1e-4);
    EXPECT_NEAR(p.margeVerPt, CentimetersToPoints(0.2f), 1e-4);

    m.amplCm = 1.27f + 2.0f * 0.25f;
    m.holguraHorCm = 0.25f;  // exactly 1.27 left: the label's own width
    p = CalculaPaginaEtiqueta(m, true);
    EXPECT_NEAR(p.amplePt, CentimetersToPoints(m.amplCm), 1e-4);
}

TEST(DocumentsGeometria, Names)
{
    EXPECT_EQ(NomPlantillaBlanca(1617, QString(), true), "blanc1617H.docx");
    EXPECT_EQ(NomPlantillaPagina(1617, "A", false), "plantilla1617AV.docx");
    EXPECT_EQ(NomDocumentSortida(42, QString(), false), "KOVEL42V.docx");
    EXPECT_NE(NomDocumentSortida(42, QString(), false), NomDocumentSortida(42, QString(), true));
}

TEST(DocumentsGeometria, RowDriftKeepsLabelsOnThePitch)
{
    MidesFull m = FullAmbBuits();
    m.files = 6;
    const GeometriaTaula g = CalculaGeometria(m);
    TaulaGraella t;
    t.files = g.filesPagina;
    t.excesFila = 0.05f;   // the document applies every height 0.05 pt higher than asked
    FixaAlcadesFiles(t, m, g, 1);
    float y = 0;
    for (std::int32_t f = 1; f <= g.filesPagina; ++f) {
        y += t.alcadaFila(f);
        if (f % 2 == 1) {   // bottom of label row n = (n - 1) * pitch + height
            const int n = (f + 1) / 2;
            EXPECT_NEAR(y, CentimetersToPoints((n - 1) * m.pasVerCm + m.altCm), 0.08) << "row " << f;   // one excess and one rounding, never more
        }
    }
    EXPECT_EQ(t.alcades.size(), size_t(11));
}

TEST(DocumentsGeometria, RowsOfALaterPageInAJoinedTable)
{
    MidesFull m = Full3x8();
    const GeometriaTaula g = CalculaGeometria(m);
    TaulaGraella t;
    t.files = 16;
    FixaAlcadesFiles(t, m, g, 9);
    EXPECT_EQ(t.alcades.size(), size_t(8));
    EXPECT_EQ(t.alcades.begin()->first, 9);
    EXPECT_EQ(t.alcades.rbegin()->first, 16);
}

TEST(DocumentsGeometria, NarrowGapsBorrowFromTheLabelBefore)
{
    MidesFull m;
    m.amplCm = 4.0f; m.altCm = 2.0f; m.pasVerCm = 2.0f;
    m.pasHorCm = 4.0f + 5.0f * 2.54f / 72.0f;   // a 5 pt gap
    m.files = 1; m.columnes = 3;
    const GeometriaTaula g = CalculaGeometria(m);
    ASSERT_EQ(g.columnesTaula, 5);
    TaulaGraella t;
    t.files = 1;
    FixaAmpladesColumnes(t, m, g);
    const float etiqueta = CentimetersToPoints(4.0f);
    EXPECT_NEAR(t.ampladaCella(1, 1), etiqueta - 3.0f, 0.05f);
    EXPECT_NEAR(t.ampladaCella(1, 2), 8.0f, 0.05f);
    EXPECT_NEAR(t.ampladaCella(1, 3), etiqueta - 3.0f, 0.05f);
    EXPECT_NEAR(t.ampladaCella(1, 4), 8.0f, 0.05f);
    EXPECT_NEAR(t.ampladaCella(1, 5), etiqueta, 0.05f);   // the last label keeps its width
    // Every label's left edge stays on the pitch.
    float x = 0;
    for (int c = 1; c <= 5; c += 2) {
        EXPECT_NEAR(x, CentimetersToPoints(m.pasHorCm) * float(c / 2), 0.06f) << "column " << c;
        x += t.ampladaCella(1, c) + (c < 5 ? t.ampladaCella(1, c + 1) : 0.0f);
    }
}

TEST(DocumentsGeometria, ColumnsWithoutGapsNeverBelowEightPoints)
{
    MidesFull m = Full3x8();
    m.amplCm = 0.2f; m.pasHorCm = 0.2f;   // a label narrower than 8 pt
    const GeometriaTaula g = CalculaGeometria(m);
    TaulaGraella t;
    t.files = 8;
    FixaAmpladesColumnes(t, m, g);
    ASSERT_EQ(t.columnes.size(), size_t(3));
    for (auto& [c, w] : t.columnes)
        EXPECT_GE(w, 8.0f) << c;

    // Twip rounding never accumulates over a row of labels.
    m = Full3x8();
    m.amplCm = 6.99f; m.pasHorCm = 6.99f;
    TaulaGraella u;
    u.files = 8;
    FixaAmpladesColumnes(u, m, CalculaGeometria(m));
    float x = 0;
    for (int c = 1; c <= 3; ++c)
        x += u.ampladaColumna(c);
    EXPECT_NEAR(x, 3 * CentimetersToPoints(6.99f), 0.026f);
}

TEST(DocumentsGeometria, OneColumnWithLargePitchHasNoGapColumn)
{
    MidesFull m = FullAmbBuits();
    m.columnes = 1;
    const GeometriaTaula g = CalculaGeometria(m);
    EXPECT_EQ(g.columnesTaula, 1);
    TaulaGraella t;
    t.files = g.filesPagina;
    FixaAmpladesColumnes(t, m, g);
    EXPECT_EQ(t.columnes.size(), size_t(1));   // set through the column, as without gaps
    EXPECT_TRUE(t.amplades.empty());
}
