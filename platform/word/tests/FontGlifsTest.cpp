// The document's font read back by Qt's font engine: the mapped characters, advances,
// outlines (composites and holes included) and line metrics must be what was described.
#include "platform/word/FontGlifs.h"

#include "platform/word/Document.h"

#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QUuid>
#include <QtEndian>
#include <gtest/gtest.h>
#include <zip.h>

using namespace kovel::word;

namespace {

// Clockwise (y up) unless `invers`: the winding of a hole.
std::vector<QPoint> rect(int x0, int y0, int x1, int y1, bool invers = false) {
    if (invers) return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    return {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};
}

// Glyphs: 0 three bars, 1 a square with a hole and an overlapping bar, 2 = 0 and 1 side by
// side, 3 = 2 and 0 again (composite of a composite), 4 a staircase of 300 points whose
// flags repeat in runs longer than one REPEAT count holds.
DescripcioFont mostra() {
    DescripcioFont d;
    d.familia = QStringLiteral("Kovel Codis 3FA2");
    d.unitatsEm = 1000;
    d.ascendent = 800;
    d.descendent = 200;
    d.glifs.resize(5);
    d.glifs[0].contorns = {rect(0, 0, 100, 700), rect(200, 0, 250, 700), rect(400, -100, 500, 700),
                           {{10, 10}, {20, 20}, {10, 10}}};  // degenerate: dropped
    d.glifs[0].avanc = 600;
    d.glifs[1].contorns = {rect(0, 0, 600, 600), rect(200, 200, 400, 400, true), rect(500, 0, 700, 600)};
    d.glifs[1].avanc = 700;
    d.glifs[2].components = {{0, {50, 0}}, {1, {1000, 100}}};
    d.glifs[2].avanc = 1800;
    d.glifs[3].components = {{2, {-10, -20}}, {0, {2000, 0}}};
    d.glifs[3].avanc = 2700;
    std::vector<QPoint> escala;
    for (int i = 0; i < 300; ++i) escala.push_back({i, 2 * i});
    escala.push_back({0, 598});
    d.glifs[4].contorns = {escala};
    d.caracters = {{0xE002, 2}, {0xE000, 0}, {0xE001, 1}, {0xF8FF, 3}, {0xE003, 4}};
    return d;
}

QRawFont carrega(const QByteArray& ttf, qreal pixels) {
    return QRawFont(ttf, pixels, QFont::PreferNoHinting);
}

quint32 suma(const uchar* p, quint32 n) {
    quint32 s = 0;
    for (quint32 i = 0; i < n; i += 4) s += qFromBigEndian<quint32>(p + i);
    return s;
}

} // namespace

TEST(FontGlifs, QtReadsCharactersAdvancesOutlinesAndMetrics) {
    const DescripcioFont d = mostra();
    const QByteArray ttf = FontTrueType(d);
    EXPECT_EQ(ttf, FontTrueType(d));  // deterministic
    const QRawFont f = carrega(ttf, d.unitatsEm);  // one pixel per font unit
    ASSERT_TRUE(f.isValid());
    EXPECT_EQ(f.familyName(), d.familia);
    EXPECT_NEAR(f.ascent(), 800, 0.5);
    EXPECT_NEAR(f.descent(), 200, 0.5);
    EXPECT_NEAR(f.unitsPerEm(), 1000, 0.5);

    const QString text = QString(QChar(0xE000)) + QChar(0xE001) + QChar(0xE002) + QChar(0xF8FF) + QChar(0xE003);
    for (QChar c : text) EXPECT_TRUE(f.supportsCharacter(c)) << int(c.unicode());
    EXPECT_FALSE(f.supportsCharacter(QChar(0xE004)));
    const QList<quint32> glifs = f.glyphIndexesForString(text);
    ASSERT_EQ(glifs, (QList<quint32>{1, 2, 3, 4, 5}));
    const QList<QPointF> avancos = f.advancesForGlyphIndexes(glifs);
    ASSERT_EQ(avancos.size(), 5);
    EXPECT_EQ(avancos[0].x(), 600);
    EXPECT_EQ(avancos[3].x(), 2700);

    // Qt's y grows downwards.
    EXPECT_EQ(f.pathForGlyph(1).boundingRect(), QRectF(0, -700, 500, 800));
    EXPECT_EQ(f.pathForGlyph(3).boundingRect(), QRectF(50, -700, 1650, 800));
    EXPECT_EQ(f.pathForGlyph(4).boundingRect(), QRectF(40, -700, 2460, 820));
    EXPECT_EQ(f.pathForGlyph(5).boundingRect(), QRectF(0, -598, 299, 598));
}

TEST(FontGlifs, HoleStaysEmptyAndOverlapsStayFilled) {
    // Small enough for the glyph cache, so FreeType's own rasteriser draws it: 1 px = 20 units.
    const QRawFont f = carrega(FontTrueType(mostra()), 50);
    ASSERT_TRUE(f.isValid());
    QImage imatge(60, 60, QImage::Format_ARGB32);
    imatge.fill(Qt::white);
    QGlyphRun run;
    run.setRawFont(f);
    run.setGlyphIndexes({2});
    run.setPositions({QPointF(10, 50)});
    QPainter pintor(&imatge);
    pintor.setPen(Qt::black);
    pintor.drawGlyphRun(QPointF(), run);
    pintor.end();
    const auto tinta = [&](int ux, int uy) { return qGray(imatge.pixel(10 + ux / 20, 50 - uy / 20)) < 128; };
    EXPECT_TRUE(tinta(100, 300));   // the ring
    EXPECT_FALSE(tinta(300, 300));  // the hole
    EXPECT_TRUE(tinta(550, 300));   // ring and bar overlapping, same winding
    EXPECT_TRUE(tinta(650, 300));   // the bar alone
    EXPECT_FALSE(tinta(300, 700));  // above it
}

TEST(FontGlifs, TableChecksumsAndLargeFont) {
    // 4,096 glyphs of 60 bars each, as a big merge makes them; every character reaches its glyph.
    DescripcioFont d = mostra();
    d.glifs.clear();
    d.caracters.clear();
    for (int g = 0; g < 4096; ++g) {
        GlifFont glif;
        for (int b = 0; b < 60; ++b) glif.contorns.push_back(rect(b * 30, -g % 7, b * 30 + 10 + g % 20, 900));
        glif.avanc = 1800;
        d.glifs.push_back(std::move(glif));
        d.caracters.push_back({char16_t(0xE000 + (g * 7) % 4096), g});
    }
    const QByteArray ttf = FontTrueType(d);
    const auto* p = reinterpret_cast<const uchar*>(ttf.constData());
    EXPECT_EQ(suma(p, quint32(ttf.size())), 0xB1B0AFBAu);
    const int taules = qFromBigEndian<quint16>(p + 4);
    EXPECT_EQ(taules, 10);
    for (int t = 0; t < taules; ++t) {
        const uchar* e = p + 12 + 16 * t;
        const quint32 offset = qFromBigEndian<quint32>(e + 8), mida = qFromBigEndian<quint32>(e + 12);
        ASSERT_LE(offset + mida, quint32(ttf.size()));
        ASSERT_EQ(offset % 4, 0u);
        quint32 s = suma(p + offset, (mida + 3) & ~3u);
        if (memcmp(e, "head", 4) == 0) s -= qFromBigEndian<quint32>(p + offset + 8);
        EXPECT_EQ(s, qFromBigEndian<quint32>(e + 4)) << std::string(reinterpret_cast<const char*>(e), 4);
        if (t > 0) {
            EXPECT_LT(memcmp(e - 16, e, 4), 0);  // sorted by tag
        }
    }

    const QRawFont f = carrega(ttf, d.unitatsEm);
    ASSERT_TRUE(f.isValid());
    const QList<quint32> glifs = f.glyphIndexesForString(QString(QChar(0xE000 + (4095 * 7) % 4096)));
    ASSERT_EQ(glifs, QList<quint32>{4096});
    EXPECT_EQ(f.pathForGlyph(4096).boundingRect(), QRectF(0, -900, 59 * 30 + 10 + 4095 % 20, 900 + 4095 % 7));
}

TEST(FontGlifs, DescriptionsThatCannotBeHeldAreRefused) {
    const auto refusa = [](auto canvi) {
        DescripcioFont d = mostra();
        canvi(d);
        EXPECT_THROW(FontTrueType(d), WordError);
    };
    refusa([](DescripcioFont& d) { d.familia.clear(); });
    refusa([](DescripcioFont& d) { d.familia = QStringLiteral("Kovel-Codis"); });
    refusa([](DescripcioFont& d) { d.familia = QString(32, u'K'); });
    refusa([](DescripcioFont& d) { d.ascendent = 0; });
    refusa([](DescripcioFont& d) { d.descendent = -1; });
    refusa([](DescripcioFont& d) { d.glifs[0].contorns[0][1].setY(40000); });
    refusa([](DescripcioFont& d) { d.glifs[0].avanc = -5; });
    refusa([](DescripcioFont& d) { d.glifs[2].components[0].glif = 2; });   // itself
    refusa([](DescripcioFont& d) { d.glifs[2].components[0].glif = 3; });   // a later glyph
    refusa([](DescripcioFont& d) { d.glifs[2].components[0].glif = -1; });  // none
    refusa([](DescripcioFont& d) { d.glifs[2].contorns = {rect(0, 0, 5, 5)}; });
    refusa([](DescripcioFont& d) { d.glifs[3].components[1].desplacament = {32700, 0}; });  // bbox
    refusa([](DescripcioFont& d) { d.glifs.resize(65001); });
    refusa([](DescripcioFont& d) { d.caracters.push_back({u'A', 0}); });
    refusa([](DescripcioFont& d) { d.caracters.push_back({0xE000, 1}); });  // twice
    refusa([](DescripcioFont& d) { d.caracters.push_back({0xE005, 5}); });  // no such glyph
}

TEST(FontGlifs, ObfuscationUsesTheGuidBytesFromTheEndAndRoundTrips) {
    const QByteArray ttf = FontTrueType(mostra());
    const QUuid clau(QStringLiteral("{00112233-4455-6677-8899-AABBCCDDEEFF}"));
    const QByteArray o = FontOfuscada(ttf, clau);
    ASSERT_EQ(o.size(), ttf.size());
    const uchar clauEsperada[16] = {0xFF, 0xEE, 0xDD, 0xCC, 0xBB, 0xAA, 0x99, 0x88,
                                    0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11, 0x00};
    for (int i = 0; i < 32; ++i) EXPECT_EQ(uchar(o[i]), uchar(ttf[i]) ^ clauEsperada[i % 16]) << i;
    // sfnt version 1.0 as read from the .docx
    EXPECT_EQ(o.left(4), QByteArray("\xFF\xEF\xDD\xCC", 4));
    EXPECT_EQ(o.mid(32), ttf.mid(32));
    EXPECT_EQ(FontOfuscada(o, clau), ttf);
    EXPECT_THROW(FontOfuscada(ttf.left(31), clau), WordError);
}

namespace {

// One part of a package, or nothing.
QByteArray Part(const QByteArray& docx, const char* nom)
{
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(docx.constData(), zip_uint64_t(docx.size()), 0, &err);
    zip_t* z = src ? zip_open_from_source(src, ZIP_RDONLY, &err) : nullptr;
    if (!z) return {};
    QByteArray out;
    zip_stat_t st;
    if (zip_stat(z, nom, 0, &st) == 0)
        if (zip_file_t* f = zip_fopen(z, nom, 0)) {
            out.resize(qsizetype(st.size));
            out.resize(qsizetype(std::max<zip_int64_t>(0, zip_fread(f, out.data(), st.size))));
            zip_fclose(f);
        }
    zip_discard(z);
    return out;
}

// A picture of `cx` × `cy` points drawn as bars (its own shape) and two digits that share
// a key.
std::shared_ptr<GlyphOutline> Barres()
{
    auto g = std::make_shared<GlyphOutline>();
    g->size = QSizeF(100, 40);
    g->colour = 0x112233;
    QPainterPath barres;
    barres.addRect(10, 0, 10, 30);
    barres.addRect(30, 0, 20, 30);
    g->pieces.push_back({QString(), GlyphOutline::shapeOf(barres), QPointF()});
    QPainterPath u;
    u.addRect(0, -8, 3, 8);   // a "1" standing on its baseline
    const auto forma = GlyphOutline::shapeOf(u);
    g->pieces.push_back({QStringLiteral("u"), forma, QPointF(20, 40)});
    g->pieces.push_back({QStringLiteral("u"), forma, QPointF(60, 40)});
    return g;
}

InlinePicture& Posa(Document& d, std::shared_ptr<const GlyphOutline> g, double ample, double alt)
{
    Range r = d.content();
    r.collapse(Collapse::End);
    InlinePicture p = InlinePicture::fromImage(QImage(8, 8, QImage::Format_RGB32));
    p.setGlyphOutline(std::move(g));
    InlinePicture& posada = r.insertPicture(p);
    posada.setWidth(Points(ample));
    posada.setHeight(Points(alt));
    return posada;
}

} // namespace

TEST(PlatformWordFont, PicturesWrittenAsCharactersOfAnEmbeddedFont)
{
    auto d = Document::create();
    const auto barres = Barres();
    Posa(*d, barres, 100, 40);
    Posa(*d, barres, 100, 40);       // the same value: the same character
    auto altra = std::make_shared<GlyphOutline>(*barres);
    Posa(*d, altra, 100, 40);
    Posa(*d, barres, 20000, 40);     // wider than any font's coordinates: stays a picture

    // Without the setting, pictures as ever.
    QByteArray docx = d->toBytes();
    EXPECT_FALSE(Part(docx, "word/media/image1.png").isEmpty());
    EXPECT_TRUE(Part(docx, "word/fontTable.xml").isEmpty());

    d->setPicturesAsGlyphs(true);
    docx = d->toBytes();
    const QString xml = QString::fromUtf8(Part(docx, "word/document.xml"));
    EXPECT_EQ(xml.count(QStringLiteral("<w:drawing>")), 1);
    EXPECT_EQ(xml.count(QChar(0xE000)), 2);
    EXPECT_EQ(xml.count(QChar(0xE001)), 1);
    EXPECT_TRUE(xml.contains(QStringLiteral("<w:color w:val=\"112233\"/><w:sz w:val=\"58\"/>")));
    EXPECT_TRUE(QString::fromUtf8(Part(docx, "word/settings.xml")).contains(QStringLiteral("<w:embedTrueTypeFonts/>")));
    EXPECT_TRUE(QString::fromUtf8(Part(docx, "[Content_Types].xml")).contains(QStringLiteral("obfuscatedFont")));
    EXPECT_TRUE(QString::fromUtf8(Part(docx, "word/_rels/document.xml.rels")).contains(QStringLiteral("fontTable.xml")));

    // The font, from its key in the table: a character as wide as its picture, a line as high.
    const QString taula = QString::fromUtf8(Part(docx, "word/fontTable.xml"));
    const qsizetype k = taula.indexOf(QStringLiteral("w:fontKey=\""));
    ASSERT_GE(k, 0);
    const QUuid clau(QStringView(taula).mid(k + 11, 38));
    ASSERT_FALSE(clau.isNull());
    const QByteArray ttf = FontOfuscada(Part(docx, "word/fonts/font1.odttf"), clau);
    QRawFont font(ttf, 2048);
    ASSERT_TRUE(font.isValid());
    EXPECT_TRUE(taula.contains(font.familyName()));
    EXPECT_TRUE(xml.contains(font.familyName()));
    ASSERT_TRUE(font.supportsCharacter(QChar(0xE001)));
    // 29 pt a 2,048-unit em: 100 points are 7,062 units, 40 points 2,825.
    const QList<quint32> glifs = font.glyphIndexesForString(QString(QChar(0xE000)));
    EXPECT_NEAR(font.advancesForGlyphIndexes(glifs).value(0).x(), 7062, 1);
    EXPECT_NEAR(font.ascent(), 2825, 1);
    EXPECT_NEAR(font.descent(), 0, 1);
    // Bars and digits where the picture has them: x 10..20, 30..50 and the digits at 20 and
    // 60 of 100; y from the top (40) down to 10 of 40 (y up from the baseline in the font).
    const QRectF caixa = font.pathForGlyph(glifs.value(0)).boundingRect();
    EXPECT_NEAR(caixa.left(), 706, 2);
    EXPECT_NEAR(caixa.right(), 7062 * 63 / 100.0, 2);
    EXPECT_NEAR(-caixa.top(), 2825, 2);
    EXPECT_NEAR(-caixa.bottom(), 0, 2);

    // The package reads back: the characters are text.
    const auto llegit = Document::fromBytes(docx, QStringLiteral("glifs.docx"));
    EXPECT_EQ(llegit->inlinePictures().size(), 1u);
    EXPECT_EQ(llegit->body().text().count(QChar(0xE000)), 2);
}
