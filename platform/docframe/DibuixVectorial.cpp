#include "platform/docframe/DibuixVectorial.h"
#include "platform/word/RegistresEmf.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

#include <algorithm>
#include <cstring>

using namespace kovel::word::emf;

namespace kovel::docframe {

namespace {

constexpr int MidaMaxima = 8192;

QImage Llenc(QSize pixels)
{
    if (pixels.isEmpty() || pixels.width() > MidaMaxima || pixels.height() > MidaMaxima)
        return {};
    QImage img(pixels, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

QColor Color(std::uint32_t colorref)
{
    return QColor(int(colorref & 0xFF), int((colorref >> 8) & 0xFF), int((colorref >> 16) & 0xFF));
}

QPainterPath CamiDeForma(const word::GlyphOutline::Shape& f)
{
    QPainterPath cami;
    cami.setFillRule(Qt::WindingFill);
    const double u = f.subunits > 0 ? 1.0 / f.subunits : 1.0;
    const std::size_t punts = f.xy.size() / 2;
    std::size_t inici = 0;
    for (std::uint32_t fi : f.ends) {
        const std::size_t fins = std::min<std::size_t>(fi, punts);
        if (fins <= inici)
            continue;
        QPolygonF pol;
        pol.reserve(qsizetype(fins - inici));
        for (std::size_t i = inici; i < fins; ++i)
            pol << QPointF(f.xy[2 * i] * u, f.xy[2 * i + 1] * u);
        cami.addPolygon(pol);
        cami.closeSubpath();
        inici = fins;
    }
    for (std::size_t i = 0; i + 3 < f.rectangles.size(); i += 4)
        cami.addRect(QRectF(QPointF(f.rectangles[i] * u, f.rectangles[i + 1] * u),
                            QPointF(f.rectangles[i + 2] * u, f.rectangles[i + 3] * u)));
    return cami;
}

QImage DibuixaGlif(const word::GlyphOutline& g, QSize pixels)
{
    QImage img = Llenc(pixels);
    if (img.isNull() || g.size.isEmpty())
        return {};
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(pixels.width() / g.size.width(), pixels.height() / g.size.height());
    const QColor color = QColor::fromRgb(QRgb(0xFF000000u | g.colour));
    for (const word::GlyphOutline::Piece& peca : g.pieces) {
        if (!peca.shape)
            continue;
        p.fillPath(CamiDeForma(*peca.shape).translated(peca.offset), color);
    }
    return img;
}

// Reads the records of an EMF within its length; every field is read only after the record
// it belongs to was found whole.
class LectorEmf {
public:
    explicit LectorEmf(const QByteArray& b) : b_(b) {}
    bool Dins(qsizetype at, qsizetype n) const { return at >= 0 && n >= 0 && at <= b_.size() - n; }
    std::uint32_t U32(qsizetype at) const { return qFromLittleEndian<quint32>(b_.constData() + at); }
    std::int32_t I32(qsizetype at) const { return qFromLittleEndian<qint32>(b_.constData() + at); }
    std::int16_t I16(qsizetype at) const { return qFromLittleEndian<qint16>(b_.constData() + at); }
    std::uint16_t U16(qsizetype at) const { return qFromLittleEndian<quint16>(b_.constData() + at); }
    uchar U8(qsizetype at) const { return uchar(b_[at]); }

private:
    const QByteArray& b_;
};

// A letter no taller than the picture: a taller one shows nothing more, and costs its area.
int MidaLletra(std::int32_t alcada, double sy, QSize pixels)
{
    return std::clamp(int(std::lround(std::abs(double(alcada)) * sy)), 1, std::clamp(pixels.height(), 1, 2000));
}

// The work a picture asks for, counted over its records before anything is drawn: a few
// hundred bytes can ask for minutes of drawing.
struct Feina {
    qint64 lletres = 0;      // glyphs drawn
    qint64 areaLletres = 0;  // their pixel areas, summed
    qint64 punts = 0;        // polygon points
    qint64 pixelsMapes = 0;  // bitmap pixels stretched
    qint64 vores = 0;        // filling the polygons' edges
};

// What the antialiased filler spends on a polygon, as measured: a slanted edge costs its
// height in pixels times the width of the whole polygon (a few dozen slanted edges across a
// picture of 2000 pixels take seconds); an upright one its height times the upright edges
// it is sorted among in each row, at about a quarter of the cost (a thousand bars across
// that picture take seconds too). Counted over the edges, the closing one too, in two
// passes over the points.
qint64 FeinaVores(const LectorEmf& r, qsizetype at, std::uint32_t poligons, std::uint32_t punts, double sx, double sy, QSize pixels)
{
    const qsizetype inici = at + 32 + 4 * qsizetype(poligons);
    const qsizetype fi = inici + 4 * qsizetype(punts);
    const auto arestes = [&](auto&& f) {
        qsizetype punt = inici;
        for (std::uint32_t k = 0; k < poligons; ++k) {
            const std::uint32_t n = r.U32(at + 32 + 4 * qsizetype(k));
            if (qsizetype(n) > (fi - punt) / 4)
                break;
            const qsizetype primer = punt;
            for (std::uint32_t i = 0; i < n; ++i, punt += 4) {
                const qsizetype seguent = i + 1 < n ? punt + 4 : primer;
                f(r.I16(punt) * sx, r.I16(punt + 2) * sy, r.I16(seguent) * sx, r.I16(seguent + 2) * sy);
            }
        }
    };
    // Only what falls on the picture is drawn.
    const auto x = [&](double v) { return std::clamp(v, 0.0, double(pixels.width())); };
    const auto y = [&](double v) { return std::clamp(v, 0.0, double(pixels.height())); };
    const auto dret = [&](double x0, double x1) { return std::abs(x(x1) - x(x0)) < 1; };
    double esquerra = pixels.width(), dreta = 0, drets = 0;
    arestes([&](double x0, double, double x1, double) {
        esquerra = std::min({esquerra, x(x0), x(x1)});
        dreta = std::max({dreta, x(x0), x(x1)});
        drets += dret(x0, x1);
    });
    const double amplada = std::max(0.0, dreta - esquerra) + 1;
    double feina = 0;
    arestes([&](double x0, double y0, double x1, double y1) {
        const double alt = std::abs(y(y1) - y(y0)) + 1;
        feina += dret(x0, x1) ? alt * std::min(drets, amplada) / 4 : alt * amplada;
    });
    return qint64(std::min(feina, 1e15));
}

bool DinsPressupost(const Feina& f, QSize pixels)
{
    const qint64 area = qint64(pixels.width()) * pixels.height();
    return f.lletres <= PressupostImatge::lletres && f.areaLletres <= std::max<qint64>(16 * area, 1 << 20)
        && f.punts <= PressupostImatge::punts && f.pixelsMapes <= PressupostImatge::pixelsMapes
        && f.vores <= PressupostImatge::vores;
}

Feina Compta(const LectorEmf& r, QSize pixels, double sx0, double sy0)
{
    Feina f;
    double sx = sx0, sy = sy0;
    QHash<std::uint32_t, int> fonts;
    int font = 12;
    int registres = 0;
    for (qsizetype at = r.U32(4); r.Dins(at, 8) && ++registres < 200000;) {
        const std::uint32_t tipus = r.U32(at), m = r.U32(at + 4);
        if (m < 8 || m % 4 != 0 || !r.Dins(at, m) || tipus == EMR_EOF)
            break;
        if (tipus == EMR_SETWINDOWEXTEX && m >= 16 && r.I32(at + 8) > 0 && r.I32(at + 12) > 0) {
            sx = pixels.width() / double(r.I32(at + 8));
            sy = pixels.height() / double(r.I32(at + 12));
        } else if (tipus == EMR_EXTCREATEFONTINDIRECTW && m >= 12 + 92) {
            fonts.insert(r.U32(at + 8), MidaLletra(r.I32(at + 12), sy, pixels));
        } else if (tipus == EMR_SELECTOBJECT && m >= 12) {
            font = fonts.value(r.U32(at + 8), font);
        } else if (tipus == EMR_EXTTEXTOUTW && m >= 76) {
            const qint64 n = std::min<qint64>(r.U32(at + 44), 10000);
            f.lletres += n;
            f.areaLletres += n * font * font;
        } else if (tipus == EMR_POLYPOLYGON16 && m >= 32) {
            const std::uint32_t poligons = r.U32(at + 24), punts = r.U32(at + 28);
            f.punts += std::min<qint64>(punts, 4000000);
            if (poligons <= 1000000 && punts <= 4000000 && m >= 32 + 4 * qint64(poligons) + 4 * qint64(punts)
                && f.punts <= PressupostImatge::punts)
                f.vores += FeinaVores(r, at, poligons, punts, sx, sy, pixels);
        } else if (tipus == EMR_STRETCHDIBITS && m >= 80) {
            const auto costat = [](double v) { return qint64(std::min(std::abs(v), 1e7)); };
            f.pixelsMapes += costat(r.I32(at + 72) * sx0) * costat(r.I32(at + 76) * sy0) + 1;
        }
        at += m;
    }
    return f;
}

} // namespace

QImage DibuixaEmf(const QByteArray& emf, QSize pixels, bool* superat)
{
    if (superat)
        *superat = false;
    const LectorEmf r(emf);
    if (!r.Dins(0, 88) || r.U32(0) != EMR_HEADER || r.U32(40) != 0x464D4520u)
        return {};
    const qint64 W = qint64(r.I32(16)) - r.I32(8) + 1, H = qint64(r.I32(20)) - r.I32(12) + 1;
    if (W < 1 || H < 1 || W > 1000000 || H > 1000000 || pixels.isEmpty())
        return {};
    if (!DinsPressupost(Compta(r, pixels, pixels.width() / double(W), pixels.height() / double(H)), pixels)) {
        if (superat)
            *superat = true;
        return {};
    }
    QImage img = Llenc(pixels);
    if (img.isNull())
        return {};
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    // Logical units to target pixels; device units until a window extent says otherwise.
    double sx = pixels.width() / double(W), sy = pixels.height() / double(H);
    QHash<std::uint32_t, QColor> pinzells;
    QHash<std::uint32_t, QFont> fonts;
    QColor relleno = Qt::black, colorText = Qt::black;
    QFont font;
    int registres = 0;
    for (qsizetype at = r.U32(4); r.Dins(at, 8) && ++registres < 200000;) {
        const std::uint32_t tipus = r.U32(at), mida = r.U32(at + 4);
        if (mida < 8 || mida % 4 != 0 || !r.Dins(at, mida))
            break;
        const auto cap = [&](qsizetype n) { return qsizetype(mida) >= n; };
        if (tipus == EMR_EOF) {
            break;
        } else if (tipus == EMR_SETWINDOWEXTEX && cap(16)) {
            const std::int32_t wl = r.I32(at + 8), hl = r.I32(at + 12);
            if (wl > 0 && hl > 0) {
                sx = pixels.width() / double(wl);
                sy = pixels.height() / double(hl);
            }
        } else if (tipus == EMR_CREATEBRUSHINDIRECT && cap(24)) {
            pinzells.insert(r.U32(at + 8), Color(r.U32(at + 16)));
        } else if (tipus == EMR_EXTCREATEFONTINDIRECTW && cap(12 + 92)) {
            QFont f;
            const qsizetype lf = at + 12;
            QString nom;
            for (int i = 0; i < 32; ++i) {
                const char16_t c = r.U16(lf + 28 + 2 * i);
                if (c == 0)
                    break;
                nom += QChar(c);
            }
            if (!nom.isEmpty())
                f.setFamily(nom);
            const std::int32_t alt = r.I32(lf);
            f.setPixelSize(MidaLletra(alt, sy, pixels));
            f.setBold(r.I32(lf + 16) >= 600);
            f.setItalic(r.U8(lf + 20) != 0);
            f.setUnderline(r.U8(lf + 21) != 0);
            fonts.insert(r.U32(at + 8), f);
        } else if (tipus == EMR_SELECTOBJECT && cap(12)) {
            const std::uint32_t h = r.U32(at + 8);
            if (pinzells.contains(h))
                relleno = pinzells.value(h);
            else if (fonts.contains(h))
                font = fonts.value(h);
        } else if (tipus == EMR_SETTEXTCOLOR && cap(12)) {
            colorText = Color(r.U32(at + 8));
        } else if (tipus == EMR_POLYPOLYGON16 && cap(32)) {
            const std::uint32_t poligons = r.U32(at + 24), punts = r.U32(at + 28);
            if (poligons > 1000000 || punts > 4000000 || !cap(32 + 4 * qsizetype(poligons) + 4 * qsizetype(punts))) {
                at += mida;
                continue;
            }
            QPainterPath cami;
            cami.setFillRule(Qt::WindingFill);
            qsizetype punt = at + 32 + 4 * qsizetype(poligons);
            const qsizetype fi = punt + 4 * qsizetype(punts);
            for (std::uint32_t k = 0; k < poligons; ++k) {
                const std::uint32_t n = r.U32(at + 32 + 4 * qsizetype(k));
                if (qsizetype(n) > (fi - punt) / 4)
                    break;
                QPolygonF pol;
                pol.reserve(qsizetype(n));
                for (std::uint32_t i = 0; i < n; ++i, punt += 4)
                    pol << QPointF(r.I16(punt) * sx, r.I16(punt + 2) * sy);
                cami.addPolygon(pol);
                cami.closeSubpath();
            }
            p.fillPath(cami, relleno);
        } else if (tipus == EMR_STRETCHDIBITS && cap(80)) {
            // A two-colour bitmap stretched over its place (a QR code's modules).
            const qsizetype bmi = at + r.U32(at + 48), bits = at + r.U32(at + 56);
            if (r.Dins(bmi, 48) && bmi + 48 <= at + mida && r.U16(bmi + 14) == 1) {
                const std::int32_t bw = r.I32(bmi + 4), bhs = r.I32(bmi + 8);
                const std::int32_t bh = std::abs(bhs);
                const qsizetype fila = (qsizetype(bw) + 31) / 32 * 4;
                if (bw > 0 && bh > 0 && bw <= 10000 && bh <= 10000 && r.Dins(bits, fila * bh)
                    && bits + fila * bh <= at + mida) {
                    QImage b(bw, bh, QImage::Format_Mono);
                    const auto quad = [&](qsizetype q) { return qRgb(r.U8(q + 2), r.U8(q + 1), r.U8(q)); };
                    b.setColorTable({quad(bmi + 40), quad(bmi + 44)});
                    for (int y = 0; y < bh; ++y)
                        std::memcpy(b.scanLine(bhs > 0 ? bh - 1 - y : y), emf.constData() + bits + qsizetype(y) * fila,
                                    std::size_t(std::min<qsizetype>(b.bytesPerLine(), fila)));
                    const QRectF desti(r.I32(at + 24) * sx, r.I32(at + 28) * sy, r.I32(at + 72) * sx, r.I32(at + 76) * sy);
                    p.save();
                    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
                    p.drawImage(desti, b);
                    p.restore();
                }
            }
        } else if (tipus == EMR_EXTTEXTOUTW && cap(76)) {
            const std::uint32_t n = r.U32(at + 44), offText = r.U32(at + 48), offAvancos = r.U32(at + 72);
            if (n > 0 && n <= 10000 && cap(qsizetype(offText) + 2 * qsizetype(n)) && cap(qsizetype(offAvancos) + 4 * qsizetype(n))) {
                p.setFont(font);
                p.setPen(colorText);
                double x = r.I32(at + 36);
                const double y = r.I32(at + 40) * sy;
                for (std::uint32_t i = 0; i < n; ++i) {
                    const QChar c(r.U16(at + offText + 2 * i));
                    if (!c.isSpace())
                        p.drawText(QPointF(x * sx, y), QString(c));
                    x += r.I32(at + offAvancos + 4 * i);
                }
            }
        }
        at += mida;
    }
    p.end();
    return img;
}

QImage DibuixaVectorial(const word::InlinePicture& picture, QSize pixels, bool* superat)
{
    if (superat)
        *superat = false;
    if (const auto& g = picture.glyphOutline(); g && !g->pieces.empty())
        return DibuixaGlif(*g, pixels);
    if (picture.isVector())
        return DibuixaEmf(picture.png(), pixels, superat);
    return {};
}

} // namespace kovel::docframe
