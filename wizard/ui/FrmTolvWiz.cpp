#include "wizard/ui/FrmTolvWiz.h"

#include "appearance/ui/Aparenca.h"
#include "catalogue/ListaEtiquetas.h"
#include "catalogue/ui/VistaPreviaHoja.h"
#include "common/HostProfile.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ui/Ajuda.h"
#include "common/ui/BotoImatge.h"
#include "common/ui/Finestres.h"
#include "common/ui/ModTolvWizUi.h"
#include "common/ui/VisualUi.h"
#include "datasources/ClsAccess.h"
#include "datasources/ClsExcel.h"
#include "documents/CodisPrograma.h"
#include "wizard/Guardats.h"
#include "wizard/panels/PasDisseny.h"
#include "wizard/panels/PasEtiqueta.h"
#include "wizard/panels/PasFinal.h"
#include "wizard/panels/PasGuardats.h"
#include "wizard/panels/PasOrigen.h"
#include "wizard/panels/PasPaper.h"
#include "wizard/ui/Enllacos.h"
#include "wizard/ui/FontsAssistent.h"
#include "wizard/ui/panels/VistaDisseny.h"
#include "wizard/ui/panels/VistaEtiqueta.h"
#include "wizard/ui/panels/VistaFinal.h"
#include "wizard/ui/panels/VistaGuardats.h"
#include "wizard/ui/panels/VistaInici.h"
#include "wizard/ui/panels/VistaOrigen.h"
#include "wizard/ui/panels/VistaPaper.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>

namespace kovel::wizard {

using namespace controls;

// ---------------------------------------------------------------------------------------------
// Building the window

FrmTolvWiz::FrmTolvWiz(QWidget* parent) : QWidget(parent), estat_(std::make_unique<EstatAssistent>())
{
    setObjectName(QStringLiteral("FrmTolvWiz"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    construeix();
    darrerBomba_.start();
    codis_ = std::make_unique<generar_doc::CodisPrograma>(estat_->registreCodis());
    estat_->setCodis(codis_.get());
    estat_->setEntorn(this);
}

FrmTolvWiz::~FrmTolvWiz()
{
    estat_->setEntorn(nullptr);
}

void FrmTolvWiz::construeix()
{
    // DimensionaFormulari: the window, its panels and the bottom bar, in twips. The window's
    // inside is exactly the panels over the bottom bar, so no strip of its own shows.
    resize(Tw(0, 0, KOVEL_espec::AmpleClient, KOVEL_espec::AltClient).size());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    for (int i = 0; i < kovel::NombrePanels; ++i) {
        QWidget* p = Membre<QWidget>(this, "Panel", i, Tw(0, 0, 11610, 6390));
        p->setAutoFillBackground(true);
        p->hide();
        panels_[i] = p;
        lblTit[i] = Membre<QLabel>(p, "lblTit", i, Tw(600, 400, 10400, 500));
        QFont f = lblTit[i]->font();
        f.setPointSizeF(f.pointSizeF() * 1.4);
        f.setBold(true);
        lblTit[i]->setFont(f);
        lblTit[i]->setWordWrap(true);
    }
    PanelBaix = Control<QWidget>(this, "PanelBaix", Tw(0, 6390, 11610, 630));
    CmdAnterior = Control<BotoImatge>(PanelBaix, "CmdAnterior", Tw(6300, 120, 400, 400));
    lblAnterior = Etiqueta(PanelBaix, "lblAnterior", Tw(6750, 170, 1300, 300));
    CmdSiguiente = Control<BotoImatge>(PanelBaix, "CmdSiguiente", Tw(8100, 120, 400, 400));
    lblSiguiente = Etiqueta(PanelBaix, "lblSiguiente", Tw(8550, 170, 1300, 300));
    cmdCancelar = Control<BotoImatge>(PanelBaix, "cmdCancelar", Tw(9900, 120, 400, 400));
    lblCancelar = Etiqueta(PanelBaix, "lblCancelar", Tw(10350, 170, 1200, 300));
    for (QLabel* l : {lblAnterior, lblSiguiente, lblCancelar})
        Clicable(l, this);
    PanelBaix->raise();
    connect(CmdAnterior, &QAbstractButton::clicked, this, [this] { MostrarPanel(-1); });
    connect(CmdSiguiente, &QAbstractButton::clicked, this, [this] { MostrarPanel(+1); });
    connect(cmdCancelar, &QAbstractButton::clicked, this, [this] { close(); });

    // Help, mail and web links: they follow the shown panel.
    cmd_ayuda = Control<BotoImatge>(panels_[0], "cmd_ayuda", Tw(300, 5850, 330, 330));
    lbl_ayuda = Etiqueta(panels_[0], "lbl_ayuda", Tw(700, 5880, 1000, 300));
    cmd_email = Control<BotoImatge>(panels_[0], "cmd_email", Tw(1800, 5850, 330, 330));
    lbl_email = Etiqueta(panels_[0], "lbl_email", Tw(2200, 5880, 1400, 300));
    img_web = Etiqueta(panels_[0], "img_web", Tw(9600, 5850, 1800, 330));
    for (QLabel* l : {lbl_ayuda, lbl_email, img_web})
        l->setCursor(Qt::PointingHandCursor);
    // Tied once, here: a second tie would open every link twice.
    ModTolvWiz::ConnectarEnllacos(this);

    // The panels' own controls, built in the panels' order.
    auto disseny = std::make_unique<VistaDisseny>(*this, estat_->pasDisseny());
    auto guardats = std::make_unique<VistaGuardats>(*this, estat_->pasGuardats());
    vistaDisseny_ = disseny.get();
    vistaGuardats_ = guardats.get();
    vistes_.push_back(std::make_unique<VistaInici>(*this, estat_->pasInici()));
    vistes_.push_back(std::make_unique<VistaPaper>(*this, estat_->pasPaper()));
    vistes_.push_back(std::make_unique<VistaEtiqueta>(*this, estat_->pasEtiqueta()));
    vistes_.push_back(std::make_unique<VistaOrigen>(*this, estat_->pasOrigen()));
    vistes_.push_back(std::move(disseny));
    vistes_.push_back(std::make_unique<VistaFinal>(*this, estat_->pasFinal()));
    vistes_.push_back(std::move(guardats));
    for (const auto& v : vistes_)
        v->construeix();
    // Where this window's panels keep them: the centres and widest widths, in twips.
    previes_.Contexto.medidas = {7675, 9750, 9750, 9750, 2450, 3100, 3100};
    previes_.Contexto.horizontal = [this] { return estat_->horitzontal(); };
    previes_.Contexto.origenDatos = [this] { return estat_->pasOrigen().opcOrigDatos; };
}

// ---------------------------------------------------------------------------------------------
// The panels and what the state asks of the window

VistaPas* FrmTolvWiz::vista(std::int16_t panel) const
{
    const Pas* model = estat_->pas(panel);
    for (const auto& v : vistes_)
        if (model && &v->model() == model)
            return v.get();
    return nullptr;
}

QWidget* FrmTolvWiz::botoSiguiente() const { return CmdSiguiente; }
void FrmTolvWiz::DesaDissenyAmbNom() { vistaGuardats_->cmdGuardar_Click(); }
kovel::docframe::MarcDocument* FrmTolvWiz::Marc() const { return vistaDisseny_->Marc(); }
modDsoFraWord::MarcDisseny& FrmTolvWiz::marcDisseny() { return vistaDisseny_->marcDisseny(); }
bool FrmTolvWiz::hiHaGuardats() { return estat_->guardats().HiHaGuardats(); }
void FrmTolvWiz::recuperaDisseny(int n) { estat_->guardats().RecuperaDisseny(n - 1); }
void FrmTolvWiz::obreDocument(const QString& cami) { ModTolvWiz::Abre_Documento(cami); }
void FrmTolvWiz::mostraDisseny(const kovel::word::Document& disseny, const QString& cami)
{
    marcDisseny().Mostra(disseny, cami);
}
std::unique_ptr<kovel::word::Document> FrmTolvWiz::edicionsDisseny() { return marcDisseny().Edicions(); }

QString FrmTolvWiz::demanaNom(const QString& prompt, const QString& titol)
{
    bool ok = false;
    const QString nom = QInputDialog::getText(this, titol, prompt, QLineEdit::Normal, QString(), &ok);
    return ok ? nom : QString();
}

void FrmTolvWiz::bomba()
{
    // Often enough to keep the window painted, seldom enough to cost nothing.
    if (darrerBomba_.elapsed() >= 40) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        darrerBomba_.restart();
    }
}

void FrmTolvWiz::progres(int valor, int maxim)
{
    // The shown panel's bar, or the final panel's, which the generation and a restore use.
    QProgressBar* barra = nullptr;
    if (VistaPas* v = vista(estat_->PanelActual))
        barra = v->barraProgres();
    if (!barra)
        if (VistaPas* v = vista(estat_->numerosPanel().PanelFinal))
            barra = v->barraProgres();
    if (!barra)
        return;
    if (barra->maximum() != maxim)
        barra->setRange(0, maxim);
    barra->setValue(maxim > 0 ? std::min(valor, maxim) : 0);
}

// ---------------------------------------------------------------------------------------------
// Loading

bool FrmTolvWiz::Cargar()
{
    QString missatge;
    auto falla = [&]() {
        ModTolvWiz::Puntero_Espera(false);
        if (!missatge.isEmpty())
            ModTolvWiz::Mensaje_Error(missatge);
        return false;
    };
    if (!ModTolvWiz::Carga_Catalogo(estat_->cataleg(), missatge))
        return falla();
    if (estat_->esAccess()) {
        auto datos = std::make_unique<ClsAccess>();
        if (!datos->Conectar(missatge))
            return falla();
        font_ = std::make_unique<FontAccess>(std::move(datos));
    } else if (estat_->esExcel()) {
        auto datos = std::make_unique<ClsExcel>();
        QCoreApplication::processEvents();
        if (!datos->Conectar(missatge))
            return falla();
        font_ = std::make_unique<FontExcel>(std::move(datos));
    }
    estat_->setFont(font_.get());
    Prepara_Asistente();
    ModTraduccion::TraduirFormulari(this);
    Prepara_Textos();
    if (estat_->esExcel())
        lblTit[4]->setText(Lit(503));
    lblTit4 = Control<QLabel>(panels_[4], "lblTit4", Tw(600, 1000, 10400, 400));
    lblTit4->setText(lblTit[4]->text());
    lblTit4->setStyleSheet(QStringLiteral("color: white"));
    AplicaAparenca();
    Visual::AdaptarDPI(this);
    estat_->AsistenteActivo = true;
    mostra();
    show();
    raise();
    activateWindow();
    ModTolvWiz::Puntero_Espera(false);
    return true;
}

void FrmTolvWiz::AplicaAparenca()
{
    // The product look over the designed window; what cannot be applied keeps the plain look.
    KOVEL_espec::EstilFormulari(this, kovel::Host());
    KOVEL_espec::Carga_ImagenesWizard(this);
    KOVEL_espec::PosaFons(PanelBaix, QStringLiteral("FONSEGONA_BAIX.DAT"));
    for (int i = 1; i < kovel::NombrePanels; ++i)
        KOVEL_espec::PosaFons(panels_[i], QStringLiteral("FONSEGONA_DALT.DAT"));
    // The panels' own backgrounds and pictures.
    for (const auto& v : vistes_)
        v->aparenca();
    // Captions stand white on the panels' backgrounds; lists and boxes keep their own colours.
    for (QWidget* p : panels_) {
        QPalette pal = p->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        pal.setColor(QPalette::ButtonText, Qt::white);
        p->setPalette(pal);
    }
    const QColor destacat = kovel::ui::ColorDeBasic(KOVEL_espec::ColorDestacado);
    for (QLabel* l : {lblAnterior, lblSiguiente, lblCancelar})
        l->setStyleSheet(QStringLiteral("color: %1; font-weight: bold").arg(destacat.name()));
    // Captions on the light faces in the highlight colour, white on the chosen one; a panel
    // may keep the colours of some of its own ("colorsPropis").
    for (BotoImatge* b : findChildren<BotoImatge*>()) {
        if (b->property("colorsPropis").toBool())
            continue;
        if (b->teImatges()) {
            b->setColorText(destacat);
            b->setColorTextSobre(destacat);
            b->setColorTextActiu(Qt::white);
        } else if (!b->teImatges() && b->tipus() == BotoImatge::Tipus::Boto) {
            // A button the look gives no face keeps the desktop's, with its dark caption.
            b->setColorText(Qt::black);
        }
    }
    // Boxes and lists keep dark text on their light faces.
    for (QWidget* w : findChildren<QWidget*>())
        if (qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QScrollBar*>(w)) {
            QPalette pal = w->palette();
            pal.setColor(QPalette::ButtonText, Qt::black);
            pal.setColor(QPalette::WindowText, Qt::black);
            w->setPalette(pal);
        }
    // The help caption as wide as its text; the titles one line, within their panel.
    lbl_ayuda->resize(lbl_ayuda->fontMetrics().horizontalAdvance(lbl_ayuda->text()) + 4, lbl_ayuda->height());
    for (QLabel* t : lblTit) {
        const int ample = std::max(1, panels_[0]->width() - t->x() - 10);
        // The home panel's title is its welcome text: as many lines as it needs.
        t->setGeometry(t->x(), t->y(), ample, t == lblTit[0] ? t->heightForWidth(ample) : t->fontMetrics().height() + 4);
    }
    // The e-mail caption ends where its button begins, however long its text.
    const int ample = lbl_email->fontMetrics().horizontalAdvance(lbl_email->text()) + 4;
    lbl_email->setGeometry(cmd_email->x() - 2 - ample, lbl_email->y(), ample, lbl_email->height());
}

void FrmTolvWiz::Prepara_Asistente()
{
    for (QLabel* l : {lblAnterior, lblSiguiente, lblCancelar})
        l->setStyleSheet(QStringLiteral("color: #1f5fa8; font-weight: bold"));
    // The titles where the paper panel's stands; a panel that places its own does so when shown.
    for (int i = 1; i < kovel::NombrePanels; ++i)
        lblTit[i]->move(lblTit[1]->pos());
    for (const auto& v : vistes_)
        v->prepara();
    estat_->Prepara();
    MostrarPanel(+1);
}

void FrmTolvWiz::Prepara_Textos()
{
    cmd_email->setProperty("tag", ModTraduccion::CercarLiteral(QStringLiteral("FrmTolvWiz.cmd_email.Tag")));
    img_web->setProperty("tag", ModTraduccion::CercarLiteral(QStringLiteral("FrmTolvWiz.img_web.Tag")));
    for (const auto& v : vistes_)
        v->textos();
}

// ---------------------------------------------------------------------------------------------
// Moves

void FrmTolvWiz::MostrarPanel(int dir)
{
    if (estat_->Generando)
        return;
    const std::int16_t abans = estat_->PanelActual;
    VistaPas* deixada = vista(abans);
    // Leaving the final panel forward generates the document: the window waits meanwhile.
    const bool espera = dir > 0 && deixada && deixada->treball(true);
    if (espera)
        modoEspera(true);
    omplint_ = true;
    const Moviment m = estat_->MostrarPanel(dir);
    omplint_ = false;
    if (espera) {
        modoEspera(false);
        deixada->treball(false);
    }
    avisa(m.avis);
    if (m.acabat) {
        QCoreApplication::processEvents();
        close();
        QCoreApplication::processEvents();
        return;
    }
    if (!m.mogut)
        return;
    if (abans >= 0 && abans < kovel::NombrePanels)
        panels_[abans]->hide();
    if (deixada)
        deixada->deixa();
    mostra();
    panels_[estat_->PanelActual]->show();
    if (QWidget* w = findChild<QWidget*>(estat_->focusTarget()); w && w->isVisible())
        w->setFocus();
}

void FrmTolvWiz::avisa(const Avis& avis)
{
    if (avis.buit())
        return;
    if (avis.informacio)
        mod_rvtMsgBox::rvtMsgBox(avis.text, mod_rvtMsgBox::vbInformation, windowTitle());
    else
        ModTolvWiz::Mensaje_Error(avis.text);
}

void FrmTolvWiz::modoEspera(bool espera)
{
    setEnabled(!espera);
    ModTolvWiz::Puntero_Espera(espera);
}

void FrmTolvWiz::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        if (VistaPas* v = vista(estat_->PanelActual))
            v->activada();
    QWidget::changeEvent(event);
}

void FrmTolvWiz::closeEvent(QCloseEvent* event)
{
    if (estat_->PanelActual > estat_->numerosPanel().PanelInicio && estat_->AsistenteActivo
        && !ModTolvWiz::Pregunta_SiNo(Lit(7))) {
        event->ignore();
        return;
    }
    event->accept();
}

bool FrmTolvWiz::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == lblAnterior)
            MostrarPanel(-1);
        else if (watched == lblSiguiente)
            MostrarPanel(+1);
        else if (watched == lblCancelar)
            close();
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Showing the state

void FrmTolvWiz::mouEnllacos(int panel)
{
    if (panel <= 0 || panel >= kovel::NombrePanels)
        return;
    for (QWidget* w : std::initializer_list<QWidget*>{img_web, cmd_ayuda, lbl_ayuda, cmd_email, lbl_email}) {
        if (w->parentWidget() != panels_[panel]) {
            const QPoint pos = w->pos();
            w->setParent(panels_[panel]);
            w->move(pos);
            w->show();
        }
    }
    img_web->raise();
}

void FrmTolvWiz::mostra()
{
    const int p = estat_->PanelActual;
    if (p < 0 || p >= kovel::NombrePanels)
        return;
    omplint_ = true;
    mouEnllacos(p);
    setProperty("HelpContextID", p <= 2 ? 2000 + 10 * (p + 1) : 2000 + 10 * p);
    CmdAnterior->setVisible(estat_->anteriorVisible());
    lblAnterior->setVisible(CmdAnterior->isVisibleTo(PanelBaix));
    lblSiguiente->setText(estat_->esUltimPanel() ? Lit(13) : Lit(14));
    if (VistaPas* v = vista(std::int16_t(p)))
        v->mostra();
    omplint_ = false;
}

} // namespace kovel::wizard
