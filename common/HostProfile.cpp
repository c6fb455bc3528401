#include "common/HostProfile.h"

QString ProgramaOffice;
std::uint8_t PanelInicio = 0, PanelFormato = 0, PanelEtiqueta = 0, PanelOrigenDatos = 0, PanelHoja = 0,
             PanelDiseno = 0, PanelFinal = 0, PanelExtra7 = 0, PanelExtra8 = 0, PanelGuardados = 0,
             UltimoPanel = 0;

namespace {
// The panel numbers shared by the three hosts; the Word-only panels are set by Word alone.
void commonPanels()
{
    PanelInicio = 0;
    PanelFormato = 1;
    PanelEtiqueta = 2;
    PanelOrigenDatos = 3;
    PanelHoja = 4;
    PanelDiseno = 5;
    PanelFinal = 6;
}
} // namespace

namespace Word_espec {
void Inicialitzar()
{
    ProgramaOffice = QStringLiteral("Word");
    commonPanels();
    PanelExtra7 = 7;
    PanelExtra8 = 8;
    PanelGuardados = 9;
    UltimoPanel = 9;
}
} // namespace Word_espec

namespace Excel_espec {
void Inicialitzar()
{
    ProgramaOffice = QStringLiteral("Excel");
    commonPanels();
    PanelExtra7 = 0; // the Word-only panels do not exist here
    PanelExtra8 = 0;
    PanelGuardados = 9;
    UltimoPanel = 9;
}
} // namespace Excel_espec

namespace Access_espec {
void Inicialitzar()
{
    ProgramaOffice = QStringLiteral("Access");
    commonPanels();
    PanelExtra7 = 0; // the Word-only panels do not exist here
    PanelExtra8 = 0;
    PanelGuardados = 9;
    UltimoPanel = 9;
}
} // namespace Access_espec
