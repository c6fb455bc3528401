#include "codes/ui/frmCodiQR.h"

#include "codes/CodiQR.h"
#include "codes/EntornDisseny.h"
#include "common/HostProfile.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ui/Finestres.h"
#include "platform/word/Document.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

using kovel::qr::QRCodeCtrl;
using kovel::qr::QrError;

using kovel::ui::Control;
using kovel::ui::Px;
using kovel::ui::TextFinestra;
using kovel::ui::Tw;

namespace {

constexpr int AlcadaCompacta = 6675;   // twips
constexpr int AlcadaCompleta = 10440;
constexpr int Amplada = 8400;
constexpr int MidaPreview = 2040;
constexpr int AmpladaAvis = 3000;   // the warning panel, in the preview's place

} // namespace

frmCodiQR::frmCodiQR(QWidget* parent) : DialegTancable(parent), qr_(std::make_unique<QRCodeCtrl>())
{
    setObjectName(QStringLiteral("frmCodiQR"));
    setModal(true);

    lblTit = Control<QLabel>(this, "lblTit", Tw(240, 60, 5000, 300));
    lblTit->setText(QStringLiteral("QR code"));
    SSTab1 = Control<QTabBar>(this, "SSTab1", Tw(240, 400, 7920, 360));
    for (int i = 0; i < 4; ++i) SSTab1->addTab(QString());
    QWidget* pagina[4];
    for (int i = 0; i < 4; ++i) {
        pagina[i] = new QWidget(this);
        pagina[i]->setObjectName(QStringLiteral("SSTab1_pagina%1").arg(i));
        pagina[i]->setGeometry(Tw(240, 780, 7920, 2700));
    }
    auto opcions = [&](QWidget* p, const char* fix, const char* camp, const char* fra, QRadioButton*& m,
                       QRadioButton*& c, QGroupBox*& g) {
        m = Control<QRadioButton>(p, fix, Tw(120, 40, 3400, 320));
        g = Control<QGroupBox>(p, fra, Tw(0, 1180, 7920, 1520));
        c = Control<QRadioButton>(g, camp, Tw(120, 360, 3000, 320));
        // The two options of a tab stand in different frames: one group keeps them exclusive.
        auto* group = new QButtonGroup(this);
        group->addButton(m);
        group->addButton(c);
    };
    opcions(pagina[0], "optMateix", "optCamp", "fraVincular", optMateix, optCamp, fraVincular);
    txtCodi = Control<QLineEdit>(pagina[0], "txtCodi", Tw(120, 420, 7680, 360));
    cboCamp = Control<QComboBox>(fraVincular, "cboCamp", Tw(3240, 340, 4560, 360));
    opcions(pagina[1], "optMateixURL", "optCampURL", "fraVincularURL", optMateixURL, optCampURL, fraVincularURL);
    txtCodiURL = Control<QLineEdit>(pagina[1], "txtCodiURL", Tw(120, 420, 7680, 360));
    cboCampURL = Control<QComboBox>(fraVincularURL, "cboCampURL", Tw(3240, 340, 4560, 360));
    opcions(pagina[2], "optMateixSMS", "optCampSMS", "fraVincularSMS", optMateixSMS, optCampSMS, fraVincularSMS);
    txtNumeroSMS = Control<QLineEdit>(pagina[2], "txtNumeroSMS", Tw(120, 420, 2600, 360));
    txtMissatgeSMS = Control<QLineEdit>(pagina[2], "txtMissatgeSMS", Tw(2840, 420, 4960, 360));
    cboCampNumSMS = Control<QComboBox>(fraVincularSMS, "cboCampNumSMS", Tw(120, 760, 3700, 360));
    cboCampMissatgeSMS = Control<QComboBox>(fraVincularSMS, "cboCampMissatgeSMS", Tw(3960, 760, 3840, 360));
    opcions(pagina[3], "optMateixvCard", "optCampvCard", "fraVincularvCard", optMateixvCard, optCampvCard,
            fraVincularvCard);
    txt_vcard_nom = Control<QLineEdit>(pagina[3], "txt_vcard_nom", Tw(120, 420, 3800, 340));
    txt_vcard_telf = Control<QLineEdit>(pagina[3], "txt_vcard_telf", Tw(4000, 420, 3800, 340));
    txt_vcard_web = Control<QLineEdit>(pagina[3], "txt_vcard_web", Tw(120, 790, 3800, 340));
    txt_vcard_email = Control<QLineEdit>(pagina[3], "txt_vcard_email", Tw(4000, 790, 3800, 340));
    txt_vcard_adressa = Control<QLineEdit>(pagina[3], "txt_vcard_adressa", Tw(4000, 40, 3800, 340));
    cbo_vCard_nom = Control<QComboBox>(fraVincularvCard, "cbo_vCard_nom", Tw(120, 740, 2500, 340));
    cbo_vcard_telf = Control<QComboBox>(fraVincularvCard, "cbo_vcard_telf", Tw(2700, 740, 2500, 340));
    cbo_vcard_web = Control<QComboBox>(fraVincularvCard, "cbo_vcard_web", Tw(5280, 740, 2500, 340));
    cbo_vcard_email = Control<QComboBox>(fraVincularvCard, "cbo_vcard_email", Tw(120, 1120, 2500, 340));
    cbo_vcard_adressa = Control<QComboBox>(fraVincularvCard, "cbo_vcard_adressa", Tw(2700, 1120, 2500, 340));

    lblField = Control<QLabel>(this, "lblField", Tw(6600, 60, 1560, 300));
    lblPreview = Control<QLabel>(this, "QRCodeCtrl1", Tw(240, 3560, MidaPreview, MidaPreview));
    lblPreview->setAlignment(Qt::AlignCenter);
    pnlInvalid = Control<QFrame>(this, "pnlInvalid", Tw(240, 3560, AmpladaAvis, MidaPreview));
    pnlInvalid->setFrameShape(QFrame::Box);
    lblInvalid = Control<QLabel>(pnlInvalid, "lblInvalid", Tw(60, 60, AmpladaAvis - 120, MidaPreview - 120));
    lblInvalid->setWordWrap(true);
    btnColorBarres = Control<QPushButton>(this, "btnColorBarres", Tw(3400, 3560, 2200, 400));
    btnColorEspais = Control<QPushButton>(this, "btnColorEspais", Tw(5720, 3560, 2440, 400));
    chkTransparent = Control<QCheckBox>(this, "chkTransparent", Tw(3400, 4100, 3340, 320));
    lblAvisMida = Control<QLabel>(this, "lblAvisMida", Tw(3400, 4520, 4760, 1080));
    lblAvisMida->setWordWrap(true);
    cboOrientacio = Control<QComboBox>(this, "cboOrientacio", Tw(6860, 4080, 1300, 360));
    btnComplex = Control<QPushButton>(this, "btnComplex", Tw(240, 5700, 2600, 420));
    btnAceptar = Control<QPushButton>(this, "btnAceptar", Tw(4920, 5700, 1600, 420));
    btnCancelar = Control<QPushButton>(this, "btnCancelar", Tw(6560, 5700, 1600, 420));
    fraComplex = Control<QGroupBox>(this, "fraComplex", Tw(240, 6300, 7920, 3600));
    cboPreferredVersion = Control<QComboBox>(fraComplex, "cboPreferredVersion", Tw(2900, 340, 2000, 360));
    cboEncodingMode = Control<QComboBox>(fraComplex, "cboEncodingMode", Tw(2900, 800, 2000, 360));
    cboErrorCorrectionLevel = Control<QComboBox>(fraComplex, "cboErrorCorrectionLevel", Tw(2900, 1260, 2000, 360));
    chkMostrarQuietZone = Control<QCheckBox>(fraComplex, "chkMostrarQuietZone", Tw(120, 1720, 3000, 320));
    ChechkECI = Control<QCheckBox>(fraComplex, "ChechkECI", Tw(120, 2160, 2700, 320));
    cboECI = Control<QComboBox>(fraComplex, "cboECI", Tw(2900, 2140, 4880, 360));
    chkUTF8 = Control<QCheckBox>(fraComplex, "chkUTF8", Tw(120, 2620, 2700, 320));
    chkBOM = Control<QCheckBox>(fraComplex, "chkBOM", Tw(2900, 2620, 3400, 320));
    auto* lblVersio = Control<QLabel>(fraComplex, "lblVersio", Tw(120, 380, 2700, 300));
    auto* lblMode = Control<QLabel>(fraComplex, "lblMode", Tw(120, 840, 2700, 300));
    auto* lblCorreccio = Control<QLabel>(fraComplex, "lblCorreccio", Tw(120, 1300, 2700, 300));

    optMateix->setText(QStringLiteral("Fixed content"));
    optCamp->setText(QStringLiteral("Data field"));
    fraVincular->setTitle(QStringLiteral("Linked to data"));
    lblField->setText(QStringLiteral("«field»"));
    lblAvisMida->setText(QStringLiteral("Records with more data than the sample make larger codes: "
                                        "one that would not fit its label is drawn smaller."));
    btnColorBarres->setText(QStringLiteral("Modules…"));
    btnColorEspais->setText(QStringLiteral("Background…"));
    chkTransparent->setText(QStringLiteral("Transparent"));
    btnAceptar->setText(QStringLiteral("OK"));
    btnCancelar->setText(QStringLiteral("Cancel"));
    fraComplex->setTitle(QStringLiteral("Advanced"));
    chkMostrarQuietZone->setText(QStringLiteral("Quiet zone"));
    ChechkECI->setText(QStringLiteral("Character set (ECI)"));
    chkUTF8->setText(QStringLiteral("UTF-8"));
    chkBOM->setText(QStringLiteral("Byte-order mark"));
    lblVersio->setText(QStringLiteral("Size (version)"));
    lblMode->setText(QStringLiteral("Encoding mode"));
    lblCorreccio->setText(QStringLiteral("Error correction"));
    txtCodiURL->setText(QStringLiteral("http://"));

    // Load.
    Modificat = 0;
    DadesInvalides = -1;
    btnAceptar->setEnabled(false);
    ModTraduccion::TraduirFormulari(this);
    setWindowTitle(lblTit->text());
    for (int i = 0; i < 4; ++i) SSTab1->setTabText(i, ModTraduccion::Literal(8270 + i));
    SSTab1->setCurrentIndex(0);
    for (int i = 0; i < 4; ++i) pagina[i]->setVisible(i == 0);
    for (auto* o : {optMateixURL, optMateixSMS, optMateixvCard}) o->setText(optMateix->text());
    for (auto* o : {optCampURL, optCampSMS, optCampvCard}) o->setText(optCamp->text());
    for (auto* g : {fraVincularURL, fraVincularSMS, fraVincularvCard}) g->setTitle(fraVincular->title());
    resize(Px(Amplada), Px(AlcadaCompleta));
    lblInvalid->setText(ModTraduccion::Literal(8201));
    qr_->setDataToEncode(QString());
    textFixQR_.clear();
    for (QRadioButton* o : {optMateix, optMateixURL, optMateixSMS, optMateixvCard}) o->setChecked(true);

    triarColor = [this](std::uint32_t& colour) { return kovel::ui::TriarColor(this, colour); };

    connect(SSTab1, &QTabBar::currentChanged, this, [this, pagina](int tab) {
        for (int i = 0; i < 4; ++i) pagina[i]->setVisible(i == tab);
        const int anterior = tabAnterior_;
        tabAnterior_ = tab;
        SSTab1_Canvi(anterior);
    });
    connect(txtCodi, &QLineEdit::textChanged, this, [this] { txtCodi_Change(); });
    connect(txtCodiURL, &QLineEdit::textChanged, this, [this] { txtCodiURL_Change(); });
    connect(txtNumeroSMS, &QLineEdit::textChanged, this, [this] { txtNumeroSMS_Change(); });
    connect(txtMissatgeSMS, &QLineEdit::textChanged, this, [this] { txtNumeroSMS_Change(); });
    for (QLineEdit* t : {txt_vcard_nom, txt_vcard_telf, txt_vcard_web, txt_vcard_email, txt_vcard_adressa})
        connect(t, &QLineEdit::textChanged, this, [this] { txt_vcard_nom_Change(); });
    connect(ChechkECI, &QCheckBox::toggled, this, [this] { ChechkECI_Click(); });
    connect(cboECI, &QComboBox::currentIndexChanged, this, [this] { if (activat_) ChechkECI_Click(); });
    connect(chkUTF8, &QCheckBox::toggled, this, [this] { chkUTF8_Click(); });
    connect(chkBOM, &QCheckBox::toggled, this, [this] { chkBOM_Click(); });
    connect(cboPreferredVersion, &QComboBox::currentIndexChanged, this, [this] { if (activat_) cboPreferredVersion_Change(); });
    connect(cboEncodingMode, &QComboBox::currentIndexChanged, this, [this] { if (activat_) cboEncodingMode_Change(); });
    connect(cboErrorCorrectionLevel, &QComboBox::currentIndexChanged, this,
            [this] { if (activat_) cboErrorCorrectionLevel_Change(); });
    connect(cboOrientacio, &QComboBox::currentIndexChanged, this, [this] { if (activat_) cboOrientacio_Click(); });
    connect(chkMostrarQuietZone, &QCheckBox::toggled, this, [this](bool on) {
        qr_->setQuietZone(on);
        RefrescarValidesa();
    });
    connect(chkTransparent, &QCheckBox::toggled, this, [this] { chkTransparent_Click(); });
    connect(btnColorBarres, &QPushButton::clicked, this, [this] {
        std::uint32_t c = qr_->ForeColor();
        if (triarColor && triarColor(c)) qr_->setForeColor(c);
        RefrescarValidesa();
    });
    connect(btnColorEspais, &QPushButton::clicked, this, [this] {
        std::uint32_t c = qr_->BackColor();
        if (triarColor && triarColor(c)) qr_->setBackColor(c);
        RefrescarValidesa();
    });
    connect(btnComplex, &QPushButton::clicked, this, [this] { btnComplex_Click(); });
    const std::array<QRadioButton*, 4> camps{optCamp, optCampURL, optCampSMS, optCampvCard};
    const std::array<QRadioButton*, 4> fixos{optMateix, optMateixURL, optMateixSMS, optMateixvCard};
    for (int i = 0; i < 4; ++i) {
        connect(camps[static_cast<size_t>(i)], &QRadioButton::clicked, this, [this, i] { optCamp_Click(i); });
        connect(fixos[static_cast<size_t>(i)], &QRadioButton::clicked, this, [this, i] { optMateix_Click(i); });
    }
    auto llista = [this](QComboBox* c, int tab, QRadioButton* opt) {
        connect(c, &QComboBox::activated, this, [this, tab, opt] { if (opt->isChecked()) optCamp_Click(tab); });
    };
    llista(cboCamp, 0, optCamp);
    llista(cboCampURL, 1, optCampURL);
    for (QComboBox* c : {cboCampNumSMS, cboCampMissatgeSMS}) llista(c, 2, optCampSMS);
    for (QComboBox* c : {cbo_vCard_nom, cbo_vcard_telf, cbo_vcard_web, cbo_vcard_email, cbo_vcard_adressa})
        llista(c, 3, optCampvCard);
    connect(btnAceptar, &QPushButton::clicked, this, [this] {
        if (!InserirQR()) return;   // the reason is shown; the dialog stays usable
        Modificat = 0;
        Inserint = 0;
        tancant_ = true;
        accept();
    });
    connect(btnCancelar, &QPushButton::clicked, this, [this] { close(); });
    RefrescarValidesa();
}

frmCodiQR::~frmCodiQR() = default;

int frmCodiQR::TabActual() const { return SSTab1->currentIndex(); }
void frmCodiQR::SeleccionarTab(int tab) { SSTab1->setCurrentIndex(tab); }

void frmCodiQR::showEvent(QShowEvent* event)
{
    DialegTancable::showEvent(event);
    if (!activat_) Activar();
}

void frmCodiQR::OmplirCamps()
{
    if (kovel::Host() == kovel::HostOffice::Word) {
        for (QRadioButton* o : {optCamp, optCampURL, optCampSMS, optCampvCard}) o->setEnabled(false);
    } else if (kovel::codes::HostAmbCamps()) {
        const QStringList camps = kovel::codes::Entorn() ? kovel::codes::Entorn()->Camps() : QStringList();
        for (QComboBox* c : {cboCamp, cboCampURL, cboCampNumSMS, cboCampMissatgeSMS, cbo_vCard_nom, cbo_vcard_telf,
                             cbo_vcard_web, cbo_vcard_email, cbo_vcard_adressa}) {
            c->clear();
            c->addItems(camps);
            c->setCurrentIndex(camps.isEmpty() ? -1 : 0);
            c->setEnabled(false);
        }
    }
}

void frmCodiQR::Activar()
{
    OmplirCamps();
    cboPreferredVersion->clear();
    cboPreferredVersion->addItem(QStringLiteral("Auto"));
    for (int n = 21; n <= 177; n += 4) cboPreferredVersion->addItem(QStringLiteral("%1x%1").arg(n));
    cboEncodingMode->clear();
    for (int i = 0; i < 5; ++i) cboEncodingMode->addItem(ModTraduccion::Literal(8250 + i));
    cboErrorCorrectionLevel->clear();
    cboErrorCorrectionLevel->addItems({QStringLiteral("L (7%)"), QStringLiteral("M (15%)"), QStringLiteral("Q (25%)"),
                                       QStringLiteral("H (30%)")});
    cboOrientacio->clear();
    for (const char* o : {"0º", "90º", "180º", "270º"}) cboOrientacio->addItem(QString::fromUtf8(o));
    cboPreferredVersion->setCurrentIndex(qr_->PreferredVersion());
    cboEncodingMode->setCurrentIndex(qr_->EncodingMode());
    cboErrorCorrectionLevel->setCurrentIndex(qr_->ErrorCorrectionLevel());
    cboOrientacio->setCurrentIndex(qr_->Orientation() / 90);
    cboECI->clear();
    cboECI->addItems(CodiQR::LlistaECI());
    cboECI->setCurrentIndex(3);
    cboECI->setEnabled(ChechkECI->isChecked());
    chkBOM->setEnabled(chkUTF8->isChecked());
    chkMostrarQuietZone->setChecked(qr_->QuietZone());
    btnColorBarres->setToolTip(ModTraduccion::Literal(8207));
    btnColorEspais->setToolTip(ModTraduccion::Literal(8208));
    optMateix->setChecked(true);
    optCamp->setChecked(false);
    lblField->hide();
    lblAvisMida->hide();
    avancatVisible_ = true;
    btnComplex_Click();
    // The character-set options are those the boxes show: a code made earlier keeps its own,
    // and this one never takes another dialog's unseen.
    CodiQR::ECIActiu = ChechkECI->isChecked();
    CodiQR::IndexECI = std::max(0, cboECI->currentIndex());
    CodiQR::UTF8Actiu = chkUTF8->isChecked();
    PrefixDadesQR = CodiQR::PrefixPer(CodiQR::ECIActiu, CodiQR::IndexECI, CodiQR::UTF8Actiu, chkBOM->isChecked());
    activat_ = true;
}

// ---- Data builders ----

// A change the control may refuse: refused, the data are marked invalid and Accept is off.
void frmCodiQR::provarCanvi(const std::function<void()>& canvi)
{
    DadesInvalides = 0;
    btnAceptar->setEnabled(true);
    try {
        canvi();
    } catch (const QrError&) {
        DadesInvalides = -1;
        btnAceptar->setEnabled(false);
    }
}

void frmCodiQR::posarDades(const QString& data, bool marcarModificat)
{
    provarCanvi([&] { qr_->setDataToEncode(data); });
    qr_->setRefrescat(false);
    if (marcarModificat) Modificat = -1;
    RefrescarValidesa();
}

// A field's sample value is data, as the records' values will be: its backslashes are
// never escapes. Typed texts keep theirs.
void frmCodiQR::txtCodi_Change() { posarDades(CodiQR::DadesText(txtCodi->text(), optCamp->isChecked()), true); }
void frmCodiQR::txtCodiURL_Change()
{
    posarDades(CodiQR::DadesText(txtCodiURL->text(), optCampURL->isChecked()), true);
}

void frmCodiQR::txtNumeroSMS_Change()
{
    const QString data = CodiQR::DadesSMS(txtNumeroSMS->text(), txtMissatgeSMS->text(), optCampSMS->isChecked());
    if (data != qr_->DataToEncode()) posarDades(data, true);
}

void frmCodiQR::txt_vcard_nom_Change()
{
    // A contact card typed in is a change like any other: closing asks before losing it.
    posarDades(CodiQR::DadesVCard(txt_vcard_nom->text(), txt_vcard_telf->text(), txt_vcard_web->text(),
                                  txt_vcard_email->text(), txt_vcard_adressa->text(), optCampvCard->isChecked()),
               true);
}

void frmCodiQR::construirTab(int tab)
{
    switch (tab) {
    case 0: txtCodi_Change(); break;
    case 1: txtCodiURL_Change(); break;
    case 2: txtNumeroSMS_Change(); break;
    case 3: txt_vcard_nom_Change(); break;
    default: break;
    }
}

// ---- Character set and prefix ----

void frmCodiQR::ChechkECI_Click()
{
    const bool on = ChechkECI->isChecked();
    if (on && chkUTF8->isChecked()) chkUTF8->setChecked(false);   // runs its handler
    CodiQR::ECIActiu = on;
    CodiQR::IndexECI = std::max(0, cboECI->currentIndex());
    if (on) PrefixDadesQR = CodiQR::PrefixPer(true, CodiQR::IndexECI, false, false);
    else if (!chkBOM->isChecked()) PrefixDadesQR.clear();
    cboECI->setEnabled(on);
    construirTab(TabActual());
}

void frmCodiQR::chkUTF8_Click()
{
    const bool on = chkUTF8->isChecked();
    CodiQR::UTF8Actiu = on;
    QString prefix;
    if (on) {
        if (ChechkECI->isChecked()) ChechkECI->setChecked(false);   // runs its handler
        chkBOM->setEnabled(true);
        prefix = chkBOM->isChecked() ? QStringLiteral("\\xEF\\xBB\\xBF") : QString();
    } else {
        chkBOM->setEnabled(false);
        if (chkBOM->isChecked()) chkBOM->setChecked(false);
    }
    PrefixDadesQR = prefix;
    ChechkECI_Click();
}

void frmCodiQR::chkBOM_Click()
{
    PrefixDadesQR = chkBOM->isChecked() ? QStringLiteral("\\xEF\\xBB\\xBF") : QString();
    ChechkECI_Click();
}

// ---- Symbol options ----

void frmCodiQR::cboPreferredVersion_Change()
{
    const int i = cboPreferredVersion->currentIndex();
    if (i == qr_->PreferredVersion()) return;
    provarCanvi([&] { qr_->setPreferredVersion(std::max(0, i)); });
    RefrescarValidesa();
}

void frmCodiQR::cboEncodingMode_Change()
{
    const int i = cboEncodingMode->currentIndex();
    if (i == qr_->EncodingMode()) return;
    provarCanvi([&] { qr_->setEncodingMode(std::max(0, i)); });
    RefrescarValidesa();
}

void frmCodiQR::cboErrorCorrectionLevel_Change()
{
    const int i = cboErrorCorrectionLevel->currentIndex();
    if (i == qr_->ErrorCorrectionLevel()) return;
    provarCanvi([&] { qr_->setErrorCorrectionLevel(std::max(0, i)); });
    RefrescarValidesa();
}

void frmCodiQR::cboOrientacio_Click()
{
    int i = cboOrientacio->currentIndex();
    if (i < 0) {
        i = 0;
        cboOrientacio->setCurrentIndex(0);
    }
    qr_->setOrientation(i * 90);
    Modificat = -1;
    RefrescarValidesa();
}

void frmCodiQR::chkTransparent_Click()
{
    const bool on = chkTransparent->isChecked();
    if (on == qr_->Transparent()) return;
    qr_->setTransparent(on);
    btnColorEspais->setEnabled(!on);
    RefrescarValidesa();
}

void frmCodiQR::btnComplex_Click()
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

// ---- Content source of a tab ----

void frmCodiQR::optCamp_Click(int tab)
{
    auto mostra = [](QComboBox* c, const QString& fix) { return CodiQR::ValorCamp(c->currentText(), fix); };
    switch (tab) {
    case 0:
        optCamp->setChecked(true);
        textFixQR_ = txtCodi->text();
        txtCodi->setText(mostra(cboCamp, textFixQR_));
        txtCodi->setEnabled(false);
        cboCamp->setEnabled(true);
        break;
    case 1:
        optCampURL->setChecked(true);
        textFixQR_ = txtCodiURL->text();
        txtCodiURL->setText(mostra(cboCampURL, textFixQR_));
        txtCodiURL->setEnabled(false);
        cboCampURL->setEnabled(true);
        break;
    case 2:
        optCampSMS->setChecked(true);
        numeroFixSMS_ = txtNumeroSMS->text();
        missatgeFixSMS_ = txtMissatgeSMS->text();
        txtNumeroSMS->setText(mostra(cboCampNumSMS, numeroFixSMS_));
        txtMissatgeSMS->setText(mostra(cboCampMissatgeSMS, missatgeFixSMS_));
        for (QLineEdit* t : {txtNumeroSMS, txtMissatgeSMS}) t->setEnabled(false);
        for (QComboBox* c : {cboCampNumSMS, cboCampMissatgeSMS}) c->setEnabled(true);
        break;
    case 3: {
        optCampvCard->setChecked(true);
        const std::array<QLineEdit*, 5> t{txt_vcard_nom, txt_vcard_telf, txt_vcard_web, txt_vcard_email, txt_vcard_adressa};
        const std::array<QComboBox*, 5> c{cbo_vCard_nom, cbo_vcard_telf, cbo_vcard_web, cbo_vcard_email, cbo_vcard_adressa};
        for (size_t i = 0; i < 5; ++i) campsFixVCard_[i] = t[i]->text();
        for (size_t i = 0; i < 5; ++i) {
            t[i]->setText(mostra(c[i], campsFixVCard_[i]));
            t[i]->setEnabled(false);
            c[i]->setEnabled(true);
        }
        break;
    }
    default:
        return;
    }
    construirTab(tab);
    lblField->show();
    lblAvisMida->show();
}

void frmCodiQR::optMateix_Click(int tab)
{
    switch (tab) {
    case 0:
        optMateix->setChecked(true);
        txtCodi->setEnabled(true);
        txtCodi->setText(textFixQR_);
        cboCamp->setEnabled(false);
        break;
    case 1:
        optMateixURL->setChecked(true);
        txtCodiURL->setEnabled(true);
        txtCodiURL->setText(textFixQR_);
        cboCampURL->setEnabled(false);
        break;
    case 2:
        optMateixSMS->setChecked(true);
        txtNumeroSMS->setEnabled(true);
        txtMissatgeSMS->setEnabled(true);
        txtNumeroSMS->setText(numeroFixSMS_);
        txtMissatgeSMS->setText(missatgeFixSMS_);
        for (QComboBox* c : {cboCampNumSMS, cboCampMissatgeSMS}) c->setEnabled(false);
        break;
    case 3: {
        optMateixvCard->setChecked(true);
        const std::array<QLineEdit*, 5> t{txt_vcard_nom, txt_vcard_telf, txt_vcard_web, txt_vcard_email, txt_vcard_adressa};
        for (size_t i = 0; i < 5; ++i) {
            t[i]->setEnabled(true);
            t[i]->setText(campsFixVCard_[i]);
        }
        for (QComboBox* c : {cbo_vCard_nom, cbo_vcard_telf, cbo_vcard_web, cbo_vcard_email, cbo_vcard_adressa})
            c->setEnabled(false);
        break;
    }
    default:
        return;
    }
    construirTab(tab);
    lblField->hide();
    lblAvisMida->hide();
}

void frmCodiQR::SSTab1_Canvi(int anterior)
{
    const int tab = TabActual();
    if (tab == anterior) return;
    if (tab == 0 && cboEncodingMode->currentIndex() >= 0) {
        cboEncodingMode->setCurrentIndex(0);
        cboEncodingMode->setEnabled(false);
    }
    if (tab == 1) {
        cboEncodingMode->setCurrentIndex(0);
        cboEncodingMode->setEnabled(false);
    }
    const std::array<QLineEdit*, 4> primer{txtCodi, txtCodiURL, txtNumeroSMS, txt_vcard_nom};
    if (tab >= 0 && tab < 4 && primer[static_cast<size_t>(tab)]->isEnabled()) construirTab(tab);
}

bool frmCodiQR::DeCamp() const
{
    const int tab = std::clamp(TabActual(), 0, 3);
    return std::array{optCamp, optCampURL, optCampSMS, optCampvCard}[static_cast<size_t>(tab)]->isChecked();
}

QString frmCodiQR::DadesDibuixables() const
{
    // The last data the control took, or else the field's name: a picture of the right
    // size and kind, which every record replaces.
    QRCodeCtrl prova;
    CodiQR::CopiarPropietatsQR(*qr_, prova);
    const std::array<QComboBox*, 4> camps{cboCamp, cboCampURL, cboCampNumSMS, cbo_vCard_nom};
    for (const QString& d : {ultimesDades_, camps[static_cast<size_t>(std::clamp(TabActual(), 0, 3))]->currentText(),
                             QStringLiteral("KOVEL")}) {
        if (d.isEmpty()) continue;
        try {
            prova.setDataToEncode(d);
            if (prova.Valid()) return d;
        } catch (const QrError&) {
        }
    }
    return QString();
}

void frmCodiQR::RefrescarValidesa()
{
    // A field's sample only stands for the records' values: OK inserts whatever it holds.
    const bool deCamp = DeCamp();
    if (!qr_->DataToEncode().isEmpty()) {
        lblPreview->setVisible(!DadesInvalides);
        btnAceptar->setEnabled(!DadesInvalides || deCamp);
        pnlInvalid->setVisible(DadesInvalides != 0);
        if (!DadesInvalides && qr_->Valid()) ultimesDades_ = qr_->DataToEncode();
    } else {
        lblPreview->hide();
        pnlInvalid->show();
        btnAceptar->setEnabled(deCamp);
    }
    QString avis = ModTraduccion::Literal(8201);
    if (deCamp && pnlInvalid->isVisibleTo(this))
        avis += u' ' + TextFinestra(QStringLiteral("frmCodiQR.MostraAnterior"),
                                    QStringLiteral("The design shows a sample; each label gets its own data."));
    lblInvalid->setText(avis);
    // The largest versions need more pixels than the preview has at one pixel a module.
    const int side = std::max(Px(MidaPreview), qr_->GetMatrixWidth(1, 96, 96, 3, 3));
    const QSize size(side, side);
    lblPreview->resize(size);
    const QImage img = qr_->Dibuixar(size);
    lblPreview->setPixmap(img.isNull() ? QPixmap() : QPixmap::fromImage(img));
}

// ---- Insertion and closing ----

bool frmCodiQR::InserirQR()
{
    if (Inserint) return false;
    Inserint = -1;
    auto fallar = [this](const QString& why) {
        Inserint = 0;
        mod_rvtMsgBox::rvtMsgBox(why, mod_rvtMsgBox::vbExclamation, QString());
        return false;
    };
    // Fixed data the control refuses never reach the design, whichever way the insertion is
    // asked; a field's sample that it refuses only changes the picture the design shows.
    if (!DeCamp() && (DadesInvalides || !qr_->Valid()))
        return fallar(ModTraduccion::Literal(8201) + (qr_->Error().isEmpty() ? QString() : QStringLiteral("\n") + qr_->Error()));
    kovel::codes::EntornDisseny* e = kovel::codes::Entorn();
    kovel::word::Range* sel = e ? e->Seleccio() : nullptr;
    if (!sel)
        return fallar(TextFinestra(QStringLiteral("frmCodiQR.SenseDisseny"), QStringLiteral("No label design is open to put the code in.")));
    const int tab = TabActual();
    const bool fix = std::array{optMateix, optMateixURL, optMateixSMS, optMateixvCard}[static_cast<size_t>(std::clamp(tab, 0, 3))]->isChecked();
    try {
        QString tag, spare;
        QRCodeCtrl* drawn = qr_.get();
        if (fix) {
            qr_->setTag(QString());
        } else if (tab == 0 || tab == 1) {
            spare = (tab == 0 ? cboCamp : cboCampURL)->currentText();
            if (spare.isEmpty())
                return fallar(TextFinestra(QStringLiteral("frmCodiQR.SenseCamp"), QStringLiteral("Choose the data field of the QR code first.")));
            drawn = &CodiQR::RegistrarClon(*qr_, spare);
        } else if (tab == 2) {
            drawn = &CodiQR::RegistrarClonPlantilla(
                *qr_, CodiQR::PlantillaSMS(cboCampNumSMS->currentText(), cboCampMissatgeSMS->currentText()), false);
        } else {
            drawn = &CodiQR::RegistrarClonPlantilla(
                *qr_, CodiQR::PlantillaVCard(cbo_vCard_nom->currentText(), cbo_vcard_telf->currentText(),
                                             cbo_vcard_web->currentText(), cbo_vcard_email->currentText(),
                                             cbo_vcard_adressa->currentText()),
                true);
        }
        tag = qr_->Tag();
        QRCodeCtrl mostra;
        if (!drawn->Valid()) {
            CodiQR::CopiarPropietatsQR(*drawn, mostra);
            mostra.setDataToEncode(DadesDibuixables());
            drawn = &mostra;
        }
        float h = 0, w = 0;
        QString why;
        if (!CodiQR::InserirImatgeQR(*sel, tag, *drawn, spare, h, w, QString(), &why)) return fallar(why);
    } catch (const std::exception& ex) {
        return fallar(TextFinestra(QStringLiteral("frmCodiQR.ErrorInsercio"), QStringLiteral("The code could not be put on the label: %1"))
                          .replace(QStringLiteral("%1"), QString::fromStdString(ex.what())));
    }
    Inserint = 0;
    return true;
}

bool frmCodiQR::potTancar()
{
    if (Modificat) {
        const auto r = Portapapers::MissatgePopUp(ModTraduccion::Literal(8202), 35, QString());
        if (r == mod_rvtMsgBox::vbYes) return InserirQR();
        return r == mod_rvtMsgBox::vbNo;
    }
    if (Inserint) {
        const auto r = mod_rvtMsgBox::rvtMsgBox(ModTraduccion::Literal(8203), 36, QString());
        if (r == mod_rvtMsgBox::vbNo) return false;
        Inserint = 0;
    }
    return true;
}
