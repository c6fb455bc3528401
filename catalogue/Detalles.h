#pragma once
// What the format details window shows of one catalogue format: its description texts, its
// measures in millimetres or inches, its paper with the paper's size, and the kinds of use
// that the description's class tag marks.
#include <QString>
#include <array>
#include <optional>

struct Cataleg;

namespace kovel::catalogue {

struct DetallesFormato {
    std::array<QString, 3> descripcion;      // reference, description, additional number
    std::array<QString, 8> medidas;          // top margin, height, left margin, width, pitches, columns, rows
    std::optional<QString> papel;            // the paper and its size; none for an unknown paper code
    bool unidadesDisponibles = false;        // the unit options apply (Letter paper)
    std::array<bool, 6> usos{};              // the check marks of the six use classes
};

// The details of catalogue format `indice`; `pulgadas` is the unit option as it stands (only
// Letter and thermal formats are shown in inches). `captionPapel` names the paper types by
// paper code. Empty details for an index outside the catalogue.
DetallesFormato CalculaDetalles(const Cataleg& cat, int indice, bool pulgadas,
                                const std::array<QString, 5>& captionPapel);

// The use classes that the first class tag found in a description marks.
std::array<bool, 6> UsosDeDescripcion(const QString& descripcion);

// A number as the program writes it for the user: its shortest text, with the user's
// decimal separator.
QString TextoNumero(float valor);

} // namespace kovel::catalogue
