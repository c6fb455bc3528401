#pragma once
// The one-document print mode: "/P", "V" or "H", a label number, a blank and a folder. It
// builds the blank label document of that catalogue format without showing the wizard and
// saves it as <folder>/wp_<number>[H].docx.
#include <QString>
#include <cstdint>

namespace ModTolvWiz {

// "/P", then "V" or "H", the label number, a blank and the output folder ("/PH1234 out").
struct ComandaImpressio {
    int modeOrientacio = 0;          // 0 none (acts as vertical), 1 vertical, 2 horizontal
    std::int32_t numeroEtiqueta = 0; // 0 when the text holds no number or it does not fit
    QString carpeta;                 // empty when the line names no folder
    bool horitzontal() const { return modeOrientacio == 2; }
};
ComandaImpressio LlegeixComandaImpressio(const QString& linia);

// folder/wp_001234.docx, "H" before the extension in landscape; numbers from 123456 up are
// written as they stand. The number must be above 0.
QString NomFitxerImpressio(const QString& carpeta, std::int32_t numero, bool horitzontal);

// Runs the print mode for `linia` (the whole command line) and returns the exit status:
// 0 when the document was written. Every failure is told through the message box (the
// program points it at standard error) and leaves no file of its own half-written. A
// relative folder is taken from `carpetaActual` (the folder the program was started in).
int ModoImpresion(const QString& linia, const QString& carpetaActual);

} // namespace ModTolvWiz
