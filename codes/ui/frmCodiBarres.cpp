#include "codes/ui/frmCodiBarres.h"

#include "codes/CodiBarres.h"
#include "codes/EntornDisseny.h"
#include "common/BasicRules.h"
#include "common/HostProfile.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ui/Finestres.h"
#include "platform/word/Document.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

#include <array>
#include <cmath>

using kovel::barcode::ActiveBC;

using kovel::ui::Control;
using kovel::ui::Px;
using kovel::ui::TextFinestra;
using kovel::ui::Tw;

namespace {

constexpr int AlcadaCompacta = 6750;   // twips
constexpr int AlcadaCompleta = 10320;
constexpr int Amplada = 8400;
const QString Titol = QStringLiteral("KOVEL Videvoviv");

// Maximum text length of each bar type (0: no limit).
constexpr std::array<int, kovel::barcode::NombreTipus> LongitudMaxima = {
    23, 14, 11, 11, 22, 19, 13, 34, 2, 5, 7, 12, 13, 11, 0, 34, 19, 0, 14, 21, 21, 13};

QStringList NomsTipus()
{
    using ModTraduccion::Literal;
    return {Literal(8050), Literal(8051), Literal(8052), Literal(8053), Literal(8054),
            QStringLiteral("Codabar"), QStringLiteral("MSI"), Literal(8055), QStringLiteral("EAN Addon-2"),
            QStringLiteral("EAN Addon-5"), QStringLiteral("EAN-8"), QStringLiteral("EAN-13"),
            QStringLiteral("EAN-14"), QStringLiteral("UPC-A"), QStringLiteral("UPC-E"),
            QStringLiteral("UCC/EAN 128"), QStringLiteral("SSCC-18"), QStringLiteral("PostNet"),
            QStringLiteral("PlaNet"), Literal(8056), Literal(8057), QStringLiteral("ITF 14")};
}

QStringList Alineacions()
{
    using ModTraduccion::Literal;
    return {Literal(8020), Literal(8021), Literal(8022), Literal(8023), QStringLiteral("EAN1"),
            QStringLiteral("EAN2"), QStringLiteral("EAN3")};
}

} // namespace

frmCodiBarres::frmCodiBarres(QWidget* parent) : DialegTancable(parent), bc_(std::make_unique<ActiveBC>())
{
    setObjectName(QStringLiteral("frmCodiBarres"));
    setModal(true);

    optMateix = Control<QRadioButton>(this, "optMateix", Tw(240, 240, 3000, 300));
    txtCodi = Control<QLineEdit>(this, "txtCodi", Tw(3400, 200, 4760, 360));
    optCamp = Control<QRadioButton>(this, "optCamp", Tw(240, 700, 3000, 300));
    cboCamp = Control<QComboBox>(this, "cboCamp", Tw(3400, 660, 3400, 360));
    lblField = Control<QLabel>(this, "lblField", Tw(6920, 700, 1240, 300));
    auto* lblTipus = Control<QLabel>(this, "lblTipus", Tw(240, 1200, 3100, 300));
    cboTipusCodi = Control<QComboBox>(this, "cboTipusCodi", Tw(3400, 1160, 2600, 360));
    auto* lblAliniacio = Control<QLabel>(this, "lblAliniacio", Tw(240, 1640, 3100, 300));
    cboAliniacioCodi = Control<QComboBox>(this, "cboAliniacioCodi", Tw(3400, 1600, 1800, 360));
    cboOrientacio = Control<QComboBox>(this, "cboOrientacio", Tw(5320, 1600, 1100, 360));
    chkMostrarText = Control<QCheckBox>(this, "chkMostrarText", Tw(240, 2100, 3100, 300));
    fraTextProps = Control<QGroupBox>(this, "fraTextProps", Tw(240, 2440, 7920, 860));
    cboTextAlign = Control<QComboBox>(fraTextProps, "cboTextAlign", Tw(120, 380, 1800, 360));
    cboPosText = Control<QComboBox>(fraTextProps, "cboPosText", Tw(2040, 380, 2400, 360));
    btnFont = Control<QPushButton>(fraTextProps, "btnFont", Tw(4560, 360, 1600, 400));
    btnColor = Control<QPushButton>(fraTextProps, "btnColor", Tw(6220, 360, 1600, 400));
    btnColorBarres = Control<QPushButton>(this, "btnColorBarres", Tw(240, 3420, 1800, 400));
    btnColorEspais = Control<QPushButton>(this, "btnColorEspais", Tw(2160, 3420, 1800, 400));
    chkTransparent = Control<QCheckBox>(this, "chkTransparent", Tw(4080, 3460, 4080, 300));
    lblPreview = Control<QLabel>(this, "ActiveBC1", Tw(240, 3960, 3600, 1440));
    lblPreview->setAlignment(Qt::AlignCenter);
    pnlInvalid = Control<QFrame>(this, "pnlInvalid", Tw(4080, 3960, 4080, 1560));
    pnlInvalid->setFrameShape(QFrame::Box);
    lblInvalid = Control<QLabel>(pnlInvalid, "lblInvalid", Tw(60, 60, 3960, 1440));
    lblInvalid->setWordWrap(true);
    btnComplex = Control<QPushButton>(this, "btnComplex", Tw(240, 5700, 2600, 420));
    btnAcceptar = Control<QPushButton>(this, "btnAcceptar", Tw(4920, 5700, 1600, 420));
    btnCancelar = Control<QPushButton>(this, "btnCancelar", Tw(6560, 5700, 1600, 420));
    fraComplex = Control<QGroupBox>(this, "fraComplex", Tw(240, 6300, 7920, 3600));
    txtPercReduccio = Control<QLineEdit>(fraComplex, "txtPercReduccio", Tw(3200, 340, 800, 360));
    txtWide2Narrow = Control<QLineEdit>(fraComplex, "txtWide2Narrow", Tw(6900, 340, 800, 360));
    cboCodCaracters = Control<QComboBox>(fraComplex, "cboCodCaracters", Tw(3200, 820, 2400, 360));
    chkCaractEspecials = Control<QCheckBox>(fraComplex, "chkCaractEspecials", Tw(120, 1320, 3500, 300));
    chkCalcCheck = Control<QCheckBox>(fraComplex, "chkCalcCheck", Tw(3700, 1320, 4100, 300));
    chkMostrarCheck = Control<QCheckBox>(fraComplex, "chkMostrarCheck", Tw(120, 1740, 3500, 300));
    chkMostrarStSt = Control<QCheckBox>(fraComplex, "chkMostrarStSt", Tw(3700, 1740, 4100, 300));
    chkMostrarQuietZone = Control<QCheckBox>(fraComplex, "chkMostrarQuietZone", Tw(120, 2160, 3500, 300));
    chkGuard = Control<QCheckBox>(fraComplex, "chkGuard", Tw(3700, 2160, 4100, 300));
    chkTxtEANFull = Control<QCheckBox>(fraComplex, "chkTxtEANFull", Tw(120, 2580, 3500, 300));
    auto* lblReduccio = Control<QLabel>(fraComplex, "lblReduccio", Tw(120, 380, 3000, 300));
    auto* lblRelacio = Control<QLabel>(fraComplex, "lblRelacio", Tw(4100, 380, 2700, 300));
    auto* lblJoc = Control<QLabel>(fraComplex, "lblJoc", Tw(120, 860, 3000, 300));

    // English captions stand until the literals translate the window.
    optMateix->setText(QStringLiteral("Fixed text"));
    optCamp->setText(QStringLiteral("Data field"));
    lblField->setText(QStringLiteral("«field»"));
    lblTipus->setText(QStringLiteral("Bar type"));
    lblAliniacio->setText(QStringLiteral("Alignment"));
    chkMostrarText->setText(QStringLiteral("Show the text"));
    fraTextProps->setTitle(QStringLiteral("Text"));
    btnFont->setText(QStringLiteral("Font…"));
    btnColor->setText(QStringLiteral("Colour…"));
    btnColorBarres->setText(QStringLiteral("Bars…"));
    btnColorEspais->setText(QStringLiteral("Spaces…"));
    chkTransparent->setText(QStringLiteral("Transparent"));
    btnAcceptar->setText(QStringLiteral("OK"));
    btnCancelar->setText(QStringLiteral("Cancel"));
    fraComplex->setTitle(QStringLiteral("Advanced"));
    lblReduccio->setText(QStringLiteral("Bar width reduction %"));
    lblRelacio->setText(QStringLiteral("Wide to narrow"));
    lblJoc->setText(QStringLiteral("Character set"));
    chkCaractEspecials->setText(QStringLiteral("Show special characters"));
    chkCalcCheck->setText(QStringLiteral("Add a check digit"));
    chkMostrarCheck->setText(QStringLiteral("Show the check digit"));
    chkMostrarStSt->setText(QStringLiteral("Show start and stop"));
    chkMostrarQuietZone->setText(QStringLiteral("Quiet zones"));
    chkGuard->setText(QStringLiteral("Guard bars"));
    chkTxtEANFull->setText(QStringLiteral("Full EAN text"));
    for (const char* o : {"0º", "90º", "180º", "270º"}) cboOrientacio->addItem(QString::fromUtf8(o));

    // Load.
    ModTraduccion::TraduirFormulari(this);
    Modificat = 0;
    lblInvalid->setText(ModTraduccion::Literal(8001));
    textFix_.clear();
    ultimValid_ = bc_->BarText();
    resize(Px(Amplada), Px(AlcadaCompleta));

    triarColor = [this](std::uint32_t& colour) { return kovel::ui::TriarColor(this, colour); };
    triarFont = [this](kovel::barcode::FontCodi& f) {
        QFont start(f.name);
        start.setPointSizeF(f.size);
        start.setBold(f.bold);
        start.setItalic(f.italic);
        start.setUnderline(f.underline);
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, start, this);
        if (!ok) return false;
        f.name = chosen.family();
        f.size = chosen.pointSizeF() > 0 ? chosen.pointSizeF() : f.size;
        f.bold = chosen.bold();
        f.italic = chosen.italic();
        f.underline = chosen.underline();
        return true;
    };

    connect(bc_.get(), &ActiveBC::Canviat, this, &frmCodiBarres::ActiveBC1_Canviat);
    connect(cboTipusCodi, &QComboBox::currentIndexChanged, this, [this] { if (!refrescant_) cboTipusCodi_Click(); });
    connect(cboAliniacioCodi, &QComboBox::currentIndexChanged, this,
            [this](int i) { if (!refrescant_ && i >= 0) bc_->setBarAlign(static_cast<std::int16_t>(i)); });
    connect(cboTextAlign, &QComboBox::currentIndexChanged, this,
            [this](int i) { if (!refrescant_ && i >= 0) bc_->setTextAlign(static_cast<std::int16_t>(i)); });
    connect(cboPosText, &QComboBox::currentIndexChanged, this,
            [this](int i) { if (!refrescant_) bc_->setTextBottomTop(i > 0); });
    connect(cboCodCaracters, &QComboBox::currentIndexChanged, this,
            [this](int i) { if (!refrescant_ && i >= 0) bc_->setCode128CharSet(static_cast<std::int16_t>(i)); });
    connect(cboOrientacio, &QComboBox::currentIndexChanged, this, [this] { if (!refrescant_) cboOrientacio_Click(); });
    auto caixa = [this](QCheckBox* box, void (ActiveBC::*set)(bool)) {
        connect(box, &QCheckBox::toggled, this, [this, set](bool on) { if (!refrescant_) (bc_.get()->*set)(on); });
    };
    caixa(chkTxtEANFull, &ActiveBC::setTxtEANFull);
    caixa(chkCaractEspecials, &ActiveBC::setNonPrintingToTxt);
    caixa(chkCalcCheck, &ActiveBC::setCalcCheck);
    caixa(chkMostrarCheck, &ActiveBC::setShowCheck);
    caixa(chkMostrarStSt, &ActiveBC::setShowStSt);
    caixa(chkMostrarQuietZone, &ActiveBC::setShowQuietZone);
    caixa(chkGuard, &ActiveBC::setShowGuard);
    connect(chkMostrarText, &QCheckBox::toggled, this, [this] { if (!refrescant_) chkMostrarText_Click(); });
    connect(chkTransparent, &QCheckBox::toggled, this, [this] { if (!refrescant_) chkTransparent_Click(); });
    connect(btnColor, &QPushButton::clicked, this, [this] {
        std::uint32_t c = bc_->TextColor();
        if (triarColor && triarColor(c)) bc_->setTextColor(c);
    });
    connect(btnColorBarres, &QPushButton::clicked, this, [this] {
        std::uint32_t c = bc_->ForeColor();
        if (triarColor && triarColor(c)) bc_->setForeColor(c);
    });
    connect(btnColorEspais, &QPushButton::clicked, this, [this] {
        std::uint32_t c = bc_->BackColor();
        if (triarColor && triarColor(c)) bc_->setBackColor(c);
    });
    connect(btnFont, &QPushButton::clicked, this, [this] {
        kovel::barcode::FontCodi f = bc_->Font();
        // Cancelling writes back the font as it was.
        if (triarFont) triarFont(f);
        bc_->setFont(f);
    });
    connect(txtCodi, &QLineEdit::textChanged, this, [this] { if (!refrescant_) txtCodi_Change(); });
    connect(txtCodi, &QLineEdit::textEdited, this, [this] { Modificat = -1; });
    connect(txtPercReduccio, &QLineEdit::textChanged, this, [this] { if (!refrescant_) txtPercReduccio_Change(); });
    connect(txtPercReduccio, &QLineEdit::editingFinished, this, [this] { txtPercReduccio_Validate(); });
    connect(txtWide2Narrow, &QLineEdit::textChanged, this, [this] { if (!refrescant_) txtWide2Narrow_Change(); });
    connect(optCamp, &QRadioButton::clicked, this, [this] { optCamp_Click(); });
    connect(optMateix, &QRadioButton::clicked, this, [this] { optMateix_Click(); });
    connect(cboCamp, &QComboBox::activated, this, [this] {
        if (optCamp->isChecked()) {
            txtCodi->setText(CodiBarres::ValorCamp(cboCamp->currentText(), textFix_));
            Modificat = -1;
        }
    });
    connect(btnComplex, &QPushButton::clicked, this, [this] { btnComplex_Click(); });
    connect(btnAcceptar, &QPushButton::clicked, this, [this] {
        if (!InserirCodi()) return;   // the reason is shown; the dialog stays usable
        Modificat = 0;
        Inserint = 0;
        tancant_ = true;
        accept();
    });
    connect(btnCancelar, &QPushButton::clicked, this, [this] { close(); });
}

frmCodiBarres::~frmCodiBarres() = default;

void frmCodiBarres::showEvent(QShowEvent* event)
{
    DialegTancable::showEvent(event);
    if (!activat_) Activar();
}

void frmCodiBarres::Activar()
{
    activat_ = true;
    OmplirCamps();
    refrescant_ = true;
    cboTipusCodi->clear();
    cboTipusCodi->addItems(NomsTipus());
    cboAliniacioCodi->clear();
    cboAliniacioCodi->addItems(Alineacions().mid(0, 3));
    cboPosText->clear();
    cboPosText->addItems({ModTraduccion::Literal(8030), ModTraduccion::Literal(8031)});
    cboCodCaracters->clear();
    cboCodCaracters->addItems({ModTraduccion::Literal(8040), ModTraduccion::Literal(8041),
                               ModTraduccion::Literal(8042), ModTraduccion::Literal(8043)});
    refrescant_ = false;
    btnFont->setToolTip(ModTraduccion::Literal(8005));
    btnColor->setToolTip(ModTraduccion::Literal(8006));
    btnColorBarres->setToolTip(ModTraduccion::Literal(8007));
    btnColorEspais->setToolTip(ModTraduccion::Literal(8008));
    optMateix->setChecked(true);
    optCamp->setChecked(false);
    lblField->hide();
    cboCamp->setEnabled(false);
    txtCodi->setText(bc_->BarText());
    avancatVisible_ = true;
    btnComplex_Click();
    cboTipusCodi->setCurrentIndex(kovel::barcode::EAN13);
    cboTipusCodi_Click();
}

void frmCodiBarres::OmplirCamps()
{
    if (kovel::Host() == kovel::HostOffice::Word) {
        optCamp->setEnabled(false);
    } else if (kovel::codes::HostAmbCamps()) {
        cboCamp->clear();
        if (auto* e = kovel::codes::Entorn()) cboCamp->addItems(e->Camps());
        cboCamp->setCurrentIndex(cboCamp->count() > 0 ? 0 : -1);
    }
}

void frmCodiBarres::OmplirAliniacioText()
{
    const bool refrescant = refrescant_;
    refrescant_ = true;
    const int t = bc_->BarType();
    const bool ean = t > 9 && t < 16;
    cboTextAlign->clear();
    cboTextAlign->addItems(ean ? Alineacions() : Alineacions().mid(0, 4));
    cboTextAlign->setCurrentIndex(std::min<int>(bc_->TextAlign(), cboTextAlign->count() - 1));
    refrescant_ = refrescant;
}

void frmCodiBarres::RefrescaControls()
{
    refrescant_ = true;
    cboAliniacioCodi->setCurrentIndex(bc_->BarAlign());
    cboTipusCodi->setCurrentIndex(bc_->BarType());
    chkMostrarText->setChecked(bc_->ShowText());
    cboPosText->setCurrentIndex(bc_->TextBottomTop() ? 1 : 0);
    OmplirAliniacioText();
    const int t = bc_->BarType();
    cboCodCaracters->setEnabled(t == 7);
    chkCaractEspecials->setEnabled(t == 2 || t == 3 || t == 5 || t == 7 || t == 15 || t == 18 || t == 19);
    chkMostrarCheck->setEnabled(t == 19 || t == 20);
    chkCalcCheck->setEnabled(t == 19 || t == 20);
    chkTxtEANFull->setEnabled(t > 10 && t < 16);
    chkGuard->setEnabled(t > 10 && t < 16);
    cboCodCaracters->setCurrentIndex(bc_->Code128CharSet());
    chkCaractEspecials->setChecked(bc_->NonPrintingToTxt());
    chkMostrarCheck->setChecked(bc_->ShowCheck());
    chkGuard->setChecked(bc_->ShowGuard());
    chkMostrarQuietZone->setChecked(bc_->ShowQuietZone());
    chkMostrarStSt->setChecked(bc_->ShowStSt());
    chkTxtEANFull->setChecked(bc_->TxtEANFull());
    chkCalcCheck->setChecked(bc_->CalcCheck());
    cboOrientacio->setCurrentIndex(bc_->Orientation() / 90);
    txtPercReduccio->setText(QString::number(bc_->BarWidthReduction()));
    txtWide2Narrow->setText(kovel::basic::CStrSingle(bc_->Wide2NarrowRatio()));
    refrescant_ = false;
    if (kovel::codes::HostAmbCamps()) {
        optCamp->setEnabled(true);
        if (cboCamp->currentIndex() < 0 && cboCamp->count() > 0) {
            optCamp->setChecked(true);
            cboCamp->setCurrentIndex(0);
            lblField->show();
        }
    }
}

void frmCodiBarres::cboTipusCodi_Click()
{
    const int i = cboTipusCodi->currentIndex();
    if (i < 0) return;
    bc_->setBarType(static_cast<std::int16_t>(i));
    LimitarText();
    RefrescaControls();
}

void frmCodiBarres::LimitarText()
{
    // The limit is for typing: a field's sample value is shown whole, as the code will
    // take the records' values whole.
    const int limit = LongitudMaxima[static_cast<size_t>(std::clamp<int>(bc_->BarType(), 0, kovel::barcode::NombreTipus - 1))];
    txtCodi->setMaxLength(optCamp->isChecked() || limit <= 0 ? 32767 : limit);
}

void frmCodiBarres::cboOrientacio_Click()
{
    const int i = std::max(0, cboOrientacio->currentIndex());
    const int w = bc_->Width(), h = bc_->Height();
    if ((i % 2 == 0 && h > w) || (i % 2 == 1 && h < w)) {
        bc_->setWidth(h);
        bc_->setHeight(w);
    }
    bc_->setOrientation(static_cast<std::int16_t>(i * 90));
}

void frmCodiBarres::txtCodi_Change()
{
    const QString t = txtCodi->text();
    if (!t.isEmpty()) {
        bc_->setBarText(t);
    } else {
        pnlInvalid->show();
        QApplication::beep();
    }
}

void frmCodiBarres::ActiveBC1_Canviat()
{
    if (bc_->TextValid() && bc_->CheckValid()) {
        ultimValid_ = bc_->BarText();
        pnlInvalid->hide();
    } else {
        QString avis = ModTraduccion::Literal(8001);
        // A field's sample: the code still goes in, and the warning says what it shows.
        if (optCamp->isChecked())
            avis += u' ' + TextFinestra(QStringLiteral("frmCodiBarres.MostraAnterior"),
                                        QStringLiteral("The design shows %1; each label gets its own value."))
                               .replace(QStringLiteral("%1"), TextDibuixable());
        lblInvalid->setText(avis);
        pnlInvalid->show();
        QApplication::beep();
    }
    actualitzarPreview();
}

QString frmCodiBarres::TextDibuixable() const
{
    // The control's last valid text, or else digits of a length the bar type takes.
    ActiveBC prova;
    CodiBarres::CopiarPropietats(*bc_, prova);
    QStringList candidats{ultimValid_};
    const int limit = LongitudMaxima[static_cast<size_t>(std::clamp<int>(bc_->BarType(), 0, kovel::barcode::NombreTipus - 1))];
    for (int n : {limit, limit - 1, 12, 11, 7, 6, 5, 2})
        if (n > 0) candidats << QStringLiteral("1234567890123456789012345678901234").left(n);
    for (const QString& c : candidats) {
        prova.setBarText(c);
        if (prova.Valid()) return c;
    }
    return ultimValid_;
}

void frmCodiBarres::actualitzarPreview()
{
    QSize size(std::max(1, Px(bc_->Width())), std::max(1, Px(bc_->Height())));
    // A long code wider than the preview at one pixel a module widens the preview rather
    // than lose its ends.
    const int minimum = static_cast<int>(bc_->MinBarcodeWidth() / 2);
    if (bc_->Orientation() % 180 == 90) size.setHeight(std::max(size.height(), minimum));
    else size.setWidth(std::max(size.width(), minimum));
    lblPreview->resize(size);
    const QImage img = bc_->Dibuixar(size);
    lblPreview->setPixmap(img.isNull() ? QPixmap() : QPixmap::fromImage(img));
}

void frmCodiBarres::txtPercReduccio_Change()
{
    const double v = kovel::basic::Val(txtPercReduccio->text());
    bc_->setBarWidthReduction(std::abs(v) > 1e9 ? (v > 0 ? 99 : -99) : static_cast<std::int32_t>(kovel::basic::RoundHalfEven(v)));
}

void frmCodiBarres::txtPercReduccio_Validate()
{
    const double raw = kovel::basic::Val(txtPercReduccio->text());
    // Beyond any integer the value is clamped like any other out-of-range one.
    const double v = std::abs(raw) > 1e9 ? raw : kovel::basic::RoundHalfEven(raw);
    QString text;
    if (v > 99) text = QStringLiteral("99");
    else if (v < -99) text = QStringLiteral("-99");
    else text = QString::number(static_cast<int>(v));
    if (txtPercReduccio->text() != text) txtPercReduccio->setText(text);
}

void frmCodiBarres::txtWide2Narrow_Change()
{
    // A text that is not a number leaves the ratio as it was.
    QString t = txtWide2Narrow->text().trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const float v = t.toFloat(&ok);
    if (ok) bc_->setWide2NarrowRatio(v);
}

void frmCodiBarres::chkMostrarText_Click()
{
    const bool on = chkMostrarText->isChecked();
    bc_->setShowText(on);
    for (QWidget* w : std::initializer_list<QWidget*>{fraTextProps, cboTextAlign, cboPosText, btnFont, btnColor,
                                                      chkMostrarCheck, chkMostrarStSt, chkCaractEspecials})
        w->setEnabled(on);
}

void frmCodiBarres::chkTransparent_Click()
{
    const bool on = chkTransparent->isChecked();
    bc_->setTransparent(on);
    btnColorEspais->setEnabled(!on);
}

void frmCodiBarres::optCamp_Click()
{
    optCamp->setChecked(true);
    if (cboCamp->currentIndex() < 0) OmplirCamps();
    textFix_ = txtCodi->text();
    LimitarText();
    txtCodi->setText(CodiBarres::ValorCamp(cboCamp->currentText(), textFix_));
    txtCodi->setEnabled(false);
    cboCamp->setEnabled(true);
    lblField->show();
}

void frmCodiBarres::optMateix_Click()
{
    optMateix->setChecked(true);
    LimitarText();
    txtCodi->setEnabled(true);
    txtCodi->setText(textFix_);
    cboCamp->setEnabled(false);
    lblField->hide();
}

void frmCodiBarres::btnComplex_Click()
{
    if (avancatVisible_) {
        resize(width(), Px(AlcadaCompacta));
        avancatVisible_ = false;
        btnComplex->setText(ModTraduccion::Literal(8009));
    } else {
        resize(width(), Px(AlcadaCompleta));
        avancatVisible_ = true;
        btnComplex->setText(ModTraduccion::Literal(8010));
    }
    // Below the compact window the frame would only be cut off.
    fraComplex->setVisible(avancatVisible_);
}

bool frmCodiBarres::InserirCodi()
{
    if (Inserint) return false;
    Inserint = -1;
    auto fallar = [this](const QString& why) {
        Inserint = 0;
        pnlInvalid->show();
        mod_rvtMsgBox::rvtMsgBox(why, mod_rvtMsgBox::vbExclamation, Titol);
        return false;
    };
    // A fixed barcode needs its text: an empty box is refused, never drawn with an older text.
    if (optMateix->isChecked() && txtCodi->text().isEmpty())
        return fallar(TextFinestra(QStringLiteral("frmCodiBarres.TextBuit"), QStringLiteral("Type the text of the barcode first.")));
    if (optCamp->isChecked() && cboCamp->currentText().isEmpty())
        return fallar(TextFinestra(QStringLiteral("frmCodiBarres.SenseCamp"), QStringLiteral("Choose the data field of the barcode first.")));
    // A fixed text is printed as it stands: one the bar type cannot hold is not inserted.
    // A field's sample only stands for the records' values: the code goes in whatever the
    // sample row holds, drawn with the last text the bars could hold.
    if (optMateix->isChecked() && !bc_->Valid())
        return fallar(ModTraduccion::Literal(8001) + QStringLiteral("\n") + bc_->Error());
    kovel::codes::EntornDisseny* e = kovel::codes::Entorn();
    kovel::word::Range* sel = e ? e->Seleccio() : nullptr;
    if (!sel)
        return fallar(TextFinestra(QStringLiteral("frmCodiBarres.SenseDisseny"), QStringLiteral("No label design is open to put the code in.")));
    try {
        QString tag;
        ActiveBC* drawn = bc_.get();
        if (optCamp->isChecked()) {
            drawn = &CodiBarres::RegistrarClon(*bc_, cboCamp->currentText());
            tag = bc_->Tag();
        } else {
            bc_->setTag(QString());
        }
        ActiveBC mostra;
        if (!drawn->Valid()) {
            CodiBarres::CopiarPropietats(*drawn, mostra);
            mostra.setBarText(TextDibuixable());
            drawn = &mostra;
        }
        float h = 0, w = 0;
        QString why;
        if (!CodiBarres::InserirImatgeCodi(*sel, tag, *drawn, QString(), h, w, QString(), &why)) return fallar(why);
    } catch (const std::exception& ex) {
        return fallar(TextFinestra(QStringLiteral("frmCodiBarres.ErrorInsercio"), QStringLiteral("The code could not be put on the label: %1"))
                          .replace(QStringLiteral("%1"), QString::fromStdString(ex.what())));
    }
    Inserint = 0;
    return true;
}

bool frmCodiBarres::potTancar()
{
    if (Modificat) {
        const auto r = Portapapers::MissatgePopUp(ModTraduccion::Literal(8002), 35, Titol);
        if (r == mod_rvtMsgBox::vbYes) return InserirCodi();
        return r == mod_rvtMsgBox::vbNo;
    }
    if (Inserint) {
        const auto r = Portapapers::MissatgePopUp(ModTraduccion::Literal(8003), 36, Titol);
        if (r == mod_rvtMsgBox::vbNo) return false;
        Inserint = 0;
    }
    return true;
}
