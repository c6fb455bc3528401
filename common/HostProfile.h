#pragma once
// The host application, fixed once at start-up, and the wizard's panel numbers on each host.
#include <QString>
#include <cstdint>

namespace kovel {

// The office application the program serves; Cap until a host switch has been read.
enum class HostOffice : std::uint8_t { Cap, Word, Excel, Access };

// The host chosen at start-up.
HostOffice Host();
// "Word", "Excel", "Access"; "" for Cap.
QString NomHost(HostOffice host);
// The inverse of NomHost, letter case counting unless `cs` says otherwise ("Word" only, not
// "word"); Cap for any other text. The one place a host's name is read back.
HostOffice HostDeNom(const QString& nom, Qt::CaseSensitivity cs = Qt::CaseSensitive);
// Sets the host and its name. The host profiles below call it; tests call it to change the
// host between cases.
void EstablirHost(HostOffice host);

// The wizard's panel numbers on one host. The wizard's state holds its own copy, taken from its
// host; whoever else needs a number is given it.
struct NumerosPanel {
    std::uint8_t PanelInicio = 0;
    std::uint8_t PanelFormato = 0;
    std::uint8_t PanelEtiqueta = 0;
    std::uint8_t PanelOrigenDatos = 0;
    std::uint8_t PanelHoja = 0;
    std::uint8_t PanelDiseno = 0;
    std::uint8_t PanelFinal = 0;
    std::uint8_t PanelExtra7 = 0;   // Word only
    std::uint8_t PanelExtra8 = 0;   // Word only
    std::uint8_t PanelGuardados = 0;
    std::uint8_t UltimoPanel = 0;
};
// The numbers of `host`: 0 to 6 and 9 on the three hosts, 7 and 8 on Word alone (0 elsewhere);
// every number 0 for Cap.
NumerosPanel NumerosPanels(HostOffice host);

} // namespace kovel

// The host's name for the texts that show it; set only through kovel::EstablirHost. Code that
// decides by host asks kovel::Host().
extern const QString& ProgramaOffice;

namespace Word_espec { void Inicialitzar(); }
namespace Excel_espec { void Inicialitzar(); }
namespace Access_espec { void Inicialitzar(); }
