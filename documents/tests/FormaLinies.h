#pragma once
// A generated sheet turned into the form that keeps a design's margins with spacer lines: every
// label cell's paddings back to 0 and, at the head of its first paragraph, the lines that the
// design's margins make. What the measures and the LibreOffice check compare against.
#include "documents/generar_doc.h"

namespace proves {

// Returns the number of label cells changed (the filled ones among the odd rows and columns
// of every table when the sheet has gaps, among every cell when it has none).
inline int AFormaLinies(kovel::word::Document& doc, const kovel::word::PageSetup& paginaDisseny,
                        const generar_doc::GeometriaTaula& g)
{
    using namespace kovel::word;
    auto disseny = Document::create();
    disseny->setPageSetup(paginaDisseny);
    Table unaCella(1, 1, Points(10));
    generar_doc::MargesALinies(unaCella.cell(0, 0), *disseny);
    std::vector<Inline> linies;
    for (const FloatingLine* l : disseny->floatingLines())
        linies.emplace_back(*l);
    int etiquetes = 0;
    for (Block& b : doc.body().blocks) {
        if (!b.isTable())
            continue;
        Table& taula = b.table();
        for (int f = 0; f < taula.rowCount(); f += g.pasFila)
            for (int c = 0; c < taula.columnCount(); c += g.pasColumna) {
                Cell& cella = taula.cell(f, c);
                // A label left empty (the last sheet's) never had the design, nor its lines.
                if (cella.story.blocks.empty() || !cella.story.blocks.front().isParagraph()
                    || (cella.story.blocks.size() == 1 && cella.story.blocks.front().paragraph().items.empty()))
                    continue;
                generar_doc::TreuMargesCella(cella);
                auto& items = cella.story.blocks.front().paragraph().items;
                items.insert(items.begin(), linies.begin(), linies.end());
                ++etiquetes;
            }
    }
    return etiquetes;
}

} // namespace proves
