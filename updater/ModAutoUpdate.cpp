#include "updater/ModAutoUpdate.h"

namespace ModAutoUpdate {

void LlegirConfiguracio() {}

int UnaActualitzacio()
{
    return 1;
}

void EscriureLog(const QString&, int) {}

} // namespace ModAutoUpdate
