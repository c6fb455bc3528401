#pragma once
// The program's own message box and the shell pop-up. Both go through one answerer so that
// tests (and a run without a display) script the answers instead of waiting for a person.
#include <QString>
#include <cstdint>
#include <functional>

namespace mod_rvtMsgBox {

enum Style : std::int16_t {
    vbOKOnly = 0, vbOKCancel = 1, vbYesNoCancel = 3, vbYesNo = 4,
    vbCritical = 16, vbQuestion = 32, vbExclamation = 48, vbInformation = 64,
};
enum Result : std::int16_t { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

// Returns 1, 2, 6 or 7.
std::int16_t rvtMsgBox(const QString& prompt, std::int16_t style, const QString& title);

// An answerer replaces the window: it sees every message and returns the button code.
using Answerer = std::function<std::int16_t(const QString& prompt, std::int16_t style, const QString& title)>;
void setAnswerer(Answerer answerer);   // empty function: back to the window
void resetAnswerer();

// The button that Enter presses for a style: 6 (Yes) for the Yes/No groups, else 1 (OK).
std::int16_t BotoPerDefecte(std::int16_t style);

// The one answer when nobody can see the box: the button that commits to nothing. Cancel
// where the box has one, No for Yes and No, OK for a box with OK alone. So a run without a
// person neither starts what a question offers nor repeats an attempt for ever.
std::int16_t RespostaSensePersona(std::int16_t style);

// True when a box can be shown: a widget application on a real display (not the
// "offscreen" or "minimal" platforms). Without one, and without an answerer, a message is
// written to stderr and RespostaSensePersona is the answer, so nothing blocks.
bool PantallaUsable();
// No box is shown from now on, even on a display (the print mode): every message goes to
// stderr with RespostaSensePersona. An answerer set by a test still comes first.
void setSensePersona(bool senseFinestra);

// The windows behind rvtMsgBox and MissatgePopUp; installed by kovel_common_ui
// (kovel::ui::InstalarFinestresMissatge), which every program with windows links.
using Finestra = std::int16_t (*)(const QString& prompt, std::int16_t style, const QString& title);
void setFinestres(Finestra messageBox, Finestra popUp);

} // namespace mod_rvtMsgBox

namespace Portapapers {
// The pop-up used where the message box cannot be; same answerer as the message box.
std::int16_t MissatgePopUp(const QString& text, std::int16_t style, const QString& title);
} // namespace Portapapers
