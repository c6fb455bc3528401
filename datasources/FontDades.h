#pragma once
// The hooks the data sources call around the file choice.
#include <QString>
#include <functional>
#include <optional>

namespace kovel::datasources {

// The splash window is hidden before the data sources ask the user for a file and shown
// again after; the wizard sets these (no-ops until then).
void setPresentacio(std::function<void()> amagar, std::function<void()> mostrar);
void AmagarPresentacio();
void MostrarPresentacio();

// What a data source asks for when no file was named: the open-file dialog's title, its
// filter in pair form (description, NUL, pattern, NUL, ...) and the default extension.
struct PeticioFitxer {
    QString titol;
    QString filtre;
    QString extensioDefecte;
};
// Asks the user for a file and returns its path, or nothing when the user cancelled. The
// program puts the open-file dialog here at start-up, tests their own answer; with none
// set, no file is chosen. The sources keep only an existing file of at most 254 characters.
using DemanaFitxer = std::function<std::optional<QString>(const PeticioFitxer&)>;
void setDemanaFitxer(DemanaFitxer demana);
std::optional<QString> TriaFitxer(const PeticioFitxer& peticio);

} // namespace kovel::datasources
