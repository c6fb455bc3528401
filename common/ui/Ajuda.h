#pragma once
// The help of the wizard: one page per host in the program folder's "Help" folder, opened
// with the desktop's handler.
#include <QString>

namespace ModTolvWiz {

// "Help/Help_access.htm" for "Access", "Help/Help_excel.htm" for "Excel", else
// "Help/Help_word.htm" (host compared without regard to case), found in the program folder
// without regard to the case of its names.
QString PaginaAjuda(const QString& programaOffice);

// Opens the host's help page (ModTolvWiz::Abre_Documento); when it is missing, says so in
// an information box titled "Help not installed".
void MostrarAjuda();

} // namespace ModTolvWiz
