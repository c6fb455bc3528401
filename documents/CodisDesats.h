#pragma once
// The field-linked barcodes and QR codes of a saved design. A run numbers its codes as the
// code dialogs make them ("TOLV_barres_3_Name", "TOLV_qr_4_1" for QR data template 1), so a
// design keeps its own numbering: saving renumbers the tags of its documents from 1 (and its
// templates from 0) and writes the codes' settings to "codis.ini" in the design's folder;
// opening registers each stored code as a new code of the run and renumbers the documents'
// tags to the run's numbers. Nothing depends on what another run kept in memory.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace kovel::word {
class Document;
}

namespace guardar {

using Propietats = QList<QPair<QString, QString>>;

// A code's tag in a picture's alternative text: "TOLV_barres_" or "TOLV_qr_", the number,
// "_" and the rest (a field, or for a QR data template the template's number).
struct EtiquetaCodi {
    bool qr = false;
    std::int32_t n = 0;
    QString resta;
    bool operator==(const EtiquetaCodi&) const = default;
};
std::optional<EtiquetaCodi> EtiquetaDe(const QString& textAlternatiu);
QString TextAlternatiu(const EtiquetaCodi& e);
// A QR code of a data template: its rest is a number.
bool EsPlantilla(const EtiquetaCodi& e);

// One code as a design keeps it: its tag in the design, the data template of a template
// QR code, and the control's settings by name.
struct CodiDesat {
    EtiquetaCodi etiqueta;
    QString plantilla;
    Propietats propietats;
    bool operator==(const CodiDesat&) const = default;
};

struct CodisDisseny {
    Propietats general;   // the QR character set of the run (options and data prefix)
    QList<CodiDesat> codis;
    bool operator==(const CodisDisseny&) const = default;
};

inline constexpr const char* NomFitxerCodis = "codis.ini";
// Bounds of a codes file: it is read from the user's folder and trusted no further.
inline constexpr qsizetype MidaMaximaCodis = 1024 * 1024;
inline constexpr int MaximCodis = 1000;
inline constexpr int MaximPropietats = 64;

// A readable text: "[general]", then "[barres n]" / "[qr n]" sections of "key=value" lines;
// backslash, line breaks and tabs in values are escaped.
QByteArray EscriuCodis(const CodisDisseny& c);
// False, with a message naming `nomFitxer` and the line, for anything the writer would
// not have written (unknown lines, repeated or out-of-range numbers, too many entries).
bool LlegeixCodis(QByteArrayView dades, const QString& nomFitxer, CodisDisseny& c, QString& error);

// Every code tag of the document, in document order.
QList<EtiquetaCodi> EtiquetesCodis(kovel::word::Document& doc);
// Gives each code picture the tag `canvi` returns for it (none: left as it is). True when
// a tag changed.
bool RenumeraCodis(kovel::word::Document& doc,
                   const std::function<std::optional<EtiquetaCodi>(const EtiquetaCodi&)>& canvi);

// The codes of the run (the code dialogs' collections), as a design is saved and opened.
class CodisExecucio {
public:
    virtual ~CodisExecucio() = default;
    // The settings of the run's code with this tag; none when the run has no such code.
    virtual std::optional<CodiDesat> exporta(const EtiquetaCodi& e) = 0;
    // Registers a stored code as a new one of the run; its tag in the run, or none with
    // `error` when the settings cannot be taken.
    virtual std::optional<EtiquetaCodi> importa(const CodiDesat& c, QString& error) = 0;
    virtual Propietats general() = 0;
    virtual void setGeneral(const Propietats& p) = 0;
};

// The numbering of a design: the run's tags of `etiquetes` (in the order found) to the
// design's own, barcodes and QR codes each from 1, templates from 0.
QList<QPair<EtiquetaCodi, EtiquetaCodi>> NumeracioDisseny(const QList<EtiquetaCodi>& etiquetes);

} // namespace guardar
