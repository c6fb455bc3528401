#include "documents/MetricaLletra.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H

#include <QHash>

#include <algorithm>
#include <map>

namespace generar_doc {

namespace {

// Without a font file a character counts 0.6 of the size, a wide font's average.
constexpr double AmpleSenseFont = 0.6;
// Another rendering of the same font (a synthetic bold above all) draws a little wider.
constexpr double Marge = 1.02;

// One matched font file, opened once a thread: a merge measures the same few dozen
// characters over and over.
struct Cara {
    FT_Face face = nullptr;
    QString fitxer;
    double unitats = 1000;   // font units an em
    MetriquesLinia linia;
    QHash<char32_t, double> avancos;   // in ems
};

class Cares {
public:
    ~Cares() { Buida(); if (lib_) FT_Done_FreeType(lib_); }

    Cara& De(const kovel::word::RunFormat& f)
    {
        const bool negreta = f.bold.value_or(false), cursiva = f.italic.value_or(false);
        const QString nom = f.fontName.value_or(QString());
        const QString clau = nom + (negreta ? QStringLiteral("/b") : QString()) + (cursiva ? QStringLiteral("/i") : QString());
        if (auto it = cares_.find(clau); it != cares_.end())
            return it->second;
        // The fonts of one design are few; a long session does not grow it past this.
        if (cares_.size() >= 64)
            Buida();
        Cara& c = cares_[clau];
        Obre(c, nom, negreta, cursiva);
        return c;
    }

private:
    void Buida()
    {
        for (auto& [clau, c] : cares_)
            if (c.face) FT_Done_Face(c.face);
        cares_.clear();
    }

    void Obre(Cara& c, const QString& nom, bool negreta, bool cursiva)
    {
        if (!lib_ && FT_Init_FreeType(&lib_) != 0) {
            lib_ = nullptr;
            return;
        }
        FcPattern* patro = FcPatternCreate();
        if (!patro)
            return;
        if (!nom.isEmpty())
            FcPatternAddString(patro, FC_FAMILY, reinterpret_cast<const FcChar8*>(nom.toUtf8().constData()));
        FcPatternAddInteger(patro, FC_WEIGHT, negreta ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(patro, FC_SLANT, cursiva ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcConfigSubstitute(nullptr, patro, FcMatchPattern);
        FcDefaultSubstitute(patro);
        FcResult resultat = FcResultNoMatch;
        FcPattern* trobat = FcFontMatch(nullptr, patro, &resultat);
        FcPatternDestroy(patro);
        if (!trobat)
            return;
        FcChar8* fitxer = nullptr;
        int index = 0;
        if (FcPatternGetString(trobat, FC_FILE, 0, &fitxer) == FcResultMatch && fitxer) {
            FcPatternGetInteger(trobat, FC_INDEX, 0, &index);
            c.fitxer = QString::fromUtf8(reinterpret_cast<const char*>(fitxer));
            if (FT_New_Face(lib_, reinterpret_cast<const char*>(fitxer), index & 0xFFFF, &c.face) != 0)
                c.face = nullptr;
        }
        FcPatternDestroy(trobat);
        if (!c.face)
            return;
        if (c.face->units_per_EM == 0 || !FT_IS_SCALABLE(c.face)) {
            FT_Done_Face(c.face);
            c.face = nullptr;
            return;
        }
        c.unitats = c.face->units_per_EM;
        // The taller of the font's two vertical metrics: the word processor uses one or the other.
        double amunt = c.face->ascender, avall = -c.face->descender;
        if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(c.face, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF) {
            amunt = std::max(amunt, double(os2->usWinAscent));
            avall = std::max(avall, double(os2->usWinDescent));
        }
        c.linia.linia = std::max(c.linia.linia, (amunt + avall) / c.unitats);
        c.linia.descens = std::max(c.linia.descens, avall / c.unitats);
    }

    FT_Library lib_ = nullptr;
    std::map<QString, Cara> cares_;
};

Cares& CaresDelFil()
{
    thread_local Cares cares;
    return cares;
}

} // namespace

double MetricaLletra::Ample(const QString& text, const kovel::word::RunFormat& f)
{
    const double mida = MidaDe(f);
    Cara& c = CaresDelFil().De(f);
    if (!c.face)
        return text.size() * AmpleSenseFont * mida;
    double ems = 0;
    for (const char32_t u : text.toUcs4()) {
        auto it = c.avancos.constFind(u);
        if (it == c.avancos.cend()) {
            // A character the font lacks is drawn from another: an em, on the safe side.
            double avanc = 1.0;
            FT_Fixed a = 0;
            if (const FT_UInt glif = FT_Get_Char_Index(c.face, u); glif != 0 && FT_Get_Advance(c.face, glif, FT_LOAD_NO_SCALE, &a) == 0)
                avanc = double(a) / c.unitats;
            it = c.avancos.insert(u, avanc);
        }
        ems += *it;
    }
    return ems * mida * Marge;
}

MetriquesLinia MetricaLletra::Linia(const kovel::word::RunFormat& f) { return CaresDelFil().De(f).linia; }

QString MetricaLletra::Fitxer(const kovel::word::RunFormat& f) { return CaresDelFil().De(f).fitxer; }

} // namespace generar_doc
