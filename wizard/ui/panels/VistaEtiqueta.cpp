#include "wizard/ui/panels/VistaEtiqueta.h"

#include "catalogue/ListaEtiquetas.h"
#include "catalogue/Unidades.h"
#include "catalogue/ui/VistaPreviaHoja.h"
#include "catalogue/ui/frmOptions.h"
#include "common/HostProfile.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/ui/BotoImatge.h"
#include "common/ui/ModTolvWizUi.h"
#include "wizard/EstatAssistent.h"
#include "wizard/panels/PasEtiqueta.h"
#include "wizard/panels/PasPaper.h"
#include "wizard/ui/FrmTolvWiz.h"

#include <QApplication>
#include <QComboBox>
#include <QScrollBar>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QStyledItemDelegate>

#include <algorithm>

namespace kovel::wizard {

using namespace controls;

namespace {

// A picture from its file into its frame, read again only when the file changes; hidden when
// there is none.
void MostraImatge(QLabel* l, const QString& cami)
{
    if (l->property("fitxer").toString() != cami) {
        l->setPixmap(cami.isEmpty() ? QPixmap() : QPixmap(cami));
        l->setProperty("fitxer", cami);
    }
    l->setVisible(!l->pixmap().isNull());
}

// The format list's lines wrapped at the list's width, each as high as its lines.
class LiniesAjustades : public QStyledItemDelegate {
public:
    explicit LiniesAjustades(QListView* llista) : QStyledItemDelegate(llista), llista_(llista) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const int ample = llista_->viewport()->width();
        const int marge = llista_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, llista_) + 1;
        const QRect text = o.fontMetrics.boundingRect(QRect(0, 0, std::max(1, ample - 2 * marge), 100000),
                                                      Qt::TextWordWrap, o.text);
        return QSize(ample, text.height() + 2);
    }

private:
    QListView* llista_;
};

} // namespace

VistaEtiqueta::VistaEtiqueta(FrmTolvWiz& finestra, PasEtiqueta& model) : VistaPas(finestra, model, 2) {}

VistaEtiqueta::~VistaEtiqueta()
{
    etiqueta().Llista.focoLista = nullptr;
    etiqueta().Llista.pitido = nullptr;
}

PasEtiqueta& VistaEtiqueta::etiqueta() const { return static_cast<PasEtiqueta&>(model_); }

void VistaEtiqueta::construeix()
{
    QWidget* p = panel();
    LstEtiquetas = Control<QListView>(p, "LstEtiquetas", Tw(600, 1100, 5600, 4500));
    LstEtiquetas->setModel(&estat().cataleg().Lista);
    LstEtiquetas->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    LstEtiquetas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A line longer than the list goes on in a second (or third) line: reference, description
    // and count are read whole without scrolling sideways.
    LstEtiquetas->setWordWrap(true);
    LstEtiquetas->setResizeMode(QListView::Adjust);
    LstEtiquetas->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LstEtiquetas->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    LstEtiquetas->setItemDelegate(new LiniesAjustades(LstEtiquetas));
    connect(LstEtiquetas->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
        if (omplint())
            return;
        estat().cataleg().Lista.setListIndex(i.row());
        LstEtiquetas_Click();
    });
    connect(LstEtiquetas, &QAbstractItemView::doubleClicked, this, [this] { w_.MostrarPanel(+1); });
    etiqueta().Llista.focoLista = [this] {
        if (LstEtiquetas->isVisible())
            LstEtiquetas->setFocus();
    };
    etiqueta().Llista.pitido = [] { QApplication::beep(); };

    for (int i = 0; i < 3; ++i) {
        optOrden[i] = Membre<BotoImatge>(p, "optOrden", i, Tw(6500, 1100 + 330 * i, 2300, 300));
        FesOpcio(optOrden[i]);
        connect(optOrden[i], &QAbstractButton::clicked, this, [this, i] {
            etiqueta().optOrden_Click(i);
            mostra();
        });
    }
    cboOrdenar = Control<QComboBox>(p, "cboOrdenar", Tw(6500, 2150, 2300, 315));
    connect(cboOrdenar, &QComboBox::activated, this, [this](int i) {
        etiqueta().cboOrdenar_Click(i);
        mostra();
    });
    Etiqueta(p, "lbl_filtre_tamany", Tw(9000, 800, 2300, 300));
    cboMides = Control<QComboBox>(p, "cboMides", Tw(9000, 1100, 2300, 315));
    connect(cboMides, &QComboBox::activated, this, [this](int i) {
        etiqueta().cboMides_Click(i);
        mostra();
    });
    lbl_buscar_ref = Etiqueta(p, "lbl_buscar_ref", Tw(9000, 1550, 2300, 300));
    txtReferencia = Control<QLineEdit>(p, "txtReferencia", Tw(9000, 1850, 1500, 315));
    btn_buscar_ref = Control<BotoImatge>(p, "btn_buscar_ref", Tw(10550, 1850, 750, 315));
    btn_no_buscar = Control<BotoImatge>(p, "btn_no_buscar", Tw(9000, 2250, 2300, 315));
    connect(btn_buscar_ref, &QAbstractButton::clicked, this, [this] {
        etiqueta().btn_buscar_ref_Click(txtReferencia->text());
        w_.mostra();
    });
    txtReferencia->installEventFilter(this);
    connect(btn_no_buscar, &QAbstractButton::clicked, this, [this] {
        etiqueta().btn_no_buscar_Click();
        mostra();
    });

    // The orientation beside the sheet, which takes the middle column's height.
    opt_Vertical = Opcio(p, "opt_Vertical", Tw(9000, 2750, 2300, 300));
    opt_Horizontal = Opcio(p, "opt_Horizontal", Tw(9000, 3150, 2300, 300));
    // Their captions keep the colours of their own faces under the product look.
    opt_Vertical->setProperty("colorsPropis", true);
    opt_Horizontal->setProperty("colorsPropis", true);
    connect(opt_Vertical, &QAbstractButton::clicked, this, [this] {
        etiqueta().Opt_Vertical_Click();
        mostra();
    });
    connect(opt_Horizontal, &QAbstractButton::clicked, this, [this] {
        etiqueta().Opt_Horizontal_Click();
        mostra();
    });
    // The pictures of the two orientations of the chosen paper, under the options.
    img_vertical = Etiqueta(p, "img_vertical", Tw(9000, 4050, 660, 840));
    img_horitzontal = Etiqueta(p, "img_horitzontal", Tw(9900, 4140, 840, 660));
    for (QLabel* img : {img_vertical, img_horitzontal}) {
        img->setAlignment(Qt::AlignCenter);
        img->hide();
    }
    // The sheet preview's place (drawn by the preview code).
    Frame_Hoja = Control<QWidget>(p, "Frame_Hoja", Tw(6450, 2650, 2450, 3250));
    for (int i = 0; i < 6; ++i)
        lbl_inf_etiqueta[i] = Membre<QLabel>(p, "lbl_inf_etiqueta", i, Tw(6450, 5930, 800, 300));
    // The details of the chosen format, beside its orientation.
    cmd_tipo_informacion = Control<BotoImatge>(p, "cmd_tipo_informacion", Tw(9000, 3600, 2300, 360));
    cmd_tipo_informacion->setText(
        ModTraduccion::TextPrograma("FrmTolvWiz.cmd_tipo_informacion", QStringLiteral("Label details...")));
    connect(cmd_tipo_informacion, &QAbstractButton::clicked, this, [this] { cmd_tipo_informacion_Click(); });
    w_.previes().InstalaVistaPrevia(0, {Frame_Hoja, nullptr, nullptr, nullptr, nullptr});
}

void VistaEtiqueta::textos()
{
    ComboEstado& cbo = etiqueta().Llista.cboOrdenar;
    cbo.entradas.clear();
    for (BotoImatge* b : optOrden)
        cbo.entradas << b->text();
    cbo.listIndex = 0;
    cboOrdenar->clear();
    cboOrdenar->addItems(cbo.entradas);
    // With no size chosen the size box says that every size is listed.
    cboMides->setPlaceholderText(ModTraduccion::Literal(29));
    // The search caption as translated; a size filter shows its size in its place.
    etiqueta().Llista.captionBusqueda = lbl_buscar_ref->text();
    etiqueta().Llista.captionBusquedaNegrita = false;
}

void VistaEtiqueta::deixa()
{
    for (QLabel* l : lbl_inf_etiqueta)
        l->setVisible(false);
}

void VistaEtiqueta::mostra()
{
    const bool abans = omplint();
    omplint() = true;
    const EstadoListaEtiquetas& e = etiqueta().Llista;
    for (int i = 0; i < 3; ++i)
        Posa(optOrden[i], e.optOrden[i]);
    cboOrdenar->setCurrentIndex(e.cboOrdenar.listIndex);
    if (cboMides->count() != e.cboMides.entradas.size()) {
        cboMides->clear();
        cboMides->addItems(e.cboMides.entradas);
    }
    cboMides->setCurrentIndex(e.cboMides.listIndex);
    Posa(opt_Horizontal, etiqueta().opt_Horizontal);
    Posa(opt_Vertical, etiqueta().opt_Vertical);
    if (!e.captionBusqueda.isEmpty())
        lbl_buscar_ref->setText(e.captionBusqueda);
    QFont negreta = lbl_buscar_ref->font();
    negreta.setBold(e.captionBusquedaNegrita);
    lbl_buscar_ref->setFont(negreta);
    MostraImatge(img_vertical, estat().pasPaper().imatgeOrientacio(false));
    MostraImatge(img_horitzontal, estat().pasPaper().imatgeOrientacio(true));
    const int linia = estat().cataleg().Lista.ListIndex();
    const QModelIndex idx = estat().cataleg().Lista.index(linia, 0);
    if (LstEtiquetas->currentIndex() != idx) {
        LstEtiquetas->setCurrentIndex(idx);
        if (idx.isValid())
            LstEtiquetas->scrollTo(idx, QAbstractItemView::PositionAtCenter);
    }
    // The size text of the selected format under the preview.
    ModTolvWiz::TextoMedidas mides;
    mides.anchoDe = [this](const QString& t) {
        // The whole drawn text, its last glyph's overhang included.
        const QFontMetrics fm = lbl_inf_etiqueta[0]->fontMetrics();
        return kovel::ui::PxATwips(std::max(fm.horizontalAdvance(t), fm.boundingRect(QRect(0, 0, 10000, 100), 0, t).width()));
    };
    ModTolvWiz::Muestra_MedidasEtiqueta(estat().cataleg(), ModTolvWiz::FormatSeleccionat(estat().cataleg()), mides);
    for (int i = 0; i < 6; ++i) {
        const ModTolvWiz::PiezaTexto& t = mides.pieza[i];
        lbl_inf_etiqueta[i]->setText(t.caption);
        lbl_inf_etiqueta[i]->setGeometry(Tw(6450 + t.left, 5930 + t.top, std::max(t.width, 60), 300));
        lbl_inf_etiqueta[i]->setVisible(t.visible && estat().PanelActual == estat().numerosPanel().PanelEtiqueta);
    }
    w_.previes().Dibuja_HojaEtiquetas(0);
    // The size text centred under the sheet as it is drawn now.
    QRect caixa;
    for (QLabel* l : lbl_inf_etiqueta)
        if (!l->text().isEmpty())
            caixa |= QRect(l->pos(), QSize(l->fontMetrics().horizontalAdvance(l->text()), l->height()));
    if (caixa.isValid()) {
        const int dx = Frame_Hoja->geometry().center().x() - caixa.center().x();
        const int y = std::min(Frame_Hoja->geometry().bottom() + 4, panel()->height() - caixa.height());
        for (QLabel* l : lbl_inf_etiqueta)
            l->move(l->x() + dx, y);
    }
    omplint() = abans;
}

void VistaEtiqueta::LstEtiquetas_Click()
{
    etiqueta().LstEtiquetas_Click(estat().cataleg().Lista.ListIndex());
    mostra();
}

void VistaEtiqueta::cmd_tipo_informacion_Click()
{
    frmOptions f(estat().cataleg());
    f.clicLista = [this] { LstEtiquetas_Click(); };
    f.exec();
}

bool VistaEtiqueta::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != txtReferencia)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        // The reference box takes digits and control keys; Enter runs the search.
        const auto* k = static_cast<QKeyEvent*>(event);
        const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
        if (!enter && (k->text().isEmpty() || k->text()[0].unicode() < 32))
            return false;
        std::int16_t tecla = enter ? 13 : std::int16_t(k->text()[0].unicode());
        etiqueta().txtReferencia_KeyPress(txtReferencia->text(), tecla);
        if (enter)
            w_.mostra();
        return tecla == 0;
    }
    if (event->type() == QEvent::FocusIn) {
        etiqueta().txtReferencia_GotFocus();
        QMetaObject::invokeMethod(txtReferencia, &QLineEdit::selectAll, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kovel::wizard
