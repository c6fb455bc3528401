#pragma once
// Barcode pictures in the design and the field-linked barcodes that the generator remakes
// for every record.
#include "codes/EspaiLinia.h"
#include "platform/barcode/ActiveBC.h"

#include <QByteArray>
#include <QHash>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace kovel::word { class Range; struct GlyphOutline; }
namespace kovel::codes { struct RegistreCodis; }

namespace kovel::codes {

// A code's picture for the document, made in memory: PNG bytes, their pixel size and the
// size the picture is shown at (pixels at 96 dpi, 0.75 points each).
struct ImatgeCodi {
    QByteArray png;
    QSize pixels;
    float ample = 0;
    float alt = 0;
    // Its module at that size (millimetres); 0 for a picture drawn to a given size.
    double modulMm = 0;
    // The same drawing as one colour's outlines, when it has that form.
    std::shared_ptr<const kovel::word::GlyphOutline> glif;
};

// Pictures made during one generation, by code and value: an identical value is drawn and
// encoded once, and its labels share the bytes (one picture in the package). The bytes are
// shared with the document, not copied.
class MemoriaImatges {
public:
    const ImatgeCodi* Cerca(const QString& clau) const;
    void Desa(const QString& clau, const ImatgeCodi& imatge) { imatges_.insert(clau, imatge); }
    void Buida() { imatges_.clear(); }
    qsizetype Nombre() const { return imatges_.size(); }

private:
    QHash<QString, ImatgeCodi> imatges_;
};

} // namespace kovel::codes

namespace CodiBarres {

// Device pixels a module in a barcode's picture: the code is shown at two pixels of 96 dpi
// a module, so seven make every module whole pixels at 336 dpi of the printed size.
inline constexpr int PixelsModul = 7;

// The picture of `barcode` for printing, in memory. Width 0: the shown size is
// MinBarcodeWidth by MinBarcodeWidth / 2.5 (exchanged for 90º and 270º) and every module is
// PixelsModul pixels; otherwise the given sizes (pixels at 96 dpi) drawn at 3.5 times as
// many pixels. Palette PNG: one bit a pixel for a code in two colours. False, with
// `motiu`, when the code cannot be drawn.
bool FerImatge(const kovel::barcode::ActiveBC& barcode, float width, float height, kovel::codes::ImatgeCodi& imatge,
               QString* motiu = nullptr);

// The n-th clone of `registre` as tags count (from 1); nullptr when there is none.
kovel::barcode::ActiveBC* Clon(kovel::codes::RegistreCodis& registre, int n);

// The bitmap file of a tag: tmp folder, "imatge_camp_", the tag and ".bmp". The tag is
// made safe for a file name first (only letters, digits, "-" and "_" kept, at most 100
// characters), so a field name cannot reach outside the tmp folder.
QString FitxerImatge(const QString& tag);
QString NomSegurFitxer(const QString& tag);

// Draws `barcode` and inserts it at `selection` as an inline picture. Width 0: the
// width is the control's MinBarcodeWidth and the height width / 2.5, exchanged for 90º and
// 270º, shown at `mostrada` when that is given; otherwise the given sizes are used (pixels
// at 96 dpi: the picture is shown at that size, its content drawn for printing by
// FerImatge). Writes the bitmap file of the tag,
// sets the alternative text ("TOLV_barres", "TOLV_barres_" + tag, or `altText` when not
// empty) and hands the sizes back.
// When the control cannot encode its text nothing is inserted, the sizes are left alone,
// `motiu` (when given) says why and the result is false. A file or document failure
// raises kovel::barcode::BarcodeError.
bool InserirImatgeCodi(kovel::word::Range& selection, const QString& tag,
                       kovel::barcode::ActiveBC& barcode, const QString& spare,
                       float& height, float& width, const QString& altText,
                       QString* motiu = nullptr, QSizeF mostrada = QSizeF());

// The generator's barcode of one record: as InserirImatgeCodi with width and height 0, but
// no bitmap file is written and a value drawn before in the generation (same tag, same
// text) takes its picture from `memoria`. `barcode` is a field-linked clone: a value it
// cannot encode is counted for the end of the generation (kovel::codes::NoCodificats). The
// code is drawn at the clone's ModulMm (its own size when 0); one larger than its line's room
// in `espai` (points) is drawn smaller to fit, and one that keeps its line only by leaving
// its module's minimum is placed as kovel::codes::Coloca says and told at the end of the
// generation (kovel::codes::NoLlegibles, TextsMoguts, LiniesFora).
bool InserirImatgeRegistre(kovel::word::Range& selection, const QString& tag, kovel::barcode::ActiveBC& barcode,
                           const QString& spare, const QString& altText, kovel::codes::MemoriaImatges& memoria,
                           QString* motiu = nullptr, const std::optional<kovel::codes::EspaiLinia>& espai = std::nullopt);

// Puts `imatge` at `selection` as an inline picture with `altText`, shown at its size or
// at `mostrada` (pixels at 96 dpi) when that is given.
void InserirImatge(kovel::word::Range& selection, const kovel::codes::ImatgeCodi& imatge, const QString& altText,
                   QSizeF mostrada = QSizeF());

// A record's code placed in `espai` (see InserirImatgeRegistre): inserted, and noted for the
// closing message when it does not keep its line as designed. `valor` names it there.
void InserirAjustada(kovel::word::Range& selection, const kovel::codes::ImatgeCodi& imatge, const QString& altText,
                     const std::optional<kovel::codes::EspaiLinia>& espai, double modulMinimMm, const QString& camp,
                     const QString& valor);

// The size (pixels at 96 dpi) a code of own picture `propia` goes into a design at, where
// `espai` (points) is its room: at `modulMm` a module (0: its own size), made smaller to fit
// as a record's code is (kovel::codes::Encaixa). None, with `motiu` giving its smallest
// printable size and the room, when even that does not fit.
std::optional<QSizeF> MidaDisseny(const kovel::codes::ImatgeCodi& propia, double modulMm, const std::optional<QSizeF>& espai,
                                  double modulMinimMm, QString& motiu);

// Copies the 24 settings of one barcode (text, type, colours, font, options, printed size).
void CopiarPropietats(const kovel::barcode::ActiveBC& source, kovel::barcode::ActiveBC& destination);

// Sample value of a field for the dialog: from the wizard for the Excel and Access hosts;
// `textFix` for any other host.
QString ValorCamp(const QString& camp, const QString& textFix);

// The four quarter turns of a code, as the dialogs list them.
QStringList Orientacions();

// Registers a field-linked barcode in `registre`: a clone of `dialogControl` with the tag
// n + "_" + field (also put in the dialog control's Tag). Returns the clone.
kovel::barcode::ActiveBC& RegistrarClon(kovel::codes::RegistreCodis& registre, kovel::barcode::ActiveBC& dialogControl,
                                        const QString& camp);

} // namespace CodiBarres
