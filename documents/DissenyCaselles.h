#pragma once
// The rules of the design frame that need no window: the per-cell designs of a sheet whose
// labels differ, and the one-page guard's decisions over the frame's bridge.
#include "platform/docframe/Pont.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QTextDocument;

namespace seleccionador_ABCD {

// The design file of each cell ("" for a cell never designed) and the cell shown now.
class Caselles {
public:
    QStringList NomsCaselles;
    std::int32_t CasellaActual = 0;
    std::int32_t NumCaselles = 0;

    // The cells folder, ending with "/"; empty: "tmp/caselles/" of the data folder.
    QString Carpeta;

    // The cells folder, created when missing.
    QString CarpetaCaselles() const;
    // Where cell n's design is saved.
    QString CamiCasella(std::int32_t n) const;
    // A cell never designed; a cell outside the list counts as one.
    bool CasellaBuida(std::int32_t n) const;
    void IniciaCaselles(std::int32_t n);
    // The frame's document is saved as cell n only when there is one with unsaved changes.
    static bool CalDesar(bool teDocument, bool desat, std::int32_t n) { return teDocument && !desat && n >= 0; }
    // Cell n's design was saved to `path`; a cell outside the list is not recorded.
    void Desada(std::int32_t n, const QString& path);
    // Every cell emptied and no cells counted; the files in the cells folder are removed.
    void Buida();
};

} // namespace seleccionador_ABCD

namespace modDsoFraWord {

// One-page guard: a design pushed onto a second page is undone step by step to one page;
// it stops when nothing is left to undo or an undo changes nothing, and then leaves that
// document alone until it changes.
class GuardUnaPagina {
public:
    // What a tick did: the undo steps taken and, when any, the message that names them.
    struct Resultat {
        int desfets = 0;
        QString missatge;
    };
    // `desfes` takes one undo step of the editor over `text`, false when there was none.
    Resultat Revisa(const kovel::docframe::Pont& pont, QTextDocument& text, const std::function<bool()>& desfes);

    // What a design holds that the user can tell apart: characters and pictures.
    struct Contingut {
        int caracters = 0;
        int imatges = 0;
    };
    static Contingut Compta(const QTextDocument& text);
    // The user's words for what was taken back between `abans` and `despres`.
    static QString TextDesfet(const Contingut& abans, const Contingut& despres);

private:
    bool guardant_ = false;
    const QTextDocument* docRenuncia_ = nullptr;
    int revisioRenuncia_ = -1;
};

} // namespace modDsoFraWord
