// Load and list times of a large catalogue: 20,000 formats, half of them A4, so that the A4
// list has 10,000 lines.
#include "catalogue/Cataleg.h"
#include "catalogue/bench/CatalogoGran.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using Ficheros = kovel::catalogue::FicherosCatalogo;

const Ficheros& Generado()
{
    static const Ficheros f = kovel::catalogue::CatalogoGran(20000);
    return f;
}

void BM_CargaDesdeMemoria(benchmark::State& state)
{
    const Ficheros& f = Generado();
    Cataleg cat;
    QString m;
    for (auto _ : state) {
        if (!ModTolvWiz::Carga_CatalogoDeDatos(cat, f.cap, f.ext, f.etiqs, m))
            state.SkipWithError(qPrintable(m));
        benchmark::DoNotOptimize(cat.NumEtiquetas);
    }
    state.counters["formats"] = cat.NumEtiquetas;
}
BENCHMARK(BM_CargaDesdeMemoria)->Unit(benchmark::kMillisecond);

void BM_CargaDesdeFicheros(benchmark::State& state)
{
    const Ficheros& f = Generado();
    QTemporaryDir dir;
    if (!kovel::catalogue::EscribeFicheros(f, dir.path()))
        state.SkipWithError("cannot write the catalogue");
    Cataleg cat;
    QString m;
    for (auto _ : state) {
        if (!ModTolvWiz::Carga_CatalogoDe(cat, dir.path(), m))
            state.SkipWithError(qPrintable(m));
    }
}
BENCHMARK(BM_CargaDesdeFicheros)->Unit(benchmark::kMillisecond);

// Args: paper type, order, unit.
void BM_Lista(benchmark::State& state)
{
    const Ficheros& f = Generado();
    Cataleg cat;
    QString m;
    if (!ModTolvWiz::Carga_CatalogoDeDatos(cat, f.cap, f.ext, f.etiqs, m))
        state.SkipWithError(qPrintable(m));
    cat.Unidades = std::int16_t(state.range(2));
    for (auto _ : state)
        ModTolvWiz::Llena_ListaEtiquetas(cat, std::int16_t(state.range(0)), std::int16_t(state.range(1)), 0, 0);
    state.counters["lines"] = cat.Lista.ListCount();
}
BENCHMARK(BM_Lista)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}, {1}})
    ->ArgsProduct({{0, 1, 2, 3, 4}, {2}, {1, 2}})
    ->Unit(benchmark::kMillisecond);

} // namespace
