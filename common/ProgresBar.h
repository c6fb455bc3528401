#pragma once
// The progress bar of long operations: a frame, a fill that grows with the value, and a
// caption beside them. The class keeps the value against a maximum and says where the fill
// goes; the controls it draws on stand behind ControlsProgres (common/ui/ProgresBarUi.h puts
// the wizard window's widgets there; tests put their own).
#include <cstdint>
#include <memory>
#include <optional>

class ControlsProgres {
public:
    virtual ~ControlsProgres() = default;
    // The frame's place and size in twips, and the size of its inside (within its border).
    virtual double marcLeft() const = 0;
    virtual double marcTop() const = 0;
    virtual double marcWidth() const = 0;
    virtual double marcHeight() const = 0;
    virtual void setMarc(double left, double top, double width, double height) = 0;
    virtual double ampladaInterior() const = 0;
    virtual double alcadaInterior() const = 0;
    // The fill's place and size inside the frame, in twips; the first binding also gives it
    // the system's highlight colour.
    virtual void setFarciment(double left, double top, double width, double height) = 0;
    virtual void pintaFarciment() = 0;
    // Right to left: the caption stands at `left` (to the right of the frame), left-aligned.
    virtual void posaRotolDreta(double left) = 0;
    virtual bool visible() const = 0;
    virtual void setVisible(bool visible) = 0;   // the frame and the fill together
};

class ProgresBar {
public:
    // Binds the bar to its controls: the interface character set is read (178 is right to
    // left), the given place and size applied to the frame and kept, the fill emptied at the
    // frame's start edge, the caption moved for right to left, Max := 100. The controls must
    // outlive the binding. A missing argument leaves that part of the frame as it is.
    void InitProgresBar(std::shared_ptr<ControlsProgres> controls, std::optional<double> left = {},
                        std::optional<double> top = {}, std::optional<double> width = {},
                        std::optional<double> height = {});
    bool lligada() const { return bool(controls_); }

    std::int16_t Value() const { return value_; }
    // Redraws the fill: value ÷ Max of the frame's inside (empty for 0 or Max 0); from the
    // right edge under right to left. Above Max the fill outgrows the frame, which clips it.
    void setValue(std::int16_t v);
    std::int16_t Min() const { return min_; }
    void setMin(std::int16_t v) { min_ = v; }
    std::int16_t Max() const { return max_; }
    void setMax(std::int16_t v) { max_ = v; }

    bool Visible() const;
    void setVisible(bool visible);

    double Left() const { return left_; }
    double Top() const { return top_; }
    double Width() const { return width_; }
    double Height() const { return height_; }
    void setLeft(double v) { left_ = v; }
    void setTop(double v) { top_ = v; }
    void setWidth(double v) { width_ = v; }
    // Stores the height and gives the fill the frame's inner height.
    void setHeight(double v);

    bool dretaAEsquerra() const { return rtl_; }

private:
    std::shared_ptr<ControlsProgres> controls_;
    std::int16_t min_ = 0, max_ = 0, value_ = 0;
    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    double ampladaFarciment_ = 0;
    bool rtl_ = false;
};

// The bar bound at start-up to the host's progress controls; empty before (and in the print
// mode, which never has one).
extern std::unique_ptr<ProgresBar> BarraProgreso;

namespace ModTolvWiz {
// One step of BarraProgreso (Value + 1, not past 32767); nothing without a bound bar.
void AvancaBarraProgreso();
// Sets BarraProgreso up for `passos` steps (Min 0, Max `passos` held to 16 bits, Value 0);
// nothing without a bound bar.
void IniciaBarraProgreso(std::int32_t passos);
} // namespace ModTolvWiz
