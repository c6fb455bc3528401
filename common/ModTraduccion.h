#pragma once
// The literals file "LITER.UNI": texts by number or by window and control key.
//
// The file is a run of 766-byte records, no header: a 255-byte key in Windows-1252 padded
// with blanks, then 511 bytes of UTF-16LE text (at most 255 characters, ended by a NUL
// when shorter). Records stand in the order of CompararClaus; look-ups are binary searches.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <initializer_list>
#include <type_traits>

class QWidget;

namespace ModTraduccion {

inline constexpr int MidaClau = 255;      // key bytes of a record
inline constexpr int MidaText = 511;      // text bytes of a record
inline constexpr int MidaRegistre = 766;  // one record
inline constexpr int MaxCaractersText = 255;
inline constexpr int MaxLiterals = 32767; // the table's count is a 16-bit number

bool CarregarLiterals(QString& message);
// Loads from an explicit file (tests, tools); CarregarLiterals uses the program folder.
// Missing file: false, message = path + " Not Found !", table unchanged. A file that ends
// in part of a record keeps the whole records. A record whose text is not valid UTF-16, an
// unreadable file or more than MaxLiterals records: false with a message naming the file;
// the entries read before the fault stay loaded.
bool CarregarLiteralsDe(const QString& path, QString& message);

QString CercarLiteral(const QString& key);
// A text of the program's own: the literal of `key` when the file has it, else `perDefecte`.
QString TextPrograma(const char* key, const QString& perDefecte);

// Text of literal `number` with "%1", "%2"... filled by the arguments (a null QVariant
// gives the empty text) and "\n" turned into a carriage return.
QString LiteralV(int number, const QList<QVariant>& arguments);

template <typename T>
QVariant ArgumentLiteral(const T& value)
{
    if constexpr (std::is_same_v<T, QVariant>)
        return value;
    else if constexpr (std::is_convertible_v<const T&, QString>)
        return QVariant(QString(value));
    else
        return QVariant::fromValue(value);
}
template <typename... Args>
QString Literal(int number, const Args&... args)
{
    return LiteralV(number, QList<QVariant>{ArgumentLiteral(args)...});
}

// Translates a window: caption, character set, reading direction, every control's text.
// (In kovel_common_ui.)
void TraduirFormulari(QWidget* window);

bool ExisteixFitxer(const QString& path);
QString Reemplacar(const QString& text, const QString& search, const QString& replacement, int count);
int BytesAText(QString& text, const QByteArray& bytes);

// ---- The table and the record layout, shared with the literals build tool ----

struct EntradaLiteral {
    QString Clau; // as stored: converted, with its padding
    QString Text; // cut at its first NUL
};

int NumLiterals();
const EntradaLiteral& Entrada(int index); // 0 <= index < NumLiterals()
void BuidarLiterals();                    // empties the table (tests)

// The key as the loader holds it: every 0xF3 byte of its UTF-16LE form becomes 0x6F and
// every 0xA0 byte 0x20 (so "ó" reads "o", a no-break space a blank).
QString ConvertirClau(QString key);
// The update service's name for the same conversion.
inline QString NormalitzarClau(QString key) { return ConvertirClau(std::move(key)); }
// The order of the file and of the search: keys without leading and trailing blanks, in
// upper case, compared byte by byte over UTF-16LE (low byte first); a prefix is smaller.
int CompararClaus(const QString& a, const QString& b);
// The comparison form of a key: trimmed of blanks, each code unit in upper case on its own
// (so the form keeps the key's length).
QString FormaComparacio(const QString& key);

// One 766-byte record; empty, with `error` set, when the key does not fit 255 bytes of
// Windows-1252 or the text does not fit 255 UTF-16 characters.
QByteArray CodificarRegistre(const QString& key, const QString& text, QString* error = nullptr);

} // namespace ModTraduccion
