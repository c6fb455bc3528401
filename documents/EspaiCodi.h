#pragma once
// The room a field-linked code has on its label, so that a record's code larger than the
// design's sample is drawn to fit instead of being cut at the label's edge.
#include "codes/EspaiLinia.h"
#include "documents/Geometria.h"
#include "platform/word/Document.h"

#include <QSizeF>

#include <optional>

namespace generar_doc {

// The room a label cell gives its content: the table's cell (no wider or taller than the
// design's page) less the design's margins. One rule for the generation, the code dialogs and
// the design frame, whose label is the design's page.
QSizeF CaixaEtiqueta(const MidesFull& m, const kovel::word::Document* disseny);
QSizeF CaixaEtiqueta(const QSizeF& cella, const kovel::word::Document* disseny);

// The room of the code to be put at `lloc` (a place of `copia`'s body) in a label of
// `caixa`: what the other lines leave, as the word processor will lay them out in the fonts
// it draws (MetricaLletra.h), on the safe side. The text on the code's own line stays beside
// it, never wrapped below: the code's width is the line less that text, none when the text
// fills it (the code then does not fit: Encaixa says so). None without a box.
std::optional<QSizeF> EspaiCodi(const kovel::word::Document& copia, const kovel::word::Range& lloc,
                                const std::optional<QSizeF>& caixa);
// The same place's rooms for a record's code: that line as designed (EspaiCodi), the code on
// a line of its own (the text beside it above and below it, every line on the label), and the
// code itself whole (under the lines above it, those below it past the label's foot).
std::optional<kovel::codes::EspaiLinia> EspaisCodi(const kovel::word::Document& copia, const kovel::word::Range& lloc,
                                                   const std::optional<QSizeF>& caixa);

} // namespace generar_doc
