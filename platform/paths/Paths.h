#pragma once
// Where the program's own files, the user's data and the user's documents live.
// Paths use "/"; program files are found without regard to letter case.
#include <QString>

namespace kovel::paths {

// The folder of the running program's file, or $KOVEL_PROGRAM_DIR when set. No trailing
// "/" except for the root itself.
QString programDir();

// $XDG_DATA_HOME, else ~/.local/share; created when missing. No trailing "/".
QString appDataDir();

// $XDG_CONFIG_HOME, else ~/.config. No trailing "/".
QString configDir();

// The user's documents folder (the desktop's own, else ~/Documents).
QString documentsDir();

// The settings files: $KOVEL_MACHINE_REGISTRY, else machine.reg in the program folder;
// $KOVEL_USER_REGISTRY, else <configDir>/kovel-videvoviv/user.reg.
QString machineRegistryFile();
QString userRegistryFile();

// `relative` (with "/" or "\" separators, a leading one ignored) under `base`, each component matched without
// regard to case when the exact name is not there. Returns the path that exists, or
// base + "/" + relative (normalised) when nothing matches, so callers can name it in a
// message.
QString findCaseInsensitive(const QString& base, const QString& relative);

// findCaseInsensitive(programDir(), relative).
QString programFile(const QString& relative);

// Removes one trailing "/" (never from "/" itself) and turns "\" into "/".
QString withoutTrailingSlash(const QString& path);

} // namespace kovel::paths
