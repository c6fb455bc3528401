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

QStringList RotolsCamps(const QStringList& camps, const QStringList& titols)
{
    QStringList rotols;
    rotols.reserve(camps.size());
    for (qsizetype i = 0; i < camps.size(); ++i) {
        const QString titol = titols.value(i).simplified();
        rotols << (titol.isEmpty() || titol == camps[i] ? camps[i] : camps[i] + QStringLiteral(" \u2014 ") + titol);
    }
    return rotols;
}

void CampsEntorn::Omplir()
{
    EntornDisseny* e = Entorn();
    camps_ = e ? e->Camps() : QStringList();
    rotols_ = RotolsCamps(camps_, e ? e->Titols() : QStringList());
    ++ompliments_;
}

} // namespace kovel::codes
