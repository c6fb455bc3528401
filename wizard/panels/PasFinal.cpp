#include "wizard/panels/PasFinal.h"

#include "catalogue/Catalogo.h"
#include "catalogue/ListaEtiquetas.h"
#include "common/BasicRules.h"
#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "documents/generar_doc.h"
#include "platform/word/Document.h"
#include "wizard/EstatAssistent.h"
#include "wizard/panels/PasDisseny.h"

#include <QDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <thread>

namespace kovel::wizard {

using kovel::basic::Val;
using ModTraduccion::TextPrograma;


// ---------------------------------------------------------------------------------------------
// Row boxes

namespace {

// What both row boxes do with their own number `n`: below 1 or past the last row it is put
// right, with a beep, and the box keeps the focus. Without rows to print the box is put right
// once and never holds the focus; `senseFiles` then tells the caller to stop there.
ValidacioFila AjustaFila(const QString& text, std::int32_t n, std::int32_t ultimaFila, bool& senseFiles)
{
    ValidacioFila r;
    r.text = text;
    senseFiles = ultimaFila < 1;
    if (senseFiles) {
        if (n != 1) {
            r.text = QStringLiteral("1");
            r.beep = true;
        }
        return r;
    }
    if (n < 1) {
        r.text = QStringLiteral("1");
        r.beep = r.cancel = true;
    }
    if (n > ultimaFila) {
        r.text = QString::number(ultimaFila);
        r.beep = r.cancel = true;
    }
    return r;
}

} // namespace

ValidacioFila PasFinal::Valida_FilaInicial(const QString& inicial, const QString& final_, std::int32_t ultimaFila)
{
    const std::int32_t f = Enter(inicial);
    bool senseFiles = false;
    ValidacioFila r = AjustaFila(inicial, f, ultimaFila, senseFiles);
    // The typed number, not the corrected one, as the box has always compared.
    if (!senseFiles && Val(final_) < double(f)) {
        r.canviaAltre = true;
        r.textAltre = Numero(f);
        r.beep = true;
        r.focusAltre = true;
    }
    return r;
}

ValidacioFila PasFinal::Valida_FilaFinal(const QString& final_, const QString& inicial, std::int32_t ultimaFila)
{
    const std::int32_t l = Enter(final_);
    bool senseFiles = false;
    ValidacioFila r = AjustaFila(final_, l, ultimaFila, senseFiles);
    if (!senseFiles && Val(inicial) > double(l)) {
        r.canviaAltre = true;
        r.textAltre = Numero(l);
        r.focusAltre = true;
    }
    return r;
}

bool PasFinal::RangFilesValid(const QString& inicial, const QString& final_, std::int32_t ultimaFila)
{
    const std::int32_t f = Enter(inicial), l = Enter(final_);
    return ultimaFila >= 1 && f >= 1 && f <= l && l <= ultimaFila;
}

// ---------------------------------------------------------------------------------------------
// Filling and checks

void PasFinal::Llenar()
{
    const bool una = unaEtiquetaPerFull();
    const bool word = estat_.esWord();
    if (estat_.PanelesLlenos[np().PanelFinal] == 0) {
        if (word) {
            // The word processor's sheet has no per-record choice to show.
            controls_.LblPresentacion2 = false;
            controls_.OpcEtiqpag0 = false;
            controls_.OpcEtiqpag1 = false;
            controls_.img_final1 = false;
            const std::int32_t v = Enter(ModReg::LlegirSeleccio(QStringLiteral("EtiqDif")));
            OpcEtiqpag[0] = v == 0;
            OpcEtiqpag[1] = v != 0;
        } else {
            controls_.OpcEtiqpag0 = controls_.OpcEtiqpag1 = true;
            controls_.LblPresentacion2 = true;
        }
        if (word && una && OpcEtiqpag[0]) {
            OpcEtiqpag[1] = true;
            OpcEtiqpag[0] = false;
        }
    }
    if (!word) {
        if (una) {
            if (OpcEtiqpag[0]) {
                OpcEtiqpag[1] = true;
                OpcEtiqpag[0] = false;
            }
            controls_.OpcEtiqpag0 = false;
        } else {
            controls_.OpcEtiqpag0 = true;
        }
    }
    controls_.files = estat_.esExcel();
    estat_.ValorPanel = OpcEtiqpag[0];
    // The rows a restored design kept, which the worksheet may have lost since.
    if (revisaFiles_ && controls_.files) {
        revisaFiles_ = false;
        const std::int32_t ultima = estat_.pasDisseny().UltimaFilaHoja;
        if (!RangFilesValid(txtFila_inicial, txtFila_final, ultima))
            ModTolvWiz::Mensaje_Error(
                TextPrograma("FrmTolvWiz.FilesPerdudes",
                             QStringLiteral("The design kept the rows %1 to %2 of the worksheet, which now ends at row %3. "
                                            "Please give the rows to print."))
                    .arg(txtFila_inicial, txtFila_final)
                    .arg(ultima));
    }
}

bool PasFinal::Validar(Avis& avis)
{
    if (!estat_.esWord() && OpcEtiqpag[0] == OpcEtiqpag[1]) {
        avis.text = TextPrograma("FrmTolvWiz.SenseEtiqpag", QStringLiteral("Please choose how many labels each record gets: "
                                                                           "\"%1\" or \"%2\"."))
                        .arg(ModTraduccion::CercarLiteral(QStringLiteral("FrmTolvWiz.lblEtiqpag.Caption.0")),
                             ModTraduccion::CercarLiteral(QStringLiteral("FrmTolvWiz.lblEtiqpag.Caption.1")));
        return false;
    }
    const std::int32_t ultima = estat_.pasDisseny().UltimaFilaHoja;
    if (estat_.esExcel() && !RangFilesValid(txtFila_inicial, txtFila_final, ultima)) {
        avis.text = TextPrograma("FrmTolvWiz.FilesNoValides",
                                 QStringLiteral("Please give the rows to print: a first row of 1 or more, and a last row not "
                                                "before it and not after %1, the last row of the worksheet."))
                        .arg(ultima);
        return false;
    }
    if (estat_.PanelesLlenos[np().PanelFinal] == 0) {
        if (!genera(avis))
            return false;
    } else if (!documentGenerat_.isEmpty()) {
        // Nothing changed since the last document was made (by Preview): that one stands.
        avis = {0,
                TextPrograma("FrmTolvWiz.JaFet", QStringLiteral("Nothing has changed since the preview: the document it "
                                                                "made, %1, holds your labels."))
                    .arg(QDir::toNativeSeparators(documentGenerat_)),
                true};
    }
    ModReg::DesarSeleccio(QStringLiteral("EtiqDif"), OpcEtiqpag[0] ? QStringLiteral("0") : QStringLiteral("-1"));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Generation

bool PasFinal::genera(Avis& avis)
{
    // One step for every sheet after the first; how many is known beforehand for a range of
    // worksheet rows only.
    pasProgres_ = 0;
    maxProgres_ = 0;
    const int idx = ModTolvWiz::FormatSeleccionat(estat_.cataleg());
    if (estat_.esExcel() && DinsCatalogo(estat_.cataleg(), idx)) {
        const std::int32_t files = Enter(txtFila_final) - Enter(txtFila_inicial) + 1;
        const std::int32_t perFull = std::max(1, estat_.cataleg().Etiquetas[idx].Filas * estat_.cataleg().Etiquetas[idx].Columnas);
        maxProgres_ = std::max(0, (OpcEtiqpag[0] ? (files - 1) / perFull + 1 : files) - 1);
    }
    estat_.entorn().progres(0, maxProgres_);
    try {
        PasDisseny& disseny = estat_.pasDisseny();
        if (!disseny.disseny())
            disseny.preparaDisseny();
        std::unique_ptr<kovel::word::Document> doc = generar_doc::GeneraDocument(-1, estat_);
        estat_.oblidaFull();
        if (!doc)
            return false;   // the user gave up saving it: nothing to show
        // The generator saved the sheet when it made it; the labels are filled since.
        documentGenerat_ = doc->fullName();
        desa(*doc, documentGenerat_);
        doc.reset();
    } catch (const generar_doc::GeneracioError& e) {
        avis.text = e.message();
    } catch (const kovel::word::WordError& e) {
        avis.text = e.message();
    } catch (const std::exception& e) {
        avis.text = QString::fromLocal8Bit(e.what());
    }
    estat_.oblidaFull();
    if (!avis.buit())
        return false;
    estat_.PanelesLlenos[np().PanelFinal] = -1;
    estat_.entorn().obreDocument(documentGenerat_);
    return true;
}

// A long document is written by a helper thread while the window keeps being painted; the
// document is touched by nobody else meanwhile.
void PasFinal::desa(kovel::word::Document& doc, const QString& cami)
{
    EntornAssistent& entorn = estat_.entorn();
    if (!entorn.teBomba()) {
        doc.saveAs(cami);
        return;
    }
    std::exception_ptr error;
    std::atomic<bool> fet{false};
    std::thread escriptor([&] {
        try {
            doc.saveAs(cami);
        } catch (...) {
            error = std::current_exception();
        }
        fet = true;
    });
    while (!fet) {
        entorn.bomba();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    escriptor.join();
    if (error)
        std::rethrow_exception(error);
}

void PasFinal::avancaProgres()
{
    ++pasProgres_;
    EntornAssistent& entorn = estat_.entorn();
    entorn.progres(pasProgres_, maxProgres_);
    if (entorn.teBomba())
        entorn.bomba();
}

// ---------------------------------------------------------------------------------------------
// Option handlers

void PasFinal::OpcEtiqpag_Click(int index)
{
    if (index < 0 || index > 1)
        return;
    OpcEtiqpag[index] = true;
    OpcEtiqpag[1 - index] = false;
    if (estat_.PanelActual == np().PanelFinal && OpcEtiqpag[0] != estat_.ValorPanel.toBool())
        estat_.marca(np().PanelFinal, 0);
}

void PasFinal::txtFila_Change(const QString& inicial, const QString& final_)
{
    filaInicial_ = inicial;
    filaFinal_ = final_;
    filesTriades_ = true;
    revisaFiles_ = false;
    estat_.marca(np().PanelFinal, 0);
}

ValidacioFila PasFinal::txtFila_Validate(bool inicial, const QString& text, const QString& altre)
{
    const std::int32_t ultima = estat_.pasDisseny().UltimaFilaHoja;
    const ValidacioFila v = inicial ? Valida_FilaInicial(text, altre, ultima) : Valida_FilaFinal(text, altre, ultima);
    const QString altreDespres = v.canviaAltre ? v.textAltre : altre;
    const QString nouInicial = inicial ? v.text : altreDespres;
    const QString nouFinal = inicial ? altreDespres : v.text;
    if (nouInicial != filaInicial_ || nouFinal != filaFinal_)
        txtFila_Change(nouInicial, nouFinal);
    return v;
}

// ---------------------------------------------------------------------------------------------
// The rows

void PasFinal::filesDeLaFulla(std::int32_t primera, std::int32_t ultima, bool capcalera)
{
    if (filesTriades_)
        return;
    filaInicial_ = Numero(capcalera ? primera + 1 : primera);
    filaFinal_ = Numero(ultima);
}

void PasFinal::restauraFiles(std::int32_t inicial, std::int32_t final_)
{
    filesTriades_ = inicial >= 1;
    revisaFiles_ = filesTriades_;
    filaInicial_ = filesTriades_ ? Numero(inicial) : QString();
    filaFinal_ = filesTriades_ ? Numero(final_) : QString();
}

} // namespace kovel::wizard
