#pragma once
// Pictures with a glyph outline written as characters: while a document's body is written,
// each picture gets a character of a font made for the document; after it, the fonts.
//
// A character stands exactly where the picture stood: its advance is the picture's width,
// and its font's ascent is the picture's height with no descent, so the line around it is
// as high as with the picture. Fonts are grouped by that height (a font has one ascent) and
// hold at most 4,096 characters each, from U+E000 (private use, one UTF-16 unit: a
// character from beyond that plane loses its font in LibreOffice when text follows it).
#include "platform/word/Document.h"
#include "platform/word/FontGlifs.h"

#include <QHash>
#include <QUuid>

#include <array>

#include <optional>
#include <vector>

namespace kovel::word {

class FontsDePictures {
public:
    FontsDePictures();

    struct Caracter {
        QString familia;
        int mitjosPunts = 0;   // the run's size, in half-points
        char16_t codi = 0;
    };
    // The character for a picture shown cx × cy; none when its outline cannot be a glyph
    // (too large for the font's coordinates, or too many points): it stays a picture.
    std::optional<Caracter> Afegeix(const GlyphOutline& g, Emu cx, Emu cy);

    struct Font {
        QString familia;
        QUuid clau;
        std::vector<QByteArray> ofuscada;   // as the package keeps it, in pieces
    };
    std::vector<Font> Fonts();   // once, after the last picture
    bool Buit() const { return grups_.empty(); }

private:
    struct Peca {
        double sx, sy;
        int glif;
    };
    struct FontEnCurs {
        QString familia;
        ConstructorFont constructor;
        QHash<QString, std::vector<Peca>> peces;   // a shared piece's glyphs, by key and scale
        QHash<quint64, int> rectangles;            // a rectangle's glyph, by width and height
        int caracters = 0;
    };
    struct Grup {
        int classe = 0;
        int ascendent = 0;
        std::vector<FontEnCurs> fonts;
    };
    std::vector<Grup> grups_;
    // A picture's character, by its outline and shown size.
    struct Fet {
        quintptr glif;
        qint64 cx, cy;
        bool operator==(const Fet&) const = default;
        friend size_t qHash(const Fet& f, size_t seed = 0) { return qHashMulti(seed, f.glif, f.cx, f.cy); }
    };
    QHash<Fet, Caracter> fets_;
    QString prefix_;
    int nombreFonts_ = 0;
    GlifFont treball_;   // a picture's glyph while it is made
    std::vector<std::array<int, 4>> rectangles_;
};

} // namespace kovel::word
