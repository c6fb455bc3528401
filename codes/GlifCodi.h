#pragma once
// A code's drawing as outlines of one colour, for documents that carry their codes as
// characters of an embedded font (see kovel::word::GlyphOutline). Only a drawing that is
// the same on paper as a glyph has one: every shape and the text in one colour, over no
// background or a white one (the paper's).
#include "codes/ImatgeEmf.h"
#include "platform/word/Document.h"

#include <memory>

namespace kovel::codes {

// The shapes and texts of an EMF picture of `pixels`; nullptr when there is no glyph form.
std::shared_ptr<const kovel::word::GlyphOutline> Glif(QSize pixels, std::optional<QRgb> fons,
                                                       const std::vector<std::pair<QRgb, QPainterPath>>& capes,
                                                       const TextsEmf* texts);
// Rectangles of one colour (a QR code's modules).
std::shared_ptr<const kovel::word::GlyphOutline> Glif(QSize pixels, std::optional<QRgb> fons, QRgb color,
                                                       const std::vector<QRectF>& rectangles);

} // namespace kovel::codes
