#pragma once
// The start-up's way into the wizard.
#include "wizard/ui/Arrencada.h"

namespace kovel::wizard {

// Loads the wizard window for the host chosen at start-up (the host profile), shows it and
// runs it until it closes. Returns the program's exit status: 0 when the wizard ran, 1 when
// it could not load (its message has been shown), 2 without a display to show it on.
// Needs a QApplication.
int ExecutaAssistent(const ArrencadaAssistent& arrencada);

} // namespace kovel::wizard
