// The wizard measured through its window (offscreen): a panel change, the format list
// refilled on a sort change, and Finish on 10,000 spreadsheet rows of three fields with
// the longest gap between two repaints ("gap_ms") and the peak memory ("peak_MB").
#include "wizard/ui/FrmTolvWiz.h"
#include "documents/ui/MarcDisseny.h"

#include "appearance/ui/Aparenca.h"
#include "catalogue/Cataleg.h"
#include "common/HostProfile.h"
#include "common/MsgBox.h"
#include "common/ui/BotoImatge.h"
#include "platform/excel/tests/Fixtures.h"
#include "wizard/panels/PasOrigen.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

#include <sys/resource.h>

using kovel::wizard::FrmTolvWiz;

namespace {

// The window without the desktop's document handler, its event pump timed.
struct FinestraCronometrada : FrmTolvWiz {
    std::function<void()> mesura;
    void obreDocument(const QString&) override {}
    void bomba() override
    {
        FrmTolvWiz::bomba();
        if (mesura)
            mesura();
    }
};

QApplication& App()
{
    static int argc = 1;
    static char arg0[] = "wizard_bench";
    static char* argv[] = {arg0, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    mod_rvtMsgBox::setAnswerer([](const QString&, std::int16_t, const QString&) { return std::int16_t(2); });
    return *app;
}

template <typename T = QWidget>
T* Busca(QWidget& w, const char* nom, int index = -1)
{
    for (T* t : w.findChildren<T*>(QLatin1String(nom)))
        if (index < 0 || t->property("index").toInt() == index)
            return t;
    return nullptr;
}

// The window on the label-format panel with format 803 on A4.
void FinsEtiqueta(FrmTolvWiz& w)
{
    w.Cargar();
    w.MostrarPanel(+1);
    Busca<kovel::ui::BotoImatge>(w, "optDinA4")->click();
    w.MostrarPanel(+1);
    ModTolvWiz::Busca_EtiquetaReferencia(w.estat().cataleg(), QStringLiteral("803"), true);
}

void BM_PanelChange(benchmark::State& state)
{
    App();
    Word_espec::Inicialitzar();
    FrmTolvWiz w;
    FinsEtiqueta(w);
    w.estat().pasOrigen().opcOrigDatos = {false, true, false, false};
    for (auto _ : state) {
        w.MostrarPanel(+1);   // label format -> data source
        w.MostrarPanel(-1);   // and back (the list is built again on every showing)
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_PanelChange)->Unit(benchmark::kMillisecond);

// The product look applied to a loaded window: fonts, colours, positions, skins, backgrounds.
void BM_ProductLook(benchmark::State& state)
{
    App();
    Word_espec::Inicialitzar();
    FrmTolvWiz w;
    if (!w.Cargar()) {
        state.SkipWithError("the wizard did not load");
        return;
    }
    for (auto _ : state) {
        KOVEL_espec::EstilFormulari(&w, kovel::Host());
        KOVEL_espec::Carga_ImagenesWizard(&w);
        for (int i = 0; i < 10; ++i)
            KOVEL_espec::PosaFons(w.Panel(i), QStringLiteral("FONSEGONA_DALT.DAT"));
    }
}
BENCHMARK(BM_ProductLook)->Unit(benchmark::kMillisecond);

void BM_FormatListSortChange(benchmark::State& state)
{
    App();
    Word_espec::Inicialitzar();
    FrmTolvWiz w;
    FinsEtiqueta(w);
    int orden = 0;
    for (auto _ : state) {
        orden = (orden + 1) % 3;
        Busca<kovel::ui::BotoImatge>(w, "optOrden", orden)->click();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_FormatListSortChange)->Unit(benchmark::kMillisecond);

void BM_Finish10000Rows(benchmark::State& state)
{
    App();
    Excel_espec::Inicialitzar();
    QTemporaryDir dir;
    // The real road: a workbook written by a spreadsheet writer, read through the source.
    const QString llibre = dir.filePath(QStringLiteral("rows.xlsx"));
    fixtures::WriteGridXlsx(llibre, 10000, 3);
    qputenv("KOVEL_ACTIVE_WORKBOOK", llibre.toUtf8());
    double gap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        FinestraCronometrada w;
        w.estat().setCarpetaDades(dir.path() + QStringLiteral("/"));
        FinsEtiqueta(w);
        w.MostrarPanel(+1);
        w.MostrarPanel(+1);
        for (const QString& c : {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")})
            w.marcDisseny().InsereixImatgeCamp(c);
        w.MostrarPanel(+1);
        Busca<kovel::ui::BotoImatge>(w, "OpcEtiqpag", 0)->click();
        // The longest time between two turns of the event pump while Finish works.
        QElapsedTimer rellotge;
        double darrer = 0;
        gap = 0;
        w.mesura = [&] {
            const double ara = rellotge.nsecsElapsed() / 1e6;
            if (ara - darrer > gap && qEnvironmentVariableIsSet("KOVEL_BENCH_TRACE"))
                std::fprintf(stderr, "gap %.1f ms ending at %.1f ms\n", ara - darrer, ara);
            gap = std::max(gap, ara - darrer);
            darrer = ara;
        };
        state.ResumeTiming();
        rellotge.start();
        w.MostrarPanel(+1);
        if (qEnvironmentVariableIsSet("KOVEL_BENCH_TRACE"))
            std::fprintf(stderr, "last pump at %.1f ms, end at %.1f ms\n", darrer, rellotge.nsecsElapsed() / 1e6);
        gap = std::max(gap, rellotge.nsecsElapsed() / 1e6 - darrer);
    }
    rusage us{};
    getrusage(RUSAGE_SELF, &us);
    state.counters["gap_ms"] = gap;
    state.counters["peak_MB"] = double(us.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_Finish10000Rows)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
