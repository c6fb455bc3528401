#pragma once
// One host's extension package: the Basic library with the macro that starts the program,
// the Tools-menu command and the toolbar button that run it, and the button's picture.
#include "platform/office/Office.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <utility>
#include <vector>

namespace kovel::office {

struct EntryPoint {
    Host host = Host::Writer;
    QString program;    // full path of the program the macro starts
    QString menuText;   // caption of the Tools-menu command
    QString tooltip;    // title of the toolbar button (and the command's tip)
    QImage face;        // the button's picture; a null image gives the default one
};

// A package's files in order: path inside the package, contents.
using Fitxers = std::vector<std::pair<QString, QByteArray>>;

Fitxers packageFiles(const EntryPoint& entry);

// The Basic module of the host's macro (the source text, before XML escaping).
QString macroSource(const EntryPoint& entry);

// A Basic string literal of the text.
QString basicLiteral(const QString& text);

// The picture in a file, or a null image when the file is missing, too big or not a
// picture that can be read.
QImage faceFromFile(const QString& path);

// The default button picture, drawn here: a label sheet with a bar code.
QImage defaultFace(int size);

// Writes the files as a zip archive (the package form unopkg takes). False, with the
// file's name in the message, when it cannot be written; no partial file is left.
bool writeZip(const QString& path, const Fitxers& files, QString* error);

} // namespace kovel::office
