#pragma once
// The paper panel's controls: a paper type option with its caption, its picture and sizes.
#include "wizard/ui/panels/VistaPas.h"

#include <array>

namespace kovel::wizard {

class PasPaper;

class VistaPaper : public VistaPas {
public:
    VistaPaper(FrmTolvWiz& finestra, PasPaper& model);

    void construeix() override;
    void textos() override;
    void aparenca() override;
    void mostra() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PasPaper& paper() const;
    void optPapel_Click(int tipus);
    // The visible paper types one under another from 1760 twips, spread evenly over 3945.
    void AlineaOpcionsPaper();

    // By paper code (0 A4, 1 continuous, 2 Letter, 3 A5, 4 thermal).
    std::array<kovel::ui::BotoImatge*, 5> optPapel{};
    std::array<QLabel*, 5> lblDescrPapel{};
    std::array<QLabel*, 5> ImgPapel{};
    std::array<QLabel*, 6> lblMides{};   // A4, Letter, A5: width then length
};

} // namespace kovel::wizard
