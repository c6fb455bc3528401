#pragma once
// The size a field-linked code of the design is drawn at in the design frame: the size the
// generation gives a record's code of the design's size in that place (EspaiCodi.h,
// codes/MidaCodi.h), so that what stands beside or under a code in the design is what prints.
#include "platform/word/Document.h"

#include <QSizeF>

#include <cstddef>
#include <optional>

namespace kovel::codes { struct RegistreCodis; }

namespace generar_doc {

// The room a label gives its content in a design whose page is the label: the page less its
// margins (usable width and height), in points.
QSizeF CaixaDisseny(const kovel::word::Document& disseny);

// The size, in points, of the design's `index`th picture (in the order of inlinePictures())
// when it is a field-linked code; none for any other picture. The picture is at the size the
// user gave the code; `codis`, the run's codes, gives a barcode's type and so its printable
// minimum (without them, the narrowest of any type).
std::optional<QSizeF> MidaCodiDisseny(const kovel::word::Document& disseny, std::size_t index,
                                      const kovel::codes::RegistreCodis* codis = nullptr);

} // namespace generar_doc
