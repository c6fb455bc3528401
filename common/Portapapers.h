#pragma once
// The clipboard as the program reads it. The functions work on the current clipboard: by
// default an in-process buffer, through which the data sources hand cell texts to the
// generator without touching the user's desktop clipboard; the desktop clipboard
// (common/ui/Portapapers.h) can be made current instead.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace Portapapers {

// Clipboard formats the program names.
inline constexpr std::uint32_t CF_TEXT = 1;
inline constexpr std::uint32_t CF_UNICODETEXT = 13;
inline constexpr std::uint32_t CF_RTF = 0xBF01;

// The error raised by the clipboard functions: number, description and source.
struct Error : std::runtime_error {
    Error(std::uint32_t number, const QString& description);
    std::uint32_t number;
    QString description;
    QString source;   // application name + ".cCustomClipboard"
};
inline constexpr std::uint32_t ErrObrir = 0x80040623;       // "Unable to Open Clipboard."
inline constexpr std::uint32_t ErrNoObert = 0x80040622;     // "Attempt to access the clipboard when clipboard not Open."

// One clipboard: what the functions below need of it.
class Porta {
public:
    virtual ~Porta() = default;
    virtual bool Obrir() = 0;                                  // false: held by someone else
    virtual void Tancar() = 0;
    virtual void Buidar() = 0;
    virtual void PosarText(const QString& text) = 0;           // Unicode text
    virtual void PosarRtf(const QByteArray& rtf) = 0;          // rich text
    // Data of a format: nullopt when the clipboard has none.
    virtual std::optional<QString> Llegir(std::uint32_t format) = 0;
};

// The in-process buffer (the default current clipboard).
Porta& Intern();
// Makes `porta` the current clipboard (nullptr: back to the in-process buffer).
void EstablirPorta(Porta* porta);
Porta& Actual();

// Reads the Unicode text of the current clipboard: opens it, reads format 13, closes it.
// "" when it holds none. The text ends at its first NUL (nothing after it). Error
// ErrObrir when the clipboard cannot be opened.
QString ObtenirText();
bool ObrePortapapers(std::uintptr_t window);
void TancaPortapapers();
// True when data of `format` was read into `text`.
bool LlegirFormat(std::uint32_t format, QString& text);

// Emptying and filling the current clipboard, for the program's own transfers.
void Buidar();
void PosarText(const QString& text);
void PosarRtf(const QByteArray& rtf);

} // namespace Portapapers
