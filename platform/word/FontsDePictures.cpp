#include "platform/word/FontsDePictures.h"

#include <algorithm>
#include <array>
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
// A picture's own outlines, rectangles included: what a glyph can hold.
constexpr int kMaxPunts = 60000;

double UnitatEmu(int classe)
{
    return double(kMitjosPuntsBase << classe) / 2.0 * 12700.0 / kUnitatsEm;
}

// A shape's polygons in whole font units: (x, y) in sub-units of the picture to
// (x·sx + dx, dy − y·sy), after the `usats` contours of `out` already there (the contours
// of `out` beyond are kept with their room, for the next glyph). With `rectangles`, the
// axis-aligned rectangles go there instead, as their corners (x0 < x1, y0 < y1).
void Contorns(const GlyphOutline::Shape& forma, double sx, double sy, QPointF d, std::vector<std::vector<QPoint>>& out,
              size_t& usats, int& punts, std::vector<std::array<int, 4>>* rectangles = nullptr)
{
    sx /= forma.subunits, sy /= forma.subunits;
    // To the nearest unit; a cast rounds toward zero, and what a glyph holds is mostly right
    // of and above its origin.
    const auto arrodoneix = [](double v) { return v >= 0 ? int(v + 0.5) : int(std::floor(v + 0.5)); };
    const auto X = [&](std::int16_t x) { return arrodoneix(x * sx + d.x()); };
    const auto Y = [&](std::int16_t y) { return arrodoneix(d.y() - y * sy); };
    const std::int16_t* xy = forma.xy.data();
    std::uint32_t inici = 0;
    for (const std::uint32_t fi : forma.ends) {
        const std::uint32_t final = std::min<std::uint32_t>(fi, std::uint32_t(forma.xy.size() / 2));
        if (rectangles && final == inici + 4) {
            const std::int16_t* p = xy + 2 * inici;
            const bool horitzontal = p[1] == p[3] && p[2] == p[4] && p[5] == p[7] && p[6] == p[0];
            const bool vertical = p[0] == p[2] && p[3] == p[5] && p[4] == p[6] && p[7] == p[1];
            if (horitzontal || vertical) {
                const int xa = X(p[0]), xb = X(p[4]), ya = Y(p[1]), yb = Y(p[5]);
                if (xa != xb && ya != yb) rectangles->push_back({std::min(xa, xb), std::min(ya, yb), std::max(xa, xb), std::max(ya, yb)});
                punts += 4;
                inici = fi;
                continue;
            }
        }
        if (usats == out.size()) out.emplace_back();
        std::vector<QPoint>& c = out[usats];
        c.clear();
        for (std::uint32_t i = inici; i < final; ++i) {
            const QPoint q(X(xy[2 * i]), Y(xy[2 * i + 1]));
            if (c.empty() || c.back() != q) c.push_back(q);
        }
        inici = fi;
        while (c.size() > 1 && c.back() == c.front()) c.pop_back();
        if (c.size() < 3) continue;
        punts += int(c.size());
        ++usats;
    }
    const std::vector<std::int16_t>& r = forma.rectangles;
    for (size_t i = 0; i + 3 < r.size(); i += 4) {
        // y goes up in the font: the rectangle's top is its larger y there.
        const int x0 = X(r[i]), x1 = X(r[i + 2]), y0 = Y(r[i + 3]), y1 = Y(r[i + 1]);
        if (x0 == x1 || y0 == y1) continue;
        punts += 4;
        if (rectangles) {
            rectangles->push_back({x0, y0, x1, y1});
            continue;
        }
        if (usats == out.size()) out.emplace_back();
        out[usats++] = {QPoint(x0, y0), QPoint(x0, y1), QPoint(x1, y1), QPoint(x1, y0)};
    }
}

// Outer contours clockwise, as TrueType draws them; the turn of the holes against them is
// kept (the y flip from the picture turned every contour the other way).
void Orienta(std::vector<std::vector<QPoint>>& contorns)
{
    std::int64_t area = 0;   // twice the area: 16-bit coordinates, far from overflowing
    for (const auto& c : contorns)
        for (size_t i = 0; i < c.size(); ++i) {
            const QPoint& a = c[i];
            const QPoint& b = c[(i + 1) % c.size()];
            area += std::int64_t(a.x()) * b.y() - std::int64_t(b.x()) * a.y();
        }
    if (area > 0)
        for (auto& c : contorns) std::reverse(c.begin(), c.end());
}

// A glyph of a shape alone, in `treball` (whose room is used again glyph after glyph).
int Contorns(const GlyphOutline::Shape& forma, double sx, double sy, QPointF d, GlifFont& treball)
{
    size_t usats = 0;
    int punts = 0;
    Contorns(forma, sx, sy, d, treball.contorns, usats, punts);
    treball.contorns.resize(usats);
    Orienta(treball.contorns);
    return punts;
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
    const Fet clauFet{quintptr(&g), cx.value, cy.value};
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

    // The picture's own shapes: one glyph.
    GlifFont& propi = treball_;
    propi.components.clear();
    propi.avanc = W;
    // Rectangles (bars, modules) go as components of one rectangle glyph per size: a few
    // bytes each instead of their points, and next to no work.
    std::vector<std::array<int, 4>>& rectangles = rectangles_;
    rectangles.clear();
    size_t usats = 0;
    int punts = 0;
    for (const auto& p : g.pieces)
        if (p.key.isEmpty() && p.shape)
            Contorns(*p.shape, sx, sy, QPointF(p.offset.x() * sx, H - p.offset.y() * sy), propi.contorns, usats, punts, &rectangles);
    propi.contorns.resize(usats);
    if (punts > kMaxPunts) return std::nullopt;
    Orienta(propi.contorns);

    auto grup = std::find_if(grups_.begin(), grups_.end(), [&](const Grup& gr) { return gr.classe == classe && gr.ascendent == H; });
    if (grup == grups_.end()) grup = grups_.insert(grups_.end(), Grup{classe, H, {}});
    if (grup->fonts.empty() || grup->fonts.back().caracters >= kCaractersPerFont) {
        const QString familia = prefix_ + QString::number(++nombreFonts_);
        grup->fonts.push_back(FontEnCurs{familia, ConstructorFont(familia, kUnitatsEm, H, 0), {}, {}, 0});
    }
    FontEnCurs& f = grup->fonts.back();

    // Shared pieces (a code's digits): one glyph each in the font, drawn where each label
    // has them.
    std::vector<GlifFont::Component> components;
    components.reserve(rectangles.size() + g.pieces.size());
    for (const auto& [x0, y0, x1, y1] : rectangles) {
        const quint64 mida = quint64(quint32(x1 - x0)) << 32 | quint32(y1 - y0);
        int index = f.rectangles.value(mida, -1);
        if (index < 0) {
            GlifFont r;
            r.contorns = {{QPoint(0, 0), QPoint(0, y1 - y0), QPoint(x1 - x0, y1 - y0), QPoint(x1 - x0, 0)}};
            index = f.constructor.Afegeix(r);
            f.rectangles.insert(mida, index);
        }
        components.push_back({index, QPoint(x0, y0)});
    }
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
            Contorns(*p.shape, sx, sy, QPointF(), peca);
            index = f.constructor.Afegeix(peca);
            mateixa.push_back({sx, sy, index});
        }
        components.push_back({index, QPoint(int(std::lround(p.offset.x() * sx)), int(std::lround(H - p.offset.y() * sy)))});
    }
    int mapat;
    if (components.empty()) {
        mapat = f.constructor.Afegeix(propi);
    } else {
        if (!propi.contorns.empty()) components.insert(components.begin(), GlifFont::Component{f.constructor.Afegeix(propi), QPoint(0, 0)});
        GlifFont composta;
        composta.components = std::move(components);
        composta.avanc = W;
        mapat = f.constructor.Afegeix(composta);
    }
    const auto codi = char16_t(0xE000 + f.caracters++);
    f.constructor.Mapa(codi, mapat);
    const Caracter c{f.familia, kMitjosPuntsBase << classe, codi};
    fets_.insert(clauFet, c);
    return c;
}

std::vector<FontsDePictures::Font> FontsDePictures::Fonts()
{
    std::vector<Font> out;
    for (Grup& g : grups_)
        for (FontEnCurs& f : g.fonts) {
            const QUuid clau = QUuid::createUuid();
            std::vector<QByteArray> trossos = f.constructor.FontEnTrossos();
            trossos.front() = FontOfuscada(std::move(trossos.front()), clau);
            out.push_back({f.familia, clau, std::move(trossos)});
        }
    return out;
}

} // namespace kovel::word
