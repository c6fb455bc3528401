// Hostile design documents of a few kilobytes: one whose picture asks for hundreds of
// thousands of huge letters, one that places one picture a hundred times. Each opens and
// shows within a second and a hundred megabytes; what is over its budget shows as a box and
// the user is told once.
#include "platform/docframe/ui/MarcDocument.h"
#include "platform/docframe/DibuixVectorial.h"
#include "platform/docframe/Pont.h"
#include "platform/word/RegistresEmf.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtEndian>

#include <unistd.h>

using namespace kovel;
using namespace kovel::word::emf;

namespace {

int argc = 1;
char arg0[] = "docframe_budget";
char* argv[] = {arg0, nullptr};

void Aplicacio()
{
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

class Emf {
public:
    Emf()
    {
        registre(EMR_HEADER, {0, 0, 99, 99, 0, 0, 2000, 2000, 0x464D4520, 0x10000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    }
    void registre(std::uint32_t tipus, const std::vector<std::uint32_t>& camps, const QByteArray& cua = {})
    {
        QByteArray r(8, '\0');
        for (std::uint32_t c : camps)
            afegeix(r, c);
        r += cua;
        while (r.size() % 4)
            r += '\0';
        qToLittleEndian<quint32>(tipus, r.data());
        qToLittleEndian<quint32>(quint32(r.size()), r.data() + 4);
        b_ += r;
    }
    // A font of `alcada` logical units as object `h`, selected.
    void font(std::uint32_t h, std::int32_t alcada)
    {
        std::vector<std::uint32_t> lf(1 + 23, 0);
        lf[0] = h;
        lf[1] = std::uint32_t(alcada);
        registre(EMR_EXTCREATEFONTINDIRECTW, lf);
        registre(EMR_SELECTOBJECT, {h});
    }
    void text(int n)
    {
        std::vector<std::uint32_t> c(17, 0);
        c[7] = 10;                           // reference point
        c[8] = 90;
        c[9] = std::uint32_t(n);
        c[10] = 76;                          // the letters, after these fields
        c[16] = std::uint32_t(76 + 2 * n + (n % 2) * 2); // the advances after them
        QByteArray cua;
        for (int i = 0; i < n; ++i)
            cua += QByteArray("W\0", 2);
        if (n % 2)
            cua += QByteArray(2, '\0');
        for (int i = 0; i < n; ++i)
            afegeix(cua, 1);
        registre(EMR_EXTTEXTOUTW, c, cua);
    }
    QByteArray bytes()
    {
        QByteArray b = b_;
        QByteArray eof(20, '\0');
        qToLittleEndian<quint32>(EMR_EOF, eof.data());
        qToLittleEndian<quint32>(20, eof.data() + 4);
        b += eof;
        qToLittleEndian<quint32>(quint32(b.size()), b.data() + 48);
        return b;
    }

private:
    static void afegeix(QByteArray& b, std::uint32_t v)
    {
        char c[4];
        qToLittleEndian<quint32>(v, c);
        b.append(c, 4);
    }
    QByteArray b_;
};

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

qint64 MemoriaMB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> camps = f.readAll().split(' ');
    return camps.value(1).toLongLong() * ::sysconf(_SC_PAGESIZE) / (1024 * 1024);
}

struct Resultat {
    qint64 ms = 0;
    qint64 mb = 0;
    int avisos = 0;
    QImage vista;
};

// Opens the design in a frame and shows it, as the window does; how long, how much memory.
Resultat Obre(const word::Document& d, const QString& path)
{
    Resultat r;
    const qint64 abans = MemoriaMB();
    QElapsedTimer t;
    t.start();
    {
        docframe::MarcDocument marc;
        QObject::connect(&marc, &docframe::MarcDocument::avisImatges, [&] { ++r.avisos; });
        marc.resize(900, 700);
        marc.Mostra(d, path);
        marc.show();
        r.vista = marc.grab().toImage();
        QApplication::processEvents();
        r.vista = marc.grab().toImage();
        QApplication::processEvents();
        r.ms = t.elapsed();
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
    EXPECT_LT(r1.ms, 1000);
    EXPECT_LT(r1.mb, 100);
    EXPECT_EQ(r1.avisos, 1);

    // A hundred references to one small picture of the largest size.
    Emf petit;
    petit.font(1, -20);
    petit.text(3);
    ASSERT_LT(petit.bytes().size(), 400);
    const auto d2 = Disseny(petit.bytes(), 100);
    const Resultat r2 = Obre(*d2, dir.filePath("many.docx"));
    EXPECT_LT(r2.ms, 1000);
    EXPECT_LT(r2.mb, 100);
    EXPECT_EQ(r2.avisos, 0);
}

TEST(PictureBudget, LettersAreNoTallerThanThePictureAndWorkIsCountedFirst)
{
    Emf letres;
    letres.font(1, -5000000);
    letres.text(20);
    bool superat = true;
    QElapsedTimer t;
    t.start();
    const QImage img = docframe::DibuixaEmf(letres.bytes(), QSize(200, 100), &superat);
    EXPECT_FALSE(superat);
    EXPECT_FALSE(img.isNull());
    EXPECT_LT(t.elapsed(), 500);

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
    QApplication::processEvents();
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

    // A quarter of the budget each: drawn at forty sizes, the first never turns into a box.
    for (int costat = 1610; costat <= 2000; costat += 10)
        EXPECT_EQ(pont.Vista(imatges[0], text, QSize(costat, costat)).size(), QSize(costat, costat));
    EXPECT_EQ(avisos, 0);

    // With it, three more fit; the rest show as their boxes and the user is told once.
    for (std::size_t i = 1; i < imatges.size(); ++i)
        EXPECT_EQ(pont.Vista(imatges[i], text, QSize(2000, 2000)).size() == QSize(2000, 2000), i < 4) << i;
    EXPECT_EQ(avisos, 1);
}
