#pragma once
// The data-source panel's controls: the source options of the word processor's host, the
// worksheet or table list of the others with the progress of their reading.
#include "wizard/ui/panels/VistaPas.h"

#include <array>

class QListWidget;

namespace kovel::wizard {

class PasOrigen;

class VistaOrigen : public VistaPas {
public:
    VistaOrigen(FrmTolvWiz& finestra, PasOrigen& model);

    void construeix() override;
    // The spreadsheet's and the database's titles.
    void textos() override;
    void aparenca() override;
    void mostra() override;
    // The list is read again at every showing: its progress shows in its place.
    QProgressBar* barraProgres() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PasOrigen& origen() const;

    std::array<kovel::ui::BotoImatge*, 4> opcOrigDatos{};
    std::array<QLabel*, 4> Label_opcDatos{};
    QListWidget* LstHojas = nullptr;
    QListWidget* LstTablas = nullptr;
    QProgressBar *PctProgressBarHojas = nullptr, *pctProgressBarTablas = nullptr;
    QLabel *lblProgresoHojas = nullptr, *lblProgresoTablas = nullptr;
    QLabel *pctExcelPanel3 = nullptr, *pctAccessPanel3 = nullptr;
};

} // namespace kovel::wizard
