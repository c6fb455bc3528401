// kovel_literals OUTPUT SOURCE...: writes the literals file OUTPUT from the sources.
#include "tools/literals/LiteralSources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: kovel_literals OUTPUT SOURCE...\n");
        return 2;
    }
    std::vector<kovel::literals::Literal> literals;
    QStringList errors;
    for (const QString& source : args.mid(1))
        kovel::literals::LlegirFont(source, literals, errors);
    const QByteArray records = errors.isEmpty() ? kovel::literals::Compilar(std::move(literals), errors) : QByteArray();
    if (!errors.isEmpty()) {
        for (const QString& e : errors)
            std::fprintf(stderr, "error: %s\n", qPrintable(e));
        return 1;
    }
    QDir().mkpath(QFileInfo(args[0]).absolutePath());
    QSaveFile out(args[0]);
    if (!out.open(QIODevice::WriteOnly) || out.write(records) != records.size() || !out.commit()) {
        std::fprintf(stderr, "error: %s: %s\n", qPrintable(args[0]), qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
