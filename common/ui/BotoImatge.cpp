#include "common/ui/BotoImatge.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <qdrawutil.h>

#include <algorithm>

namespace kovel::ui {

BotoImatge::BotoImatge(QWidget* parent, Tipus tipus)
    : QAbstractButton(parent), tipus_(tipus)
{
    setTipus(tipus);
    setAttribute(Qt::WA_Hover);
    connect(this, &QAbstractButton::toggled, this, &BotoImatge::valorCanviat);
}

void BotoImatge::setTipus(Tipus t)
{
    tipus_ = t;
    // An option is checkable and, among its siblings of the same group, exclusive.
    setCheckable(t == Tipus::Opcio);
    setAutoExclusive(t == Tipus::Opcio);
    update();
}

void BotoImatge::setImatgeNormal(const QPixmap& p) { normal_ = p; update(); }
void BotoImatge::setImatgePremuda(const QPixmap& p) { premuda_ = p; update(); }
void BotoImatge::setImatgeSobre(const QPixmap& p) { sobre_ = p; update(); }
void BotoImatge::setColorText(const QColor& c) { colorText_ = c; update(); }
void BotoImatge::setColorTextSobre(const QColor& c) { colorSobre_ = c; update(); }
void BotoImatge::setColorTextActiu(const QColor& c) { colorActiu_ = c; update(); }

void BotoImatge::setValor(bool v)
{
    if (!isCheckable())
        setCheckable(true);
    setChecked(v);
}

void BotoImatge::nextCheckState()
{
    // An option clicked when on stays on, as an option button does.
    if (tipus_ == Tipus::Opcio && isChecked())
        return;
    QAbstractButton::nextCheckState();
}

QSize BotoImatge::sizeHint() const
{
    if (!normal_.isNull())
        return normal_.deviceIndependentSize().toSize();
    const QSize t = fontMetrics().size(Qt::TextShowMnemonic, text());
    return QSize(t.width() + 24, qMax(t.height() + 10, 23));
}

const QPixmap& BotoImatge::imatgeActual() const
{
    if ((isDown() || isChecked()) && !premuda_.isNull())
        return premuda_;
    if (sobreCursor_ && isEnabled() && !sobre_.isNull())
        return sobre_;
    return normal_;
}

void BotoImatge::paintEvent(QPaintEvent*)
{
    if (normal_.isNull()) {
        // The plain look of a button or option.
        QStylePainter p(this);
        QStyleOptionButton o;
        o.initFrom(this);
        o.text = text();
        o.icon = icon();
        o.iconSize = iconSize();
        if (isDown())
            o.state |= QStyle::State_Sunken;
        o.state |= isChecked() ? QStyle::State_On : QStyle::State_Off;
        if (colorText_.isValid())
            o.palette.setColor(QPalette::ButtonText, colorText_), o.palette.setColor(QPalette::WindowText, colorText_);
        p.drawControl(tipus_ == Tipus::Opcio ? QStyle::CE_RadioButton : QStyle::CE_PushButton, o);
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPixmap& img = imatgeActual();
    const QSize propia = img.deviceIndependentSize().toSize();
    if (propia == size()) {
        p.drawPixmap(rect(), img);
    } else {
        // A face drawn for another size keeps its rounded corners: only its middle stretches.
        const int v = std::min({6, propia.width() / 2 - 1, propia.height() / 2 - 1, width() / 2, height() / 2});
        const QMargins m(std::max(0, v), std::max(0, v), std::max(0, v), std::max(0, v));
        qDrawBorderPixmap(&p, rect(), m, img);
    }
    if (!text().isEmpty()) {
        QColor c = colorText_.isValid() ? colorText_ : palette().color(QPalette::ButtonText);
        if ((isDown() || isChecked()) && colorActiu_.isValid())
            c = colorActiu_;
        else if (sobreCursor_ && colorSobre_.isValid())
            c = colorSobre_;
        p.setPen(c);
        if (!isEnabled())
            p.setPen(palette().color(QPalette::Disabled, QPalette::ButtonText));
        p.setFont(font());
        p.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextWordWrap, text());
    }
}

void BotoImatge::enterEvent(QEnterEvent* event)
{
    sobreCursor_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void BotoImatge::leaveEvent(QEvent* event)
{
    sobreCursor_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace kovel::ui
