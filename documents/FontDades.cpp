#include "documents/FontDades.h"

#include "platform/excel/Workbook.h"

#include <stdexcept>

namespace generar_doc {

bool FullMemoria::contingut(const QString& columna, std::int32_t fila, QString& text)
{
    text.clear();
    const std::int32_t c = kovel::excel::ColumnNumber(columna);
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
