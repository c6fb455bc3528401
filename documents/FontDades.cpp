#include "documents/FontDades.h"

#include "platform/excel/Workbook.h"

#include <QLocale>

#include <algorithm>
#include <stdexcept>

namespace generar_doc {

namespace {

// Enough rows to tell a column's kind; a worksheet of a million rows reads no more.
constexpr std::int32_t FilesMostra = 50;

bool EsNombre(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    t.toDouble(&ok);
    if (!ok)
        QLocale::system().toDouble(t, &ok);
    return ok;
}

} // namespace

bool FilaCapcalera(FullDades& full, const QStringList& columnes, std::int32_t fila, std::int32_t ultima)
{
    if (fila < 1 || ultima <= fila)
        return false;
    const std::int32_t fins = std::min(ultima, fila + FilesMostra);
    bool capcalera = false;
    for (const QString& columna : columnes) {
        QString cap;
        if (!full.contingut(columna, fila, cap))
            continue;
        QStringList valors;
        for (std::int32_t f = fila + 1; f <= fins; ++f) {
            QString v;
            if (full.contingut(columna, f, v))
                valors << v;
        }
        if (valors.isEmpty())
            continue;
        const bool nombres = std::all_of(valors.cbegin(), valors.cend(), EsNombre);
        if (nombres && EsNombre(cap))
            return false;   // a number over numbers: a record like the others
        const qsizetype llargada = valors.first().size();
        const bool mateixaLlargada = std::all_of(valors.cbegin(), valors.cend(),
                                                 [llargada](const QString& v) { return v.size() == llargada; });
        // Two values of one length may be chance; three say something.
        if (nombres || (valors.size() >= 3 && mateixaLlargada && cap.size() != llargada))
            capcalera = true;
    }
    return capcalera;
}

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
