#pragma once
// The special label types file "special.uni" and the small list routines the wizard window
// offers the rest of the program. Plain code: the window passes its lists and boxes.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <stdexcept>

// One record of "special.uni": 284 bytes, a 16-bit number, five texts of 50 characters
// (Windows-1252, blank-padded) and 32 bytes kept as read. Nothing in the program reads the
// fields; they are kept as the file holds them.
struct TipoEspecial {
    std::int16_t Numero = 0;
    std::array<QString, 5> Textos;
    QByteArray Datos;   // 32 bytes
};

inline constexpr int LongitudTipoEspecial = 284;

// The table of one load, numbered from 0, and its count. The table always holds one spare
// element past the last record, as the program has always kept it. Start-up owns the
// program's (ArrencadaAssistent).
struct TaulaTiposEspeciales {
    QList<TipoEspecial> TiposEspeciales;
    std::int16_t NumTiposEspeciales = 0;
};

namespace kovel::wizard {

// The runtime's "Invalid procedure call or argument" (error 5).
struct ErrorArgumentInvalid : std::invalid_argument {
    ErrorArgumentInvalid() : std::invalid_argument("Invalid procedure call or argument") {}
};

// Reads "special.uni" from the program folder (or from `carpeta`) into `taula`. False with
// `mensaje` set when the file is missing (literal 1 naming the full path) or cannot be read;
// the table is then empty. A partial record at the end is not a record. The file is never
// left open.
bool Cargar_Tipos_Especiales(TaulaTiposEspeciales& taula, QString& mensaje);
bool Cargar_Tipos_EspecialesDe(TaulaTiposEspeciales& taula, const QString& carpeta, QString& mensaje);

// Both field lists (LstCampos(0) and LstCampos(1)) become the first `totalCampos` names of
// `camposLista`, in order.
void Actualitza_Llista(const QStringList& camposLista, int totalCampos, QStringList& lstCampos0,
                       QStringList& lstCampos1);

// Replaces the first occurrence of `buscat` in `text`, found without regard to case, by
// `reemplac`. ErrorArgumentInvalid when it does not occur.
void sustituye(QString& text, const QString& buscat, const QString& reemplac);

// Proposes a free name for a list document in `txtOtraUbicacion` when it is empty: literal
// 15 and the first number 1, 2, ... for which "<documents>/<name><n>.docx" does not exist.
// The documents folder is ModReg::CarpetaPersonal unless given.
void PreparaNombreLista(QString& txtOtraUbicacion);
void PreparaNombreListaEn(const QString& carpetaDocuments, QString& txtOtraUbicacion);

// The items of list `a` at the ascending 1-based item numbers of list `b`, joined by the
// separator in b's order; "" when either is empty. Both lists are separated by the system's
// list separator (or `separador`). A number past a's last item ends the result there.
void Combina_Lista(const QString& a, const QString& b, QString& resultat);
void Combina_Lista(const QString& a, const QString& b, QString& resultat, QChar separador);

// Has no effect.
void Actualitza_Camps(const QString& text);

} // namespace kovel::wizard
