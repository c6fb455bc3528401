#pragma once
// Screen scale and centring applied to the program's windows (the maths: common/Visual.h).
#include "common/Visual.h"

class QWidget;

namespace Visual {

// The twips per pixel of the screen the window is on (of the primary screen when it has
// none yet), unless a test fixed them with setTwipsPerPixel.
TwipsPerPixel TwipsPerPixelPantalla(const QWidget* finestra);

// Records the screen's scale (EscalaActual) and rescales the window and every control of a twip-measured
// container. Widgets are placed in pixels of the 15-twips design: each geometry is read as
// twips, scaled, and put back in the screen's pixels. An image control (a QLabel showing a
// picture, unless its property "imatge" is false, or any widget with that property true)
// keeps its size in twips; the
// controls inside a container whose property "ScaleMode" is set to anything but 1 stay as
// they are.
void AdaptarDPI(QWidget* finestra);

// Centres the window on its screen, or puts it at the top when its bottom would reach the
// band of 30 pixels kept free for the taskbar.
void CentrarFormulari(QWidget* finestra);

} // namespace Visual
