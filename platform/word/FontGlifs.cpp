#include "platform/word/FontGlifs.h"

#include "platform/word/Document.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace kovel::word {

namespace {

constexpr int kMaxGlifs = 65000;
constexpr qint64 kMaxPunts = 65535;      // per glyph; a composite counts its components' points
constexpr qint64 kMaxContorns = 32767;
constexpr size_t kMaxGlyf = size_t(1) << 30;  // bytes of outlines; also keeps 'loca' in 32 bits
constexpr int kMaxFamilia = 31;          // longer family names do not fit the system's font lookups
// The font's fixed creation and modification dates: 2024-01-01, in seconds since 1904-01-01.
constexpr qint64 kData = 3786912000;

[[noreturn]] void falla(const QString& motiu) {
    throw WordError(QStringLiteral("The document's font cannot be made: %1").arg(motiu));
}

// floor(log2(n)), for the binary-search fields of the table directory and of 'cmap'.
int log2Baix(int n) {
    int e = 0;
    while ((2 << e) <= n) ++e;
    return e;
}

bool esInt16(qint64 v) { return v >= INT16_MIN && v <= INT16_MAX; }

quint32 etiqueta(const char (&t)[5]) {
    return quint32(quint8(t[0])) << 24 | quint32(quint8(t[1])) << 16 | quint32(quint8(t[2])) << 8
           | quint8(t[3]);
}

// Big-endian output, as every sfnt table is.
struct Sortida {
    std::string b;  // inline appends: a large font writes millions of bytes one by one
    void u8(unsigned v) { b.push_back(char(v & 0xFFu)); }
    void u16(int v) { u8(unsigned(v) >> 8); u8(unsigned(v)); }
    void u32(quint32 v) { u16(int(v >> 16)); u16(int(v & 0xFFFFu)); }
    void u64(qint64 v) { u32(quint32(quint64(v) >> 32)); u32(quint32(v)); }
    void alinea() { b.append((4 - b.size() % 4) % 4, '\0'); }
};

struct Caixa {
    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
    bool buida() const { return x0 > x1; }
    void punt(int x, int y) {
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
    void uneix(const Caixa& c, QPoint d) {
        if (c.buida()) return;
        punt(c.x0 + d.x(), c.y0 + d.y());
        punt(c.x1 + d.x(), c.y1 + d.y());
    }
    void escriu(Sortida& s) const {
        for (int v : {x0, y0, x1, y1}) s.u16(buida() ? 0 : v);
    }
};

// What later glyphs and the font's summary tables need to know of a written glyph.
struct Resum {
    Caixa caixa;                 // empty: the glyph has no outline (zero length in 'loca')
    qint64 punts = 0, contorns = 0;
    int profunditat = 0;         // 0 simple, 1 + deepest component for a composite
    int components = 0;
};

// Bytes kept in pieces of about a megabyte, each a whole number of glyphs padded to four
// bytes: a merge's font grows to tens of megabytes, and one buffer doubling its way there
// would copy it, and touch fresh memory, several times over.
struct Trossos {
    static constexpr qsizetype kTros = qsizetype(1) << 20;
    std::vector<QByteArray> t;
    size_t mida = 0;
    void afegeix(const std::string& s) {
        const auto n = qsizetype(s.size());
        if (t.empty() || t.back().size() + n > t.back().capacity()) {
            t.emplace_back();
            t.back().reserve(std::max(kTros, n));
        }
        t.back().append(s.data(), n);
        mida += s.size();
    }
};

// The 'glyf' table, glyph after glyph, with its 'loca' offsets. The work vectors are kept
// across glyphs so a large font costs no allocation per glyph.
class Glifs {
public:
    Trossos taula;
    std::vector<quint32> loca{0, 0};     // .notdef: empty
    std::vector<Resum> resums;           // one per glyph of the description

    void afegeix(const GlifFont& g, int n) {
        glyf.b.clear();
        Resum r = g.components.empty() ? simple(g, n) : compost(g, n);
        glyf.alinea();
        taula.afegeix(glyf.b);
        loca.push_back(quint32(taula.mida));
        resums.push_back(r);
    }

private:
    Sortida glyf;                        // the glyph being written
    std::vector<QPoint> punts_;
    std::vector<int> finals_;
    std::vector<uchar> flags_, xs_, ys_;

    // A delta of one coordinate: its flag bits, and its bytes (none, one unsigned, or two).
    static uchar delta(int d, uchar curt, uchar igualOPositiu, uchar*& out) {
        if (d == 0) return igualOPositiu;
        if (d >= -255 && d <= 255) {
            *out++ = uchar(d > 0 ? d : -d);
            return curt | (d > 0 ? igualOPositiu : 0);
        }
        out[0] = uchar(unsigned(d) >> 8), out[1] = uchar(d), out += 2;
        return 0;
    }

    void afegeixBytes(const std::vector<uchar>& v, const uchar* fi) {
        glyf.b.append(reinterpret_cast<const char*>(v.data()), size_t(fi - v.data()));
    }

    Resum simple(const GlifFont& g, int n) {
        finals_.clear();
        size_t mida = 0, np = 0;
        for (const auto& contorn : g.contorns) mida += contorn.size();
        if (punts_.size() < mida) punts_.resize(mida);
        QPoint* punt = punts_.data();
        Resum r;
        for (const auto& contorn : g.contorns) {
            const size_t inici = np;
            for (QPoint p : contorn) {
                if (!esInt16(p.x()) || !esInt16(p.y()))
                    falla(QStringLiteral("glyph %1 has a point outside the font's coordinates "
                                         "(%2, %3).").arg(n).arg(p.x()).arg(p.y()));
                if (np == inici || punt[np - 1] != p) punt[np++] = p;
            }
            while (np > inici + 1 && punt[np - 1] == punt[inici]) --np;
            if (np - inici < 3) {
                np = inici;  // a point or a line: nothing to fill
                continue;
            }
            finals_.push_back(int(np) - 1);
        }
        if (finals_.empty()) return r;
        r.punts = qint64(np);
        r.contorns = qint64(finals_.size());
        if (r.punts > kMaxPunts || r.contorns > kMaxContorns)
            falla(QStringLiteral("glyph %1 has too many points.").arg(n));
        for (size_t i = 0; i < np; ++i) r.caixa.punt(punt[i].x(), punt[i].y());
        if (r.caixa.x1 - r.caixa.x0 > INT16_MAX || r.caixa.y1 - r.caixa.y0 > INT16_MAX)
            falla(QStringLiteral("glyph %1 is too large.").arg(n));  // deltas would not fit

        glyf.u16(int(finals_.size()));
        r.caixa.escriu(glyf);
        for (int f : finals_) glyf.u16(f);
        glyf.u16(0);  // no instructions
        // Local pointers: byte stores through members would make the compiler reload them.
        if (flags_.size() < np) flags_.resize(np), xs_.resize(2 * np), ys_.resize(2 * np);
        uchar *flags = flags_.data(), *x = xs_.data(), *y = ys_.data();
        int ax = 0, ay = 0;
        for (size_t i = 0; i < np; ++i) {
            const int px = punt[i].x(), py = punt[i].y();
            flags[i] = 0x01 /* on curve */ | delta(px - ax, 0x02, 0x10, x) | delta(py - ay, 0x04, 0x20, y);
            ax = px, ay = py;
        }
        uchar* f = flags;  // runs of a flag are written once with REPEAT, in place
        for (size_t i = 0; i < np;) {
            const uchar flag = flags[i];
            size_t j = i + 1;
            while (j < np && flags[j] == flag && j - i < 256) ++j;
            if (j - i > 2) {
                f[0] = flag | 0x08u, f[1] = uchar(j - i - 1), f += 2;
            } else {
                for (size_t k = i; k < j; ++k) *f++ = flag;
            }
            i = j;
        }
        afegeixBytes(flags_, f);
        afegeixBytes(xs_, x);
        afegeixBytes(ys_, y);
        return r;
    }

    Resum compost(const GlifFont& g, int n) {
        if (!g.contorns.empty()) falla(QStringLiteral("glyph %1 has both outlines and components.").arg(n));
        Resum r;
        size_t darrer = 0;  // the last component with an outline: the others are left out
        for (size_t i = 0; i < g.components.size(); ++i) {
            const GlifFont::Component& c = g.components[i];
            if (c.glif < 0 || c.glif >= n)
                falla(QStringLiteral("glyph %1 refers to glyph %2, which is not an earlier glyph.")
                          .arg(n).arg(c.glif));
            if (!esInt16(c.desplacament.x()) || !esInt16(c.desplacament.y()))
                falla(QStringLiteral("glyph %1 places a component too far.").arg(n));
            const Resum& f = resums[size_t(c.glif)];
            if (f.caixa.buida()) continue;
            r.caixa.uneix(f.caixa, c.desplacament);
            r.punts += f.punts;
            r.contorns += f.contorns;
            r.profunditat = std::max(r.profunditat, f.profunditat + 1);
            ++r.components;
            darrer = i;
        }
        if (r.caixa.buida()) return Resum{};
        if (!esInt16(r.caixa.x0) || !esInt16(r.caixa.y0) || !esInt16(r.caixa.x1) || !esInt16(r.caixa.y1))
            falla(QStringLiteral("glyph %1 reaches outside the font's coordinates.").arg(n));
        if (r.punts > kMaxPunts || r.contorns > kMaxContorns)
            falla(QStringLiteral("glyph %1 has too many points.").arg(n));

        glyf.u16(-1);
        r.caixa.escriu(glyf);
        // At most eight bytes a component, written through a pointer: a QR code has hundreds.
        const size_t inici = glyf.b.size();
        glyf.b.resize(inici + 8 * (darrer + 1));
        auto* o = reinterpret_cast<unsigned char*>(glyf.b.data() + inici);
        const auto u16 = [&o](int v) { *o++ = static_cast<unsigned char>(unsigned(v) >> 8), *o++ = static_cast<unsigned char>(v); };
        for (size_t i = 0; i <= darrer; ++i) {
            const GlifFont::Component& c = g.components[i];
            if (resums[size_t(c.glif)].caixa.buida()) continue;
            const int x = c.desplacament.x(), y = c.desplacament.y();
            const bool paraules = x < -128 || x > 127 || y < -128 || y > 127;
            // ARGS_ARE_XY_VALUES, ARG_1_AND_2_ARE_WORDS, MORE_COMPONENTS
            u16(0x0002 | (paraules ? 0x0001 : 0) | (i < darrer ? 0x0020 : 0));
            u16(c.glif + 1);
            if (paraules) {
                u16(x);
                u16(y);
            } else {
                *o++ = static_cast<unsigned char>(x);
                *o++ = static_cast<unsigned char>(y);
            }
        }
        glyf.b.resize(size_t(reinterpret_cast<char*>(o) - glyf.b.data()));
        return r;
    }
};

void comprovaCapcalera(const QString& f, int unitatsEm, int ascendent, int descendent) {
    bool bona = !f.isEmpty() && f.size() <= kMaxFamilia && !f.startsWith(u' ') && !f.endsWith(u' ');
    for (QChar c : f)
        bona = bona && c.unicode() < 0x80 && (c.isLetterOrNumber() || c == u' ');
    if (!bona)
        falla(QStringLiteral("the family name \"%1\" is not 1 to %2 ASCII letters, digits and spaces.")
                  .arg(f).arg(kMaxFamilia));
    if (unitatsEm < 16 || unitatsEm > 16384)
        falla(QStringLiteral("%1 units per em is outside 16..16384.").arg(unitatsEm));
    if (ascendent <= 0 || ascendent > INT16_MAX || descendent < 0 || descendent > INT16_MAX)
        falla(QStringLiteral("the ascent %1 or the descent %2 is out of range.").arg(ascendent).arg(descendent));
}

// (3,1) format 4, one segment per run of consecutive code points and glyphs.
std::string taulaCmap(std::vector<std::pair<char16_t, int>> mapa, size_t glifs) {
    std::sort(mapa.begin(), mapa.end());
    std::vector<std::array<int, 3>> segments;  // first, last, glyph - code point
    for (size_t i = 0; i < mapa.size(); ++i) {
        const int cp = mapa[i].first, glif = mapa[i].second + 1;
        const auto falta = [cp](const char* motiu) {
            falla(QStringLiteral("U+%1 %2.").arg(cp, 4, 16, QLatin1Char('0')).arg(QLatin1String(motiu)));
        };
        if (cp < 0xE000 || cp > 0xF8FF) falta("is not a private use character");
        if (i > 0 && mapa[i - 1].first == cp) falta("is mapped twice");
        if (mapa[i].second < 0 || size_t(mapa[i].second) >= glifs) falta("is mapped to a missing glyph");
        if (!segments.empty() && segments.back()[1] + 1 == cp && segments.back()[2] == glif - cp)
            segments.back()[1] = cp;
        else
            segments.push_back({cp, cp, glif - cp});
    }
    segments.push_back({0xFFFF, 0xFFFF, 1});
    const int n = int(segments.size()), exponent = log2Baix(n);
    Sortida s;
    s.u16(0), s.u16(2);  // version, two encodings sharing one subtable
    s.u16(0), s.u16(3), s.u32(20);
    s.u16(3), s.u16(1), s.u32(20);
    s.u16(4), s.u16(16 + 8 * n), s.u16(0);
    s.u16(2 * n), s.u16(2 << exponent), s.u16(exponent), s.u16(2 * n - (2 << exponent));
    for (const auto& g : segments) s.u16(g[1]);
    s.u16(0);
    for (const auto& g : segments) s.u16(g[0]);
    for (const auto& g : segments) s.u16(g[2]);  // modulo 65536
    for (int i = 0; i < n; ++i) s.u16(0);
    return s.b;
}

std::string taulaName(const QString& familia) {
    const QString ps = QString(familia).remove(u' ');
    const std::pair<int, QString> noms[] = {
        {1, familia}, {2, QStringLiteral("Regular")}, {3, QStringLiteral("KOVL;") + ps},
        {4, familia}, {5, QStringLiteral("Version 1.000")}, {6, ps}};
    Sortida s, textos;
    s.u16(0), s.u16(int(std::size(noms))), s.u16(6 + 12 * int(std::size(noms)));
    for (const auto& [id, text] : noms) {
        s.u16(3), s.u16(1), s.u16(0x409), s.u16(id);  // Windows, Unicode BMP, English (US)
        s.u16(int(text.size()) * 2), s.u16(int(textos.b.size()));
        for (QChar c : text) textos.u16(c.unicode());
    }
    return s.b + textos.b;
}

template <class Bytes>
quint32 sumaTaula(const Bytes& b) {  // b padded to 4 bytes
    quint32 suma = 0;
    const auto* p = reinterpret_cast<const uchar*>(b.data());
    for (size_t i = 0; i < size_t(b.size()); i += 4)
        suma += quint32(p[i]) << 24 | quint32(p[i + 1]) << 16 | quint32(p[i + 2]) << 8 | p[i + 3];
    return suma;
}

} // namespace

struct ConstructorFont::Dades {
    QString familia;
    int em, ascendent, descendent;
    Glifs g;
    std::vector<int> avancos;
    std::vector<std::pair<char16_t, int>> caracters;
};

ConstructorFont::ConstructorFont(const QString& familia, int unitatsEm, int ascendent, int descendent) {
    comprovaCapcalera(familia, unitatsEm, ascendent, descendent);
    d_ = std::make_unique<Dades>(Dades{familia, unitatsEm, ascendent, descendent, {}, {}, {}});
}

ConstructorFont::~ConstructorFont() = default;
ConstructorFont::ConstructorFont(ConstructorFont&&) noexcept = default;
ConstructorFont& ConstructorFont::operator=(ConstructorFont&&) noexcept = default;

int ConstructorFont::Afegeix(const GlifFont& glif) {
    const int n = int(d_->avancos.size());
    if (n >= kMaxGlifs) falla(QStringLiteral("%1 glyphs are more than %2.").arg(n + 1).arg(kMaxGlifs));
    if (glif.avanc < 0 || glif.avanc > INT16_MAX)
        falla(QStringLiteral("glyph %1's advance %2 is out of range.").arg(n).arg(glif.avanc));
    d_->g.afegeix(glif, n);
    if (d_->g.taula.mida > kMaxGlyf) falla(QStringLiteral("its glyphs would take more than 1 GiB."));
    d_->avancos.push_back(glif.avanc);
    return n;
}

void ConstructorFont::Mapa(char16_t codi, int glif) { d_->caracters.emplace_back(codi, glif); }

int ConstructorFont::NombreGlifs() const { return int(d_->avancos.size()); }

QByteArray FontTrueType(const DescripcioFont& d) {
    ConstructorFont c(d.familia, d.unitatsEm, d.ascendent, d.descendent);
    if (d.glifs.size() > size_t(kMaxGlifs))
        falla(QStringLiteral("%1 glyphs are more than %2.").arg(d.glifs.size()).arg(kMaxGlifs));
    for (const GlifFont& glif : d.glifs) c.Afegeix(glif);
    for (const auto& [codi, glif] : d.caracters) c.Mapa(codi, glif);
    return c.Font();
}

QByteArray ConstructorFont::Font() {
    QByteArray ttf;
    for (QByteArray& t : FontEnTrossos()) ttf += t;
    return ttf;
}

std::vector<QByteArray> ConstructorFont::FontEnTrossos() {
    Dades& d = *d_;
    Glifs& g = d.g;
    std::string cmap = taulaCmap(d.caracters, d.avancos.size());
    const int em = d.em, nGlifs = int(d.avancos.size()) + 1;

    // Summaries over all glyphs, for head, hhea, maxp and OS/2.
    Caixa total;
    int avancMax = 0, lsbMin = INT16_MAX, rsbMin = INT16_MAX, extensio = INT16_MIN, ambAvanc = 0;
    qint64 sumaAvancos = 0;
    int punts = 0, contorns = 0, puntsC = 0, contornsC = 0, components = 0, profunditat = 0;
    Sortida hmtx;
    hmtx.u16(0), hmtx.u16(0);  // .notdef
    for (size_t i = 0; i < d.avancos.size(); ++i) {
        const Resum& r = g.resums[i];
        const int avanc = d.avancos[i];
        avancMax = std::max(avancMax, avanc);
        if (avanc > 0) sumaAvancos += avanc, ++ambAvanc;
        hmtx.u16(avanc), hmtx.u16(r.caixa.buida() ? 0 : r.caixa.x0);
        if (r.caixa.buida()) continue;
        total.uneix(r.caixa, QPoint());
        lsbMin = std::min(lsbMin, r.caixa.x0);
        rsbMin = std::min(rsbMin, std::max(INT16_MIN, avanc - r.caixa.x1));
        extensio = std::max(extensio, r.caixa.x1);
        if (r.profunditat == 0) {
            punts = std::max(punts, int(r.punts)), contorns = std::max(contorns, int(r.contorns));
        } else {
            puntsC = std::max(puntsC, int(r.punts)), contornsC = std::max(contornsC, int(r.contorns));
            components = std::max(components, r.components);
            profunditat = std::max(profunditat, r.profunditat);
        }
    }
    if (total.buida()) lsbMin = rsbMin = extensio = 0;

    Sortida head;
    head.u32(0x00010000), head.u32(0x00010000), head.u32(0), head.u32(0x5F0F3CF5);
    head.u16(0x000B), head.u16(em);  // baseline at y=0, lsb at x=0, integer ppem
    head.u64(kData), head.u64(kData);
    total.escriu(head);
    head.u16(0), head.u16(8), head.u16(2), head.u16(1), head.u16(0);

    Sortida hhea;
    hhea.u32(0x00010000), hhea.u16(d.ascendent), hhea.u16(-d.descendent), hhea.u16(0);
    hhea.u16(avancMax), hhea.u16(lsbMin), hhea.u16(rsbMin), hhea.u16(extensio);
    hhea.u16(1), hhea.u16(0), hhea.u16(0);  // upright caret
    for (int i = 0; i < 5; ++i) hhea.u16(0);
    hhea.u16(nGlifs);

    Sortida maxp;
    maxp.u32(0x00010000), maxp.u16(nGlifs), maxp.u16(punts), maxp.u16(contorns);
    maxp.u16(puntsC), maxp.u16(contornsC), maxp.u16(2);  // zones: no instructions use the twilight
    for (int i = 0; i < 6; ++i) maxp.u16(0);
    maxp.u16(components), maxp.u16(profunditat);

    int primer = 0, darrer = 0;
    for (const auto& [cp, glif] : d.caracters)
        primer = primer ? std::min<int>(primer, cp) : cp, darrer = std::max<int>(darrer, cp);
    Sortida os2;
    os2.u16(4), os2.u16(ambAvanc ? int(sumaAvancos / ambAvanc) : 0), os2.u16(400), os2.u16(5);
    os2.u16(0);  // installable embedding
    const int sub = em * 65 / 100, subY = em * 14 / 100, sup = em * 48 / 100;
    for (int v : {sub, sub, 0, subY, sub, sub, 0, sup, em / 20, em * 26 / 100}) os2.u16(v);
    os2.u16(0);                           // family class
    for (int i = 0; i < 10; ++i) os2.u8(0);  // PANOSE: any
    os2.u32(0), os2.u32(1u << 28), os2.u32(0), os2.u32(0);  // Unicode range bit 60: Private Use Area
    os2.u32(etiqueta("KOVL"));
    os2.u16(0x00C0);  // REGULAR, USE_TYPO_METRICS
    os2.u16(primer), os2.u16(darrer);
    os2.u16(d.ascendent), os2.u16(-d.descendent), os2.u16(0);
    os2.u16(d.ascendent), os2.u16(d.descendent);
    os2.u32(1), os2.u32(0);  // code page: Latin 1
    os2.u16(d.ascendent / 2), os2.u16(d.ascendent), os2.u16(0), os2.u16(0x20), os2.u16(0);

    Sortida loca;
    for (quint32 o : g.loca) loca.u32(o);

    Sortida post;
    post.u32(0x00030000), post.u32(0), post.u16(-em / 10), post.u16(em / 20);
    for (int i = 0; i < 5; ++i) post.u32(0);

    // Each table's bytes, padded to four; 'glyf' in its pieces.
    std::vector<std::pair<quint32, std::string>> taules;
    taules.emplace_back(etiqueta("OS/2"), std::move(os2.b));
    taules.emplace_back(etiqueta("cmap"), std::move(cmap));
    taules.emplace_back(etiqueta("glyf"), std::string());
    taules.emplace_back(etiqueta("head"), std::move(head.b));
    taules.emplace_back(etiqueta("hhea"), std::move(hhea.b));
    taules.emplace_back(etiqueta("hmtx"), std::move(hmtx.b));
    taules.emplace_back(etiqueta("loca"), std::move(loca.b));
    taules.emplace_back(etiqueta("maxp"), std::move(maxp.b));
    taules.emplace_back(etiqueta("name"), taulaName(d.familia));
    taules.emplace_back(etiqueta("post"), std::move(post.b));
    std::sort(taules.begin(), taules.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    const int n = int(taules.size()), exponent = log2Baix(n);
    Sortida font;
    font.u32(0x00010000), font.u16(n), font.u16(16 << exponent), font.u16(exponent);
    font.u16(16 * n - (16 << exponent));
    quint32 posicio = quint32(12 + 16 * n), sumaTotal = 0;
    std::string* capcalera = nullptr;
    for (auto& [tag, dades] : taules) {
        quint32 mida, suma = 0;
        if (tag == etiqueta("glyf")) {
            mida = quint32(g.taula.mida);   // glyphs are padded: a multiple of four already
            for (const QByteArray& t : g.taula.t) suma += sumaTaula(t);
        } else {
            mida = quint32(dades.size());
            dades.append((4 - mida % 4) % 4, '\0');
            suma = sumaTaula(dades);
        }
        if (tag == etiqueta("head")) capcalera = &dades;
        font.u32(tag), font.u32(suma), font.u32(posicio), font.u32(mida);
        posicio += (mida + 3) / 4 * 4;
        sumaTotal += suma;
    }
    // Every part is whole words: the file's sum is the directory's and the tables'.
    const quint32 ajust = 0xB1B0AFBAu - (sumaTotal + sumaTaula(font.b));
    for (int i = 0; i < 4; ++i) (*capcalera)[size_t(8 + i)] = char(ajust >> (24 - 8 * i));
    // The pieces: the directory and the tables before 'glyf', its pieces, the tables after.
    std::vector<QByteArray> trossos(1, QByteArray::fromStdString(font.b));
    bool despres = false;
    for (auto& [tag, dades] : taules) {
        if (tag == etiqueta("glyf")) {
            for (QByteArray& t : g.taula.t) trossos.push_back(std::move(t));
            g.taula.t.clear();
            trossos.emplace_back();
            despres = true;
            continue;
        }
        (despres ? trossos.back() : trossos.front()).append(dades.data(), qsizetype(dades.size()));
    }
    return trossos;
}

QByteArray FontOfuscada(QByteArray ttf, const QUuid& clau) {
    if (ttf.size() < 32) throw WordError(QStringLiteral("The font to embed is shorter than 32 bytes."));
    const QByteArray guid = clau.toRfc4122();  // the bytes in the order of its string form
    for (int i = 0; i < 32; ++i) ttf[i] = char(ttf[i] ^ guid[15 - i % 16]);
    return ttf;
}

} // namespace kovel::word
