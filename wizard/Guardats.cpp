#include "wizard/Guardats.h"

#include "catalogue/Catalogo.h"
#include "catalogue/CodisDisseny.h"
#include "catalogue/ListaEtiquetas.h"
#include "common/BasicRules.h"
#include "common/ModReg.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "platform/files/EscripturaAtomica.h"
#include "platform/word/Document.h"
#include "wizard/panels/PasDisseny.h"
#include "wizard/panels/PasEtiqueta.h"
#include "wizard/panels/PasFinal.h"
#include "wizard/panels/PasGuardats.h"
#include "wizard/panels/PasOrigen.h"
#include "wizard/panels/PasPaper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>

namespace kovel::wizard {

using guardar::EtiquetaCodi;
using Numeracio = QList<QPair<EtiquetaCodi, EtiquetaCodi>>;

namespace {

using ModTraduccion::TextPrograma;

// A stored choice or a row box: its leading number, to the nearest whole number.
std::int32_t Enter(const QString& text)
{
    const double v = kovel::basic::RoundHalfEven(kovel::basic::Val(text));
    if (!(v < double(std::numeric_limits<std::int32_t>::max())))
        return std::numeric_limits<std::int32_t>::max();
    if (!(v > double(std::numeric_limits<std::int32_t>::min())))
        return std::numeric_limits<std::int32_t>::min();
    return std::int32_t(v);
}

// Literal 7000 with the store's file name in place of the example name.
QString MissatgeNoUsable(const QString& nomFitxer)
{
    QString t = ModTraduccion::Literal(7000);
    t.replace(QStringLiteral("c:\\guardats.dat"), nomFitxer, Qt::CaseInsensitive);
    return t;
}

std::optional<EtiquetaCodi> Busca(const Numeracio& n, const EtiquetaCodi& e)
{
    for (const auto& [de, a] : n)
        if (de == e)
            return a;
    return std::nullopt;
}

QString NomDocument(std::int32_t k) { return QString::number(k) + QStringLiteral(".docx"); }

} // namespace

Guardats::Guardats(EstatAssistent& estat) : estat_(estat), magatzem_(nouMagatzem()) {}

guardar::Magatzem Guardats::nouMagatzem() const
{
    const char lletra = estat_.esWord() ? 'W' : estat_.esExcel() ? 'E' : estat_.esAccess() ? 'A' : 0;
    const QString font = !estat_.esWord() && estat_.font() ? estat_.font()->fitxer() : QString();
    return guardar::Magatzem(estat_.carpetaDades(), lletra, font);
}

// ---------------------------------------------------------------------------------------------
// The road and the panel

bool Guardats::HiHaGuardats()
{
    guardar::Magatzem m = nouMagatzem();
    const QString ruta = m.RutaFitxerGuardats();
    if (ruta.isEmpty() || !QFileInfo::exists(ruta))
        return false;
    QString error;
    if (!m.Carrega(error)) {
        // The road goes on to a new design; saving offers to set the file aside.
        if (!avisatDanyat_)
            ModTolvWiz::Mensaje_Error(error);
        avisatDanyat_ = true;
        return false;
    }
    if (!m.HiHaGuardats()) {
        estat_.DissenyObert = false;
        return false;
    }
    return true;
}

QStringList Guardats::LlistaGuardats(const std::function<int(const QString&)>& amplada, QChar separadorData)
{
    magatzem_ = nouMagatzem();
    QString error;
    if (!magatzem_.Carrega(error)) {
        if (!avisatDanyat_)
            ModTolvWiz::Mensaje_Error(error);
        avisatDanyat_ = true;
    }
    QStringList linies;
    for (int i = 0; i < magatzem_.NombreDissenys(); ++i)
        linies << guardar::TextLlistaGuardat(magatzem_.Disseny(i), amplada, separadorData);
    return linies;
}

void Guardats::cmdCrear_CambioValor(bool valor)
{
    if (!valor)
        return;
    estat_.pasGuardats().cmdCrear = true;
    estat_.pasGuardats().cmdObrir = false;
    estat_.pasGuardats().lstGuardatsIndex = -1;
    estat_.DissenyObert = false;
    // Nothing a restored design brought stands for the new one's choices.
    estat_.pasEtiqueta().oblidaFormatPerdut();
    estat_.pasFinal().oblidaFiles();
}

void Guardats::cmdObrir_CambioValor(bool valor)
{
    if (!valor)
        return;
    estat_.pasGuardats().cmdObrir = true;
    estat_.pasGuardats().cmdCrear = false;
    if (estat_.pasGuardats().lstGuardatsIndex < 0 && magatzem_.NombreDissenys() > 0)
        estat_.pasGuardats().lstGuardatsIndex = 0;
}

// ---------------------------------------------------------------------------------------------
// Saving

bool Guardats::perCasella() const
{
    return estat_.pasOrigen().EtiquetasDiferentes();
}

guardar::DadesDisseny Guardats::dades() const
{
    const PasEtiqueta& etiqueta = estat_.pasEtiqueta();
    guardar::DadesDisseny d;
    d.TipusPaper = directoris::CodiTipusPaper(estat_.pasPaper().optPapel);
    // The format the panel holds as chosen, not whatever line the list shows.
    d.Model = etiqueta.modelTriat();
    d.Orientacio = directoris::CodiOrientacio(etiqueta.opt_Horizontal, etiqueta.opt_Vertical);
    // Away from the word processor the pair is the final panel's, which always holds a choice.
    d.Ordre = directoris::CodiOrdre(
        directoris::OpcioOrdre(estat_.host(), estat_.pasOrigen().opcOrigDatos[0], estat_.pasFinal().OpcEtiqpag[0]));
    d.Caselles = [this](const QString& carpeta) { return casellesDisseny(carpeta); };
    if (estat_.esExcel()) {
        d.Llista = estat_.pasOrigen().LstHojas.value(estat_.pasOrigen().LstHojasIndex);
        // Only rows the user chose: the worksheet's own are worked out again when it opens.
        const PasFinal& final_ = estat_.pasFinal();
        d.FilaInicial = final_.filesTriades() ? Enter(final_.txtFila_inicial) : 0;
        d.FilaFinal = final_.filesTriades() ? Enter(final_.txtFila_final) : 0;
    } else if (estat_.esAccess()) {
        d.Llista = estat_.pasOrigen().LstTablas.value(estat_.pasOrigen().LstTablasIndex);
    }
    return d;
}

QStringList Guardats::casellesDisseny(const QString& carpeta) const
{
    if (!perCasella())
        return {carpeta + NomDocument(0)};
    // One document per label of the sheet, by its bare name.
    const int idx = ModTolvWiz::FormatSeleccionat(estat_.cataleg());
    if (idx < 0 || idx >= estat_.cataleg().Etiquetas.size())
        return {};
    const std::int32_t n = std::clamp<std::int32_t>(estat_.cataleg().Etiquetas[idx].Filas * estat_.cataleg().Etiquetas[idx].Columnas, 1,
                                                     guardar::MaximCaselles);
    QStringList noms;
    for (std::int32_t k = 0; k < n; ++k)
        noms << NomDocument(k);
    return noms;
}

bool Guardats::desaDocuments(const QString& carpeta, QStringList& caselles, QString& error)
{
    caselles = casellesDisseny(carpeta);
    QStringList documents;
    if (perCasella()) {
        if (caselles.isEmpty()) {
            error = QStringLiteral("No label format is chosen.");
            return false;
        }
        // A cell never designed gets a name, no file.
        const QString origen = estat_.pasDisseny().carpetaCaselles();
        for (const QString& nom : std::as_const(caselles)) {
            QFile::remove(carpeta + nom);
            if (!QFileInfo::exists(origen + nom))
                continue;
            if (!QFile::copy(origen + nom, carpeta + nom)) {
                error = QStringLiteral("\"%1\" cannot be copied to \"%2\".").arg(origen + nom, carpeta + nom);
                return false;
            }
            documents << carpeta + nom;
        }
    } else {
        kovel::word::Document* d = estat_.dissenyAllotjat();
        if (!d) {
            error = QStringLiteral("There is no design to save.");
            return false;
        }
        try {
            // A copy: the design keeps its own path and its unsaved-changes flag.
            d->clone()->saveAs(caselles.front());
        } catch (const kovel::word::WordError& e) {
            error = e.message();
            return false;
        }
        documents << caselles.front();
    }
    return desaCodis(carpeta, documents, error);
}

bool Guardats::desaCodis(const QString& carpeta, const QStringList& documents, QString& error)
{
    try {
        std::vector<std::unique_ptr<kovel::word::Document>> docs;
        QList<EtiquetaCodi> etiquetes;
        for (const QString& cami : documents) {
            docs.push_back(kovel::word::Document::open(cami));
            etiquetes += guardar::EtiquetesCodis(*docs.back());
        }
        if (etiquetes.isEmpty())
            return true;
        const Numeracio numeracio = guardar::NumeracioDisseny(etiquetes);
        guardar::CodisDisseny codis;
        if (codis_)
            codis.general = codis_->general();
        for (const auto& [run, disseny] : numeracio) {
            std::optional<guardar::CodiDesat> c = codis_ ? codis_->exporta(run) : std::nullopt;
            if (!c) {
                // Nothing of it to keep: generating the design will name the code.
                ModTolvWiz::Escribe_Log(QStringLiteral("Saved design: no settings for code ") + guardar::TextAlternatiu(run));
                continue;
            }
            c->etiqueta = disseny;
            codis.codis << *c;
        }
        for (std::size_t i = 0; i < docs.size(); ++i)
            if (guardar::RenumeraCodis(*docs[i], [&](const EtiquetaCodi& e) { return Busca(numeracio, e); }))
                docs[i]->saveAs(documents[int(i)]);
        return kovel::files::EscriuAtomic(carpeta + QLatin1String(guardar::NomFitxerCodis), guardar::EscriuCodis(codis),
                                          &error);
    } catch (const kovel::word::WordError& e) {
        error = e.message();
        return false;
    }
}

bool Guardats::cmdGuardar_Click()
{
    if (perCasella())
        estat_.pasDisseny().DesaCasellaActual();
    guardar::Magatzem m = nouMagatzem();
    if (m.RutaFitxerGuardats().isEmpty()) {
        ModTolvWiz::Mensaje_Error(MissatgeNoUsable(guardar::NomFitxerGuardats(0)));
        return false;
    }
    QString error;
    if (!m.Carrega(error)) {
        // Never written over: the user's designs are in it. Set aside, a new store starts.
        ModTolvWiz::Mensaje_Error(error);
        if (!ModTolvWiz::Pregunta_SiNo(TextPrograma("FrmTolvWiz.ApartaGuardats",
                                                    QStringLiteral("Set the damaged file aside, keeping it beside the new one, "
                                                                   "and save this design in a new file of saved designs?"))))
            return false;
        QString apartat;
        if (!m.ApartaDanyat(apartat, error)) {
            ModTolvWiz::Mensaje_Error(MissatgeNoUsable(m.RutaFitxerGuardats()) + u'\n' + error);
            return false;
        }
        avisatDanyat_ = false;
    }
    guardar::DadesDisseny d = dades();
    // A store that cannot take one more design says so before a name is asked.
    if (!m.CapDisseny(QString(), d, error)) {
        ModTolvWiz::Mensaje_Error(ModTraduccion::Literal(7004) + u'\n' + error);
        return false;
    }
    QString nom;
    for (;;) {
        nom = estat_.entorn().demanaNom(ModTraduccion::Literal(7001), ModTraduccion::Literal(7011));
        if (nom.trimmed().isEmpty())
            return false;   // cancelled: nothing saved, nothing said
        // The name as it will be stored: two long names that cut the same collide.
        if (!m.NomRepetit(nom))
            break;
        ModTolvWiz::Mensaje_Error(ModTraduccion::Literal(7002));
    }
    const bool fet = m.GuardaDisseny(nom, d, [this](const QString& carpeta, QStringList& caselles, QString& e) {
        return desaDocuments(carpeta, caselles, e);
    }, error);
    if (!fet) {
        ModTolvWiz::Mensaje_Error(ModTraduccion::Literal(7004) + u'\n' + error);
        return false;
    }
    // Said in the user's words: the design by its name, not the store's file.
    mod_rvtMsgBox::rvtMsgBox(TextPrograma("FrmTolvWiz.DissenyDesat",
                                          QStringLiteral("The design \"%1\" has been saved. You will find it among "
                                                         "your saved designs the next time you make labels."))
                                 .arg(nom.trimmed()),
                             mod_rvtMsgBox::vbInformation, QStringLiteral("KOVEL Videvoviv"));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Restoring

Numeracio Guardats::recuperaCodis(const QString& carpeta)
{
    Numeracio r;
    const QString cami = carpeta + QLatin1String(guardar::NomFitxerCodis);
    QFile f(cami);
    if (!codis_ || !f.exists())
        return r;
    QString error;
    guardar::CodisDisseny codis;
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("The codes file \"%1\" cannot be read: %2").arg(cami, guardar::AmbPunt(f.errorString()));
    } else if (f.size() > guardar::MidaMaximaCodis) {
        error = QStringLiteral("The codes file \"%1\" is too large.").arg(cami);
    } else {
        guardar::LlegeixCodis(f.read(guardar::MidaMaximaCodis + 1), cami, codis, error);
    }
    if (!error.isEmpty()) {
        ModTolvWiz::Mensaje_Error(error);
        return r;
    }
    codis_->setGeneral(codis.general);
    for (const guardar::CodiDesat& c : codis.codis) {
        if (const auto nova = codis_->importa(c, error))
            r << qMakePair(c.etiqueta, *nova);
        else
            ModTolvWiz::Escribe_Log(error);
    }
    return r;
}

bool Guardats::copiaDocument(const QString& font, const QString& desti, const Numeracio& codis)
{
    if (font.isEmpty() || !QFileInfo::exists(font))
        return false;
    QFile::remove(desti);
    if (codis.isEmpty())
        return QFile::copy(font, desti);
    try {
        std::unique_ptr<kovel::word::Document> d = kovel::word::Document::open(font);
        guardar::RenumeraCodis(*d, [&](const EtiquetaCodi& e) { return Busca(codis, e); });
        d->saveAs(desti);
    } catch (const kovel::word::WordError& e) {
        // A document that cannot be read is copied as it is; opening it will fail and say so.
        ModTolvWiz::Escribe_Log(e.message());
        return QFile::copy(font, desti);
    }
    return true;
}

void Guardats::RecuperaDisseny(int fila)
{
    PasDisseny& disseny = estat_.pasDisseny();
    seleccionador_ABCD::Caselles& cas = disseny.caselles;
    const bool trobat = fila >= 0 && fila < magatzem_.NombreDissenys();
    if (trobat) {
        const guardar::RegistreGuardat r = magatzem_.Disseny(fila);
        estat_.DissenyRestaurat = true;

        // Paper type, through its click handler; then the format, in that paper's list.
        estat_.pasPaper().optPapel = {};
        if (const int tipus = directoris::TipusPaperDeCodi(r.TipusPaper); tipus >= 0)
            estat_.pasPaper().optPapel_Click(tipus);
        estat_.pasEtiqueta().RestauraFormat(r.Model, r.Nom);

        // Orientation.
        estat_.pasEtiqueta().opt_Vertical = estat_.pasEtiqueta().opt_Horizontal = false;
        if (const std::optional<bool> h = directoris::HoritzontalDeCodi(r.Orientacio))
            *h ? estat_.pasEtiqueta().Opt_Horizontal_Click() : estat_.pasEtiqueta().Opt_Vertical_Click();

        // The option pair: labels differ or all alike (Word), one label per record or not.
        // A design that kept no choice (older saves) opens with the final panel's default;
        // on the word processor its kept cells say whether its labels differ.
        const std::optional<bool> ordre = directoris::OpcioOrdreDeCodi(r.Ordre);
        if (estat_.esWord())
            estat_.pasOrigen().opcOrigDatos_Click(ordre.value_or(r.NumCaselles > 1) ? 0 : 1);
        else if (ordre)
            estat_.pasFinal().OpcEtiqpag_Click(*ordre ? 0 : 1);
        else
            estat_.pasFinal().OpcEtiqpag = PasFinal::OpcEtiqpagPerDefecte;

        // Documents: the codes they name become codes of this run first.
        const QString carpeta = magatzem_.CarpetaDisseny(fila);
        const Numeracio codis = recuperaCodis(carpeta);
        if (r.NumCaselles > 1) {
            disseny.BuidaCaselles();
            cas.IniciaCaselles(r.NumCaselles);
            disseny.carpetaCaselles();
            for (std::int32_t k = 0; k < r.NumCaselles; ++k) {
                const QString desti = cas.CamiCasella(k);
                if (copiaDocument(magatzem_.DocumentDisseny(fila, k), desti, codis))
                    cas.NomsCaselles[k] = desti;
            }
            if (!cas.NomsCaselles.value(0).isEmpty())
                disseny.ObreDisseny(cas.NomsCaselles.value(0));
        } else {
            // A working copy: the saved design stays as it was saved until it is saved again.
            const QString tmp = estat_.carpetaDades() + QStringLiteral("tmp/");
            QDir().mkpath(tmp);
            const QString desti = tmp + QStringLiteral("guardat_obert.docx");
            const QString desat = magatzem_.DocumentDisseny(fila, 0);
            // Never the previous design standing for this format: a blank label, and why.
            if (copiaDocument(desat, desti, codis))
                disseny.ObreDisseny(desti);
            else
                disseny.DissenyIllegible(desat.isEmpty() ? carpeta : desat);
        }
        cas.CasellaActual = 0;
        cas.NumCaselles = r.NumCaselles;

        // Data source: the list refilled from the open file, the stored entry chosen; the
        // rows only when the user chose them.
        FontAssistent* font = estat_.font();
        if ((estat_.esExcel() || estat_.esAccess()) && font) {
            const bool excel = estat_.esExcel();
            QStringList& llista = excel ? estat_.pasOrigen().LstHojas : estat_.pasOrigen().LstTablas;
            EntornAssistent& entorn = estat_.entorn();
            llista = font->llistes([&entorn](int v, int m) { entorn.progres(v, m); });
            int tria = -1;
            for (int k = 0; k < llista.size(); ++k)
                if (llista[k] == r.Llista)
                    tria = k;
            if (excel) {
                estat_.pasOrigen().NumHojas = std::int16_t(std::min<qsizetype>(llista.size(), 32767));
                estat_.pasOrigen().LstHojas_Click(tria);
                // Rows kept by a design that kept no choice were never the user's.
                estat_.pasFinal().restauraFiles(ordre ? r.FilaInicial : 0, r.FilaFinal);
            } else {
                estat_.pasOrigen().NumTablas = std::int16_t(std::min<qsizetype>(llista.size(), 32767));
                estat_.pasOrigen().LstTablas_Click(tria);
            }
        }
    }
    if (cas.NumCaselles == 1)
        cas.NumCaselles = 0;
    // The restored design stands for what it restored: a later change of format, orientation
    // or kind of sheet starts afresh. Nothing restored: the next showing starts afresh.
    if (trobat)
        disseny.anotaTria();
    else
        disseny.ClauDocumentBase.clear();
    estat_.DissenyObert = true;
}

} // namespace kovel::wizard
