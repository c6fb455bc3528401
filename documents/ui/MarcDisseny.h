#pragma once
// The hosted design document on the wizard: the frame shows the design it is given and hands
// back what the user changed; the one-page guard, the frame's size and the field placeholders.
// The design itself, its base document and its cells belong to the wizard's state.
#include "documents/DissenyCaselles.h"
#include "platform/docframe/ui/MarcDocument.h"

#include <QString>

#include <functional>
#include <memory>

namespace kovel::codes { struct RegistreCodis; }

class QTimer;
class QWidget;

namespace modDsoFraWord {

// The design frame of one wizard window and its guard; owned by the window that owns the frame.
class MarcDisseny {
public:
    // The frame and the guard's timer of the wizard window; `codis`, the run's codes, give a
    // field-linked code's printable minimum (it outlives the frame).
    void Enllaca(kovel::docframe::MarcDocument* marc, QTimer* timerEvitar2pags,
                 const kovel::codes::RegistreCodis* codis = nullptr);
    kovel::docframe::MarcDocument* Marc() const { return marc_; }

    // The beep of the one-page guard (the desktop's by default), and the message that then
    // says what was undone and why (the pop-up message by default).
    std::function<void()> Beep;
    std::function<void(const QString&)> AvisDesfet;
    // The frame's width on the design panel, in twips, when the labels of the sheet are alike.
    std::function<int()> KOVEL_AnchoMarcoDocumento = [] { return 11340; };

    MarcDisseny();

    // Shows `doc` to be edited, standing for file `cami`. The guard's timer keeps the state
    // it had.
    void Mostra(const kovel::word::Document& doc, const QString& cami);
    // The document as the user changed it since it was shown or last handed back; nullptr
    // when nothing changed.
    std::unique_ptr<kovel::word::Document> Edicions();
    int NombrePagines() const;
    // One tick of the guard: what it undid, with one beep and one message (GuardUnaPagina).
    void EvitaDuesPagines();
    // The formatting bar of the frame (what the trimmed command bars became).
    void ConfiguraBarres();

    // The frame's width on the design panel: the full width of the document frame, or, when
    // the labels of the sheet differ, the room beside the sheet of cells. `escala` is the
    // screen scale (1 at 96 dpi).
    void AjustaMidaMarc(QWidget* contenidor, const QWidget* pnlHoja, const QWidget* panelDisseny, bool perCasella,
                        double escala = 1.0);

    // Inserts the placeholder of `camp` at the frame's selection, in the size found there.
    void InsereixImatgeCamp(const QString& camp);

private:
    kovel::docframe::MarcDocument* marc_ = nullptr;
    QTimer* timer_ = nullptr;
    GuardUnaPagina guard_;
};

} // namespace modDsoFraWord
