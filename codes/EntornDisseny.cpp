#include "codes/EntornDisseny.h"

namespace kovel::codes {

namespace {
EntornDisseny* g_entorn = nullptr;
}

void EstablirEntorn(EntornDisseny* entorn) { g_entorn = entorn; }
EntornDisseny* Entorn() { return g_entorn; }

} // namespace kovel::codes
