#pragma once
// The spreadsheet and database sources of the Excel and Access hosts behind the
// generator's record interfaces.
#include "documents/FontDades.h"

#include "datasources/ClsAccess.h"
#include "datasources/ClsExcel.h"

#include <memory>

namespace generar_doc {

// A worksheet of the spreadsheet source; a cell's text goes through the clipboard as the
// source hands it over, and loses the line break that comes with a copied cell.
class FullExcel : public FullDades {
public:
    FullExcel(ClsExcel& font, const ClsExcel::Worksheet* full) : font_(font), full_(full) {}
    bool contingut(const QString& columna, std::int32_t fila, QString& text) override;

private:
    ClsExcel& font_;
    const ClsExcel::Worksheet* full_;
};

// Worksheet number `numero` (from 1: the list's ListIndex + 1) of the source's workbook;
// GeneracioError when there is none.
std::unique_ptr<FullExcel> FullSeleccionat(ClsExcel& font, std::int32_t numero);

// A recordset of the database source.
class RegistresAccess : public RegistresDades {
public:
    RegistresAccess(ClsAccess& font, std::unique_ptr<ClsAccess::Recordset> rs) : font_(font), rs_(std::move(rs)) {}
    bool eof() const override { return rs_->EOF_(); }
    void moveFirst() override { rs_->MoveFirst(); }
    void moveLast() override { rs_->MoveLast(); }
    void moveNext() override { rs_->MoveNext(); }
    std::int32_t recordCount() const override;
    QString contingutCamp(const QString& camp) override { return font_.contingut_camp(*rs_, camp); }

private:
    ClsAccess& font_;
    std::unique_ptr<ClsAccess::Recordset> rs_;
};

// The table or query `nom` of the current database opened as a recordset; GeneracioError
// when no database is open (the source's own error when there is no such table).
std::unique_ptr<RegistresAccess> ObreRegistres(ClsAccess& font, const QString& nom);

} // namespace generar_doc
