#pragma once
// The hosted design document on the wizard: opening, saving and closing documents in the
// frame, the one-page guard, the frame's size, the base document of a format, the field
// placeholders, and the per-cell designs of a sheet whose labels differ.
#include "documents/DissenyCaselles.h"
#include "documents/generar_doc.h"
#include "platform/docframe/ui/MarcDocument.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QTimer;
class QWidget;
struct Cataleg;

namespace modDsoFraWord {

// The design frame of one wizard window, its guard and its cells; owned by the window that
// owns the frame.
class MarcDisseny {
public:
    // The frame and the guard's timer of the wizard window.
    void Enllaca(kovel::docframe::MarcDocument* marc, QTimer* timerEvitar2pags);
    kovel::docframe::MarcDocument* Marc() const { return marc_; }

    // True only while DesaDocument saves the frame's document.
    bool DesantDocument = false;
    // True while the saved-designs store saves the design (set by the store's code): the
    // frame's saves meanwhile are the program's own.
    bool DesantDisseny = false;
    // The beep of the one-page guard (the desktop's by default), and the message that then
    // says what was undone and why (the pop-up message by default).
    std::function<void()> Beep;
    std::function<void(const QString&)> AvisDesfet;
    // The frame's width on the design panel, in twips, when the labels of the sheet are alike.
    std::function<int()> KOVEL_AnchoMarcoDocumento = [] { return 11340; };

    // The per-cell designs of a sheet whose labels differ.
    seleccionador_ABCD::Caselles caselles;

    MarcDisseny();

    // Opens the program's general blank template; the program's folder is never written by
    // the frame. False, with the message, when the template cannot be read.
    bool IniciaMarcDocument(const QString& carpetaPrograma);
    // Opens a document; a failure leaves the frame as it was and is logged. The guard's timer
    // keeps the state it had.
    bool ObreDocument(const QString& path, bool tancaAnterior = true);
    // Saves the frame's document; WordError reaches the caller. The timer is on afterwards
    // and DesantDocument false, on every path.
    void DesaDocument(const QString& path);
    void TancaDocument();
    int NombrePagines() const;
    // One tick of the guard: what it undid, with one beep and one message (GuardUnaPagina).
    void EvitaDuesPagines();
    // The formatting bar of the frame (what the trimmed command bars became).
    void ConfiguraBarres();

    // The base document of format `index` of `cat` in its orientation, opened in the frame.
    // With `prepared` false it is prepared only when the format or orientation changed. A
    // failure shows its message and returns false; the next call tries again.
    bool PreparaDocumentBase(const Cataleg& cat, int index, bool horitzontal, bool& prepared,
                             const QString& carpetaPrograma);

    // The frame's width on the design panel: the full width of the document frame, or, when
    // the labels of the sheet differ, the room beside the sheet of cells. `escala` is the
    // screen scale (1 at 96 dpi).
    void AjustaMidaMarc(QWidget* contenidor, const QWidget* pnlHoja, const QWidget* panelDisseny, bool perCasella,
                        double escala = 1.0);

    // Inserts the placeholder of `camp` at the frame's selection, in the size found there.
    void InsereixImatgeCamp(const QString& camp);

    // Cells (seleccionador_ABCD).
    // Saves the frame's document as cell n when it has unsaved changes.
    void DesaCasellaActual(std::int32_t n);
    // Shows cell n: its document, or a fresh base document of the format.
    void CanviaCasella(const Cataleg& cat, std::int32_t n, int index, bool horitzontal, const QString& carpetaPrograma);
    // A fresh base document, and every cell emptied.
    void BuidaCaselles(const Cataleg& cat, int index, bool horitzontal, const QString& carpetaPrograma);

private:
    kovel::docframe::MarcDocument* marc_ = nullptr;
    QTimer* timer_ = nullptr;
    GuardUnaPagina guard_;
    // The base document last prepared in the frame.
    generar_doc::ClauBase clauBase_;
};

} // namespace modDsoFraWord
