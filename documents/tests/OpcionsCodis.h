#pragma once
// The choices of a spreadsheet merge with field-linked codes, shared by the codes' LibreOffice
// test and the big-merge benchmark: one label per record, rows 1 to `registres`.
#include "documents/CodisPrograma.h"
#include "documents/OpcionsGeneracio.h"
#include "platform/word/Document.h"

namespace proves {

struct OpcionsCodis : generar_doc::OpcionsGeneracio {
    generar_doc::FullDades* full = nullptr;
    kovel::word::Document* disseny = nullptr;
    generar_doc::CodisPrograma codisPrograma;
    int registres = 0;
    QString dades;
    QString programaOffice() const override { return QStringLiteral("Excel"); }
    std::int16_t formatSeleccionat() const override { return 0; }
    bool horitzontal() const override { return false; }
    bool unaEtiquetaPerRegistre() const override { return true; }
    QString textFilaInicial() const override { return QStringLiteral("1"); }
    QString textFilaFinal() const override { return QString::number(registres); }
    generar_doc::FullDades* fullDades() override { return full; }
    kovel::word::Document* dissenyAllotjat() override { return disseny; }
    generar_doc::CodisGeneracio* codis() override { return &codisPrograma; }
    QString carpetaPrograma() const override { return dades + QStringLiteral("program"); }
    QString carpetaDades() const override { return dades; }
};

} // namespace proves
