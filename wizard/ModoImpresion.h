#pragma once
// The one-document print mode: "/P", "V" or "H", a label number, a blank and a folder. It
// builds the blank label document of that catalogue format without showing the wizard and
// saves it as <folder>/wp_<number>[H].docx.
#include <QString>

namespace ModTolvWiz {

// Runs the print mode for `linia` (the whole command line) and returns the exit status:
// 0 when the document was written. Every failure is told through the message box (the
// program points it at standard error) and leaves no file of its own half-written. A
// relative folder is taken from `carpetaActual` (the folder the program was started in).
int ModoImpresion(const QString& linia, const QString& carpetaActual);

} // namespace ModTolvWiz
