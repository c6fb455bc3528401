#pragma once
// The hosted design document on the wizard: opening, saving and closing documents in the
// frame, the one-page guard, the frame's size, the base document of a format, the field
// placeholders, and the per-cell designs of a sheet whose labels differ.
#include "platform/docframe/ui/MarcDocument.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QTimer;
class QWidget;

namespace modDsoFraWord {

// The frame and the guard's timer of the wizard window; set once by the window.
void Enllaca(kovel::docframe::MarcDocument* marc, QTimer* timerEvitar2pags);
kovel::docframe::MarcDocument* Marc();

// True only while DesaDocument saves the frame's document.
extern bool DesantDocument;
// True while the saved-designs store saves the design (set by the store's code): the frame's
// saves meanwhile are the program's own.
extern bool DesantDisseny;
// The beep of the one-page guard (the desktop's by default), and the message that then says
// what was undone and why (the pop-up message by default).
extern std::function<void()> Beep;
extern std::function<void(const QString&)> AvisDesfet;

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
int NombrePagines();
// One tick of the guard: a design pushed onto a second page is undone step by step to one
// page, with one beep and one message that names what was undone and why; it stops when
// nothing is left to undo or an undo changes nothing, and then leaves that document alone
// (no beep) until it changes.
void EvitaDuesPagines();
// The formatting bar of the frame (what the trimmed command bars became).
void ConfiguraBarres();

// The base document of catalogue format `index` in its orientation, opened in the frame.
// With `prepared` false it is prepared only when the format or orientation changed. A
// failure shows its message and returns false; the next call tries again.
bool PreparaDocumentBase(int index, bool horitzontal, bool& prepared, const QString& carpetaPrograma);

// The frame's width on the design panel: the full width of the document frame, or, when
// the labels of the sheet differ, the room beside the sheet of cells. `escala` is the
// screen scale (1 at 96 dpi).
extern std::function<int()> KOVEL_AnchoMarcoDocumento;
void AjustaMidaMarc(QWidget* contenidor, const QWidget* pnlHoja, const QWidget* panelDisseny, bool perCasella,
                    double escala = 1.0);

// Inserts the placeholder of `camp` at the frame's selection, in the size found there.
void InsereixImatgeCamp(const QString& camp);

} // namespace modDsoFraWord

namespace seleccionador_ABCD {

extern QStringList NomsCaselles;
extern std::int32_t CasellaActual;
extern std::int32_t NumCaselles;

// The cells folder: "tmp/caselles/" of the data folder, created when missing.
QString CarpetaCaselles();
// A cell never designed; a cell outside the list counts as one.
bool CasellaBuida(std::int32_t n);
void IniciaCaselles(std::int32_t n);
// Saves the frame's document as cell n when it has unsaved changes.
void DesaCasellaActual(std::int32_t n);
// Shows cell n: its document, or a fresh base document of the format.
void CanviaCasella(std::int32_t n, int index, bool horitzontal, const QString& carpetaPrograma);
// A fresh base document, and every cell emptied.
void BuidaCaselles(int index, bool horitzontal, const QString& carpetaPrograma);

} // namespace seleccionador_ABCD
