#pragma once
// The host application and the wizard's panel numbers, fixed once at start-up.
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
// Sets the host, its name and its panel numbers (all 0 for Cap). The host profiles below call
// it; tests call it to change the host between cases.
void EstablirHost(HostOffice host);

} // namespace kovel

// The host's name for the texts that show it; set only through kovel::EstablirHost. Code that
// decides by host asks kovel::Host().
extern const QString& ProgramaOffice;
extern std::uint8_t PanelInicio, PanelFormato, PanelEtiqueta, PanelOrigenDatos, PanelHoja,
    PanelDiseno, PanelFinal, PanelExtra7, PanelExtra8, PanelGuardados, UltimoPanel;

namespace Word_espec { void Inicialitzar(); }
namespace Excel_espec { void Inicialitzar(); }
namespace Access_espec { void Inicialitzar(); }
