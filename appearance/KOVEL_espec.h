#pragma once
// The product look as data: which picture each control of the windows wears, the fonts,
// colours and positions of the wizard window and the details window, and the layout
// numbers of the wizard. Plain values that the windows' look applies and tests walk.
#include "common/HostProfile.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace KOVEL_espec {

// The highlight colour of the windows, RGB(0, 118, 196) as a Basic number (&HBBGGRR).
inline constexpr std::uint32_t ColorDestacado = 0xC47600;

// One picture assignment of a skin loader. `index` −1: a single control; `control` empty:
// the window itself. Sizes and tops in twips, −1 when not set.
struct Pell {
    const char* control;
    int index;
    const char* normal;      // nullptr: no picture
    const char* actiu;
    const char* sobre;
    bool nomesWord = false;
    int ample = -1, alt = -1, dalt = -1;
    int visible = -1;        // −1 unchanged, 0 hidden, 1 shown
};

// The wizard window's skin, in the order it is applied.
const std::vector<Pell>& PellsAssistent();
// The message box's and the details window's.
const std::vector<Pell>& PellsMissatge();
const std::vector<Pell>& PellsOpcions();
// Every picture file the loaders ask for, each once.
std::vector<QString> FitxersPells();

// A font, colour, position and visibility setting of the product look. Positions are in
// screen pixels (converted to twips when applied); alignment 0 left, 1 right.
struct Estil {
    const char* control = nullptr;
    int primer = -1, darrer = -1;  // a range of a control array, or −1 for a single control
    bool verdana = false;
    std::optional<bool> negreta = std::nullopt;
    bool textBlanc = false;
    std::optional<int> esquerraPx = std::nullopt, daltPx = std::nullopt;
    std::optional<int> alineacio = std::nullopt;
    std::optional<bool> visible = std::nullopt;
    bool colorsBoto = false;       // the skinned button's white and highlight caption colours
    bool colorSobre = false;       // and its third colour, the highlight under the pointer
    bool ancoraDretaPx = false;    // esquerraPx is where the right edge goes
};
// The wizard window's settings: for every host, then the host's own, then for every host.
std::vector<Estil> EstilsFormulari(kovel::HostOffice host);

// Geometry of the wizard window, twips.
inline constexpr int AltFormulari = 7500, AmpleFormulari = 11700;
inline constexpr int AmplePanel = 11610, AltPanel = 6390, PanelsDimensionats = 9;
inline constexpr int DaltPanelBaix = 6390, AltPanelBaix = 630;
// The window's size above counts its title bar and borders; what lies inside them is exactly
// the panels over the bottom bar.
inline constexpr int AmpleClient = AmplePanel, AltClient = DaltPanelBaix + AltPanelBaix;
inline constexpr std::int16_t AnchoMarcoDocumento = 11340;
inline constexpr std::array<std::int16_t, 8> MedidasVistaPrevia{0, 2900, 6695, 2900, 2900, 5800, 5820, 5820};

// The tops (twips) of the five paper types stacked in the order A5, A4, continuous,
// Letter, thermal, given which are shown; a hidden one keeps its place (no value). With
// none shown nothing moves.
std::array<std::optional<int>, 5> AlineaOpcionsPaper(const std::array<bool, 5>& visibles);

// A design rectangle of the final panel, twips (−1 unset).
struct Lloc {
    const char* control;
    int index;
    int esquerra, dalt, ample, alt;
};
const std::vector<Lloc>& LlocsTitolPanel();
const std::vector<Lloc>& LlocsPanelDistribucio();

} // namespace KOVEL_espec
