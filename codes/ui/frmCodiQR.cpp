#include "codes/ui/frmCodiQR.h"

#include "codes/CodiQR.h"
#include "codes/ui/CaixesMida.h"
#include "codes/ui/DialegCodi.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ui/Finestres.h"

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

using kovel::codes::ModelCodiQR;

using kovel::ui::Control;
using kovel::ui::Px;
using kovel::ui::TextFinestra;
using kovel::ui::Tw;

namespace {

constexpr int AlcadaCompacta = 7770;   // twips
constexpr int AlcadaCompleta = 11535;
constexpr int Amplada = 8400;
constexpr int MidaPreview = 2040;
constexpr int AmpladaAvis = 3000;   // the warning panel, in the preview's place

} // namespace

frmCodiQR::frmCodiQR(kovel::codes::RegistreCodis& registre, QWidget* parent) : DialegTancable(parent), model_(registre)
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
    // The card as a form: one named row a field, its typed box on the left and its data
    // field on the right, so both read in the same order.
    optMateixvCard->setGeometry(Tw(120, 320, 3000, 320));
    fraVincularvCard->setGeometry(Tw(4440, 0, 3480, 2700));
    optCampvCard->setGeometry(Tw(120, 320, 3000, 320));
    const char* const nomsFila[] = {"lblvCardNom", "lblvCardTelf", "lblvCardWeb", "lblvCardEmail", "lblvCardAdressa"};
    const char* const textosFila[] = {"Name", "Phone", "Web address", "E-mail", "Address"};
    QLineEdit** caixes[] = {&txt_vcard_nom, &txt_vcard_telf, &txt_vcard_web, &txt_vcard_email, &txt_vcard_adressa};
    QComboBox** llistes[] = {&cbo_vCard_nom, &cbo_vcard_telf, &cbo_vcard_web, &cbo_vcard_email, &cbo_vcard_adressa};
    const char* const nomsCaixa[] = {"txt_vcard_nom", "txt_vcard_telf", "txt_vcard_web", "txt_vcard_email", "txt_vcard_adressa"};
    const char* const nomsLlista[] = {"cbo_vCard_nom", "cbo_vcard_telf", "cbo_vcard_web", "cbo_vcard_email", "cbo_vcard_adressa"};
    for (int f = 0; f < 5; ++f) {
        const int y = 720 + 380 * f;
        auto* rotol = Control<QLabel>(pagina[3], nomsFila[f], Tw(120, y + 20, 1560, 300));
        rotol->setText(QString::fromLatin1(textosFila[f]));
        *caixes[f] = Control<QLineEdit>(pagina[3], nomsCaixa[f], Tw(1740, y, 2580, 340));
        rotol->setBuddy(*caixes[f]);
        *llistes[f] = Control<QComboBox>(fraVincularvCard, nomsLlista[f], Tw(120, y, 3240, 340));
        (*llistes[f])->setAccessibleName(rotol->text());
    }

    lblPreview = Control<QLabel>(this, "QRCodeCtrl1", Tw(240, 3560, MidaPreview, MidaPreview));
    lblPreview->setAlignment(Qt::AlignCenter);
    pnlInvalid = Control<QFrame>(this, "pnlInvalid", Tw(240, 3560, AmpladaAvis, MidaPreview));
    pnlInvalid->setFrameShape(QFrame::Box);
    lblInvalid = Control<QLabel>(pnlInvalid, "lblInvalid", Tw(60, 60, AmpladaAvis - 120, MidaPreview - 120));
    lblInvalid->setWordWrap(true);
    btnColorBarres = Control<QPushButton>(this, "btnColorBarres", Tw(3400, 3560, 2200, 400));
    btnColorEspais = Control<QPushButton>(this, "btnColorEspais", Tw(5720, 3560, 2440, 400));
    chkTransparent = Control<QCheckBox>(this, "chkTransparent", Tw(3400, 4100, 3340, 320));
    mida_ = std::make_unique<kovel::codes::CaixesMida>(this, 3400, 4540, 560);
    lblMida = mida_->rotol;
    txtAmple = mida_->ample;
    txtAlt = mida_->alt;
    lblAvisMida = Control<QLabel>(this, "lblAvisMida", Tw(3400, 5600, 4760, 1100));
    lblAvisMida->setWordWrap(true);
    lblCodificat = Control<QLabel>(this, "lblCodificat", Tw(3400, 5600, 4760, 1100));
    lblCodificat->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblCodificat->setWordWrap(true);
    lblCodificat->setTextFormat(Qt::PlainText);
    cboOrientacio = Control<QComboBox>(this, "cboOrientacio", Tw(6860, 4080, 1300, 360));
    btnComplex = Control<QPushButton>(this, "btnComplex", Tw(240, 6800, 2600, 420));
    btnAceptar = Control<QPushButton>(this, "btnAceptar", Tw(4920, 6800, 1600, 420));
    btnCancelar = Control<QPushButton>(this, "btnCancelar", Tw(6560, 6800, 1600, 420));
    fraComplex = Control<QGroupBox>(this, "fraComplex", Tw(240, 7400, 7920, 3600));
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
    lblAvisMida->setText(QStringLiteral("The size is the sample's: records with more data keep its square size and "
                                        "print larger codes; one that would not fit its line is drawn smaller."));
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

    caselles_ = {{{txtCodi}, {txtCodiURL}, {txtNumeroSMS, txtMissatgeSMS},
                  {txt_vcard_nom, txt_vcard_telf, txt_vcard_web, txt_vcard_email, txt_vcard_adressa}}};
    llistes_ = {{{cboCamp}, {cboCampURL}, {cboCampNumSMS, cboCampMissatgeSMS},
                 {cbo_vCard_nom, cbo_vcard_telf, cbo_vcard_web, cbo_vcard_email, cbo_vcard_adressa}}};
    fixos_ = {optMateix, optMateixURL, optMateixSMS, optMateixvCard};
    opcionsCamp_ = {optCamp, optCampURL, optCampSMS, optCampvCard};

    triarColor = [this](std::uint32_t& colour) { return kovel::ui::TriarColor(this, colour); };

    // Every action goes to the model, and the window then shows the model's state; the
    // window's own updates are not actions.
    auto accio = [this](auto&& fer) {
        return [this, fer] {
            if (mostrant_) return;
            fer();
            Mostrar();
        };
    };
    connect(SSTab1, &QTabBar::currentChanged, this, [this, pagina, accio](int tab) {
        for (int i = 0; i < 4; ++i) pagina[i]->setVisible(i == tab);
        accio([this, tab] { model_.CanviarPestanya(tab); })();
    });
    for (int t = 0; t < ModelCodiQR::NombrePestanyes; ++t) {
        for (int i = 0; i < ModelCodiQR::Caselles[static_cast<size_t>(t)]; ++i) {
            QLineEdit* casella = caselles_[static_cast<size_t>(t)][static_cast<size_t>(i)];
            QComboBox* llista = llistes_[static_cast<size_t>(t)][static_cast<size_t>(i)];
            connect(casella, &QLineEdit::textChanged, this,
                    accio([this, t, i, casella] { model_.CanviarText(t, i, casella->text()); }));
            connect(llista, &QComboBox::currentIndexChanged, this,
                    accio([this, t, i, llista] { model_.TriarCampCasella(t, i, llista->currentData().toString()); }));
            // Another field for a linked content takes its sample at once.
            connect(llista, &QComboBox::activated, this, accio([this, t] { if (model_.DeCamp(t)) model_.TriarCamp(t); }));
        }
        connect(opcionsCamp_[static_cast<size_t>(t)], &QRadioButton::clicked, this, accio([this, t] { model_.TriarCamp(t); }));
        connect(fixos_[static_cast<size_t>(t)], &QRadioButton::clicked, this, accio([this, t] { model_.TriarFix(t); }));
    }
    connect(ChechkECI, &QCheckBox::toggled, this, accio([this] { model_.MarcarECI(ChechkECI->isChecked()); }));
    connect(cboECI, &QComboBox::currentIndexChanged, this, accio([this] { model_.TriarECI(cboECI->currentIndex()); }));
    connect(chkUTF8, &QCheckBox::toggled, this, accio([this] { model_.MarcarUTF8(chkUTF8->isChecked()); }));
    connect(chkBOM, &QCheckBox::toggled, this, accio([this] { model_.MarcarBOM(chkBOM->isChecked()); }));
    connect(cboPreferredVersion, &QComboBox::currentIndexChanged, this,
            accio([this] { model_.TriarVersio(cboPreferredVersion->currentIndex()); }));
    connect(cboEncodingMode, &QComboBox::currentIndexChanged, this,
            accio([this] { model_.TriarMode(cboEncodingMode->currentIndex()); }));
    connect(cboErrorCorrectionLevel, &QComboBox::currentIndexChanged, this,
            accio([this] { model_.TriarCorreccio(cboErrorCorrectionLevel->currentIndex()); }));
    connect(cboOrientacio, &QComboBox::currentIndexChanged, this,
            accio([this] { model_.TriarOrientacio(cboOrientacio->currentIndex()); }));
    connect(chkMostrarQuietZone, &QCheckBox::toggled, this,
            accio([this] { model_.MarcarQuietZone(chkMostrarQuietZone->isChecked()); }));
    connect(chkTransparent, &QCheckBox::toggled, this, accio([this] { model_.MarcarTransparent(chkTransparent->isChecked()); }));
    const auto color = [this](QPushButton* boto, std::uint32_t (kovel::qr::QRCodeCtrl::*get)() const, void (kovel::qr::QRCodeCtrl::*set)(std::uint32_t)) {
        kovel::codes::ConnectaColor(boto, triarColor, [this, get] { return (model_.Qr().*get)(); }, [this, set](std::uint32_t c) {
            (model_.Qr().*set)(c);
            Mostrar();
        });
    };
    color(btnColorBarres, &kovel::qr::QRCodeCtrl::ForeColor, &kovel::qr::QRCodeCtrl::setForeColor);
    color(btnColorEspais, &kovel::qr::QRCodeCtrl::BackColor, &kovel::qr::QRCodeCtrl::setBackColor);
    mida_->Connectar(model_, [this] { Mostrar(); });
    connect(btnComplex, &QPushButton::clicked, this, [this] { btnComplex_Click(); });
    connect(btnAceptar, &QPushButton::clicked, this, [this] {
        if (!InserirQR()) return;   // the reason is shown; the dialog stays usable
        Modificat = 0;
        Inserint = 0;
        tancant_ = true;
        accept();
    });
    connect(btnCancelar, &QPushButton::clicked, this, [this] { close(); });
    Mostrar();
}

frmCodiQR::~frmCodiQR() = default;

int frmCodiQR::TabActual() const { return SSTab1->currentIndex(); }
void frmCodiQR::SeleccionarTab(int tab) { SSTab1->setCurrentIndex(tab); }

void frmCodiQR::showEvent(QShowEvent* event)
{
    DialegTancable::showEvent(event);
    if (!model_.Activat()) Activar();
}

void frmCodiQR::OmplirCamps()
{
    model_.OmplirCamps();
    Mostrar();
}

void frmCodiQR::Activar()
{
    mostrant_ = true;
    for (auto [llista, opcions] : {std::pair{cboPreferredVersion, ModelCodiQR::Versions()},
                                   std::pair{cboEncodingMode, ModelCodiQR::Modes()},
                                   std::pair{cboErrorCorrectionLevel, ModelCodiQR::Correccions()},
                                   std::pair{cboOrientacio, CodiBarres::Orientacions()},
                                   std::pair{cboECI, CodiQR::LlistaECI()}}) {
        llista->clear();
        llista->addItems(opcions);
    }
    mostrant_ = false;
    model_.Activar();
    btnColorBarres->setToolTip(ModTraduccion::Literal(8207));
    btnColorEspais->setToolTip(ModTraduccion::Literal(8208));
    avancatVisible_ = true;
    btnComplex_Click();
    Mostrar();
}

// ---- The model's state on the window ----

void frmCodiQR::Mostrar()
{
    mostrant_ = true;
    const ModelCodiQR& m = model_;
    if (ompliments_ != m.Ompliments()) {
        ompliments_ = m.Ompliments();
        for (int t = 0; t < ModelCodiQR::NombrePestanyes; ++t)
            for (int i = 0; i < ModelCodiQR::Caselles[static_cast<size_t>(t)]; ++i) {
                QComboBox* c = llistes_[static_cast<size_t>(t)][static_cast<size_t>(i)];
                c->clear();
                for (const ModelCodiQR::OpcioLlista& o : m.OpcionsLlista(t, i)) c->addItem(o.rotol, o.camp);
            }
    }
    for (int t = 0; t < ModelCodiQR::NombrePestanyes; ++t) {
        const auto st = static_cast<size_t>(t);
        for (int i = 0; i < ModelCodiQR::Caselles[st]; ++i) {
            QLineEdit* casella = caselles_[st][static_cast<size_t>(i)];
            QComboBox* llista = llistes_[st][static_cast<size_t>(i)];
            if (casella->text() != m.TextCasella(t, i)) casella->setText(m.TextCasella(t, i));
            casella->setEnabled(m.TextsEditables(t));
            if (llista->currentData().toString() != m.CampCasella(t, i))
                llista->setCurrentIndex(llista->findData(m.CampCasella(t, i)));
            llista->setEnabled(m.CampsEditables(t));
        }
        (m.DeCamp(t) ? opcionsCamp_[st] : fixos_[st])->setChecked(true);
        opcionsCamp_[st]->setEnabled(m.OpcionsCamp());
    }
    ChechkECI->setChecked(m.ECI());
    chkUTF8->setChecked(m.UTF8());
    chkBOM->setChecked(m.BOM());
    cboECI->setEnabled(m.ECI());
    chkBOM->setEnabled(m.UTF8());
    const kovel::qr::QRCodeCtrl& qr = m.Qr();
    if (m.Activat()) {
        cboECI->setCurrentIndex(m.IndexECI());
        cboPreferredVersion->setCurrentIndex(m.Versio());
        cboEncodingMode->setCurrentIndex(m.Mode());
        cboErrorCorrectionLevel->setCurrentIndex(m.Correccio());
        cboOrientacio->setCurrentIndex(m.Orientacio());
        chkMostrarQuietZone->setChecked(qr.QuietZone());
    }
    cboEncodingMode->setEnabled(m.ModeEditable());
    chkTransparent->setChecked(qr.Transparent());
    btnColorEspais->setEnabled(m.ColorFonsEditable());
    lblAvisMida->setVisible(m.AvisCamp());
    mida_->Mostrar(m);
    mostrant_ = false;
    RefrescarValidesa();
}

void frmCodiQR::RefrescarValidesa()
{
    const ModelCodiQR& m = model_;
    lblPreview->setVisible(m.VistaPrevia());
    pnlInvalid->setVisible(m.Invalid());
    btnAceptar->setEnabled(m.Acceptable());
    QString avis = ModTraduccion::Literal(8201);
    if (m.AvisMostra())
        avis += u' ' + TextFinestra(QStringLiteral("frmCodiQR.MostraAnterior"),
                                    QStringLiteral("The design shows a sample; each label gets its own data."));
    // Why the control refused the data, when it says.
    if (m.Invalid() && !m.Qr().DataToEncode().isEmpty() && !m.Qr().Error().isEmpty()) avis += u'\n' + m.Qr().Error();
    lblInvalid->setText(avis);
    QStringList codificat;
    if (const QString t = m.TextCodificat(); !t.isEmpty())
        codificat << TextFinestra(QStringLiteral("frmCodiQR.Codificat"), QStringLiteral("Encoded as: %1")).arg(t);
    if (const QString nota = m.NotaJoc(); !nota.isEmpty()) codificat << nota;
    lblCodificat->setText(codificat.join(u'\n'));
    lblCodificat->setVisible(!codificat.isEmpty() && !m.AvisCamp());
    // The largest versions need more pixels than the preview has at one pixel a module.
    const int side = std::max(Px(MidaPreview), m.Qr().GetMatrixWidth(1, 96, 96, 3, 3));
    const QSize size(side, side);
    lblPreview->resize(size);
    const QImage img = m.Qr().Dibuixar(size);
    lblPreview->setPixmap(img.isNull() ? QPixmap() : QPixmap::fromImage(img));
}

void frmCodiQR::btnComplex_Click()
{
    kovel::codes::AlternaAvancat(*this, avancatVisible_, *btnComplex, *fraComplex, AlcadaCompacta, AlcadaCompleta);
}

// ---- Insertion and closing ----

bool frmCodiQR::InserirQR()
{
    QString why;
    const bool fet = model_.Inserir(why);
    if (!why.isEmpty()) mod_rvtMsgBox::rvtMsgBox(why, mod_rvtMsgBox::vbExclamation, QString());
    return fet;
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
