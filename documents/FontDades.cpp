#include "documents/FontDades.h"

#include <stdexcept>

namespace generar_doc {

std::int32_t NumeroColumna(const QString& lletres)
{
    if (lletres.isEmpty() || lletres.size() > 3)
        return 0;
    std::int32_t n = 0;
    for (QChar c : lletres) {
        const char16_t u = c.toUpper().unicode();
        if (u < u'A' || u > u'Z')
            return 0;
        n = n * 26 + (u - u'A' + 1);
    }
    return n <= 16384 ? n : 0;
}

bool FullMemoria::contingut(const QString& columna, std::int32_t fila, QString& text)
{
    text.clear();
    const std::int32_t c = NumeroColumna(columna);
    if (c < 1 || fila < 1 || fila > files_.size())
        return false;
    const QStringList& f = files_.at(fila - 1);
    if (c > f.size())
        return false;
    text = f.at(c - 1);
    return !text.isEmpty();
}

void RegistresMemoria::moveNext()
{
    if (eof())
        throw std::runtime_error("No current record.");
    ++actual_;
}

QString RegistresMemoria::contingutCamp(const QString& camp)
{
    if (eof())
        throw std::runtime_error("No current record.");
    // Field names are found without regard to case.
    qsizetype j = 0;
    while (j < camps_.size() && camps_.at(j).compare(camp, Qt::CaseInsensitive) != 0)
        ++j;
    if (j >= camps_.size())
        throw std::runtime_error(("Item not found in this collection: " + camp).toStdString());
    const QStringList& r = registres_.at(actual_);
    return j < r.size() ? r.at(j) : QString();
}

} // namespace generar_doc
