#pragma once
// The system's language as the numeric language identifier the program records
// (es-ES 3082, ca-ES 1027, en-US 1033, ...).
#include <QLocale>
#include <cstdint>

namespace ModTolvWiz {
// The identifier of a locale: its language and country when the pair is known, else the
// language's default country; 1033 (English, United States) for a language not listed.
std::int16_t IdiomaDeLocale(const QLocale& locale);
// IdiomaDeLocale of the system locale.
std::int16_t IdiomaDelSistema();
} // namespace ModTolvWiz
