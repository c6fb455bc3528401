#pragma once
// What the generator reads of the user's choices. The print mode fills it now; the wizard
// window fills it from its controls. Folders default to the program's own.
#include "codes/EspaiLinia.h"
#include "common/HostProfile.h"
#include "documents/FontDades.h"

#include <QSizeF>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace kovel::word {
class Document;
class Range;
}
struct Cataleg;

namespace generar_doc {

// The field-linked barcodes and QR codes of the run (made by the code dialogs), as the
// placeholder replacement uses them. Numbers and indices are those written in the
// pictures' alternative texts.
class CodisGeneracio {
public:
    virtual ~CodisGeneracio() = default;
    // Barcode `n` made for `valor`, put in place of the (empty) range `lloc`, its picture
    // carrying `textAlternatiu`.
    virtual void inserirCodiBarres(kovel::word::Range& lloc, std::int32_t n, const QString& camp,
                                   const QString& valor, const QString& textAlternatiu) = 0;
    // QR code `n` encoding `dades` (already encoded and prefixed), in place of `lloc`.
    virtual void inserirCodiQR(kovel::word::Range& lloc, std::int32_t n, const QString& s,
                               const QString& dades, const QString& textAlternatiu) = 0;
    // CodiQR.CodificarText.
    virtual QString codificarText(const QString& text) = 0;
    // A record's value for a field-linked QR code, encoded as data that holds no escapes of
    // the QR control. The default: codificarText of the value as it is.
    virtual QString codificarValorQR(const QString& valor) { return codificarText(valor); }
    virtual QString prefixDadesQR() = 0;
    // QR data template `index` (0-based: the number written in the alternative text).
    virtual QString plantillaQR(std::int32_t index) = 0;
    // A QR data template filled with the record: every "[name]" becomes valor(name).
    virtual QString omplirPlantillaQR(const QString& plantilla, const std::function<QString(const QString&)>& valor) = 0;
    // QR code `n`'s values are about to be encoded: the codes that keep character-set options
    // per code take its own from here on.
    virtual void codiQRActual(std::int32_t /*n*/) {}
    // Whether the tag rest `s` of QR code `n` ("n_s") is a data template's number rather than
    // a field's name. The default reads any number as a template, as stored designs did.
    virtual bool esPlantillaQR(std::int32_t n, const QString& s);
    // The rooms the next code's placeholder has on its label (points); none: no limit. A
    // code larger than its line's is drawn smaller to fit.
    virtual void espaiCodi(const std::optional<kovel::codes::EspaiLinia>& /*punts*/) {}
    // Before the first label of a run from a spreadsheet or database.
    virtual void iniciGeneracio() {}
    // The record the next label takes its values from (the worksheet row when `filaFull`, else
    // the record's number from 1), and that label's place: its sheet and its number on it (0:
    // the record fills the whole sheet; 0 for both: not told).
    virtual void registreActual(std::int32_t /*registre*/, bool /*filaFull*/ = false, std::int32_t /*full*/ = 0,
                                std::int32_t /*etiqueta*/ = 0)
    {
    }
    // After the run: the barcode dialog's two public values go back to 0.
    virtual void finalGeneracio() {}
};

class OpcionsGeneracio {
public:
    virtual ~OpcionsGeneracio() = default;

    // The host (default: the one chosen at start-up). Options that still name their host by
    // text override programaOffice() instead; the generator asks host() alone.
    virtual kovel::HostOffice host() const { return kovel::HostDeNom(programaOffice()); }
    virtual QString programaOffice() const;
    // The catalogue the format indices refer to.
    virtual const Cataleg& cataleg() const = 0;
    // The catalogue index of the format selected in the list, −1 when none.
    virtual std::int16_t formatSeleccionat() const = 0;
    // Landscape chosen (opt_Horizontal).
    virtual bool horitzontal() const = 0;
    // One label per record (OpcEtiqpag(0)); otherwise one sheet per record.
    virtual bool unaEtiquetaPerRegistre() const = 0;

    // Spreadsheet host: the texts of the first and last row boxes and the chosen worksheet.
    virtual QString textFilaInicial() const { return {}; }
    virtual QString textFilaFinal() const { return {}; }
    virtual FullDades* fullDades() { return nullptr; }
    // Database host: the chosen table or query opened as a recordset.
    virtual std::unique_ptr<RegistresDades> obreRegistres() { return nullptr; }

    // The label design (the document of the design frame).
    virtual kovel::word::Document* dissenyAllotjat() = 0;

    // Per-cell designs: their number (more than 1: the labels differ), the path of each
    // ("" for a cell never designed), and the save of the cell shown now.
    virtual std::int32_t numCaselles() const { return 0; }
    virtual QString nomCasella(std::int32_t /*i*/) const { return {}; }
    virtual void desaCasellaActual() {}

    // The progress display: set up for the run's sheets once they are known, then one step
    // for the first sheet and one for every sheet added after it. By default they drive the
    // bar bound at start-up (BarraProgreso), which the print mode never has.
    virtual void iniciProgres(std::int32_t passos);
    virtual void avancaProgres();

    // Field-linked codes; nullptr when the design may hold none.
    virtual CodisGeneracio* codis() { return nullptr; }

    // The program folder (documents_base lies in it) and the user's data folder (ends with "/").
    virtual QString carpetaPrograma() const;
    virtual QString carpetaDades() const;
};

} // namespace generar_doc
