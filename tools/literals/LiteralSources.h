#pragma once
// Reading the literal sources (UTF-8, "key<TAB>text" a line, "#" comments) and writing
// LITER.UNI from them in the order of the look-up.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace kovel::literals {

struct Literal {
    QString key;
    QString text;
    QString where; // "file:line", for messages
};

// Appends the entries of one source to `out`; false with `errors` filled on a line that
// is not "key<TAB>text" or a file that cannot be read.
bool LlegirFont(const QString& path, std::vector<Literal>& out, QStringList& errors);

// The records of LITER.UNI, sorted by the look-up's key comparison. Empty, with `errors`
// filled, on a duplicate key (as the look-up sees it), a key that Windows-1252 cannot
// write or that is longer than 255 bytes, or a text longer than 255 characters.
QByteArray Compilar(std::vector<Literal> literals, QStringList& errors);

} // namespace kovel::literals
