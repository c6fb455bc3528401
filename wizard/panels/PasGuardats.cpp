#include "wizard/panels/PasGuardats.h"

#include "wizard/EstatAssistent.h"

namespace kovel::wizard {

void PasGuardats::Llenar()
{
    cmdObrir = cmdCrear = false;
    lstGuardatsIndex = -1;
}

bool PasGuardats::Validar(Avis& avis)
{
    if ((!cmdObrir && !cmdCrear) || (cmdObrir && lstGuardatsIndex < 0)) {
        avis = AvisLiteral(7005);
        return false;
    }
    if (cmdObrir)
        estat_.entorn().recuperaDisseny(lstGuardatsIndex + 1);
    return true;
}

} // namespace kovel::wizard
