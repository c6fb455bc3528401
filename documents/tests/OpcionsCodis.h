#pragma once
// The choices of a spreadsheet merge with field-linked codes, shared by the codes' LibreOffice
// test and the big-merge benchmark: one label per record, rows 1 to `registres`.
#include "documents/CodisPrograma.h"
#include "documents/tests/CatalegProva.h"
#include "platform/word/Document.h"

#include <QImage>

namespace proves {

struct OpcionsCodis : OpcionsAmbCataleg {
    OpcionsCodis(const Cataleg& cat, kovel::codes::RegistreCodis& registre) : OpcionsAmbCataleg(cat), codisPrograma(registre) {}
    generar_doc::FullDades* full = nullptr;
    kovel::word::Document* disseny = nullptr;
    generar_doc::CodisPrograma codisPrograma;
    int registres = 0;
    int primera = 1;   // the first row to print: 2 under a header row
    QString dades;
    QString programaOffice() const override { return QStringLiteral("Excel"); }
    std::int16_t formatSeleccionat() const override { return 0; }
    bool horitzontal() const override { return false; }
    bool unaEtiquetaPerRegistre() const override { return true; }
    QString textFilaInicial() const override { return QString::number(primera); }
    QString textFilaFinal() const override { return QString::number(primera + registres - 1); }
    generar_doc::FullDades* fullDades() override { return full; }
    kovel::word::Document* dissenyAllotjat() override { return disseny; }
    generar_doc::CodisGeneracio* codis() override { return &codisPrograma; }
    QString carpetaPrograma() const override { return dades + QStringLiteral("program"); }
    QString carpetaDades() const override { return dades; }
};

// A design whose page is a label of `ampleCm` x `altCm`, without insets (each would become
// a spacer line in every label).
inline std::unique_ptr<kovel::word::Document> DissenySenseMarges(double ampleCm, double altCm)
{
    using namespace kovel::word;
    auto d = Document::create();
    PageSetup ps = d->pageSetup();
    ps.setPageWidth(centimetresToPoints(Centimetres(ampleCm)));
    ps.setPageHeight(centimetresToPoints(Centimetres(altCm)));
    for (auto marge : {&PageSetup::setLeftMargin, &PageSetup::setTopMargin, &PageSetup::setRightMargin,
                       &PageSetup::setBottomMargin})
        (ps.*marge)(Points(0));
    d->setPageSetup(ps);
    return d;
}

// A code's placeholder at the end of a design: a small picture whose alternative text names
// the code ("TOLV_barres_1_A", "TOLV_qr_1_0"), as the dialogs leave it.
inline void Marcador(kovel::word::Document& d, const QString& alt)
{
    kovel::word::Range r = d.content();
    r.collapse(kovel::word::Collapse::End);
    kovel::word::InlinePicture p = kovel::word::InlinePicture::fromImage(QImage(8, 8, QImage::Format_RGB32));
    p.setAlternativeText(alt);
    r.insertPicture(p);
}

} // namespace proves
