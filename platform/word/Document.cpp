#include "platform/word/Document.h"

namespace kovel::word {

WordError::WordError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

} // namespace kovel::word
