#pragma once
// The user's folders and small file services.
#include <QString>
#include <cstdint>

// The user's data folder: the application-data folder followed by "/KOVEL Videvoviv/"
// (with its trailing "/"). Set by the saved-designs store; empty until then, and
// directoris::DirectoriTmp then uses fitxers::CarpetaDadesPerDefecte().
extern QString CarpetaDades;

namespace fitxers {

// Every file the programs write goes through the shared writer of
// platform/files/EscripturaAtomica.h: kovel::files::EscriuAtomic(path, bytes, &error) for a
// whole file, kovel::files::EscripturaAtomica (escriu()/confirma()) piece by piece, and
// kovel::files::AfegeixSegur for a line added to a log. A failure keeps the old file.

// The user's application-data folder, created when missing, without a trailing "/".
// When it cannot be made, the pop-up says "The folder does not exist" and the result is "".
QString CarpetaAppData();
// CarpetaAppData() + "/KOVEL Videvoviv/".
QString CarpetaDadesPerDefecte();
// True when the path exists and is not a folder.
bool EsFitxer(const QString& path);

} // namespace fitxers

namespace directoris {

// CarpetaDades + "tmp" (no trailing "/"), created when missing.
QString DirectoriTmp();
// Copies an existing source over the target (replacing it in one step). False, with the
// target untouched, when the source is missing or the copy cannot be made.
bool CopiaFitxer(const QString& source, const QString& target);

} // namespace directoris
