#include "codes/RegistreCodis.h"
#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"
#include "codes/EntornDisseny.h"
#include "codes/ui/frmCodiBarres.h"
#include "codes/ui/frmCodiQR.h"
#include "common/Fitxers.h"
#include "common/HostProfile.h"
#include "common/MsgBox.h"
#include "codes/tests/LectorEmf.h"
#include "platform/barcode/tests/Lector.h"
#include "platform/word/Document.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>

namespace {

// The wizard as the dialogs see it: its fields, a first record, the design document.
class Assistent : public kovel::codes::EntornDisseny {
public:
    QStringList camps;
    std::map<QString, QString> valors;
    std::unique_ptr<kovel::word::Document> doc = kovel::word::Document::create();
    bool ambDisseny = true;

    QStringList Camps() const override { return camps; }
    QString ValorMostra(const QString& camp) override { return valors.count(camp) ? valors[camp] : QString(); }
    kovel::word::Range* Seleccio() override { return ambDisseny ? &doc->selection() : nullptr; }
    std::optional<QSizeF> espai;
    std::optional<QSizeF> EspaiCodi() override { return espai; }
};

class Dialegs : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        CarpetaDades = dir.path() + QLatin1Char('/');
        kovel::EstablirHost(kovel::HostOffice::Word);
        kovel::codes::EstablirEntorn(&assistent);
        mod_rvtMsgBox::setAnswerer([this](const QString& prompt, std::int16_t style, const QString&) {
            missatges.push_back({prompt, style});
            if (respostes.empty()) return std::int16_t(mod_rvtMsgBox::vbOK);
            const std::int16_t r = respostes.front();
            respostes.pop_front();
            return r;
        });
    }
    void TearDown() override
    {
        mod_rvtMsgBox::resetAnswerer();
        kovel::codes::EstablirEntorn(nullptr);
    }
    void Excel()
    {
        kovel::EstablirHost(kovel::HostOffice::Excel);
        assistent.camps = {QStringLiteral("Codi"), QStringLiteral("Nom"), QStringLiteral("Tel")};
        assistent.valors = {{QStringLiteral("Codi"), QStringLiteral("590123412345")},
                            {QStringLiteral("Nom"), QStringLiteral("Jos\u00e9")},
                            {QStringLiteral("Tel"), QStringLiteral("600")}};
    }
    std::vector<kovel::word::InlinePicture*> Pictures() { return assistent.doc->inlinePictures(); }
    static QString Llegit(const QLabel* preview)
    {
        const QPixmap p = preview->pixmap(Qt::ReturnByValue);
        if (p.isNull()) return QStringLiteral("<none>");
        const auto r = kovel::proves::Llegir(p.toImage());
        return r.ok ? r.text : QStringLiteral("<not read>");
    }
    static QString Llegit(const kovel::word::InlinePicture* p)
    {
        QImage img;
        img = kovel::proves::ImatgeDe(p->png());
        const auto r = kovel::proves::Llegir(img);
        return r.ok ? r.text : QStringLiteral("<not read>");
    }

    QTemporaryDir dir;
    kovel::codes::RegistreCodis codis;
    Assistent assistent;
    std::vector<std::pair<QString, std::int16_t>> missatges;
    std::deque<std::int16_t> respostes;
};

// ---- Barcode dialog ----

TEST_F(Dialegs, BarresObreCompacteAmbEAN13)
{
    frmCodiBarres d(codis);
    d.show();
    EXPECT_EQ(d.cboTipusCodi->currentIndex(), 11);
    EXPECT_EQ(d.cboTipusCodi->count(), 22);
    EXPECT_EQ(d.ActiveBC1().BarType(), kovel::barcode::EAN13);
    EXPECT_EQ(d.txtCodi->maxLength(), 12);
    EXPECT_EQ(d.height() * 15, 7350);
    EXPECT_FALSE(d.AvancatVisible());
    EXPECT_TRUE(d.optMateix->isChecked());
    EXPECT_FALSE(d.optCamp->isEnabled());   // Word host
    EXPECT_EQ(d.findChild<QWidget*>(QStringLiteral("chkMostrarQuietZone")), d.chkMostrarQuietZone);
    EXPECT_EQ(d.findChild<QWidget*>(QStringLiteral("ActiveBC1")), d.lblPreview);
    // The preview is the symbol and reads back.
    EXPECT_EQ(Llegit(d.lblPreview),
              QStringLiteral("1234567890128"));
    d.btnComplex->click();
    EXPECT_EQ(d.height() * 15, 10920);
}

TEST_F(Dialegs, BarresConjuntsActiusILimitsPerTipus)
{
    frmCodiBarres d(codis);
    d.show();
    d.cboTipusCodi->setCurrentIndex(kovel::barcode::UPCE);
    EXPECT_EQ(d.txtCodi->maxLength(), 32767);
    d.cboTipusCodi->setCurrentIndex(kovel::barcode::PostNet);
    EXPECT_EQ(d.txtCodi->maxLength(), 32767);
    d.cboTipusCodi->setCurrentIndex(kovel::barcode::Code128);
    EXPECT_EQ(d.txtCodi->maxLength(), 34);
    EXPECT_TRUE(d.cboCodCaracters->isEnabled());
    EXPECT_TRUE(d.chkCaractEspecials->isEnabled());
    EXPECT_FALSE(d.chkCalcCheck->isEnabled());
    d.cboCodCaracters->setCurrentIndex(3);
    EXPECT_EQ(d.ActiveBC1().Code128CharSet(), 3);
    d.cboTipusCodi->setCurrentIndex(kovel::barcode::Interleaved2of5);
    EXPECT_FALSE(d.cboCodCaracters->isEnabled());
    EXPECT_TRUE(d.chkCalcCheck->isEnabled());
    EXPECT_TRUE(d.chkMostrarCheck->isEnabled());
    EXPECT_FALSE(d.chkGuard->isEnabled());
    d.cboTipusCodi->setCurrentIndex(kovel::barcode::EAN14);
    EXPECT_TRUE(d.chkGuard->isEnabled());
    EXPECT_TRUE(d.chkTxtEANFull->isEnabled());
    EXPECT_EQ(d.cboTextAlign->count(), 7);
    d.cboTipusCodi->setCurrentIndex(kovel::barcode::Code39);
    EXPECT_EQ(d.cboTextAlign->count(), 4);
    d.chkMostrarText->setChecked(false);
    EXPECT_FALSE(d.ActiveBC1().ShowText());
    EXPECT_FALSE(d.btnFont->isEnabled());
    d.chkTransparent->setChecked(true);
    EXPECT_TRUE(d.ActiveBC1().Transparent());
    EXPECT_FALSE(d.btnColorEspais->isEnabled());
}

// Every type: its text limit and the options that apply to it.
TEST_F(Dialegs, BarresLimitsIOpcionsDeCadaTipus)
{
    const int limits[22] = {23, 14, 11, 11, 22, 19, 13, 34, 2, 5, 7, 12, 13, 11, 0, 34, 19, 0, 14, 21, 21, 13};
    const std::set<int> especials{2, 3, 5, 7, 15, 18, 19};
    frmCodiBarres d(codis);
    d.show();
    for (int t = 0; t < 22; ++t) {
        d.cboTipusCodi->setCurrentIndex(t);
        EXPECT_EQ(d.ActiveBC1().BarType(), t);
        EXPECT_EQ(d.txtCodi->maxLength(), limits[t] ? limits[t] : 32767) << t;
        EXPECT_EQ(d.cboCodCaracters->isEnabled(), t == 7) << t;
        EXPECT_EQ(d.chkCaractEspecials->isEnabled(), especials.count(t) == 1) << t;
        EXPECT_EQ(d.chkMostrarCheck->isEnabled(), t == 19 || t == 20) << t;
        EXPECT_EQ(d.chkCalcCheck->isEnabled(), t == 19 || t == 20) << t;
        EXPECT_EQ(d.chkTxtEANFull->isEnabled(), t > 10 && t < 16) << t;
        EXPECT_EQ(d.chkGuard->isEnabled(), t > 10 && t < 16) << t;
        EXPECT_EQ(d.cboTextAlign->count(), t > 9 && t < 16 ? 7 : 4) << t;
    }
}

TEST_F(Dialegs, BarresOrientacioIReduccio)
{
    frmCodiBarres d(codis);
    d.show();
    auto& bc = d.ActiveBC1();
    const int w = bc.Width(), h = bc.Height();
    ASSERT_GT(w, h);
    d.cboOrientacio->setCurrentIndex(2);
    EXPECT_EQ(bc.Orientation(), 180);
    EXPECT_EQ(bc.Width(), w);
    d.cboOrientacio->setCurrentIndex(1);
    EXPECT_EQ(bc.Orientation(), 90);
    EXPECT_EQ(bc.Width(), h);
    EXPECT_EQ(bc.Height(), w);
    d.cboOrientacio->setCurrentIndex(3);   // already higher than wide: no exchange
    EXPECT_EQ(bc.Width(), h);

    for (const auto& [typed, shown] : {std::pair{"150", "99"}, std::pair{"-150", "-99"}, std::pair{"abc", "0"},
                                       std::pair{"12.6", "13"}, std::pair{"99999999999999", "99"}}) {
        d.txtPercReduccio->setText(QString::fromLatin1(typed));
        d.txtPercReduccio_Validate();
        EXPECT_EQ(d.txtPercReduccio->text().toStdString(), shown);
    }
    d.txtWide2Narrow->setText(QStringLiteral("2,5"));
    EXPECT_FLOAT_EQ(bc.Wide2NarrowRatio(), 2.5f);
    d.txtWide2Narrow->setText(QStringLiteral("x"));   // not a number: the ratio stays
    EXPECT_FLOAT_EQ(bc.Wide2NarrowRatio(), 2.5f);
}

TEST_F(Dialegs, BarresTextBuitIFontDeDades)
{
    Excel();
    frmCodiBarres d(codis);
    d.show();
    EXPECT_TRUE(d.optCamp->isEnabled());
    EXPECT_EQ(d.cboCamp->count(), 3);
    d.txtCodi->setText(QStringLiteral("400638133393"));
    d.txtCodi->setText(QString());
    EXPECT_FALSE(d.pnlInvalid->isHidden());
    EXPECT_EQ(d.ActiveBC1().BarText(), QStringLiteral("400638133393"));
    d.txtCodi->setText(QStringLiteral("590123412345"));
    EXPECT_TRUE(d.pnlInvalid->isHidden());
    d.txtCodi->setText(QStringLiteral("59012341234X"));
    EXPECT_FALSE(d.pnlInvalid->isHidden());

    d.txtCodi->setText(QStringLiteral("400638133393"));
    d.optCamp_Click();
    EXPECT_EQ(d.txtCodi->text(), QStringLiteral("590123412345"));   // the field's first record
    EXPECT_FALSE(d.txtCodi->isEnabled());
    d.optMateix_Click();
    EXPECT_EQ(d.txtCodi->text(), QStringLiteral("400638133393"));
    EXPECT_TRUE(d.txtCodi->isEnabled());
}

TEST_F(Dialegs, BarresAcceptarInsereixILlegeix)
{
    frmCodiBarres d(codis);
    d.show();
    d.txtCodi->setText(QStringLiteral("400638133393"));
    d.btnAcceptar->click();
    EXPECT_FALSE(d.isVisible());
    ASSERT_EQ(Pictures().size(), 1u);
    EXPECT_EQ(Pictures()[0]->alternativeText(), QStringLiteral("TOLV_barres"));
    EXPECT_EQ(Llegit(Pictures()[0]), QStringLiteral("4006381333931"));
    EXPECT_TRUE(missatges.empty());
}

TEST_F(Dialegs, BarresTextFixBuitEsRefusa)
{
    frmCodiBarres d(codis);
    d.show();
    d.txtCodi->setText(QStringLiteral("400638133393"));
    d.txtCodi->setText(QString());
    d.btnAcceptar->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(Pictures().empty());
    ASSERT_EQ(missatges.size(), 1u);
    EXPECT_EQ(d.Inserint, 0);
}

TEST_F(Dialegs, BarresInsercioFallidaDeixaElDialegUsable)
{
    frmCodiBarres d(codis);
    d.show();
    assistent.ambDisseny = false;
    d.txtCodi->setText(QStringLiteral("400638133393"));
    d.btnAcceptar->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(missatges.size(), 1u);
    EXPECT_EQ(d.Inserint, 0);
    assistent.ambDisseny = true;
    d.btnAcceptar->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(Pictures().size(), 1u);
}

TEST_F(Dialegs, BarresPreguntaEnTancar)
{
    frmCodiBarres d(codis);
    d.show();
    d.txtCodi->setText(QStringLiteral("400638133393"));
    d.Modificat = -1;
    respostes = {mod_rvtMsgBox::vbCancel};
    EXPECT_FALSE(d.close());
    EXPECT_EQ(missatges.back().second, 35);
    respostes = {mod_rvtMsgBox::vbNo};
    EXPECT_TRUE(d.close());
    EXPECT_TRUE(Pictures().empty());

    frmCodiBarres e(codis);
    e.show();
    e.txtCodi->setText(QStringLiteral("400638133393"));
    e.Modificat = -1;
    respostes = {mod_rvtMsgBox::vbYes};
    EXPECT_TRUE(e.close());
    EXPECT_EQ(Pictures().size(), 1u);

    frmCodiBarres f(codis);
    f.show();
    f.Inserint = -1;
    respostes = {mod_rvtMsgBox::vbNo};
    EXPECT_FALSE(f.close());
    EXPECT_EQ(missatges.back().second, 36);
    respostes = {mod_rvtMsgBox::vbYes};
    EXPECT_TRUE(f.close());
    EXPECT_EQ(f.Inserint, 0);
}

TEST_F(Dialegs, BarresVinculatAUnCamp)
{
    Excel();
    frmCodiBarres d(codis);
    d.show();
    d.cboCamp->setCurrentIndex(0);
    const QLabel* avis = d.findChild<QLabel*>(QStringLiteral("lblAvisMida"));
    ASSERT_TRUE(avis);
    EXPECT_FALSE(avis->isVisible());   // a fixed code is the one the user sees
    d.optCamp->click();
    // Records other than the sample may make wider codes: the dialog says how they are drawn.
    EXPECT_TRUE(avis->isVisible());
    EXPECT_FALSE(d.pnlInvalid->isVisible());
    d.btnAcceptar->click();
    ASSERT_EQ(Pictures().size(), 1u);
    EXPECT_EQ(Pictures()[0]->alternativeText(), QStringLiteral("TOLV_barres_1_Codi"));
    EXPECT_EQ(codis.EtiquetesBarres, QStringList{QStringLiteral("1_Codi")});
    EXPECT_EQ(Llegit(Pictures()[0]), QStringLiteral("5901234123457"));
}

// The size boxes: the code as it goes in, fitted to the room; a width typed moves the
// height with it, and OK inserts at that size. A code that cannot fit is refused, saying why,
// and the dialog stays usable.
TEST_F(Dialegs, BarresMidaALesCaixes)
{
    constexpr double PtMm = 72 / 25.4;
    assistent.espai = QSizeF(45 * PtMm, 25 * PtMm);
    frmCodiBarres d(codis);
    d.show();
    d.txtCodi->setText(QStringLiteral("400638133393"));
    EXPECT_TRUE(d.txtAmple->isEnabled());
    EXPECT_LE(d.txtAmple->text().toDouble(), 45.0);
    EXPECT_TRUE(d.txtAmple->toolTip().contains(QStringLiteral("45.0 x"))) << d.txtAmple->toolTip().toStdString();
    const double proporcio = d.txtAmple->text().toDouble() / d.txtAlt->text().toDouble();
    d.txtAmple->setText(QStringLiteral("33"));
    d.txtAmple->setModified(true);
    emit d.txtAmple->editingFinished();
    const double ample = d.txtAmple->text().toDouble(), alt = d.txtAlt->text().toDouble();
    EXPECT_NEAR(ample, 33, 33 / 7.0 / 2);
    EXPECT_NEAR(ample / alt, proporcio, 0.05);
    if (!qEnvironmentVariableIsEmpty("KOVEL_TEST_PAGES"))
        d.grab().save(QDir(qEnvironmentVariable("KOVEL_TEST_PAGES")).filePath(QStringLiteral("frmCodiBarres.png")));
    d.btnAcceptar->click();
    EXPECT_FALSE(d.isVisible());
    ASSERT_EQ(Pictures().size(), 1u);
    EXPECT_NEAR(Pictures()[0]->width().value / PtMm, ample, 0.05);
    EXPECT_EQ(Llegit(Pictures()[0]), QStringLiteral("4006381333931"));

    assistent.espai = QSizeF(15 * PtMm, 25 * PtMm);
    frmCodiBarres estret(codis);
    estret.show();
    estret.txtCodi->setText(QStringLiteral("400638133393"));
    estret.btnAcceptar->click();
    EXPECT_TRUE(estret.isVisible());
    ASSERT_EQ(missatges.size(), 1u);
    EXPECT_TRUE(missatges[0].first.contains(QStringLiteral("15.0 x 25.0 mm"))) << missatges[0].first.toStdString();
    EXPECT_FALSE(estret.pnlInvalid->isVisible()) << "the code itself is good";
    EXPECT_EQ(Pictures().size(), 1u);
}

// ---- QR-code dialog ----

TEST_F(Dialegs, QRObreCompacteSenseDades)
{
    frmCodiQR d(codis);
    d.show();
    EXPECT_EQ(d.height() * 15, 7770);
    EXPECT_EQ(d.TabActual(), 0);
    EXPECT_TRUE(d.optMateix->isChecked());
    EXPECT_EQ(d.cboECI->currentIndex(), 3);
    EXPECT_EQ(d.cboECI->count(), 21);
    EXPECT_EQ(d.cboPreferredVersion->count(), 41);
    EXPECT_EQ(d.cboPreferredVersion->itemText(40), QStringLiteral("177x177"));
    // Nothing typed yet is no fault: no warning, no preview, and OK waits for data.
    EXPECT_FALSE(d.btnAceptar->isEnabled());
    EXPECT_TRUE(d.pnlInvalid->isHidden());
    EXPECT_TRUE(d.lblPreview->isHidden());
    EXPECT_FALSE(d.txtAmple->isEnabled()) << "no code, no size";
    EXPECT_TRUE(d.txtAmple->text().isEmpty());
    for (QRadioButton* o : {d.optCamp, d.optCampURL, d.optCampSMS, d.optCampvCard}) EXPECT_FALSE(o->isEnabled());
    d.txtCodi->setText(QStringLiteral("Caf\u00e9"));
    EXPECT_TRUE(d.btnAceptar->isEnabled());
    EXPECT_TRUE(d.pnlInvalid->isHidden());
    EXPECT_NE(d.Modificat, 0);
    EXPECT_EQ(Llegit(d.lblPreview), QStringLiteral("Caf\u00e9"));
    d.txtCodi->setText(QString());
    EXPECT_FALSE(d.btnAceptar->isEnabled());
    EXPECT_TRUE(d.pnlInvalid->isHidden());
}

// The size boxes as the user types in them: the height follows the width typed, the
// preview's code is alike, and OK inserts at that size, the code still read.
TEST_F(Dialegs, QRMidaALesCaixes)
{
    constexpr double PtMm = 72 / 25.4;
    assistent.espai = QSizeF(45 * PtMm, 25 * PtMm);
    frmCodiQR d(codis);
    d.show();
    d.txtCodi->setText(QStringLiteral("https://example.com/a/b"));
    ASSERT_TRUE(d.txtAmple->isEnabled());
    const double propi = d.txtAmple->text().toDouble();
    EXPECT_GT(propi, 20);
    EXPECT_TRUE(d.txtAlt->toolTip().contains(QStringLiteral("25.0 x 25.0 mm"))) << d.txtAlt->toolTip().toStdString();
    const QString abans = Llegit(d.lblPreview);
    d.txtAmple->setFocus();
    d.txtAmple->setText(QStringLiteral("16"));
    d.txtAmple->setModified(true);
    EXPECT_EQ(d.txtAlt->text().toDouble(), propi) << "a half-typed size is no size";
    emit d.txtAmple->editingFinished();
    const double ample = d.txtAmple->text().toDouble();
    EXPECT_NEAR(ample, 16, 0.7);
    EXPECT_EQ(d.txtAlt->text(), d.txtAmple->text());
    EXPECT_EQ(Llegit(d.lblPreview), abans);
    // Beside the boxes: the sizes offered and that both sides change together; a size past
    // them is kept within them, and said so there.
    auto* nota = d.findChild<QLabel*>(QStringLiteral("lblAbastMida"));
    ASSERT_NE(nota, nullptr);
    EXPECT_TRUE(nota->isVisible());
    EXPECT_TRUE(nota->text().contains(QStringLiteral("to 25.0 x 25.0 mm; width and height change together"))) << nota->text().toStdString();
    d.txtAlt->setFocus();
    d.txtAlt->setText(QStringLiteral("40"));
    d.txtAlt->setModified(true);
    emit d.txtAlt->editingFinished();
    EXPECT_EQ(d.txtAlt->text(), QStringLiteral("25.0"));
    EXPECT_TRUE(nota->text().startsWith(QStringLiteral("40.0 mm is over the largest size offered: the code is 25.0 x 25.0 mm")))
        << nota->text().toStdString();
    d.txtAmple->setFocus();
    d.txtAmple->setText(QString::number(ample, 'f', 1));
    d.txtAmple->setModified(true);
    emit d.txtAmple->editingFinished();
    EXPECT_TRUE(nota->text().startsWith(QStringLiteral("From "))) << nota->text().toStdString();
    d.btnAceptar->click();
    EXPECT_FALSE(d.isVisible());
    ASSERT_EQ(Pictures().size(), 1u);
    EXPECT_NEAR(Pictures()[0]->width().value / PtMm, ample, 0.05);
    EXPECT_NEAR(Pictures()[0]->height().value / PtMm, ample, 0.05);
    EXPECT_EQ(Llegit(Pictures()[0]), QStringLiteral("https://example.com/a/b"));
    EXPECT_TRUE(missatges.empty());
}

TEST_F(Dialegs, QRPestanyesIModeDeCodificacio)
{
    frmCodiQR d(codis);
    d.show();
    d.cboEncodingMode->setCurrentIndex(3);
    EXPECT_EQ(d.QRCodeCtrl1().EncodingMode(), 3);
    d.SeleccionarTab(2);
    EXPECT_EQ(d.QRCodeCtrl1().DataToEncode(), QStringLiteral("smsto::"));   // fixed tab rebuilt at once
    d.txtNumeroSMS->setText(QStringLiteral("600"));
    d.txtMissatgeSMS->setText(QStringLiteral("Hi"));
    EXPECT_EQ(d.QRCodeCtrl1().DataToEncode(), QStringLiteral("smsto:600:Hi"));
    d.SeleccionarTab(1);
    EXPECT_EQ(d.cboEncodingMode->currentIndex(), 0);
    EXPECT_FALSE(d.cboEncodingMode->isEnabled());
    EXPECT_EQ(d.QRCodeCtrl1().DataToEncode(), QStringLiteral("http://"));
    d.SeleccionarTab(3);
    EXPECT_EQ(d.QRCodeCtrl1().DataToEncode(), QStringLiteral("MECARD:N:;;"));
}

TEST_F(Dialegs, QRCampsIRanuraCompartida)
{
    Excel();
    frmCodiQR d(codis);
    d.show();
    EXPECT_EQ(d.cbo_vCard_nom->count(), 3);
    EXPECT_EQ(d.cbo_vcard_adressa->count(), 4);   // and the empty choice
    d.txtCodi->setText(QStringLiteral("typed text"));
    d.optCamp->click();
    d.SeleccionarTab(1);
    d.txtCodiURL->setText(QStringLiteral("http://k.example"));
    // Field mode on the text tab leaves its data until the user acts on the new tab.
    d.optCampURL->click();
    d.SeleccionarTab(0);
    d.optMateix->click();
    EXPECT_EQ(d.txtCodi->text(), QStringLiteral("http://k.example"));   // one slot for both tabs
}

TEST_F(Dialegs, QRJocsDeCaracters)
{
    frmCodiQR d(codis);
    d.show();
    d.txtCodi->setText(QStringLiteral("abc"));
    d.ChechkECI->setChecked(true);
    EXPECT_EQ(codis.OpcionsQR.prefix, QStringLiteral("\\000003"));
    EXPECT_EQ(d.QRCodeCtrl1().DataToEncode(), QStringLiteral("\\000003abc"));
    d.cboECI->setCurrentIndex(20);
    EXPECT_EQ(codis.OpcionsQR.prefix, QStringLiteral("\\000020"));
    d.cboECI->setCurrentIndex(19);
    EXPECT_EQ(codis.OpcionsQR.prefix, QString());
    d.chkUTF8->setChecked(true);
    EXPECT_FALSE(d.ChechkECI->isChecked());
    EXPECT_TRUE(d.chkBOM->isEnabled());
    d.chkBOM->setChecked(true);
    EXPECT_EQ(d.QRCodeCtrl1().DataToEncode(), QStringLiteral("\\xEF\\xBB\\xBFabc"));
    d.txtCodi->setText(QStringLiteral("\u00e9"));
    EXPECT_EQ(d.QRCodeCtrl1().DataToEncode(), QStringLiteral("\\xEF\\xBB\\xBF\\xC3\\xA9"));
    // Ticking ECI while UTF-8 is on unticks UTF-8 and leaves the ECI prefix in place.
    d.cboECI->setCurrentIndex(3);
    d.ChechkECI->setChecked(true);
    EXPECT_FALSE(d.chkUTF8->isChecked());
    EXPECT_EQ(codis.OpcionsQR.prefix, QStringLiteral("\\000003"));
    EXPECT_EQ(Llegit(d.lblPreview), QStringLiteral("\u00e9"));
}

// Typed escapes that change the text show what a reader gets, and a character set no
// reader knows is refused in words.
TEST_F(Dialegs, QREscapesMostrenElQueEsCodifica)
{
    frmCodiQR d(codis);
    d.show();
    d.txtCodi->setText(QStringLiteral("\u041f\u0443\u0442\u044c C:\\temp"));
    EXPECT_FALSE(d.lblCodificat->isVisible());
    EXPECT_EQ(Llegit(d.lblPreview), QStringLiteral("\u041f\u0443\u0442\u044c C:\\temp"));
    d.txtCodi->setText(QStringLiteral("LOT-A C:\\x41\\temp"));
    EXPECT_TRUE(d.lblCodificat->isVisible());
    EXPECT_TRUE(d.lblCodificat->text().contains(QStringLiteral("LOT-A C:A\\temp"))) << qPrintable(d.lblCodificat->text());
    if (!qEnvironmentVariableIsEmpty("KOVEL_TEST_PAGES"))
        d.grab().save(QDir(qEnvironmentVariable("KOVEL_TEST_PAGES")).filePath(QStringLiteral("frmCodiQR-escapes.png")));
    d.txtCodi->setText(QStringLiteral("LOT\\202612-A C:\\x41\\temp"));
    EXPECT_FALSE(d.btnAceptar->isEnabled());
    EXPECT_TRUE(d.pnlInvalid->isVisible());
    EXPECT_TRUE(d.lblInvalid->text().contains(QStringLiteral("ECI 202612"))) << qPrintable(d.lblInvalid->text());
    EXPECT_FALSE(d.lblCodificat->isVisible());
    if (!qEnvironmentVariableIsEmpty("KOVEL_TEST_PAGES"))
        d.grab().save(QDir(qEnvironmentVariable("KOVEL_TEST_PAGES")).filePath(QStringLiteral("frmCodiQR-eci.png")));
}

TEST_F(Dialegs, QRDadesInvalidesNoEsInsereixenEnTancar)
{
    frmCodiQR d(codis);
    d.show();
    d.btnComplex->click();
    d.txtCodi->setText(QStringLiteral("123"));
    d.cboEncodingMode->setCurrentIndex(1);   // numeric
    EXPECT_EQ(d.DadesInvalides, 0);
    d.txtCodi->setText(QStringLiteral("12a"));
    EXPECT_NE(d.DadesInvalides, 0);
    EXPECT_FALSE(d.btnAceptar->isEnabled());
    respostes = {mod_rvtMsgBox::vbYes, mod_rvtMsgBox::vbOK};
    EXPECT_FALSE(d.close());
    EXPECT_TRUE(Pictures().empty());
    EXPECT_EQ(missatges.size(), 2u);
    EXPECT_EQ(d.Inserint, 0);
    respostes = {mod_rvtMsgBox::vbNo};
    EXPECT_TRUE(d.close());
}

TEST_F(Dialegs, QRInsercioFallidaDeixaElDialegUsable)
{
    frmCodiQR d(codis);
    d.show();
    d.txtCodi->setText(QStringLiteral("label 7"));
    assistent.ambDisseny = false;
    d.btnAceptar->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(missatges.size(), 1u);
    EXPECT_EQ(d.Inserint, 0);
    EXPECT_TRUE(d.btnAceptar->isEnabled());
    // The closing question's Yes fails the same way: the dialog stays, nothing is lost.
    respostes = {mod_rvtMsgBox::vbYes, mod_rvtMsgBox::vbOK};
    EXPECT_FALSE(d.close());
    EXPECT_EQ(missatges.size(), 3u);
    assistent.ambDisseny = true;
    d.btnAceptar->click();
    EXPECT_FALSE(d.isVisible());
    ASSERT_EQ(Pictures().size(), 1u);
    EXPECT_EQ(Llegit(Pictures()[0]), QStringLiteral("label 7"));
}

TEST_F(Dialegs, QRTargetaVinculadaACamps)
{
    Excel();
    frmCodiQR d(codis);
    d.show();
    d.SeleccionarTab(3);
    // The card's fields after the name start left out; the web address stays so.
    for (QComboBox* c : {d.cbo_vcard_telf, d.cbo_vcard_web, d.cbo_vcard_email, d.cbo_vcard_adressa})
        EXPECT_TRUE(c->currentText().isEmpty());
    d.cbo_vCard_nom->setCurrentIndex(1);
    d.cbo_vcard_telf->setCurrentIndex(3);
    d.cbo_vcard_adressa->setCurrentIndex(1);
    const QLabel* avis = d.findChild<QLabel*>(QStringLiteral("lblAvisMida"));
    ASSERT_TRUE(avis);
    EXPECT_FALSE(avis->isVisible());   // a fixed code is the one the user sees
    d.optCampvCard->click();
    EXPECT_EQ(d.txt_vcard_nom->text(), QStringLiteral("Jos\u00e9"));
    EXPECT_TRUE(d.txt_vcard_web->text().isEmpty());
    EXPECT_EQ(d.QRCodeCtrl1().DataToEncode(), QStringLiteral("MECARD:N:Jos\u00e9;TEL:600;ADR:590123412345;;"));
    // Records other than the sample may make larger codes: the dialog says how they are drawn.
    EXPECT_TRUE(avis->isVisible());
    d.btnAceptar->click();
    EXPECT_FALSE(d.isVisible());
    ASSERT_EQ(Pictures().size(), 1u);
    EXPECT_EQ(Pictures()[0]->alternativeText(), QStringLiteral("TOLV_qr_1_0"));
    ASSERT_EQ(codis.PlantillesQR.size(), 1);
    EXPECT_EQ(codis.PlantillesQR[0], QStringLiteral("MECARD:N:[Nom];TEL:[Tel];ADR:[Codi];;"));
    EXPECT_EQ(codis.ClonsQR[0]->DataToEncode(), codis.PlantillesQR[0]);
}

} // namespace

namespace {

// The preview of the largest QR versions grows so that it still reads back.
TEST_F(Dialegs, LaVistaPreviaDUnQRGranEsLlegeix)
{
    frmCodiQR q(codis);
    q.show();
    q.txtCodi->setText(QString(1500, QLatin1Char('k')));   // a large version
    EXPECT_EQ(Llegit(q.lblPreview), QString(1500, QLatin1Char('k')));
}

} // namespace
