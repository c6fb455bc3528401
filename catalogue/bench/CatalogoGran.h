#pragma once
// A large made-up catalogue for the benchmarks: `formatos` formats, half of them A4, the rest
// spread over the other paper types; the three files' contents.
#include <QByteArray>

namespace kovel::catalogue {

struct FicherosCatalogo {
    QByteArray cap, ext, etiqs;
};

FicherosCatalogo CatalogoGran(int formatos);

// Writes the three files into `carpeta`; false when one cannot be written.
bool EscribeFicheros(const FicherosCatalogo& f, const QString& carpeta);

} // namespace kovel::catalogue
