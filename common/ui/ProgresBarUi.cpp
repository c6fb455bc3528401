#include "common/ui/ProgresBarUi.h"

#include "common/ui/Finestres.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTw = kovel::ui::TwipsPixel;

int px(double twips) { return int(std::lround(twips / kTw)); }

QRect interior(const QWidget* marc)
{
    if (const auto* f = qobject_cast<const QFrame*>(marc))
        return f->contentsRect();
    return marc->rect();
}

} // namespace

ControlsProgresWidget::ControlsProgresWidget(QWidget* marc, QLabel* farciment, QLabel* rotol)
    : marc_(marc), farciment_(farciment), rotol_(rotol)
{
}

double ControlsProgresWidget::marcLeft() const { return marc_ ? marc_->x() * kTw : 0; }
double ControlsProgresWidget::marcTop() const { return marc_ ? marc_->y() * kTw : 0; }
double ControlsProgresWidget::marcWidth() const { return marc_ ? marc_->width() * kTw : 0; }
double ControlsProgresWidget::marcHeight() const { return marc_ ? marc_->height() * kTw : 0; }

void ControlsProgresWidget::setMarc(double left, double top, double width, double height)
{
    if (marc_)
        marc_->setGeometry(px(left), px(top), px(width), px(height));
}

double ControlsProgresWidget::ampladaInterior() const { return marc_ ? interior(marc_).width() * kTw : 0; }
double ControlsProgresWidget::alcadaInterior() const { return marc_ ? interior(marc_).height() * kTw : 0; }

void ControlsProgresWidget::setFarciment(double left, double top, double width, double height)
{
    // A frame that draws its own bar shows the fill's share of its inside.
    if (auto* barra = qobject_cast<QProgressBar*>(marc_.data())) {
        const double interior = ampladaInterior();
        barra->setRange(0, 1000);
        barra->setValue(interior > 0 ? int(std::lround(std::clamp(width / interior, 0.0, 1.0) * 1000)) : 0);
        barra->setInvertedAppearance(left > 0);
        return;
    }
    if (!farciment_ || !marc_)
        return;
    const QPoint origen = interior(marc_).topLeft();
    farciment_->setGeometry(origen.x() + px(left), origen.y() + px(top), px(width), px(height));
}

void ControlsProgresWidget::pintaFarciment()
{
    if (!farciment_)
        return;
    QPalette p = farciment_->palette();
    p.setColor(QPalette::Window, p.color(QPalette::Highlight));
    farciment_->setPalette(p);
    farciment_->setAutoFillBackground(true);
}

void ControlsProgresWidget::posaRotolDreta(double left)
{
    if (!rotol_)
        return;
    rotol_->move(px(left), rotol_->y());
    rotol_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

bool ControlsProgresWidget::visible() const { return marc_ && !marc_->isHidden(); }

void ControlsProgresWidget::setVisible(bool visible)
{
    if (marc_)
        marc_->setVisible(visible);
    if (farciment_)
        farciment_->setVisible(visible);
}

namespace ModTolvWiz {

NomsControlsProgres ControlsProgresDe(kovel::HostOffice host)
{
    switch (host) {
    case kovel::HostOffice::Word: return {"PctProgressBar", "lblProgresBar", "LblProgreso"};
    case kovel::HostOffice::Excel: return {"PctProgressBarHojas", "lblProgressBarHojas", "lblProgresoHojas"};
    default: return {"pctProgressBarTablas", "lblProgressBarTablas", "lblProgresoTablas"};
    }
}

bool LligaBarraProgreso(QWidget* finestra, kovel::HostOffice host)
{
    BarraProgreso = std::make_unique<ProgresBar>();
    if (!finestra)
        return false;
    const NomsControlsProgres noms = ControlsProgresDe(host);
    auto* marc = finestra->findChild<QWidget*>(QLatin1String(noms.marc));
    if (!marc)
        return false;
    auto* farciment = finestra->findChild<QLabel*>(QLatin1String(noms.farciment));
    if (farciment && farciment->parentWidget() != marc) {
        // The fill lives inside its frame, which clips it.
        farciment->setParent(marc);
        farciment->show();
    }
    if (!farciment && !qobject_cast<QProgressBar*>(marc)) {
        farciment = new QLabel(marc);
        farciment->setObjectName(QLatin1String(noms.farciment));
        farciment->show();
    }
    auto* rotol = finestra->findChild<QLabel*>(QLatin1String(noms.rotol));
    BarraProgreso->InitProgresBar(std::make_shared<ControlsProgresWidget>(marc, farciment, rotol));
    return true;
}

} // namespace ModTolvWiz
