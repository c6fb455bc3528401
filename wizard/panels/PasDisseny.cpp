#include "wizard/panels/PasDisseny.h"

#include "catalogue/Catalogo.h"
#include "catalogue/ListaEtiquetas.h"
#include "common/HostProfile.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "documents/FontDades.h"
#include "documents/generar_doc.h"
#include "platform/word/Document.h"
#include "wizard/EstatAssistent.h"
#include "wizard/panels/PasFinal.h"
#include "wizard/panels/PasOrigen.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <exception>

namespace kovel::wizard {

using ModTraduccion::TextPrograma;

PasDisseny::PasDisseny(EstatAssistent& estat) : Pas(estat) {}

PasDisseny::~PasDisseny() = default;

// ---------------------------------------------------------------------------------------------
// The design document

kovel::word::Document* PasDisseny::disseny()
{
    if (std::unique_ptr<kovel::word::Document> editat = estat_.entorn().edicionsDisseny()) {
        disseny_ = std::move(editat);
        canviat_ = true;
    }
    return disseny_.get();
}

void PasDisseny::posa(std::unique_ptr<kovel::word::Document> doc, const QString& cami)
{
    disseny_ = std::move(doc);
    canviat_ = false;
    if (disseny_)
        estat_.entorn().mostraDisseny(*disseny_, cami);
}

bool PasDisseny::documentBase()
{
    const int idx = ModTolvWiz::FormatSeleccionat(estat_.cataleg());
    if (!DinsCatalogo(estat_.cataleg(), idx))
        return false;
    const QString tmp = estat_.carpetaDades() + QStringLiteral("tmp");
    QDir().mkpath(tmp);
    try {
        generar_doc::DocumentBase base = generar_doc::PreparaDocumentBase(generar_doc::MidesDeCatalogo(estat_.cataleg(), idx),
                                                                          estat_.horitzontal(), estat_.carpetaPrograma(), tmp);
        posa(std::move(base.document), base.cami);
        return true;
    } catch (const generar_doc::GeneracioError& e) {
        ModTolvWiz::Mensaje_Error(e.message());
    } catch (const kovel::word::WordError& e) {
        ModTolvWiz::Mensaje_Error(e.message());
    }
    return false;
}

void PasDisseny::anotaTria()
{
    IndexDocumentBase = ModTolvWiz::FormatSeleccionat(estat_.cataleg());
    ClauDocumentBase = estat_.horitzontal() ? QStringLiteral("H") : QStringLiteral("V");
}

void PasDisseny::preparaDisseny()
{
    const int idx = ModTolvWiz::FormatSeleccionat(estat_.cataleg());
    if (!DinsCatalogo(estat_.cataleg(), idx))
        return;
    const QString clau = estat_.horitzontal() ? QStringLiteral("H") : QStringLiteral("V");
    const bool perCasella = estat_.pasOrigen().EtiquetasDiferentes();
    // A restored design whose format was gone stands for none: it takes the one chosen.
    const bool mateix = disseny_ && (idx == IndexDocumentBase || IndexDocumentBase < 0)
                        && clau == ClauDocumentBase && perCasella == (caselles.NumCaselles >= 2);
    if (!mateix) {
        BuidaCaselles();
        if (perCasella) {
            const EtiquetaCatalogo& e = estat_.cataleg().Etiquetas[idx];
            caselles.IniciaCaselles(std::int32_t(e.Filas) * e.Columnas);
        }
    }
    anotaTria();
}

bool PasDisseny::ObreDisseny(const QString& cami)
{
    try {
        posa(kovel::word::Document::open(cami), cami);
        return true;
    } catch (const kovel::word::WordError& e) {
        ModTolvWiz::Escribe_Log(e.message());
    }
    DissenyIllegible(cami);
    return false;
}

void PasDisseny::DissenyIllegible(const QString& cami)
{
    ModTolvWiz::Mensaje_Error(TextPrograma("FrmTolvWiz.DissenyIllegible",
                                           QStringLiteral("The design %1 cannot be read; the blank label of the format is shown instead."))
                                  .arg(QDir::toNativeSeparators(cami)));
    documentBase();
}

// ---------------------------------------------------------------------------------------------
// Cells

QString PasDisseny::carpetaCaselles()
{
    caselles.Carpeta = estat_.carpetaDades() + QStringLiteral("tmp/caselles/");
    return caselles.CarpetaCaselles();
}

void PasDisseny::DesaCasellaActual()
{
    disseny();
    const std::int32_t n = caselles.CasellaActual;
    if (caselles.NumCaselles < 1 || !seleccionador_ABCD::Caselles::CalDesar(disseny_ != nullptr, !canviat_, n))
        return;
    carpetaCaselles();
    const QString cami = caselles.CamiCasella(n);
    try {
        disseny_->clone()->saveAs(cami);
    } catch (const kovel::word::WordError& e) {
        ModTolvWiz::Mensaje_Error(e.message());
        return;
    }
    caselles.Desada(n, cami);
    canviat_ = false;
}

void PasDisseny::CanviaCasella(std::int32_t n)
{
    carpetaCaselles();
    const QString cami = caselles.CamiCasella(n);
    bool obert = false;
    if (QFileInfo::exists(cami)) {
        try {
            posa(kovel::word::Document::open(cami), cami);
            obert = true;
        } catch (const kovel::word::WordError& e) {
            ModTolvWiz::Escribe_Log(e.message());
            ModTolvWiz::Mensaje_Error(
                TextPrograma("FrmTolvWiz.CasellaIllegible",
                             QStringLiteral("The design of this label cannot be read (%1); a blank label is shown instead."))
                    .arg(cami));
        }
    }
    // Never left showing another cell's document under this cell's number.
    if (!obert && !documentBase())
        return;
    caselles.CasellaActual = n;
}

void PasDisseny::BuidaCaselles()
{
    documentBase();
    carpetaCaselles();
    caselles.Buida();
}

// ---------------------------------------------------------------------------------------------
// The panel

bool PasDisseny::esCapcalera(std::int32_t r1, std::int32_t r2)
{
    bool capcalera = false;
    try {
        if (generar_doc::FullDades* full = r2 > r1 ? estat_.fullDades() : nullptr)
            capcalera = generar_doc::FilaCapcalera(*full, mnuCampo, r1, r2);
    } catch (const std::exception& e) {
        // The worksheet is read again by the generation, which says what is wrong with it.
        ModTolvWiz::Escribe_Log(QStringLiteral("Header row: ") + QString::fromLocal8Bit(e.what()));
    }
    estat_.oblidaFull();
    return capcalera;
}

void PasDisseny::Llenar()
{
    try {
        preparaDisseny();
    } catch (const std::exception& e) {
        // The panel is still shown; the check of the design refuses an empty one.
        ModTolvWiz::Escribe_Log(QStringLiteral("Design base: ") + QString::fromLocal8Bit(e.what()));
    }
    estat_.marca(np().PanelFinal, 0);
    FilaTitols = 0;
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
        // The final panel works out its rows from the worksheet as it is now, unless the
        // user chose them; the first row heads the columns only when the rows start past it.
        const bool capcalera = esCapcalera(r1, r2);
        PasFinal& final_ = estat_.pasFinal();
        final_.filesDeLaFulla(r1, r2, capcalera);
        FilaTitols = capcalera && Enter(final_.txtFila_inicial) > r1 ? r1 : 0;
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
