#pragma once
// Data-field placeholders of a design: a picture showing "<field>" whose alternative text
// is "TOLV_camp" and the field's name. Made in memory: no file is named after the field.
#include "platform/word/Document.h"

#include <QString>

#include <optional>

namespace modDsoFraWord {

inline const QString PrefixCamp = QStringLiteral("TOLV_camp");

// The placeholder of `camp` drawn in Arial bold italic at `midaPunts`, exactly as large as
// its text, dark on white.
kovel::word::InlinePicture CreaImatgeCamp(const QString& camp, double midaPunts);

// A placeholder put in text of another font size, remade at `midaPunts`; nothing for any other
// picture or for a placeholder already of that size.
std::optional<kovel::word::InlinePicture> ImatgeCampALaLletra(const kovel::word::InlinePicture& imatge, double midaPunts);

} // namespace modDsoFraWord
