#include "documents/Geometria.h"

namespace generar_doc {

GeometriaTaula CalculaGeometria(const MidesFull& m)
{
    GeometriaTaula g;
    // Strictly greater: a pitch equal to (or, by a catalogue error, below) the label size
    // leaves no room between labels.
    g.buitHoritzontal = m.pasHorCm > m.amplCm;
    g.buitVertical = m.pasVerCm > m.altCm;
    g.columnesTaula = g.buitHoritzontal ? 2 * m.columnes - 1 : m.columnes;
    g.pasColumna = g.buitHoritzontal ? 2 : 1;
    g.filesPagina = g.buitVertical ? 2 * m.files - 1 : m.files;
    g.pasFila = g.buitVertical ? 2 : 1;
    g.etiquetesFull = std::int32_t(m.columnes) * std::int32_t(m.files);
    return g;
}

PaginaSortida CalculaPaginaSortida(const MidesFull& m, bool horitzontal)
{
    PaginaSortida p;
    p.horitzontal = horitzontal;
    float extraDret = float(m.margeDretMm);
    if (extraDret == 0)
        extraDret = m.margeEsqCm;
    float extraInf = float(m.margeInfMm);
    if (extraInf == 0)
        extraInf = m.margeSupCm;
    const float ample = float(m.columnes - 1) * m.pasHorCm + (m.margeEsqCm + m.amplCm) + extraDret;
    const float alt = float(m.files - 1) * m.pasVerCm + (m.margeSupCm + m.altCm) + extraInf;
    p.amplePt = CentimetersToPoints(ample + 0.05f);
    p.altPt = CentimetersToPoints(alt + 0.05f);
    p.margeEsqPt = CentimetersToPoints(m.margeEsqCm);
    p.margeSupPt = CentimetersToPoints(m.margeSupCm);
    return p;
}

PaginaEtiqueta CalculaPaginaEtiqueta(const MidesFull& m, bool horitzontal)
{
    PaginaEtiqueta p;
    p.horitzontal = horitzontal;
    p.margeHorPt = CentimetersToPoints(m.holguraHorCm);
    p.margeVerPt = CentimetersToPoints(m.holguraVerCm);
    p.altPt = CentimetersToPoints(m.altCm);
    // At least 1.27 cm of text width stays between the side margins.
    if (m.amplCm - 2.0f * m.holguraHorCm >= 1.27f)
        p.amplePt = CentimetersToPoints(m.amplCm);
    else
        p.amplePt = 2.0f * p.margeHorPt + CentimetersToPoints(1.27f);
    return p;
}

MidesTaulaPt CalculaMidesTaula(const MidesFull& m)
{
    MidesTaulaPt t;
    t.filaEtiqueta = CentimetersToPoints(m.altCm);
    t.filaBuit = CentimetersToPoints(m.pasVerCm - m.altCm);
    t.columnaEtiqueta = CentimetersToPoints(m.amplCm);
    t.columnaBuit = CentimetersToPoints(m.pasHorCm - m.amplCm);
    return t;
}

QString LletraOrientacio(bool horitzontal) { return horitzontal ? QStringLiteral("H") : QStringLiteral("V"); }

QString NomPlantillaBlanca(std::int32_t model, const QString& sufix, bool horitzontal)
{
    return QStringLiteral("blanc") + QString::number(model) + sufix + LletraOrientacio(horitzontal) + QStringLiteral(".docx");
}

QString NomPlantillaPagina(std::int32_t model, const QString& sufix, bool horitzontal)
{
    return QStringLiteral("plantilla") + QString::number(model) + sufix + LletraOrientacio(horitzontal) + QStringLiteral(".docx");
}

QString NomDocumentSortida(std::int32_t model, const QString& sufix, bool horitzontal)
{
    return QStringLiteral("KOVEL") + QString::number(model) + sufix + LletraOrientacio(horitzontal) + QStringLiteral(".docx");
}

} // namespace generar_doc

#include <algorithm>

namespace generar_doc {

float FixaAmpladaColumna(MidesTaula& taula, std::int32_t columna, float amplada, float esperada)
{
    const std::int32_t n = taula.nombreFiles();
    for (std::int32_t i = 1; i <= n; ++i)
        taula.fixaAmpladaCella(i, columna, amplada);
    return taula.ampladaCella(1, columna) - esperada;
}

void FixaAlcadesFiles(MidesTaula& taula, const MidesFull& m, const GeometriaTaula& g, std::int32_t primeraFila)
{
    const MidesTaulaPt mides = CalculaMidesTaula(m);
    const std::int32_t darrera = primeraFila + g.filesPagina - 1;
    float d = 0;
    auto fixa = [&](std::int32_t fila, float objectiu) {
        taula.fixaAlcadaFila(fila, std::max(objectiu, 0.0f));
        d = taula.alcadaFila(fila) - objectiu;
    };
    if (g.buitVertical && m.files > 1) {
        taula.fixaAlcadaFila(primeraFila, mides.filaEtiqueta);
        d = taula.alcadaFila(primeraFila) - mides.filaEtiqueta;
        bool buit = true;
        for (std::int32_t fila = primeraFila + 1; fila <= darrera; ++fila, buit = !buit)
            fixa(fila, (buit ? mides.filaBuit : mides.filaEtiqueta) - d);
    } else {
        for (std::int32_t fila = primeraFila; fila <= darrera; ++fila)
            fixa(fila, mides.filaEtiqueta - d);
    }
}

void FixaAmpladesColumnes(MidesTaula& taula, const MidesFull& m, const GeometriaTaula& g)
{
    const MidesTaulaPt mides = CalculaMidesTaula(m);
    float d = 0;
    if (g.buitHoritzontal && m.columnes >= 2) {
        const float ampleEtiqueta = mides.columnaEtiqueta;
        float ampleBuit = mides.columnaBuit;
        float ampleAjustat = ampleEtiqueta;
        if (ampleBuit < ColumnaMesEstretaPt) {
            // A gap narrower than the narrowest column borrows from the label before it,
            // so that the next label still starts on the sheet's pitch.
            ampleAjustat = ampleEtiqueta - (ColumnaMesEstretaPt - ampleBuit);
            ampleBuit = ColumnaMesEstretaPt;
        }
        d = FixaAmpladaColumna(taula, 1, ampleAjustat, ampleAjustat);
        std::int32_t c = 2;
        for (; c < g.columnesTaula; ++c) {
            const float objectiu = (c % 2 == 0 ? ampleBuit : ampleAjustat) - d;
            d = FixaAmpladaColumna(taula, c, std::max(objectiu, ColumnaMesEstretaPt), objectiu);
        }
        // The last label keeps its full width: no gap follows it.
        const float objectiu = ampleEtiqueta - d;
        FixaAmpladaColumna(taula, c, std::max(objectiu, ColumnaMesEstretaPt), objectiu);
    } else {
        for (std::int32_t c = 1; c <= g.columnesTaula; ++c) {
            const float objectiu = mides.columnaEtiqueta - d;
            taula.fixaAmpladaColumna(c, std::max(objectiu, ColumnaMesEstretaPt));
            d = taula.ampladaColumna(c) - objectiu;
        }
    }
}

} // namespace generar_doc
