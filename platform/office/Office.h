#pragma once
// The office suite on this platform is LibreOffice: Writer stands for the word processor
// (host "/W"), Calc for the spreadsheet ("/E"), Base for the database ("/A"). Its user
// installation is the profile that takes the entry points.
#include <QString>

namespace kovel::office {

enum class Host { Writer, Calc, Base };

// A LibreOffice user installation.
struct Profile {
    QString dir;   // local folder, without a trailing "/"

    // The form -env:UserInstallation takes (a file URL).
    QString url() const;
    // The office's templates folder, where "kovel_ruta.dat" lives.
    QString templatesDir() const;
};

// $KOVEL_OFFICE_PROFILE (a folder or a file URL) when set, else the user's own
// installation ($XDG_CONFIG_HOME/libreoffice/4, as LibreOffice itself finds it).
Profile profile();

// What names one host's package and its macro.
struct HostNames {
    const char* identifier;   // the extension's identifier, what unopkg lists and removes
    const char* library;      // the Basic library (one per package: two packages with one
                              // library name would shadow each other)
    const char* module;
    const char* macro;
    const char* context;      // the document service the merges apply to
    const char* hostSwitch;   // what the macro passes to the program
};
const HostNames& names(Host host);

// The macro's script URL: what the menu and toolbar commands run.
QString scriptUrl(Host host);

// Where the Tools-menu command and the toolbar button go: before a command that is
// usually there, else at the end.
struct Placement {
    QString menuPoint, menuCommand, menuFallback;
    QString toolbar, toolbarPoint, toolbarCommand, toolbarFallback;
};
Placement placement(Host host);

} // namespace kovel::office
