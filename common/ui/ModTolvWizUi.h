#pragma once
// The runtime services of the wizard that need the desktop: the hourglass and shell open.
#include <QString>
#include <QUrl>
#include <functional>

namespace ModTolvWiz {

// True: the hourglass (one level of override cursor, set once however often it is asked);
// False: back to the default pointer. Does nothing without a GUI application.
void Puntero_Espera(bool espera);
// Whether the hourglass is up.
bool PunteroEsperaActivo();

// Opens a file, a "mailto:" link or a web address with the desktop's handler. The result
// is not examined, as callers expect.
void Abre_Documento(const QString& target);

// The address Abre_Documento hands to the desktop: "mailto:" links and addresses with a
// scheme as they stand, "www." addresses over http, anything else a file ("\\" or "/",
// relative to the current folder).
QUrl AdrecaDocument(const QString& target);

// What Abre_Documento calls; tests put their own in place. An empty function restores the
// desktop's handler (QDesktopServices).
using ObridorShell = std::function<bool(const QString& target)>;
void setObridorShell(ObridorShell opener);

} // namespace ModTolvWiz

namespace kovel::ui {
// Puts the message box and pop-up windows behind mod_rvtMsgBox::rvtMsgBox and
// Portapapers::MissatgePopUp. Linking kovel_common_ui does it already; programs may call
// it at start-up to be explicit.
void InstalarFinestresMissatge();
} // namespace kovel::ui
