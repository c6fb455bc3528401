#pragma once
// The progress bar's controls on a window: a frame widget, a label as the fill inside it and
// a caption label beside it (the model: common/ProgresBar.h).
#include "common/HostProfile.h"
#include "common/ProgresBar.h"

#include <QPointer>

class QLabel;
class QWidget;

class ControlsProgresWidget : public ControlsProgres {
public:
    // The fill must be a child of the frame. Controls that have gone are passed over.
    ControlsProgresWidget(QWidget* marc, QLabel* farciment, QLabel* rotol);

    double marcLeft() const override;
    double marcTop() const override;
    double marcWidth() const override;
    double marcHeight() const override;
    void setMarc(double left, double top, double width, double height) override;
    double ampladaInterior() const override;
    double alcadaInterior() const override;
    void setFarciment(double left, double top, double width, double height) override;
    void pintaFarciment() override;
    void posaRotolDreta(double left) override;
    bool visible() const override;
    void setVisible(bool visible) override;

private:
    QPointer<QWidget> marc_;
    QPointer<QLabel> farciment_;
    QPointer<QLabel> rotol_;
};

namespace ModTolvWiz {

// The names of the host's three progress controls (frame, fill, caption): Word PctProgressBar,
// lblProgresBar, LblProgreso; Excel PctProgressBarHojas, lblProgressBarHojas,
// lblProgresoHojas; any other host pctProgressBarTablas, lblProgressBarTablas,
// lblProgresoTablas.
struct NomsControlsProgres {
    const char* marc;
    const char* farciment;
    const char* rotol;
};
NomsControlsProgres ControlsProgresDe(kovel::HostOffice host);

// BarraProgreso := a new bar bound to the host's controls of `finestra`, found by name. A
// fill label the window lacks is made inside the frame under its name, unless the frame is a
// QProgressBar, which then shows the fill's share itself. False (the bar created but
// unbound) when the window has no such frame.
bool LligaBarraProgreso(QWidget* finestra, kovel::HostOffice host);

} // namespace ModTolvWiz
