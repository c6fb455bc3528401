#include "wizard/ui/FrmTolvWiz.h"

#include "appearance/ui/Aparenca.h"
#include "common/ui/VisualUi.h"
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QScrollBar>
#include "catalogue/ui/VistaPreviaHoja.h"
#include "common/ui/Ajuda.h"

#include "catalogue/Catalogo.h"
#include "catalogue/ListaEtiquetas.h"
#include "catalogue/Unidades.h"
#include "common/BasicRules.h"
#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ui/BotoImatge.h"
#include "common/ui/Finestres.h"
#include "common/ui/ModTolvWizUi.h"
#include "datasources/ClsAccess.h"
#include "datasources/ClsExcel.h"
#include "documents/CodisPrograma.h"
#include "platform/docframe/ui/MarcDocument.h"
#include "platform/paths/Paths.h"
#include "platform/word/Document.h"
#include "wizard/ui/FontsAssistent.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>

namespace kovel::wizard {

using kovel::ui::BotoImatge;
using kovel::ui::Control;
using kovel::ui::Tw;

namespace {

QString Lit(int n) { return ModTraduccion::Literal(n); }

template <typename T>
T* Membre(QWidget* parent, const char* name, int index, const QRect& r)
{
    T* c = Control<T>(parent, name, r);
    c->setProperty("index", index);
    return c;
}

// An option whose group the state keeps: the options of a panel are siblings of several
// groups, so Qt's own exclusivity among siblings would turn off options of other groups.
void FesOpcio(BotoImatge* b)
{
    b->setTipus(BotoImatge::Tipus::Opcio);
    b->setAutoExclusive(false);
}

BotoImatge* Opcio(QWidget* parent, const char* name, const QRect& r)
{
    auto* b = Control<BotoImatge>(parent, name, r);
    FesOpcio(b);
    return b;
}

QLabel* Etiqueta(QWidget* parent, const char* name, const QRect& r, const QString& text = {})
{
    auto* l = Control<QLabel>(parent, name, r);
    l->setText(text);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

// A caption label acts like the control beside it.
void Clicable(QLabel* l, QObject* filtre)
{
    l->installEventFilter(filtre);
    l->setCursor(Qt::PointingHandCursor);
}

void Posa(BotoImatge* b, bool v)
{
    const QSignalBlocker blocker(b);
    b->setValor(v);
}

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

// ---------------------------------------------------------------------------------------------
// Building the window

FrmTolvWiz::FrmTolvWiz(QWidget* parent) : QWidget(parent), estat_(std::make_unique<EstatAssistent>())
{
    setObjectName(QStringLiteral("FrmTolvWiz"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    construeix();
    estat_->progres = [this](int v, int m) { progres(v, m); };
    darrerBomba_.start();
    estat_->bomba = [this]() {
        // Often enough to keep the window painted, seldom enough to cost nothing.
        if (darrerBomba_.elapsed() >= 40) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            darrerBomba_.restart();
        }
    };
    estat_->obridor = [](const QString& cami) { ModTolvWiz::Abre_Documento(cami); };
    codis_ = std::make_unique<generar_doc::CodisPrograma>();
    estat_->setCodis(codis_.get());
    connectaGuardats();
}

FrmTolvWiz::~FrmTolvWiz()
{
    estat_->cataleg().Panel.focoLista = nullptr;
    estat_->cataleg().Panel.pitido = nullptr;
    estat_->cataleg().Panel.clicLista = nullptr;
    estat_->bomba = nullptr;
    estat_->progres = nullptr;
    // The sheet preview asks this window's cells; they go with it.
    vistes_.Contexto.casellaActual = nullptr;
    vistes_.Contexto.casellaBuida = nullptr;
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
    for (int i = 0; i < 10; ++i) {
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
        Clicable(l, this);
    connect(cmd_ayuda, &QAbstractButton::clicked, this, [this] { MostrarAjuda(); });
    connect(cmd_email, &QAbstractButton::clicked, this,
            [this] { ModTolvWiz::Abre_Documento(cmd_email->property("tag").toString()); });

    construeixInici();
    construeixPaper();
    construeixEtiqueta();
    construeixOrigen();
    construeixDisseny();
    construeixFinal();
    construeixGuardats();
    Clicable(lbl_check_formato, this);
    // The sheet previews: beside the format list, and the cells of the design panel.
    vistes_.InstalaVistaPrevia(0, {Frame_Hoja, nullptr, nullptr, nullptr, nullptr});
    vistes_.InstalaVistaPrevia(1, {PnlHoja, nullptr, LblHoja, dsoFraWord, panels_[5]});
    connectaMarc();
    // Where this window's panels keep them: the centres and widest widths, in twips.
    vistes_.Contexto.medidas = {7675, 9750, 9750, 9750, 2450, 3100, 3100};
}

void FrmTolvWiz::construeixInici()
{
    QWidget* p = panels_[0];
    lblTit[0]->setGeometry(Tw(600, 1500, 6000, 1400));
    lbl_version = Etiqueta(p, "lbl_version", Tw(600, 5400, 3000, 300));
    // The web banner's place; it stays out of sight until its page has loaded.
    // The banner control itself is made by the banner's loading, under this name.
}

void FrmTolvWiz::construeixPaper()
{
    QWidget* p = panels_[1];
    static const char* const opts[5] = {"optDinA4", "optContinuo", "optLetter", "optDinA5", "optTermic"};
    static const char* const descr[5] = {"lblDescrDinA4", "lblDescrContinuo", "lblDescrLetter", "lblDescrDinA5", "lblDescrTermic"};
    static const char* const imgs[5] = {"ImgDinA4", "ImgContinuo", "ImgLetter", "ImgDinA5", "ImgTermic"};
    for (int t = 0; t < 5; ++t) {
        // Designed one under another in the order A5, A4, continuous, Letter, thermal.
        static const int fila[5] = {1, 2, 3, 0, 4};
        optPapel[t] = Opcio(p, opts[t], Tw(900, 1760 + 789 * fila[t], 330, 330));
        lblDescrPapel[t] = Etiqueta(p, descr[t], Tw(1350, 1760 + 789 * fila[t], 4200, 330));
        lblDescrPapel[t]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Clicable(lblDescrPapel[t], this);
        ImgPapel[t] = Etiqueta(p, imgs[t], Tw(6500, 1300, 3200, 3900));
        ImgPapel[t]->setFrameShape(QFrame::Box);
        ImgPapel[t]->hide();
        connect(optPapel[t], &QAbstractButton::clicked, this, [this, t] { paper(t); });
    }
    static const char* const mides[6] = {"lblMidesA4amp", "lblMidesA4llarg", "lblMidesLetterAmp",
                                         "lblMidesLetterLlarg", "lblMidesA5amp", "lblMidesA5llarg"};
    static const char* const textos[6] = {"210 mm", "297 mm", "8.5 in", "11 in", "148 mm", "210 mm"};
    for (int i = 0; i < 6; ++i) {
        lblMides[i] = Etiqueta(p, mides[i], i % 2 == 0 ? Tw(6500, 5300, 3200, 300) : Tw(9800, 1300, 1300, 300),
                               QString::fromLatin1(textos[i]));
        lblMides[i]->setAlignment(Qt::AlignCenter);
        lblMides[i]->hide();
    }
}

void FrmTolvWiz::construeixEtiqueta()
{
    QWidget* p = panels_[2];
    LstEtiquetas = Control<QListView>(p, "LstEtiquetas", Tw(600, 1100, 5600, 4500));
    LstEtiquetas->setModel(&estat_->cataleg().Lista);
    LstEtiquetas->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    LstEtiquetas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A line longer than the list goes on in a second (or third) line: reference, description
    // and count are read whole without scrolling sideways.
    LstEtiquetas->setWordWrap(true);
    LstEtiquetas->setResizeMode(QListView::Adjust);
    LstEtiquetas->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LstEtiquetas->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    LstEtiquetas->setItemDelegate(new LiniesAjustades(LstEtiquetas));
    connect(LstEtiquetas->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& i) {
                if (omplint_)
                    return;
                estat_->cataleg().Lista.setListIndex(i.row());
                LstEtiquetas_Click();
            });
    connect(LstEtiquetas, &QAbstractItemView::doubleClicked, this, [this] { MostrarPanel(+1); });
    estat_->cataleg().Panel.focoLista = [this] {
        if (LstEtiquetas->isVisible())
            LstEtiquetas->setFocus();
    };
    estat_->cataleg().Panel.pitido = [] { QApplication::beep(); };
    estat_->cataleg().Panel.clicLista = [this] { LstEtiquetas_Click(); };

    for (int i = 0; i < 3; ++i) {
        optOrden[i] = Membre<BotoImatge>(p, "optOrden", i, Tw(6500, 1100 + 330 * i, 2300, 300));
        FesOpcio(optOrden[i]);
        connect(optOrden[i], &QAbstractButton::clicked, this, [this, i] {
            estat_->optOrden_Click(i);
            mostraEtiqueta();
        });
    }
    cboOrdenar = Control<QComboBox>(p, "cboOrdenar", Tw(6500, 2150, 2300, 315));
    connect(cboOrdenar, &QComboBox::activated, this, [this](int i) {
        estat_->cataleg().Panel.cboOrdenar.listIndex = i;
        ModTolvWiz::Autocompleta_Orden(estat_->cataleg());
        mostraEtiqueta();
    });
    Etiqueta(p, "lbl_filtre_tamany", Tw(9000, 800, 2300, 300));
    cboMides = Control<QComboBox>(p, "cboMides", Tw(9000, 1100, 2300, 315));
    connect(cboMides, &QComboBox::activated, this, [this](int i) {
        estat_->cataleg().Panel.cboMides.listIndex = i;
        ModTolvWiz::Selecciona_Medida(estat_->cataleg());
        mostraEtiqueta();
    });
    lbl_buscar_ref = Etiqueta(p, "lbl_buscar_ref", Tw(9000, 1550, 2300, 300));
    txtReferencia = Control<QLineEdit>(p, "txtReferencia", Tw(9000, 1850, 1500, 315));
    btn_buscar_ref = Control<BotoImatge>(p, "btn_buscar_ref", Tw(10550, 1850, 750, 315));
    btn_no_buscar = Control<BotoImatge>(p, "btn_no_buscar", Tw(9000, 2250, 2300, 315));
    auto cerca = [this] {
        estat_->cataleg().Panel.txtReferencia = txtReferencia->text();
        ModTolvWiz::Buscar_Referencia(estat_->cataleg());
        mostra();
    };
    connect(btn_buscar_ref, &QAbstractButton::clicked, this, cerca);
    txtReferencia->installEventFilter(this);
    connect(btn_no_buscar, &QAbstractButton::clicked, this, [this] {
        estat_->cataleg().Panel.cboMides.listIndex = -1;
        ModTolvWiz::Filtra_PorMedidas(estat_->cataleg());
        mostraEtiqueta();
    });

    // The orientation beside the sheet, which takes the middle column's height.
    opt_Vertical = Opcio(p, "opt_Vertical", Tw(9000, 2750, 2300, 300));
    opt_Horizontal = Opcio(p, "opt_Horizontal", Tw(9000, 3150, 2300, 300));
    connect(opt_Vertical, &QAbstractButton::clicked, this, [this] { Opt_Vertical_Click(); });
    connect(opt_Horizontal, &QAbstractButton::clicked, this, [this] { Opt_Horizontal_Click(); });
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
}

void FrmTolvWiz::construeixOrigen()
{
    QWidget* p = panels_[3];
    for (int i = 0; i < 4; ++i) {
        opcOrigDatos[i] = Membre<BotoImatge>(p, "opcOrigDatos", i, Tw(900, 1500 + 800 * i, 330, 330));
        FesOpcio(opcOrigDatos[i]);
        Label_opcDatos[i] = Membre<QLabel>(p, "Label_opcDatos", i, Tw(1350, 1500 + 800 * i, 4800, 700));
        Label_opcDatos[i]->setWordWrap(true);
        Label_opcDatos[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        Clicable(Label_opcDatos[i], this);
        connect(opcOrigDatos[i], &QAbstractButton::clicked, this, [this, i] {
            estat_->opcOrigDatos_Click(i);
            mostraOrigen();
            CmdSiguiente->setFocus();
        });
    }
    LstHojas = Control<QListWidget>(p, "LstHojas", Tw(900, 1500, 4800, 3900));
    LstTablas = Control<QListWidget>(p, "LstTablas", Tw(900, 1500, 4800, 3900));
    connect(LstHojas, &QListWidget::currentRowChanged, this, [this](int r) {
        if (!omplint_)
            estat_->LstHojas_Click(r);
    });
    connect(LstTablas, &QListWidget::currentRowChanged, this, [this](int r) {
        if (!omplint_)
            estat_->LstTablas_Click(r);
    });
    connect(LstHojas, &QListWidget::itemDoubleClicked, this, [this] { MostrarPanel(+1); });
    connect(LstTablas, &QListWidget::itemDoubleClicked, this, [this] { MostrarPanel(+1); });
    PctProgressBarHojas = Control<QProgressBar>(p, "PctProgressBarHojas", Tw(900, 5500, 4800, 250));
    lblProgresoHojas = Etiqueta(p, "lblProgresoHojas", Tw(900, 5200, 4800, 300));
    pctProgressBarTablas = Control<QProgressBar>(p, "pctProgressBarTablas", Tw(900, 5500, 4800, 250));
    lblProgresoTablas = Etiqueta(p, "lblProgresoTablas", Tw(900, 5200, 4800, 300));
    pctExcelPanel3 = Etiqueta(p, "pctExcelPanel3", Tw(6400, 1300, 4900, 4300));
    pctAccessPanel3 = Etiqueta(p, "pctAccessPanel3", Tw(6400, 1300, 4900, 4300));
    // The hosts' backgrounds of the panel's right side: other controls may stand on them.
    pctExcelPanel3->setProperty("fons", true);
    pctAccessPanel3->setProperty("fons", true);
    for (QWidget* w : std::initializer_list<QWidget*>{LstHojas, LstTablas, PctProgressBarHojas, lblProgresoHojas,
                                                      pctProgressBarTablas, lblProgresoTablas, pctExcelPanel3,
                                                      pctAccessPanel3})
        w->hide();
}

void FrmTolvWiz::construeixFinal()
{
    QWidget* p = panels_[6];
    img_final1 = Etiqueta(p, "img_final1", Tw(600, 1100, 5000, 4300));
    img_final2 = Etiqueta(p, "img_final2", Tw(600, 1100, 5000, 4300));
    LblPresentacion = Etiqueta(p, "LblPresentacion", Tw(600, 1100, 5000, 600));
    LblPresentacion2 = Etiqueta(p, "LblPresentacion2", Tw(6200, 2500, 5000, 2000));
    LblDistribucion = Etiqueta(p, "LblDistribucion", Tw(6100, 3000, 5100, 300));
    for (int i = 0; i < 2; ++i) {
        OpcEtiqpag[i] = Membre<BotoImatge>(p, "OpcEtiqpag", i, Tw(6200, 4500 + 400 * i, 330, 330));
        FesOpcio(OpcEtiqpag[i]);
        lblEtiqpag[i] = Membre<QLabel>(p, "lblEtiqpag", i, Tw(6650, 4500 + 400 * i, 4600, 330));
        lblEtiqpag[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Clicable(lblEtiqpag[i], this);
        connect(OpcEtiqpag[i], &QAbstractButton::clicked, this, [this, i] {
            estat_->OpcEtiqpag_Click(i);
            mostraFinal();
        });
    }
    lblFila_inicial = Etiqueta(p, "lblFila_inicial", Tw(6500, 4500, 1900, 300));
    txtFila_inicial = Control<QLineEdit>(p, "txtFila_inicial", Tw(8500, 4400, 1000, 315));
    lblFila_final = Etiqueta(p, "lblFila_final", Tw(6500, 4900, 1900, 300));
    txtFila_final = Control<QLineEdit>(p, "txtFila_final", Tw(8500, 4800, 1000, 315));
    for (QLineEdit* e : {txtFila_inicial, txtFila_final}) {
        e->setMaxLength(9);
        e->installEventFilter(this);
        connect(e, &QLineEdit::textEdited, this, [this] {
            estat_->txtFila_inicial = txtFila_inicial->text();
            estat_->txtFila_final = txtFila_final->text();
            estat_->PanelesLlenos[PanelFinal] = 0;
        });
    }
    Check_Copias = Control<QCheckBox>(p, "Check_Copias", Tw(600, 5500, 300, 300));
    lbl_copias = Etiqueta(p, "lbl_copias", Tw(950, 5500, 2000, 300));
    Clicable(lbl_copias, this);
    lbl_NumCopias = Etiqueta(p, "lbl_NumCopias", Tw(3000, 5500, 1200, 300));
    txt_copias = Control<QLineEdit>(p, "txt_copias", Tw(4250, 5480, 600, 315));
    ScrollCopias = Control<QScrollBar>(p, "ScrollCopias", Tw(4850, 5480, 240, 315));
    ScrollCopias->setRange(0, 100);
    ScrollCopias->setValue(50);
    connect(Check_Copias, &QCheckBox::clicked, this, [this](bool b) {
        estat_->Check_Copias_Click(b);
        mostraFinal();
    });
    txt_copias->installEventFilter(this);
    connect(txt_copias, &QLineEdit::textEdited, this, [this](const QString& t) { estat_->txt_copias_Change(t); });
    connect(ScrollCopias, &QScrollBar::valueChanged, this, [this](int v) {
        if (v == 50)
            return;
        bool numeric = false;
        const double n = estat_->txt_copias.toDouble(&numeric);
        if (!numeric) {
            estat_->txt_copias_Change(QStringLiteral("1"));
        } else if (n > 1 && v > 50) {
            estat_->txt_copias_Change(QString::number(n - 1));
        } else if (n < 99 && v < 50) {
            estat_->txt_copias_Change(QString::number(n + 1));
        }
        if (numeric)
            ScrollCopias->setValue(50);
        mostraFinal();
    });
    cmdPresentacion = Control<BotoImatge>(p, "cmdPresentacion", Tw(9300, 5300, 1900, 400));
    connect(cmdPresentacion, &QAbstractButton::clicked, this, [this] { cmdPresentacion_Click(); });
    PctProgressBar = Control<QProgressBar>(p, "PctProgressBar", Tw(600, 5950, 10600, 220));
    LblProgreso = Etiqueta(p, "LblProgreso", Tw(600, 5650, 5000, 300));
    PctProgressBar->hide();
    LblProgreso->hide();
}

void FrmTolvWiz::construeixGuardats()
{
    QWidget* p = panels_[9];
    lblDissenysTrobats = Etiqueta(p, "lblDissenysTrobats", Tw(600, 1100, 10400, 600));
    cmdCrear = Opcio(p, "cmdCrear", Tw(600, 1900, 2200, 400));
    cmdObrir = Opcio(p, "cmdObrir", Tw(600, 2400, 2200, 400));
    lstGuardats = Control<QListWidget>(p, "lstGuardats", Tw(3000, 1900, 8000, 3700));
    cmdGuardar = Control<BotoImatge>(panels_[5], "cmdGuardar", Tw(8200, 5700, 3000, 400));
    cmdGuardar->hide();
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
    lbl_version->setText(EstatAssistent::TextVersio(ModReg::RutaPrograma()));
    if (!ModTolvWiz::Carga_Catalogo(estat_->cataleg(), missatge))
        return falla();
    if (estat_->esAccess()) {
        DatosAccess = std::make_unique<ClsAccess>();
        if (!DatosAccess->Conectar(missatge))
            return falla();
        font_ = std::make_unique<FontAccess>(*DatosAccess);
    } else if (estat_->esExcel()) {
        DatosExcel = std::make_unique<ClsExcel>();
        QCoreApplication::processEvents();
        if (!DatosExcel->Conectar(missatge))
            return falla();
        font_ = std::make_unique<FontExcel>(*DatosExcel);
    }
    estat_->setFont(font_.get());
    Prepara_Asistente();
    ModTraduccion::TraduirFormulari(this);
    Prepara_Textos();
    if (estat_->esAccess())
        Adaptaciones_para_Access();
    else if (estat_->esExcel())
        Adaptaciones_para_Excel();
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
    KOVEL_espec::PosaFons(panels_[PanelInicio], QStringLiteral("FONSHOME.DAT"));
    KOVEL_espec::PosaFons(PanelBaix, QStringLiteral("FONSEGONA_BAIX.DAT"));
    for (int i = 1; i <= UltimoPanel && i < 10; ++i)
        KOVEL_espec::PosaFons(panels_[i], QStringLiteral("FONSEGONA_DALT.DAT"));
    KOVEL_espec::PosaFons(panels_[5], QStringLiteral("FONSEGONA_DALT2.DAT"));
    KOVEL_espec::PosaFons(pctAccessPanel3, QStringLiteral("fons_dreta.dat"));
    KOVEL_espec::PosaFons(pctExcelPanel3, QStringLiteral("fons_dreta.dat"));
    KOVEL_espec::PosaFons(panels_[PanelFinal], QStringLiteral("fonsfinal_comu.dat"));
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
    // Captions on the light faces in the highlight colour, white on the chosen one.
    for (BotoImatge* b : findChildren<BotoImatge*>()) {
        if (b->teImatges() && b->objectName() != QLatin1String("opt_Vertical")
            && b->objectName() != QLatin1String("opt_Horizontal")) {
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
    // The paper pictures stand in their frames without a box, and the frames scale with the
    // window like every other control.
    for (QLabel* img : ImgPapel)
        if (!img->pixmap().isNull()) {
            img->setFrameShape(QFrame::NoFrame);
            img->setAlignment(Qt::AlignCenter);
            img->setProperty("imatge", false);
        }
    for (QLabel* fons : {pctExcelPanel3, pctAccessPanel3})
        fons->setProperty("imatge", false);
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
    for (int i = 1; i < 10; ++i)
        if (i != PanelFinal)
            lblTit[i]->move(lblTit[1]->pos());
    QString text;
    if (estat_->esWord())
        text = Lit(7020);
    else if (estat_->esExcel())
        text = Lit(7021).replace(QLatin1String("provarvt.xls"), font_ ? font_->fitxer() : QString(), Qt::CaseInsensitive);
    else if (estat_->esAccess())
        text = Lit(7022).replace(QLatin1String("provarvt.mda"), font_ ? font_->fitxer() : QString(), Qt::CaseInsensitive);
    lblDissenysTrobats->setText(text);
    estat_->Prepara();
    MostrarPanel(+1);
}

void FrmTolvWiz::Prepara_Textos()
{
    cmd_email->setProperty("tag", ModTraduccion::CercarLiteral(QStringLiteral("FrmTolvWiz.cmd_email.Tag")));
    img_web->setProperty("tag", ModTraduccion::CercarLiteral(QStringLiteral("FrmTolvWiz.img_web.Tag")));
    ComboEstado& cbo = estat_->cataleg().Panel.cboOrdenar;
    cbo.entradas.clear();
    for (BotoImatge* b : optOrden)
        cbo.entradas << b->text();
    cbo.listIndex = 0;
    cboOrdenar->clear();
    cboOrdenar->addItems(cbo.entradas);
    // With no size chosen the size box says that every size is listed.
    cboMides->setPlaceholderText(Lit(29));
    // The search caption as translated; a size filter shows its size in its place.
    estat_->cataleg().Panel.captionBusqueda = lbl_buscar_ref->text();
    estat_->cataleg().Panel.captionBusquedaNegrita = false;
    if (estat_->esWord())
        CmdBorrar->setToolTip(Lit(27));
    AlineaOpcionsPaper();
}

void FrmTolvWiz::Adaptaciones_para_Access()
{
    lblTit[3]->setText(Lit(6021));
}

void FrmTolvWiz::Adaptaciones_para_Excel()
{
    lblTit[4]->setText(Lit(503));
    lblTit[3]->resize(int(width() - 1.5 * lblTit[3]->x()), lblTit[3]->height());
    lblTit[3]->setText(Lit(6020));
}

// The visible paper types one under another from 1760 twips, spread evenly over 3945.
void FrmTolvWiz::AlineaOpcionsPaper()
{
    const auto visibles = estat_->TiposPapelVisibles();
    static const int ordre[5] = {PapelA5, PapelA4, PapelContinuo, PapelLetter, PapelTermico};
    std::array<bool, 5> enOrdre{};
    for (int t = 0; t < 5; ++t) {
        lblDescrPapel[t]->setVisible(visibles[t]);
        optPapel[t]->setVisible(visibles[t]);
    }
    for (int i = 0; i < 5; ++i)
        enOrdre[i] = visibles[ordre[i]];
    // The look's stacking rule; with no paper type offered nothing moves.
    const auto tops = KOVEL_espec::AlineaOpcionsPaper(enOrdre);
    if (std::none_of(tops.begin(), tops.end(), [](const auto& t) { return t.has_value(); }))
        return;
    for (int i = 0; i < 5; ++i)
        if (tops[i]) {
            optPapel[ordre[i]]->move(optPapel[ordre[i]]->x(), kovel::ui::Px(*tops[i]));
            lblDescrPapel[ordre[i]]->move(lblDescrPapel[ordre[i]]->x(), kovel::ui::Px(*tops[i]));
        }
    // The catalogue loader then closes the gaps of missing paper types: the continuous
    // paper's place goes to Letter and Letter's to thermal, then Letter's to thermal again.
    const auto pren = [this](int qui, int de) {
        optPapel[qui]->move(optPapel[qui]->x(), optPapel[de]->y());
        lblDescrPapel[qui]->move(lblDescrPapel[qui]->x(), lblDescrPapel[de]->y());
    };
    if (!visibles[PapelContinuo]) {
        pren(PapelTermico, PapelLetter);
        pren(PapelLetter, PapelContinuo);
    }
    if (!visibles[PapelLetter])
        pren(PapelTermico, PapelLetter);
}

void FrmTolvWiz::AjustaTitolPanel()
{
    lblTit[6]->setGeometry(Tw(6200, 1500, 5000, lblTit[6]->height() * 15));
    LblPresentacion2->setText(Lit(504));
    LblPresentacion2->setGeometry(Tw(6200, 2500, 5000, 2000));
}

void FrmTolvWiz::AjustaPanelDistribucio()
{
    lblTit[6]->setGeometry(Tw(6100, 900, 5100, lblTit[6]->height() * 15));
    LblPresentacion2->setText(Lit(504) + QStringLiteral("\r\n") + Lit(506));
    LblPresentacion2->setGeometry(Tw(6100, 1700, 5100, 1500));
    // As high as its text, so that it never reaches the choice under it.
    LblPresentacion2->resize(LblPresentacion2->width(),
                             std::min(LblPresentacion2->height(), LblPresentacion2->heightForWidth(LblPresentacion2->width())));
    LblDistribucion->setGeometry(Tw(6100, 3000, 5100, 300));
    OpcEtiqpag[0]->move(Tw(6100, 3400, 0, 0).topLeft());
    OpcEtiqpag[1]->move(Tw(6100, 3800, 0, 0).topLeft());
    lblEtiqpag[0]->setGeometry(Tw(6550, 3400, 4650, 330));
    lblEtiqpag[1]->setGeometry(Tw(6550, 3800, 4650, 330));
    QFont negreta = lblEtiqpag[0]->font();
    negreta.setBold(true);
    lblEtiqpag[0]->setFont(negreta);
    lblEtiqpag[1]->setFont(negreta);
    txtFila_inicial->move(Tw(8500, 4400, 0, 0).topLeft());
    lblFila_inicial->move(Tw(6500, 4450, 0, 0).topLeft());
    txtFila_final->move(Tw(8500, 4800, 0, 0).topLeft());
    lblFila_final->move(Tw(6500, 4850, 0, 0).topLeft());
}

// ---------------------------------------------------------------------------------------------
// Handlers that other parts of the program run too

void FrmTolvWiz::paper(int tipus)
{
    estat_->optPapel_Click(tipus);
    mostra();
}

void FrmTolvWiz::LstEtiquetas_Click()
{
    estat_->LstEtiquetas_Click(estat_->cataleg().Lista.ListIndex());
    mostraEtiqueta();
}

void FrmTolvWiz::Opt_Vertical_Click()
{
    estat_->Opt_Vertical_Click();
    mostraEtiqueta();
}

void FrmTolvWiz::Opt_Horizontal_Click()
{
    estat_->Opt_Horizontal_Click();
    mostraEtiqueta();
}

// ---------------------------------------------------------------------------------------------
// Moves

void FrmTolvWiz::MostrarPanel(int dir)
{
    if (estat_->Generando)
        return;
    const std::int16_t abans = estat_->PanelActual;
    const bool finalPanel = abans == PanelFinal && abans >= 0 && dir > 0;
    if (finalPanel) {
        PctProgressBar->show();
        LblProgreso->show();
        modoEspera(true);
    }
    omplint_ = true;
    const Moviment m = estat_->MostrarPanel(dir);
    omplint_ = false;
    if (finalPanel) {
        modoEspera(false);
        PctProgressBar->hide();
        LblProgreso->hide();
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
    if (abans >= 0 && abans < 10)
        panels_[abans]->hide();
    mostra();
    panels_[estat_->PanelActual]->show();
    if (QWidget* w = findChild<QWidget*>(estat_->focusTarget()); w && w->isVisible())
        w->setFocus();
}

void FrmTolvWiz::cmdPresentacion_Click()
{
    if (estat_->Generando)
        return;
    PctProgressBar->show();
    LblProgreso->show();
    modoEspera(true);
    const Avis avis = estat_->Presentacion();
    modoEspera(false);
    PctProgressBar->hide();
    LblProgreso->hide();
    avisa(avis);
}

void FrmTolvWiz::MostrarAjuda() { ModTolvWiz::MostrarAjuda(); }

void FrmTolvWiz::avisa(const Avis& avis)
{
    if (!avis.buit())
        ModTolvWiz::Mensaje_Error(avis.text);
}

void FrmTolvWiz::modoEspera(bool espera)
{
    setEnabled(!espera);
    ModTolvWiz::Puntero_Espera(espera);
}

void FrmTolvWiz::progres(int valor, int maxim)
{
    QProgressBar* barra = PctProgressBar;
    if (estat_->PanelActual == PanelOrigenDatos && !estat_->esWord()) {
        // The list is read again at every showing: its progress shows in its place.
        const bool access = estat_->esAccess();
        barra = access ? pctProgressBarTablas : PctProgressBarHojas;
        QLabel* text = access ? lblProgresoTablas : lblProgresoHojas;
        if (!barra->isVisible()) {
            barra->resize(panels_[PanelOrigenDatos]->width() - barra->x() - kovel::ui::Px(100), barra->height());
            (access ? LstTablas : LstHojas)->hide();
            lblTit[PanelOrigenDatos]->hide();
            barra->show();
            text->show();
            panels_[PanelOrigenDatos]->show();
        }
    }
    if (barra->maximum() != maxim)
        barra->setRange(0, maxim);
    barra->setValue(maxim > 0 ? std::min(valor, maxim) : 0);
}

void FrmTolvWiz::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && panels_[5]->isVisible())
        dsoFraWord->setFocus();
    QWidget::changeEvent(event);
}

void FrmTolvWiz::closeEvent(QCloseEvent* event)
{
    if (estat_->PanelActual > PanelInicio && estat_->AsistenteActivo && !ModTolvWiz::Pregunta_SiNo(Lit(7))) {
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
        else if (watched == lbl_ayuda)
            MostrarAjuda();
        else if (watched == lbl_email)
            ModTolvWiz::Abre_Documento(cmd_email->property("tag").toString());
        else if (watched == img_web)
            ModTolvWiz::Abre_Documento(img_web->property("tag").toString());
        else if (watched == lbl_check_formato)
            Check_Formato->setCheckState(Check_Formato->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        else if (watched == lbl_copias) {
            Check_Copias->setChecked(!Check_Copias->isChecked());
            estat_->Check_Copias_Click(Check_Copias->isChecked());
            mostraFinal();
        } else {
            for (int t = 0; t < 5; ++t)
                if (watched == lblDescrPapel[t])
                    optPapel[t]->click();
            for (int i = 0; i < 4; ++i)
                if (watched == Label_opcDatos[i])
                    opcOrigDatos[i]->click();
            for (int i = 0; i < 2; ++i)
                if (watched == lblEtiqpag[i])
                    OpcEtiqpag[i]->click();
        }
        return false;
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (int i = 0; i < 4; ++i)
            if (watched == Label_opcDatos[i])
                MostrarPanel(+1);
        return false;
    }
    if (watched == txtReferencia) {
        if (event->type() == QEvent::KeyPress) {
            // The reference box takes digits and control keys; Enter runs the search.
            const auto* k = static_cast<QKeyEvent*>(event);
            const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
            if (!enter && (k->text().isEmpty() || k->text()[0].unicode() < 32))
                return false;
            std::int16_t tecla = enter ? 13 : std::int16_t(k->text()[0].unicode());
            estat_->cataleg().Panel.txtReferencia = txtReferencia->text();
            ModTolvWiz::Filtra_TeclaReferencia(estat_->cataleg(), tecla);
            if (enter)
                mostra();
            return tecla == 0;
        }
        if (event->type() == QEvent::FocusIn) {
            ModTolvWiz::Selecciona_TextoReferencia(estat_->cataleg());
            QMetaObject::invokeMethod(txtReferencia, &QLineEdit::selectAll, Qt::QueuedConnection);
        }
        return QWidget::eventFilter(watched, event);
    }
    if (watched == txt_copias) {
        if (event->type() == QEvent::KeyPress) {
            // Digits and control keys pass, Enter too is dropped; no beep.
            const auto* k = static_cast<QKeyEvent*>(event);
            const QString t = k->text();
            if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter
                || (!t.isEmpty() && t[0].unicode() >= 32 && !t[0].isDigit()))
                return true;
        } else if (event->type() == QEvent::FocusIn) {
            QMetaObject::invokeMethod(txt_copias, &QLineEdit::selectAll, Qt::QueuedConnection);
        } else if (event->type() == QEvent::FocusOut) {
            bool numeric = false;
            txt_copias->text().toDouble(&numeric);
            if (!numeric) {
                txt_copias->setText(QStringLiteral("2"));
                estat_->txt_copias_Change(txt_copias->text());
            }
        }
        return QWidget::eventFilter(watched, event);
    }
    auto* e = qobject_cast<QLineEdit*>(watched);
    if (e && (e == txtFila_inicial || e == txtFila_final)) {
        if (event->type() == QEvent::KeyPress) {
            const auto* k = static_cast<QKeyEvent*>(event);
            const QString t = k->text();
            if (!t.isEmpty() && t[0].unicode() >= 32 && !t[0].isDigit()) {
                QApplication::beep();
                return true;
            }
        } else if (event->type() == QEvent::FocusIn) {
            QMetaObject::invokeMethod(e, &QLineEdit::selectAll, Qt::QueuedConnection);
        } else if (event->type() == QEvent::FocusOut && !filaEnCurs_) {
            txtFila_Validate(e == txtFila_inicial);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FrmTolvWiz::txtFila_Validate(bool inicial)
{
    filaEnCurs_ = true;
    QLineEdit* box = inicial ? txtFila_inicial : txtFila_final;
    QLineEdit* altre = inicial ? txtFila_final : txtFila_inicial;
    const ValidacioFila v = inicial ? Valida_FilaInicial(box->text(), altre->text(), estat_->UltimaFilaHoja)
                                    : Valida_FilaFinal(box->text(), altre->text(), estat_->UltimaFilaHoja);
    box->setText(v.text);
    if (v.canviaAltre)
        altre->setText(v.textAltre);
    if (v.beep)
        QApplication::beep();
    estat_->txtFila_inicial = txtFila_inicial->text();
    estat_->txtFila_final = txtFila_final->text();
    if (v.cancel)
        box->setFocus();
    else if (v.focusAltre)
        altre->setFocus();
    filaEnCurs_ = false;
}

// ---------------------------------------------------------------------------------------------
// Showing the state

void FrmTolvWiz::mouEnllacos(int panel)
{
    if (panel <= 0 || panel >= 10)
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
    if (p < 0 || p >= 10)
        return;
    omplint_ = true;
    mouEnllacos(p);
    setProperty("HelpContextID", p <= 2 ? 2000 + 10 * (p + 1) : 2000 + 10 * p);
    // The guard runs while the design frame has the focus (FrmTolvWizDisseny.cpp).
    if (p != PanelDiseno)
        TimerEvitar2pags->stop();
    CmdAnterior->setVisible(estat_->anteriorVisible());
    lblAnterior->setVisible(CmdAnterior->isVisibleTo(PanelBaix));
    lblSiguiente->setText(estat_->esUltimPanel() ? Lit(13) : Lit(14));
    for (QLabel* l : lbl_inf_etiqueta)
        l->setVisible(p == PanelEtiqueta);
    if (p == PanelFormato)
        mostraPaper();
    else if (p == PanelEtiqueta)
        mostraEtiqueta();
    else if (p == PanelOrigenDatos)
        mostraOrigen();
    else if (p == PanelDiseno)
        mostraDisseny();
    else if (p == PanelFinal)
        mostraFinal();
    else if (p == PanelGuardados)
        mostraGuardats();
    omplint_ = false;
}

void FrmTolvWiz::mostraPaper()
{
    const auto& opt = estat_->cataleg().Panel.optPapel;
    static const int parella[5] = {0, -1, 2, 4, -1};   // first size caption of each paper
    for (QLabel* l : lblMides)
        l->hide();
    for (int t = 0; t < 5; ++t) {
        Posa(optPapel[t], opt[t]);
        ImgPapel[t]->setVisible(opt[t]);
        if (opt[t] && parella[t] >= 0) {
            lblMides[parella[t]]->show();
            lblMides[parella[t] + 1]->show();
        }
    }
}

void FrmTolvWiz::mostraEtiqueta()
{
    const bool abans = omplint_;
    omplint_ = true;
    EstadoPanelEtiquetas& e = estat_->cataleg().Panel;
    for (int i = 0; i < 3; ++i)
        Posa(optOrden[i], e.optOrden[i]);
    cboOrdenar->setCurrentIndex(e.cboOrdenar.listIndex);
    if (cboMides->count() != e.cboMides.entradas.size()) {
        cboMides->clear();
        cboMides->addItems(e.cboMides.entradas);
    }
    cboMides->setCurrentIndex(e.cboMides.listIndex);
    Posa(opt_Horizontal, e.opt_Horizontal);
    Posa(opt_Vertical, e.opt_Vertical);
    if (!e.captionBusqueda.isEmpty())
        lbl_buscar_ref->setText(e.captionBusqueda);
    QFont negreta = lbl_buscar_ref->font();
    negreta.setBold(e.captionBusquedaNegrita);
    lbl_buscar_ref->setFont(negreta);
    MostraImatge(img_vertical, e.img_vertical);
    MostraImatge(img_horitzontal, e.img_horitzontal);
    const int linia = estat_->cataleg().Lista.ListIndex();
    const QModelIndex idx = estat_->cataleg().Lista.index(linia, 0);
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
    ModTolvWiz::Muestra_MedidasEtiqueta(estat_->cataleg(), ModTolvWiz::FormatSeleccionat(estat_->cataleg()), mides);
    for (int i = 0; i < 6; ++i) {
        const ModTolvWiz::PiezaTexto& t = mides.pieza[i];
        lbl_inf_etiqueta[i]->setText(t.caption);
        lbl_inf_etiqueta[i]->setGeometry(Tw(6450 + t.left, 5930 + t.top, std::max(t.width, 60), 300));
        lbl_inf_etiqueta[i]->setVisible(t.visible && estat_->PanelActual == PanelEtiqueta);
    }
    vistes_.Dibuja_HojaEtiquetas(0);
    // The size text centred under the sheet as it is drawn now.
    QRect caixa;
    for (QLabel* l : lbl_inf_etiqueta)
        if (!l->text().isEmpty())
            caixa |= QRect(l->pos(), QSize(l->fontMetrics().horizontalAdvance(l->text()), l->height()));
    if (caixa.isValid()) {
        const int dx = Frame_Hoja->geometry().center().x() - caixa.center().x();
        const int y = std::min(Frame_Hoja->geometry().bottom() + 4, panels_[PanelEtiqueta]->height() - caixa.height());
        for (QLabel* l : lbl_inf_etiqueta)
            l->move(l->x() + dx, y);
    }
    omplint_ = abans;
}

void FrmTolvWiz::mostraOrigen()
{
    const bool abans = omplint_;
    omplint_ = true;
    const bool word = estat_->esWord();
    const auto& opc = estat_->cataleg().Panel.opcOrigDatos;
    for (int i = 0; i < 4; ++i) {
        Posa(opcOrigDatos[i], opc[i]);
        const bool visible = word && (i != 0 || estat_->opcOrigDatos0Visible);
        opcOrigDatos[i]->setVisible(visible);
        Label_opcDatos[i]->setVisible(visible && (i != 3 || estat_->opcOrigDatos0Visible));
    }
    for (QWidget* w : std::initializer_list<QWidget*>{PctProgressBarHojas, lblProgresoHojas, pctProgressBarTablas,
                                                      lblProgresoTablas})
        w->hide();
    lblTit[PanelOrigenDatos]->show();
    pctExcelPanel3->setVisible(estat_->esExcel());
    pctAccessPanel3->setVisible(estat_->esAccess());
    QListWidget* llista = estat_->esExcel() ? LstHojas : estat_->esAccess() ? LstTablas : nullptr;
    if (llista) {
        const QStringList& noms = estat_->esExcel() ? estat_->LstHojas : estat_->LstTablas;
        QStringList ara;
        for (int i = 0; i < llista->count(); ++i)
            ara << llista->item(i)->text();
        if (ara != noms) {
            llista->clear();
            llista->addItems(noms);
        }
        llista->setCurrentRow(estat_->esExcel() ? estat_->LstHojasIndex : estat_->LstTablasIndex);
        llista->show();
    }
    omplint_ = abans;
}

void FrmTolvWiz::mostraFinal()
{
    const bool abans = omplint_;
    omplint_ = true;
    const VistaFinal v = estat_->vistaFinal();
    if (estat_->esWord())
        AjustaTitolPanel();
    else
        AjustaPanelDistribucio();
    for (int i = 0; i < 2; ++i) {
        Posa(OpcEtiqpag[i], estat_->OpcEtiqpag[i]);
        const bool visible = i == 0 ? v.OpcEtiqpag0 : v.OpcEtiqpag1;
        OpcEtiqpag[i]->setVisible(visible);
        lblEtiqpag[i]->setVisible(visible);
    }
    LblPresentacion2->setVisible(v.LblPresentacion2);
    LblDistribucion->setVisible(!estat_->esWord());
    img_final1->setVisible(v.img_final1);
    img_final2->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{txtFila_inicial, txtFila_final, lblFila_inicial, lblFila_final})
        w->setVisible(v.files);
    if (txtFila_inicial->text() != estat_->txtFila_inicial)
        txtFila_inicial->setText(estat_->txtFila_inicial);
    if (txtFila_final->text() != estat_->txtFila_final)
        txtFila_final->setText(estat_->txtFila_final);
    const bool copies = estat_->esWord();
    Check_Copias->setVisible(copies);
    lbl_copias->setVisible(copies);
    Check_Copias->setChecked(estat_->Check_Copias == 1);
    const bool ambCopies = copies && estat_->Check_Copias == 1;
    lbl_NumCopias->setVisible(ambCopies);
    txt_copias->setVisible(ambCopies);
    ScrollCopias->setVisible(ambCopies);
    if (txt_copias->text() != estat_->txt_copias)
        txt_copias->setText(estat_->txt_copias);
    omplint_ = abans;
}

} // namespace kovel::wizard
