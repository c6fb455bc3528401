#include "wizard/panels/PasDisseny.h"

#include "catalogue/Catalogo.h"
#include "catalogue/ListaEtiquetas.h"
#include "common/HostProfile.h"
#include "common/ModTolvWiz.h"
#include "documents/generar_doc.h"
#include "platform/word/Document.h"
#include "wizard/EstatAssistent.h"
#include "wizard/panels/PasFinal.h"
#include "wizard/panels/PasOrigen.h"

#include <QDir>

#include <algorithm>
#include <exception>

namespace kovel::wizard {

PasDisseny::PasDisseny(EstatAssistent& estat) : Pas(estat) {}

PasDisseny::~PasDisseny() = default;

kovel::word::Document* PasDisseny::disseny() const
{
    EntornAssistent& entorn = estat_.entorn();
    return entorn.teMarc() ? entorn.documentMarc() : disseny_.get();
}

void PasDisseny::preparaDisseny()
{
    const int idx = ModTolvWiz::FormatSeleccionat(estat_.cataleg());
    if (!DinsCatalogo(estat_.cataleg(), idx))
        return;
    const QString clau = estat_.horitzontal() ? QStringLiteral("H") : QStringLiteral("V");
    if (disseny_ && IndexDocumentBase == idx && ClauDocumentBase == clau)
        return;
    if (disseny_ && estat_.DissenyObert && ClauDocumentBase.isEmpty()) {
        // A design just restored keeps its documents; a later change of format replaces them.
        IndexDocumentBase = idx;
        ClauDocumentBase = clau;
        return;
    }
    const QString tmp = estat_.carpetaDades() + QStringLiteral("tmp");
    QDir().mkpath(tmp);
    generar_doc::DocumentBase base = generar_doc::PreparaDocumentBase(generar_doc::MidesDeCatalogo(estat_.cataleg(), idx), estat_.horitzontal(),
                                                                      estat_.carpetaPrograma(), tmp);
    disseny_ = std::move(base.document);
    IndexDocumentBase = idx;
    ClauDocumentBase = clau;
}

void PasDisseny::Llenar()
{
    try {
        // A hosted frame prepares its own base document.
        if (!estat_.entorn().teMarc())
            preparaDisseny();
    } catch (const std::exception& e) {
        // The panel is still shown; the check of the design refuses an empty one.
        ModTolvWiz::Escribe_Log(QStringLiteral("Design base: ") + QString::fromLocal8Bit(e.what()));
    }
    estat_.marca(np().PanelFinal, 0);
    FontAssistent* font = estat_.font();
    const PasOrigen& origen = estat_.pasOrigen();
    if (estat_.esExcel() && font && origen.LstHojasIndex >= 0) {
        std::int32_t r1 = 1, c1 = 1, r2 = 0, c2 = 0;
        if (font->rangUsat(origen.LstHojasIndex + 1, r1, c1, r2, c2)) {
            NumColumnasHoja = c2 - c1 + 1;
            NumFilasHoja = r2 - r1 + 1;
            UltimaFilaHoja = r2;
            QStringList camps;
            for (std::int32_t c = c1; c <= c2; ++c)
                camps << font->nomColumna(c);
            mnuCampo = camps;
        } else {
            NumColumnasHoja = NumFilasHoja = UltimaFilaHoja = 0;
            mnuCampo.clear();
            r1 = r2 = 1;
        }
        // The rows to print start as the worksheet's whole used range.
        if (!estat_.DissenyObert) {
            estat_.pasFinal().txtFila_inicial = Numero(r1);
            estat_.pasFinal().txtFila_final = Numero(r2);
        }
    } else if (estat_.esAccess() && font && origen.LstTablasIndex >= 0) {
        mnuCampo = font->campsTaula(origen.LstTablas.value(origen.LstTablasIndex), CamposDeTabla);
        TotalCampos = std::int16_t(std::min<qsizetype>(mnuCampo.size(), 32767));
    }
    estat_.setFocusTarget(QStringLiteral("dsoFraWord"));
}

bool PasDisseny::Validar(Avis& avis)
{
    if (!estat_.esWord()) {
        bool camp = false;
        if (kovel::word::Document* d = disseny()) {
            for (const kovel::word::InlinePicture* p : d->content().inlinePictures())
                camp = camp || p->alternativeText().contains(QLatin1String("TOLV_"), Qt::CaseInsensitive);
        }
        if (!camp) {
            avis = AvisLiteral(12);
            return false;
        }
    }
    estat_.marca(np().PanelFinal, 0);
    return true;
}

bool PasDisseny::ObreDisseny(const QString& cami)
{
    if (estat_.entorn().teMarc())
        return estat_.entorn().obreDissenyAlMarc(cami);
    try {
        disseny_ = kovel::word::Document::open(cami);
    } catch (const kovel::word::WordError& e) {
        ModTolvWiz::Escribe_Log(e.message());
        return false;
    }
    return true;
}

QString PasDisseny::TitolDisseny(const QString& titolBase)
{
    if (TituloDiseno.isEmpty())
        TituloDiseno = titolBase;
    const int idx = ModTolvWiz::FormatSeleccionat(estat_.cataleg());
    if (!DinsCatalogo(estat_.cataleg(), idx))
        return TituloDiseno;
    QString ref = estat_.cataleg().Etiquetas[idx].Referencia;
    while (ref.endsWith(u' '))
        ref.chop(1);
    const QString prefix = QStringLiteral("KOVEL");
    return TituloDiseno + u' ' + ModTolvWiz::Separa_Referencia(ref, int(ref.size() - prefix.size()), prefix, prefix);
}

} // namespace kovel::wizard
