#include "codes/EntornDisseny.h"

#include "common/HostProfile.h"

namespace kovel::codes {

namespace {
EntornDisseny* g_entorn = nullptr;
}

void EstablirEntorn(EntornDisseny* entorn) { g_entorn = entorn; }
EntornDisseny* Entorn() { return g_entorn; }

bool HostAmbCamps()
{
    return kovel::Host() == kovel::HostOffice::Excel || kovel::Host() == kovel::HostOffice::Access;
}

} // namespace kovel::codes
