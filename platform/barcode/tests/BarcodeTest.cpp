#include "platform/barcode/ActiveBC.h"
#include "platform/barcode/tests/Lector.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

using namespace kovel::barcode;

namespace {

struct CasLectura {
    int type;
    QString text;
    QString expected;      // what the reader returns, check digits included
    int charset = 0;       // Code 128 forced set
    bool calcCheck = false;
    int orientation = 0;
};

void PrintTo(const CasLectura& c, std::ostream* os) { *os << c.type << " '" << c.text.toStdString() << "'"; }

class Lectures : public ::testing::TestWithParam<CasLectura> {};

// Every bar type the reader knows, drawn as the design gets it, reads back to its data.
TEST_P(Lectures, ElLectorTornaLesDades)
{
    const CasLectura& c = GetParam();
    ActiveBC bc;
    bc.setBarType(static_cast<std::int16_t>(c.type));
    bc.setCode128CharSet(static_cast<std::int16_t>(c.charset));
    bc.setCalcCheck(c.calcCheck);
    bc.setOrientation(static_cast<std::int16_t>(c.orientation));
    bc.setBarText(c.text);
    ASSERT_TRUE(bc.Valid()) << bc.Error().toStdString();
    float w = bc.MinBarcodeWidth();
    float h = w / 2.5f;
    if (c.orientation % 180 == 90) std::swap(w, h);
    const QImage img = bc.Dibuixar(QSize(static_cast<int>(w), static_cast<int>(h)));
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(static_cast<int>(w), static_cast<int>(h)));
    const bool addOn = (c.type == EAN8 || c.type == EAN13 || c.type == UPCA || c.type == UPCE)
        && (c.text.contains(QLatin1Char('+')) || c.text.contains(QLatin1Char(' ')));
    const auto r = kovel::proves::Llegir(img, addOn, c.type == Code39Complet);
    ASSERT_TRUE(r.ok) << "not read";
    EXPECT_EQ(r.text.toStdString(), c.expected.toStdString()) << r.format.toStdString();
    EXPECT_EQ(bc.DadesCodificades().toStdString(), c.expected.toStdString());
}

// The dialog-to-document table of the codes tests reads every bar type; here, the other
// forms of input the control accepts.
INSTANTIATE_TEST_SUITE_P(
    FormesDEntrada, Lectures,
    ::testing::Values(
        CasLectura{Code39, "ABC123", "ABC123", 0, false, 90},
        CasLectura{Codabar, "31117013206375", "31117013206375"},
        CasLectura{Code128, "KOVEL\x09TAB", "KOVEL\x09TAB", 1},
        CasLectura{EAN13, "5901234123457", "5901234123457", 0, false, 180},
        CasLectura{UPCA, "03600029145 12", "036000291452 12"},
        CasLectura{UPCE, "0123456+12", "01234565 12"},
        CasLectura{EAN8, "9638507+52495", "96385074 52495"},
        CasLectura{EAN14, "(01)1234567890123", "0112345678901231"},
        CasLectura{GS1_128, "(00)006141411234567890", "00006141411234567890"},
        CasLectura{SSCC18, "006141411234567890", "00006141411234567890"},
        CasLectura{SSCC18, "(00)006141411234567890", "00006141411234567890"},
        CasLectura{ITF14, "15400141288763", "15400141288763", 0, false, 270}));

// ---- The types the reader does not know: the bars drawn against their standards ----

// Runs of the first bar row of a picture, as (bar, pixels).
std::vector<std::pair<bool, int>> RunsFila(const QImage& img, int y)
{
    std::vector<std::pair<bool, int>> runs;
    for (int x = 0; x < img.width(); ++x) {
        const bool bar = qGray(img.pixel(x, y)) < 128;
        if (!runs.empty() && runs.back().first == bar) ++runs.back().second;
        else runs.push_back({bar, 1});
    }
    // The quiet zones are not elements.
    if (!runs.empty() && !runs.front().first) runs.erase(runs.begin());
    if (!runs.empty() && !runs.back().first) runs.pop_back();
    return runs;
}

// Narrow/wide letters of the elements ("n", "w"), bars and spaces alternating from a bar.
QString Amplades(const QImage& img, int narrow)
{
    QString out;
    for (const auto& [bar, px] : RunsFila(img, img.height() / 3)) {
        Q_UNUSED(bar);
        out += px > narrow * 3 / 2 ? QLatin1Char('w') : QLatin1Char('n');
    }
    return out;
}

QImage DibuixMinim(ActiveBC& bc)
{
    bc.setShowText(false);
    const int w = static_cast<int>(bc.MinBarcodeWidth());
    return bc.Dibuixar(QSize(w, w / 2));
}

// The 2 of 5 digit patterns (n narrow, w wide) and Code 11's, from their standards.
const char* const DosDe5[] = {"nnwwn", "wnnnw", "nwnnw", "wwnnn", "nnwnw", "wnwnn", "nwwnn", "nnnww", "wnnwn", "nwnwn"};

TEST(PatronsEstandard, Code11AmbElsDosDigitsDeControl)
{
    // Code 11: C check (weights 1..10 from the right) and K check (1..9 over data + C).
    const QString data = QStringLiteral("123-45");
    auto valor = [](QChar c) { return c == QLatin1Char('-') ? 10 : c.digitValue(); };
    auto check = [&](const QString& s, int maxWeight) {
        int sum = 0, w = 1;
        for (int i = static_cast<int>(s.size()) - 1; i >= 0; --i) {
            sum += valor(s[i]) * w;
            w = w == maxWeight ? 1 : w + 1;
        }
        const int v = sum % 11;
        return v == 10 ? QChar('-') : QChar('0' + v);
    };
    QString full = data + check(data, 10);
    full += check(full, 9);
    const char* patrons[] = {"nnnnw", "wnnnw", "nwnnw", "wwnnn", "nnwnw", "wnwnn", "nwwnn", "nnnww", "wnnwn", "wnnnn", "nnwnn"};
    QString expected = QStringLiteral("nnwwn") + QLatin1Char('n');
    for (QChar c : full) expected += QLatin1String(patrons[valor(c)]) + QLatin1Char('n');
    expected += QStringLiteral("nnwwn");

    ActiveBC bc;
    bc.setBarType(Code11);
    bc.setBarText(data);
    ASSERT_TRUE(bc.Valid());
    EXPECT_EQ(bc.DadesCodificades(), full);
    EXPECT_EQ(Amplades(DibuixMinim(bc), 2).toStdString(), expected.toStdString());
}

TEST(PatronsEstandard, MSIAmbDigitDeControlModul10)
{
    // MSI: each digit four bits, 1 = wide bar narrow space, 0 = narrow bar wide space;
    // start "wn", stop "nwn"; the modulo-10 (Luhn) check digit of 1234567 is 4.
    const QString full = QStringLiteral("12345674");
    QString expected = QStringLiteral("wn");
    for (QChar c : full) {
        const int d = c.digitValue();
        for (int bit = 3; bit >= 0; --bit) expected += ((d >> bit) & 1) ? QStringLiteral("wn") : QStringLiteral("nw");
    }
    expected += QStringLiteral("nwn");
    ActiveBC bc;
    bc.setBarType(MSI);
    bc.setBarText(QStringLiteral("1234567"));
    ASSERT_TRUE(bc.Valid());
    EXPECT_EQ(bc.DadesCodificades(), full);
    EXPECT_EQ(Amplades(DibuixMinim(bc), 2).toStdString(), expected.toStdString());
}

TEST(PatronsEstandard, Standard2de5AmbIISenseDigitDeControl)
{
    for (bool calc : {false, true}) {
        ActiveBC bc;
        bc.setBarType(Standard2of5);
        bc.setCalcCheck(calc);
        bc.setBarText(QStringLiteral("123"));
        ASSERT_TRUE(bc.Valid());
        // The check digit of 123 (weights 3, 1, 3 from the right: 9 + 2 + 3 = 14) is 6.
        const QString full = calc ? QStringLiteral("1236") : QStringLiteral("123");
        // The digits are in the five bars of each character, every space is narrow; start
        // wide, wide, narrow bar; stop wide, narrow, wide bar.
        QString expected = QStringLiteral("wnwnnn");
        for (QChar c : full)
            for (QChar bar : QLatin1String(DosDe5[c.digitValue()])) expected += QString(bar) + QLatin1Char('n');
        expected += QStringLiteral("wnnnw");
        const QString got = Amplades(DibuixMinim(bc), 2);
        EXPECT_EQ(got.toStdString(), expected.toStdString()) << calc;
    }
}

// Tall ('T') and short ('S') bars of a height-modulated code, left to right.
QString Alcades(const QImage& img)
{
    QString out;
    const int top = img.height() / 6, bottom = img.height() - 2;
    for (int x = 0; x < img.width(); ++x) {
        const bool at = qGray(img.pixel(x, bottom)) < 128;
        const bool prev = x > 0 && qGray(img.pixel(x - 1, bottom)) < 128;
        if (at && !prev) out += qGray(img.pixel(x, top)) < 128 ? QLatin1Char('T') : QLatin1Char('S');
    }
    return out;
}

QString PostalEsperat(const QString& digits, bool planet)
{
    // POSTNET digits: five bars, two of them tall; PLANET is the inverse. The check digit
    // brings the sum to a multiple of ten. Frame bars are tall.
    const char* taula[] = {"TTSSS", "SSSTT", "SSTST", "SSTTS", "STSST", "STSTS", "STTSS", "TSSST", "TSSTS", "TSTSS"};
    int sum = 0;
    for (QChar c : digits) sum += c.digitValue();
    const QString full = digits + QChar('0' + (10 - sum % 10) % 10);
    QString out = QStringLiteral("T");
    for (QChar c : full) {
        QString p = QLatin1String(taula[c.digitValue()]);
        if (planet) for (QChar& b : p) b = b == QLatin1Char('T') ? QLatin1Char('S') : QLatin1Char('T');
        out += p;
    }
    return out + QLatin1Char('T');
}

TEST(PatronsEstandard, PostNetIPlanetAmbDigitDeControl)
{
    for (const auto& [type, digits] : {std::pair{int(PostNet), QStringLiteral("12345")},
                                       std::pair{int(PostNet), QStringLiteral("555551237")},
                                       std::pair{int(Planet), QStringLiteral("40123456789")},
                                       std::pair{int(Planet), QStringLiteral("4012345678901")}}) {
        ActiveBC bc;
        bc.setBarType(static_cast<std::int16_t>(type));
        bc.setBarText(digits);
        ASSERT_TRUE(bc.Valid()) << bc.Error().toStdString();
        const int w = static_cast<int>(bc.MinBarcodeWidth());
        const QImage img = bc.Dibuixar(QSize(w, 40));
        EXPECT_EQ(Alcades(img).toStdString(), PostalEsperat(digits, type == Planet).toStdString()) << digits.toStdString();
    }
}

QString Ean(const QString& digits, const QString& parity)
{
    // L (odd) and G (even) codes of EAN digits, as modules.
    const char* L[] = {"0001101", "0011001", "0010011", "0111101", "0100011", "0110001", "0101111", "0111011", "0110111", "0001011"};
    QString out;
    for (int i = 0; i < digits.size(); ++i) {
        QString l = QLatin1String(L[digits[i].digitValue()]);
        if (parity[i] == QLatin1Char('G')) {
            QString g;
            for (QChar c : l) g.prepend(c == QLatin1Char('0') ? QLatin1Char('1') : QLatin1Char('0'));
            l = g;
        }
        out += l;
        if (i + 1 < digits.size()) out += QStringLiteral("01");
    }
    return out;
}

TEST(PatronsEstandard, ComplementsEAN2iEAN5)
{
    // EAN-2: parity from the value modulo 4; EAN-5: from the weighted sum (3, 9) modulo 10.
    ActiveBC two;
    two.setBarType(EANAddon2);
    two.setBarText(QStringLiteral("12"));
    const char* p2[] = {"LL", "LG", "GL", "GG"};
    EXPECT_EQ(two.PatroModuls(), QStringLiteral("1011") + Ean(QStringLiteral("12"), QLatin1String(p2[12 % 4])));

    ActiveBC five;
    five.setBarType(EANAddon5);
    five.setBarText(QStringLiteral("52495"));
    const char* p5[] = {"GGLLL", "GLGLL", "GLLGL", "GLLLG", "LGGLL", "LLGGL", "LLLGG", "LGLGL", "LGLLG", "LLGLG"};
    const int sum = (5 + 4 + 5) * 3 + (2 + 9) * 9;
    EXPECT_EQ(five.PatroModuls(), QStringLiteral("1011") + Ean(QStringLiteral("52495"), QLatin1String(p5[sum % 10])));
    // Fewer digits stay an EAN-5, with leading zeros; never an EAN-2.
    five.setBarText(QStringLiteral("12"));
    EXPECT_EQ(five.PatroModuls(), QStringLiteral("1011") + Ean(QStringLiteral("00012"), QLatin1String(p5[(1 * 9 + 2 * 3) % 10])));
    EXPECT_EQ(five.DadesCodificades(), QStringLiteral("00012"));
}

// ---- Code 128 forced sets: the same bars as Zint's own set B, other sets read back ----

TEST(Code128, ElJocBForcatDonaElsMateixosModulsQueZint)
{
    ActiveBC nostre;
    nostre.setBarType(Code128);
    nostre.setCode128CharSet(2);
    nostre.setBarText(QStringLiteral("Hi 123"));
    ActiveBC a;
    a.setBarType(Code128);
    a.setCode128CharSet(1);
    a.setBarText(QStringLiteral("HI 123"));
    ActiveBC c;
    c.setBarType(Code128);
    c.setCode128CharSet(3);
    c.setBarText(QStringLiteral("123456"));
    // Start A (211412) and start C (211232) open the forced symbols; stop closes all.
    EXPECT_TRUE(a.PatroModuls().startsWith(QStringLiteral("11010000100")));
    EXPECT_TRUE(c.PatroModuls().startsWith(QStringLiteral("11010011100")));
    EXPECT_TRUE(nostre.PatroModuls().startsWith(QStringLiteral("11010010000")));
    EXPECT_TRUE(c.PatroModuls().endsWith(QStringLiteral("1100011101011")));
    // Set C holds three symbols for six digits: start + 3 + check = 5 × 11, + stop 13.
    EXPECT_EQ(c.PatroModuls().size(), 5 * 11 + 13);
}

TEST(Code128, ElsJocsForcatsRefusenElQueNoHiCap)
{
    ActiveBC bc;
    bc.setBarType(Code128);
    bc.setCode128CharSet(3);
    bc.setBarText(QStringLiteral("12345"));
    EXPECT_FALSE(bc.Valid());
    bc.setBarText(QStringLiteral("12AB"));
    EXPECT_FALSE(bc.Valid());
    bc.setCode128CharSet(1);
    bc.setBarText(QStringLiteral("lower"));
    EXPECT_FALSE(bc.Valid());
    bc.setCode128CharSet(0);
    EXPECT_TRUE(bc.Valid());
}

// ---- Human-readable text ----

TEST(TextHuma, SegonsLesPropietatsDelControl)
{
    struct Cas {
        int type;
        const char* text;
        void (*opcions)(ActiveBC&);
        const char* huma;
        const char* dades;
    };
    const Cas casos[] = {
        {Interleaved2of5, "1234567", [](ActiveBC& b) { b.setCalcCheck(true); }, "12345670", "12345670"},
        // The check digit left out of the text stays in the bars.
        {Interleaved2of5, "1234567", [](ActiveBC& b) { b.setCalcCheck(true); b.setShowCheck(false); }, "1234567", "12345670"},
        {Standard2of5, "123", [](ActiveBC& b) { b.setCalcCheck(true); b.setShowCheck(false); }, "123", "1236"},
        {Code39, "ABC", [](ActiveBC& b) { b.setShowStSt(true); }, "*ABC*", "ABC"},
        {Code39, "ABC", [](ActiveBC&) {}, "ABC", "ABC"},
        {Codabar, "A40156B", [](ActiveBC& b) { b.setShowStSt(true); }, "A40156B", "40156"},
        {Codabar, "A40156B", [](ActiveBC&) {}, "40156", "40156"},
        {Code128, "A\tB", [](ActiveBC& b) { b.setNonPrintingToTxt(true); }, "A\u2409B", "A\tB"},
        {Code128, "A\tB", [](ActiveBC&) {}, "AB", "A\tB"},
        {EAN13, "590123412345+12", [](ActiveBC&) {}, "5901234123457+12", "5901234123457 12"},
        {GS1_128, "[01]09501101530003", [](ActiveBC&) {}, "(01)09501101530003", "0109501101530003"},
        {MSI, "1234567", [](ActiveBC&) {}, "12345674", "12345674"},
    };
    for (const Cas& c : casos) {
        ActiveBC bc;
        bc.setBarType(static_cast<std::int16_t>(c.type));
        c.opcions(bc);
        bc.setBarText(QString::fromUtf8(c.text));
        EXPECT_EQ(bc.TextHuma().toStdString(), c.huma) << c.type << " " << c.text;
        EXPECT_EQ(bc.DadesCodificades().toStdString(), c.dades) << c.type << " " << c.text;
    }
    // What the bars hold reads back whatever the text shows.
    ActiveBC amagat;
    amagat.setBarType(Interleaved2of5);
    amagat.setCalcCheck(true);
    amagat.setShowCheck(false);
    amagat.setBarText(QStringLiteral("1234567"));
    const int w = static_cast<int>(amagat.MinBarcodeWidth());
    EXPECT_EQ(kovel::proves::Llegir(amagat.Dibuixar(QSize(w, w / 2))).text, QStringLiteral("12345670"));
}

// The full EAN layout puts the first digit left of the bars; a centred text stays over them.
TEST(TextHuma, DisposicioEANCompleta)
{
    ActiveBC bc;
    bc.setBarText(QStringLiteral("590123412345"));
    auto tintaEsquerra = [&bc]() {
        const QImage img = bc.Dibuixar(QSize(226 * 2, 180));
        int n = 0;
        for (int y = 150; y < img.height(); ++y)
            for (int x = 0; x < 11 * 4 - 2; ++x) n += qGray(img.pixel(x, y)) < 128;
        return n;
    };
    bc.setTxtEANFull(true);
    EXPECT_GT(tintaEsquerra(), 0);
    bc.setTxtEANFull(false);
    bc.setTextAlign(1);
    EXPECT_EQ(tintaEsquerra(), 0);
}

// ---- Validity, quiet zones, whole pixels, text ----

TEST(Validesa, TextIDigitDeControl)
{
    ActiveBC bc;
    int canvis = 0;
    QObject::connect(&bc, &ActiveBC::Canviat, [&canvis] { ++canvis; });
    bc.setBarType(EAN13);
    bc.setBarText(QStringLiteral("59012341234A"));
    EXPECT_FALSE(bc.TextValid());
    bc.setBarText(QStringLiteral("5901234123458"));   // wrong check digit
    EXPECT_TRUE(bc.TextValid());
    EXPECT_FALSE(bc.CheckValid());
    EXPECT_EQ(bc.MinBarcodeWidth(), 0.0f);
    EXPECT_TRUE(bc.Dibuixar(QSize(200, 80)).isNull());
    bc.setBarText(QStringLiteral("5901234123457"));
    EXPECT_TRUE(bc.Valid());
    bc.setBarText(QStringLiteral("59012341234567"));  // too long
    EXPECT_FALSE(bc.Valid());
    bc.setBarText(QString());
    EXPECT_FALSE(bc.Valid());
    EXPECT_EQ(canvis, 6);
}

// A check digit given with the data is checked (validity flag 25), never taken as data.
TEST(Validesa, DigitDeControlDonat)
{
    for (const auto& [type, right, wrong] : {std::tuple{int(EAN8), "96385074", "96385075"},
                                             std::tuple{int(EAN13), "5901234123457", "5901234123458"},
                                             std::tuple{int(UPCA), "036000291452", "036000291453"},
                                             std::tuple{int(UPCE), "01234565", "01234566"},
                                             std::tuple{int(EAN14), "12345678901231", "12345678901232"},
                                             std::tuple{int(ITF14), "15400141288763", "15400141288762"},
                                             std::tuple{int(SSCC18), "006141411234567890", "006141411234567891"}}) {
        ActiveBC bc;
        bc.setBarType(static_cast<std::int16_t>(type));
        bc.setBarText(QString::fromLatin1(right));
        EXPECT_TRUE(bc.Valid()) << right << " " << bc.Error().toStdString();
        bc.setBarText(QString::fromLatin1(wrong));
        EXPECT_TRUE(bc.TextValid()) << wrong;
        EXPECT_FALSE(bc.CheckValid()) << wrong;
        EXPECT_TRUE(bc.Dibuixar(QSize(300, 100)).isNull());
    }
    // Eight digits are an EAN-8 with its check digit, not an EAN-13 with leading zeros.
    ActiveBC ean8;
    ean8.setBarType(EAN8);
    ean8.setBarText(QStringLiteral("96385074"));
    EXPECT_EQ(ean8.PatroModuls().size(), 67);
}

TEST(Dibuix, ZonesDeSilenciIPixelsSencers)
{
    ActiveBC bc;
    bc.setBarType(EAN13);
    bc.setBarText(QStringLiteral("590123412345"));
    bc.setShowText(false);
    // EAN-13: 95 modules and quiet zones of 11 and 7, two pixels a module.
    EXPECT_EQ(bc.MinBarcodeWidth(), (95 + 18) * 2.0f);
    for (int scale : {1, 2, 3, 5}) {
        const QImage img = bc.Dibuixar(QSize(113 * scale, 60));
        const auto runs = RunsFila(img, 30);
        ASSERT_FALSE(runs.empty());
        for (const auto& [bar, px] : runs) {
            Q_UNUSED(bar);
            EXPECT_EQ(px % scale, 0) << scale;
        }
        // First bar after exactly 11 modules of quiet zone.
        int first = 0;
        while (qGray(img.pixel(first, 30)) > 128) ++first;
        EXPECT_EQ(first, 11 * scale);
    }
    bc.setShowQuietZone(false);
    EXPECT_EQ(bc.MinBarcodeWidth(), 95 * 2.0f);
    const QImage tight = bc.Dibuixar(QSize(190, 60));
    EXPECT_LT(qGray(tight.pixel(0, 30)), 128);
}

TEST(Dibuix, TextTransparenciaIColors)
{
    ActiveBC bc;
    bc.setBarType(Code39);
    bc.setBarText(QStringLiteral("KOVEL"));
    bc.setForeColor(0x0000FF);   // red in Basic order
    const QImage img = bc.Dibuixar(QSize(400, 120));
    bool red = false;
    for (int x = 0; x < img.width(); ++x)
        if (img.pixel(x, 10) == qRgb(255, 0, 0)) red = true;
    EXPECT_TRUE(red);
    // The text band: something drawn below the bars only while the text is shown.
    auto tinta = [](const QImage& i, int y0) {
        int n = 0;
        for (int y = y0; y < i.height(); ++y)
            for (int x = 0; x < i.width(); ++x) n += qGray(i.pixel(x, y)) < 250;
        return n;
    };
    bc.setForeColor(0);
    const QImage amb = bc.Dibuixar(QSize(400, 120));
    bc.setShowText(false);
    const QImage sense = bc.Dibuixar(QSize(400, 120));
    EXPECT_GT(tinta(amb, 100), 0);
    EXPECT_LT(qGray(sense.pixel(200 - 200 % 2 + 1, 115)) + 1, 400);   // bars reach the bottom
    bc.setShowText(true);
    bc.setTextBottomTop(true);
    const QImage dalt = bc.Dibuixar(QSize(400, 120));
    EXPECT_EQ(tinta(dalt, 105), tinta(sense, 105));   // bars only at the bottom
    bc.setTransparent(true);
    const QImage t = bc.Dibuixar(QSize(400, 120));
    EXPECT_TRUE(t.hasAlphaChannel());
    EXPECT_EQ(qAlpha(t.pixel(0, 0)), 0);
    EXPECT_TRUE(kovel::proves::Llegir(t).ok);
}

TEST(Dibuix, OrientacioGiraLaImatge)
{
    ActiveBC bc;
    bc.setBarType(Code128);
    bc.setBarText(QStringLiteral("TURN"));
    bc.setOrientation(270);
    const QImage img = bc.Dibuixar(QSize(60, 200));
    EXPECT_EQ(img.size(), QSize(60, 200));
    EXPECT_EQ(kovel::proves::Llegir(img).text, QStringLiteral("TURN"));
    bc.setOrientation(450);
    EXPECT_EQ(bc.Orientation(), 90);
}

TEST(Dibuix, RelacioAmpleEstretIReduccio)
{
    ActiveBC bc;
    bc.setBarType(Code39);
    bc.setBarText(QStringLiteral("W2N"));
    bc.setShowText(false);
    bc.setShowQuietZone(false);
    bc.setWide2NarrowRatio(2.0f);
    const float w2 = bc.MinBarcodeWidth();
    bc.setWide2NarrowRatio(3.0f);
    const float w3 = bc.MinBarcodeWidth();
    // Five characters (with the start and stop), three wide elements each, two pixels narrower each.
    EXPECT_EQ(w3 - w2, 5 * 3 * 2.0f);
    bc.setWide2NarrowRatio(7.0f);
    EXPECT_EQ(bc.Wide2NarrowRatio(), 3.0f);
    bc.setBarWidthReduction(150);
    EXPECT_EQ(bc.BarWidthReduction(), 99);
    bc.setBarWidthReduction(50);
    const QImage img = bc.Dibuixar(QSize(static_cast<int>(w3) * 2, 50));
    EXPECT_EQ(kovel::proves::Llegir(img).text, QStringLiteral("W2N"));
}

TEST(Fitxer, DesaUnBitmapDeLaMidaDemanada)
{
    QTemporaryDir dir;
    ActiveBC bc;
    bc.setBarText(QStringLiteral("590123412345"));
    const QString f = dir.filePath(QStringLiteral("b.bmp"));
    bc.SaveToImageFile(226, 90, f);
    QImage back(f);
    EXPECT_EQ(back.size(), QSize(226, 90));
    EXPECT_EQ(kovel::proves::Llegir(back).text, QStringLiteral("5901234123457"));
    EXPECT_THROW(bc.SaveToImageFile(226, 90, dir.filePath(QStringLiteral("no/such/dir/b.bmp"))), BarcodeError);
    bc.setBarText(QStringLiteral("x"));
    EXPECT_THROW(bc.SaveToImageFile(226, 90, f), BarcodeError);
}

} // namespace

// Characters a bar type cannot hold (Cyrillic, Latin-1 letters, a backslash, a tilde) are
// refused with a reason, or encoded so that a reader gets back exactly what was typed:
// no character is ever replaced, and a backslash is never taken as an escape.
TEST(CaractersForaDelJoc, RefusatsOLlegitsTalCom)
{
    const QString texts[] = {QStringLiteral("Путь 12"), QStringLiteral("Café 12"), QStringLiteral("C:\\temp 12"),
                             QStringLiteral("A~B 12"), QStringLiteral("ÀÿÆ"), QStringLiteral("a\\x41b"), QStringLiteral("12\\3")};
    const int tipus[] = {Code39, Code39Complet, Code93Complet, Code93, Codabar, Code128, GS1_128};
    for (int t : tipus)
        for (int cs = 0; cs < (t == Code128 ? 4 : 1); ++cs)
            for (const QString& s : texts) {
                SCOPED_TRACE(std::to_string(t) + "/" + std::to_string(cs) + " '" + s.toStdString() + "'");
                ActiveBC bc;
                bc.setBarType(static_cast<std::int16_t>(t));
                bc.setCode128CharSet(static_cast<std::int16_t>(cs));
                bc.setBarText(s);
                if (!bc.Valid()) {
                    EXPECT_FALSE(bc.Error().isEmpty());
                    EXPECT_TRUE(bc.DadesCodificades().isEmpty());
                    continue;
                }
                const float w = bc.MinBarcodeWidth() * 2;
                const auto r = kovel::proves::Llegir(bc.Dibuixar(QSize(int(w), int(w / 2.5f))), false, t == Code39Complet);
                ASSERT_TRUE(r.ok) << "not read";
                EXPECT_EQ(r.text.toStdString(), s.toStdString());
                EXPECT_EQ(bc.DadesCodificades().toStdString(), s.toStdString());
                EXPECT_EQ(bc.TextHuma().toStdString(), s.toStdString());
            }
}
