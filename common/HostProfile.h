#pragma once
// The host application, fixed once at start-up, and the wizard's panel numbers.
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

// The wizard's panels by number, the same on every host. The spreadsheet's field panel (4)
// is never shown.
struct NumerosPanel {
    enum Numero : std::uint8_t {
        PanelInicio = 0,
        PanelFormato = 1,
        PanelEtiqueta = 2,
        PanelOrigenDatos = 3,
        PanelHoja = 4,
        PanelDiseno = 5,
        PanelFinal = 6,
        PanelGuardados = 9,
    };
};
// How many panel numbers there are: 0 to 9.
inline constexpr int NombrePanels = 10;

} // namespace kovel

// The host's name for the texts that show it; set only through kovel::EstablirHost. Code that
// decides by host asks kovel::Host().
extern const QString& ProgramaOffice;

namespace Word_espec { void Inicialitzar(); }
namespace Excel_espec { void Inicialitzar(); }
namespace Access_espec { void Inicialitzar(); }
