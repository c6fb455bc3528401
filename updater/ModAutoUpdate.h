#pragma once
// The update run: its settings, its log and one check for a newer installer.
#include <QString>

namespace ModAutoUpdate {

// Reads the update settings from the machine registry.
void LlegirConfiguracio();
// One update run: loads the literals, logs its start, checks for a newer installer and logs
// its end. Returns the process exit status (0 success, non-zero failure).
int UnaActualitzacio();
// Appends a dated line to "warnings.log" when the level is 1 or below.
void EscriureLog(const QString& message, int level);

} // namespace ModAutoUpdate
