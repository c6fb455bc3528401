// The code dialogs' rules, driven without a window.
#include "codes/RegistreCodis.h"
#include "codes/CodiQR.h"
#include "codes/EntornDisseny.h"
#include "codes/ModelCodiBarres.h"
#include "codes/ModelCodiQR.h"
#include "codes/MidaCodi.h"
#include "common/HostProfile.h"
#include "platform/word/Document.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using kovel::codes::ModelCodiBarres;
using kovel::codes::ModelCodiQR;
using kovel::codes::MidaDialeg;

namespace {

class Assistent : public kovel::codes::EntornDisseny {
public:
    QStringList camps{QStringLiteral("Codi"), QStringLiteral("Nom"), QStringLiteral("Tel")};
    std::map<QString, QString> valors{{QStringLiteral("Codi"), QStringLiteral("590123412345")},
                                      {QStringLiteral("Nom"), QStringLiteral("Ann")},
                                      {QStringLiteral("Tel"), QStringLiteral("600")}};
    std::unique_ptr<kovel::word::Document> doc = kovel::word::Document::create();

    QStringList titols;
    QStringList Camps() const override { return camps; }
    QStringList Titols() const override { return titols; }
    QString ValorMostra(const QString& camp) override { return valors.count(camp) ? valors[camp] : QString(); }
    kovel::word::Range* Seleccio() override { return &doc->selection(); }
    std::optional<QSizeF> espai;
    std::optional<QSizeF> EspaiCodi() override { return espai; }
};

class ModelsDialegs : public ::testing::Test {
protected:
    void SetUp() override
    {
        kovel::EstablirHost(kovel::HostOffice::Excel);
        kovel::codes::EstablirEntorn(&assistent);
    }
    void TearDown() override { kovel::codes::EstablirEntorn(nullptr); }
    Assistent assistent;
    kovel::codes::RegistreCodis codis;
};

// ---- QR code ----

TEST_F(ModelsDialegs, QRJocsDeCaractersExclusiusIElSeuPrefix)
{
    ModelCodiQR m(codis);
    m.Activar();
    m.CanviarText(ModelCodiQR::Text, 0, QStringLiteral("abc"));
    m.MarcarECI(true);
    EXPECT_TRUE(codis.OpcionsQR.eci);
    EXPECT_EQ(m.Qr().DataToEncode(), QStringLiteral("\\000003abc"));
    m.TriarECI(19);   // automatic: designators per run, no prefix
    EXPECT_EQ(codis.OpcionsQR.prefix, QString());
    m.TriarECI(20);
    EXPECT_EQ(codis.OpcionsQR.prefix, QStringLiteral("\\000020"));
    m.MarcarBOM(true);   // the mark is UTF-8's: under ECI it puts nothing
    EXPECT_EQ(codis.OpcionsQR.prefix, QStringLiteral("\\000020"));
    m.MarcarUTF8(true);
    EXPECT_FALSE(m.ECI());
    EXPECT_FALSE(codis.OpcionsQR.eci);
    EXPECT_TRUE(codis.OpcionsQR.utf8);
    EXPECT_EQ(m.Qr().DataToEncode(), QStringLiteral("\\xEF\\xBB\\xBFabc"));
    m.MarcarECI(true);   // ECI takes UTF-8 and its mark away
    EXPECT_FALSE(m.UTF8());
    EXPECT_FALSE(m.BOM());
    EXPECT_EQ(m.Qr().DataToEncode(), QStringLiteral("\\000020abc"));
    m.MarcarECI(false);
    EXPECT_EQ(m.Qr().DataToEncode(), QStringLiteral("abc"));
    // A later dialog starts from its own boxes, not from this one's options.
    ModelCodiQR n(codis);
    m.MarcarUTF8(true);
    n.Activar();
    EXPECT_FALSE(codis.OpcionsQR.utf8);
    EXPECT_EQ(codis.OpcionsQR.prefix, QString());
}

TEST_F(ModelsDialegs, QRCampIContingutFixDeCadaPestanya)
{
    ModelCodiQR m(codis);
    m.Activar();
    EXPECT_TRUE(m.OpcionsCamp());
    EXPECT_EQ(m.LlistaCamps().size(), 3);
    EXPECT_FALSE(m.CampsEditables(ModelCodiQR::Text));
    m.CanviarText(ModelCodiQR::Text, 0, QStringLiteral("typed"));
    m.TriarCampCasella(ModelCodiQR::Text, 0, QStringLiteral("Tel"));
    m.TriarCamp(ModelCodiQR::Text);
    EXPECT_EQ(m.TextCasella(ModelCodiQR::Text, 0), QStringLiteral("600"));
    EXPECT_FALSE(m.TextsEditables(ModelCodiQR::Text));
    EXPECT_TRUE(m.CampsEditables(ModelCodiQR::Text));
    EXPECT_TRUE(m.AvisCamp());
    m.TriarFix(ModelCodiQR::Text);
    EXPECT_EQ(m.TextCasella(ModelCodiQR::Text, 0), QStringLiteral("typed"));
    EXPECT_FALSE(m.AvisCamp());

    // SMS linked to two fields: the sample data now, the template on insertion.
    m.CanviarPestanya(ModelCodiQR::SMS);
    m.TriarCampCasella(ModelCodiQR::SMS, 0, QStringLiteral("Tel"));
    m.TriarCampCasella(ModelCodiQR::SMS, 1, QStringLiteral("Nom"));
    m.TriarCamp(ModelCodiQR::SMS);
    EXPECT_EQ(m.Qr().DataToEncode(), QStringLiteral("smsto:600:Ann"));
    QString why;
    ASSERT_TRUE(m.Inserir(why)) << why.toStdString();
    ASSERT_EQ(codis.PlantillesQR.size(), 1);
    EXPECT_EQ(codis.PlantillesQR[0], QStringLiteral("smsto:[Tel]:[Nom]"));
    EXPECT_EQ(assistent.doc->inlinePictures().size(), 1u);

    // Under the word processor there are no fields to link.
    kovel::EstablirHost(kovel::HostOffice::Word);
    ModelCodiQR w(codis);
    w.Activar();
    EXPECT_FALSE(w.OpcionsCamp());
}

// Two designs open in one process: the character set chosen in one's dialog and the codes it
// registers stay in its own registry, whatever the other's dialog does meanwhile.
TEST_F(ModelsDialegs, QRDosRegistresNoEsBarregen)
{
    kovel::codes::RegistreCodis altre;
    ModelCodiQR m(codis);
    m.Activar();
    m.MarcarECI(true);
    m.TriarECI(20);
    ModelCodiQR n(altre);
    n.Activar();
    n.CanviarText(ModelCodiQR::Text, 0, QStringLiteral("abc"));
    EXPECT_EQ(n.Qr().DataToEncode(), QStringLiteral("abc"));
    EXPECT_FALSE(altre.OpcionsQR.eci);
    EXPECT_EQ(codis.OpcionsQR.prefix, QStringLiteral("\\000020"));

    m.CanviarPestanya(ModelCodiQR::SMS);
    m.TriarCampCasella(ModelCodiQR::SMS, 0, QStringLiteral("Tel"));
    m.TriarCampCasella(ModelCodiQR::SMS, 1, QStringLiteral("Nom"));
    m.TriarCamp(ModelCodiQR::SMS);
    QString why;
    ASSERT_TRUE(m.Inserir(why)) << why.toStdString();
    EXPECT_EQ(codis.PlantillesQR, QStringList{QStringLiteral("\\000020smsto:[Tel]:[Nom]")});
    ASSERT_NE(CodiQR::Opcions(codis, 1), nullptr);
    EXPECT_EQ(CodiQR::Opcions(codis, 1)->indexEci, 20);
    EXPECT_TRUE(altre.ClonsQR.empty());
    EXPECT_TRUE(altre.PlantillesQR.empty());
    EXPECT_EQ(CodiQR::Opcions(altre, 1), nullptr);
}

TEST_F(ModelsDialegs, QRModeIDadesRefusades)
{
    ModelCodiQR m(codis);
    m.Activar();
    // Nothing typed yet: nothing to accept, but no fault to warn of either.
    EXPECT_FALSE(m.Acceptable());
    EXPECT_FALSE(m.Invalid());
    EXPECT_FALSE(m.VistaPrevia());
    m.TriarMode(1);   // numeric
    m.CanviarText(ModelCodiQR::Text, 0, QStringLiteral("123"));
    EXPECT_EQ(m.DadesInvalides, 0);
    EXPECT_TRUE(m.Acceptable());
    EXPECT_TRUE(m.VistaPrevia());
    m.CanviarText(ModelCodiQR::Text, 0, QStringLiteral("12a"));
    EXPECT_NE(m.DadesInvalides, 0);
    EXPECT_FALSE(m.Acceptable());
    EXPECT_FALSE(m.AvisMostra());
    QString why;
    EXPECT_FALSE(m.Inserir(why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(m.Inserint, 0);
    EXPECT_TRUE(assistent.doc->inlinePictures().empty());
    // A field's sample the mode refuses still goes in: the design shows a sample.
    m.TriarCampCasella(ModelCodiQR::Text, 0, QStringLiteral("Nom"));
    m.TriarCamp(ModelCodiQR::Text);
    EXPECT_TRUE(m.Acceptable());
    EXPECT_TRUE(m.AvisMostra());
    EXPECT_EQ(m.DadesDibuixables(), QStringLiteral("123"));
    // The web address tab encodes automatically, and the mode is no longer chosen.
    m.CanviarPestanya(ModelCodiQR::Web);
    EXPECT_EQ(m.Mode(), 0);
    EXPECT_EQ(m.Qr().EncodingMode(), 0);
    EXPECT_FALSE(m.ModeEditable());
    EXPECT_EQ(m.Qr().DataToEncode(), QStringLiteral("http://"));
}

// Escapes typed in a fixed code are the control's own: the dialog says what a reader will
// get when they change the text, a set that cannot hold the text is named, and a designator
// no reader knows is refused, fixed or in front of a field's records.
TEST_F(ModelsDialegs, QRElQueEsCodificaQuanElsEscapesCanvienElText)
{
    ModelCodiQR m(codis);
    m.Activar();
    m.CanviarText(ModelCodiQR::Text, 0, QStringLiteral("\u041f\u0443\u0442\u044c C:\\temp ~"));
    EXPECT_TRUE(m.Acceptable());
    EXPECT_TRUE(m.TextCodificat().isEmpty());   // a backslash that escapes nothing is itself
    EXPECT_TRUE(m.NotaJoc().isEmpty());
    m.CanviarText(ModelCodiQR::Text, 0, QStringLiteral("LOT-A C:\\x41\\temp"));
    EXPECT_EQ(m.TextCodificat(), QStringLiteral("LOT-A C:A\\temp"));
    m.CanviarText(ModelCodiQR::Text, 0, QStringLiteral("LOT\\202612-A C:\\x41\\temp"));
    EXPECT_FALSE(m.Acceptable());
    EXPECT_TRUE(m.Invalid());
    EXPECT_TRUE(m.Qr().Error().contains(QStringLiteral("ECI 202612"))) << m.Qr().Error().toStdString();
    QString why;
    EXPECT_FALSE(m.Inserir(why));
    EXPECT_TRUE(why.contains(QStringLiteral("202612")));
    // The options' own designators and UTF-8 bytes change nothing a reader gets.
    m.CanviarText(ModelCodiQR::Text, 0, QStringLiteral("\u0391\u03b8\u03ae\u03bd\u03b1"));
    m.MarcarUTF8(true);
    EXPECT_TRUE(m.TextCodificat().isEmpty());
    m.MarcarECI(true);   // Latin-1 cannot hold Greek: the text goes in UTF-8, and the dialog says so
    EXPECT_TRUE(m.Acceptable());
    EXPECT_TRUE(m.TextCodificat().isEmpty());
    EXPECT_TRUE(m.NotaJoc().contains(QStringLiteral("ECI 3"))) << m.NotaJoc().toStdString();
    m.TriarECI(9);
    EXPECT_TRUE(m.NotaJoc().isEmpty());
    // In a card too: the card's own escapes are shown as a reader gets them.
    m.CanviarPestanya(ModelCodiQR::Targeta);
    m.CanviarText(ModelCodiQR::Targeta, 0, QStringLiteral("\u0391; C:\\temp"));
    EXPECT_TRUE(m.TextCodificat().isEmpty()) << m.TextCodificat().toStdString();
    m.CanviarText(ModelCodiQR::Targeta, 0, QStringLiteral("\u0391 \\x41"));
    EXPECT_EQ(m.TextCodificat(), QStringLiteral("MECARD:N:\u0391 \\A;;"));
    // An unknown set in front of every record: the linked code is refused too.
    m.TriarECI(14);
    m.TriarCamp(ModelCodiQR::Targeta);
    EXPECT_FALSE(m.Acceptable());
    EXPECT_FALSE(m.Inserir(why));
    EXPECT_TRUE(why.contains(QStringLiteral("ECI 14"))) << why.toStdString();
    EXPECT_TRUE(assistent.doc->inlinePictures().empty());
}

// A contact card names only what it is given: the fields after the name start left out, and
// a card without a web address carries no key for it, typed or linked.
TEST_F(ModelsDialegs, QRTargetaSenseAdrecaWeb)
{
    ModelCodiQR m(codis);
    m.Activar();
    m.CanviarPestanya(ModelCodiQR::Targeta);
    EXPECT_EQ(m.CampCasella(ModelCodiQR::Targeta, ModelCodiQR::Nom), QStringLiteral("Codi"));
    for (int i = ModelCodiQR::Telefon; i <= ModelCodiQR::Adreca; ++i) {
        EXPECT_TRUE(m.CampCasella(ModelCodiQR::Targeta, i).isEmpty()) << i;
        const auto opcions = m.OpcionsLlista(ModelCodiQR::Targeta, i);
        ASSERT_EQ(opcions.size(), 4) << i;
        EXPECT_TRUE(opcions[0].camp.isEmpty() && opcions[0].rotol.isEmpty()) << i;
    }
    // The name cannot be left out; the other contents' lists hold only the fields.
    EXPECT_EQ(m.OpcionsLlista(ModelCodiQR::Targeta, ModelCodiQR::Nom).size(), 3);
    EXPECT_EQ(m.OpcionsLlista(ModelCodiQR::SMS, 1).size(), 3);

    m.CanviarText(ModelCodiQR::Targeta, ModelCodiQR::Nom, QStringLiteral("Ann"));
    m.CanviarText(ModelCodiQR::Targeta, ModelCodiQR::Telefon, QStringLiteral("600"));
    m.CanviarText(ModelCodiQR::Targeta, ModelCodiQR::Correu, QStringLiteral("ann@k.example"));
    EXPECT_EQ(m.Qr().DataToEncode(), QStringLiteral("MECARD:N:Ann;TEL:600;EMAIL:ann@k.example;;"));
    EXPECT_FALSE(m.Invalid());

    m.TriarCampCasella(ModelCodiQR::Targeta, ModelCodiQR::Nom, QStringLiteral("Nom"));
    m.TriarCampCasella(ModelCodiQR::Targeta, ModelCodiQR::Telefon, QStringLiteral("Tel"));
    m.TriarCamp(ModelCodiQR::Targeta);
    EXPECT_EQ(m.Qr().DataToEncode(), QStringLiteral("MECARD:N:Ann;TEL:600;;"));
    QString why;
    ASSERT_TRUE(m.Inserir(why)) << why.toStdString();
    EXPECT_EQ(codis.PlantillesQR, QStringList{QStringLiteral("MECARD:N:[Nom];TEL:[Tel];;")});
    QString carta;
    ASSERT_TRUE(CodiQR::OmplirPlantilla(codis.PlantillesQR[0], [this](const QString& f) { return assistent.valors[f]; }, carta));
    EXPECT_FALSE(carta.contains(QStringLiteral("URL:")));
}

// Where the worksheet's first row is a header row, the lists show each column's header
// beside its letter; the field a code is linked to stays the column.
TEST_F(ModelsDialegs, LesLlistesDeCampsMostrenElsTitolsDelFull)
{
    assistent.camps = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    assistent.titols = {QStringLiteral("Name"), QString(), QStringLiteral(" Phone\n")};
    assistent.valors = {{QStringLiteral("A"), QStringLiteral("Ann")}, {QStringLiteral("C"), QStringLiteral("600")}};
    const QStringList rotols{QStringLiteral("A \u2014 Name"), QStringLiteral("B"), QStringLiteral("C \u2014 Phone")};
    ModelCodiBarres b(codis);
    b.Activar();
    EXPECT_EQ(b.Rotols(), rotols);
    b.SeleccionarCamp(2);
    EXPECT_EQ(b.Camp(), QStringLiteral("C"));

    ModelCodiQR q(codis);
    q.Activar();
    const auto opcions = q.OpcionsLlista(ModelCodiQR::Targeta, ModelCodiQR::Telefon);
    ASSERT_EQ(opcions.size(), 4);
    EXPECT_EQ(opcions[3].rotol, rotols[2]);
    EXPECT_EQ(opcions[3].camp, QStringLiteral("C"));
    q.CanviarPestanya(ModelCodiQR::Targeta);
    q.TriarCampCasella(ModelCodiQR::Targeta, ModelCodiQR::Telefon, opcions[3].camp);
    q.TriarCamp(ModelCodiQR::Targeta);
    EXPECT_EQ(q.Qr().DataToEncode(), QStringLiteral("MECARD:N:Ann;TEL:600;;"));
    QString why;
    ASSERT_TRUE(q.Inserir(why)) << why.toStdString();
    EXPECT_EQ(codis.PlantillesQR.value(0), QStringLiteral("MECARD:N:[A];TEL:[C];;"));

    // Without a header row the lists show the names alone.
    assistent.titols.clear();
    ModelCodiBarres sense(codis);
    sense.Activar();
    EXPECT_EQ(sense.Rotols(), assistent.camps);
}

// ---- Barcode ----

TEST_F(ModelsDialegs, BarresElTipusLimitaElTextIObreLesSevesOpcions)
{
    kovel::EstablirHost(kovel::HostOffice::Word);
    ModelCodiBarres m(codis);
    m.Activar();
    EXPECT_EQ(m.Codi().BarType(), kovel::barcode::EAN13);
    EXPECT_FALSE(m.OpcioCamp());
    EXPECT_TRUE(m.Habilitat().guard);
    EXPECT_EQ(m.AlineacionsText().size(), 7);
    m.TriarTipus(7);   // Code 128
    EXPECT_TRUE(m.Habilitat().jocCaracters);
    EXPECT_EQ(m.AlineacionsText().size(), 4);
    EXPECT_TRUE(m.CanviarText(QStringLiteral("ABCDEFGHIJ")));
    EXPECT_FALSE(m.Invalid());
    m.TriarTipus(10);   // EAN-8 takes seven digits: the text is cut as the box cuts it
    EXPECT_EQ(m.LongitudMaxima(), 7);
    EXPECT_EQ(m.Text(), QStringLiteral("ABCDEFG"));
    EXPECT_EQ(m.Codi().BarText(), QStringLiteral("ABCDEFG"));
    EXPECT_TRUE(m.Invalid());
    EXPECT_FALSE(m.TextDibuixable().isEmpty());

    // Without the text shown, its options are off; a new type leaves that as it is.
    m.MarcarMostrarText(false);
    EXPECT_FALSE(m.Habilitat().propietatsText);
    EXPECT_FALSE(m.Habilitat().mostrarStSt);
    m.MarcarTransparent(true);
    EXPECT_FALSE(m.Habilitat().colorEspais);

    const int refusos = m.Refusos();
    EXPECT_FALSE(m.CanviarText(QString()));   // an empty text is refused, the bars keep theirs
    EXPECT_GT(m.Refusos(), refusos);
    EXPECT_EQ(m.Codi().BarText(), QStringLiteral("ABCDEFG"));
    QString why;
    EXPECT_FALSE(m.Inserir(why));
    EXPECT_FALSE(why.isEmpty());
}

TEST_F(ModelsDialegs, BarresCampTextFixIOpcionsNumeriques)
{
    ModelCodiBarres m(codis);
    m.Activar();
    EXPECT_TRUE(m.OpcioCamp());
    EXPECT_EQ(m.IndexCamp(), 0);
    EXPECT_FALSE(m.DeCamp());
    m.CanviarText(QStringLiteral("400638133393"));
    m.TriarCamp();
    EXPECT_EQ(m.Text(), QStringLiteral("590123412345"));
    EXPECT_EQ(m.LongitudMaxima(), 32767);
    EXPECT_FALSE(m.TextEditable());
    m.TriarFix();
    EXPECT_EQ(m.Text(), QStringLiteral("400638133393"));
    EXPECT_EQ(m.TextFix(), QStringLiteral("400638133393"));
    EXPECT_TRUE(m.TextEditable());

    for (const auto& [typed, shown] : {std::pair{"150", "99"}, std::pair{"-150", "-99"}, std::pair{"12.5", "12"},
                                       std::pair{"abc", "0"}, std::pair{"1e300", "99"}})
        EXPECT_EQ(m.ReduccioValidada(QString::fromLatin1(typed)).toStdString(), shown) << typed;
    m.CanviarRelacio(QStringLiteral("2,5"));
    m.CanviarRelacio(QStringLiteral("x"));
    EXPECT_FLOAT_EQ(m.Codi().Wide2NarrowRatio(), 2.5f);
    const int w = m.Codi().Width(), h = m.Codi().Height();
    m.TriarOrientacio(1);
    EXPECT_EQ(m.Codi().Width(), h);
    EXPECT_EQ(m.Codi().Height(), w);

    // Linked to a field: the clone and the tag of the generator.
    m.SeleccionarCamp(2);
    m.TriarCamp();
    QString why;
    ASSERT_TRUE(m.Inserir(why)) << why.toStdString();
    ASSERT_EQ(codis.ClonsBarres.size(), 1u);
    EXPECT_EQ(assistent.doc->inlinePictures().size(), 1u);
}

// ---- The code's size on its label ----

// Points of a picture's side in millimetres.
double Mm(kovel::word::Points p) { return p.value * 25.4 / 72.0; }

// Inserted fitted to the room the design leaves: at the largest size at or under its own, its
// module printable; refused, saying its smallest size and the room, only when even that
// does not fit, and then nothing is registered or inserted.
TEST_F(ModelsDialegs, BarresEntraAjustadaALEspaiOEsRefusaDientPerQue)
{
    ModelCodiBarres m(codis);
    m.Activar();
    m.TriarTipus(kovel::barcode::Code128);
    m.TriarCamp();
    m.SeleccionarCamp(0);
    m.CampActivat();
    const auto propia = m.MidesCodi();
    ASSERT_TRUE(propia);
    EXPECT_FALSE(propia->maxima) << "no room known, no limit";

    // 40 x 20 mm: the code is wider than that at its own size.
    assistent.espai = QSizeF(40 / 25.4 * 72, 20 / 25.4 * 72);
    ModelCodiBarres ajustat(codis);
    ajustat.Activar();
    ajustat.TriarTipus(kovel::barcode::Code128);
    ajustat.TriarCamp();
    ASSERT_GT(propia->actual.width(), 40) << "test data: its own size must not fit";
    const auto mides = ajustat.MidesCodi();
    ASSERT_TRUE(mides && mides->maxima);
    EXPECT_NEAR(mides->maxima->width(), 40, 0.01);
    // The largest whole dots of 600 dpi a module that fit, as a record's code gets.
    const double dots = mides->actual.width() / propia->actual.width() * (25.4 * 2 / 96) / 25.4 * kovel::codes::PuntsPerPolzada;
    EXPECT_NEAR(dots, std::round(dots), 1e-3);
    EXPECT_LE(mides->actual.width(), 40);
    EXPECT_GT(mides->actual.width() * (std::round(dots) + 1) / std::round(dots), 40);
    EXPECT_NEAR(mides->actual.width() / mides->actual.height(), propia->actual.width() / propia->actual.height(), 0.01);
    QString why;
    ASSERT_TRUE(ajustat.Inserir(why)) << why.toStdString();
    auto fotos = assistent.doc->inlinePictures();
    ASSERT_EQ(fotos.size(), 1u);
    EXPECT_NEAR(Mm(fotos[0]->width()), mides->actual.width(), 1e-3);
    EXPECT_LE(Mm(fotos[0]->height()), 20.0 + 1e-6);
    EXPECT_GE(Mm(fotos[0]->width()), mides->minima.width());
    EXPECT_EQ(codis.ClonsBarres.size(), 1u);

    // 10 mm across: under the code's smallest printable size.
    assistent.espai = QSizeF(10 / 25.4 * 72, 20 / 25.4 * 72);
    ModelCodiBarres estret(codis);
    estret.Activar();
    estret.TriarTipus(kovel::barcode::Code128);
    estret.TriarCamp();
    ASSERT_TRUE(estret.MidesCodi()->cap);
    EXPECT_FALSE(estret.Inserir(why));
    const QString minim = QString::number(estret.MidesCodi()->minima.width(), 'f', 1);
    EXPECT_TRUE(why.contains(minim)) << why.toStdString() << " does not give the width " << minim.toStdString();
    EXPECT_TRUE(why.contains(QStringLiteral("10.0 x 20.0 mm"))) << why.toStdString();
    // The boxes say the same room, and offer no size larger than it.
    const QString abast = MidaDialeg::Abast(*estret.MidesCodi());
    EXPECT_TRUE(why.startsWith(abast)) << abast.toStdString() << " / " << why.toStdString();
    EXPECT_FALSE(estret.Invalid()) << "the code itself is good";
    EXPECT_EQ(codis.ClonsBarres.size(), 1u);
    EXPECT_EQ(assistent.doc->inlinePictures().size(), 1u);

    // A QR code likewise.
    ModelCodiQR qr(codis);
    qr.Activar();
    qr.CanviarText(ModelCodiQR::Text, 0, QStringLiteral("https://example.com/a/rather/long/address/to/make/it/bigger"));
    assistent.espai = QSizeF(4, 4);
    EXPECT_FALSE(qr.Inserir(why));
    EXPECT_TRUE(why.contains(QStringLiteral("1.4 x 1.4 mm"))) << why.toStdString();
    // The room is asked once a dialog: another selection is another dialog.
    assistent.espai = QSizeF(60, 40);
    ModelCodiQR qr2(codis);
    qr2.Activar();
    qr2.CanviarText(ModelCodiQR::Text, 0, qr.TextCasella(ModelCodiQR::Text, 0));
    ASSERT_TRUE(qr2.Inserir(why)) << why.toStdString();
    fotos = assistent.doc->inlinePictures();
    ASSERT_EQ(fotos.size(), 2u);
    EXPECT_LE(fotos[1]->height().value, 40 + 1e-6);
}

// The user's size: whole printer dots a module, from the printable minimum up to the room,
// the other side following; kept by the field's code for the generation.
TEST_F(ModelsDialegs, BarresLaMidaQueDonaLUsuari)
{
    assistent.espai = QSizeF(60 / 25.4 * 72, 30 / 25.4 * 72);
    ModelCodiBarres m(codis);
    m.Activar();
    m.TriarCamp();   // EAN-13 of field "Codi"
    const auto abans = m.MidesCodi();
    ASSERT_TRUE(abans);
    const double proporcio = abans->actual.width() / abans->actual.height();

    m.CanviarAmple(QStringLiteral("35"));
    auto ara = m.MidesCodi();
    EXPECT_NEAR(ara->actual.width(), 35, 35 / 7.0 / 2) << "the nearest whole dots, about 7 a module";
    EXPECT_NEAR(ara->actual.width() / ara->actual.height(), proporcio, 0.01);
    const double punts = m.Codi().ModulMm() / 25.4 * kovel::codes::PuntsPerPolzada;
    EXPECT_NEAR(punts, std::round(punts), 1e-6) << "a module of whole dots";
    m.CanviarAlt(QStringLiteral("15,5"));
    EXPECT_NEAR(m.MidesCodi()->actual.height(), 15.5, 15.5 / 7.0 / 2);

    EXPECT_TRUE(m.AjustMida().isEmpty()) << "taken as typed, to whole dots";
    m.CanviarAmple(QStringLiteral("1"));   // under the minimum: the minimum itself, and said
    EXPECT_NEAR(m.Codi().ModulMm(), kovel::codes::ModulMinimBarresMm(kovel::barcode::EAN13), 1e-9);
    EXPECT_NEAR(m.MidesCodi()->actual.width(), m.MidesCodi()->minima.width(), 1e-3);
    EXPECT_TRUE(m.AjustMida().startsWith(QStringLiteral("1.0 mm is under the smallest printable size")))
        << m.AjustMida().toStdString();
    EXPECT_TRUE(m.AjustMida().contains(QString::number(m.MidesCodi()->actual.width(), 'f', 1))) << m.AjustMida().toStdString();
    m.CanviarAlt(QStringLiteral("500"));   // over the room: the room itself, and said
    EXPECT_TRUE(m.AjustMida().startsWith(QStringLiteral("500.0 mm is over the largest size offered"))) << m.AjustMida().toStdString();
    ara = m.MidesCodi();
    EXPECT_TRUE(MidaDialeg::Abast(*ara).contains(QStringLiteral("to 60.0 x ")) || MidaDialeg::Abast(*ara).contains(QStringLiteral(" x 30.0 mm")))
        << MidaDialeg::Abast(*ara).toStdString();
    EXPECT_LE(ara->actual.width(), 60 + 1e-3);
    EXPECT_LE(ara->actual.height(), 30 + 1e-3);
    EXPECT_GT(std::max(ara->actual.width() / 60, ara->actual.height() / 30), 0.999) << "up to the room, past its own size";
    EXPECT_GT(ara->actual.width(), abans->actual.width());
    const double modul = m.Codi().ModulMm();
    m.CanviarAmple(QStringLiteral("abc"));
    EXPECT_EQ(m.Codi().ModulMm(), modul);

    m.CanviarAmple(QStringLiteral("40"));
    QString why;
    ASSERT_TRUE(m.Inserir(why)) << why.toStdString();
    ASSERT_EQ(codis.ClonsBarres.size(), 1u);
    EXPECT_EQ(codis.ClonsBarres[0]->ModulMm(), m.Codi().ModulMm());
    const auto fotos = assistent.doc->inlinePictures();
    ASSERT_EQ(fotos.size(), 1u);
    EXPECT_NEAR(Mm(fotos[0]->width()), m.MidesCodi()->actual.width(), 0.01);

    // With no room known the size still stops at the widest module: no picture of any size.
    assistent.espai.reset();
    ModelCodiBarres sense(codis);
    sense.Activar();
    sense.TriarCamp();
    sense.CanviarAmple(QStringLiteral("1e12"));
    EXPECT_LE(sense.Codi().ModulMm(), kovel::codes::ModulMaximMm);
}

// A QR code's size likewise: none before anything is typed; whole printer dots a module from
// its printable minimum up to the room, square; kept while the data change (more data, more
// modules of that size) and by the field's code for the generation.
TEST_F(ModelsDialegs, QRLaMidaQueDonaLUsuari)
{
    assistent.espai = QSizeF(40 / 25.4 * 72, 30 / 25.4 * 72);
    ModelCodiQR m(codis);
    m.Activar();
    EXPECT_FALSE(m.MidesCodi()) << "nothing typed yet";
    m.CanviarAmple(QStringLiteral("20"));
    EXPECT_EQ(m.Qr().ModulMm(), 0) << "no code, no size";
    m.CanviarText(ModelCodiQR::Text, 0, QStringLiteral("https://example.com/a/b"));
    const auto propia = m.MidesCodi();
    ASSERT_TRUE(propia && propia->maxima);
    EXPECT_NEAR(propia->maxima->width(), 30, 0.01) << "square: the room's lower side";
    const double moduls = propia->actual.width() / (25.4 * 3 / 96);
    EXPECT_NEAR(propia->minima.width(), moduls * kovel::codes::ModulMinimQRMm, 1e-3);

    m.CanviarAmple(QStringLiteral("20"));
    auto ara = m.MidesCodi();
    const double punt = 25.4 / kovel::codes::PuntsPerPolzada;
    EXPECT_NEAR(ara->actual.width(), 20, moduls * punt / 2 + 1e-9);
    EXPECT_DOUBLE_EQ(ara->actual.width(), ara->actual.height());
    const double punts = m.Qr().ModulMm() / punt;
    EXPECT_NEAR(punts, std::round(punts), 1e-6) << "a module of whole dots";
    m.CanviarAlt(QStringLiteral(" 0,5 "));   // under the minimum: the minimum itself
    EXPECT_NEAR(m.Qr().ModulMm(), kovel::codes::ModulMinimQRMm, 1e-9);
    m.CanviarAmple(QStringLiteral("500"));   // over the room: the room itself
    EXPECT_NEAR(m.MidesCodi()->actual.height(), 30, 1e-3);
    m.CanviarAmple(QStringLiteral("15"));
    const double modul = m.Qr().ModulMm();
    for (const char* dolent : {"abc", "", "-4", "0"}) {
        m.CanviarAlt(QString::fromLatin1(dolent));
        EXPECT_EQ(m.Qr().ModulMm(), modul) << dolent;
    }

    // Longer data: more modules, each of the size given.
    m.CanviarText(ModelCodiQR::Text, 0, QStringLiteral("https://example.com/a/rather/longer/address/of/more/modules"));
    EXPECT_EQ(m.Qr().ModulMm(), modul);
    ara = m.MidesCodi();
    EXPECT_NEAR(ara->actual.width() / modul, m.Qr().GetMatrixWidth(1, 96, 96, 4, 4), 1e-3);

    m.TriarCamp(ModelCodiQR::Text);
    ASSERT_TRUE(m.MidesCodi());
    QString why;
    ASSERT_TRUE(m.Inserir(why)) << why.toStdString();
    ASSERT_EQ(codis.ClonsQR.size(), 1u);
    EXPECT_EQ(codis.ClonsQR[0]->ModulMm(), modul);
    const auto fotos = assistent.doc->inlinePictures();
    ASSERT_EQ(fotos.size(), 1u);
    EXPECT_NEAR(Mm(fotos[0]->width()), m.MidesCodi()->actual.width(), 0.01);
}

} // namespace
