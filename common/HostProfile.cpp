#include "common/HostProfile.h"

namespace {
kovel::HostOffice g_host = kovel::HostOffice::Cap;
QString g_nom;
} // namespace

const QString& ProgramaOffice = g_nom;
std::uint8_t PanelInicio = 0, PanelFormato = 0, PanelEtiqueta = 0, PanelOrigenDatos = 0, PanelHoja = 0,
             PanelDiseno = 0, PanelFinal = 0, PanelExtra7 = 0, PanelExtra8 = 0, PanelGuardados = 0,
             UltimoPanel = 0;

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
    const bool cap = host == HostOffice::Cap;
    // The panel numbers shared by the three hosts; the Word-only panels exist on Word alone.
    PanelInicio = 0;
    PanelFormato = cap ? 0 : 1;
    PanelEtiqueta = cap ? 0 : 2;
    PanelOrigenDatos = cap ? 0 : 3;
    PanelHoja = cap ? 0 : 4;
    PanelDiseno = cap ? 0 : 5;
    PanelFinal = cap ? 0 : 6;
    PanelExtra7 = host == HostOffice::Word ? 7 : 0;
    PanelExtra8 = host == HostOffice::Word ? 8 : 0;
    PanelGuardados = cap ? 0 : 9;
    UltimoPanel = cap ? 0 : 9;
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
