#include "common/ProgresBar.h"

#include "common/ModReg.h"

#include <algorithm>

std::unique_ptr<ProgresBar> BarraProgreso;

namespace {
constexpr std::int16_t kJocDretaEsquerra = 178;
}

void ProgresBar::InitProgresBar(std::shared_ptr<ControlsProgres> c, std::optional<double> left,
                                std::optional<double> top, std::optional<double> width, std::optional<double> height)
{
    controls_ = std::move(c);
    if (!controls_)
        return;
    rtl_ = ModReg::LlegirJocCaracters() == kJocDretaEsquerra;
    controls_->setMarc(left.value_or(controls_->marcLeft()), top.value_or(controls_->marcTop()),
                       width.value_or(controls_->marcWidth()), height.value_or(controls_->marcHeight()));
    left_ = controls_->marcLeft();
    top_ = controls_->marcTop();
    width_ = controls_->marcWidth();
    height_ = controls_->marcHeight();
    ampladaFarciment_ = 0;
    controls_->setFarciment(rtl_ ? controls_->ampladaInterior() : 0, 0, 0, controls_->alcadaInterior());
    controls_->pintaFarciment();
    if (rtl_)
        controls_->posaRotolDreta(left_ + width_);
    max_ = 100;
}

void ProgresBar::setValue(std::int16_t v)
{
    value_ = v;
    if (!controls_)
        return;
    const double interior = controls_->ampladaInterior();
    if (max_ == 0 || v == 0) {
        ampladaFarciment_ = 0;
        controls_->setFarciment(rtl_ ? interior : 0, 0, 0, controls_->alcadaInterior());
        return;
    }
    ampladaFarciment_ = double(v) / double(max_) * interior;
    // A negative value gives no fill rather than a fill of negative width.
    ampladaFarciment_ = std::max(0.0, ampladaFarciment_);
    controls_->setFarciment(rtl_ ? interior - ampladaFarciment_ : 0, 0, ampladaFarciment_, controls_->alcadaInterior());
}

bool ProgresBar::Visible() const { return controls_ && controls_->visible(); }

void ProgresBar::setVisible(bool visible)
{
    if (controls_)
        controls_->setVisible(visible);
}

void ProgresBar::setHeight(double v)
{
    height_ = v;
    if (!controls_)
        return;
    const double interior = controls_->ampladaInterior();
    controls_->setFarciment(rtl_ ? interior - ampladaFarciment_ : 0, 0, ampladaFarciment_, controls_->alcadaInterior());
}

namespace ModTolvWiz {

void AvancaBarraProgreso()
{
    if (!BarraProgreso || !BarraProgreso->lligada())
        return;
    const std::int16_t v = BarraProgreso->Value();
    BarraProgreso->setValue(v < INT16_MAX ? std::int16_t(v + 1) : v);
}

void IniciaBarraProgreso(std::int32_t passos)
{
    if (!BarraProgreso || !BarraProgreso->lligada())
        return;
    BarraProgreso->setMin(0);
    BarraProgreso->setValue(0);
    BarraProgreso->setMax(std::int16_t(std::clamp<std::int32_t>(passos, 0, INT16_MAX)));
}

} // namespace ModTolvWiz
