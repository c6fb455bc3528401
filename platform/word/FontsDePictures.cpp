#include "platform/word/FontsDePictures.h"

#include <algorithm>
#include <cmath>

namespace kovel::word {

namespace {

constexpr int kUnitatsEm = 2048;
// 29 pt: a font unit of 5 µm, so every edge lands within 2.5 µm of its place; a code up to
// 163 mm fits the font's 16-bit coordinates. Larger codes take a size twice as large, and
// so on five times.
constexpr int kMitjosPuntsBase = 58;
constexpr int kClassesMida = 6;
constexpr int kMaxCoordenada = 32000;
constexpr int kCaractersPerFont = 4096;
// A picture's own outlines: past this a picture is cheaper than its glyph.
constexpr int kMaxPunts = 8000;

double UnitatEmu(int classe)
{
    return double(kMitjosPuntsBase << classe) / 2.0 * 12700.0 / kUnitatsEm;
}

// A shape's polygons in whole font units: (x, y) in sub-units of the picture to
// (x·sx + dx, dy − y·sy).
void Contorns(const GlyphOutline::Shape& forma, double sx, double sy, QPointF d, std::vector<std::vector<QPoint>>& out, int& punts)
{
    std::uint32_t inici = 0;
    for (const std::uint32_t fi : forma.ends) {
        std::vector<QPoint> c;
        c.reserve(fi - inici);
        for (std::uint32_t i = inici; i < fi && i < forma.points.size(); ++i) {
            const QPoint& p = forma.points[i];
            const QPoint q(int(std::lround(p.x() * sx + d.x())), int(std::lround(d.y() - p.y() * sy)));
            if (c.empty() || c.back() != q) c.push_back(q);
        }
        inici = fi;
        while (c.size() > 1 && c.back() == c.front()) c.pop_back();
        if (c.size() < 3) continue;
        punts += int(c.size());
        out.push_back(std::move(c));
    }
}

// Outer contours clockwise, as TrueType draws them; the turn of the holes against them is
// kept (the y flip from the picture turned every contour the other way).
void Orienta(std::vector<std::vector<QPoint>>& contorns)
{
    long double area = 0;
    for (const auto& c : contorns)
        for (size_t i = 0; i < c.size(); ++i) {
            const QPoint& a = c[i];
            const QPoint& b = c[(i + 1) % c.size()];
            area += static_cast<long double>(a.x()) * b.y() - static_cast<long double>(b.x()) * a.y();
        }
    if (area > 0)
        for (auto& c : contorns) std::reverse(c.begin(), c.end());
}

} // namespace

FontsDePictures::FontsDePictures()
    // A family name of this save alone: a word processor keeps embedded fonts by name while
    // it runs, and another document's font of the same name has other characters.
    : prefix_(QStringLiteral("Kovel Codis %1 ").arg(QUuid::createUuid().toString(QUuid::Id128).left(8).toUpper()))
{
}

std::optional<FontsDePictures::Caracter> FontsDePictures::Afegeix(const GlyphOutline& g, Emu cx, Emu cy)
{
    if (!(g.size.width() > 0) || !(g.size.height() > 0) || cx.value <= 0 || cy.value <= 0 || g.pieces.empty())
        return std::nullopt;
    // A value repeated on many labels is one outline, shared by its pictures.
    const QString clauFet = QStringLiteral("%1/%2/%3").arg(quintptr(&g)).arg(cx.value).arg(cy.value);
    if (auto it = fets_.constFind(clauFet); it != fets_.cend()) return *it;

    int classe = 0, W = 0, H = 0;
    for (; classe < kClassesMida; ++classe) {
        const double u = UnitatEmu(classe);
        W = int(std::lround(double(cx.value) / u));
        H = int(std::lround(double(cy.value) / u));
        if (std::max(W, H) <= kMaxCoordenada) break;
    }
    if (classe == kClassesMida || W < 1 || H < 1) return std::nullopt;
    const double sx = W / g.size.width(), sy = H / g.size.height();
    const double ssx = sx / GlyphOutline::kSubunits, ssy = sy / GlyphOutline::kSubunits;

    GlifFont propi;
    propi.avanc = W;
    int punts = 0;
    for (const auto& p : g.pieces)
        if (p.key.isEmpty() && p.shape)
            Contorns(*p.shape, ssx, ssy, QPointF(p.offset.x() * sx, H - p.offset.y() * sy), propi.contorns, punts);
    if (punts > kMaxPunts) return std::nullopt;
    Orienta(propi.contorns);

    auto grup = std::find_if(grups_.begin(), grups_.end(), [&](const Grup& gr) { return gr.classe == classe && gr.ascendent == H; });
    if (grup == grups_.end()) grup = grups_.insert(grups_.end(), Grup{classe, H, {}});
    if (grup->fonts.empty() || grup->fonts.back().caracters >= kCaractersPerFont) {
        FontEnCurs f;
        f.familia = prefix_ + QString::number(++nombreFonts_);
        f.descripcio.familia = f.familia;
        f.descripcio.unitatsEm = kUnitatsEm;
        f.descripcio.ascendent = H;
        f.descripcio.descendent = 0;
        grup->fonts.push_back(std::move(f));
    }
    FontEnCurs& f = grup->fonts.back();
    auto& glifs = f.descripcio.glifs;

    // Shared pieces (a code's digits): one glyph each in the font, drawn where each label
    // has them.
    std::vector<GlifFont::Component> components;
    for (const auto& p : g.pieces) {
        if (p.key.isEmpty() || !p.shape) continue;
        // By key, at this scale (a font's codes mostly share one).
        std::vector<Peca>& mateixa = f.peces[p.key];
        auto trobada = std::find_if(mateixa.begin(), mateixa.end(), [&](const Peca& q) { return q.sx == sx && q.sy == sy; });
        int index;
        if (trobada != mateixa.end()) {
            index = trobada->glif;
        } else {
            GlifFont peca;
            int n = 0;
            Contorns(*p.shape, ssx, ssy, QPointF(), peca.contorns, n);
            Orienta(peca.contorns);
            index = int(glifs.size());
            glifs.push_back(std::move(peca));
            mateixa.push_back({sx, sy, index});
        }
        components.push_back({index, QPoint(int(std::lround(p.offset.x() * sx)), int(std::lround(H - p.offset.y() * sy)))});
    }
    int mapat = int(glifs.size());
    if (components.empty()) {
        glifs.push_back(std::move(propi));
    } else {
        if (!propi.contorns.empty()) {
            components.insert(components.begin(), GlifFont::Component{mapat, QPoint(0, 0)});
            glifs.push_back(std::move(propi));
            ++mapat;
        }
        GlifFont composta;
        composta.components = std::move(components);
        composta.avanc = W;
        glifs.push_back(std::move(composta));
    }
    const auto codi = char16_t(0xE000 + f.caracters++);
    f.descripcio.caracters.emplace_back(codi, mapat);
    const Caracter c{f.familia, kMitjosPuntsBase << classe, codi};
    fets_.insert(clauFet, c);
    return c;
}

std::vector<FontsDePictures::Font> FontsDePictures::Fonts() const
{
    std::vector<Font> out;
    for (const Grup& g : grups_)
        for (const FontEnCurs& f : g.fonts) {
            const QUuid clau = QUuid::createUuid();
            out.push_back({f.familia, clau, FontOfuscada(FontTrueType(f.descripcio), clau)});
        }
    return out;
}

} // namespace kovel::word
