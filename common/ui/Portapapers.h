#pragma once
// The user's desktop clipboard behind the program's clipboard interface.
#include "common/Portapapers.h"

namespace Portapapers {

// QClipboard of the running QGuiApplication. Make it current with EstablirPorta(&Escriptori()).
Porta& Escriptori();

} // namespace Portapapers
