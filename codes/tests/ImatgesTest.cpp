// The pictures' encoders: a palette PNG must decode to exactly the pixels it was given, and
// an EMF must carry the shapes at their place and the shown size.
#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"
#include "codes/ImatgeEmf.h"
#include "codes/ImatgePng.h"
#include "codes/tests/LectorEmf.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QSet>
#include <QtEndian>

namespace {

QImage Decodifica(const QByteArray& png)
{
    QImage img;
    img.loadFromData(png, "PNG");
    return img.convertToFormat(QImage::Format_ARGB32);
}

int BitsPerPixel(const QByteArray& png) { return png.at(24); }

} // namespace

TEST(Imatges, PaletteDecodesToTheSamePixels)
{
    // Few colours, runs, rows repeated and not, widths that do not end on a byte.
    for (int colors : {2, 3, 5, 17}) {
        QImage img(37, 23, QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const int k = (y / 4 == 2) ? 0 : ((x / 3 + y * 7) % colors);   // rows 8..11 repeat
                img.setPixel(x, y, qRgb(k * 13, 255 - k * 11, k * 5));
            }
        const QByteArray png = kovel::codes::PngCompacte(img);
        EXPECT_EQ(BitsPerPixel(png), colors <= 2 ? 1 : colors <= 4 ? 2 : colors <= 16 ? 4 : 8) << colors;
        EXPECT_EQ(Decodifica(png), img.convertToFormat(QImage::Format_ARGB32)) << colors;
    }
    // Rows given once and pointed at: the same as the picture with every row in place.
    QImage linies(300, 2, QImage::Format_RGB32);
    linies.fill(Qt::white);
    for (int x = 0; x < 300; x += 3) linies.setPixel(x, 0, qRgb(0, 0, 0));
    const std::vector<int> fila{0, 0, 0, 1, 0, 1, 1};
    QImage desplegada(300, 7, QImage::Format_ARGB32);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 300; ++x) desplegada.setPixel(x, y, linies.pixel(x, fila[size_t(y)]));
    EXPECT_EQ(Decodifica(kovel::codes::PngCompacte(linies, fila)), desplegada);
    EXPECT_TRUE(kovel::codes::PngCompacte(linies, {0, 2}).isEmpty());   // a row that is not there
}

TEST(Imatges, TransparencyKeptAndOtherPicturesLeftToQt)
{
    QImage img(10, 4, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int x = 0; x < 10; x += 2) img.setPixel(x, 1, qRgba(0, 0, 0, 255));
    const QByteArray png = kovel::codes::PngCompacte(img);
    EXPECT_EQ(BitsPerPixel(png), 1);
    EXPECT_EQ(Decodifica(png), img);
    // Half-transparent or many colours: a true-colour PNG, still the same pixels.
    QImage mitja(4, 4, QImage::Format_ARGB32);
    mitja.fill(qRgba(10, 20, 30, 128));
    EXPECT_EQ(Decodifica(kovel::codes::PngCompacte(mitja)).pixel(1, 1), mitja.convertToFormat(QImage::Format_ARGB32).pixel(1, 1));
    QImage moltes(300, 1, QImage::Format_RGB32);
    for (int x = 0; x < 300; ++x) moltes.setPixel(x, 0, qRgb(x % 256, x / 256, 7));
    EXPECT_EQ(Decodifica(kovel::codes::PngCompacte(moltes)), moltes.convertToFormat(QImage::Format_ARGB32));
}

TEST(Imatges, EmfHoldsTheShapesAtTheirPlaceAndSize)
{
    QPainterPath barra;
    barra.addRect(10, 0, 20, 50);
    barra.addRect(40, 0, 10, 50);
    const QByteArray emf = kovel::codes::Emf(QSize(60, 50), QSizeF(30, 25), qRgb(255, 255, 255), {{qRgb(0, 0, 0), barra}});
    ASSERT_GE(emf.size(), 88);
    auto i32 = [&emf](int at) { return qFromLittleEndian<qint32>(emf.constData() + at); };
    EXPECT_EQ(emf.mid(40, 4), QByteArray(" EMF"));
    EXPECT_EQ(i32(48), emf.size());              // the header's byte count
    EXPECT_EQ(i32(32), 2999);                    // frame: 30 mm wide, in hundredths
    EXPECT_EQ(i32(36), 2499);
    const QImage img = kovel::proves::DibuixaEmf(emf);
    ASSERT_EQ(img.size(), QSize(60, 50));
    EXPECT_EQ(qGray(img.pixel(15, 25)), 0);      // inside the first bar
    EXPECT_EQ(qGray(img.pixel(35, 25)), 255);    // between the bars
    EXPECT_EQ(qGray(img.pixel(45, 25)), 0);
    EXPECT_EQ(qGray(img.pixel(55, 25)), 255);
    // Too large for 16-bit coordinates: refused, not wrapped round.
    EXPECT_TRUE(kovel::codes::Emf(QSize(40000, 10), QSizeF(10, 10), std::nullopt, {{qRgb(0, 0, 0), barra}}).isEmpty());
}

namespace {

// A glyph outline drawn as the font draws it, over white, at `mida`.
QImage DibuixaGlif(const kovel::word::GlyphOutline& g, QSize mida)
{
    QImage img(mida, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(mida.width() / g.size.width(), mida.height() / g.size.height());
    for (const auto& peca : g.pieces) {
        QPainterPath cami;
        cami.setFillRule(Qt::WindingFill);
        std::uint32_t inici = 0;
        for (std::uint32_t fi : peca.shape->ends) {
            QPolygonF pol;
            for (std::uint32_t i = inici; i < fi; ++i)
                pol << QPointF(peca.shape->xy[2 * i], peca.shape->xy[2 * i + 1]) / peca.shape->subunits + peca.offset;
            cami.addPolygon(pol);
            cami.closeSubpath();
            inici = fi;
        }
        const auto& r = peca.shape->rectangles;
        const qreal sub = peca.shape->subunits;
        for (size_t i = 0; i + 3 < r.size(); i += 4)
            cami.addRect(QRectF(QPointF(r[i], r[i + 1]) / sub + peca.offset, QPointF(r[i + 2], r[i + 3]) / sub + peca.offset));
        p.fillPath(cami, QColor(QRgb(0xFF000000u | g.colour)));
    }
    return img;
}

// Pixels of two pictures of one size that one draws (darker than mid grey) or leaves (lighter)
// with no such pixel within a pixel of them in the other: the two shapes differ beyond where
// their edges fall, which the curves of whatever font drew the digits move by a pixel.
double Diferents(const QImage& a, const QImage& b)
{
    const QImage ga = a.convertToFormat(QImage::Format_Grayscale8), gb = b.convertToFormat(QImage::Format_Grayscale8);
    const auto fosc = [](const QImage& g, int x, int y) { return g.constScanLine(y)[x] < 128; };
    const auto aprop = [&](const QImage& g, int x, int y, bool valor) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int xx = x + dx, yy = y + dy;
                if (xx >= 0 && yy >= 0 && xx < g.width() && yy < g.height() && fosc(g, xx, yy) == valor)
                    return true;
            }
        return false;
    };
    int n = 0;
    for (int y = 0; y < ga.height(); ++y)
        for (int x = 0; x < ga.width(); ++x)
            n += !aprop(gb, x, y, fosc(ga, x, y)) || !aprop(ga, x, y, fosc(gb, x, y));
    return double(n) / (ga.width() * ga.height());
}

} // namespace

TEST(Imatges, AGlyphFormDrawsWhatThePictureDraws)
{
    kovel::barcode::ActiveBC ean;
    ean.setBarType(kovel::barcode::EAN13);
    ean.setBarText(QStringLiteral("840000000001"));
    kovel::codes::ImatgeCodi imatge;
    ASSERT_TRUE(CodiBarres::FerImatge(ean, 0, 0, imatge));
    ASSERT_TRUE(imatge.glif);
    const auto& g = *imatge.glif;
    EXPECT_EQ(g.colour, 0u);
    // The bars are the picture's own shape; the digits are shared pieces, one key a digit.
    QSet<QString> claus;
    int digits = 0;
    for (const auto& peca : g.pieces)
        if (!peca.key.isEmpty()) claus.insert(peca.key), ++digits;
    EXPECT_EQ(digits, 13);
    EXPECT_LE(claus.size(), 5);   // 8, 4, 0, 1 and the check digit
    const QImage emf = kovel::proves::DibuixaEmf(imatge.png);
    ASSERT_EQ(emf.size(), imatge.pixels);
    EXPECT_LT(Diferents(emf, DibuixaGlif(g, imatge.pixels)), 0.001);
    // The measure sees a shape that is missing: the digits left out.
    kovel::word::GlyphOutline barres = g;
    std::erase_if(barres.pieces, [](const auto& peca) { return !peca.key.isEmpty(); });
    EXPECT_GT(Diferents(emf, DibuixaGlif(barres, imatge.pixels)), 0.005);

    kovel::qr::QRCodeCtrl qr;
    qr.setDataToEncode(QStringLiteral("MECARD:N:Client 1;TEL:+34 600 001;;"));
    kovel::codes::ImatgeCodi imatgeQR;
    ASSERT_TRUE(CodiQR::FerImatge(qr, imatgeQR));
    ASSERT_TRUE(imatgeQR.glif);
    const QImage emfQR = kovel::proves::DibuixaEmf(imatgeQR.png);
    ASSERT_FALSE(emfQR.isNull());
    EXPECT_LT(Diferents(emfQR, DibuixaGlif(*imatgeQR.glif, emfQR.size())), 0.001);

    // Only a code that is the same on paper as one colour's outlines has the form: not over
    // a coloured ground, and in its own colour when over none.
    ean.setBackColor(0x0000FF);
    ASSERT_TRUE(CodiBarres::FerImatge(ean, 0, 0, imatge));
    EXPECT_FALSE(imatge.glif);
    ean.setTransparent(true);
    ean.setForeColor(0xFF0000);   // blue, as the colours are kept (0x00BBGGRR)
    ASSERT_TRUE(CodiBarres::FerImatge(ean, 0, 0, imatge));
    EXPECT_FALSE(imatge.glif);    // blue bars, black digits
    ean.setTextColor(0xFF0000);
    ASSERT_TRUE(CodiBarres::FerImatge(ean, 0, 0, imatge));
    ASSERT_TRUE(imatge.glif);
    EXPECT_EQ(imatge.glif->colour, 0x0000FFu);
    qr.setBackColor(0x00FFFF);
    ASSERT_TRUE(CodiQR::FerImatge(qr, imatgeQR));
    EXPECT_FALSE(imatgeQR.glif);
}
