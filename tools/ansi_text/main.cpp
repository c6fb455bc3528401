// kovel_ansi_text <output> <input>: writes the UTF-8 input as Windows-1252 text with CR LF
// line ends. A character without a Windows-1252 byte is an error, naming the line.
#include "common/Cp1252.h"

#include <QFile>
#include <QSaveFile>
#include <QString>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: kovel_ansi_text <output> <input>\n");
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[2]);
    QFile in(input);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(input), qPrintable(in.errorString()));
        return 1;
    }
    QString text = QString::fromUtf8(in.readAll());
    text.remove(u'\r');
    QByteArray out;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // The file's own last line end does not make one more, empty line.
        if (i == lines.size() - 1 && lines[i].isEmpty())
            break;
        bool lossless = true;
        out += kovel::cp1252::fromUnicode(lines[i], &lossless) + "\r\n";
        if (!lossless) {
            std::fprintf(stderr, "%s:%lld: a character has no Windows-1252 byte\n", qPrintable(input),
                         static_cast<long long>(i + 1));
            return 1;
        }
    }
    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
