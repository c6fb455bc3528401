#pragma once
// What the three installers share: their command lines, and putting one host's entry point
// into the office's user profile or taking it out again.
#include "platform/office/Office.h"
#include "platform/office/Paquet.h"

#include <QString>

namespace Instalador {

enum class Accio { Cap, Instal_lar, Desinstal_lar };

// The word processor's installer: one switch, compared in upper case: "/I" installs; "/U",
// "AUTOMATIC", "CUSTOM" and an empty line remove; anything else does nothing.
Accio AccioWord(const QString& linia);

// The spreadsheet's and the database's installers: " ", "Automatic" or "Custom" (exact)
// remove; "/PATH_EXE:" and "/BITMAP:" together (any case, either order) install.
struct LiniaOrdres {
    Accio accio = Accio::Cap;
    QString executable;   // the text after "/PATH_EXE:", without blanks or quotes around it
    QString imatge;       // the text after "/BITMAP:", the same way
};
LiniaOrdres LlegirLinia(const QString& linia);

// The folder of an executable's path, with its trailing "/".
QString CarpetaPrograma(const QString& executable);

// The name of the file that tells where the program lives, in the office's templates folder.
inline constexpr char NomRuta[] = "kovel_ruta.dat";

struct Resultat {
    bool ok = true;
    QString missatge;   // why it failed, naming the file or folder
};

// Installs the entry point into the profile: the package is built and deployed (replacing
// an earlier one). For the spreadsheet, "kovel_ruta.dat" is written too. On a failure
// nothing of it stays installed.
Resultat Instal_lar(const kovel::office::EntryPoint& entry, const kovel::office::Profile& profile);

// Removes the host's package from the profile (quiet when it is not there) and, for the
// spreadsheet, "kovel_ruta.dat" of the templates folder: nothing else is deleted.
Resultat Desinstal_lar(kovel::office::Host host, const kovel::office::Profile& profile);

} // namespace Instalador
