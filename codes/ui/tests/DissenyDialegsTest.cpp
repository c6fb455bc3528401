// The code dialogs as the design needs them: every control whole in both states at both
// screen scales, and OK inserting a field-linked code whatever the sample row holds.
#include "codes/RegistreCodis.h"
#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"
#include "codes/EntornDisseny.h"
#include "codes/tests/LectorEmf.h"
#include "codes/ui/frmCodiBarres.h"
#include "codes/ui/frmCodiQR.h"
#include "common/Fitxers.h"
#include "common/HostProfile.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/Visual.h"
#include "common/ui/tests/Disposicio.h"
#include "platform/barcode/tests/Lector.h"
#include "platform/docframe/DibuixVectorial.h"
#include "platform/word/Document.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace {

// The wizard as the dialogs see it: a spreadsheet whose first row is its header.
class Full : public kovel::codes::EntornDisseny {
public:
    std::map<QString, QString> valors{{QStringLiteral("NAME"), QStringLiteral("NAME")},
                                      {QStringLiteral("CODE"), QStringLiteral("CODE")},
                                      {QStringLiteral("EMPTY"), QString()}};
    std::unique_ptr<kovel::word::Document> doc = kovel::word::Document::create();

    QStringList Camps() const override { return {QStringLiteral("NAME"), QStringLiteral("CODE"), QStringLiteral("EMPTY")}; }
    QString ValorMostra(const QString& camp) override { return valors.count(camp) ? valors[camp] : QString(); }
    kovel::word::Range* Seleccio() override { return &doc->selection(); }
};

class DissenyDialegs : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        CarpetaDades = dir.path() + QLatin1Char('/');
        kovel::EstablirHost(kovel::HostOffice::Excel);
        kovel::codes::EstablirEntorn(&full);
        // The dialogs with their texts as the user reads them.
        QString m;
        ASSERT_TRUE(ModTraduccion::CarregarLiterals(m)) << qPrintable(m);
        mod_rvtMsgBox::setAnswerer([this](const QString& prompt, std::int16_t, const QString&) {
            missatges << prompt;
            return std::int16_t(mod_rvtMsgBox::vbOK);
        });
        QDir().mkpath(carpetaFotos);
    }
    void TearDown() override
    {
        mod_rvtMsgBox::resetAnswerer();
        kovel::codes::EstablirEntorn(nullptr);
        Visual::setTwipsPerPixel(std::nullopt);
    }
    static QString Llegit(const kovel::word::InlinePicture* p)
    {
        const auto r = kovel::proves::Llegir(kovel::proves::ImatgeDe(p->png()));
        return r.ok ? r.text : QStringLiteral("<not read>");
    }
    // The dialog as it stands: written as a picture to look at, and its layout checked.
    void Comprova(QWidget& d, const QString& nom)
    {
        QApplication::processEvents();
        EXPECT_TRUE(d.grab().save(carpetaFotos + nom + QStringLiteral(".png")));
        const QStringList faltes = kovel::proves::FaltesDisposicio(&d);
        EXPECT_TRUE(faltes.isEmpty()) << qPrintable(nom + u'\n' + faltes.join(u'\n'));
    }

    QTemporaryDir dir;
    kovel::codes::RegistreCodis codis;
    Full full;
    QStringList missatges;
    const QString carpetaFotos = QStringLiteral(KOVEL_BINARY_DIR "/design-frame/");
};

// At 12 twips a pixel the screen has 120 dpi: the same controls in pixels, texts a quarter
// larger.
class Escala {
public:
    explicit Escala(int twips) : font_(QApplication::font())
    {
        Visual::setTwipsPerPixel(Visual::TwipsPerPixel{double(twips), double(twips)});
        QFont f = font_;
        f.setPointSizeF(font_.pointSizeF() * 15.0 / twips);
        QApplication::setFont(f);
    }
    ~Escala()
    {
        QApplication::setFont(font_);
        Visual::setTwipsPerPixel(std::nullopt);
    }

private:
    QFont font_;
};

} // namespace

TEST_F(DissenyDialegs, EveryControlIsWholeInBothStatesAtBothScales)
{
    for (int twips : {15, 12}) {
        const Escala escala(twips);
        const QString s = QStringLiteral("-%1tw").arg(twips);
        {
            frmCodiBarres d(codis);
            d.show();
            Comprova(d, QStringLiteral("barcode-compact") + s);
            // The field option with a sample the bars cannot hold: the longest warning.
            d.cboCamp->setCurrentIndex(1);
            d.optCamp->click();
            ASSERT_TRUE(d.pnlInvalid->isVisible());
            Comprova(d, QStringLiteral("barcode-warning") + s);
            d.btnComplex->click();
            ASSERT_TRUE(d.AvancatVisible());
            Comprova(d, QStringLiteral("barcode-advanced") + s);
        }
        {
            frmCodiQR d(codis);
            d.show();
            Comprova(d, QStringLiteral("qr-compact") + s);
            d.cboCamp->setCurrentIndex(2);
            d.optCamp->click();
            Comprova(d, QStringLiteral("qr-warning") + s);
            d.btnComplex->click();
            ASSERT_TRUE(d.AvancatVisible());
            Comprova(d, QStringLiteral("qr-advanced") + s);
            for (int tab = 1; tab < 4; ++tab) {
                d.SeleccionarTab(tab);
                Comprova(d, QStringLiteral("qr-tab%1").arg(tab) + s);
            }
        }
    }
}

// The header row as the sample: OK inserts the code, the warning stays a warning, and the
// design's picture keeps the last code the bars could hold. A fixed text is still refused.
TEST_F(DissenyDialegs, OkInsertsAFieldLinkedCodeWhateverTheSampleHolds)
{
    {
        frmCodiBarres d(codis);
        d.show();
        d.cboCamp->setCurrentIndex(1);
        d.optCamp->click();
        EXPECT_EQ(d.txtCodi->text(), QStringLiteral("CODE"));
        EXPECT_TRUE(d.pnlInvalid->isVisible());
        EXPECT_TRUE(d.lblInvalid->text().contains(QStringLiteral("123456789012"))) << qPrintable(d.lblInvalid->text());
        EXPECT_TRUE(d.btnAcceptar->isEnabled());
        d.btnAcceptar->click();
        EXPECT_FALSE(d.isVisible());
        EXPECT_TRUE(missatges.isEmpty()) << qPrintable(missatges.join(u'\n'));
    }
    ASSERT_EQ(full.doc->inlinePictures().size(), 1u);
    EXPECT_EQ(full.doc->inlinePictures()[0]->alternativeText(), QStringLiteral("TOLV_barres_1_CODE"));
    EXPECT_EQ(Llegit(full.doc->inlinePictures()[0]), QStringLiteral("1234567890128"));
    ASSERT_NE(CodiBarres::Clon(codis, 1), nullptr);
    EXPECT_EQ(CodiBarres::Clon(codis, 1)->BarType(), kovel::barcode::EAN13);
    {
        frmCodiBarres d(codis);
        d.show();
        d.txtCodi->setText(QStringLiteral("ABC"));
        d.btnAcceptar->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(missatges.size(), 1);
    }
    EXPECT_EQ(full.doc->inlinePictures().size(), 1u);

    // A QR code on a field whose sample is empty: OK is offered and inserts.
    missatges.clear();
    {
        frmCodiQR d(codis);
        d.show();
        d.cboCamp->setCurrentIndex(2);
        d.optCamp->click();
        EXPECT_TRUE(d.pnlInvalid->isVisible());
        EXPECT_TRUE(d.btnAceptar->isEnabled());
        d.btnAceptar->click();
        EXPECT_FALSE(d.isVisible());
        EXPECT_TRUE(missatges.isEmpty()) << qPrintable(missatges.join(u'\n'));
    }
    ASSERT_EQ(full.doc->inlinePictures().size(), 2u);
    EXPECT_EQ(full.doc->inlinePictures()[1]->alternativeText(), QStringLiteral("TOLV_qr_1_EMPTY"));
    EXPECT_EQ(Llegit(full.doc->inlinePictures()[1]), QStringLiteral("EMPTY"));
    // Fixed data the control refuses: OK stays off.
    {
        frmCodiQR d(codis);
        d.show();
        EXPECT_FALSE(d.btnAceptar->isEnabled());
    }
}

// A design read back from its file has lost the outlines kept beside its pictures: the frame
// draws each code from its EMF records, and damaged records never reach beyond the bytes.
TEST_F(DissenyDialegs, CodesReadFromAFileAreDrawnFromTheirRecords)
{
    float h = 0, w = 0;
    kovel::barcode::ActiveBC barres;
    barres.setBarText(QStringLiteral("400638100017"));
    ASSERT_TRUE(CodiBarres::InserirImatgeCodi(full.doc->selection(), QString(), barres, QString(), h, w, QString()));
    kovel::qr::QRCodeCtrl qr;
    qr.setDataToEncode(QStringLiteral("Person 1"));
    h = w = 0;
    ASSERT_TRUE(CodiQR::InserirImatgeQR(full.doc->selection(), QString(), qr, QString(), h, w, QString()));
    const QString cami = dir.filePath(QStringLiteral("design.docx"));
    full.doc->saveAs(cami);
    const auto llegit = kovel::word::Document::open(cami);
    const auto fotos = llegit->inlinePictures();
    ASSERT_EQ(fotos.size(), 2u);
    const QStringList esperat{QStringLiteral("4006381000178"), QStringLiteral("Person 1")};
    for (std::size_t i = 0; i < 2; ++i) {
        const kovel::word::InlinePicture& p = *fotos[i];
        ASSERT_TRUE(p.isVector());
        EXPECT_EQ(p.glyphOutline(), nullptr);
        // At the shown size twice over, as a zoomed frame draws it.
        const QSize px(int(p.width().value * 96 / 72 * 2), int(p.height().value * 96 / 72 * 2));
        const QImage img = kovel::docframe::DibuixaVectorial(p, px);
        ASSERT_FALSE(img.isNull());
        img.save(carpetaFotos + QStringLiteral("from-file-%1.png").arg(i));
        const auto r = kovel::proves::Llegir(img);
        EXPECT_EQ(r.ok ? r.text : QStringLiteral("<not read>"), esperat[qsizetype(i)]);
        // Cut anywhere, or with a record claiming more than there is: drawn partly or not at
        // all, never read past the end.
        const QByteArray emf = p.png();
        for (qsizetype n : {qsizetype(0), qsizetype(40), qsizetype(100), emf.size() / 2, emf.size() - 4})
            kovel::docframe::DibuixaEmf(emf.left(n), QSize(50, 50));
        QByteArray dolent = emf;
        for (qsizetype at = 88; at + 8 <= dolent.size(); at += 52)
            dolent[at + 5] = char(0x7F);
        kovel::docframe::DibuixaEmf(dolent, QSize(50, 50));
    }
    EXPECT_TRUE(kovel::docframe::DibuixaEmf(QByteArray(200, 'x'), QSize(50, 50)).isNull());
    EXPECT_TRUE(kovel::docframe::DibuixaEmf(fotos[0]->png(), QSize(100000, 10)).isNull());
}
