// The pictures' encoders: a palette PNG must decode to exactly the pixels it was given, and
// an EMF must carry the shapes at their place and the shown size.
#include "codes/ImatgeEmf.h"
#include "codes/ImatgePng.h"
#include "codes/tests/LectorEmf.h"

#include <gtest/gtest.h>

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
