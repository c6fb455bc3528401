// Generation measured: 10,000 records on a 3 x 8 A4 sheet with a design of three data
// fields, and 1,000 sheets of one record each. Peak memory is reported as "peak_MB".
// BM_ContinuLibreOffice/form/labels: LibreOffice converting labels of a continuous sheet to
// PDF, without margins in the design (form 0), with the design's insets as margins (1), and
// the same sheet with its margins as a spacer line each in every label (2, the form of
// earlier versions); the generation is reported apart as "gen_ms". KOVEL_BENCH_DIR=folder
// keeps the documents made there.
#include "documents/generar_doc.h"
#include "documents/tests/CatalegProva.h"
#include "documents/tests/FormaLinies.h"

#include "catalogue/Catalogo.h"
#include "common/MsgBox.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/resource.h>

using namespace generar_doc;
using namespace kovel::word;

namespace {

struct Opcions : proves::OpcionsAmbCataleg {
    using OpcionsAmbCataleg::OpcionsAmbCataleg;
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

void Prepara(Cataleg& cat)
{
    proves::CatalegA4De24(cat);
}

// A label's design as the design frame leaves it: one label's page with insets as margins
// (the label cells' paddings), a text and three field placeholders.
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

// A spreadsheet of `registres` rows of three fields.
void FullDeRegistres(Opcions& o, int registres = 10000)
{
    o.host = "Excel";
    o.registres = registres;
    QList<QStringList> files;
    for (int i = 1; i <= o.registres; ++i)
        files << QStringList{QStringLiteral("Name %1").arg(i), QStringLiteral("%1 Main Street").arg(i), QStringLiteral("0%1").arg(8000 + i % 900)};
    o.full = std::make_unique<FullMemoria>(files);
}

void BM_DeuMilEtiquetes(benchmark::State& state)
{
    Cataleg cat;
    Prepara(cat);
    QTemporaryDir dir;
    auto disseny = Disseny();
    Opcions o{cat};
    FullDeRegistres(o);
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
    Cataleg cat;
    Prepara(cat);
    QTemporaryDir dir;
    auto disseny = Disseny();
    Opcions o{cat};
    o.host = "Access";
    o.unaPerRegistre = false;
    for (int i = 1; i <= state.range(0); ++i)
        o.files << QStringList{QStringLiteral("Name %1").arg(i), QStringLiteral("Street %1").arg(i), QStringLiteral("%1").arg(i)};
    o.disseny = disseny.get();
    o.dades = dir.path() + "/";
    Genera(state, o, dir);
}
BENCHMARK(BM_FullsUnRegistre)->Arg(1000)->Arg(4000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Labels of a continuous sheet of 3 x 8 labels of 8.89 x 3.57 cm, a page the user's
// word processor lays out; the design is the frame's page of the label, with insets on
// every side (a margin each) or none.
void BM_ContinuLibreOffice(benchmark::State& state)
{
    Cataleg cat;
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) {
        state.SkipWithError("LibreOffice is not installed");
        return;
    }
    EtiquetaCatalogo e;
    e.Codigo = 3103;
    e.Ancho = 8.89f; e.Alto = 3.57f;
    e.MargenIzquierdo = 1.143f; e.MargenSuperior = 0.12f;
    e.PasoHorizontal = 9.652f; e.PasoVertical = 3.81f;
    e.Filas = 8; e.Columnas = 3;
    e.Holgura = state.range(0) > 0 ? std::array<float, 2>{0.2f, 0.1f} : std::array<float, 2>{0, 0};
    e.TipoPapel = 1;
    proves::CatalegDe(cat, {e});
    mod_rvtMsgBox::setAnswerer([](const QString&, std::int16_t, const QString&) { return std::int16_t(2); });
    QTemporaryDir temporal;
    const QString propia = qEnvironmentVariable("KOVEL_BENCH_DIR");
    const QString carpeta = propia.isEmpty() ? temporal.path() : propia;
    auto disseny = Disseny();
    PreparaPaginaEtiqueta(*disseny, MidesDeCatalogo(cat, 0), false);
    Opcions o{cat};
    FullDeRegistres(o, int(state.range(1)));
    o.disseny = disseny.get();
    o.dades = carpeta + QStringLiteral("/dades%1_%2/").arg(state.range(0)).arg(state.range(1));
    const PageSetup paginaDisseny = disseny->pageSetup();   // the generation turns its margins into lines
    QElapsedTimer rellotge;
    rellotge.start();
    auto doc = GeneraDocument(0, o);
    state.counters["gen_ms"] = double(rellotge.nsecsElapsed()) / 1e6;
    if (state.range(0) == 2)
        state.counters["spacer_lines"] = 4 * proves::AFormaLinies(*doc, paginaDisseny, CalculaGeometria(MidesDeCatalogo(cat, 0)));
    const QString docx = carpeta + QStringLiteral("/continu%1_%2.docx").arg(state.range(0)).arg(state.range(1));
    doc->saveAs(docx);
    state.counters["docx_MB"] = double(QFileInfo(docx).size()) / 1e6;
    const QString perfil = carpeta + QStringLiteral("/lo-profile");
    auto converteix = [&](const QString& fitxer) {
        QProcess p;
        p.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + perfil, QStringLiteral("--headless"),
                          QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"), carpeta, fitxer});
        return p.waitForFinished(1800000) && p.exitCode() == 0;
    };
    // The profile is made by a first, small conversion, outside the measure.
    const QString petit = carpeta + QStringLiteral("/petit.docx");
    Document::create()->saveAs(petit);
    converteix(petit);
    for (auto _ : state) {
        if (!converteix(docx)) {
            state.SkipWithError("LibreOffice did not convert the document");
            return;
        }
    }
    mod_rvtMsgBox::resetAnswerer();
}
BENCHMARK(BM_ContinuLibreOffice)->Args({0, 10000})->Args({1, 10000})->Args({2, 10000})->Args({0, 1000})->Args({1, 1000})->Args({2, 1000})->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
