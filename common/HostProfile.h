#pragma once
// The host application and the wizard's panel numbers, fixed once at start-up.
#include <QString>
#include <cstdint>

extern QString ProgramaOffice;
extern std::uint8_t PanelInicio, PanelFormato, PanelEtiqueta, PanelOrigenDatos, PanelHoja,
    PanelDiseno, PanelFinal, PanelExtra7, PanelExtra8, PanelGuardados, UltimoPanel;

namespace Word_espec { void Inicialitzar(); }
namespace Excel_espec { void Inicialitzar(); }
namespace Access_espec { void Inicialitzar(); }
