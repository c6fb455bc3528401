#include "wizard/ui/panels/VistaDisseny.h"

#include "appearance/ui/Aparenca.h"
#include "catalogue/Catalogo.h"
#include "catalogue/ListaEtiquetas.h"
#include "catalogue/ui/VistaPreviaHoja.h"
#include "codes/EntornDisseny.h"
// The code dialogs, beside their model or in its ui folder.
#if __has_include("codes/ui/frmCodiBarres.h")
#include "codes/ui/frmCodiBarres.h"
#include "codes/ui/frmCodiQR.h"
#else
#include "codes/frmCodiBarres.h"
#include "codes/frmCodiQR.h"
#endif
#include "common/BasicRules.h"
#include "common/HostProfile.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/ui/BotoImatge.h"
#include "common/ui/Finestres.h"
#include "common/ui/ModTolvWizUi.h"
#include "documents/EspaiDisseny.h"
#include "documents/generar_doc.h"
#include "documents/ui/MarcDisseny.h"
#include "platform/docframe/ui/MarcDocument.h"
#include "platform/paths/Paths.h"
#include "platform/word/Document.h"
#include "wizard/EstatAssistent.h"
#include "wizard/panels/CodisDisseny.h"
#include "wizard/panels/PasDisseny.h"
#include "wizard/panels/PasFinal.h"
#include "wizard/panels/PasOrigen.h"
#include "wizard/ui/FrmTolvWiz.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>

namespace kovel::wizard {

using namespace controls;

namespace {

using ModTraduccion::TextPrograma;

// Focus in and out of the frame's editor switch the one-page guard on and off.
class FiltreFocus : public QObject {
public:
    FiltreFocus(QObject* pare, std::function<void(bool)> canvi) : QObject(pare), canvi_(std::move(canvi)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn)
            canvi_(true);
        else if (event->type() == QEvent::FocusOut)
            canvi_(false);
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(bool)> canvi_;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// The panel

VistaDisseny::VistaDisseny(FrmTolvWiz& finestra, PasDisseny& model) : VistaPas(finestra, model, 5) {}

VistaDisseny::~VistaDisseny()
{
    // The sheet preview asks this window's cells; they go with it.
    w_.previes().Contexto.casellaActual = nullptr;
    w_.previes().Contexto.casellaBuida = nullptr;
}

PasDisseny& VistaDisseny::disseny() const { return static_cast<PasDisseny&>(model_); }

void VistaDisseny::textos()
{
    if (estat().esWord())
        CmdBorrar->setToolTip(ModTraduccion::Literal(27));
}

void VistaDisseny::aparenca() { KOVEL_espec::PosaFons(panel(), QStringLiteral("FONSEGONA_DALT2.DAT")); }

void VistaDisseny::deixa() { TimerEvitar2pags->stop(); }

void VistaDisseny::activada() { dsoFraWord->setFocus(); }

bool VistaDisseny::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lbl_check_formato && event->type() == QEvent::MouseButtonRelease)
        Check_Formato->setCheckState(Check_Formato->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Building

void VistaDisseny::construeix()
{
    QWidget* p = panel();
    pctDsoContenidor = Control<QWidget>(p, "pctDsoContenidor", Tw(600, 1100, 7300, 4600));
    dsoFraWord = new kovel::docframe::MarcDocument(pctDsoContenidor);
    dsoFraWord->setGeometry(QRect(QPoint(0, 0), pctDsoContenidor->size()));
    dsoFraWord->setFocusProxy(dsoFraWord->Editor());
    CmdCampos = Control<BotoImatge>(p, "CmdCampos", Tw(8200, 1100, 3000, 400));
    mnuListaCampos = new QMenu(&w_);
    mnuListaCampos->setObjectName(QStringLiteral("mnuListaCampos"));
    connect(CmdCampos, &QAbstractButton::clicked, this, [this] {
        mnuListaCampos->clear();
        // The columns named as the code dialogs name them: "A — NAME" under a header row.
        const QStringList camps = entornCodis_ ? entornCodis_->Rotols() : disseny().mnuCampo;
        for (int i = 0; i < camps.size(); ++i) {
            QAction* a = mnuListaCampos->addAction(camps[i]);
            a->setObjectName(QStringLiteral("mnuCampo"));
            a->setProperty("index", i);
            connect(a, &QAction::triggered, this, [this, i] { mnuCampo_Click(i); });
        }
        mnuListaCampos->exec(CmdCampos->mapToGlobal(QPoint(0, CmdCampos->height())));
        dsoFraWord->setFocus();
    });
    btn_barres = Control<BotoImatge>(p, "btn_barres", Tw(8200, 1600, 1450, 400));
    btn_barres->setText(TextPrograma("FrmTolvWiz.btn_barres", QStringLiteral("Barcode...")));
    btn_qr = Control<BotoImatge>(p, "btn_qr", Tw(9750, 1600, 1450, 400));
    btn_qr->setText(TextPrograma("FrmTolvWiz.btn_qr", QStringLiteral("QR code...")));
    connect(btn_barres, &QAbstractButton::clicked, this, [this] { btn_barres_Click(); });
    connect(btn_qr, &QAbstractButton::clicked, this, [this] { btn_qr_Click(); });
    CmdEditarDatos = Control<BotoImatge>(p, "CmdEditarDatos", Tw(8200, 1600, 3000, 400));
    CmdEditarDatos->hide();
    // The two field lists and their move buttons; the field menu is what the panel shows.
    for (int i = 0; i < 2; ++i) {
        LstCampos[i] = Membre<QListWidget>(p, "LstCampos", i, Tw(8200 + 1700 * i, 2600, 1300, 2000));
        LstCampos[i]->hide();
        connect(LstCampos[i], &QListWidget::itemDoubleClicked, this, [this, i] { CmdPasa_Click(i == 0 ? 1 : 2); });
    }
    for (int i = 0; i < 4; ++i) {
        CmdPasa[i] = Membre<BotoImatge>(p, "CmdPasa", i, Tw(9550, 2600 + 450 * i, 300, 300));
        CmdPasa[i]->hide();
        connect(CmdPasa[i], &QAbstractButton::clicked, this, [this, i] { CmdPasa_Click(i); });
    }
    // The sheet of differing labels: preview frame and its navigation row.
    PnlHoja = Control<QWidget>(p, "PnlHoja", Tw(8200, 2100, 3100, 2600));
    for (int i = 0; i < 4; ++i)
        cmdHoja[i] = Membre<BotoImatge>(p, "cmdHoja", i, Tw(8200 + 300 * i, 4750, 300, 300));
    LblHoja = Control<QLabel>(p, "LblHoja", Tw(9400, 4750, 900, 300));
    CmdBorrar = Control<BotoImatge>(p, "CmdBorrar", Tw(10400, 4750, 300, 300));
    Check_Formato = Control<QCheckBox>(p, "Check_Formato", Tw(8200, 5200, 300, 300));
    // The one-page guard of the design document; a tick never overlaps the one before.
    TimerEvitar2pags = new QTimer(&w_);
    TimerEvitar2pags->setObjectName(QStringLiteral("TimerEvitar2pags"));
    TimerEvitar2pags->setInterval(500);
    connect(TimerEvitar2pags, &QTimer::timeout, this, [this] {
        if (evitantDuesPagines_)
            return;
        evitantDuesPagines_ = true;
        marcDisseny_.EvitaDuesPagines();
        evitantDuesPagines_ = false;
    });
    lbl_check_formato = Control<QLabel>(p, "lbl_check_formato", Tw(8550, 5200, 2700, 500));
    lbl_check_formato->setWordWrap(true);
    Clicable(lbl_check_formato, this);
    w_.previes().InstalaVistaPrevia(1, {PnlHoja, nullptr, LblHoja, dsoFraWord, p});
    connectaMarc();
}

// After the previews are installed: the frame, the guard, the state's seams, the cells.
void VistaDisseny::connectaMarc()
{
    marcDisseny_.Enllaca(dsoFraWord, TimerEvitar2pags, &estat().registreCodis());
    dsoFraWord->setCarpetesProtegides({kovel::paths::programDir()});
    marcDisseny_.ConfiguraBarres();
    // The frame takes the panel's width up to the column of buttons.
    marcDisseny_.KOVEL_AnchoMarcoDocumento = [] { return 7800; };
    dsoFraWord->Editor()->installEventFilter(new FiltreFocus(this, [this](bool dins) {
        if (estat().PanelActual != estat().numerosPanel().PanelDiseno)
            return;
        if (dins)
            TimerEvitar2pags->start();
        else
            TimerEvitar2pags->stop();
    }));
    // The frame's Save button runs the user's save, as Ctrl+S does.
    dsoFraWord->AccioDesar()->setText(TextPrograma("FrmTolvWiz.btnDesar", QStringLiteral("Save")));
    dsoFraWord->AccioDesar()->setToolTip(
        TextPrograma("FrmTolvWiz.btnDesarAjuda", QStringLiteral("Save this design under a name to use it again (Ctrl+S)")));
    connect(dsoFraWord, &kovel::docframe::MarcDocument::abansDeDesar, this,
            [this](const QString& cami, bool* cancel) { dsoFraWord_BeforeDocumentSaved(cami, cancel); });
    // A changed design makes the next Finish generate again.
    connect(dsoFraWord, &kovel::docframe::MarcDocument::contingutCanviat, this,
            [this] { estat().marca(estat().numerosPanel().PanelFinal, 0); });

    // When the window goes, the dialogs and the design routines no longer reach it.
    // The dialogs insert their pictures into a scratch document; the window then moves them to
    // the frame's selection, as it inserts fields.
    const auto espai = [this](const generar_doc::MidesFull& m) {
        return modDsoFraWord::EspaiCodiSeleccio(dsoFraWord->pont(), *dsoFraWord->Editor()->document(),
                                                dsoFraWord->Editor()->textCursor(), m);
    };
    const auto teDocument = [this] { return dsoFraWord->TeDocument(); };
    entornCodis_ = std::shared_ptr<CodisDisseny>(new CodisDisseny(estat(), espai, teDocument), [](CodisDisseny* e) {
        if (kovel::codes::Entorn() == e)
            kovel::codes::EstablirEntorn(nullptr);
        delete e;
    });
    kovel::codes::EstablirEntorn(entornCodis_.get());

    w_.previes().Contexto.casellaActual = [this] { return int(disseny().caselles.CasellaActual); };
    w_.previes().Contexto.casellaBuida = [this](int n) { return disseny().caselles.CasellaBuida(n); };
    if (kovel::catalogue::PctHoja* hoja = w_.previes().PctHoja(1))
        connect(hoja, &kovel::catalogue::PctHoja::celdaPulsada, this,
                [this](int, int, int celda) { PctHoja_MouseDown(celda); });
}

// ---------------------------------------------------------------------------------------------
// Filling the panel

// The sheet of cells stands in the column of buttons on this window: the frame keeps its
// width and only gives way to the sheet when the two would touch.
void VistaDisseny::AjustaMarc()
{
    marcDisseny_.AjustaMidaMarc(pctDsoContenidor, PnlHoja, panel(), false);
    if (PnlHoja->isVisibleTo(panel())) {
        const int limit = PnlHoja->x() - kovel::ui::Px(60);
        if (pctDsoContenidor->geometry().right() > limit)
            pctDsoContenidor->resize(std::max(1, limit - pctDsoContenidor->x()), pctDsoContenidor->height());
    }
    dsoFraWord->setGeometry(QRect(QPoint(0, 0), pctDsoContenidor->size()));
}

void VistaDisseny::mostra()
{
    const bool word = estat().esWord();
    const bool opcio0 = estat().pasOrigen().EtiquetasDiferentes();
    titol()->setText(disseny().TitolDisseny(titol()->text().section(QStringLiteral(" KOVEL "), 0, 0)));
    CmdCampos->setVisible(!word);
    // The code buttons under the field button, or in its place on the word processor's host.
    const int y = word ? 1100 : 1600;
    btn_barres->move(Tw(8200, y, 0, 0).topLeft());
    btn_qr->move(Tw(9750, y, 0, 0).topLeft());
    PnlHoja->setVisible(opcio0);
    // The cells are chosen on the sheet itself; the navigation row has no cell to step to.
    for (BotoImatge* b : cmdHoja)
        b->setVisible(false);
    LblHoja->setVisible(false);
    CmdBorrar->setVisible(false);
    Check_Formato->setChecked(true);
    Check_Formato->move(Check_Formato->x(), Tw(0, 5200, 0, 0).y());
    lbl_check_formato->move(lbl_check_formato->x(), Tw(0, 5200, 0, 0).y());
    if (opcio0) {
        w_.previes().Dibuja_HojaEtiquetas(1);
        colocaNavegacioHoja();
    }
    AjustaMarc();
}

// The navigation row under the sheet as it is drawn, centred on it: the buttons touch, only
// the caption is followed by one pixel.
void VistaDisseny::colocaNavegacioHoja()
{
    int total = LblHoja->width();
    for (BotoImatge* b : cmdHoja)
        total += b->width();
    int x = PnlHoja->x() + (PnlHoja->width() - total) / 2;
    const int y = PnlHoja->geometry().bottom() + kovel::ui::Px(45);
    for (QWidget* c : std::initializer_list<QWidget*>{cmdHoja[0], cmdHoja[1], LblHoja, cmdHoja[2], cmdHoja[3]}) {
        c->move(x, y);
        x += c->width() + (c == LblHoja ? 1 : 0);
    }
    CmdBorrar->move(x, y);
    // The format check box follows below the row.
    const int sota = std::max(Tw(0, 5200, 0, 0).y(), y + cmdHoja[0]->height() + kovel::ui::Px(60));
    Check_Formato->move(Check_Formato->x(), sota);
    lbl_check_formato->move(lbl_check_formato->x(), sota);
}

// ---------------------------------------------------------------------------------------------
// Fields

void VistaDisseny::mnuCampo_Click(int index)
{
    const QStringList& camps = disseny().mnuCampo;
    if (index < 0 || index >= camps.size())
        return;
    // The guard stays off while the picture is placed.
    const bool actiu = TimerEvitar2pags->isActive();
    TimerEvitar2pags->stop();
    marcDisseny_.InsereixImatgeCamp(camps[index]);
    estat().marca(estat().numerosPanel().PanelFinal, 0);
    if (actiu || dsoFraWord->Editor()->hasFocus())
        TimerEvitar2pags->start();
}

void VistaDisseny::CmdPasa_Click(int index)
{
    auto mou = [](QListWidget* de, QListWidget* a, bool tots) {
        if (tots) {
            while (de->count() > 0)
                a->addItem(de->takeItem(0));
        } else if (de->currentRow() >= 0) {
            a->addItem(de->takeItem(de->currentRow()));
        }
    };
    if (index == 0 || index == 1)
        mou(LstCampos[0], LstCampos[1], index == 0);
    else if (index == 2 || index == 3)
        mou(LstCampos[1], LstCampos[0], index == 3);
    // The current cell's document is shown again: saved first, so nothing typed is lost.
    if (disseny().caselles.NumCaselles < 1)
        return;
    disseny().DesaCasellaActual();
    disseny().CanviaCasella(disseny().caselles.CasellaActual);
}

// ---------------------------------------------------------------------------------------------
// The frame's save and the dialogs

void VistaDisseny::dsoFraWord_BeforeDocumentSaved(const QString& /*cami*/, bool* cancel)
{
    // The frame never writes a file: the user's own save is the save-design command, and
    // the state saves the cells' documents itself.
    *cancel = true;
    w_.DesaDissenyAmbNom();
}

void VistaDisseny::insereixCodi(const std::function<void()>& dialeg)
{
    const bool actiu = TimerEvitar2pags->isActive();
    TimerEvitar2pags->stop();
    entornCodis_->Recull();
    dialeg();
    for (const kovel::word::InlinePicture& p : entornCodis_->Recull())
        dsoFraWord->InsereixImatge(p);
    estat().marca(estat().numerosPanel().PanelFinal, 0);
    // Back to the design, ready to type, with the guard watching what was inserted.
    w_.activateWindow();
    dsoFraWord->setFocus();
    if (actiu)
        TimerEvitar2pags->start();
}

void VistaDisseny::btn_barres_Click()
{
    insereixCodi([this] {
        frmCodiBarres d(estat().registreCodis(), &w_);
        d.exec();
    });
}

void VistaDisseny::btn_qr_Click()
{
    insereixCodi([this] {
        frmCodiQR d(estat().registreCodis(), &w_);
        d.exec();
    });
}

// ---------------------------------------------------------------------------------------------
// The cell chooser

void VistaDisseny::PctHoja_MouseDown(int celda)
{
    if (ModTolvWiz::FormatSeleccionat(estat().cataleg()) < 0 || OcupadoHoja)
        return;
    OcupadoHoja = true;
    ModTolvWiz::Puntero_Espera(true);
    disseny().DesaCasellaActual();
    if (celda >= 0)
        SeleccionaCasella(celda);
    ModTolvWiz::Puntero_Espera(false);
    OcupadoHoja = false;
}

void VistaDisseny::SeleccionaCasella(std::int32_t n)
{
    disseny().CanviaCasella(n);
    w_.previes().Dibuja_HojaEtiquetas(1);
}

} // namespace kovel::wizard
