#include "codes/EntornDisseny.h"

#include "common/HostProfile.h"

#include <QLocale>
#include <QSet>

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

bool EsFilaTitols(const QStringList& fila)
{
    QSet<QString> vistos;
    for (const QString& cella : fila) {
        const QString t = cella.trimmed();
        if (t.isEmpty()) continue;
        bool numero = false;
        QLocale::c().toDouble(t, &numero);
        if (!numero) QLocale::system().toDouble(t, &numero);
        if (numero || vistos.contains(t)) return false;
        vistos.insert(t);
    }
    return !vistos.isEmpty();
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

} // namespace kovel::codes
