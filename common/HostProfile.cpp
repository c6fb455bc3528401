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

namespace {
// Excel and Access differ only in the host's name; the Word-only panels do not exist there.
void notWordHost(const char* name)
{
    ProgramaOffice = QString::fromLatin1(name);
    commonPanels();
    PanelExtra7 = 0;
    PanelExtra8 = 0;
    PanelGuardados = 9;
    UltimoPanel = 9;
}
} // namespace

namespace Excel_espec {
void Inicialitzar() { notWordHost("Excel"); }
} // namespace Excel_espec

namespace Access_espec {
void Inicialitzar() { notWordHost("Access"); }
} // namespace Access_espec
