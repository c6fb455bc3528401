#pragma once
// What the two code dialogs' windows share besides their size boxes (CaixesMida): the
// advanced options shown or hidden, and the colour buttons.
#include <cstdint>
#include <functional>

class QGroupBox;
class QPushButton;
class QWidget;

namespace kovel::codes {

// Shows the advanced options `opcions` when `visible` is false and hides them when true
// (then flipping it): `finestra` takes its full or compact height (twips) and `boto` the
// matching caption. Below the compact window the frame would only be cut off.
void AlternaAvancat(QWidget& finestra, bool& visible, QPushButton& boto, QGroupBox& opcions, int alcadaCompacta,
                    int alcadaCompleta);

// `boto` opens the colour dialog (`triar`, the window's, which tests replace) on `llegir()`'s
// colour and hands the chosen one to `posar`; cancelled, nothing changes.
void ConnectaColor(QPushButton* boto, const std::function<bool(std::uint32_t&)>& triar, std::function<std::uint32_t()> llegir,
                   std::function<void(std::uint32_t)> posar);

} // namespace kovel::codes
