#pragma once
// The data-source file in use and the hooks the data sources call around the file choice.
#include <QString>
#include <functional>

// Full path of the workbook or database open now; written by ClsExcel and ClsAccess.
extern QString FontDadesActual;

namespace kovel::datasources {

// The splash window is hidden before the data sources ask the user for a file and shown
// again after; the wizard sets these (no-ops until then).
void setPresentacio(std::function<void()> amagar, std::function<void()> mostrar);
void AmagarPresentacio();
void MostrarPresentacio();

} // namespace kovel::datasources
