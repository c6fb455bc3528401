#pragma once
// The design panel: the label's design document and the per-cell designs of a sheet whose
// labels differ, over the format's base document; the fields of the chosen source and, on the
// spreadsheet's host, the worksheet's rows. The state owns the design: whoever shows it (the
// design frame) is given the document to edit and hands the edits back.
#include "documents/DissenyCaselles.h"
#include "wizard/panels/Pas.h"

#include <QStringList>

#include <memory>

namespace kovel::word {
class Document;
}

namespace kovel::wizard {

class PasDisseny : public Pas {
public:
    explicit PasDisseny(EstatAssistent& estat);
    ~PasDisseny() override;

    // The design as the choices ask for it, and the source's fields.
    void Llenar() override;
    // Away from the word processor's host the design needs a field.
    bool Validar(Avis& avis) override;

    // The design follows the format, its orientation and the kind of sheet: when one of them
    // changed since the design was made for them (or there is no design yet) it starts afresh
    // on a new base document, its cells emptied. The one place that decides it.
    void preparaDisseny();
    // The design stands for the choices as they are now (a restored design for what it restored).
    void anotaTria();
    // Reads a saved document as the design. One that cannot be read is said, naming the file,
    // and the format's blank label takes its place; false then.
    bool ObreDisseny(const QString& cami);
    // The design `cami` cannot be had: said, naming it, and the format's blank label shown.
    void DissenyIllegible(const QString& cami);
    // The design with the editor's latest changes; nullptr before any.
    kovel::word::Document* disseny();
    // The design panel's title: the first caption, a blank and the format's reference.
    QString TitolDisseny(const QString& titolBase);

    // ---- Cells of a sheet whose labels differ ----
    // The folder of the cells' documents: "tmp/caselles/" of the data folder, created.
    QString carpetaCaselles();
    // The design is saved as the cell shown, when it changed since.
    void DesaCasellaActual();
    // Shows cell n: its saved document, or a blank label of the format when it has none or
    // it cannot be read (said, naming the file).
    void CanviaCasella(std::int32_t n);
    // A fresh base document, and every cell emptied.
    void BuidaCaselles();

    std::int32_t NumColumnasHoja = 0;
    std::int32_t NumFilasHoja = 0;
    std::int32_t UltimaFilaHoja = 0;
    std::int16_t TotalCampos = 0;
    bool CamposDeTabla = false;
    QStringList mnuCampo;
    QString TituloDiseno;
    // The worksheet's row of column titles, the one the rows to print start after; 0 when
    // its first row is a record (or the source is no worksheet).
    std::int32_t FilaTitols = 0;
    std::int32_t IndexDocumentBase = -1;
    QString ClauDocumentBase;
    seleccionador_ABCD::Caselles caselles;

private:
    // The design becomes `doc`, standing for file `cami`, and is shown.
    void posa(std::unique_ptr<kovel::word::Document> doc, const QString& cami);
    // The format's blank label as the design; false (logged) when it cannot be made.
    bool documentBase();
    // Whether the first row `r1` of the worksheet's used range heads its columns.
    bool esCapcalera(std::int32_t r1, std::int32_t r2);

    std::unique_ptr<kovel::word::Document> disseny_;
    // The design changed since it was shown or saved as its cell.
    bool canviat_ = false;
};

} // namespace kovel::wizard
