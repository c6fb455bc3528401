#include "wizard/ui/panels/VistaGuardats.h"

#include "catalogue/ListaEtiquetas.h"
#include "common/ModTraduccion.h"
#include "common/ui/BotoImatge.h"
#include "documents/CodisDesatsPrograma.h"
#include "wizard/EstatAssistent.h"
#include "wizard/panels/PasGuardats.h"
#include "wizard/ui/FrmTolvWiz.h"
#include "wizard/ui/panels/VistaDisseny.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTextOption>

namespace kovel::wizard {

namespace {

// A tab stop of the list, in the measure of its lines and on the screen alike: two of them
// hold a name of 20 characters of the list's font.
qreal TabulacioGuardats(const QFontMetrics& fm) { return fm.averageCharWidth() * 12; }

// The list's lines keep their columns: tabs go to the tab stops the lines were made for.
class DelegatGuardats : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const QString text = o.text;
        o.text.clear();
        QStyle* style = o.widget ? o.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &o, painter, o.widget);
        QTextOption t(Qt::AlignLeft | Qt::AlignVCenter);
        t.setTabStopDistance(TabulacioGuardats(o.fontMetrics));
        t.setWrapMode(QTextOption::NoWrap);
        painter->save();
        painter->setPen(o.palette.color(o.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(QRectF(o.rect).adjusted(3, 0, -3, 0), text, t);
        painter->restore();
    }
};

} // namespace

VistaGuardats::VistaGuardats(FrmTolvWiz& finestra, PasGuardats& model) : VistaPas(finestra, model, 9) {}

VistaGuardats::~VistaGuardats()
{
    // The state outlives its views.
    if (codisDesats_)
        estat().guardats().setCodis(nullptr);
}

PasGuardats& VistaGuardats::triat() const { return static_cast<PasGuardats&>(model_); }

void VistaGuardats::construeix()
{
    using kovel::ui::BotoImatge;
    using kovel::ui::Control;
    using kovel::ui::Tw;
    QWidget* p = panel();
    lblDissenysTrobats = controls::Etiqueta(p, "lblDissenysTrobats", Tw(600, 1100, 10400, 600));
    cmdCrear = controls::Opcio(p, "cmdCrear", Tw(600, 1900, 2200, 400));
    cmdObrir = controls::Opcio(p, "cmdObrir", Tw(600, 2400, 2200, 400));
    lstGuardats = Control<QListWidget>(p, "lstGuardats", Tw(3000, 1900, 8000, 3700));
    // The save command stands on the design panel.
    cmdGuardar = Control<BotoImatge>(w_.Panel(5), "cmdGuardar", Tw(8200, 5700, 3000, 400));
    cmdGuardar->hide();

    codisDesats_ = std::make_unique<guardar::CodisDesatsPrograma>(estat().registreCodis());
    estat().guardats().setCodis(codisDesats_.get());

    lstGuardats->setItemDelegate(new DelegatGuardats(lstGuardats));
    connect(lstGuardats, &QListWidget::currentRowChanged, this, [this](int r) {
        if (!omplint())
            triat().lstGuardatsIndex = r;
    });
    connect(lstGuardats, &QListWidget::itemDoubleClicked, this, [this] { w_.MostrarPanel(+1); });
    connect(cmdCrear, &QAbstractButton::clicked, this, [this] {
        estat().guardats().cmdCrear_CambioValor(true);
        mostra();
    });
    connect(cmdObrir, &QAbstractButton::clicked, this, [this] {
        estat().guardats().cmdObrir_CambioValor(true);
        mostra();
    });
    connect(cmdGuardar, &QAbstractButton::clicked, this, [this] { cmdGuardar_Click(); });
}

void VistaGuardats::prepara()
{
    FontAssistent* font = estat().font();
    QString text;
    if (estat().esWord())
        text = ModTraduccion::Literal(7020);
    else if (estat().esExcel())
        text = ModTraduccion::Literal(7021).replace(QLatin1String("provarvt.xls"), font ? font->fitxer() : QString(), Qt::CaseInsensitive);
    else if (estat().esAccess())
        text = ModTraduccion::Literal(7022).replace(QLatin1String("provarvt.mda"), font ? font->fitxer() : QString(), Qt::CaseInsensitive);
    lblDissenysTrobats->setText(text);
}

void VistaGuardats::mostra()
{
    const bool abans = omplint();
    omplint() = true;
    // Just filled (neither choice made yet): the list is read again from the store.
    const PasGuardats& t = triat();
    if (!t.cmdObrir && !t.cmdCrear && t.lstGuardatsIndex < 0) {
        const QFontMetrics fm(lstGuardats->font());
        const QStringList linies = estat().guardats().LlistaGuardats([&fm](const QString& t) {
            // A name is measured as it stands in its line, after the two blanks.
            return t == QLatin1String("\t") ? int(TabulacioGuardats(fm)) : fm.horizontalAdvance(QStringLiteral("  ") + t);
        });
        lstGuardats->clear();
        for (int i = 0; i < linies.size(); ++i) {
            auto* item = new QListWidgetItem(linies[i], lstGuardats);
            item->setData(Qt::UserRole, i);
        }
    }
    for (auto [b, v] : {std::pair{cmdObrir, t.cmdObrir}, std::pair{cmdCrear, t.cmdCrear}}) {
        const QSignalBlocker blocker(b);
        b->setValor(v);
    }
    lstGuardats->setEnabled(!t.cmdCrear);
    lstGuardats->setCurrentRow(t.lstGuardatsIndex);
    omplint() = abans;
}

bool VistaGuardats::treball(bool comenca) { return !comenca || triat().cmdObrir; }

void VistaGuardats::cmdGuardar_Click() { estat().guardats().cmdGuardar_Click(); }

} // namespace kovel::wizard
