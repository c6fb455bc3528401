#pragma once
// Barcode pictures in the design and the field-linked barcodes that the generator remakes
// for every record.
#include "platform/barcode/ActiveBC.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace kovel::word { class Range; }

// Field-linked barcodes inserted since the program started: one configured control and
// one tag ("n_field") each, item n-1 for the tag's n. Only appended to.
extern std::vector<std::unique_ptr<kovel::barcode::ActiveBC>> ClonsBarres;
extern QStringList EtiquetesBarres;

namespace CodiBarres {

// The n-th clone as tags count (from 1); nullptr when there is none.
kovel::barcode::ActiveBC* Clon(int n);

// The bitmap file of a tag: tmp folder, "imatge_camp_", the tag and ".bmp". The tag is
// made safe for a file name first (only letters, digits, "-" and "_" kept, at most 100
// characters), so a field name cannot reach outside the tmp folder.
QString FitxerImatge(const QString& tag);
QString NomSegurFitxer(const QString& tag);

// Draws `barcode` and inserts it at `selection` as an inline picture. Width 0: the
// width is the control's MinBarcodeWidth and the height width / 2.5, exchanged for 90º and
// 270º; otherwise the given sizes are used (pixels at 96 dpi; the picture is shown at that
// resolution). Writes the bitmap file of the tag, sets the alternative text ("TOLV_barres",
// "TOLV_barres_" + tag, or `altText` when not empty) and hands the sizes back.
// When the control cannot encode its text nothing is inserted, the sizes are left alone,
// `motiu` (when given) says why and the result is false. A file or document failure
// raises kovel::barcode::BarcodeError.
bool InserirImatgeCodi(kovel::word::Range& selection, const QString& tag,
                       kovel::barcode::ActiveBC& barcode, const QString& spare,
                       float& height, float& width, const QString& altText,
                       QString* motiu = nullptr);

// Copies the 23 settings of one barcode (text, type, colours, font, options).
void CopiarPropietats(const kovel::barcode::ActiveBC& source, kovel::barcode::ActiveBC& destination);

// Sample value of a field for the dialog: from the wizard for the Excel and Access hosts;
// `textFix` for any other host.
QString ValorCamp(const QString& camp, const QString& textFix);

// Registers a field-linked barcode: a clone of `dialogControl` with the tag
// n + "_" + field (also put in the dialog control's Tag). Returns the clone.
kovel::barcode::ActiveBC& RegistrarClon(kovel::barcode::ActiveBC& dialogControl, const QString& camp);

} // namespace CodiBarres
