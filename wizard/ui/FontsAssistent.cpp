#include "wizard/ui/FontsAssistent.h"

#include "datasources/ClsAccess.h"
#include "datasources/ClsExcel.h"
#include "documents/FontsOficina.h"
#include "wizard/PanelOrigenDatos.h"

namespace kovel::wizard {

FontExcel::FontExcel(std::unique_ptr<ClsExcel> font) : font_(std::move(font)) {}
FontExcel::~FontExcel() = default;

QString FontExcel::fitxer() const
{
    return font_->FontDadesActual();
}

QStringList FontExcel::llistes(const std::function<void(int, int)>& progres)
{
    QStringList noms;
    ClsExcel::Worksheets* fulles = font_->Conjunt_Fulles();
    if (!fulles)
        return noms;
    const std::int32_t n = fulles->Count();
    for (std::int32_t i = 1; i <= n; ++i) {
        progres(i, n);
        if (const ClsExcel::Worksheet* full = fulles->Item(i))
            noms << full->Name();
    }
    return noms;
}

bool FontExcel::rangUsat(std::int32_t numero, std::int32_t& r1, std::int32_t& c1, std::int32_t& r2, std::int32_t& c2)
{
    ClsExcel::Worksheets* fulles = font_->Conjunt_Fulles();
    const ClsExcel::Worksheet* full = fulles ? fulles->Item(numero) : nullptr;
    if (!full || full->CountA() == 0)
        return false;
    ClsExcel::strRang_To_numeros(full->UsedRangeAddress(), r1, c1, r2, c2);
    return true;
}

QString FontExcel::nomColumna(std::int32_t c) const
{
    return ClsExcel::nom_Columna(c);
}

generar_doc::FullDades* FontExcel::full(std::int32_t numero)
{
    full_ = generar_doc::FullSeleccionat(*font_, numero);
    return full_.get();
}

FontAccess::FontAccess(std::unique_ptr<ClsAccess> font) : font_(std::move(font)) {}
FontAccess::~FontAccess() = default;

QString FontAccess::fitxer() const
{
    return font_->FontDadesActual();
}

QStringList FontAccess::llistes(const std::function<void(int, int)>& progres)
{
    const kovel::access::TableDefs* taules = font_->Conjunt_Taules();
    const kovel::access::QueryDefs* consultes = font_->Conjunt_Consultes();
    const int total = (taules ? taules->Count() : 0) + (consultes ? consultes->Count() : 0);
    progres(total, total);
    return ModTolvWiz::LlistaTaulesConsultes(taules, consultes);
}

QStringList FontAccess::campsTaula(const QString& nom, bool& deTaula)
{
    QStringList camps;
    const kovel::access::TableDefs* taules = font_->Conjunt_Taules();
    const kovel::access::QueryDefs* consultes = font_->Conjunt_Consultes();
    const kovel::access::Fields* fields = nullptr;
    deTaula = false;
    if (const kovel::access::TableDef* t = taules ? taules->Find(nom) : nullptr) {
        fields = &t->fields;
        deTaula = true;
    } else if (const kovel::access::QueryDef* q = consultes ? consultes->Find(nom) : nullptr) {
        fields = &q->fields;
    }
    if (fields)
        for (std::int32_t i = 0; i < fields->Count(); ++i)
            camps << fields->Item(i).Name;
    return camps;
}

std::unique_ptr<generar_doc::RegistresDades> FontAccess::registres(const QString& nom)
{
    return generar_doc::ObreRegistres(*font_, nom);
}

} // namespace kovel::wizard
