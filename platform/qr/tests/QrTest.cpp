#include "platform/qr/QRCodeCtrl.h"
#include "platform/barcode/tests/Lector.h"
#include "platform/qr/tests/TextsEscriptures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kovel::qr;

namespace {

QString Llegit(const QRCodeCtrl& qr)
{
    const int w = qr.GetMatrixWidth(3, 96, 96, 3, 3);
    const auto r = kovel::proves::Llegir(qr.Dibuixar(QSize(w, w)));
    return r.ok ? r.text : QStringLiteral("<not read>");
}

struct CasQr {
    QString data;       // as the dialog writes it, escapes included
    QString expected;   // what a reader returns
};
void PrintTo(const CasQr& c, std::ostream* os) { *os << c.data.toStdString(); }

class LecturesQr : public ::testing::TestWithParam<CasQr> {};

// Data texts with every kind of character-set escape read back as the text meant.
TEST_P(LecturesQr, ElLectorTornaElText)
{
    QRCodeCtrl qr;
    ASSERT_NO_THROW(qr.setDataToEncode(GetParam().data));
    ASSERT_TRUE(qr.Valid()) << qr.Error().toStdString();
    EXPECT_EQ(Llegit(qr).toStdString(), GetParam().expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Escapes, LecturesQr,
    ::testing::Values(
        CasQr{"Hello, label", "Hello, label"},
        CasQr{"Caf\u00e9 cr\u00e8me", "Caf\u00e9 cr\u00e8me"},
        CasQr{"\\000003abc", "abc"},
        CasQr{"\\000000abc", "abc"},
        CasQr{"\\000001Espa\u00f1a", "Espa\u00f1a"},
        CasQr{"\\000002abc", "abc"},
        CasQr{"\\000004\u0141\u00f3d\u017a", "\u0141\u00f3d\u017a"},
        CasQr{"\\000011\u0130stanbul \u015e", "\u0130stanbul \u015e"},
        CasQr{"\\000003Espa\u00f1a", "Espa\u00f1a"},
        CasQr{"\\000009\u0391\u03b8\u03ae\u03bd\u03b1", "\u0391\u03b8\u03ae\u03bd\u03b1"},
        CasQr{"City \\000009\u0391\u03b8\u03ae\u03bd\u03b1\\000007\u041c\u043e\u0441\u043a\u0432\u0430",
              "City \u0391\u03b8\u03ae\u03bd\u03b1\u041c\u043e\u0441\u043a\u0432\u0430"},
        CasQr{"\\000017\u20ac 5", "\u20ac 5"},
        CasQr{"\\000020\uff71\uff72", "\uff71\uff72"},
        CasQr{"Jos\\xC3\\xA9 \\xE2\\x82\\xAC", "Jos\u00e9 \u20ac"},
        CasQr{"\\xF0\\x9F\\x98\\x80 smile", "\U0001F600 smile"},
        CasQr{"MECARD:N:Mu\u00f1oz\\, Ana;TEL:600;;", "MECARD:N:Mu\u00f1oz\\, Ana;TEL:600;;"},
        CasQr{"C:\\temp\\x", "C:\\temp\\x"}));

TEST(Segments, DesignadorsIEscapesDeBytes)
{
    const auto s = Segments(QStringLiteral("ab\\000009\u0391\\xC3\\xA9"));
    ASSERT_EQ(s.size(), 2);
    EXPECT_EQ(s[0].eci, 0);
    EXPECT_EQ(s[0].bytes, QByteArray("ab"));
    EXPECT_EQ(s[1].eci, 9);
    EXPECT_EQ(s[1].bytes, QStringLiteral("\u0391\u00e9").toUtf8());
    // UTF-8 escapes with no designator are marked UTF-8.
    EXPECT_EQ(Segments(QStringLiteral("\\xC3\\xA9"))[0].eci, 26);
    // Bytes that are not UTF-8 are Latin-1 characters, marked as Latin-1.
    EXPECT_EQ(Segments(QStringLiteral("\\xE9"))[0].eci, 3);
    EXPECT_EQ(Segments(QStringLiteral("\\xE9"))[0].bytes, QStringLiteral("\u00e9").toUtf8());
    // Neither six digits nor a hex pair: the backslash is a character.
    EXPECT_EQ(Segments(QStringLiteral("\\00001x\\xZ"))[0].bytes, QByteArray("\\00001x\\xZ"));
}

TEST(Opcions, LaCombinacioQueNoEsPotCodificarEsRefusa)
{
    QRCodeCtrl qr;
    qr.setDataToEncode(QStringLiteral("12345"));
    EXPECT_NO_THROW(qr.setEncodingMode(ModeNumeric));
    EXPECT_THROW(qr.setDataToEncode(QStringLiteral("12a45")), QrError);
    EXPECT_FALSE(qr.Valid());
    EXPECT_EQ(qr.DataToEncode(), QStringLiteral("12a45"));   // the value stays set
    EXPECT_NO_THROW(qr.setEncodingMode(ModeByte));
    EXPECT_TRUE(qr.Valid());
    EXPECT_THROW(qr.setEncodingMode(ModeAlfanumeric), QrError);
    qr.setEncodingMode(ModeAuto);

    const QString longText(200, QLatin1Char('x'));
    qr.setDataToEncode(longText);
    EXPECT_THROW(qr.setPreferredVersion(2), QrError);
    EXPECT_NO_THROW(qr.setPreferredVersion(10));
    EXPECT_EQ(qr.Versio(), 10);
    EXPECT_EQ(qr.Moduls(), 17 + 4 * 10);
    EXPECT_NO_THROW(qr.setPreferredVersion(0));
    EXPECT_THROW(qr.setDataToEncode(QString(3000, QLatin1Char('x'))), QrError);
    // Empty data: not valid, but no error (nothing to draw).
    EXPECT_NO_THROW(qr.setDataToEncode(QString()));
    EXPECT_FALSE(qr.Valid());
    EXPECT_TRUE(qr.Dibuixar(QSize(100, 100)).isNull());
}

// Runs without a designator: ASCII as it is, Latin-1 marked, everything else UTF-8, so that
// no reader has to guess (and Shift JIS never turns a backslash into another character).
TEST(Segments, CapTramSenseDesignadorEsDeixaEndevinar)
{
    EXPECT_EQ(Segments(QStringLiteral("C:\\temp ~"))[0].eci, 0);
    EXPECT_EQ(Segments(QStringLiteral("25\u00b0C"))[0].eci, 3);
    EXPECT_EQ(Segments(QStringLiteral("\u041f\u0443\u0442\u044c C:\\temp"))[0].eci, 26);
    const auto s = Segments(QStringLiteral("\\000020\uff71 C:\\x\\000009\u0391\u0392"));
    ASSERT_EQ(s.size(), 2);
    EXPECT_EQ(s[0].eci, 26);   // Shift JIS would give back a fullwidth backslash
    EXPECT_EQ(s[1].eci, 9);
    EXPECT_EQ(TextLlegit(QStringLiteral("LOT\\202612-A C:\\x41\\temp")), QStringLiteral("LOT-A C:A\\temp"));
}

// Whatever the designators and the mode, a reader returns exactly the text; a set that
// cannot hold it is replaced by UTF-8 and the control says so.
TEST(Jocs, CapCaracterEsCanvia)
{
    const QStringList textos = kovel::proves::TextsEscriptures();
    for (int eci : {-1, 0, 1, 2, 3, 4, 7, 9, 11, 17, 20, 21, 22, 26}) {
        const QString prefix = eci < 0 ? QString() : QStringLiteral("\\%1").arg(eci, 6, 10, QLatin1Char('0'));
        for (const QString& t : textos) {
            QRCodeCtrl qr;
            ASSERT_NO_THROW(qr.setDataToEncode(prefix + t)) << eci;
            EXPECT_EQ(Llegit(qr).toStdString(), t.toStdString()) << "ECI " << eci;
        }
    }
    QRCodeCtrl qr;
    qr.setDataToEncode(QStringLiteral("\\000007\u041a\u0438\u0457\u0432"));
    EXPECT_TRUE(qr.CanviJoc().isEmpty());
    qr.setDataToEncode(QStringLiteral("\\000003\u0391"));
    EXPECT_TRUE(qr.CanviJoc().contains(QStringLiteral("ECI 3"))) << qr.CanviJoc().toStdString();
    EXPECT_EQ(Llegit(qr), QStringLiteral("\u0391"));
    // The Kanji mode: Shift JIS while it gives the text back.
    qr.setEncodingMode(ModeKanji);
    qr.setDataToEncode(QStringLiteral("\u6771\u4eac\u5927\u962a"));
    EXPECT_TRUE(qr.CanviJoc().isEmpty());
    EXPECT_EQ(Llegit(qr), QStringLiteral("\u6771\u4eac\u5927\u962a"));
    qr.setDataToEncode(QStringLiteral("\u6771\u4eac\u203e"));
    EXPECT_FALSE(qr.CanviJoc().isEmpty());
    EXPECT_EQ(Llegit(qr), QStringLiteral("\u6771\u4eac\u203e"));
}

// A designator of a set no reader knows, or of raw bytes, makes a code no reader can turn
// into text: refused, with a message that names it.
TEST(Jocs, UnJocQueCapLectorConeixEsRefusa)
{
    for (const QString& d : {QStringLiteral("LOT\\202612-A C:\\x41\\temp"), QStringLiteral("\\000014abc"),
                             QStringLiteral("\\000019abc"), QStringLiteral("\\000899abc"), QStringLiteral("\\000033abc")}) {
        QRCodeCtrl qr;
        EXPECT_THROW(qr.setDataToEncode(d), QrError) << d.toStdString();
        EXPECT_FALSE(qr.Valid());
        EXPECT_FALSE(MotiuIlegible(d).isEmpty());
        EXPECT_TRUE(qr.Error().contains(d.mid(d.indexOf(QLatin1Char('\\')), 7))) << qr.Error().toStdString();
    }
    for (int eci : {0, 3, 13, 15, 18, 20, 26, 30, 170}) EXPECT_TRUE(EciConegut(eci)) << eci;
    EXPECT_TRUE(MotiuIlegible(QStringLiteral("C:\\temp \\000026abc")).isEmpty());
}

TEST(Opcions, ElNivellDeCorreccioCanviaElSimbolINoLesDades)
{
    QRCodeCtrl qr;
    qr.setDataToEncode(QStringLiteral("https://example.com/label/12345"));
    qr.setErrorCorrectionLevel(NivellL);
    const int low = qr.Moduls();
    qr.setErrorCorrectionLevel(NivellH);
    EXPECT_GT(qr.Moduls(), low);
    EXPECT_EQ(Llegit(qr), QStringLiteral("https://example.com/label/12345"));
}

TEST(Dibuix, MidaZonaDeSilenciOrientacioIColors)
{
    QRCodeCtrl qr;
    qr.setDataToEncode(QStringLiteral("size"));
    ASSERT_EQ(qr.Moduls(), 21);
    // Asked for three modules of quiet zone, the picture keeps the standard's four.
    EXPECT_EQ(qr.GetMatrixWidth(3, 96, 96, 3, 3), (21 + 8) * 3);
    EXPECT_EQ(qr.GetMatrixHeight(3, 96, 96, 3, 3), (21 + 8) * 3);
    EXPECT_EQ(qr.GetMatrixWidth(3, 192, 192, 3, 3), (21 + 8) * 6);
    EXPECT_EQ(qr.GetMatrixWidth(3, 96, 96, 6, 6), (21 + 12) * 3);
    const QImage img = qr.Dibuixar(QSize(87, 87));
    // Four modules of quiet zone, then the finder pattern's dark corner.
    EXPECT_EQ(qGray(img.pixel(11, 11)), 255);
    EXPECT_EQ(qGray(img.pixel(12, 12)), 0);
    // A picture too small for three pixels a module takes two, centred: 80 - 21 × 2 = 38
    // pixels of quiet zone, 19 on each side.
    const QImage small = qr.Dibuixar(QSize(80, 80));
    EXPECT_EQ(qGray(small.pixel(18, 18)), 255);
    EXPECT_EQ(qGray(small.pixel(19, 19)), 0);
    EXPECT_EQ(qGray(small.pixel(20, 20)), 0);
    qr.setQuietZone(false);
    EXPECT_EQ(qr.GetMatrixWidth(3, 96, 96, 3, 3), 63);
    qr.setQuietZone(true);
    for (int deg : {90, 180, 270}) {
        qr.setOrientation(deg);
        EXPECT_EQ(Llegit(qr), QStringLiteral("size")) << deg;
    }
    qr.setForeColor(0xFF0000);   // blue in Basic order
    qr.setTransparent(true);
    const QImage t = qr.Dibuixar(QSize(87, 87));
    EXPECT_EQ(qAlpha(t.pixel(0, 0)), 0);
    EXPECT_EQ(t.pixel(12, 12), qRgb(0, 0, 255));
}

TEST(Fitxer, DesaUnBitmapDeLaMidaDemanada)
{
    QTemporaryDir dir;
    QRCodeCtrl qr;
    qr.setDataToEncode(QStringLiteral("file"));
    const QString f = dir.filePath(QStringLiteral("q.bmp"));
    qr.SaveToImageFile(81, 81, f, 96, 3);
    EXPECT_EQ(QImage(f).size(), QSize(81, 81));
    EXPECT_THROW(qr.SaveToImageFile(81, 81, dir.filePath(QStringLiteral("none/q.bmp")), 96, 3), QrError);
}

} // namespace
