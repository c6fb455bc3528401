#include "common/HostProfile.h"

namespace {
kovel::HostOffice g_host = kovel::HostOffice::Cap;
QString g_nom;
} // namespace

const QString& ProgramaOffice = g_nom;

namespace kovel {

HostOffice Host() { return g_host; }

QString NomHost(HostOffice host)
{
    switch (host) {
    case HostOffice::Word: return QStringLiteral("Word");
    case HostOffice::Excel: return QStringLiteral("Excel");
    case HostOffice::Access: return QStringLiteral("Access");
    case HostOffice::Cap: break;
    }
    return {};
}

HostOffice HostDeNom(const QString& nom, Qt::CaseSensitivity cs)
{
    for (HostOffice h : {HostOffice::Word, HostOffice::Excel, HostOffice::Access})
        if (nom.compare(NomHost(h), cs) == 0)
            return h;
    return HostOffice::Cap;
}

void EstablirHost(HostOffice host)
{
    g_host = host;
    g_nom = NomHost(host);
}

} // namespace kovel

namespace Word_espec {
void Inicialitzar() { kovel::EstablirHost(kovel::HostOffice::Word); }
} // namespace Word_espec

namespace Excel_espec {
void Inicialitzar() { kovel::EstablirHost(kovel::HostOffice::Excel); }
} // namespace Excel_espec

namespace Access_espec {
void Inicialitzar() { kovel::EstablirHost(kovel::HostOffice::Access); }
} // namespace Access_espec
