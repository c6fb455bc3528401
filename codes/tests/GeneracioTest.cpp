// Every symbol the program draws reads back to its data: in the dialog's preview, in the
// design, and in the document that the generator makes from the records. A record value
// that a code cannot hold leaves its place empty and is told once at the end.
#include "codes/RegistreCodis.h"
#include "catalogue/Cataleg.h"
#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"
#include "codes/EntornDisseny.h"
#include "codes/ValorsNoCodificats.h"
#include "codes/ui/frmCodiBarres.h"
#include "codes/ui/frmCodiQR.h"
#include "common/Fitxers.h"
#include "common/HostProfile.h"
#include "common/MsgBox.h"
#include "documents/CodisPrograma.h"
#include "documents/MidaCodiDisseny.h"
#include "documents/generar_doc.h"
#include "documents/tests/OpcionsCodis.h"
#include "codes/tests/LectorEmf.h"
#include "platform/barcode/tests/Lector.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <array>

namespace {

using namespace kovel::barcode;
using kovel::word::InlinePicture;

// The wizard as the dialogs see it: the columns of a worksheet, its first row, the design.
class Assistent : public kovel::codes::EntornDisseny {
public:
    QStringList valors;   // columns A, B, C…, or the fields named in `noms`
    QStringList noms;
    // The design of the generator's label (10 x 4 cm: the longest symbols fit it), as the
    // wizard makes it.
    std::unique_ptr<kovel::word::Document> doc = proves::DissenySenseMarges(10, 4);

    QStringList Camps() const override
    {
        if (!noms.isEmpty()) return noms;
        QStringList c;
        for (int i = 0; i < valors.size(); ++i) c << QString(QChar('A' + i));
        return c;
    }
    QString ValorMostra(const QString& camp) override
    {
        const int i = static_cast<int>(Camps().indexOf(camp));
        return i >= 0 && i < valors.size() ? valors[i] : QString();
    }
    kovel::word::Range* Seleccio() override { return &doc->selection(); }
};

// The generator's side: one worksheet of records, the design, the codes of this run.
struct Opcions : proves::OpcionsAmbCataleg {
    Opcions(const Cataleg& cat, kovel::codes::RegistreCodis& registre) : OpcionsAmbCataleg(cat), codisPrograma(registre) {}
    generar_doc::FullDades* full = nullptr;
    kovel::word::Document* disseny = nullptr;
    generar_doc::CodisPrograma codisPrograma;
    QString dades;
    int files = 1;
    std::unique_ptr<generar_doc::RegistresDades> registres;   // a database host's records
    QString programaOffice() const override { return registres ? QStringLiteral("Access") : QStringLiteral("Excel"); }
    std::unique_ptr<generar_doc::RegistresDades> obreRegistres() override { return std::move(registres); }
    std::int16_t formatSeleccionat() const override { return 0; }
    bool horitzontal() const override { return false; }
    bool unaEtiquetaPerRegistre() const override { return true; }
    QString textFilaInicial() const override { return QStringLiteral("1"); }
    QString textFilaFinal() const override { return QString::number(files); }
    generar_doc::FullDades* fullDades() override { return full; }
    kovel::word::Document* dissenyAllotjat() override { return disseny; }
    generar_doc::CodisGeneracio* codis() override { return &codisPrograma; }
    QString carpetaPrograma() const override { return dades + QStringLiteral("program"); }
    QString carpetaDades() const override { return dades; }
};

QImage Imatge(const InlinePicture* p)
{
    QImage img;
    img = kovel::proves::ImatgeDe(p->png());
    return img;
}

QString Llegit(const QImage& img, bool addOn = false, bool code39Complet = false)
{
    if (img.isNull()) return QStringLiteral("<none>");
    const auto r = kovel::proves::Llegir(img, addOn, code39Complet);
    return r.ok ? r.text : QStringLiteral("<not read>");
}

// The pictures of each label cell of the first sheet, label by label.
std::vector<std::vector<const InlinePicture*>> PicturesPerEtiqueta(kovel::word::Document& doc, int etiquetes)
{
    std::vector<std::vector<const InlinePicture*>> out;
    for (int i = 0; i < etiquetes; ++i) {
        std::vector<const InlinePicture*> v;
        for (const auto& b : doc.table(0).cell(i / 2, i % 2).story.blocks)
            if (b.isParagraph())
                for (const auto& item : b.paragraph().items)
                    if (auto* p = std::get_if<InlinePicture>(&item)) v.push_back(p);
        out.push_back(v);
    }
    return out;
}

class Proces : public ::testing::Test {
protected:
    Cataleg cat;
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("xdg")).toUtf8());
        CarpetaDades = dir.path() + QLatin1Char('/');
        kovel::EstablirHost(kovel::HostOffice::Excel);
        kovel::codes::EstablirEntorn(&assistent);
        // One format of two labels across and two down.
        EtiquetaCatalogo e;
        e.Codigo = 3;
        e.Ancho = 10;
        e.Alto = 4;
        e.PasoHorizontal = 10;
        e.PasoVertical = 4;
        e.Filas = 2;
        e.Columnas = 2;
        cat.Etiquetas = {e};
        cat.EtiquetasExt = {EtiquetaExtendida{}};
        cat.EtiquetasMarca = {false};
        cat.NumEtiquetas = 1;
        mod_rvtMsgBox::setAnswerer([this](const QString& prompt, std::int16_t, const QString&) {
            missatges << prompt;
            return std::int16_t(mod_rvtMsgBox::vbCancel);
        });
    }
    void TearDown() override
    {
        mod_rvtMsgBox::resetAnswerer();
        kovel::codes::EstablirEntorn(nullptr);
    }
    // Generates the label document from `registres` (row 1 first) and the design.
    std::unique_ptr<kovel::word::Document> Genera(const QList<QStringList>& registres)
    {
        generar_doc::FullMemoria full(registres);
        Opcions o(cat, codis);
        o.full = &full;
        o.disseny = assistent.doc.get();
        o.dades = dir.path() + QLatin1Char('/');
        o.files = static_cast<int>(registres.size());
        return generar_doc::GeneraDocument(0, o);
    }
    std::unique_ptr<kovel::word::Document> GeneraDeBaseDeDades(const QStringList& camps, const QList<QStringList>& registres)
    {
        Opcions o(cat, codis);
        o.registres = std::make_unique<generar_doc::RegistresMemoria>(camps, registres);
        o.disseny = assistent.doc.get();
        o.dades = dir.path() + QLatin1Char('/');
        return generar_doc::GeneraDocument(0, o);
    }

    QTemporaryDir dir;
    kovel::codes::RegistreCodis codis;
    Assistent assistent;
    QStringList missatges;
};

// ---- One table: every bar type and every QR content, preview, design and document ----

enum class Tipus { Barres, QR };

struct Cas {
    const char* nom;
    Tipus tipus;
    int codi;              // bar type, or QR tab (0 text, 1 URL, 2 SMS, 3 contact card)
    bool fix;              // fixed content (else the columns' values)
    QStringList valors;    // first row of the worksheet: columns A, B…
    QString llegit;        // what a reader returns; empty: no reader knows the type
    int joc128 = 0;
    bool calcCheck = false;
    int eci = -1;          // character set ticked, by list index
    bool utf8 = false;
    bool bom = false;
    int orientacio = 0;    // list index: 0º, 90º, 180º, 270º
};
void PrintTo(const Cas& c, std::ostream* os) { *os << c.nom; }

class Simbols : public Proces, public ::testing::WithParamInterface<Cas> {};

TEST_P(Simbols, EsLlegeixenALaVistaPreviaAlDissenyIAlDocument)
{
    const Cas& c = GetParam();
    assistent.valors = c.valors;
    const bool addOn = c.tipus == Tipus::Barres && c.valors[0].contains(QLatin1Char('+'));
    const bool complet = c.tipus == Tipus::Barres && c.codi == Code39Complet;
    QImage preview;
    if (c.tipus == Tipus::Barres) {
        frmCodiBarres d(codis);
        d.show();
        d.cboTipusCodi->setCurrentIndex(c.codi);
        d.cboCodCaracters->setCurrentIndex(c.joc128);
        d.chkCalcCheck->setChecked(c.calcCheck);
        d.cboOrientacio->setCurrentIndex(c.orientacio);
        if (c.fix) {
            d.optMateix->click();
            d.txtCodi->setText(c.valors[0]);
        } else {
            d.cboCamp->setCurrentIndex(0);
            d.optCamp->click();
        }
        ASSERT_TRUE(d.ActiveBC1().Valid()) << d.ActiveBC1().Error().toStdString();
        preview = d.lblPreview->pixmap(Qt::ReturnByValue).toImage();
        d.btnAcceptar->click();
        ASSERT_FALSE(d.isVisible()) << missatges.join('\n').toStdString();
    } else {
        frmCodiQR q(codis);
        q.show();
        if (c.eci >= 0) {
            q.cboECI->setCurrentIndex(c.eci);
            q.ChechkECI->setChecked(true);
        }
        q.chkUTF8->setChecked(c.utf8);
        q.chkBOM->setChecked(c.bom);
        q.cboOrientacio->setCurrentIndex(c.orientacio);
        q.SeleccionarTab(c.codi);
        const std::array<std::vector<QLineEdit*>, 4> caixes{
            std::vector<QLineEdit*>{q.txtCodi}, {q.txtCodiURL}, {q.txtNumeroSMS, q.txtMissatgeSMS},
            {q.txt_vcard_nom, q.txt_vcard_telf, q.txt_vcard_web, q.txt_vcard_email, q.txt_vcard_adressa}};
        const std::array<std::vector<QComboBox*>, 4> llistes{
            std::vector<QComboBox*>{q.cboCamp}, {q.cboCampURL}, {q.cboCampNumSMS, q.cboCampMissatgeSMS},
            {q.cbo_vCard_nom, q.cbo_vcard_telf, q.cbo_vcard_web, q.cbo_vcard_email, q.cbo_vcard_adressa}};
        const std::array<QRadioButton*, 4> camps{q.optCamp, q.optCampURL, q.optCampSMS, q.optCampvCard};
        const auto tab = static_cast<size_t>(c.codi);
        if (c.fix) {
            for (size_t i = 0; i < caixes[tab].size(); ++i) caixes[tab][i]->setText(c.valors.value(static_cast<int>(i)));
        } else {
            // A card's lists after the name's start with the empty choice.
            for (size_t i = 0; i < llistes[tab].size(); ++i)
                llistes[tab][i]->setCurrentIndex(static_cast<int>(i) + (kovel::codes::ModelCodiQR::Opcional(c.codi, int(i)) ? 1 : 0));
            camps[tab]->click();
        }
        ASSERT_EQ(q.DadesInvalides, 0) << q.QRCodeCtrl1().Error().toStdString();
        preview = q.lblPreview->pixmap(Qt::ReturnByValue).toImage();
        q.btnAceptar->click();
        ASSERT_FALSE(q.isVisible()) << missatges.join('\n').toStdString();
    }

    const auto disseny = assistent.doc->inlinePictures();
    ASSERT_EQ(disseny.size(), 1u);
    const QImage imatgeDisseny = Imatge(disseny[0]);
    // A barcode turned a quarter is higher than wide, in the design as in the preview.
    if (c.tipus == Tipus::Barres) {
        EXPECT_EQ(imatgeDisseny.height() > imatgeDisseny.width(), c.orientacio % 2 == 1);
    }
    auto generat = Genera({c.valors});
    ASSERT_TRUE(generat);
    const auto etiqueta = PicturesPerEtiqueta(*generat, 1)[0];
    ASSERT_EQ(etiqueta.size(), 1u);
    const QImage imatgeGenerada = Imatge(etiqueta[0]);
    EXPECT_TRUE(missatges.isEmpty()) << missatges.join('\n').toStdString();
    // The design frame shows the sample record's code as that record prints: what stands
    // beside and under it there is what the print has.
    const double mig = 0.5 / 25.4 * 72;
    const QSizeF mostrat = generar_doc::MidaCodiDisseny(*assistent.doc, 0, &codis)
                               .value_or(QSizeF(disseny[0]->width().value, disseny[0]->height().value));
    EXPECT_NEAR(mostrat.width(), etiqueta[0]->width().value, mig) << "design and print";
    EXPECT_NEAR(mostrat.height(), etiqueta[0]->height().value, mig) << "design and print";

    if (c.llegit.isEmpty()) {
        // No independent reader knows the type (its bars are checked against the standard
        // with the control): the document's picture is the design's symbol.
        EXPECT_FALSE(imatgeDisseny.isNull());
        EXPECT_EQ(imatgeGenerada, imatgeDisseny);
        return;
    }
    EXPECT_EQ(Llegit(preview, addOn, complet).toStdString(),
              c.llegit.toStdString()) << "preview";
    EXPECT_EQ(Llegit(imatgeDisseny, addOn, complet).toStdString(),
              c.llegit.toStdString()) << "design";
    EXPECT_EQ(Llegit(imatgeGenerada, addOn, complet).toStdString(), c.llegit.toStdString()) << "document";
}

const QString Targeta = QStringLiteral("MECARD:N:Jos\u00e9 Mu\u00f1oz\\, fill;TEL:+34 600 123 456;URL:https\\://k.example/\u00e0;"
                                       "EMAIL:jose@example.com;ADR:Pl. \u00c0ngel 3\\; 2n;;");
const QStringList ValorsTargeta = {QStringLiteral("Jos\u00e9 Mu\u00f1oz, fill"), QStringLiteral("+34 600 123 456"),
                                   QStringLiteral("https://k.example/\u00e0"), QStringLiteral("jose@example.com"),
                                   QStringLiteral("Pl. \u00c0ngel 3; 2n")};

INSTANTIATE_TEST_SUITE_P(
    TotsElsTipus, Simbols,
    ::testing::Values(
        Cas{"Code39", Tipus::Barres, Code39, false, {"KOVEL-39 $1"}, "KOVEL-39 $1"},
        Cas{"Code39FullAscii", Tipus::Barres, Code39Complet, false, {"Mixed case+"}, "Mixed case+"},
        Cas{"Code93FullAscii", Tipus::Barres, Code93Complet, false, {"lower 93!"}, "lower 93!"},
        Cas{"Code93", Tipus::Barres, Code93, false, {"CODE 93"}, "CODE 93"},
        Cas{"Codabar", Tipus::Barres, Codabar, false, {"A40156B"}, "40156"},
        Cas{"Code128Auto", Tipus::Barres, Code128, false, {"Kovel-128 abc"}, "Kovel-128 abc"},
        Cas{"Code128Llarg", Tipus::Barres, Code128, false, {"A rather long Code 128 text, 1234567890 abc"},
            "A rather long Code 128 text, 1234567890 abc"},
        Cas{"Code128SetA", Tipus::Barres, Code128, false, {"KOVEL 128A"}, "KOVEL 128A", 1},
        Cas{"Code128SetB", Tipus::Barres, Code128, true, {"Set B text"}, "Set B text", 2},
        Cas{"Code128SetC", Tipus::Barres, Code128, false, {"0123456789"}, "0123456789", 3},
        Cas{"EAN8", Tipus::Barres, EAN8, false, {"9638507"}, "96385074"},
        Cas{"EAN8AmbControl", Tipus::Barres, EAN8, false, {"96385074"}, "96385074"},
        Cas{"EAN13", Tipus::Barres, EAN13, false, {"590123412345"}, "5901234123457"},
        Cas{"EAN13Girat", Tipus::Barres, EAN13, false, {"590123412345"}, "5901234123457", 0, false, -1, false, false, 1},
        Cas{"Code128Girat", Tipus::Barres, Code128, true, {"TURN 270"}, "TURN 270", 0, false, -1, false, false, 3},
        Cas{"EAN13AmbControl", Tipus::Barres, EAN13, false, {"5901234123457"}, "5901234123457"},
        Cas{"EAN13Complement2", Tipus::Barres, EAN13, false, {"590123412345+12"}, "5901234123457 12"},
        Cas{"EAN13Complement5", Tipus::Barres, EAN13, false, {"978020137962+52495"}, "9780201379624 52495"},
        Cas{"EAN14", Tipus::Barres, EAN14, true, {"1234567890123"}, "0112345678901231"},
        Cas{"EAN14AmbControl", Tipus::Barres, EAN14, false, {"12345678901231"}, "0112345678901231"},
        Cas{"UPCA", Tipus::Barres, UPCA, false, {"03600029145"}, "036000291452"},
        Cas{"UPCAComplement5", Tipus::Barres, UPCA, false, {"036000291452+12345"}, "036000291452 12345"},
        Cas{"UPCE", Tipus::Barres, UPCE, false, {"0123456"}, "01234565"},
        Cas{"GS1_128", Tipus::Barres, GS1_128, false, {"[01]09501101530003[17]140704[10]AB-123"},
            "010950110153000317140704" "10AB-123"},
        Cas{"SSCC18", Tipus::Barres, SSCC18, false, {"00614141123456789"}, "00006141411234567890"},
        Cas{"SSCC18AmbAI", Tipus::Barres, SSCC18, true, {"0000614141123456789"}, "00006141411234567890"},
        Cas{"Interleaved2of5", Tipus::Barres, Interleaved2of5, false, {"12345670"}, "12345670"},
        Cas{"Interleaved2of5AmbControl", Tipus::Barres, Interleaved2of5, false, {"1234567"}, "12345670", 0, true},
        Cas{"ITF14", Tipus::Barres, ITF14, false, {"1540014128876"}, "15400141288763"},
        Cas{"ITF14AmbControl", Tipus::Barres, ITF14, false, {"15400141288763"}, "15400141288763"},
        Cas{"Code11", Tipus::Barres, Code11, false, {"123-45"}, ""},
        Cas{"MSI", Tipus::Barres, MSI, false, {"1234567"}, ""},
        Cas{"PostNet", Tipus::Barres, PostNet, false, {"555551237"}, ""},
        Cas{"Planet", Tipus::Barres, Planet, false, {"40123456789"}, ""},
        Cas{"Standard2of5", Tipus::Barres, Standard2of5, false, {"1234567"}, "", 0, true},
        Cas{"EANAddon2", Tipus::Barres, EANAddon2, false, {"12"}, ""},
        Cas{"EANAddon5", Tipus::Barres, EANAddon5, false, {"52495"}, ""},
        Cas{"QRText", Tipus::QR, 0, false, {"Caf\u00e9 cr\u00e8me 12"}, "Caf\u00e9 cr\u00e8me 12"},
        Cas{"QRGirat", Tipus::QR, 0, false, {"turned 90"}, "turned 90", 0, false, -1, false, false, 1},
        Cas{"QRTextFix", Tipus::QR, 0, true, {"Fixed \u00e9"}, "Fixed \u00e9"},
        Cas{"QRURL", Tipus::QR, 1, false, {"https://k.example/p?q=1"}, "https://k.example/p?q=1"},
        Cas{"QRLatin1", Tipus::QR, 0, false, {"Espa\u00f1a"}, "Espa\u00f1a", 0, false, 3},
        Cas{"QRLatin2", Tipus::QR, 0, false, {"\u0141\u00f3d\u017a"}, "\u0141\u00f3d\u017a", 0, false, 4},
        Cas{"QRShiftJIS", Tipus::QR, 0, false, {"\uff71\uff72\uff73"}, "\uff71\uff72\uff73", 0, false, 20},
        Cas{"QRAutomatic", Tipus::QR, 0, false, {"\u0391\u03b8\u03ae\u03bd\u03b1 \u041c\u043e\u0441\u043a\u0432\u0430 \u20ac5 \u00e9"},
            "\u0391\u03b8\u03ae\u03bd\u03b1 \u041c\u043e\u0441\u043a\u0432\u0430 \u20ac5 \u00e9", 0, false, 19},
        Cas{"QRUTF8", Tipus::QR, 0, false, {"\u4e2d\u6587 \U0001F600"}, "\u4e2d\u6587 \U0001F600", 0, false, -1, true},
        Cas{"QRSMS", Tipus::QR, 2, false, {"600123456", "Hola, s\u00f3c jo"}, "smsto:600123456:Hola, s\u00f3c jo"},
        Cas{"QRSMSFix", Tipus::QR, 2, true, {"600", "Hi"}, "smsto:600:Hi"},
        Cas{"QRTargeta", Tipus::QR, 3, false, ValorsTargeta, Targeta},
        Cas{"QRTargetaFix", Tipus::QR, 3, true, ValorsTargeta, Targeta},
        Cas{"QRTargetaUTF8", Tipus::QR, 3, false, ValorsTargeta, Targeta, 0, false, -1, true, true}));

// ---- Values the codes cannot hold: the place stays empty, one message at the end ----

TEST_F(Proces, UnValorNoCodificableDeixaElLlocBuitIEsDiuUnCopAlFinal)
{
    assistent.valors = {QStringLiteral("590123412345"), QStringLiteral("42"), QStringLiteral("Jos\u00e9")};
    {
        frmCodiBarres d(codis);
        d.show();
        d.cboCamp->setCurrentIndex(0);
        d.optCamp->click();
        d.btnAcceptar->click();
    }
    {
        frmCodiQR q(codis);
        q.show();
        q.cboCamp->setCurrentIndex(1);
        q.optCamp->click();
        q.btnComplex->click();
        q.cboEncodingMode->setCurrentIndex(1);   // numeric
        ASSERT_EQ(q.DadesInvalides, 0);
        q.btnAceptar->click();
    }
    {
        frmCodiQR q(codis);
        q.show();
        q.cboCamp->setCurrentIndex(2);
        q.optCamp->click();
        q.btnAceptar->click();
    }
    ASSERT_EQ(assistent.doc->inlinePictures().size(), 3u);
    ASSERT_TRUE(missatges.isEmpty()) << missatges.join('\n').toStdString();

    // Rows 2 and 4: letters for the EAN-13; row 3: a letter in the numeric QR code; row 4
    // also too long for any barcode.
    auto generat = Genera({{"400638133393", "42", "Jos\u00e9 1"},
                           {"ABC", "43", "Jos\u00e9 2"},
                           {"590123412345", "12x", "Jos\u00e9 3"},
                           {QString(300, QLatin1Char('9')), "45", "Jos\u00e9 4"}});
    ASSERT_TRUE(generat);
    const auto etiquetes = PicturesPerEtiqueta(*generat, 4);
    ASSERT_EQ(etiquetes[0].size(), 3u);
    EXPECT_EQ(Llegit(Imatge(etiquetes[0][0])), QStringLiteral("4006381333931"));
    EXPECT_EQ(Llegit(Imatge(etiquetes[0][1])), QStringLiteral("42"));
    ASSERT_EQ(etiquetes[1].size(), 2u);   // the barcode's place is empty, the rest goes on
    EXPECT_EQ(Llegit(Imatge(etiquetes[1][0])), QStringLiteral("43"));
    ASSERT_EQ(etiquetes[2].size(), 2u);
    EXPECT_EQ(Llegit(Imatge(etiquetes[2][0])), QStringLiteral("5901234123457"));
    ASSERT_EQ(etiquetes[3].size(), 2u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Llegit(Imatge(etiquetes[static_cast<size_t>(i)].back())), QStringLiteral("Jos\u00e9 %1").arg(i + 1));

    // One message, after the document is made: how many values, and which labels and rows.
    ASSERT_EQ(missatges.size(), 1) << missatges.join('\n').toStdString();
    EXPECT_TRUE(missatges[0].startsWith(QStringLiteral("3 "))) << missatges[0].toStdString();
    EXPECT_TRUE(missatges[0].contains(QStringLiteral("label 2 of sheet 1 (worksheet row 2), label 3 of sheet 1 (worksheet row 3), "
                                                     "label 4 of sheet 1 (worksheet row 4).")))
        << missatges[0].toStdString();
    const auto& nc = kovel::codes::NoCodificats();
    ASSERT_EQ(nc.Nombre(), 3);
    EXPECT_EQ(nc.Primers()[0].camp, QStringLiteral("A"));
    EXPECT_EQ(nc.Primers()[0].valor, QStringLiteral("ABC"));
    EXPECT_EQ(nc.Primers()[1].camp, QStringLiteral("B"));

    // The next generation starts afresh: nothing to tell.
    missatges.clear();
    ASSERT_TRUE(Genera({{"400638133393", "42", "x"}}));
    EXPECT_TRUE(missatges.isEmpty()) << missatges.join('\n').toStdString();
}

// ---- Backslashes in the records are data; typed escapes keep their meaning ----

TEST_F(Proces, UnaBarraInversaDUnRegistreEsLlegeixTalComEs)
{
    // Values that the QR control would read as a character-set designator or a byte.
    const QString cami = QStringLiteral("C:\\000123\\x41 \u00e9");
    const QString unitat = QStringLiteral("D:\\xFF\\");
    assistent.valors = {cami, unitat};
    const QString cartaCami = QStringLiteral("C\\:\\\\000123\\\\x41 \u00e9");
    auto qr = [this](int tab, bool utf8, const std::vector<QComboBox* frmCodiQR::*>& llistes, QRadioButton* frmCodiQR::*opcio,
                     const QString& mostra) {
        frmCodiQR q(codis);
        q.show();
        q.chkUTF8->setChecked(utf8);
        q.chkBOM->setChecked(utf8);
        q.SeleccionarTab(tab);
        for (size_t i = 0; i < llistes.size(); ++i)
            (q.*llistes[i])->setCurrentIndex(static_cast<int>(i) + (kovel::codes::ModelCodiQR::Opcional(tab, int(i)) ? 1 : 0));
        (q.*opcio)->click();
        ASSERT_EQ(q.DadesInvalides, 0);
        // The field's sample in the preview reads as the records will.
        const QString llegit = Llegit(q.lblPreview->pixmap(Qt::ReturnByValue).toImage());
        EXPECT_TRUE(llegit.contains(mostra)) << llegit.toStdString();
        q.btnAceptar->click();
        ASSERT_FALSE(q.isVisible()) << missatges.join('\n').toStdString();
    };
    qr(0, false, {&frmCodiQR::cboCamp}, &frmCodiQR::optCamp, cami);
    qr(0, true, {&frmCodiQR::cboCamp}, &frmCodiQR::optCamp, cami);
    qr(2, true, {&frmCodiQR::cboCampNumSMS, &frmCodiQR::cboCampMissatgeSMS}, &frmCodiQR::optCampSMS, cami);
    qr(3, false, {&frmCodiQR::cbo_vCard_nom, &frmCodiQR::cbo_vcard_telf}, &frmCodiQR::optCampvCard, cartaCami);
    // A fixed text typed with escapes keeps them: a designator and UTF-8 bytes.
    {
        frmCodiQR q(codis);
        q.show();
        q.txtCodi->setText(QStringLiteral("Caf\\xC3\\xA9 \\000009\u0391"));
        q.btnAceptar->click();
        ASSERT_FALSE(q.isVisible()) << missatges.join('\n').toStdString();
    }

    const QStringList esperat = {
        // (the reader leaves out the byte-order mark)
        cami, cami, QStringLiteral("smsto:") + cami + QLatin1Char(':') + unitat,
        // (the fields not chosen are left out)
        QStringLiteral("MECARD:N:%1;TEL:D\\:\\\\xFF\\\\;;").arg(cartaCami),
        QStringLiteral("Caf\u00e9 \u0391")};
    auto generat = Genera({assistent.valors, {unitat, cami}});
    ASSERT_TRUE(generat);
    EXPECT_TRUE(missatges.isEmpty()) << missatges.join('\n').toStdString();
    const auto etiquetes = PicturesPerEtiqueta(*generat, 2);
    ASSERT_EQ(etiquetes[0].size(), 5u);
    for (int i = 0; i < esperat.size(); ++i)
        EXPECT_EQ(Llegit(Imatge(etiquetes[0][static_cast<size_t>(i)])).toStdString(), esperat[i].toStdString()) << i;
    // The second record, the values the other way round, from a database too.
    ASSERT_EQ(etiquetes[1].size(), 5u);
    EXPECT_EQ(Llegit(Imatge(etiquetes[1][0])), unitat);
    kovel::EstablirHost(kovel::HostOffice::Access);
    auto base = GeneraDeBaseDeDades({QStringLiteral("A"), QStringLiteral("B")}, {assistent.valors});
    ASSERT_TRUE(base);
    const auto deBase = PicturesPerEtiqueta(*base, 1)[0];
    ASSERT_EQ(deBase.size(), 5u);
    for (int i = 0; i < esperat.size(); ++i)
        EXPECT_EQ(Llegit(Imatge(deBase[static_cast<size_t>(i)])).toStdString(), esperat[i].toStdString()) << i;
}

// Each field-linked QR code keeps the character set it was made with, whatever a later
// code chose; a field named like a number is a field, not a data template.
TEST_F(Proces, CadaQRGuardaElSeuJocICampsAmbNomDeNumero)
{
    assistent.noms = {QStringLiteral("2024"), QStringLiteral("Nom")};
    assistent.valors = {QStringLiteral("x1"), QStringLiteral("Jos\u00e9")};
    auto qr = [this](int camp, bool utf8) {
        frmCodiQR q(codis);
        q.show();
        // A fresh dialog shows its boxes unticked and applies what it shows.
        EXPECT_FALSE(q.chkUTF8->isChecked());
        EXPECT_FALSE(codis.OpcionsQR.utf8);
        q.chkUTF8->setChecked(utf8);
        q.chkBOM->setChecked(utf8);
        q.cboCamp->setCurrentIndex(camp);
        q.optCamp->click();
        q.btnAceptar->click();
        ASSERT_FALSE(q.isVisible()) << missatges.join('\n').toStdString();
    };
    qr(1, true);
    qr(0, false);
    qr(1, false);
    ASSERT_EQ(codis.EtiquetesQR, (QStringList{"1_Nom", "2_2024", "3_Nom"}));
    kovel::EstablirHost(kovel::HostOffice::Access);
    auto generat = GeneraDeBaseDeDades(assistent.noms, {{QStringLiteral("y2"), QStringLiteral("Zé")}});
    ASSERT_TRUE(generat);
    EXPECT_TRUE(missatges.isEmpty()) << missatges.join('\n').toStdString();
    EXPECT_EQ(CodiQR::Clon(codis, 1)->DataToEncode(), QStringLiteral("\\xEF\\xBB\\xBFZ\\xC3\\xA9"));
    EXPECT_EQ(CodiQR::Clon(codis, 2)->DataToEncode(), QStringLiteral("y2"));
    EXPECT_EQ(CodiQR::Clon(codis, 3)->DataToEncode(), QStringLiteral("Z\u00e9"));
    const auto etiqueta = PicturesPerEtiqueta(*generat, 1)[0];
    ASSERT_EQ(etiqueta.size(), 3u);
    EXPECT_EQ(Llegit(Imatge(etiqueta[0])), QStringLiteral("Z\u00e9"));
    EXPECT_EQ(Llegit(Imatge(etiqueta[1])), QStringLiteral("y2"));
    // The dialog's own options are left as the last code set them.
    EXPECT_FALSE(codis.OpcionsQR.utf8);
}

// ---- Tags and alternative texts, read back by the generator from a database ----

TEST_F(Proces, EtiquetesQueElGeneradorLlegeix)
{
    kovel::EstablirHost(kovel::HostOffice::Access);
    assistent.noms = {QStringLiteral("Codi"), QStringLiteral("lot_2"), QStringLiteral("Nom"), QStringLiteral("Tel")};
    assistent.valors = {QStringLiteral("590123412345"), QStringLiteral("L-7"), QStringLiteral("Ana"), QStringLiteral("600")};
    auto barres = [this](int type, int camp) {
        frmCodiBarres d(codis);
        d.show();
        d.cboTipusCodi->setCurrentIndex(type);
        d.cboCamp->setCurrentIndex(camp);
        d.optCamp->click();
        d.btnAcceptar->click();
        ASSERT_FALSE(d.isVisible()) << missatges.join('\n').toStdString();
    };
    barres(EAN13, 0);
    barres(Code128, 0);
    barres(Code128, 1);   // a field name with "_": only the first "_" after the number ends it
    auto qr = [this](int tab, std::vector<std::pair<QComboBox* frmCodiQR::*, int>> llistes, QRadioButton* frmCodiQR::*opcio) {
        frmCodiQR q(codis);
        q.show();
        q.SeleccionarTab(tab);
        for (const auto& [llista, camp] : llistes) (q.*llista)->setCurrentIndex(camp);
        (q.*opcio)->click();
        q.btnAceptar->click();
        ASSERT_FALSE(q.isVisible()) << missatges.join('\n').toStdString();
    };
    qr(0, {{&frmCodiQR::cboCamp, 2}}, &frmCodiQR::optCamp);
    qr(2, {{&frmCodiQR::cboCampNumSMS, 3}, {&frmCodiQR::cboCampMissatgeSMS, 2}}, &frmCodiQR::optCampSMS);
    // (after the name, each list's first choice is the empty one)
    qr(3, {{&frmCodiQR::cbo_vCard_nom, 2}, {&frmCodiQR::cbo_vcard_telf, 4}, {&frmCodiQR::cbo_vcard_web, 2},
           {&frmCodiQR::cbo_vcard_email, 2}, {&frmCodiQR::cbo_vcard_adressa, 2}},
       &frmCodiQR::optCampvCard);

    QStringList alts;
    for (const auto* p : assistent.doc->inlinePictures()) alts << p->alternativeText();
    EXPECT_EQ(alts, (QStringList{"TOLV_barres_1_Codi", "TOLV_barres_2_Codi", "TOLV_barres_3_lot_2", "TOLV_qr_1_Nom",
                                 "TOLV_qr_2_0", "TOLV_qr_3_1"}));
    EXPECT_EQ(codis.PlantillesQR, (QStringList{"smsto:[Tel]:[Nom]", "MECARD:N:[Nom];TEL:[Tel];URL:[lot_2];EMAIL:[lot_2];ADR:[lot_2];;"}));

    auto generat = GeneraDeBaseDeDades(assistent.noms, {{"400638133393", "L:1", "Bel", "601"},
                                                        {"ABC", "L-2", "Cesc", "602"}});
    ASSERT_TRUE(generat);
    const auto etiquetes = PicturesPerEtiqueta(*generat, 2);
    ASSERT_EQ(etiquetes[0].size(), 6u);
    QStringList altsGenerats, llegits;
    for (const auto* p : etiquetes[0]) {
        altsGenerats << p->alternativeText();
        llegits << Llegit(Imatge(p));
    }
    // Pictures made for a record carry texts that no placeholder rule matches.
    EXPECT_EQ(altsGenerats, (QStringList{"TOLV_barcode_Codi", "TOLV_barcode_Codi", "TOLV_barcode_lot_2", "TOLV_QR_Nom",
                                         "TOLV_QR_0", "TOLV_QR_1"}));
    EXPECT_EQ(llegits, (QStringList{"4006381333931", "400638133393", "L:1", "Bel", "smsto:601:Bel",
                                    "MECARD:N:Bel;TEL:601;URL:L\\:1;EMAIL:L\\:1;ADR:L\\:1;;"}));
    // The second record's EAN-13 cannot be made: its place is empty, the rest is there.
    ASSERT_EQ(etiquetes[1].size(), 5u);
    EXPECT_EQ(Llegit(Imatge(etiquetes[1][0])), QStringLiteral("ABC"));
    EXPECT_EQ(Llegit(Imatge(etiquetes[1][4])), QStringLiteral("MECARD:N:Cesc;TEL:602;URL:L-2;EMAIL:L-2;ADR:L-2;;"));
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_TRUE(missatges[0].startsWith(QStringLiteral("1 "))) << missatges[0].toStdString();
    EXPECT_TRUE(missatges[0].contains(QStringLiteral("Affected: label 2 of sheet 1 (record 2)."))) << missatges[0].toStdString();
}

} // namespace
