#pragma once
// Program files are found without regard to the case of their names ("Data/" or "DATA/").
#include <QString>

namespace kovel::catalogue {

// `carpeta` followed by `relativa` ("/"-separated), each part matched without regard to case
// against what exists; parts that match nothing are kept as written.
QString RutaFicheroPrograma(const QString& carpeta, const QString& relativa);

} // namespace kovel::catalogue
