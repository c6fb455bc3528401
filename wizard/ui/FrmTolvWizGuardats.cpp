// The saved designs on the wizard window: panel 9's choices and list, the save command with
// its input box, and the restore through the model's glue (wizard/Guardats).
#include "wizard/ui/FrmTolvWiz.h"

#include "catalogue/ListaEtiquetas.h"
#include "common/ModReg.h"
#include "common/ui/BotoImatge.h"
#include "documents/CodisDesatsPrograma.h"
#include "documents/ui/MarcDisseny.h"

#include <QApplication>
#include <QInputDialog>
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

void FrmTolvWiz::connectaGuardats()
{
    guardats_ = std::make_unique<Guardats>(*estat_);
    codisDesats_ = std::make_unique<guardar::CodisDesatsPrograma>();
    guardats_->setCodis(codisDesats_.get());
    CasellesAssistent c;
    c.NomsCaselles = &marcDisseny_.caselles.NomsCaselles;
    c.NumCaselles = &marcDisseny_.caselles.NumCaselles;
    c.CasellaActual = &marcDisseny_.caselles.CasellaActual;
    c.CarpetaCaselles = [] { return seleccionador_ABCD::Caselles::CarpetaCaselles(); };
    c.BuidaCaselles = [this] {
        marcDisseny_.BuidaCaselles(estat_->cataleg(), ModTolvWiz::FormatSeleccionat(estat_->cataleg()), estat_->horitzontal(), ModReg::RutaPrograma());
    };
    c.DesaCasellaActual = [this] { marcDisseny_.DesaCasellaActual(marcDisseny_.caselles.CasellaActual); };
    guardats_->setCaselles(c);
    guardats_->demanaNom = [this](const QString& prompt, const QString& titol) {
        bool ok = false;
        const QString nom = QInputDialog::getText(this, titol, prompt, QLineEdit::Normal, QString(), &ok);
        return ok ? nom : QString();
    };
    estat_->hiHaGuardats = [this] { return guardats_->HiHaGuardats(); };
    estat_->recuperaDisseny = [this](int n) { guardats_->RecuperaDisseny(n - 1); };

    lstGuardats->setItemDelegate(new DelegatGuardats(lstGuardats));
    connect(lstGuardats, &QListWidget::currentRowChanged, this, [this](int r) {
        if (!omplint_)
            estat_->lstGuardatsIndex = r;
    });
    connect(lstGuardats, &QListWidget::itemDoubleClicked, this, [this] { MostrarPanel(+1); });
    connect(cmdCrear, &QAbstractButton::clicked, this, [this] {
        guardats_->cmdCrear_CambioValor(true);
        mostraGuardats();
    });
    connect(cmdObrir, &QAbstractButton::clicked, this, [this] {
        guardats_->cmdObrir_CambioValor(true);
        mostraGuardats();
    });
    connect(cmdGuardar, &QAbstractButton::clicked, this, [this] { cmdGuardar_Click(); });
    // A save asked inside the design frame saves the design under a name.
    desaDissenyAmbNom = [this] { cmdGuardar_Click(); };
}

void FrmTolvWiz::mostraGuardats()
{
    const bool abans = omplint_;
    omplint_ = true;
    // Just filled (neither choice made yet): the list is read again from the store.
    if (!estat_->cmdObrir && !estat_->cmdCrear && estat_->lstGuardatsIndex < 0) {
        const QFontMetrics fm(lstGuardats->font());
        const QStringList linies = guardats_->LlistaGuardats([&fm](const QString& t) {
            // A name is measured as it stands in its line, after the two blanks.
            return t == QLatin1String("\t") ? int(TabulacioGuardats(fm)) : fm.horizontalAdvance(QStringLiteral("  ") + t);
        });
        lstGuardats->clear();
        for (int i = 0; i < linies.size(); ++i) {
            auto* item = new QListWidgetItem(linies[i], lstGuardats);
            item->setData(Qt::UserRole, i);
        }
    }
    for (auto [b, v] : {std::pair{cmdObrir, estat_->cmdObrir}, std::pair{cmdCrear, estat_->cmdCrear}}) {
        const QSignalBlocker blocker(b);
        b->setValor(v);
    }
    lstGuardats->setEnabled(!estat_->cmdCrear);
    lstGuardats->setCurrentRow(estat_->lstGuardatsIndex);
    omplint_ = abans;
}

void FrmTolvWiz::cmdGuardar_Click()
{
    // The store's own saves through the frame are not the user's: they ask for no name.
    marcDisseny_.DesantDisseny = true;
    struct Acaba {
        bool& desant;
        ~Acaba() { desant = false; }
    } acaba{marcDisseny_.DesantDisseny};
    guardats_->cmdGuardar_Click();
}

} // namespace kovel::wizard
