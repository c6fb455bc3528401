#pragma once
// What a window's tests ask of its layout, on the widget tree as it stands: no shown control
// cut off by its parent, no two shown siblings over one another, and every text whole in its
// control by its font's metrics (labels, buttons, check and option boxes, list items, line
// edits, combo boxes). A sibling may stand over a background picture: such a picture carries
// the property "fons" = true. Header only, so that any test can include it.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTabBar>
#include <QTextDocument>
#include <QToolBar>
#include <QWidget>

#include "common/ui/BotoImatge.h"

#include <algorithm>
#include <cmath>

namespace kovel::proves {

namespace disposicio {

// The control's name as the window's code knows it, with its index in an array.
inline QString Nom(const QWidget* w)
{
    QString n = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
    const QVariant index = w->property("index");
    if (index.isValid())
        n += QStringLiteral("(%1)").arg(index.toInt());
    return n;
}

inline bool EsFons(const QWidget* w) { return w->property("fons").toBool(); }

// Qt's own composite controls lay their insides out themselves: their children are not looked at.
inline bool EsFulla(const QWidget* w)
{
    return qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QComboBox*>(w)
        || qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QLineEdit*>(w)
        || qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QProgressBar*>(w)
        || qobject_cast<const QAbstractSlider*>(w) || qobject_cast<const QTabBar*>(w)
        || qobject_cast<const QToolBar*>(w) || qobject_cast<const QMenu*>(w);
}

// Whether a text of `mida` fits in `lloc`; the fault's words otherwise.
inline void Cap(const QWidget* w, const QString& que, const QSize& mida, const QRect& lloc, QStringList& faltes)
{
    if (mida.width() <= lloc.width() && mida.height() <= lloc.height())
        return;
    faltes << QStringLiteral("text cut: %1 %2 needs %3 x %4, has %5 x %6")
                  .arg(Nom(w), que, QString::number(mida.width()), QString::number(mida.height()),
                       QString::number(lloc.width()), QString::number(lloc.height()));
}

inline void TextEtiqueta(const QLabel* l, QStringList& faltes)
{
    const QString text = l->text();
    if (text.isEmpty() || !l->pixmap().isNull())
        return;
    const QRect lloc = l->contentsRect().marginsRemoved(QMargins(l->margin(), l->margin(), l->margin(), l->margin()));
    const bool ric = l->textFormat() == Qt::RichText || (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
    QSize cal;
    if (ric) {
        QTextDocument doc;
        doc.setDefaultFont(l->font());
        doc.setDocumentMargin(0);
        doc.setHtml(text);
        if (l->wordWrap())
            doc.setTextWidth(lloc.width());
        cal = QSize(int(std::ceil(doc.idealWidth())), int(std::ceil(doc.size().height())));
    } else {
        const QFontMetrics fm(l->font());
        const int flags = l->wordWrap() ? Qt::TextWordWrap : 0;
        cal = fm.boundingRect(QRect(0, 0, lloc.width(), 100000), flags, text).size();
    }
    Cap(l, QStringLiteral("label \"%1\"").arg(text.left(40)), cal, lloc, faltes);
}

inline void TextBoto(const QAbstractButton* b, QStringList& faltes)
{
    const QString text = b->text();
    if (text.isEmpty())
        return;
    const QFontMetrics fm(b->font());
    const QString que = QStringLiteral("button \"%1\"").arg(text.left(40));
    QStyleOptionButton o;
    o.initFrom(b);
    o.text = text;
    const auto* skin = qobject_cast<const kovel::ui::BotoImatge*>(b);
    if (skin && skin->teImatges()) {
        // Drawn over its face, centred and wrapped within the whole control.
        const QRect r = fm.boundingRect(b->rect(), Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, text);
        Cap(b, que, r.size(), b->rect(), faltes);
        return;
    }
    const bool opcio = qobject_cast<const QRadioButton*>(b)
        || (skin && skin->tipus() == kovel::ui::BotoImatge::Tipus::Opcio);
    const bool caixa = qobject_cast<const QCheckBox*>(b);
    const QStyle::SubElement lloc =
        opcio ? QStyle::SE_RadioButtonContents : caixa ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents;
    const QRect r = b->style()->subElementRect(lloc, &o, b);
    Cap(b, que, fm.size(Qt::TextShowMnemonic, text), r, faltes);
}

inline void TextCaixa(const QLineEdit* e, QStringList& faltes)
{
    const QString text = e->echoMode() == QLineEdit::Normal ? e->text() : QString();
    if (text.isEmpty())
        return;
    QStyleOptionFrame o;
    o.initFrom(e);
    o.rect = e->rect();
    o.lineWidth = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &o, e) : 0;
    QRect r = e->style()->subElementRect(QStyle::SE_LineEditContents, &o, e).marginsRemoved(e->textMargins());
    r.adjust(2, 1, -2, -1);   // the line edit's own margins around its text
    const QFontMetrics fm(e->font());
    Cap(e, QStringLiteral("line edit \"%1\"").arg(text.left(40)), QSize(fm.horizontalAdvance(text), fm.height()), r, faltes);
}

inline void TextCombo(const QComboBox* c, QStringList& faltes)
{
    const QString text = c->currentText();
    if (text.isEmpty())
        return;
    QStyleOptionComboBox o;
    o.initFrom(c);
    o.editable = c->isEditable();
    o.frame = c->hasFrame();
    const QRect r = c->style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, c);
    const QFontMetrics fm(c->font());
    Cap(c, QStringLiteral("combo box \"%1\"").arg(text.left(40)), QSize(fm.horizontalAdvance(text), fm.height()), r, faltes);
}

// Every line of a list whole in the width the view gives it, without scrolling sideways.
inline void TextLlista(const QAbstractItemView* v, QStringList& faltes)
{
    const QAbstractItemModel* m = v->model();
    if (!m)
        return;
    const auto* llista = qobject_cast<const QListView*>(v);
    const bool ajust = llista && llista->wordWrap();
    const QFontMetrics fm(v->font());
    const int marge = v->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, v) + 1;
    const int ample = v->viewport()->width();
    for (int i = 0; i < m->rowCount(v->rootIndex()); ++i) {
        const QModelIndex idx = m->index(i, 0, v->rootIndex());
        const QString text = idx.data(Qt::DisplayRole).toString();
        if (text.isEmpty())
            continue;
        QRect lloc = v->visualRect(idx);
        lloc.setWidth(std::min(lloc.width(), ample));
        lloc.adjust(marge, 0, -marge, 0);
        const QSize cal = fm.boundingRect(QRect(0, 0, lloc.width(), 100000), ajust ? Qt::TextWordWrap : 0, text).size();
        if (cal.width() > lloc.width() || cal.height() > lloc.height())
            faltes << QStringLiteral("text cut: %1 line %2 \"%3\" needs %4 x %5, has %6 x %7")
                          .arg(Nom(v), QString::number(i), text.left(40), QString::number(cal.width()),
                               QString::number(cal.height()), QString::number(lloc.width()), QString::number(lloc.height()));
    }
}

inline void Text(const QWidget* w, QStringList& faltes)
{
    if (const auto* l = qobject_cast<const QLabel*>(w))
        TextEtiqueta(l, faltes);
    else if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        TextBoto(b, faltes);
    else if (const auto* e = qobject_cast<const QLineEdit*>(w))
        TextCaixa(e, faltes);
    else if (const auto* c = qobject_cast<const QComboBox*>(w))
        TextCombo(c, faltes);
    else if (const auto* v = qobject_cast<const QAbstractItemView*>(w))
        TextLlista(v, faltes);
}

inline void Recorre(const QWidget* pare, QStringList& faltes)
{
    QList<const QWidget*> fills;
    for (const QObject* o : pare->children()) {
        const auto* c = qobject_cast<const QWidget*>(o);
        if (c && !c->isWindow() && !c->isHidden() && !c->geometry().isEmpty())
            fills << c;
    }
    const QRect dins = pare->rect();
    for (const QWidget* c : fills) {
        if (!dins.contains(c->geometry()))
            faltes << QStringLiteral("cut off: %1 (%2,%3 %4 x %5) in %6 (%7 x %8)")
                          .arg(Nom(c))
                          .arg(c->x())
                          .arg(c->y())
                          .arg(c->width())
                          .arg(c->height())
                          .arg(Nom(pare))
                          .arg(pare->width())
                          .arg(pare->height());
        Text(c, faltes);
        if (!EsFulla(c))
            Recorre(c, faltes);
    }
    for (int i = 0; i < fills.size(); ++i)
        for (int j = i + 1; j < fills.size(); ++j)
            if (!EsFons(fills[i]) && !EsFons(fills[j]) && fills[i]->geometry().intersects(fills[j]->geometry()))
                faltes << QStringLiteral("overlap: %1 and %2 in %3").arg(Nom(fills[i]), Nom(fills[j]), Nom(pare));
}

} // namespace disposicio

// The faults of the shown part of `arrel`'s tree, one a line; empty when the layout is sound.
inline QStringList FaltesDisposicio(const QWidget* arrel)
{
    QStringList faltes;
    if (!arrel)
        return faltes;
    disposicio::Text(arrel, faltes);
    if (!disposicio::EsFulla(arrel))
        disposicio::Recorre(arrel, faltes);
    return faltes;
}

} // namespace kovel::proves
