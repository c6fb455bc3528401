#pragma once
// "ANSI" text of the files and settings is Windows-1252; this is the one conversion table.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace kovel::cp1252 {

// Every byte maps to one character (the five unassigned bytes keep their C1 code points,
// as the system's own conversion does).
QString toUnicode(QByteArrayView bytes);

// Characters without a Windows-1252 byte become '?'; `lossless` (when given) says whether
// every character had one.
QByteArray fromUnicode(QStringView text, bool* lossless = nullptr);

// True when every character of the text has a Windows-1252 byte.
bool canEncode(QStringView text);

// The byte of one character, or -1 when it has none.
int byteOf(char16_t c);

} // namespace kovel::cp1252
