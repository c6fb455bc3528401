// kovel_skins <DATA folder>: draws every picture of the product look as PNG content under
// its program name, and the same at twice the size beside it ("name@2x.dat") for screens
// at 200%.
#include "Pintura.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kovel_skins <DATA folder>\n");
        return 2;
    }
    const QString carpeta = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(carpeta)) {
        std::fprintf(stderr, "%s: the folder cannot be created\n", argv[1]);
        return 1;
    }
    for (const kovel::skins::Imatge& im : kovel::skins::Imatges()) {
        for (int escala : {1, 2}) {
            QImage img(im.mida * escala, QImage::Format_ARGB32_Premultiplied);
            img.fill(Qt::transparent);
            img.setDevicePixelRatio(escala);
            {
                QPainter p(&img);
                p.setRenderHint(QPainter::Antialiasing);
                p.setRenderHint(QPainter::TextAntialiasing);
                im.pinta(p, QSizeF(im.mida));
            }
            QString nom = im.nom;
            if (escala == 2) {
                const int punt = nom.lastIndexOf(u'.');
                nom.insert(punt, QStringLiteral("@2x"));
            }
            const QString cami = carpeta + u'/' + nom;
            if (!img.save(cami, "PNG")) {
                std::fprintf(stderr, "%s: cannot be written\n", qPrintable(cami));
                return 1;
            }
        }
    }
    return 0;
}
