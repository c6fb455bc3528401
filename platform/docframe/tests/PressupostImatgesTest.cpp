// Hostile design documents of a few kilobytes: one whose picture asks for hundreds of
// thousands of huge letters, one that places one picture a hundred times. Each opens and
// shows within a hundred megabytes (how fast is the benchmark's to say); what is over its
// budget shows as a box and the user is told once.
#include "platform/docframe/ui/MarcDocument.h"
#include "platform/docframe/DibuixVectorial.h"
#include "platform/docframe/Pont.h"
#include "platform/docframe/tests/DissenysHostils.h"
#include "platform/imatges/LecturaImatge.h"
#include "platform/imatges/tests/ImatgesHostils.h"
#include "platform/word/RegistresEmf.h"
#include "testsupport/Espera.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtEndian>

#include <unistd.h>

using namespace kovel;
using namespace kovel::word::emf;
using kovel::docframe::proves::Emf;

namespace {

int argc = 1;
char arg0[] = "docframe_budget";
char* argv[] = {arg0, nullptr};

void Aplicacio()
{
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

// A design of `copies` pictures of `emf` shown 1500 points a side, as saved and read again.
std::unique_ptr<word::Document> Disseny(const QByteArray& emf, int copies)
{
    auto d = word::Document::create();
    word::Paragraph p;
    for (int i = 0; i < copies; ++i) {
        word::InlinePicture pic = word::InlinePicture::fromEncoded(emf, QSize(2000, 2000));
        pic.setWidth(word::Points(1500));
        pic.setHeight(word::Points(1500));
        pic.setAlternativeText(QStringLiteral("TOLV_campPicture"));
        p.items.emplace_back(pic);
    }
    d->body().blocks = {word::Block{p}};
    return word::Document::fromBytes(d->toBytes(), QStringLiteral("design"));
}

// The picture as shown once its worker is done: the stand-in box of a drawing still to come
// is not the verdict.
QImage VistaAcabada(const docframe::Pont& pont, const QTextImageFormat& f, const QTextDocument& text, QSize pixels)
{
    for (;;) {
        const int abans = pont.Provisionals();
        QImage img = pont.Vista(f, text, pixels);
        if (pont.Provisionals() == abans)
            return img;
        if (!imatges::EsperaTreballadors(60000))
            return {};
    }
}

qint64 MemoriaMB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> camps = f.readAll().split(' ');
    return camps.value(1).toLongLong() * ::sysconf(_SC_PAGESIZE) / (1024 * 1024);
}

struct Resultat {
    qint64 mb = 0;
    int avisos = 0;
    QImage vista;
};

// Opens the design in a frame and shows it, as the window does, until every picture is
// drawn or a box; how much memory.
Resultat Obre(const word::Document& d, const QString& path)
{
    Resultat r;
    const qint64 abans = MemoriaMB();
    {
        docframe::MarcDocument marc;
        QObject::connect(&marc, &docframe::MarcDocument::avisImatges, [&] { ++r.avisos; });
        marc.resize(900, 700);
        marc.Mostra(d, path);
        marc.show();
        r.vista = marc.grab().toImage();
        QApplication::processEvents();
        EXPECT_TRUE(marc.EsperaImatges(60000));
        r.vista = marc.grab().toImage();
        QApplication::processEvents();
        r.mb = MemoriaMB() - abans;
        EXPECT_EQ(marc.findChild<QLabel*>(QStringLiteral("lblAvisImatges"))->isVisible(), r.avisos > 0);
    }
    return r;
}

} // namespace

TEST(PictureBudget, HostileDesignsOpenAtOnceInLittleMemory)
{
    Aplicacio();
    QTemporaryDir dir;
    // Warm: the fonts and the window machinery, counted for neither.
    Obre(*Disseny(Emf().bytes(), 1), dir.filePath("warm.docx"));

    // Forty text records of ten thousand letters each at a size far beyond the picture.
    Emf letres;
    letres.font(1, -5000000);
    for (int i = 0; i < 40; ++i)
        letres.text(10000);
    const auto d1 = Disseny(letres.bytes(), 1);
    d1->saveAs(dir.filePath("letters.docx"));
    const Resultat r1 = Obre(*word::Document::open(dir.filePath("letters.docx")), dir.filePath("letters.docx"));
    EXPECT_LT(r1.mb, 100);
    EXPECT_EQ(r1.avisos, 1);

    // A hundred references to one small picture of the largest size.
    Emf petit;
    petit.font(1, -20);
    petit.text(3);
    ASSERT_LT(petit.bytes().size(), 400);
    const auto d2 = Disseny(petit.bytes(), 100);
    const Resultat r2 = Obre(*d2, dir.filePath("many.docx"));
    EXPECT_LT(r2.mb, 100);
    EXPECT_EQ(r2.avisos, 0);
}

TEST(PictureBudget, LettersAreNoTallerThanThePictureAndWorkIsCountedFirst)
{
    Emf letres;
    letres.font(1, -5000000);
    letres.text(20);
    bool superat = true;
    const QImage img = docframe::DibuixaEmf(letres.bytes(), QSize(200, 100), &superat);
    EXPECT_FALSE(superat);
    EXPECT_FALSE(img.isNull());

    Emf moltes;
    moltes.font(1, -20);
    for (int i = 0; i < 2; ++i)
        moltes.text(docframe::PressupostImatge::lletres / 2 + 1);
    EXPECT_TRUE(docframe::DibuixaEmf(moltes.bytes(), QSize(200, 100), &superat).isNull());
    EXPECT_TRUE(superat);
}

// Dragging the window's edge shows the design at a new zoom at every step: each step's
// drawings replace the last ones, and an ordinary picture never becomes a box.
TEST(PictureBudget, ResizingTheWindowNeverExhaustsIt)
{
    Aplicacio();
    Emf petit;
    petit.font(1, -20);
    petit.text(3);
    auto d = word::Document::create();
    word::InlinePicture pic = word::InlinePicture::fromEncoded(petit.bytes(), QSize(2000, 2000));
    pic.setWidth(word::Points(500));
    pic.setHeight(word::Points(400));
    pic.setAlternativeText(QStringLiteral("TOLV_campPicture"));
    word::Paragraph p;
    p.items.emplace_back(pic);
    d->body().blocks = {word::Block{p}};
    const auto disseny = word::Document::fromBytes(d->toBytes(), QStringLiteral("design"));

    docframe::MarcDocument marc;
    int avisos = 0;
    QObject::connect(&marc, &docframe::MarcDocument::avisImatges, [&] { ++avisos; });
    marc.resize(400, 400);
    marc.Mostra(*disseny, QStringLiteral("design.docx"));
    marc.show();
    QImage vista;
    for (int amplada = 400; amplada <= 1600; amplada += 10) {
        marc.resize(amplada, amplada);
        QApplication::processEvents();
        vista = marc.grab().toImage();
    }
    ASSERT_TRUE(marc.EsperaImatges(60000));
    vista = marc.grab().toImage();
    EXPECT_EQ(avisos, 0);
    EXPECT_FALSE(marc.findChild<QLabel*>(QStringLiteral("lblAvisImatges"))->isVisible());
    // The box's own grey covers no part of the last view: the picture was drawn.
    const QRgb caixa = qRgb(244, 246, 248);
    int grisos = 0;
    for (int y = 0; y < vista.height(); ++y)
        for (int x = 0; x < vista.width(); ++x)
            grisos += vista.pixel(x, y) == caixa;
    EXPECT_EQ(grisos, 0);
}

// Only the drawings held count: one picture drawn at size after size fits however long it
// goes on, while distinct pictures shown at once still run out of the document's pixels.
TEST(PictureBudget, CountsTheDrawingsHeldNotEveryDrawingMade)
{
    Aplicacio();
    auto d = word::Document::create();
    word::Paragraph p;
    for (int i = 1; i <= 8; ++i) {
        Emf emf;
        emf.font(1, -20);
        emf.text(i);
        word::InlinePicture pic = word::InlinePicture::fromEncoded(emf.bytes(), QSize(2000, 2000));
        pic.setWidth(word::Points(300));
        pic.setHeight(word::Points(300));
        p.items.emplace_back(pic);
    }
    d->body().blocks = {word::Block{p}};
    const auto disseny = word::Document::fromBytes(d->toBytes(), QStringLiteral("design"));
    docframe::Pont pont;
    int avisos = 0;
    pont.setAvis([&](const QString&) { ++avisos; });
    QTextDocument text;
    pont.Carrega(*disseny, text);
    std::vector<QTextImageFormat> imatges;
    for (auto it = text.begin().begin(); !it.atEnd(); ++it)
        if (it.fragment().charFormat().isImageFormat())
            imatges.push_back(it.fragment().charFormat().toImageFormat());
    ASSERT_EQ(imatges.size(), 8u);

    // A quarter of the budget each: drawn at forty sizes (forty paints, as a zoom makes
    // them), the first never turns into a box.
    for (int costat = 1610; costat <= 2000; costat += 10) {
        pont.IniciPintat();
        EXPECT_EQ(VistaAcabada(pont, imatges[0], text, QSize(costat, costat)).size(), QSize(costat, costat));
    }
    EXPECT_EQ(avisos, 0);

    // With it, three more fit; the rest show as their boxes and the user is told once.
    for (std::size_t i = 1; i < imatges.size(); ++i)
        EXPECT_EQ(VistaAcabada(pont, imatges[i], text, QSize(2000, 2000)).size() == QSize(2000, 2000), i < 4) << i;
    EXPECT_EQ(avisos, 1);
}

namespace {

// Pixels of `vista` of about this colour.
int DelColor(const QImage& vista, QColor c)
{
    int n = 0;
    for (int y = 0; y < vista.height(); ++y)
        for (int x = 0; x < vista.width(); ++x) {
            const QColor v = vista.pixelColor(x, y);
            n += std::abs(v.red() - c.red()) + std::abs(v.green() - c.green()) + std::abs(v.blue() - c.blue()) < 24;
        }
    return n;
}

const QColor Caixa(244, 246, 248);

} // namespace

// A PNG whose comments inflate to 1.4 GB shows as the picture it is; a JPEG of twenty
// thousand scans is a box with the one message, and a save keeps it as it was.
TEST(PictureBudget, HostileRasterPicturesAreBoundedBeforeDecoding)
{
    Aplicacio();
    QTemporaryDir dir;
    using namespace kovel::docframe::proves;
    const auto desa = [&](const QString& nom, const QByteArray& docx) {
        QFile f(dir.filePath(nom));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(docx);
        return f.fileName();
    };
    QImage vermell(64, 64, QImage::Format_RGB32);
    vermell.fill(QColor(200, 30, 40));
    const QByteArray png = imatges::proves::PngAmbComentaris(vermell, 200, 7 << 20);
    const QString pngPath = desa("comments.docx", DocxAmbImatge(png, QSize(64, 64)));
    ASSERT_EQ(word::Document::open(pngPath)->inlinePictures().front()->png(), png);
    const Resultat r1 = Obre(*word::Document::open(pngPath), pngPath);
    EXPECT_EQ(r1.avisos, 0);
    EXPECT_GT(DelColor(r1.vista, QColor(200, 30, 40)), 10000);

    QImage gris(4000, 4000, QImage::Format_Grayscale8);
    gris.fill(128);
    const QByteArray jpeg = imatges::proves::JpegAmbEscanejos(gris, 20000);
    const QString jpegPath = desa("scans.docx", DocxAmbImatge(jpeg, QSize(4000, 4000)));
    const auto llegit = word::Document::open(jpegPath);
    ASSERT_EQ(llegit->inlinePictures().size(), 1u);
    EXPECT_EQ(llegit->inlinePictures().front()->png(), jpeg);
    EXPECT_EQ(llegit->inlinePictures().front()->pixelSize(), QSize(4000, 4000));
    const Resultat r2 = Obre(*llegit, jpegPath);
    EXPECT_EQ(r2.avisos, 1);
    EXPECT_GT(DelColor(r2.vista, Caixa), 10000);
    llegit->saveAs(dir.filePath("again.docx"));
    EXPECT_EQ(word::Document::open(dir.filePath("again.docx"))->inlinePictures().front()->png(), jpeg);

    // A good progressive JPEG is read into the design and shows.
    QImage blau(64, 64, QImage::Format_RGB32);
    blau.fill(QColor(20, 60, 200));
    const QString bo = desa("good.docx", DocxAmbImatge(imatges::proves::Codifica(blau, "jpeg", true), QSize(64, 64)));
    const Resultat r3 = Obre(*word::Document::open(bo), bo);
    EXPECT_EQ(r3.avisos, 0);
    EXPECT_GT(DelColor(r3.vista, QColor(20, 60, 200)), 10000);
}

// A picture in a format the frame does not decode stays in the design as the user had it:
// shown as a box, saved back byte for byte.
TEST(PictureBudget, APictureOfAnotherFormatIsKeptThroughASave)
{
    Aplicacio();
    QTemporaryDir dir;
    QImage verd(16, 16, QImage::Format_RGB32);
    verd.fill(QColor(20, 160, 40));
    const QByteArray xpm = imatges::proves::Codifica(verd, "xpm");
    ASSERT_FALSE(xpm.isEmpty());
    const QString cami = dir.filePath(QStringLiteral("xpm.docx"));
    {
        QFile f(cami);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(docframe::proves::DocxAmbImatge(xpm, QSize(16, 16)));
    }
    const auto llegit = word::Document::open(cami);
    ASSERT_EQ(llegit->inlinePictures().size(), 1u);
    EXPECT_EQ(llegit->inlinePictures().front()->png(), xpm);
    const Resultat r = Obre(*llegit, cami);
    EXPECT_GT(DelColor(r.vista, Caixa), 1000);
    llegit->saveAs(dir.filePath(QStringLiteral("again.docx")));
    const auto desat = word::Document::open(dir.filePath(QStringLiteral("again.docx")));
    ASSERT_EQ(desat->inlinePictures().size(), 1u);
    EXPECT_EQ(desat->inlinePictures().front()->png(), xpm);
}

// The filler's work is counted as it spends it: slanted edges across the picture and many
// upright bars cost far more than their points say; many points on short edges, little.
TEST(PictureBudget, PolygonEdgesAreCountedAsTheFillerWalksThem)
{
    using namespace kovel::docframe::proves;
    struct Cas {
        const char* nom;
        QByteArray emf;
        QSize pixels;
        bool dibuixat;
    };
    const std::vector<Cas> casos = {
        {"999,999 points", EmfZigazaga(999999, true), QSize(2000, 2000), false},
        {"200 slanted edges across", EmfZigazaga(200, true), QSize(2000, 2000), false},
        {"the same as a thumbnail", EmfZigazaga(200, true), QSize(200, 200), true},
        {"100,000 points on short edges", EmfZigazaga(100000, false), QSize(2000, 2000), true},
        {"1000 bars", EmfBarres(1000), QSize(2000, 2000), false},
        {"100 bars", EmfBarres(100), QSize(2000, 2000), true},
    };
    for (const Cas& c : casos) {
        bool superat = !c.dibuixat;
        const QImage img = docframe::DibuixaEmf(c.emf, c.pixels, &superat);
        EXPECT_EQ(superat, !c.dibuixat) << c.nom;
        EXPECT_EQ(img.isNull() ? QSize() : img.size(), c.dibuixat ? c.pixels : QSize()) << c.nom;
    }
    // The bars are drawn where they stand: the first bar's middle is filled, the gap after it not.
    const QImage barres = docframe::DibuixaEmf(EmfBarres(100), QSize(2000, 2000));
    EXPECT_EQ(qAlpha(barres.pixel(5, 1000)), 255);
    EXPECT_EQ(qAlpha(barres.pixel(15, 1000)), 0);
}

// A drawing the window cannot wait for is its box at once, without a word; once its worker is
// done the window is told, and the picture shows.
TEST(PictureBudget, ADrawingOutOfTimeIsABoxUntilItsWorkerIsDone)
{
    Aplicacio();
    const auto disseny = word::Document::fromBytes(
        docframe::proves::DocxAmbImatge(docframe::proves::EmfZigazaga(100000, false), QSize(2000, 2000)),
        QStringLiteral("design"));
    docframe::Pont pont;
    pont.setTempsImatge(0);
    int avisos = 0, arribades = 0;
    pont.setAvis([&](const QString&) { ++avisos; });
    pont.setArribada([&] { ++arribades; });
    QTextDocument text;
    pont.Carrega(*disseny, text);
    QTextImageFormat f;
    for (auto it = text.begin().begin(); !it.atEnd(); ++it)
        if (it.fragment().charFormat().isImageFormat())
            f = it.fragment().charFormat().toImageFormat();
    ASSERT_TRUE(pont.Imatge(f));
    const QSize mida(2000, 2000);
    const QImage caixa = pont.Vista(f, text, mida);
    ASSERT_FALSE(caixa.isNull());
    EXPECT_NE(caixa.size(), mida);
    EXPECT_EQ(caixa.pixelColor(3, 3), Caixa);
    EXPECT_EQ(pont.Provisionals(), 1);
    ASSERT_TRUE(imatges::EsperaTreballadors(60000));
    QCoreApplication::processEvents();
    EXPECT_EQ(arribades, 1);
    const QImage img = pont.Vista(f, text, mida);
    EXPECT_EQ(img.size(), mida);
    EXPECT_EQ(pont.Provisionals(), 1);
    EXPECT_EQ(avisos, 0);
    // Kept, like any drawing done in time.
    EXPECT_EQ(pont.Vista(f, text, mida).cacheKey(), img.cacheKey());
}

namespace {

// A design of `n` small pictures, each of its own content, and the image formats the editor
// shows them by.
std::vector<QTextImageFormat> Petites(docframe::Pont& pont, QTextDocument& text, int n)
{
    auto d = word::Document::create();
    word::Paragraph p;
    for (int i = 0; i < n; ++i) {
        Emf emf;
        emf.font(1, -20);
        emf.text(i + 1);
        word::InlinePicture pic = word::InlinePicture::fromEncoded(emf.bytes(), QSize(2000, 2000));
        pic.setWidth(word::Points(30));
        pic.setHeight(word::Points(30));
        p.items.emplace_back(pic);
    }
    d->body().blocks = {word::Block{p}};
    pont.Carrega(*word::Document::fromBytes(d->toBytes(), QStringLiteral("design")), text);
    std::vector<QTextImageFormat> imatges;
    for (auto it = text.begin().begin(); !it.atEnd(); ++it)
        if (it.fragment().charFormat().isImageFormat())
            for (int k = 0; k < it.fragment().length(); ++k)
                imatges.push_back(it.fragment().charFormat().toImageFormat());
    return imatges;
}

} // namespace

// Pictures that come after the window stopped waiting are held only while they may still be
// shown, within the document's pixels; one that found no free worker is tried again without
// a word from the user; and a paint of more pictures than the view keeps settles.
TEST(PictureBudget, PicturesComingLateAreBoundedAndNoneIsLeftBehind)
{
    Aplicacio();
    {
        // Forty-one zoom steps, each drawing out of time and never shown at its size again.
        docframe::Pont pont;
        pont.setTempsImatge(0);
        QTextDocument text;
        const QTextImageFormat f = Petites(pont, text, 1)[0];
        const qint64 abans = MemoriaMB();
        for (int costat = 1600; costat <= 2000; costat += 10) {
            pont.IniciPintat();
            pont.Vista(f, text, QSize(costat, costat));
            ASSERT_TRUE(imatges::EsperaTreballadors(60000));
        }
        // Unbounded, they would hold 640 MB.
        EXPECT_LT(MemoriaMB() - abans, 200);
        pont.IniciPintat();
        EXPECT_EQ(VistaAcabada(pont, f, text, QSize(2000, 2000)).size(), QSize(2000, 2000));
    }
    {
        // Every worker busy with another's work: the box, then a paint asked for by itself.
        docframe::Pont pont;
        int arribades = 0;
        pont.setArribada([&] { ++arribades; });
        QTextDocument text;
        const QTextImageFormat f = Petites(pont, text, 1)[0];
        QSemaphore retingut;
        for (int i = 0; i < imatges::TreballadorsMaxims; ++i)
            imatges::AmbTempsLimit([&] {
                retingut.acquire();
                return QImage();
            }, 0);
        EXPECT_NE(pont.Vista(f, text, QSize(400, 400)).size(), QSize(400, 400));
        EXPECT_EQ(pont.Provisionals(), 1);
        retingut.release(imatges::TreballadorsMaxims);
        ASSERT_TRUE(imatges::EsperaTreballadors(60000));
        EXPECT_TRUE(test::EsperaFins([&] { return arribades > 0; }));
        EXPECT_EQ(arribades, 1);
        EXPECT_EQ(VistaAcabada(pont, f, text, QSize(400, 400)).size(), QSize(400, 400));
    }
    {
        // Three hundred pictures on one page, all out of time: paint after paint, each shows
        // what came before, until none is a box.
        docframe::Pont pont;
        pont.setTempsImatge(0);
        QTextDocument text;
        const std::vector<QTextImageFormat> imatges = Petites(pont, text, 300);
        ASSERT_EQ(imatges.size(), 300u);
        int pintats = 0;
        for (bool caixes = true; caixes && pintats < 400; ++pintats) {
            pont.IniciPintat();
            const int abans = pont.Provisionals();
            for (const QTextImageFormat& f : imatges)
                pont.Vista(f, text, QSize(40, 40));
            caixes = pont.Provisionals() != abans;
            ASSERT_TRUE(imatges::EsperaTreballadors(60000));
        }
        EXPECT_LT(pintats, 400);
        for (const QTextImageFormat& f : imatges)
            EXPECT_EQ(pont.Vista(f, text, QSize(40, 40)).size(), QSize(40, 40));
    }
}
