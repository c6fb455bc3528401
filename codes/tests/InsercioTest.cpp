#include "codes/RegistreCodis.h"
#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"
#include "codes/MidaCodi.h"
#include "codes/ValorsNoCodificats.h"
#include "common/Fitxers.h"
#include "common/HostProfile.h"
#include "codes/tests/LectorEmf.h"
#include "platform/barcode/tests/Lector.h"
#include "platform/word/Document.h"

#include <QDir>
#include <QRegularExpression>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using kovel::barcode::ActiveBC;
using kovel::qr::QRCodeCtrl;

class Insercio : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        CarpetaDades = dir.path() + QLatin1Char('/');
        kovel::EstablirHost(kovel::HostOffice::Excel);
        doc = kovel::word::Document::create();
    }
    std::vector<kovel::word::InlinePicture*> Pictures() { return doc->inlinePictures(); }
    static QString Llegit(const kovel::word::InlinePicture* p)
    {
        QImage img;
        img = kovel::proves::ImatgeDe(p->png());
        const auto r = kovel::proves::Llegir(img);
        return r.ok ? r.text : QStringLiteral("<not read>");
    }
    QString Tmp() const { return dir.path() + QStringLiteral("/tmp/"); }

    QTemporaryDir dir;
    kovel::codes::RegistreCodis codis;
    std::unique_ptr<kovel::word::Document> doc;
};

TEST_F(Insercio, CodiDeBarresFix)
{
    ActiveBC bc;
    bc.setBarText(QStringLiteral("590123412345"));
    float h = 0, w = 0;
    ASSERT_TRUE(CodiBarres::InserirImatgeCodi(doc->selection(), QString(), bc, QString(), h, w, QString()));
    ASSERT_EQ(Pictures().size(), 1u);
    EXPECT_EQ(Pictures()[0]->alternativeText(), QStringLiteral("TOLV_barres"));
    EXPECT_TRUE(QFileInfo::exists(Tmp() + QStringLiteral("imatge_camp_.bmp")));
    EXPECT_TRUE(codis.ClonsBarres.empty());
    EXPECT_EQ(w, bc.MinBarcodeWidth());
    EXPECT_FLOAT_EQ(h, w / 2.5f);
    // Shown at the code's size, as a vector picture on a grid of seven units a module.
    const kovel::word::InlinePicture* p = Pictures()[0];
    EXPECT_TRUE(p->isVector());
    EXPECT_DOUBLE_EQ(p->width().value, w * 0.75);
    EXPECT_EQ(p->pixelSize().width(), bc.AmpladaPixels(CodiBarres::PixelsModul));
    EXPECT_EQ(p->pixelSize().width() * 2, static_cast<int>(w) * CodiBarres::PixelsModul);
    // The bitmap file keeps the shown size at 96 dpi.
    EXPECT_EQ(QImage(Tmp() + QStringLiteral("imatge_camp_.bmp")).size(), QSize(static_cast<int>(w), static_cast<int>(h)));
    EXPECT_EQ(Llegit(Pictures()[0]), QStringLiteral("5901234123457"));
    // A second code goes after the first, not over it.
    ASSERT_TRUE(CodiBarres::InserirImatgeCodi(doc->selection(), QString(), bc, QString(), h, w, QString()));
    EXPECT_EQ(Pictures().size(), 2u);
}

TEST_F(Insercio, CodisVinculatsACampsIGir)
{
    ActiveBC dialog;
    dialog.setBarType(kovel::barcode::Code128);
    dialog.setCode128CharSet(3);
    dialog.setBarText(QStringLiteral("1234"));
    dialog.setOrientation(90);
    for (int i = 0; i < 2; ++i) {
        ActiveBC& clone = CodiBarres::RegistrarClon(codis, dialog, QStringLiteral("F"));
        float h = 0, w = 0;
        ASSERT_TRUE(CodiBarres::InserirImatgeCodi(doc->selection(), dialog.Tag(), clone, QString(), h, w, QString()));
        EXPECT_GT(h, w);   // turned: higher than wide
    }
    EXPECT_EQ(codis.EtiquetesBarres, (QStringList{QStringLiteral("1_F"), QStringLiteral("2_F")}));
    EXPECT_EQ(Pictures()[0]->alternativeText(), QStringLiteral("TOLV_barres_1_F"));
    EXPECT_EQ(Pictures()[1]->alternativeText(), QStringLiteral("TOLV_barres_2_F"));
    EXPECT_EQ(CodiBarres::Clon(codis, 2)->Code128CharSet(), 3);
    EXPECT_EQ(CodiBarres::Clon(codis, 2)->BarText(), QStringLiteral("1234"));
    EXPECT_EQ(CodiBarres::Clon(codis, 3), nullptr);
    EXPECT_EQ(CodiBarres::Clon(codis, 0), nullptr);
    EXPECT_EQ(Llegit(Pictures()[1]), QStringLiteral("1234"));
}

TEST_F(Insercio, ElNomDelCampNoSurtDeLaCarpetaTmp)
{
    for (const QString& field : {QStringLiteral("../../evil"), QStringLiteral("a/b"), QStringLiteral(".."),
                                 QString(300, QLatin1Char('x'))}) {
        const QString f = CodiBarres::FitxerImatge(QStringLiteral("1_") + field);
        EXPECT_EQ(QFileInfo(f).absolutePath(), QDir(Tmp()).absolutePath()) << field.toStdString();
        EXPECT_LE(QFileInfo(f).fileName().size(), 130);
    }
    EXPECT_EQ(CodiBarres::NomSegurFitxer(QStringLiteral("1_Código postal")), QStringLiteral("1_Código_postal"));
}

TEST_F(Insercio, UnValorQueNoEsPotCodificarNoInsereixRes)
{
    ActiveBC bc;
    bc.setBarText(QStringLiteral("ABC"));
    float h = 7, w = 9;
    QString why;
    EXPECT_FALSE(CodiBarres::InserirImatgeCodi(doc->selection(), QStringLiteral("1_F"), bc, {}, h, w, {}, &why));
    EXPECT_TRUE(Pictures().empty());
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(w, 9);

    auto& c = kovel::codes::NoCodificats();
    c.Comencar();
    for (int r = 2; r < 12; ++r) c.Afegir(r, QStringLiteral("EAN"), QStringLiteral("ABC"), why);
    EXPECT_EQ(c.Nombre(), 10);
    const QString text = c.Resum(3);
    EXPECT_TRUE(text.contains(QStringLiteral("10"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("record 2, record 3, record 4."))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("record 5")));
    c.Comencar();
    // A label is named as the user finds it: its place on the printed sheet and the worksheet
    // row it took, which the header row puts one ahead of the label's count.
    c.EstablirLloc({3, true, 1, 2});
    c.Afegir(c.Registre(), QStringLiteral("EAN"), QStringLiteral("ABC"), {});
    c.EstablirLloc({30, true, 2, 0});
    c.Afegir(c.Registre(), QStringLiteral("EAN"), QStringLiteral("ABD"), {});
    EXPECT_TRUE(c.Resum().contains(QStringLiteral("label 2 of sheet 1 (worksheet row 3), sheet 2 (worksheet row 30)."))) << c.Resum().toStdString();
    c.Comencar();
    EXPECT_TRUE(c.Resum().isEmpty());

    // One case reads in the singular, and the encoder's own error number is not shown.
    ActiveBC llarg;
    llarg.setBarType(kovel::barcode::EAN13);
    llarg.setBarText(QString(200, u'1'));
    ASSERT_FALSE(llarg.Valid());
    EXPECT_FALSE(llarg.Error().isEmpty());
    EXPECT_FALSE(llarg.Error().contains(QRegularExpression(QStringLiteral("(Error|Warning) \\d"))))
        << llarg.Error().toStdString();
    c.Afegir(7, QStringLiteral("EAN"), QString(200, u'1'), llarg.Error());
    const QString un = c.Resum();
    EXPECT_TRUE(un.startsWith(QStringLiteral("1 value "))) << un.toStdString();
    EXPECT_TRUE(un.contains(QStringLiteral("Affected: record 7."))) << un.toStdString();
    EXPECT_FALSE(un.contains(QStringLiteral("values"))) << un.toStdString();
    c.Comencar();
}

TEST_F(Insercio, CodisQRFixosIVinculats)
{
    QRCodeCtrl dialog;
    dialog.setDataToEncode(QStringLiteral("fixed"));
    float h = 1, w = 1;
    ASSERT_TRUE(CodiQR::InserirImatgeQR(doc->selection(), QString(), dialog, QString(), h, w, QString()));
    EXPECT_EQ(Pictures().back()->alternativeText(), QStringLiteral("TOLV_qr"));
    EXPECT_EQ(w, dialog.GetMatrixWidth(3, 96, 96, 3, 3));   // whatever the caller passed
    EXPECT_TRUE(codis.ClonsQR.empty());

    QRCodeCtrl& text = CodiQR::RegistrarClon(codis, dialog, QStringLiteral("Nom"));
    ASSERT_TRUE(CodiQR::InserirImatgeQR(doc->selection(), dialog.Tag(), text, QStringLiteral("Nom"), h, w, QString()));
    EXPECT_EQ(Pictures().back()->alternativeText(), QStringLiteral("TOLV_qr_1_Nom"));
    EXPECT_TRUE(codis.PlantillesQR.empty());

    CodiQR::RegistrarClonPlantilla(codis, dialog, CodiQR::PlantillaSMS(codis.OpcionsQR, QStringLiteral("T"), QStringLiteral("M")),
                                   false);
    EXPECT_EQ(dialog.Tag(), QStringLiteral("2_0"));
    const QString card = CodiQR::PlantillaVCard(codis.OpcionsQR, QStringLiteral("N"), QStringLiteral("T"), QStringLiteral("W"),
                                                QStringLiteral("E"), QStringLiteral("A"));
    QRCodeCtrl& vc = CodiQR::RegistrarClonPlantilla(codis, dialog, card, true);
    EXPECT_EQ(dialog.Tag(), QStringLiteral("3_1"));
    EXPECT_EQ(codis.EtiquetesQR, (QStringList{QStringLiteral("1_Nom"), QStringLiteral("2_0"), QStringLiteral("3_1")}));
    EXPECT_EQ(*CodiQR::Plantilla(codis, 1), card);
    EXPECT_EQ(CodiQR::Plantilla(codis, 2), nullptr);
    EXPECT_EQ(vc.DataToEncode(), card);
    EXPECT_EQ(CodiQR::Clon(codis, 1)->DataToEncode(), QStringLiteral("fixed"));
}

// What the generator does for each record: fill the template, encode, draw; the label's
// picture reads back as the card with its accents.
TEST_F(Insercio, QRDeTargetaRefetPerRegistreEsLlegeix)
{
    QRCodeCtrl dialog;
    dialog.setDataToEncode(QStringLiteral("x"));
    const QString card = CodiQR::PlantillaVCard(codis.OpcionsQR, QStringLiteral("Nom"), QStringLiteral("Tel"), QStringLiteral("Web"),
                                                QStringLiteral("Mail"), QStringLiteral("Adr"));
    CodiQR::RegistrarClonPlantilla(codis, dialog, card, true);
    auto valor = [](const QString& f) {
        return f == QLatin1String("Nom") ? QStringLiteral("Jos\u00e9 Mu\u00f1oz; hijo") : QStringLiteral("Pl. \u00c0ngel 3");
    };
    QString filled;
    ASSERT_TRUE(CodiQR::OmplirPlantilla(*CodiQR::Plantilla(codis, 0), valor, filled));
    QRCodeCtrl* clone = CodiQR::Clon(codis, 1);
    clone->setDataToEncode(CodiQR::CodificarText(codis.OpcionsQR, filled));
    float h = 0, w = 0;
    ASSERT_TRUE(CodiQR::InserirImatgeQR(doc->selection(), codis.EtiquetesQR[0], *clone, QStringLiteral("0"), h, w,
                                        QStringLiteral("TOLV_QR_0")));
    EXPECT_EQ(Pictures().back()->alternativeText(), QStringLiteral("TOLV_QR_0"));
    EXPECT_EQ(Llegit(Pictures().back()),
              QStringLiteral("MECARD:N:Jos\u00e9 Mu\u00f1oz\\; hijo;TEL:Pl. \u00c0ngel 3;URL:Pl. \u00c0ngel 3;"
                             "EMAIL:Pl. \u00c0ngel 3;ADR:Pl. \u00c0ngel 3;;"));
}

TEST_F(Insercio, MostraDelCampPerAmfitrio)
{
    kovel::EstablirHost(kovel::HostOffice::Word);
    EXPECT_EQ(CodiBarres::ValorCamp(QStringLiteral("F"), QStringLiteral("typed")), QStringLiteral("typed"));
    kovel::EstablirHost(kovel::HostOffice::Excel);
    EXPECT_EQ(CodiBarres::ValorCamp(QStringLiteral("F"), QStringLiteral("typed")), QString());   // no wizard
}

} // namespace

// A record's code keeps its line as designed while a printable module lets it; else it goes
// alone on its line, the text beside it moved; else whole with the lines under it past the
// label's foot; else cut at its smallest printable size. Each is told in its own message.
TEST_F(Insercio, UnCodiQueNoCapAlCostatDelTextEsDiuOnVa)
{
    ActiveBC bc;
    bc.setBarType(kovel::barcode::Code128);
    bc.setBarText(QStringLiteral("SKU-ABCDEFGHIJKLMNO"));
    kovel::codes::ImatgeCodi propia;
    ASSERT_TRUE(CodiBarres::FerImatge(bc, 0, 0, propia));
    const double minim = kovel::codes::ModulMinimBarresMm(kovel::barcode::Code128);
    const kovel::codes::ImatgeCodi imatge = kovel::codes::AlModul(propia, minim);   // already at its smallest
    const QSizeF mida(imatge.ample * 0.75, imatge.alt * 0.75);                      // points
    const QSizeF justa = mida + QSizeF(0.5, 0.5), estreta(mida.width() / 2, mida.height() * 2);
    struct Cas {
        kovel::codes::EspaiLinia espai;
        kovel::codes::ValorsNoCodificats* col;   // nullptr: nothing told
    };
    kovel::codes::EspaiLinia mogut(estreta), fora(estreta), tallat(estreta);
    mogut.sol = justa;
    mogut.sencer = justa;
    fora.sol = estreta;
    fora.sencer = justa;
    const std::vector<Cas> casos{{kovel::codes::EspaiLinia(justa), nullptr},
                                 {mogut, &kovel::codes::TextsMoguts()},
                                 {fora, &kovel::codes::LiniesFora()},
                                 {tallat, &kovel::codes::NoLlegibles()}};
    for (size_t i = 0; i < casos.size(); ++i) {
        for (auto* c : {&kovel::codes::TextsMoguts(), &kovel::codes::LiniesFora(), &kovel::codes::NoLlegibles()})
            c->Comencar();
        doc = kovel::word::Document::create();
        CodiBarres::InserirAjustada(doc->selection(), imatge, QStringLiteral("TOLV_barcode_A"), casos[i].espai, minim,
                                    QStringLiteral("A"), bc.BarText());
        ASSERT_EQ(Pictures().size(), 1u);
        // Never under its printable minimum, whatever is told.
        EXPECT_NEAR(Pictures()[0]->width().value, mida.width(), 0.01) << i;
        for (auto* c : {&kovel::codes::TextsMoguts(), &kovel::codes::LiniesFora(), &kovel::codes::NoLlegibles()})
            EXPECT_EQ(c->Nombre(), c == casos[i].col ? 1 : 0) << i;
    }
    // A larger code is drawn smaller on its line before anything is told; cut, at its smallest.
    for (auto* c : {&kovel::codes::TextsMoguts(), &kovel::codes::NoLlegibles()})
        c->Comencar();
    doc = kovel::word::Document::create();
    CodiBarres::InserirAjustada(doc->selection(), kovel::codes::AlModul(propia, 3 * minim), {}, kovel::codes::EspaiLinia(justa),
                                minim, QStringLiteral("A"), bc.BarText());
    EXPECT_LE(Pictures()[0]->width().value, justa.width() + 0.01);
    EXPECT_EQ(kovel::codes::TextsMoguts().Nombre(), 0);
    doc = kovel::word::Document::create();
    CodiBarres::InserirAjustada(doc->selection(), kovel::codes::AlModul(propia, 3 * minim), {}, tallat, minim,
                                QStringLiteral("A"), bc.BarText());
    EXPECT_NEAR(Pictures()[0]->width().value, mida.width(), 0.01);
    EXPECT_EQ(kovel::codes::NoLlegibles().Nombre(), 1);
    kovel::codes::NoLlegibles().Comencar();
}
