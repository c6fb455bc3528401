#pragma once
// A TrueType font made for one document: each code of a label sheet becomes one character
// of it, so the word processor lays out thousands of codes as text instead of pictures.
// Outlines are polygons only; the font is written in memory, deterministically (same
// description, same bytes), and embedded in the .docx obfuscated as the format asks.
#include <QByteArray>
#include <QPoint>
#include <QString>
#include <QUuid>

#include <memory>
#include <utility>
#include <vector>

namespace kovel::word {

// Glyph outlines in font units, y up from the baseline. Contours are closed polygons of
// on-curve points, filled with the non-zero rule; contours of fewer than 3 distinct points
// are dropped.
struct GlifFont {
    std::vector<std::vector<QPoint>> contorns;   // a simple glyph's outlines
    struct Component {
        int glif;                                // index into DescripcioFont::glifs, earlier glyphs only
        QPoint desplacament;
    };
    std::vector<Component> components;           // non-empty: a composite glyph (contorns then empty)
    int avanc = 0;                               // advance width, font units (0..32767)
};

struct DescripcioFont {
    QString familia;          // 1..31 ASCII letters, digits and inner spaces, e.g. "Kovel Codis 3FA2"
    int unitatsEm = 2048;     // unitsPerEm, 16..16384
    int ascendent = 0;        // > 0, font units (line box above the baseline)
    int descendent = 0;       // >= 0, font units (below the baseline)
    // Glyph i of this vector is glyph index i+1 of the font; index 0 is an empty .notdef.
    std::vector<GlifFont> glifs;
    // BMP code point (Private Use Area U+E000..U+F8FF, each at most once) -> index into glifs.
    std::vector<std::pair<char16_t, int>> caracters;
};

// The font file (TrueType, 'glyf' outlines). WordError when the description cannot be held:
// a coordinate or bounding box outside int16, more than 65,000 glyphs, a component that
// refers to itself, to a later or a missing glyph, a bad family name or metrics, a code
// point outside the Private Use Area or mapped twice.
QByteArray FontTrueType(const DescripcioFont&);

// The same built glyph by glyph: each glyph is written out as it is added, so a merge's
// fonts are never held as outlines. WordError as above, from the call that meets the fault.
class ConstructorFont {
public:
    ConstructorFont(const QString& familia, int unitatsEm, int ascendent, int descendent);
    ~ConstructorFont();
    ConstructorFont(const ConstructorFont&) = delete;
    ConstructorFont& operator=(const ConstructorFont&) = delete;
    ConstructorFont(ConstructorFont&&) noexcept;
    ConstructorFont& operator=(ConstructorFont&&) noexcept;

    int Afegeix(const GlifFont& glif);      // its index, from 0, for components and characters
    void Mapa(char16_t codi, int glif);
    int NombreGlifs() const;
    QByteArray Font();   // once: the glyphs go into the file
    // The same in pieces (the first at least 32 bytes long), without putting them together.
    std::vector<QByteArray> FontEnTrossos();

private:
    struct Dades;
    std::unique_ptr<Dades> d_;
};

// An embedded font as a .docx keeps it: the first 32 bytes XORed with the key made from the
// GUID (its 16 bytes in reverse order of its string form), which the document names as the
// font's key. Applying it twice gives the font back. WordError when the font is shorter
// than 32 bytes.
QByteArray FontOfuscada(QByteArray ttf, const QUuid& clau);

} // namespace kovel::word
