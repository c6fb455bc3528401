#include "documents/FontsOficina.h"

#include "common/Portapapers.h"
#include "documents/generar_doc.h"

#include <limits>

namespace generar_doc {

bool FullExcel::contingut(const QString& columna, std::int32_t fila, QString& text)
{
    text.clear();
    const bool ok = font_.obtenir_contingut2clipboard(columna, fila, full_);
    if (ok)
        text = TreuSaltFinal(Portapapers::ObtenirText());
    Portapapers::Buidar();
    return ok && !text.isEmpty();
}

std::unique_ptr<FullExcel> FullSeleccionat(ClsExcel& font, std::int32_t numero)
{
    ClsExcel::Worksheets* fulles = font.Conjunt_Fulles();
    ClsExcel::Worksheet* full = fulles ? fulles->Item(numero) : nullptr;
    if (!full)
        throw GeneracioError(QStringLiteral("The workbook has no worksheet number %1.").arg(numero));
    return std::make_unique<FullExcel>(font, full);
}

std::int32_t RegistresAccess::recordCount() const
{
    const std::int64_t n = rs_->RecordCount();
    if (n > std::numeric_limits<std::int32_t>::max())
        throw GeneracioError(QStringLiteral("The table holds too many records."));
    return std::int32_t(n);
}

std::unique_ptr<RegistresAccess> ObreRegistres(ClsAccess& font, const QString& nom)
{
    kovel::access::Database* db = font.objApp() ? font.objApp()->CurrentDb() : nullptr;
    if (!db)
        throw GeneracioError(QStringLiteral("No database is open."));
    return std::make_unique<RegistresAccess>(font, db->OpenRecordset(nom));
}

} // namespace generar_doc
