#pragma once
// The host's workbook or database as the wizard reads it: the spreadsheet and database
// data-source objects behind the wizard's source interface. Each owns its connected object,
// so the open workbook or database lives as long as the window's source.
#include "wizard/EstatAssistent.h"

#include <memory>

class ClsExcel;
class ClsAccess;

namespace generar_doc {
class FullExcel;
}

namespace kovel::wizard {

class FontExcel : public FontAssistent {
public:
    explicit FontExcel(std::unique_ptr<ClsExcel> font);
    ~FontExcel() override;
    QString fitxer() const override;
    QStringList llistes(const std::function<void(int, int)>& progres) override;
    bool rangUsat(std::int32_t numero, std::int32_t& r1, std::int32_t& c1, std::int32_t& r2, std::int32_t& c2) override;
    QString nomColumna(std::int32_t c) const override;
    generar_doc::FullDades* full(std::int32_t numero) override;

private:
    std::unique_ptr<ClsExcel> font_;
    std::unique_ptr<generar_doc::FullExcel> full_;   // reads font_: declared after it
};

class FontAccess : public FontAssistent {
public:
    explicit FontAccess(std::unique_ptr<ClsAccess> font);
    ~FontAccess() override;
    QString fitxer() const override;
    QStringList llistes(const std::function<void(int, int)>& progres) override;
    QStringList campsTaula(const QString& nom, bool& deTaula) override;
    std::unique_ptr<generar_doc::RegistresDades> registres(const QString& nom) override;

private:
    std::unique_ptr<ClsAccess> font_;
};

} // namespace kovel::wizard
