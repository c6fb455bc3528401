// Builds the program's label catalogue files from the readable source.
//   catalogue_build <formats.csv> <fields.csv> <output folder>
#include "tools/catalogue/EscritorCatalogo.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: catalogue_build <formats.csv> <fields.csv> <output folder>\n");
        return 2;
    }
    using namespace kovel::catalogue;
    QString error;
    QList<Formato> formatos;
    QList<CampoCabecera> campos;
    if (!LeeCamposCsv(args[2], campos, error) || !LeeFormatosCsv(args[1], formatos, error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const QStringList problemas = CompruebaCatalogo(formatos, campos);
    for (const QString& p : problemas)
        std::fprintf(stderr, "%s: %s\n", qPrintable(args[1]), qPrintable(p));
    if (!problemas.isEmpty())
        return 1;
    if (!EscribeCatalogo(args[3], formatos, campos, error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("%lld label formats written to %s\n", static_cast<long long>(formatos.size()), qPrintable(args[3]));
    return 0;
}
