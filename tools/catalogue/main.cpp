// Builds the program's label catalogue files from the readable source.
//   catalogue_build <formats.csv> <fields.csv> <output folder>
#include "tools/catalogue/EscritorCatalogo.h"

#include <QCoreApplication>
#include <QSet>
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
    int tamanoSufix = 0;
    for (const CampoCabecera& c : campos)
        if (c.Nombre.compare(QLatin1String("Sufix"), Qt::CaseInsensitive) == 0 && c.TipoVar == 8)
            tamanoSufix = c.Tamano;

    bool bien = true;
    QSet<std::int32_t> codigos;
    for (const Formato& f : formatos) {
        QString problemas = CompruebaFormato(f);
        if (f.extension.Sufix.size() > tamanoSufix)
            problemas += QStringLiteral("\nthe suffix is longer than its field (%1)").arg(tamanoSufix);
        if (f.etiqueta.Codigo != 0 && codigos.contains(f.etiqueta.Codigo))
            problemas += QStringLiteral("\nthe model number %1 is used twice").arg(f.etiqueta.Codigo);
        codigos.insert(f.etiqueta.Codigo);
        if (!problemas.trimmed().isEmpty()) {
            bien = false;
            for (const QString& p : problemas.trimmed().split(QLatin1Char('\n')))
                std::fprintf(stderr, "%s:%d: %s: %s\n", qPrintable(args[1]), f.linea,
                             qPrintable(f.etiqueta.Referencia.trimmed()), qPrintable(p));
        }
    }
    if (!bien)
        return 1;
    if (!EscribeCatalogo(args[3], formatos, campos, error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("%lld label formats written to %s\n", static_cast<long long>(formatos.size()), qPrintable(args[3]));
    return 0;
}
