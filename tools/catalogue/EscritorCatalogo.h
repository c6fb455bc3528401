#pragma once
// Writes the label catalogue files "ETIQSCAP.UNI", "ETIQSEXT.UNI" and "ETIQS.UNI" from records
// in memory, and reads the catalogue's readable source (CSV, one format a line). The build uses
// it to make the program's catalogue; the tests use it to make catalogues of their own.
#include "catalogue/Catalogo.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace kovel::catalogue {

struct Formato {
    EtiquetaCatalogo etiqueta;
    EtiquetaExtendida extension;
    int linea = 0;   // line of the source it came from (0 when made in code)
};

// The field table the program knows, in its own order (no extra field).
QList<CampoCabecera> CamposEstandar();
// Sum of the field sizes: the extension record length of a table.
std::int32_t LongitudCampos(const QList<CampoCabecera>& campos);

// The 602-byte record of one format.
QByteArray RegistroEtiqs(const EtiquetaCatalogo& e);
// The extension record of one format laid out by the field table; fields the program does not
// know are filled with blanks (text) or zeros. `longitud` < 0 takes LongitudCampos(campos).
QByteArray RegistroExtension(const EtiquetaExtendida& x, const QList<CampoCabecera>& campos, std::int32_t longitud = -1);
// The whole "ETIQSCAP.UNI". `numCampos` and `longitud` write other values than the table's
// own into the header (for damaged-file tests).
QByteArray Cabecera(const QList<CampoCabecera>& campos, std::optional<std::int32_t> numCampos = std::nullopt,
                    std::optional<std::int32_t> longitud = std::nullopt);

// Writes the three files into `carpeta` (created when missing). False with a message naming the
// file on failure.
bool EscribeCatalogo(const QString& carpeta, const QList<Formato>& formatos, const QList<CampoCabecera>& campos,
                     QString& error);

// Reads the field table source: one "name,type,size" a line, "#" comments, in file order.
bool LeeCamposCsv(const QString& ruta, QList<CampoCabecera>& campos, QString& error);
// Reads the formats source: a header line naming the columns (any order), then one format a
// line; "#" lines are comments. Every value is checked (types, ranges, text lengths). The
// column "Clases" holds the format's printer class tag (ILC, LC, L, C, I, M or T); it is written
// at the end of the description, in brackets, where the program reads it.
bool LeeFormatosCsv(const QString& ruta, QList<Formato>& formatos, QString& error);

// The checks that a shipped format must pass beyond what the program's loader refuses: labels
// inside the page, pitch at least the label size, the right and bottom margins consistent with
// the page, the page of its paper type, the shown size that of the label, a known paper type and
// shape, a reference whose number is the model number. Returns the problems found, one a line
// ("" when none).
QString CompruebaFormato(const Formato& f);
// CompruebaFormato for every format, and what only the whole catalogue shows: model numbers and
// references used twice, suffixes longer than their field in `campos`. One line per problem,
// each beginning with the format's reference.
QStringList CompruebaCatalogo(const QList<Formato>& formatos, const QList<CampoCabecera>& campos);

} // namespace kovel::catalogue
