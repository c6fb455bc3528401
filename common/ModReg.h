#pragma once
// Settings of the program: the machine-wide and per-user values under the product key.
#include <QString>
#include <cstdint>

namespace ModReg {

enum class Root { CurrentUser, LocalMachine };
inline constexpr Root HKEY_CURRENT_USER = Root::CurrentUser;
inline constexpr Root HKEY_LOCAL_MACHINE = Root::LocalMachine;

// "Software\KOVEL Systems\KOVEL Videvoviv\6\" (ends with a backslash).
extern const QString ClauProducte;

// The four primitives. Reads give "" or 0 on any failure; writes never report.
QString LlegirCadena(Root root, const QString& keyPath, const QString& valueName);
std::int16_t LlegirEnter(Root root, const QString& keyPath, const QString& valueName);
void EscriureCadena(Root root, const QString& keyPath, const QString& valueName, const QString& text);
// Same as EscriureCadena (the name the document and installer code use).
void DesarCadena(Root root, const QString& keyPath, const QString& valueName, const QString& text);
// A 4-byte value (dword); used by the installers and the tests.
void EscriureEnter(Root root, const QString& keyPath, const QString& valueName, std::int32_t value);
void EsborrarValor(Root root, const QString& keyPath, const QString& valueName);
// Why the root's settings file cannot be used, naming the file; "" when it is missing or
// sound. Reads of a damaged file give "" and 0 like missing values; this tells them apart.
QString ProblemaFitxer(Root root);

// Settings functions.
void DesarSeleccio(const QString& name, const QString& text);
QString LlegirSeleccio(const QString& name);
void EsborrarLlista(const QString& listName);
std::int16_t LlegirJocCaracters();
QString CarpetaPersonal();
QChar SeparadorLlista();
QString RutaPrograma();
void InicialitzarRutesOffice();

QString TreureNul(const QString& text);

} // namespace ModReg
