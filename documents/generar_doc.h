#pragma once
// The generator of the label document: one table per sheet reproducing the catalogue's
// label grid, each label cell filled from the design (or the per-cell designs) and, for a
// spreadsheet or database source, from one record.
#include "documents/Geometria.h"
#include "documents/OpcionsGeneracio.h"

#include "platform/word/Document.h"

#include <QSizeF>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>

namespace generar_doc {

// A failure of the generation that the user is told about (bad index, unreadable design,
// a placeholder that names no code...). Word-layer failures arrive as kovel::word::WordError.
class GeneracioError : public std::runtime_error {
public:
    explicit GeneracioError(const QString& message);
    QString message() const { return message_; }

private:
    QString message_;
};

// Builds the label document for catalogue index `labelNumber` (−1: the format selected in
// the list) and returns it, saved once under its name in the data folder; nullptr when the
// user gave up saving it or the host is none of the three. Every other failure is thrown.
std::unique_ptr<kovel::word::Document> GeneraDocument(std::int16_t labelNumber, OpcionsGeneracio& opcions);

// The measures of format `idx` of catalogue `cat` (GeneracioError outside the catalogue).
MidesFull MidesDeCatalogo(const Cataleg& cat, int idx);

// Whether row `fila` of `full` heads the rows after it, up to `ultima`, in `columnes`: a
// column whose values below are all numbers, or all of one length, while its first cell is
// text of another kind or length, says so, and none says the opposite (a number over
// numbers). Only the first rows below are read, so a large worksheet costs no more.
bool FilaCapcalera(FullDades& full, const QStringList& columnes, std::int32_t fila, std::int32_t ultima);

// ---- The pieces, as the generation uses them (1-based rows and columns) ----

// The output document: the ready-made page template of the format when there is one (its
// working copy TOLV_tmp.docx in the data folder), else a new document whose page is the
// used area of the sheet; saved at once as KOVEL<code><suffix><letter>.docx. A failed save
// asks literal 7030; OK tries again, Cancel (or No) gives nullptr.
std::unique_ptr<kovel::word::Document> CreaDocumentSortida(const MidesFull& m, bool horitzontal,
                                                           OpcionsGeneracio& opcions);

// Adds the table of page `pagina` at the document's selection, borders off, rows of exact
// height and columns of fixed width on the sheet's pitch.
kovel::word::Table& CreaTaulaEtiquetes(kovel::word::Document& doc, const MidesFull& m,
                                       const GeometriaTaula& g, std::int32_t pagina);
void TreuMargesCella(kovel::word::Cell& cell);
void TreuMargesTaula(kovel::word::Table& taula, const GeometriaTaula& g, std::int32_t primeraFila);
// Pages the document's last section spans.
std::int16_t PaginesDarreraSeccio(const kovel::word::Document& doc);

// Turns the design's page margins into invisible spacer lines whose wrap distances keep
// the content off the label's edges, and clears the cell's paddings.
void MargesALinies(kovel::word::Cell& cell, kovel::word::Document& disseny);

// The label cell's paddings that keep a design's content where its page margins, or the
// spacer lines made of them, keep it: each margin less 0.05 cm. The spacer lines are taken
// out of `story`: paddings cost the word processor nothing, while a floating line in every
// label makes a long document crawl.
kovel::word::Paddings MargesDeCella(kovel::word::Story& story, const kovel::word::PageSetup& pagina);
void FixaMargesCella(kovel::word::Cell& cell, const kovel::word::Paddings& marges);

// The text without one trailing CR LF (NULs after it go too).
QString TreuSaltFinal(const QString& text);

// Where the placeholders of one label take their values from.
struct ValorsRegistre {
    FullDades* full = nullptr;          // spreadsheet variant: worksheet and row
    std::int32_t fila = 0;
    RegistresDades* registres = nullptr; // database variant: the current record
};
// Replaces the data-field, barcode and QR placeholders of `copia` by the record's data. The
// codes are sized to the room that `caixa` (a label's, points) leaves them (EspaiCodi.h).
void ReemplacaMarcadors(kovel::word::Document& copia, const ValorsRegistre& valors, CodisGeneracio* codis,
                        const std::optional<QSizeF>& caixa = std::nullopt);


// ---- Blank templates (documents_base) ----

// programa + "/documents_base/", created when missing (a read-only program folder is fine).
QString DirectoriDocumentsBase(const QString& carpetaPrograma);
// The general blank template, found without regard to case.
QString DocumentBlancGeneral(const QString& carpetaPrograma);
// A file of documents_base, found without regard to case ("" when there is none).
QString CercaPlantilla(const QString& carpetaPrograma, const QString& nom);

// Page of one label's design: label size, insets as margins, mirror margins off.
void PreparaPaginaEtiqueta(kovel::word::Document& doc, const MidesFull& m, bool horitzontal);

// The base document of a design for one format: the model's blank template when
// documents_base has one (unchanged), else the general template emptied (its font kept)
// with the page of PreparaPaginaEtiqueta. The copy is written to `carpetaTmp` under the
// template's name (or "0" + name, "1" + name... when an older copy cannot be removed) and
// returned opened.
struct DocumentBase {
    QString cami;
    std::unique_ptr<kovel::word::Document> document;
    bool plantillaModel = false;
};
DocumentBase PreparaDocumentBase(const MidesFull& m, bool horitzontal, const QString& carpetaPrograma,
                                 const QString& carpetaTmp);

} // namespace generar_doc
