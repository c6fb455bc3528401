// Generation measured: 10,000 records on a 3 x 8 A4 sheet with a design of three data
// fields, and 1,000 sheets of one record each. Peak memory is reported as "peak_MB".
#include "documents/generar_doc.h"
#include "documents/tests/CatalegProva.h"

#include "catalogue/Catalogo.h"
#include "common/MsgBox.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <sys/resource.h>

using namespace generar_doc;
using namespace kovel::word;

namespace {

struct Opcions : OpcionsGeneracio {
    QString host;
    bool unaPerRegistre = true;
    int registres = 0;
    std::unique_ptr<FullMemoria> full;
    QStringList camps{"A", "B", "C"};
    QList<QStringList> files;
    Document* disseny = nullptr;
    QString dades;
    QString programaOffice() const override { return host; }
    std::int16_t formatSeleccionat() const override { return 0; }
    bool horitzontal() const override { return false; }
    bool unaEtiquetaPerRegistre() const override { return unaPerRegistre; }
    QString textFilaInicial() const override { return "1"; }
    QString textFilaFinal() const override { return QString::number(registres); }
    FullDades* fullDades() override { return full.get(); }
    std::unique_ptr<RegistresDades> obreRegistres() override { return std::make_unique<RegistresMemoria>(camps, files); }
    Document* dissenyAllotjat() override { return disseny; }
    QString carpetaPrograma() const override { return dades + "program"; }
    QString carpetaDades() const override { return dades; }
};

void Prepara()
{
    proves::CatalegA4De24();
}

// A label's design as the design frame leaves it: one label's page with insets as margins
// (each becomes a spacer line in every label), a text and three field placeholders.
std::unique_ptr<Document> Disseny()
{
    auto d = Document::create();
    PageSetup ps = d->pageSetup();
    ps.setPageWidth(centimetresToPoints(Centimetres(6.35)));
    ps.setPageHeight(centimetresToPoints(Centimetres(3.39)));
    for (auto marge : {&PageSetup::setLeftMargin, &PageSetup::setTopMargin, &PageSetup::setRightMargin,
                       &PageSetup::setBottomMargin})
        (ps.*marge)(centimetresToPoints(Centimetres(0.2)));
    d->setPageSetup(ps);
    d->content().setText("To: ");
    for (const char* camp : {"TOLV_campA", "TOLV_campB", "TOLV_campC"}) {
        Range r = d->content();
        r.collapse(Collapse::End);
        InlinePicture p = InlinePicture::fromImage(QImage(40, 12, QImage::Format_RGB32));
        p.setAlternativeText(camp);
        r.insertPicture(p);
    }
    return d;
}

// The document written as the user gets it; its time is reported apart, as "save_ms".
void Desa(benchmark::State& state, Document* doc, const QString& cami)
{
    if (!doc)
        return;
    QElapsedTimer t;
    t.start();
    doc->saveAs(cami);
    state.counters["save_ms"] = double(t.nsecsElapsed()) / 1e6;
    state.counters["docx_MB"] = double(QFileInfo(cami).size()) / 1e6;
}

void PicMemoria(benchmark::State& state)
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    state.counters["peak_MB"] = double(u.ru_maxrss) / 1024.0;
}

// The generation timed; the save and the peak memory reported beside it.
void Genera(benchmark::State& state, Opcions& o, const QTemporaryDir& dir)
{
    for (auto _ : state) {
        auto doc = GeneraDocument(0, o);
        benchmark::DoNotOptimize(doc.get());
        state.counters["tables"] = doc ? doc->tableCount() : 0;
        state.PauseTiming();
        Desa(state, doc.get(), dir.filePath("sheet.docx"));
        state.ResumeTiming();
    }
    PicMemoria(state);
}

void BM_DeuMilEtiquetes(benchmark::State& state)
{
    Prepara();
    QTemporaryDir dir;
    auto disseny = Disseny();
    Opcions o;
    o.host = "Excel";
    o.registres = 10000;
    QList<QStringList> files;
    for (int i = 1; i <= o.registres; ++i)
        files << QStringList{QStringLiteral("Name %1").arg(i), QStringLiteral("%1 Main Street").arg(i), QStringLiteral("0%1").arg(8000 + i % 900)};
    o.full = std::make_unique<FullMemoria>(files);
    o.disseny = disseny.get();
    o.dades = dir.path() + "/";
    if (state.range(0) == 1) {
        // The model's blank template in documents_base: the working copy comes from it.
        auto blanc = Document::create();
        blanc->saveAs(DirectoriDocumentsBase(o.carpetaPrograma()) + NomPlantillaBlanca(804, QString(), false));
    }
    Genera(state, o, dir);
}
// Argument 1: the format has a blank template of its own.
BENCHMARK(BM_DeuMilEtiquetes)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_FullsUnRegistre(benchmark::State& state)
{
    Prepara();
    QTemporaryDir dir;
    auto disseny = Disseny();
    Opcions o;
    o.host = "Access";
    o.unaPerRegistre = false;
    for (int i = 1; i <= state.range(0); ++i)
        o.files << QStringList{QStringLiteral("Name %1").arg(i), QStringLiteral("Street %1").arg(i), QStringLiteral("%1").arg(i)};
    o.disseny = disseny.get();
    o.dades = dir.path() + "/";
    Genera(state, o, dir);
}
BENCHMARK(BM_FullsUnRegistre)->Arg(1000)->Arg(4000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
