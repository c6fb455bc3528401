#include "codes/ui/frmCodiBarres.h"

#include "codes/CodiBarres.h"
#include "codes/ui/CaixesMida.h"
#include "codes/ui/DialegCodi.h"
#include "common/BasicRules.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ui/Finestres.h"

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

using kovel::barcode::ActiveBC;
using kovel::codes::ModelCodiBarres;

using kovel::ui::Control;
using kovel::ui::Px;
using kovel::ui::Tw;

namespace {

constexpr int AlcadaCompacta = 7350;   // twips
constexpr int AlcadaCompleta = 10920;
constexpr int Amplada = 8400;
const QString Titol = QStringLiteral("KOVEL Videvoviv");

} // namespace

frmCodiBarres::frmCodiBarres(kovel::codes::RegistreCodis& registre, QWidget* parent)
    : DialegTancable(parent), model_(registre)
{
    setObjectName(QStringLiteral("frmCodiBarres"));
    setModal(true);

    optMateix = Control<QRadioButton>(this, "optMateix", Tw(240, 240, 3000, 300));
    txtCodi = Control<QLineEdit>(this, "txtCodi", Tw(3400, 200, 4760, 360));
    optCamp = Control<QRadioButton>(this, "optCamp", Tw(240, 700, 3000, 300));
    cboCamp = Control<QComboBox>(this, "cboCamp", Tw(3400, 660, 4760, 360));
    auto* lblTipus = Control<QLabel>(this, "lblTipus", Tw(240, 1200, 3100, 300));
    cboTipusCodi = Control<QComboBox>(this, "cboTipusCodi", Tw(3400, 1160, 2600, 360));
    auto* lblAliniacio = Control<QLabel>(this, "lblAliniacio", Tw(240, 1640, 3100, 300));
    cboAliniacioCodi = Control<QComboBox>(this, "cboAliniacioCodi", Tw(3400, 1600, 1800, 360));
    cboOrientacio = Control<QComboBox>(this, "cboOrientacio", Tw(5320, 1600, 1100, 360));
    chkMostrarText = Control<QCheckBox>(this, "chkMostrarText", Tw(240, 2100, 3100, 300));
    mida_ = std::make_unique<kovel::codes::CaixesMida>(this, 3400, 2060, 560);
    lblMida = mida_->rotol;
    txtAmple = mida_->ample;
    txtAlt = mida_->alt;
    fraTextProps = Control<QGroupBox>(this, "fraTextProps", Tw(240, 3040, 7920, 860));
    cboTextAlign = Control<QComboBox>(fraTextProps, "cboTextAlign", Tw(120, 380, 1800, 360));
    cboPosText = Control<QComboBox>(fraTextProps, "cboPosText", Tw(2040, 380, 2400, 360));
    btnFont = Control<QPushButton>(fraTextProps, "btnFont", Tw(4560, 360, 1600, 400));
    btnColor = Control<QPushButton>(fraTextProps, "btnColor", Tw(6220, 360, 1600, 400));
    btnColorBarres = Control<QPushButton>(this, "btnColorBarres", Tw(240, 4020, 1800, 400));
    btnColorEspais = Control<QPushButton>(this, "btnColorEspais", Tw(2160, 4020, 1800, 400));
    chkTransparent = Control<QCheckBox>(this, "chkTransparent", Tw(4080, 4060, 4080, 300));
    lblPreview = Control<QLabel>(this, "ActiveBC1", Tw(240, 4560, 3600, 1440));
    lblPreview->setAlignment(Qt::AlignCenter);
    pnlInvalid = Control<QFrame>(this, "pnlInvalid", Tw(4080, 4560, 4080, 1560));
    pnlInvalid->setFrameShape(QFrame::Box);
    lblInvalid = Control<QLabel>(pnlInvalid, "lblInvalid", Tw(60, 60, 3960, 1440));
    lblInvalid->setWordWrap(true);
    lblAvisMida = Control<QLabel>(this, "lblAvisMida", Tw(4080, 4560, 4080, 1560));
    lblAvisMida->setWordWrap(true);
    btnComplex = Control<QPushButton>(this, "btnComplex", Tw(240, 6300, 2600, 420));
    btnAcceptar = Control<QPushButton>(this, "btnAcceptar", Tw(4920, 6300, 1600, 420));
    btnCancelar = Control<QPushButton>(this, "btnCancelar", Tw(6560, 6300, 1600, 420));
    fraComplex = Control<QGroupBox>(this, "fraComplex", Tw(240, 6900, 7920, 3600));
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
    lblAvisMida->setText(QStringLiteral("The size is the sample's: records with longer values keep its bar width and "
                                        "print wider, taller codes; one that would not fit its line is drawn smaller."));
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
    cboOrientacio->addItems(CodiBarres::Orientacions());

    // Load.
    ModTraduccion::TraduirFormulari(this);
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

    ActiveBC* bc = &model_.Codi();
    // After the model's own: the warning and the preview show the state it leaves.
    connect(bc, &ActiveBC::Canviat, this, [this] { Mostrar(); });
    // Every action goes to the model, and the window then shows the model's state; the
    // window's own updates are not actions.
    auto accio = [this](auto&& fer) {
        return [this, fer] {
            if (mostrant_) return;
            fer();
            Mostrar();
        };
    };
    connect(cboTipusCodi, &QComboBox::currentIndexChanged, this, accio([this] { model_.TriarTipus(cboTipusCodi->currentIndex()); }));
    connect(cboAliniacioCodi, &QComboBox::currentIndexChanged, this,
            accio([this, bc] { if (cboAliniacioCodi->currentIndex() >= 0) bc->setBarAlign(static_cast<std::int16_t>(cboAliniacioCodi->currentIndex())); }));
    connect(cboTextAlign, &QComboBox::currentIndexChanged, this,
            accio([this, bc] { if (cboTextAlign->currentIndex() >= 0) bc->setTextAlign(static_cast<std::int16_t>(cboTextAlign->currentIndex())); }));
    connect(cboPosText, &QComboBox::currentIndexChanged, this, accio([this, bc] { bc->setTextBottomTop(cboPosText->currentIndex() > 0); }));
    connect(cboCodCaracters, &QComboBox::currentIndexChanged, this,
            accio([this, bc] { if (cboCodCaracters->currentIndex() >= 0) bc->setCode128CharSet(static_cast<std::int16_t>(cboCodCaracters->currentIndex())); }));
    connect(cboOrientacio, &QComboBox::currentIndexChanged, this, accio([this] { model_.TriarOrientacio(cboOrientacio->currentIndex()); }));
    auto caixa = [this, bc, accio](QCheckBox* box, void (ActiveBC::*set)(bool)) {
        connect(box, &QCheckBox::toggled, this, accio([bc, box, set] { (bc->*set)(box->isChecked()); }));
    };
    caixa(chkTxtEANFull, &ActiveBC::setTxtEANFull);
    caixa(chkCaractEspecials, &ActiveBC::setNonPrintingToTxt);
    caixa(chkCalcCheck, &ActiveBC::setCalcCheck);
    caixa(chkMostrarCheck, &ActiveBC::setShowCheck);
    caixa(chkMostrarStSt, &ActiveBC::setShowStSt);
    caixa(chkMostrarQuietZone, &ActiveBC::setShowQuietZone);
    caixa(chkGuard, &ActiveBC::setShowGuard);
    connect(chkMostrarText, &QCheckBox::toggled, this, accio([this] { model_.MarcarMostrarText(chkMostrarText->isChecked()); }));
    connect(chkTransparent, &QCheckBox::toggled, this, accio([this] { model_.MarcarTransparent(chkTransparent->isChecked()); }));
    const auto color = [this, bc](QPushButton* boto, std::uint32_t (ActiveBC::*get)() const, void (ActiveBC::*set)(std::uint32_t)) {
        kovel::codes::ConnectaColor(boto, triarColor, [bc, get] { return (bc->*get)(); }, [bc, set](std::uint32_t c) { (bc->*set)(c); });
    };
    color(btnColor, &ActiveBC::TextColor, &ActiveBC::setTextColor);
    color(btnColorBarres, &ActiveBC::ForeColor, &ActiveBC::setForeColor);
    color(btnColorEspais, &ActiveBC::BackColor, &ActiveBC::setBackColor);
    connect(btnFont, &QPushButton::clicked, this, [this, bc] {
        kovel::barcode::FontCodi f = bc->Font();
        // Cancelling writes back the font as it was.
        if (triarFont) triarFont(f);
        bc->setFont(f);
    });
    connect(txtCodi, &QLineEdit::textChanged, this, accio([this] { model_.CanviarText(txtCodi->text()); }));
    connect(txtCodi, &QLineEdit::textEdited, this, [this] { Modificat = -1; });
    connect(txtPercReduccio, &QLineEdit::textChanged, this, accio([this] { model_.CanviarReduccio(txtPercReduccio->text()); }));
    connect(txtPercReduccio, &QLineEdit::editingFinished, this, [this] { txtPercReduccio_Validate(); });
    connect(txtWide2Narrow, &QLineEdit::textChanged, this, accio([this] { model_.CanviarRelacio(txtWide2Narrow->text()); }));
    mida_->Connectar(model_, [this] { Mostrar(); });
    connect(optCamp, &QRadioButton::clicked, this, [this] { optCamp_Click(); });
    connect(optMateix, &QRadioButton::clicked, this, [this] { optMateix_Click(); });
    connect(cboCamp, &QComboBox::currentIndexChanged, this, accio([this] { model_.SeleccionarCamp(cboCamp->currentIndex()); }));
    connect(cboCamp, &QComboBox::activated, this, accio([this] { model_.CampActivat(); }));
    connect(btnComplex, &QPushButton::clicked, this, [this] { btnComplex_Click(); });
    connect(btnAcceptar, &QPushButton::clicked, this, [this] {
        if (!InserirCodi()) return;   // the reason is shown; the dialog stays usable
        Modificat = 0;
        Inserint = 0;
        tancant_ = true;
        accept();
    });
    connect(btnCancelar, &QPushButton::clicked, this, [this] { close(); });
    refusos_ = model_.Refusos();
    Mostrar();
}

frmCodiBarres::~frmCodiBarres() = default;

void frmCodiBarres::showEvent(QShowEvent* event)
{
    DialegTancable::showEvent(event);
    if (!model_.Activat()) Activar();
}

void frmCodiBarres::Activar()
{
    mostrant_ = true;
    for (auto [llista, opcions] : {std::pair{cboTipusCodi, ModelCodiBarres::NomsTipus()},
                                   std::pair{cboAliniacioCodi, ModelCodiBarres::Alineacions()},
                                   std::pair{cboPosText, ModelCodiBarres::PosicionsText()},
                                   std::pair{cboCodCaracters, ModelCodiBarres::JocsCaracters()}}) {
        llista->clear();
        llista->addItems(opcions);
    }
    mostrant_ = false;
    btnFont->setToolTip(ModTraduccion::Literal(8005));
    btnColor->setToolTip(ModTraduccion::Literal(8006));
    btnColorBarres->setToolTip(ModTraduccion::Literal(8007));
    btnColorEspais->setToolTip(ModTraduccion::Literal(8008));
    avancatVisible_ = true;
    btnComplex_Click();
    model_.Activar();
    Mostrar();
}

void frmCodiBarres::OmplirCamps()
{
    model_.OmplirCamps();
    Mostrar();
}

void frmCodiBarres::optCamp_Click()
{
    model_.TriarCamp();
    Mostrar();
}

void frmCodiBarres::optMateix_Click()
{
    model_.TriarFix();
    Mostrar();
}

void frmCodiBarres::txtPercReduccio_Validate()
{
    const QString text = model_.ReduccioValidada(txtPercReduccio->text());
    if (txtPercReduccio->text() != text) txtPercReduccio->setText(text);
}

// ---- The model's state on the window ----

void frmCodiBarres::Mostrar()
{
    if (mostrant_) return;
    mostrant_ = true;
    const ModelCodiBarres& m = model_;
    if (ompliments_ != m.Ompliments()) {
        ompliments_ = m.Ompliments();
        cboCamp->clear();
        cboCamp->addItems(m.Rotols());
    }
    cboCamp->setCurrentIndex(m.IndexCamp());
    optCamp->setEnabled(m.OpcioCamp());
    (m.DeCamp() ? optCamp : optMateix)->setChecked(true);
    cboCamp->setEnabled(m.CampEditable());
    txtCodi->setMaxLength(m.LongitudMaxima());
    if (txtCodi->text() != m.Text()) txtCodi->setText(m.Text());
    txtCodi->setEnabled(m.TextEditable());
    if (revisio_ != m.Revisio()) {
        revisio_ = m.Revisio();
        MostrarOpcions();
    }
    const ModelCodiBarres::Habilitats& h = m.Habilitat();
    cboCodCaracters->setEnabled(h.jocCaracters);
    chkCaractEspecials->setEnabled(h.caractEspecials);
    chkMostrarCheck->setEnabled(h.mostrarCheck);
    chkCalcCheck->setEnabled(h.calcCheck);
    chkTxtEANFull->setEnabled(h.txtEANFull);
    chkGuard->setEnabled(h.guard);
    chkMostrarStSt->setEnabled(h.mostrarStSt);
    for (QWidget* w : std::initializer_list<QWidget*>{fraTextProps, cboTextAlign, cboPosText, btnFont, btnColor})
        w->setEnabled(h.propietatsText);
    btnColorEspais->setEnabled(h.colorEspais);
    pnlInvalid->setVisible(m.Invalid());
    // The warning, when shown, already says that each label gets its own value.
    lblAvisMida->setVisible(m.DeCamp() && !m.Invalid());
    lblInvalid->setText(m.TextAvis());
    mida_->Mostrar(m);
    if (refusos_ != m.Refusos()) {
        refusos_ = m.Refusos();
        QApplication::beep();
    }
    actualitzarPreview();
    mostrant_ = false;
}

// All the control's options, after a change of bar type.
void frmCodiBarres::MostrarOpcions()
{
    const ActiveBC& bc = model_.Codi();
    cboAliniacioCodi->setCurrentIndex(bc.BarAlign());
    cboTipusCodi->setCurrentIndex(bc.BarType());
    chkMostrarText->setChecked(bc.ShowText());
    cboPosText->setCurrentIndex(bc.TextBottomTop() ? 1 : 0);
    const QStringList alineacions = model_.AlineacionsText();
    cboTextAlign->clear();
    cboTextAlign->addItems(alineacions);
    cboTextAlign->setCurrentIndex(std::min<int>(bc.TextAlign(), cboTextAlign->count() - 1));
    cboCodCaracters->setCurrentIndex(bc.Code128CharSet());
    chkCaractEspecials->setChecked(bc.NonPrintingToTxt());
    chkMostrarCheck->setChecked(bc.ShowCheck());
    chkGuard->setChecked(bc.ShowGuard());
    chkMostrarQuietZone->setChecked(bc.ShowQuietZone());
    chkMostrarStSt->setChecked(bc.ShowStSt());
    chkTxtEANFull->setChecked(bc.TxtEANFull());
    chkCalcCheck->setChecked(bc.CalcCheck());
    cboOrientacio->setCurrentIndex(bc.Orientation() / 90);
    txtPercReduccio->setText(QString::number(bc.BarWidthReduction()));
    txtWide2Narrow->setText(kovel::basic::CStrSingle(bc.Wide2NarrowRatio()));
}

void frmCodiBarres::actualitzarPreview()
{
    const ActiveBC& bc = model_.Codi();
    QSize size(std::max(1, Px(bc.Width())), std::max(1, Px(bc.Height())));
    // A long code wider than the preview at one pixel a module widens the preview rather
    // than lose its ends.
    const int minimum = static_cast<int>(bc.MinBarcodeWidth() / 2);
    if (bc.Orientation() % 180 == 90) size.setHeight(std::max(size.height(), minimum));
    else size.setWidth(std::max(size.width(), minimum));
    lblPreview->resize(size);
    const QImage img = bc.Dibuixar(size);
    lblPreview->setPixmap(img.isNull() ? QPixmap() : QPixmap::fromImage(img));
}

void frmCodiBarres::btnComplex_Click()
{
    kovel::codes::AlternaAvancat(*this, avancatVisible_, *btnComplex, *fraComplex, AlcadaCompacta, AlcadaCompleta);
}

// ---- Insertion and closing ----

bool frmCodiBarres::InserirCodi()
{
    QString why;
    const bool fet = model_.Inserir(why);
    if (!why.isEmpty()) {
        Mostrar();
        mod_rvtMsgBox::rvtMsgBox(why, mod_rvtMsgBox::vbExclamation, Titol);
    }
    return fet;
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
