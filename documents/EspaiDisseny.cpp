#include "documents/EspaiDisseny.h"

#include "documents/EspaiCodi.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <memory>

namespace modDsoFraWord {

std::optional<QSizeF> EspaiCodiSeleccio(const kovel::docframe::Pont& pont, const QTextDocument& text,
                                        const QTextCursor& seleccio, const generar_doc::MidesFull& m)
{
    const std::unique_ptr<QTextDocument> copia(text.clone());
    QTextCursor c(copia.get());
    c.setPosition(seleccio.anchor());
    c.setPosition(seleccio.position(), QTextCursor::KeepAnchor);
    c.removeSelectedText();
    // The code's paragraph among the body's blocks as the bridge rebuilds them (tables count
    // one block each); none when the code goes into a table.
    int bloc = 0;
    bool alCos = false;
    for (auto it = copia->rootFrame()->begin(); !it.atEnd(); ++it) {
        if (QTextFrame* f = it.currentFrame()) {
            if (!qobject_cast<QTextTable*>(f))
                continue;
            if (c.position() >= f->firstPosition() && c.position() <= f->lastPosition())
                break;
            ++bloc;
        } else if (it.currentBlock().isValid()) {
            if (it.currentBlock() == c.block()) {
                alCos = true;
                break;
            }
            ++bloc;
        }
    }
    const std::unique_ptr<kovel::word::Document> doc = pont.Document(*copia);
    const QSizeF caixa = generar_doc::CaixaEtiqueta(m, doc.get());
    if (!alCos)
        return caixa;   // in a table: the label's room at most, as the generation gives it
    // Where in its paragraph the code goes decides which text stands beside it.
    const int offset = c.positionInBlock();
    const kovel::word::Range lloc(*doc, doc->body(), {bloc, offset}, {bloc, offset});
    return generar_doc::EspaiCodi(*doc, lloc, caixa);
}

} // namespace modDsoFraWord
