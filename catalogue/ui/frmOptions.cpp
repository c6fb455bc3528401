#include "catalogue/ui/frmOptions.h"

#include "catalogue/Cataleg.h"
#include "catalogue/ui/VistaPreviaHoja.h"
#include "common/ModReg.h"
#include "common/ModTraduccion.h"
#include "common/ui/BotoImatge.h"
#include "common/ui/Finestres.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

using kovel::ui::Control;
using kovel::ui::Tw;

namespace {

std::function<void(frmOptions*)>& Aparenca()
{
    static std::function<void(frmOptions*)> look;
    return look;
}

std::function<void(int)>& RedibujaMedidas()
{
    static std::function<void(int)> redibuja;
    return redibuja;
}

// The check marks when the look gives no pictures: a box, ticked or empty.
QPixmap MarcaDibujada(bool activada)
{
    QPixmap p(14, 14);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(0, 118, 196), 1.2));
    g.setBrush(Qt::white);
    g.drawRoundedRect(QRectF(0.5, 0.5, 13, 13), 2, 2);
    if (activada) {
        g.setPen(QPen(QColor(0, 118, 196), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        g.drawPolyline(QPolygonF({QPointF(3.5, 7), QPointF(6, 10), QPointF(10.5, 3.5)}));
    }
    return p;
}

constexpr int kAncho = 416 * 15;
constexpr int kAlto = 224 * 15;
constexpr int kTopPagina = 960;
constexpr int kFila = 360;

// The width a line edit gives its text: its contents less its frame and text margins.
int AmpleTextCaixa(const QLineEdit* e)
{
    QStyleOptionFrame o;
    o.initFrom(e);
    o.rect = e->rect();
    o.lineWidth = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &o, e) : 0;
    const QRect r = e->style()->subElementRect(QStyle::SE_LineEditContents, &o, e).marginsRemoved(e->textMargins());
    return std::max(0, r.width() - 4);
}

template <typename T>
T* Element(QWidget* parent, const char* name, int index, const QRect& r)
{
    T* c = Control<T>(parent, name, r);
    c->setProperty("index", index);
    return c;
}

} // namespace

void frmOptions::setAparenca(std::function<void(frmOptions*)> look)
{
    Aparenca() = std::move(look);
}

void frmOptions::setRedibujaMedidas(std::function<void(int)> redibuja)
{
    RedibujaMedidas() = std::move(redibuja);
}

frmOptions::frmOptions(Cataleg& cat, QWidget* parent) : QDialog(parent), cat_(cat)
{
    setObjectName(QStringLiteral("frmOptions"));
    setModal(true);
    setFixedSize(kovel::ui::Px(kAncho), kovel::ui::Px(kAlto));
    setWindowTitle(QStringLiteral("Label details"));

    pctBanda = Control<QLabel>(this, "pctBanda", Tw(0, 0, kAncho, 90));
    lbl_TitDetalles = Control<QLabel>(this, "lbl_TitDetalles", Tw(180, 90, 3300, 300));
    QFont titulo = lbl_TitDetalles->font();
    titulo.setBold(true);
    titulo.setPointSizeF(titulo.pointSizeF() * 1.15);
    lbl_TitDetalles->setFont(titulo);

    // The tabs hang from the band's right end.
    for (int k = 0; k < 2; ++k) {
        lblTab[k] = Element<kovel::ui::BotoImatge>(this, "lblTab", k, Tw(kAncho - 180 - (2 - k) * 1245, 210, 1245, 345));
        // A two-state button: without its skin it shows as a button held down while on.
        lblTab[k]->setCheckable(true);
        lblTab[k]->setText(k == 0 ? QStringLiteral("Description") : QStringLiteral("Measures"));
    }
    // Reference and the additional number share the first row, the description the second.
    static constexpr int izquierdaCaption[3] = {180, 180, 3540};
    static constexpr int izquierdaCaja[3] = {1560, 1560, 5160};
    static constexpr int anchoCaja[3] = {1860, 4500, 900};
    static constexpr int fila[3] = {0, 1, 0};
    for (int k = 0; k < 3; ++k) {
        const int y = kTopPagina + fila[k] * kFila;
        lbl_descripcion[k] = Element<QLabel>(this, "lbl_descripcion", k,
                                             Tw(izquierdaCaption[k], y + 30, izquierdaCaja[k] - izquierdaCaption[k] - 60, 300));
        txt_descripcion[k] = Element<QLineEdit>(this, "txt_descripcion", k, Tw(izquierdaCaja[k], y, anchoCaja[k], 330));
        txt_descripcion[k]->setReadOnly(true);
    }
    // Class 4 is never shown on its own, so it takes the last place of the grid.
    static constexpr int lugar[6] = {0, 1, 2, 3, 5, 4};
    for (int k = 0; k < 6; ++k) {
        const int x = 180 + (lugar[k] % 3) * 2000, y = kTopPagina + 2 * kFila + 120 + (lugar[k] / 3) * 330;
        Imatge_Activat[k] = Element<QLabel>(this, "Imatge_Activat", k, Tw(x, y + 15, 210, 210));
        lbl_tipo[k] = Element<QLabel>(this, "lbl_tipo", k, Tw(x + 270, y, 1700, 270));
    }
    lbl_tipo_aux = Control<QLabel>(this, "lbl_tipo_aux", lbl_tipo[5]->geometry().adjusted(0, 0, 60, 0));
    Image_Checked = Control<QLabel>(this, "Image_Checked", Tw(0, 0, 210, 210));
    Image_Unchecked = Control<QLabel>(this, "Image_Unchecked", Tw(0, 0, 210, 210));
    Image_Checked->setPixmap(MarcaDibujada(true));
    Image_Unchecked->setPixmap(MarcaDibujada(false));
    Image_Checked->hide();
    Image_Unchecked->hide();

    for (int k = 0; k < 8; ++k) {
        const int x = 180 + (k % 2) * 3000, y = kTopPagina + (k / 2) * kFila;
        lbl_medidas[k] = Element<QLabel>(this, "lbl_medidas", k, Tw(x, y + 30, 1560, 300));
        txt_medidas[k] = Element<QLineEdit>(this, "txt_medidas", k, Tw(x + 1560, y, 1320, 330));
    }
    lbl_medidas[8] = Element<QLabel>(this, "lbl_medidas", 8, Tw(180, kTopPagina + 4 * kFila + 30, 1560, 300));
    txt_medidas[8] = Element<QLineEdit>(this, "txt_medidas", 8, Tw(1740, kTopPagina + 4 * kFila, 4320, 330));
    for (QLineEdit* t : txt_medidas)
        t->setReadOnly(true);

    Opt_mm = Control<QRadioButton>(this, "Opt_mm", Tw(180, 2880, 900, 300));
    Opt_Inch = Control<QRadioButton>(this, "Opt_Inch", Tw(1140, 2880, 1200, 300));
    Opt_mm->setChecked(true);
    static const char* const flechas[] = {"|<", "<", ">", ">|"};
    for (int k = 0; k < 4; ++k) {
        cmd_mov[k] = Element<kovel::ui::BotoImatge>(this, "cmd_mov", k, Tw(2940 + k * 510, 2850, 480, 360));
        cmd_mov[k]->setText(QLatin1String(flechas[k]));
        connect(cmd_mov[k], &QAbstractButton::clicked, this, [this, k] { cmd_mov_Click(k); });
    }
    cmdOK = Control<kovel::ui::BotoImatge>(this, "cmdOK", Tw(5100, 2850, 960, 360));
    cmdOK->setText(QStringLiteral("OK"));
    connect(cmdOK, &QAbstractButton::clicked, this, &QDialog::accept);

    for (int k = 0; k < 2; ++k) {
        // A tab that turns on turns the other off; a click shows its page.
        connect(lblTab[k], &kovel::ui::BotoImatge::valorCanviat, this, [this, k](bool valor) {
            if (valor)
                lblTab[1 - k]->setValor(false);
        });
        connect(lblTab[k], &QAbstractButton::clicked, this, [this, k] { lblTab_Click(k); });
    }
    connect(Opt_Inch, &QAbstractButton::clicked, this, [this] { Opt_Inch_Click(); });
    connect(Opt_mm, &QAbstractButton::clicked, this, [this] { Opt_mm_Click(); });

    Form_Load();
}

void frmOptions::Form_Load()
{
    ModTraduccion::TraduirFormulari(this);
    if (auto& look = Aparenca())
        look(this);
    // Right to left: each box takes its caption's place and the caption moves to its right.
    if (ModReg::LlegirJocCaracters() == 178) {
        for (int k = 0; k < 9; ++k) {
            txt_medidas[k]->move(lbl_medidas[k]->x(), txt_medidas[k]->y());
            lbl_medidas[k]->move(txt_medidas[k]->x() + txt_medidas[k]->width() + kovel::ui::Px(60), lbl_medidas[k]->y());
            lbl_medidas[k]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        }
        for (int k = 0; k < 3; ++k) {
            txt_descripcion[k]->move(txt_medidas[k / 2]->x(), txt_descripcion[k]->y());
            lbl_descripcion[k]->move(txt_descripcion[k]->x() + txt_descripcion[k]->width() + kovel::ui::Px(60),
                                     lbl_descripcion[k]->y());
            lbl_descripcion[k]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
}

void frmOptions::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void frmOptions::marca(int k, bool activada)
{
    const QPixmap p = (activada ? Image_Checked : Image_Unchecked)->pixmap();
    Imatge_Activat[k]->setPixmap(p.isNull() ? MarcaDibujada(activada) : p);
    Imatge_Activat[k]->setProperty("checked", activada);
}

void frmOptions::Form_Activate()
{
    try {
        if (QWidget* p = parentWidget())
            move(p->window()->geometry().center() - rect().center());
        else if (QScreen* s = screen())
            move(s->availableGeometry().center() - rect().center());
        for (int k = 0; k < 6; ++k)
            marca(k, false);
        const QString idioma = ModTraduccion::Literal(4000);
        DisposicionAncha = !idioma.isEmpty() && QStringLiteral("Francés,Alemán").contains(idioma, Qt::CaseInsensitive);
        if (DisposicionAncha)
            lbl_tipo_aux->setText(lbl_tipo[4]->text());
        Opt_Inch->setChecked(cat_.Unidades == 2);
        Opt_mm->setChecked(cat_.Unidades != 2);
        const int i = ModTolvWiz::FormatSeleccionat(cat_);
        const bool continuo = i >= 0 && i < cat_.Etiquetas.size() && cat_.Etiquetas[i].TipoPapel == PapelContinuo;
        lbl_descripcion[2]->setText(ModTraduccion::Literal(continuo ? 5002 : 5001));
        MostrarDetalls();
        TabsDetalls.Inicialitza({{lblTab[0], lblTab[1]}});
        lblTab_Click(0);
    } catch (...) {
        // the window shows what it could fill
    }
}

void frmOptions::MostrarDetalls()
{
    const int i = ModTolvWiz::FormatSeleccionat(cat_);
    const kovel::catalogue::DetallesFormato d =
        kovel::catalogue::CalculaDetalles(cat_, i, Opt_Inch->isChecked(), ModTolvWiz::NombresPapel());
    for (int k = 0; k < 3; ++k) {
        // A text longer than its box ends in an ellipsis; the whole text is its tool tip.
        QLineEdit* caixa = txt_descripcion[k];
        const QString sencer = d.descripcion[k];
        const QString vist = caixa->fontMetrics().elidedText(sencer, Qt::ElideRight, AmpleTextCaixa(caixa));
        caixa->setText(vist);
        caixa->setToolTip(vist == sencer ? QString() : sencer);
        caixa->setCursorPosition(0);
    }
    if (d.papel)
        txt_medidas[8]->setText(*d.papel);
    else if (i < 0)
        txt_medidas[8]->clear();
    // Options that do not apply are put away rather than greyed out on their coloured faces.
    for (QRadioButton* o : {Opt_mm, Opt_Inch}) {
        o->setEnabled(d.unidadesDisponibles);
        o->setVisible(d.unidadesDisponibles);
    }
    for (int k = 0; k < 8; ++k)
        txt_medidas[k]->setText(d.medidas[k]);
    txt_medidas[8]->setCursorPosition(0);
    for (int k = 0; k < 6; ++k)
        marca(k, d.usos[k]);
}

void frmOptions::lblTab_Click(int index)
{
    TabsDetalls.setSelected(std::int16_t(index));
    if (index >= 0 && index < 2)
        lblTab[index]->setValor(true);
    const bool descripcion = index == 0;
    for (int k = 0; k < 3; ++k) {
        txt_descripcion[k]->setVisible(descripcion);
        lbl_descripcion[k]->setVisible(descripcion);
    }
    for (int k = 0; k < 6; ++k) {
        Imatge_Activat[k]->setVisible(descripcion);
        lbl_tipo[k]->setVisible(descripcion);
    }
    lbl_tipo_aux->setVisible(false);
    if (descripcion) {
        Imatge_Activat[4]->hide();
        lbl_tipo[4]->hide();
        if (DisposicionAncha) {
            lbl_tipo[5]->hide();
            lbl_tipo_aux->show();
        }
    }
    for (int k = 0; k < 9; ++k) {
        lbl_medidas[k]->setVisible(!descripcion);
        txt_medidas[k]->setVisible(!descripcion);
    }
}

void frmOptions::cmd_mov_Click(int index)
{
    try {
        ModeloEtiquetas& lista = cat_.Lista;
        const int n = lista.ListCount();
        switch (index) {
        case 0: lista.setListIndex(n > 0 ? 0 : -1); break;
        case 1:
            if (lista.ListIndex() >= 1)
                lista.setListIndex(lista.ListIndex() - 1);
            break;
        case 2:
            if (lista.ListIndex() < n - 1)
                lista.setListIndex(lista.ListIndex() + 1);
            break;
        case 3: lista.setListIndex(n - 1); break;
        default: break;
        }
        if (clicLista)
            clicLista();
        MostrarDetalls();
    } catch (...) {
        // ends quietly, as the handler always did
    }
}

void frmOptions::canviaUnitat(std::int16_t unitat)
{
    const int format = ModTolvWiz::FormatSeleccionat(cat_);
    MostrarDetalls();
    cat_.Unidades = unitat;
    if (auto& redibuja = RedibujaMedidas()) {
        redibuja(format);
        return;
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("FrmTolvWiz"))
            ModTolvWiz::Muestra_MedidasEtiqueta(cat_, w, format);
}

void frmOptions::Opt_Inch_Click()
{
    canviaUnitat(2);
}

void frmOptions::Opt_mm_Click()
{
    canviaUnitat(1);
}
