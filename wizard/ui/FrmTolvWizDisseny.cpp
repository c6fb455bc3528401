// The design panel of the wizard window: the hosted design frame and its guard, the field
// menu, the code dialogs, the label-details window and the cell chooser of a sheet whose
// labels differ.
#include "wizard/ui/FrmTolvWiz.h"

#include "catalogue/Catalogo.h"
#include "catalogue/ListaEtiquetas.h"
#include "catalogue/ui/VistaPreviaHoja.h"
#include "catalogue/ui/frmOptions.h"
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
#include "documents/ui/MarcDisseny.h"
#include "platform/docframe/ui/MarcDocument.h"
#include "platform/paths/Paths.h"
#include "platform/word/Document.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTextEdit>
#include <QTimer>

namespace kovel::wizard {

using kovel::ui::BotoImatge;
using kovel::ui::Control;
using kovel::ui::Tw;

namespace {

using ModTraduccion::TextPrograma;

template <typename T>
T* Element(QWidget* parent, const char* name, int index, const QRect& r)
{
    T* c = Control<T>(parent, name, r);
    c->setProperty("index", index);
    return c;
}

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

// Sets the restore of a saved design to the frame's opening, where the state has that seam.
template <typename E>
auto PosaObreDisseny(E& estat, std::function<bool(const QString&)> obre, int) -> decltype(estat.obreDisseny = {}, void())
{
    estat.obreDisseny = std::move(obre);
}
template <typename E>
void PosaObreDisseny(E&, std::function<bool(const QString&)>, long)
{
}

} // namespace

// ---------------------------------------------------------------------------------------------
// What the code dialogs see of the wizard. They insert their pictures into a scratch
// document; the window then moves them to the frame's selection, as it inserts fields.

class FrmTolvWiz::EntornCodis : public kovel::codes::EntornDisseny {
public:
    explicit EntornCodis(FrmTolvWiz& w) : w_(w) {}

    QStringList Camps() const override { return w_.estat_->mnuCampo; }

    // The field's value in the first row to print of the chosen worksheet, or in the first
    // record of the chosen table or query. A source that fails gives no sample.
    QString ValorMostra(const QString& camp) override
    {
        EstatAssistent& e = *w_.estat_;
        FontAssistent* font = e.font();
        if (!font)
            return {};
        try {
            if (e.esExcel() && e.LstHojasIndex >= 0) {
                generar_doc::FullDades* full = font->full(e.LstHojasIndex + 1);
                const double fila = kovel::basic::Val(e.txtFila_inicial);
                QString text;
                if (full && fila >= 1 && fila <= 2147483647.0 && full->contingut(camp, std::int32_t(fila), text))
                    return text;
            } else if (e.esAccess() && e.LstTablasIndex >= 0 && e.LstTablasIndex < e.LstTablas.size()) {
                std::unique_ptr<generar_doc::RegistresDades> rs = font->registres(e.LstTablas[e.LstTablasIndex]);
                if (rs && !rs->eof())
                    return rs->contingutCamp(camp);
            }
        } catch (const std::exception& ex) {
            ModTolvWiz::Escribe_Log(QStringLiteral("Sample value of %1: %2").arg(camp, QString::fromLocal8Bit(ex.what())));
        }
        return {};
    }

    kovel::word::Range* Seleccio() override
    {
        if (!w_.dsoFraWord->TeDocument())
            return nullptr;
        if (!esborrany_)
            esborrany_ = kovel::word::Document::create();
        return &esborrany_->selection();
    }

    // The pictures the dialog made, in their order; the scratch document is emptied.
    std::vector<kovel::word::InlinePicture> Recull()
    {
        std::vector<kovel::word::InlinePicture> fotos;
        if (esborrany_)
            for (const kovel::word::InlinePicture* p : esborrany_->inlinePictures())
                fotos.push_back(*p);
        esborrany_.reset();
        return fotos;
    }

private:
    FrmTolvWiz& w_;
    std::unique_ptr<kovel::word::Document> esborrany_;
};

// ---------------------------------------------------------------------------------------------
// Building

void FrmTolvWiz::construeixDisseny()
{
    QWidget* p = panels_[5];
    pctDsoContenidor = Control<QWidget>(p, "pctDsoContenidor", Tw(600, 1100, 7300, 4600));
    dsoFraWord = new kovel::docframe::MarcDocument(pctDsoContenidor);
    dsoFraWord->setGeometry(QRect(QPoint(0, 0), pctDsoContenidor->size()));
    dsoFraWord->setFocusProxy(dsoFraWord->Editor());
    CmdCampos = Control<BotoImatge>(p, "CmdCampos", Tw(8200, 1100, 3000, 400));
    mnuListaCampos = new QMenu(this);
    mnuListaCampos->setObjectName(QStringLiteral("mnuListaCampos"));
    connect(CmdCampos, &QAbstractButton::clicked, this, [this] {
        mnuListaCampos->clear();
        for (int i = 0; i < estat_->mnuCampo.size(); ++i) {
            QAction* a = mnuListaCampos->addAction(estat_->mnuCampo[i]);
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
    // The details of the chosen format, beside its orientation on the format panel.
    cmd_tipo_informacion = Control<BotoImatge>(panels_[2], "cmd_tipo_informacion", Tw(9000, 3600, 2300, 360));
    cmd_tipo_informacion->setText(TextPrograma("FrmTolvWiz.cmd_tipo_informacion", QStringLiteral("Label details...")));
    connect(btn_barres, &QAbstractButton::clicked, this, [this] { btn_barres_Click(); });
    connect(btn_qr, &QAbstractButton::clicked, this, [this] { btn_qr_Click(); });
    connect(cmd_tipo_informacion, &QAbstractButton::clicked, this, [this] { cmd_tipo_informacion_Click(); });
    CmdEditarDatos = Control<BotoImatge>(p, "CmdEditarDatos", Tw(8200, 1600, 3000, 400));
    CmdEditarDatos->hide();
    // The two field lists and their move buttons; the field menu is what the panel shows.
    for (int i = 0; i < 2; ++i) {
        LstCampos[i] = Element<QListWidget>(p, "LstCampos", i, Tw(8200 + 1700 * i, 2600, 1300, 2000));
        LstCampos[i]->hide();
        connect(LstCampos[i], &QListWidget::itemDoubleClicked, this, [this, i] { CmdPasa_Click(i == 0 ? 1 : 2); });
    }
    for (int i = 0; i < 4; ++i) {
        CmdPasa[i] = Element<BotoImatge>(p, "CmdPasa", i, Tw(9550, 2600 + 450 * i, 300, 300));
        CmdPasa[i]->hide();
        connect(CmdPasa[i], &QAbstractButton::clicked, this, [this, i] { CmdPasa_Click(i); });
    }
    // The sheet of differing labels: preview frame and its navigation row.
    PnlHoja = Control<QWidget>(p, "PnlHoja", Tw(8200, 2100, 3100, 2600));
    for (int i = 0; i < 4; ++i)
        cmdHoja[i] = Element<BotoImatge>(p, "cmdHoja", i, Tw(8200 + 300 * i, 4750, 300, 300));
    LblHoja = Control<QLabel>(p, "LblHoja", Tw(9400, 4750, 900, 300));
    CmdBorrar = Control<BotoImatge>(p, "CmdBorrar", Tw(10400, 4750, 300, 300));
    Check_Formato = Control<QCheckBox>(p, "Check_Formato", Tw(8200, 5200, 300, 300));
    // The one-page guard of the design document; a tick never overlaps the one before.
    TimerEvitar2pags = new QTimer(this);
    TimerEvitar2pags->setObjectName(QStringLiteral("TimerEvitar2pags"));
    TimerEvitar2pags->setInterval(500);
    connect(TimerEvitar2pags, &QTimer::timeout, this, [this] {
        if (evitantDuesPagines_ || !evitaDuesPagines)
            return;
        evitantDuesPagines_ = true;
        evitaDuesPagines();
        evitantDuesPagines_ = false;
    });
    lbl_check_formato = Control<QLabel>(p, "lbl_check_formato", Tw(8550, 5200, 2700, 500));
    lbl_check_formato->setWordWrap(true);
}

// After the previews are installed: the frame, the guard, the state's seams, the cells.
void FrmTolvWiz::connectaMarc()
{
    marcDisseny_.Enllaca(dsoFraWord, TimerEvitar2pags);
    dsoFraWord->setCarpetesProtegides({kovel::paths::programDir()});
    marcDisseny_.ConfiguraBarres();
    // The frame takes the panel's width up to the column of buttons.
    marcDisseny_.KOVEL_AnchoMarcoDocumento = [] { return 7800; };
    evitaDuesPagines = [this] { marcDisseny_.EvitaDuesPagines(); };
    dsoFraWord->Editor()->installEventFilter(new FiltreFocus(this, [this](bool dins) {
        if (estat_->PanelActual != PanelDiseno)
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
            [this] { estat_->PanelesLlenos[PanelFinal] = 0; });

    estat_->documentMarc = [this]() -> kovel::word::Document* {
        return dsoFraWord->TeDocument() ? dsoFraWord->Document() : nullptr;
    };
    estat_->nombreCaselles = [this] { return marcDisseny_.caselles.NumCaselles; };
    estat_->documentCasella = [this](std::int32_t i) { return marcDisseny_.caselles.NomsCaselles.value(i); };
    estat_->desaCasella = [this] { ActualitzaHojaEtiquetas(); };
    PosaObreDisseny(*estat_, [this](const QString& cami) { return ObreDissenyAlMarc(cami); }, 0);

    // When the window goes, the dialogs and the design routines no longer reach it.
    entornCodis_ = std::shared_ptr<EntornCodis>(new EntornCodis(*this), [](EntornCodis* e) {
        if (kovel::codes::Entorn() == e)
            kovel::codes::EstablirEntorn(nullptr);
        delete e;
    });
    kovel::codes::EstablirEntorn(entornCodis_.get());

    vistes_.Contexto.casellaActual = [this] { return int(marcDisseny_.caselles.CasellaActual); };
    vistes_.Contexto.casellaBuida = [this](int n) { return marcDisseny_.caselles.CasellaBuida(n); };
    if (kovel::catalogue::PctHoja* hoja = vistes_.PctHoja(1))
        connect(hoja, &kovel::catalogue::PctHoja::celdaPulsada, this,
                [this](int, int, int celda) { PctHoja_MouseDown(celda); });
}

// ---------------------------------------------------------------------------------------------
// Filling the panel

// The frame's document follows the format, its orientation and the kind of sheet: the cells
// start afresh when one of them changed (a just-restored design keeps its own).
void FrmTolvWiz::preparaMarc()
{
    const int idx = ModTolvWiz::FormatSeleccionat(estat_->cataleg());
    if (idx < 0 || idx >= estat_->cataleg().Etiquetas.size())
        return;
    const bool h = estat_->horitzontal();
    const QString o = h ? QStringLiteral("H") : QStringLiteral("V");
    const bool perCasella = estat_->esWord() && estat_->cataleg().Panel.opcOrigDatos[0];
    const bool mateix = idx == estat_->IndexDocumentBase && estat_->ClauDocumentBase == o;
    const bool cellesDiferents = perCasella != (marcDisseny_.caselles.NumCaselles >= 2);
    const bool restaurat = estat_->ClauDocumentBase.isEmpty() && estat_->DissenyObert;
    const QString programa = kovel::paths::programDir();
    if ((!mateix || cellesDiferents || !dsoFraWord->TeDocument()) && !restaurat) {
        marcDisseny_.BuidaCaselles(estat_->cataleg(), idx, h, programa);
        if (perCasella) {
            const EtiquetaCatalogo& e = estat_->cataleg().Etiquetas[idx];
            marcDisseny_.caselles.IniciaCaselles(std::int32_t(e.Filas) * e.Columnas);
        }
        if (dsoFraWord->TeDocument()) {
            estat_->IndexDocumentBase = idx;
            estat_->ClauDocumentBase = o;
        }
    }
}

// The sheet of cells stands in the column of buttons on this window: the frame keeps its
// width and only gives way to the sheet when the two would touch.
void FrmTolvWiz::AjustaMarc()
{
    marcDisseny_.AjustaMidaMarc(pctDsoContenidor, PnlHoja, panels_[5], false);
    if (PnlHoja->isVisibleTo(panels_[5])) {
        const int limit = PnlHoja->x() - kovel::ui::Px(60);
        if (pctDsoContenidor->geometry().right() > limit)
            pctDsoContenidor->resize(std::max(1, limit - pctDsoContenidor->x()), pctDsoContenidor->height());
    }
    dsoFraWord->setGeometry(QRect(QPoint(0, 0), pctDsoContenidor->size()));
}

void FrmTolvWiz::mostraDisseny()
{
    const bool word = estat_->esWord();
    const bool opcio0 = word && estat_->cataleg().Panel.opcOrigDatos[0];
    lblTit[5]->setText(estat_->TitolDisseny(lblTit[5]->text().section(QStringLiteral(" KOVEL "), 0, 0)));
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
    preparaMarc();
    if (opcio0) {
        vistes_.Dibuja_HojaEtiquetas(1);
        colocaNavegacioHoja();
    }
    AjustaMarc();
}

// The navigation row under the sheet as it is drawn, centred on it: the buttons touch, only
// the caption is followed by one pixel.
void FrmTolvWiz::colocaNavegacioHoja()
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

bool FrmTolvWiz::ObreDissenyAlMarc(const QString& cami)
{
    if (marcDisseny_.ObreDocument(cami, true))
        return true;
    ModTolvWiz::Mensaje_Error(TextPrograma("FrmTolvWiz.DissenyIllegible",
                                           QStringLiteral("The design %1 cannot be read; the blank label of the format is shown instead."))
                                  .arg(cami));
    bool prepared = true;
    const int idx = ModTolvWiz::FormatSeleccionat(estat_->cataleg());
    if (idx >= 0 && marcDisseny_.PreparaDocumentBase(estat_->cataleg(), idx, estat_->horitzontal(), prepared, kovel::paths::programDir())) {
        estat_->IndexDocumentBase = idx;
        estat_->ClauDocumentBase = estat_->horitzontal() ? QStringLiteral("H") : QStringLiteral("V");
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Fields

void FrmTolvWiz::mnuCampo_Click(int index)
{
    if (index < 0 || index >= estat_->mnuCampo.size())
        return;
    // The guard stays off while the picture is placed.
    const bool actiu = TimerEvitar2pags->isActive();
    TimerEvitar2pags->stop();
    marcDisseny_.InsereixImatgeCamp(estat_->mnuCampo[index]);
    estat_->PanelesLlenos[PanelFinal] = 0;
    if (actiu || dsoFraWord->Editor()->hasFocus())
        TimerEvitar2pags->start();
}

void FrmTolvWiz::CmdPasa_Click(int index)
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
    // The current cell's document is shown again: saved first, so nothing typed is lost,
    // and only when it has a file to open.
    if (marcDisseny_.caselles.NumCaselles < 1)
        return;
    ActualitzaHojaEtiquetas();
    const QString nom = marcDisseny_.caselles.NomsCaselles.value(marcDisseny_.caselles.CasellaActual);
    if (!nom.isEmpty())
        marcDisseny_.ObreDocument(nom, true);
}

// ---------------------------------------------------------------------------------------------
// The frame's save and the dialogs

void FrmTolvWiz::dsoFraWord_BeforeDocumentSaved(const QString& /*cami*/, bool* cancel)
{
    if (marcDisseny_.DesantDocument || marcDisseny_.DesantDisseny)
        return;
    // The user's own save is the save-design command; the frame's file (a base document or
    // a cell's) is never written behind the cells' back.
    *cancel = true;
    if (desaDissenyAmbNom)
        desaDissenyAmbNom();
}

void FrmTolvWiz::insereixCodi(const std::function<void()>& dialeg)
{
    const bool actiu = TimerEvitar2pags->isActive();
    TimerEvitar2pags->stop();
    entornCodis_->Recull();
    dialeg();
    for (const kovel::word::InlinePicture& p : entornCodis_->Recull())
        dsoFraWord->InsereixImatge(p);
    estat_->PanelesLlenos[PanelFinal] = 0;
    // Back to the design, ready to type, with the guard watching what was inserted.
    activateWindow();
    dsoFraWord->setFocus();
    if (actiu)
        TimerEvitar2pags->start();
}

void FrmTolvWiz::btn_barres_Click()
{
    insereixCodi([this] {
        frmCodiBarres d(this);
        d.exec();
    });
}

void FrmTolvWiz::btn_qr_Click()
{
    insereixCodi([this] {
        frmCodiQR d(this);
        d.exec();
    });
}

void FrmTolvWiz::cmd_tipo_informacion_Click()
{
    frmOptions f(estat_->cataleg());
    f.exec();
}

// ---------------------------------------------------------------------------------------------
// The cell chooser

void FrmTolvWiz::PctHoja_MouseDown(int celda)
{
    if (ModTolvWiz::FormatSeleccionat(estat_->cataleg()) < 0 || OcupadoHoja)
        return;
    OcupadoHoja = true;
    ModTolvWiz::Puntero_Espera(true);
    ActualitzaHojaEtiquetas();
    if (celda >= 0)
        SeleccionaCasella(celda);
    ModTolvWiz::Puntero_Espera(false);
    OcupadoHoja = false;
}

void FrmTolvWiz::SeleccionaCasella(std::int32_t n)
{
    marcDisseny_.CanviaCasella(estat_->cataleg(), n, ModTolvWiz::FormatSeleccionat(estat_->cataleg()), estat_->horitzontal(),
                                      kovel::paths::programDir());
    vistes_.Dibuja_HojaEtiquetas(1);
}

void FrmTolvWiz::ActualitzaHojaEtiquetas()
{
    if (!dsoFraWord->TeDocument() || dsoFraWord->Desat() || marcDisseny_.caselles.NumCaselles < 1)
        return;
    try {
        marcDisseny_.DesaCasellaActual(marcDisseny_.caselles.CasellaActual);
    } catch (const kovel::word::WordError& e) {
        ModTolvWiz::Mensaje_Error(e.message());
    }
}

} // namespace kovel::wizard
