// Hostile pictures built here byte by byte: a PNG whose text chunks inflate to gigabytes, a
// progressive JPEG of thousands of scans, cut and misordered files. Each is refused or
// reduced to what shows before any decoder reads it, and good pictures read as they did.
#include "platform/imatges/LecturaImatge.h"
#include "platform/imatges/tests/ImatgesHostils.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>
#include <QSemaphore>
#include <QtEndian>

#include <atomic>

using namespace kovel::imatges;
using namespace kovel::imatges::proves;

namespace {

QImage Mostra(QSize mida, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(mida, format);
    for (int y = 0; y < mida.height(); ++y)
        for (int x = 0; x < mida.width(); ++x)
            img.setPixelColor(x, y, QColor(x * 255 / mida.width(), y * 255 / mida.height(), 90));
    return img;
}

} // namespace

TEST(PictureReading, PngTextChunksNeverReachTheDecoder)
{
    const QImage original = Mostra(QSize(64, 64));
    const QByteArray png = Codifica(original, "png");
    // Two hundred compressed comments of 7 MB of zeros each: 1.4 GB inflated; then a private
    // ancillary chunk of 100 KB, past what is kept, and a small one, kept.
    const QByteArray hostil = AmbTrossos(PngAmbComentaris(original, 200, 7 << 20),
                                         Tros("prVb", QByteArray(100 * 1024, 'x')) + Tros("prVs", QByteArray(16, 's')));
    ASSERT_GT(hostil.size(), 1300000);

    const Examen e = Examina(hostil);
    ASSERT_TRUE(e.admesa()) << e.motiu.toStdString();
    EXPECT_EQ(e.format, "png");
    EXPECT_EQ(e.mida, QSize(64, 64));
    EXPECT_FALSE(e.bytes.contains("zTXt"));
    EXPECT_FALSE(e.bytes.contains("prVb"));
    EXPECT_TRUE(e.bytes.contains("prVs"));
    EXPECT_LT(e.bytes.size(), png.size() + 64);
    const QImage llegida = Decodifica(e);
    EXPECT_EQ(llegida.convertToFormat(QImage::Format_RGB32), original);

    // A good picture with transparency reads as the decoder reads it itself.
    const QByteArray alfa = Codifica(Mostra(QSize(30, 20), QImage::Format_ARGB32), "png");
    EXPECT_EQ(Llegeix(alfa), QImage::fromData(alfa));
}

TEST(PictureReading, PngRefusedForItsSizeOrBrokenChunks)
{
    const QByteArray png = Codifica(Mostra(QSize(16, 16)), "png");
    struct Cas {
        const char* nom;
        QByteArray bytes;
        bool superat;
    };
    QByteArray gran = png;
    qToBigEndian<quint32>(100000, gran.data() + 16); // the header's width
    QByteArray llarg = png;
    qToBigEndian<quint32>(0x7FFFFFF0u, llarg.data() + 8 + 12 + 13); // the chunk after the header
    const std::vector<Cas> casos = {
        {"wider than allowed", gran, true},
        {"a chunk longer than the file", llarg, false},
        {"cut inside a chunk", png.left(40), false},
        {"a data chunk before the header", png.left(8) + png.mid(8 + 25), false},
        {"a chunk with no name", AmbTrossos(png, Tros("a1b2", "x")), false},
    };
    for (const Cas& c : casos) {
        QString motiu;
        EXPECT_TRUE(Llegeix(c.bytes, {}, &motiu).isNull()) << c.nom;
        const Examen e = Examina(c.bytes);
        EXPECT_FALSE(e.admesa()) << c.nom;
        EXPECT_EQ(e.superat, c.superat) << c.nom;
        EXPECT_EQ(motiu, e.motiu) << c.nom;
    }
    Pressupost petit;
    petit.pixels = 255;
    EXPECT_TRUE(Examina(png, petit).superat);
    EXPECT_EQ(Examina("plain text, not a picture").format, QByteArray());
}

TEST(PictureReading, JpegScansAreCountedBeforeDecoding)
{
    // Grey, so each scan covers the one component: 8 x 8 blocks a scan.
    const QImage gris = Mostra(QSize(64, 64)).convertToFormat(QImage::Format_Grayscale8);
    const QByteArray progressiu = Codifica(gris, "jpeg", true);
    const Examen bo = Examina(progressiu);
    ASSERT_TRUE(bo.admesa()) << bo.motiu.toStdString();
    EXPECT_EQ(bo.format, "jpeg");
    EXPECT_GT(bo.escanejos, 1);
    EXPECT_EQ(bo.blocs, 64 * bo.escanejos);
    EXPECT_EQ(Decodifica(bo), QImage::fromData(progressiu));

    const QByteArray sequencial = Codifica(Mostra(QSize(40, 24)), "jpeg");
    const Examen s = Examina(sequencial);
    EXPECT_EQ(s.escanejos, 1);
    EXPECT_EQ(Decodifica(s), QImage::fromData(sequencial));

    // Its last scan repeated to twenty thousand: the decoder would visit every block each time.
    const Examen e = Examina(JpegAmbEscanejos(gris, 20000));
    EXPECT_FALSE(e.admesa());
    EXPECT_TRUE(e.superat);
    EXPECT_TRUE(e.motiu.contains("scans")) << e.motiu.toStdString();
    EXPECT_TRUE(e.bytes.isEmpty());

    // The blocks, not only the scans: one block short of what the good picture visits.
    Pressupost p;
    p.blocs = bo.blocs - 1;
    EXPECT_TRUE(Examina(progressiu, p).superat);
}

TEST(PictureReading, BrokenJpegsAreRefused)
{
    const QByteArray jpeg = Codifica(Mostra(QSize(16, 16)), "jpeg");
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    QByteArray sensemarc = jpeg;
    sensemarc[sof + 1] = char(0xE5); // the frame header made an application segment
    QByteArray llarg = jpeg;
    llarg[sof + 2] = char(0x7F);     // its length beyond the file
    for (const QByteArray& b : {sensemarc, llarg, jpeg.left(sof + 5)}) {
        const Examen e = Examina(b);
        EXPECT_FALSE(e.admesa());
        EXPECT_FALSE(e.superat);
        EXPECT_TRUE(Decodifica(e).isNull());
    }
}

// The one who waits is free once the time is up, whatever the worker still does; what the
// worker gives then goes to the late taker, before the worker counts as ended.
TEST(PictureReading, WaitingEndsAtTheTimeLimitAndThePictureComesLater)
{
    QSemaphore retingut;
    std::atomic<int> tardanes = 0;
    QImage arribada;
    const Espera tard = AmbTempsLimit(
        [&] {
            retingut.acquire();
            return Mostra(QSize(4, 4));
        },
        20,
        [&](QImage img) {
            arribada = std::move(img);
            ++tardanes;
        });
    EXPECT_FALSE(tard.imatge.has_value());
    EXPECT_TRUE(tard.enCurs);
    EXPECT_FALSE(EsperaTreballadors(0));
    retingut.release();
    ASSERT_TRUE(EsperaTreballadors(60000));
    EXPECT_EQ(tardanes, 1);
    EXPECT_EQ(arribada.size(), QSize(4, 4));

    // In time: the waiter has it, and the late taker is never called.
    const Espera aTemps = AmbTempsLimit([] { return Mostra(QSize(4, 4)); }, 60000, [&](QImage) { ++tardanes; });
    ASSERT_TRUE(aTemps.imatge.has_value());
    EXPECT_FALSE(aTemps.enCurs);
    EXPECT_EQ(aTemps.imatge->size(), QSize(4, 4));
    ASSERT_TRUE(EsperaTreballadors(60000));
    EXPECT_EQ(tardanes, 1);
}

// Workers left behind by pictures out of time are few: once they are all busy, a new
// picture is not started nor waited for, so no document or repaint storm piles up threads.
TEST(PictureReading, NoMoreWorkersThanTheCapAreStarted)
{
    QSemaphore retingut;
    for (int i = 0; i < TreballadorsMaxims; ++i)
        EXPECT_TRUE(AmbTempsLimit(
                        [&] {
                            retingut.acquire();
                            return QImage();
                        },
                        0)
                        .enCurs);
    std::atomic<bool> comencat = false;
    const Espera ocupat = AmbTempsLimit(
        [&] {
            comencat = true;
            return Mostra(QSize(4, 4));
        },
        60000);
    EXPECT_FALSE(ocupat.imatge.has_value());
    EXPECT_FALSE(ocupat.enCurs);
    EXPECT_FALSE(comencat);
    retingut.release(TreballadorsMaxims);
    ASSERT_TRUE(EsperaTreballadors(60000));
    EXPECT_FALSE(comencat);
    EXPECT_TRUE(AmbTempsLimit([] { return Mostra(QSize(4, 4)); }, 60000).imatge.has_value());
}
