#pragma once
// Test helper: what a user would find wrong in a window's layout. Each shown control must lie
// whole inside its parent, must not lie over a shown sibling, and its text must fit it by the
// font's metrics. An empty list: the layout is sound.
#include <QAbstractButton>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace kovel::proves {

inline QStringList FaltesDisposicio(const QWidget* arrel)
{
    QStringList faltes;
    const auto nom = [](const QWidget* w) {
        return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
    };
    const auto mostrat = [arrel](const QWidget* w) { return w->isVisibleTo(arrel) && !w->geometry().isEmpty(); };
    const QList<const QWidget*> tots = [arrel] {
        QList<const QWidget*> l;
        for (const QWidget* w : arrel->findChildren<QWidget*>())
            l << w;
        return l;
    }();
    for (const QWidget* w : tots) {
        if (!mostrat(w) || w->isWindow())
            continue;
        const QWidget* pare = w->parentWidget();
        if (pare && !pare->rect().contains(w->geometry()))
            faltes << QStringLiteral("%1 is cut off by %2").arg(nom(w), nom(pare));
        if (pare) {
            for (const QWidget* g : pare->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (g == w || !mostrat(g) || g->isWindow() || !std::less<const QWidget*>()(w, g))
                    continue;
                if (g->geometry().intersects(w->geometry()))
                    faltes << QStringLiteral("%1 overlaps %2").arg(nom(w), nom(g));
            }
        }
        const QFontMetrics fm(w->font());
        if (const auto* l = qobject_cast<const QLabel*>(w); l && !l->text().isEmpty() && l->pixmap().isNull()) {
            const QRect dins = l->contentsRect();
            const bool cap = l->wordWrap() ? l->heightForWidth(dins.width()) <= dins.height()
                                           : fm.boundingRect(dins, int(l->alignment()), l->text()).width() <= dins.width()
                                                 && fm.height() <= dins.height();
            if (!cap)
                faltes << QStringLiteral("the text of %1 does not fit it").arg(nom(w));
        } else if (const auto* b = qobject_cast<const QAbstractButton*>(w); b && !b->text().isEmpty()) {
            if (b->sizeHint().width() > b->width() || fm.height() > b->height())
                faltes << QStringLiteral("the text of %1 does not fit it").arg(nom(w));
        } else if (const auto* c = qobject_cast<const QComboBox*>(w); c && !c->currentText().isEmpty()) {
            // The shown item beside the arrow.
            if (fm.horizontalAdvance(c->currentText()) + 28 > c->width() || fm.height() > c->height())
                faltes << QStringLiteral("the text of %1 does not fit it").arg(nom(w));
        } else if (const auto* g = qobject_cast<const QGroupBox*>(w); g && !g->title().isEmpty()) {
            if (fm.horizontalAdvance(g->title()) + 16 > g->width())
                faltes << QStringLiteral("the title of %1 does not fit it").arg(nom(w));
        }
    }
    return faltes;
}

} // namespace kovel::proves
