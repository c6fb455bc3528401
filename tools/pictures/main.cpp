// Draws the sheet pictures of the program's "DATA" folder as PNG files:
//   kovel_pictures <formats.csv> <DATA folder> <stamp file>
// One picture per catalogue format whose model number has one. The stamp is written last, so
// an interrupted run is done again.
#include "tools/pictures/Dibujos.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: kovel_pictures <formats.csv> <DATA folder> <stamp file>\n");
        return 2;
    }
    QList<kovel::catalogue::Formato> formatos;
    QString error;
    if (!kovel::catalogue::LeeFormatosCsv(args[1], formatos, error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    if (!QDir().mkpath(args[2])) {
        std::fprintf(stderr, "%s: cannot make the folder\n", qPrintable(args[2]));
        return 1;
    }
    const QList<kovel::pictures::Dibujo> dibujos = kovel::pictures::DibujosHojas(formatos);
    for (const kovel::pictures::Dibujo& d : dibujos) {
        const QImage imagen = d.dibuja();
        const QString ruta = QDir(args[2]).filePath(d.nombre);
        QSaveFile f(ruta);
        if (imagen.isNull() || !f.open(QIODevice::WriteOnly) || !imagen.save(&f, "PNG") || !f.commit()) {
            std::fprintf(stderr, "%s: cannot write the picture\n", qPrintable(ruta));
            return 1;
        }
    }
    QFile sello(args[3]);
    if (!sello.open(QIODevice::WriteOnly) || sello.write(QByteArray::number(dibujos.size()) + " pictures\n") < 0) {
        std::fprintf(stderr, "%s: cannot write the stamp\n", qPrintable(args[3]));
        return 1;
    }
    return 0;
}
