#pragma once
// The room a code put at the design frame's selection has on its label: what the generation
// gives a record's code there (EspaiCodi), the selection's content gone as the code replaces it.
#include "documents/Geometria.h"
#include "platform/docframe/Pont.h"

#include <QSizeF>

#include <optional>

class QTextCursor;
class QTextDocument;

namespace modDsoFraWord {

// `text` is the frame's editor document over `pont`, `seleccio` its selection; `m` the label.
std::optional<QSizeF> EspaiCodiSeleccio(const kovel::docframe::Pont& pont, const QTextDocument& text,
                                        const QTextCursor& seleccio, const generar_doc::MidesFull& m);

} // namespace modDsoFraWord
