#pragma once
// The wizard's message routines and runtime services that every subsystem uses.
#include <QString>

// True when the whole command line was "LOG": Escribe_Log then writes "Runtime.log".
extern bool ModoLog;

namespace ModTolvWiz {

// Exclamation box (style 48) titled "KOVEL Videvoviv".
void Mensaje_Error(const QString& text);
// Question box with Yes and No (style 36) titled "KOVEL Videvoviv"; true on Yes.
bool Pregunta_SiNo(const QString& text);
// Run before either routine shows its box (the splash window closes itself there).
void setAbansDeMissatge(void (*hook)());

// The program folder followed by "/" (a single one when it already ends with one).
QString Carpeta_Programa();

// The first line of "versio.txt" in `carpeta` (the program folder when empty), without its
// line end, at most 255 characters; "" when the file is missing or unreadable, so that the
// program carries on with an empty version.
QString LlegirVersio(const QString& carpeta = {});

// With ModoLog, appends "<date and time>: <message>" to Runtime.log in the program folder;
// a log that cannot be opened is passed over (written to stderr instead).
void Escribe_Log(const QString& message);

} // namespace ModTolvWiz
