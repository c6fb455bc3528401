#pragma once
// The numeric rules of the Basic runtime the program's behaviour was defined on, kept in
// one place so that every subsystem rounds, reads and overflows the same way.
#include <QString>
#include <QStringView>
#include <cstdint>
#include <stdexcept>

namespace kovel::basic {

// Raised where the runtime raises its error 6, "Overflow".
struct OverflowError : std::runtime_error {
    OverflowError() : std::runtime_error("Overflow") {}
};

// Rounding half to even, as the runtime's conversions do (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfEven(double x);

// Round(x, digits): half to even at the given number of decimals.
double Round(double x, int digits = 0);

// Conversions to the runtime's integer types: rounded half to even, OverflowError outside
// the type's range (and for NaN).
std::int16_t CInt(double x);
std::int32_t CLng(double x);
std::uint8_t CByte(double x);

// Fix truncates toward zero, Int toward minus infinity.
double Fix(double x);
double Int(double x);

// The integer division operator: both operands rounded to integers first, then truncated.
// OverflowError on division by zero keeps the caller's error path single.
std::int32_t IntDiv(double a, double b);

// Val: the leading number of a text. Blanks, tabs and line feeds are skipped anywhere;
// reading stops at the first character that cannot continue a number; "&H"/"&O" prefixes
// read hexadecimal and octal. "12abc" -> 12, "" -> 0, " 1 2" -> 12, "1.5e2x" -> 150.
double Val(QStringView text);

// CStr of a number: up to 15 significant digits (7 for single precision), no trailing
// zeros, "E+nn" exponent only for very large or small values, '.' as decimal point.
QString CStr(double x);
QString CStrSingle(float x);

// Str: as CStr but with a leading blank for non-negative numbers.
QString Str(double x);

// A number written with at least `width` digits, zero-filled on the left (Format(n, "0000")).
QString ZeroFill(long long n, int width);

// The key filter of the boxes that take a number: digits "0" to "9" and control keys (codes
// below 32) are typed, any other key is dropped.
inline bool TeclaDeNumero(char16_t c) { return c < 32 || (c >= u'0' && c <= u'9'); }

} // namespace kovel::basic
