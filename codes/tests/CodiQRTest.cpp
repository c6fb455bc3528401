#include "codes/CodiQR.h"
#include "platform/barcode/tests/Lector.h"
#include "platform/qr/tests/TextsEscriptures.h"

#include <gtest/gtest.h>

namespace {

// The character-set options as the dialog starts with them; each test sets its own.
class DadesQR : public ::testing::Test {
protected:
    void Auto()
    {
        o.eci = true;
        o.indexEci = CodiQR::IndexECIAuto;
    }
    CodiQR::OpcionsCodi o;
};

TEST_F(DadesQR, SenseOpcionsElTextNoCanvia)
{
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("Caf\u00e9 \u0391")), QStringLiteral("Caf\u00e9 \u0391"));
    o.eci = true;
    o.indexEci = 3;
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("abc\u00e9")), QStringLiteral("abc\u00e9"));
}

TEST_F(DadesQR, PrefixosDeLesOpcions)
{
    EXPECT_EQ(CodiQR::PrefixPer(true, 3, false, false), QStringLiteral("\\000003"));
    EXPECT_EQ(CodiQR::PrefixPer(true, 0, false, false), QStringLiteral("\\000000"));
    EXPECT_EQ(CodiQR::PrefixPer(true, 20, false, false), QStringLiteral("\\000020"));
    EXPECT_EQ(CodiQR::PrefixPer(true, 19, true, true), QString());
    EXPECT_EQ(CodiQR::PrefixPer(false, 3, true, true), QStringLiteral("\\xEF\\xBB\\xBF"));
    EXPECT_EQ(CodiQR::PrefixPer(false, 3, true, false), QString());
    EXPECT_EQ(CodiQR::PrefixPer(false, 3, false, true), QString());
    EXPECT_EQ(CodiQR::LlistaECI().size(), 21);
    EXPECT_EQ(CodiQR::LlistaECI()[19], QStringLiteral("19: Auto"));
    o.prefix = CodiQR::PrefixPer(true, 3, false, false);
    EXPECT_EQ(CodiQR::DadesText(o, QStringLiteral("abc")), QStringLiteral("\\000003abc"));
}

TEST_F(DadesQR, DesignadorsAutomatics)
{
    Auto();
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("Label 42")), QStringLiteral("Label 42"));
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("a \u0391\u03b2")), QStringLiteral("a \\000009\u0391\u03b2"));
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("\u0391\u0414\u0391")),
              QStringLiteral("\\000009\u0391\\000007\u0414\\000009\u0391"));
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("\u0628")), QStringLiteral("\\000008\u0628"));
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("\u011f")), QStringLiteral("\\000011\u011f"));
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("\u20ac")), QStringLiteral("\\000017\u20ac"));
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("\uff61\uff9e")), QStringLiteral("\\000020\uff61\uff9e"));
    // ASCII never changes the set; a Latin-1 letter after another set needs Latin-1 back.
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("\u0391 x \u00e9")),
              QStringLiteral("\\000009\u0391 x \\000003\u00e9"));
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("\u00e9\u00e8")), QStringLiteral("\u00e9\u00e8"));
    // Characters no listed set holds go as UTF-8, a surrogate pair as one character.
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("\uff9f")), QStringLiteral("\\000026\uff9f"));
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("\U0001F600\u4e2d")), QStringLiteral("\\000026\U0001F600\u4e2d"));
}

TEST_F(DadesQR, EscapesUTF8)
{
    o.utf8 = true;
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("a\u00e9")), QStringLiteral("a\\xC3\\xA9"));
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("\u20ac")), QStringLiteral("\\xE2\\x82\\xAC"));
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("\u8000")), QStringLiteral("\\xE8\\x80\\x80"));
    // A surrogate pair is one character of four bytes; a lone surrogate becomes U+FFFD.
    EXPECT_EQ(CodiQR::CodificarText(o, QStringLiteral("\U0001F600")), QStringLiteral("\\xF0\\x9F\\x98\\x80"));
    EXPECT_EQ(CodiQR::CodificarText(o, QString(QChar(0xD800))), QStringLiteral("\\xEF\\xBF\\xBD"));
    EXPECT_EQ(CodiQR::DosDigitsHex(10), QStringLiteral("0A"));
    EXPECT_EQ(CodiQR::DosDigitsHex(255), QStringLiteral("FF"));
    o.prefix = CodiQR::PrefixPer(false, 3, true, true);
    EXPECT_TRUE(CodiQR::DadesSMS(o, QStringLiteral("1"), QStringLiteral("x")).startsWith(QStringLiteral("\\xEF\\xBB\\xBF")));
}

TEST_F(DadesQR, SMSITargetaDeContacte)
{
    EXPECT_EQ(CodiQR::DadesSMS(o, QStringLiteral("600"), QStringLiteral("Hi")), QStringLiteral("smsto:600:Hi"));
    // A field left empty is left out, key and all; the name is always there.
    EXPECT_EQ(CodiQR::DadesVCard(o, {}, {}, {}, {}, {}), QStringLiteral("MECARD:N:;;"));
    EXPECT_EQ(CodiQR::DadesVCard(o, QStringLiteral("Ana"), QStringLiteral("600"), {}, QStringLiteral("a@b.c"), {}),
              QStringLiteral("MECARD:N:Ana;TEL:600;EMAIL:a@b.c;;"));
    // The card's reserved characters are escaped, so a value cannot end a field early.
    EXPECT_EQ(CodiQR::DadesVCard(o, QStringLiteral("Mu\u00f1oz, Ana"), QStringLiteral("600;1"),
                                 QStringLiteral("http://k.example"), QStringLiteral("a@b.c"),
                                 QStringLiteral("C\\ Major 1")),
              QStringLiteral("MECARD:N:Mu\u00f1oz\\, Ana;TEL:600\\;1;URL:http\\://k.example;EMAIL:a@b.c;ADR:C\\\\ Major 1;;"));
    o.prefix = QStringLiteral("\\000003");
    EXPECT_EQ(CodiQR::DadesVCard(o, {}, {}, {}, {}, {}), QStringLiteral("\\000003MECARD:N:;;"));
}

TEST_F(DadesQR, PlantillesIOmplir)
{
    o.prefix = QStringLiteral("\\000003");
    const QString sms = CodiQR::PlantillaSMS(o, QStringLiteral("Phone"), QStringLiteral("Text"));
    EXPECT_EQ(sms, QStringLiteral("\\000003smsto:[Phone]:[Text]"));
    const QString card = CodiQR::PlantillaVCard(o, QStringLiteral("Name"), QStringLiteral("Tel"), QStringLiteral("Web"),
                                                QStringLiteral("Mail"), QStringLiteral("Addr"));
    EXPECT_EQ(card, QStringLiteral("\\000003MECARD:N:[Name];TEL:[Tel];URL:[Web];EMAIL:[Mail];ADR:[Addr];;"));

    auto valors = [](const QString& f) {
        if (f == QLatin1String("Name")) return QStringLiteral("Garc\u00eda; Luis");
        if (f == QLatin1String("Tel")) return QStringLiteral("600");
        return QString();
    };
    QString out;
    ASSERT_TRUE(CodiQR::OmplirPlantilla(card, valors, out));
    // The card's own escape is a backslash of the record's data: written as the byte "\x5C",
    // which the control reads as a backslash and never as the start of an escape.
    // A record without a value for an optional field has no key for it either.
    EXPECT_EQ(out, QStringLiteral("\\000003MECARD:N:Garc\u00eda\\x5C; Luis;TEL:600;;"));
    // A card linked without a web address or e-mail has neither key in any record.
    const QString senseWeb = CodiQR::PlantillaVCard(o, QStringLiteral("Name"), QStringLiteral("Tel"), {}, {}, QStringLiteral("Addr"));
    EXPECT_EQ(senseWeb, QStringLiteral("\\000003MECARD:N:[Name];TEL:[Tel];ADR:[Addr];;"));
    auto tots = [](const QString& f) { return f == QLatin1String("Name") ? QString() : f + QStringLiteral(":1"); };
    ASSERT_TRUE(CodiQR::OmplirPlantilla(senseWeb, tots, out));
    // An empty name keeps its key; values with the card's reserved characters are escaped.
    EXPECT_EQ(out, QStringLiteral("\\000003MECARD:N:;TEL:Tel\\x5C:1;ADR:Addr\\x5C:1;;"));
    ASSERT_TRUE(CodiQR::OmplirPlantilla(sms, valors, out));
    EXPECT_EQ(out, QStringLiteral("\\000003smsto::"));
    QString error;
    EXPECT_FALSE(CodiQR::OmplirPlantilla(QStringLiteral("smsto:[Phone"), valors, out, &error));
    EXPECT_FALSE(error.isEmpty());
}

// Every character-set option of the dialog, with texts of four scripts holding the card's
// reserved characters and a backslash: a reader returns the text and the card as typed (a
// byte-order mark is a mark to it, not a character).
TEST_F(DadesQR, CadaJocDeCaractersTornaElTextTalCom)
{
    const QStringList textos = kovel::proves::TextsEscriptures();
    const QString adreca = QStringLiteral("\u041e\u0444\u0456\u0441 2; \u0411\u043b\u043e\u043a L: 22, \u041a\u0438\u0457\u0432");
    const QString web = QStringLiteral("https://shop.example.net/a");
    auto llegeix = [](const QString& dades) {
        kovel::qr::QRCodeCtrl qr;
        qr.setExcepcions(false);
        qr.setDataToEncode(dades);
        if (!qr.Valid()) return QStringLiteral("<refused: %1>").arg(qr.Error());
        const int w = qr.GetMatrixWidth(3, 96, 96, 3, 3);
        return kovel::proves::Llegir(qr.Dibuixar(QSize(w, w))).text;
    };
    struct Opcio { bool eci; int index; bool utf8, bom; };
    std::vector<Opcio> opcions{{false, 3, false, false}, {false, 3, true, false}, {false, 3, true, true}};
    for (int i = 0; i < CodiQR::LlistaECI().size(); ++i) opcions.push_back({true, i, false, false});
    for (const Opcio& op : opcions) {
        o.eci = op.eci;
        o.indexEci = op.index;
        o.utf8 = op.utf8;
        o.prefix = CodiQR::PrefixPer(op.eci, op.index, op.utf8, op.bom);
        const std::string nom = op.eci ? CodiQR::LlistaECI()[op.index].toStdString() : op.utf8 ? "UTF-8" : "none";
        if (op.eci && op.index == 14) {
            // No reader knows this set: refused, and the reason names it.
            EXPECT_TRUE(llegeix(CodiQR::DadesText(o, textos[0])).contains(QStringLiteral("ECI 14")));
            continue;
        }
        for (const QString& t : textos) EXPECT_EQ(llegeix(CodiQR::DadesText(o, t)).toStdString(), t.toStdString()) << nom;
        EXPECT_EQ(llegeix(CodiQR::DadesVCard(o, textos[5], QStringLiteral("+380 44"), web, {}, adreca)).toStdString(),
                  (QStringLiteral("MECARD:N:") + CodiQR::EscapaMeCard(textos[5]) + QStringLiteral(";TEL:+380 44;URL:https\\://shop.example.net/a;ADR:")
                   + CodiQR::EscapaMeCard(adreca) + QStringLiteral(";;")).toStdString())
            << nom;
        EXPECT_EQ(llegeix(CodiQR::DadesSMS(o, QStringLiteral("600"), textos[6])).toStdString(),
                  (QStringLiteral("smsto:600:") + textos[6]).toStdString()) << nom;
    }
}

} // namespace
