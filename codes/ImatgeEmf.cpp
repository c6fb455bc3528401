#include "codes/ImatgeEmf.h"
#include "platform/word/RegistresEmf.h"

#include <QPolygonF>

#include <variant>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kovel::codes {

namespace {

using namespace kovel::word::emf;

// Values of the EMF format used here, beside the record types.
enum : std::uint32_t {
    COLORONCOLOR = 3,
    SRCCOPY = 0x00CC0020,
    TRANSPARENT = 1,
    TA_BASELINE = 24,
    GM_COMPATIBLE = 1,
    MM_ANISOTROPIC = 8,
    WINDING = 2,
    NULL_PEN = 0x80000008,
};

void U32(QByteArray& out, std::uint32_t v)
{
    const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    out.append(b, 4);
}
void I32(QByteArray& out, std::int32_t v) { U32(out, std::uint32_t(v)); }
void I16(QByteArray& out, std::int16_t v)
{
    const char b[2] = {char(std::uint16_t(v)), char(std::uint16_t(v) >> 8)};
    out.append(b, 2);
}

class Registres {
public:
    // The records are gathered in one buffer per thread, used again picture after picture:
    // a merge makes thousands, and a fresh buffer each time costs more than the drawing.
    Registres() : dades(Buffer()) { dades.resize(0); }
    QByteArray& dades;
    std::uint32_t nombre = 0;

private:
    static QByteArray& Buffer()
    {
        thread_local QByteArray buffer;
        return buffer;
    }

public:
    void registre(std::uint32_t tipus, std::initializer_list<std::uint32_t> valors)
    {
        U32(dades, tipus);
        U32(dades, std::uint32_t(8 + 4 * valors.size()));
        for (std::uint32_t v : valors)
            U32(dades, v);
        ++nombre;
    }
    void pinzell(std::uint32_t handle, QRgb c)
    {
        // COLORREF is 0x00BBGGRR; a solid brush.
        const std::uint32_t ref = std::uint32_t(qRed(c)) | (std::uint32_t(qGreen(c)) << 8) | (std::uint32_t(qBlue(c)) << 16);
        registre(EMR_CREATEBRUSHINDIRECT, {handle, 0, ref, 0});
        registre(EMR_SELECTOBJECT, {handle});
    }
    void poligons(const QList<QPolygonF>& llista, double escala)
    {
        std::uint32_t punts = 0;
        for (const QPolygonF& p : llista)
            punts += std::uint32_t(p.size());
        if (llista.isEmpty() || punts == 0)
            return;
        const std::uint32_t mida = 8 + 16 + 8 + 4 * std::uint32_t(llista.size()) + 4 * punts;
        U32(dades, EMR_POLYPOLYGON16);
        U32(dades, mida);
        // Bounds (inclusive, logical units) of all the points.
        std::int32_t x0 = INT32_MAX, y0 = INT32_MAX, x1 = INT32_MIN, y1 = INT32_MIN;
        QByteArray coords(qsizetype(4 * punts), Qt::Uninitialized);
        auto* q = reinterpret_cast<unsigned char*>(coords.data());
        auto posa = [&q](std::int16_t v) {
            *q++ = static_cast<unsigned char>(std::uint16_t(v) & 0xFF);
            *q++ = static_cast<unsigned char>(std::uint16_t(v) >> 8);
        };
        for (const QPolygonF& p : llista)
            for (const QPointF& pt : p) {
                const auto x = std::int16_t(std::floor(pt.x() * escala + 0.5)), y = std::int16_t(std::floor(pt.y() * escala + 0.5));
                x0 = std::min<std::int32_t>(x0, x), y0 = std::min<std::int32_t>(y0, y);
                x1 = std::max<std::int32_t>(x1, x), y1 = std::max<std::int32_t>(y1, y);
                posa(x);
                posa(y);
            }
        I32(dades, x0), I32(dades, y0), I32(dades, x1), I32(dades, y1);
        U32(dades, std::uint32_t(llista.size()));
        U32(dades, punts);
        for (const QPolygonF& p : llista)
            U32(dades, std::uint32_t(p.size()));
        dades.append(coords);
        ++nombre;
    }
    // A glyph shape's polygons, from its sub-units of a pixel to `escala` logical units.
    void forma(const kovel::word::GlyphOutline::Shape& f, double escala)
    {
        const auto rectangles = std::uint32_t(f.rectangles.size() / 4);
        const std::uint32_t punts = std::uint32_t(f.xy.size() / 2) + 4 * rectangles;
        const std::uint32_t poligons = std::uint32_t(f.ends.size()) + rectangles;
        if (poligons == 0 || punts == 0)
            return;
        const double k = escala / f.subunits;
        U32(dades, EMR_POLYPOLYGON16);
        U32(dades, 8 + 16 + 8 + 4 * poligons + 4 * punts);
        const qsizetype limits = dades.size();
        for (int i = 0; i < 4; ++i) I32(dades, 0);   // bounds, once the points are known
        U32(dades, poligons);
        U32(dades, punts);
        std::uint32_t inici = 0;
        for (std::uint32_t fi : f.ends) {
            U32(dades, fi - inici);
            inici = fi;
        }
        for (std::uint32_t i = 0; i < rectangles; ++i) U32(dades, 4);
        std::int32_t x0 = INT32_MAX, y0 = INT32_MAX, x1 = INT32_MIN, y1 = INT32_MIN;
        const qsizetype inicCoords = dades.size();
        dades.resize(inicCoords + 4 * qsizetype(punts));
        auto* q = reinterpret_cast<unsigned char*>(dades.data() + inicCoords);
        const auto posa = [&](std::int16_t px, std::int16_t py) {
            const auto x = std::int16_t(std::lround(px * k)), y = std::int16_t(std::lround(py * k));
            x0 = std::min<std::int32_t>(x0, x), y0 = std::min<std::int32_t>(y0, y);
            x1 = std::max<std::int32_t>(x1, x), y1 = std::max<std::int32_t>(y1, y);
            for (std::int16_t v : {x, y}) {
                *q++ = static_cast<unsigned char>(std::uint16_t(v) & 0xFF);
                *q++ = static_cast<unsigned char>(std::uint16_t(v) >> 8);
            }
        };
        for (size_t i = 0; i + 1 < f.xy.size(); i += 2) posa(f.xy[i], f.xy[i + 1]);
        for (size_t i = 0; i + 3 < f.rectangles.size(); i += 4) {
            const std::int16_t* r = f.rectangles.data() + i;
            posa(r[0], r[1]), posa(r[2], r[1]), posa(r[2], r[3]), posa(r[0], r[3]);
        }
        auto* b = reinterpret_cast<unsigned char*>(dades.data() + limits);
        for (std::int32_t v : {x0, y0, x1, y1})
            for (int j = 0; j < 4; ++j) *b++ = static_cast<unsigned char>(std::uint32_t(v) >> (8 * j));
        ++nombre;
    }
};

// The header record before `r`'s records: bounds in device units (the picture's pixels),
// frame in hundredths of a millimetre, and the reference device those two make.
QByteArray AmbCapcalera(const Registres& r, int W, int H, QSizeF millimetres, std::uint32_t handles)
{
    const std::uint32_t midaTotal = 88 + std::uint32_t(r.dades.size());
    QByteArray out;
    out.reserve(qsizetype(midaTotal));
    U32(out, EMR_HEADER);
    U32(out, 88);
    I32(out, 0), I32(out, 0), I32(out, W - 1), I32(out, H - 1);
    const auto fw = std::int32_t(std::lround(millimetres.width() * 100)), fh = std::int32_t(std::lround(millimetres.height() * 100));
    I32(out, 0), I32(out, 0), I32(out, fw - 1), I32(out, fh - 1);
    U32(out, 0x464D4520);   // " EMF"
    U32(out, 0x10000);
    U32(out, midaTotal);
    U32(out, r.nombre + 1);
    I16(out, std::int16_t(handles + 1));
    I16(out, 0);
    U32(out, 0), U32(out, 0), U32(out, 0);   // no description, no palette
    I32(out, W), I32(out, H);
    I32(out, std::max<std::int32_t>(1, std::int32_t(std::lround(millimetres.width())))),
        I32(out, std::max<std::int32_t>(1, std::int32_t(std::lround(millimetres.height()))));
    out.append(r.dades);
    return out;
}

} // namespace

namespace {

// A path's polygons. A code's bars and modules are straight lines only: read as they are,
// many times faster than flattening.
QList<QPolygonF> Poligons(const QPainterPath& cami)
{
    QList<QPolygonF> out;
    for (int i = 0; i < cami.elementCount(); ++i) {
        const QPainterPath::Element e = cami.elementAt(i);
        if (e.isCurveTo()) return cami.toSubpathPolygons();
        if (e.isMoveTo() || out.isEmpty()) out.emplace_back();
        out.back() << QPointF(e);
    }
    return out;
}

} // namespace

QByteArray Emf(QSize pixels, QSizeF millimetres, std::optional<QRgb> fons,
               const std::vector<std::pair<QRgb, QPainterPath>>& capes, const TextsEmf* texts)
{
    std::vector<std::pair<QRgb, QList<QPolygonF>>> poligons;
    poligons.reserve(capes.size());
    for (const auto& [color, cami] : capes)
        poligons.emplace_back(color, Poligons(cami));
    return Emf(pixels, millimetres, fons, poligons, texts);
}

namespace {

using Capa = std::variant<const QList<QPolygonF>*, const kovel::word::GlyphOutline::Shape*>;

QByteArray EmfDeCapes(QSize pixels, QSizeF millimetres, std::optional<QRgb> fons,
                      const std::vector<std::pair<QRgb, Capa>>& capes, const TextsEmf* texts)
{
    const int W = pixels.width(), H = pixels.height();
    if (W < 1 || H < 1 || millimetres.width() <= 0 || millimetres.height() <= 0)
        return {};
    // Logical units: an eighth of a pixel where 16 bits hold the picture, whole pixels at least.
    const double escala = std::min(8.0, std::floor(32000.0 / std::max(W, H)));
    if (escala < 1)
        return {};
    const auto Wl = std::uint32_t(std::lround(W * escala)), Hl = std::uint32_t(std::lround(H * escala));

    Registres r;
    r.registre(EMR_SETMAPMODE, {MM_ANISOTROPIC});
    r.registre(EMR_SETWINDOWEXTEX, {Wl, Hl});
    r.registre(EMR_SETVIEWPORTEXTEX, {std::uint32_t(W), std::uint32_t(H)});
    r.registre(EMR_SETPOLYFILLMODE, {WINDING});
    r.registre(EMR_SELECTOBJECT, {NULL_PEN});
    std::uint32_t handle = 0;
    auto capa = [&](QRgb color, const Capa& c) {
        if (handle > 0)
            r.registre(EMR_DELETEOBJECT, {handle});   // the brush before, no longer selected
        r.pinzell(++handle, color);
        if (const auto* p = std::get_if<const QList<QPolygonF>*>(&c)) r.poligons(**p, escala);
        else r.forma(*std::get<const kovel::word::GlyphOutline::Shape*>(c), escala);
    };
    if (fons) {
        const QList<QPolygonF> tot{QPolygonF(QRectF(0, 0, W, H))};
        capa(*fons, &tot);
    }
    for (const auto& [color, c] : capes)
        capa(color, c);
    if (texts && !texts->peces.empty()) {
        // The font: LOGFONTW with the character height in logical units.
        const std::uint32_t font = ++handle;
        QByteArray lf;
        I32(lf, -std::int32_t(std::lround(texts->font.pixelSize() * escala)));
        I32(lf, 0), I32(lf, 0), I32(lf, 0);
        I32(lf, texts->font.bold() ? 700 : 400);
        lf.append(char(texts->font.italic() ? 1 : 0));
        lf.append(char(texts->font.underline() ? 1 : 0));
        lf.append(char(0));   // strike-out
        lf.append(char(1));   // default character set
        lf.append(4, '\0');   // precisions, quality, pitch and family
        const QString nom = texts->font.family().left(31);
        for (int i = 0; i < 32; ++i) I16(lf, std::int16_t(i < nom.size() ? nom[i].unicode() : 0));
        U32(r.dades, EMR_EXTCREATEFONTINDIRECTW);
        U32(r.dades, 12 + std::uint32_t(lf.size()));
        U32(r.dades, font);
        r.dades.append(lf);
        ++r.nombre;
        r.registre(EMR_SELECTOBJECT, {font});
        const QRgb c = texts->color;
        r.registre(EMR_SETTEXTCOLOR, {std::uint32_t(qRed(c)) | (std::uint32_t(qGreen(c)) << 8) | (std::uint32_t(qBlue(c)) << 16)});
        r.registre(EMR_SETBKMODE, {TRANSPARENT});
        r.registre(EMR_SETTEXTALIGN, {TA_BASELINE});
        for (const TextsEmf::Peca& p : texts->peces) {
            const auto n = std::uint32_t(p.text.size());
            if (n == 0 || p.avancos.size() != size_t(n)) continue;
            const std::uint32_t cadena = (2 * n + 3) / 4 * 4;
            U32(r.dades, EMR_EXTTEXTOUTW);
            U32(r.dades, 76 + cadena + 4 * n);
            I32(r.dades, 0), I32(r.dades, 0), I32(r.dades, -1), I32(r.dades, -1);   // bounds not given
            U32(r.dades, GM_COMPATIBLE);
            U32(r.dades, 0), U32(r.dades, 0);   // scales (unused)
            I32(r.dades, std::int32_t(std::lround(p.base.x() * escala)));
            I32(r.dades, std::int32_t(std::lround(p.base.y() * escala)));
            U32(r.dades, n);
            U32(r.dades, 76);   // the string, from the record's start
            U32(r.dades, 0);    // no options
            I32(r.dades, 0), I32(r.dades, 0), I32(r.dades, -1), I32(r.dades, -1);
            U32(r.dades, 76 + cadena);   // the advances
            for (QChar ch : p.text) I16(r.dades, std::int16_t(ch.unicode()));
            r.dades.append(int(cadena - 2 * n), '\0');
            // Advances rounded so that their sum stays on the measured positions.
            qreal fet = 0;
            std::int32_t posat = 0;
            for (qreal a : p.avancos) {
                fet += a * escala;
                const auto fins = std::int32_t(std::lround(fet));
                I32(r.dades, fins - posat);
                posat = fins;
            }
            ++r.nombre;
        }
    }
    r.registre(EMR_EOF, {0, 16, 20});

    return AmbCapcalera(r, W, H, millimetres, handle);
}

} // namespace

QByteArray Emf(QSize pixels, QSizeF millimetres, std::optional<QRgb> fons,
               const std::vector<std::pair<QRgb, QList<QPolygonF>>>& capes, const TextsEmf* texts)
{
    std::vector<std::pair<QRgb, Capa>> c;
    c.reserve(capes.size());
    for (const auto& [color, poligons] : capes) c.emplace_back(color, &poligons);
    return EmfDeCapes(pixels, millimetres, fons, c, texts);
}

QByteArray Emf(QSize pixels, QSizeF millimetres, std::optional<QRgb> fons, const kovel::word::GlyphOutline& glif,
               const TextsEmf* texts)
{
    std::vector<std::pair<QRgb, Capa>> c;
    for (const auto& peca : glif.pieces)
        if (peca.key.isEmpty() && peca.shape && peca.offset.isNull()) c.emplace_back(QRgb(0xFF000000u | glif.colour), peca.shape.get());
    return EmfDeCapes(pixels, millimetres, fons, c, texts);
}


QByteArray EmfModuls(const QImage& moduls, QSizeF millimetres, QRgb clar, QRgb fosc)
{
    const QImage m = moduls.convertToFormat(QImage::Format_Mono, {clar, fosc});
    const int n = m.width(), h = m.height();
    if (n < 1 || h < 1 || n > 4000 || h > 4000 || millimetres.width() <= 0 || millimetres.height() <= 0)
        return {};
    // Logical units: a hundredth of a module; the device: ten pixels a module.
    const std::int32_t Wl = n * 100, Hl = h * 100, W = n * 10, H = h * 10;
    Registres r;
    r.registre(EMR_SETMAPMODE, {MM_ANISOTROPIC});
    r.registre(EMR_SETWINDOWEXTEX, {std::uint32_t(Wl), std::uint32_t(Hl)});
    r.registre(EMR_SETVIEWPORTEXTEX, {std::uint32_t(W), std::uint32_t(H)});
    r.registre(EMR_SETSTRETCHBLTMODE, {COLORONCOLOR});
    // The bitmap: two colours, rows from the bottom, each padded to four bytes.
    const std::uint32_t filaBytes = std::uint32_t((n + 31) / 32 * 4);
    const std::uint32_t bits = filaBytes * std::uint32_t(h);
    const std::uint32_t capcalera = 80, bmi = 48;
    U32(r.dades, EMR_STRETCHDIBITS);
    U32(r.dades, capcalera + bmi + bits);
    I32(r.dades, 0), I32(r.dades, 0), I32(r.dades, W - 1), I32(r.dades, H - 1);
    I32(r.dades, 0), I32(r.dades, 0);   // destination
    I32(r.dades, 0), I32(r.dades, 0), I32(r.dades, n), I32(r.dades, h);   // source
    U32(r.dades, capcalera), U32(r.dades, bmi), U32(r.dades, capcalera + bmi), U32(r.dades, bits);
    U32(r.dades, 0);   // colours given as RGB
    U32(r.dades, SRCCOPY);
    I32(r.dades, Wl), I32(r.dades, Hl);
    U32(r.dades, 40), I32(r.dades, n), I32(r.dades, h);
    I16(r.dades, 1), I16(r.dades, 1);   // planes, bits a pixel
    U32(r.dades, 0), U32(r.dades, bits), U32(r.dades, 0), U32(r.dades, 0), U32(r.dades, 2), U32(r.dades, 0);
    for (QRgb c : {clar, fosc}) {
        r.dades.append(char(qBlue(c)));
        r.dades.append(char(qGreen(c)));
        r.dades.append(char(qRed(c)));
        r.dades.append('\0');
    }
    // Format_Mono holds index 0 (light) as bit 0, most significant bit first: as DIBs do.
    for (int y = h - 1; y >= 0; --y) {
        r.dades.append(reinterpret_cast<const char*>(m.constScanLine(y)), std::min<qsizetype>(m.bytesPerLine(), filaBytes));
        if (m.bytesPerLine() < qsizetype(filaBytes)) r.dades.append(int(filaBytes - m.bytesPerLine()), '\0');
    }
    ++r.nombre;
    r.registre(EMR_EOF, {0, 16, 20});
    return AmbCapcalera(r, W, H, millimetres, 0);
}

} // namespace kovel::codes
