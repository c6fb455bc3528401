#pragma once
// Data-field placeholders of a design: a picture showing "<field>" whose alternative text
// is "TOLV_camp" and the field's name. Made in memory: no file is named after the field.
#include "platform/word/Document.h"

#include <QString>

namespace modDsoFraWord {

inline const QString PrefixCamp = QStringLiteral("TOLV_camp");

// The placeholder of `camp` drawn in Arial bold italic at `midaPunts`, exactly as large as
// its text, dark on white.
kovel::word::InlinePicture CreaImatgeCamp(const QString& camp, double midaPunts);

} // namespace modDsoFraWord
