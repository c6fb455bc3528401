#pragma once
// Reading of the program's command line: the host switch or the one-document print mode.
#include "common/HostProfile.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace ModTolvWiz {

enum class AccioLinia { Cap, Word, Excel, Access, Impressio };

// The whole text compared without regard to case; "/W" with anything after it is no switch.
AccioLinia ClassificaLinia(const QString& linia);

// The host a whole command line chooses: "/W", "/E", "/A" (case ignored) and nothing else.
kovel::HostOffice HostDeLinia(const QString& linia);
// True when the whole line is "LOG", case ignored (the runtime log is then written).
bool ModoLogDeLinia(const QString& linia);

// The whole command line as one text: an empty one is refused with literal 6200, any other
// goes to Procesa_LineaComandos. A status returned ends the program with it; none means
// that the wizard goes on (with the host chosen, if any). A relative folder of the print
// mode is taken from `carpetaActual`.
std::optional<int> Lee_LineaComandos(const QString& linia, const QString& carpetaActual);
// The data source the user names in $KOVEL_ACTIVE_WORKBOOK or $KOVEL_CURRENT_DATABASE, when
// relative, is the user's: made absolute against `carpetaActual`, the folder the program was
// started in, before start-up changes into the program folder.
void FixaRutesDeLEntorn(const QString& carpetaActual);
// "/W", "/E", "/A" set the host profile; "/P..." runs the print mode and gives its status.
std::optional<int> Procesa_LineaComandos(const QString& linia, const QString& carpetaActual);

} // namespace ModTolvWiz
