// Sheet preview and details window timings:
//   a 3 x 8 A4 sheet and a 20 x 40 sheet drawn in the large preview (geometry and painting);
//   1,000 steps through the format list in the details window.
#include "catalogue/Cataleg.h"
#include "catalogue/VistaPrevia.h"
#include "catalogue/ui/LienzoPintor.h"
#include "catalogue/ui/frmOptions.h"
#include "tools/catalogue/EscritorCatalogo.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace kovel::catalogue;

namespace {

Formato Hoja(int codigo, int columnas, int filas, float ancho, float alto)
{
    Formato f;
    EtiquetaCatalogo& e = f.etiqueta;
    e.Referencia = QStringLiteral("KOVEL %1").arg(codigo).leftJustified(15);
    e.Codigo = codigo;
    e.Descripcion = QStringLiteral("Labels %1 (ILC)").arg(codigo).leftJustified(255);
    e.TextoAdicional = QString(25, QLatin1Char(' '));
    e.Forma = 1;
    e.Ancho = ancho;
    e.Alto = alto;
    e.PasoHorizontal = ancho;
    e.PasoVertical = alto;
    e.MargenSuperior = 0.05f;
    e.Columnas = std::int16_t(columnas);
    e.Filas = std::int16_t(filas);
    f.extension.AnchoCom = ancho;
    f.extension.AltoCom = alto;
    return f;
}

void Previa(benchmark::State& state, const Formato& f)
{
    OpcionesVista o;
    o.indice = 1;
    o.casellaActual = 3;
    o.casellaBuida = [](int c) { return c % 5 != 0; };
    for (auto _ : state) {
        LienzoPintor l;
        const ResultadoVista r = Dibuja_HojaEtiquetas(l, f.etiqueta, f.extension, o, QString());
        benchmark::DoNotOptimize(l.Resultado());
        benchmark::DoNotOptimize(r.geometria.etiquetas.size());
    }
}

void BM_PreviaA4_3x8(benchmark::State& state) { Previa(state, Hoja(806, 3, 8, 7, 3.7f)); }
void BM_Previa_20x40(benchmark::State& state) { Previa(state, Hoja(999, 20, 40, 1.05f, 0.74f)); }

void BM_Detalles1000Pasos(benchmark::State& state)
{
    QList<Formato> formatos;
    for (int i = 0; i < 1000; ++i)
        formatos.append(Hoja(1000 + i, 3, 8, 7, 3.7f));
    QTemporaryDir dir;
    QString error;
    Cataleg cat;
    if (!EscribeCatalogo(dir.path(), formatos, CamposEstandar(), error)
        || !ModTolvWiz::Carga_CatalogoDe(cat, dir.path(), error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    ModTolvWiz::Llena_ListaEtiquetas(cat, PapelA4, 0, 0, 0);
    cat.Lista.setListIndex(0);
    frmOptions f(cat);
    f.show();
    for (auto _ : state) {
        f.cmd_mov_Click(0);
        for (int i = 1; i < 1000; ++i)
            f.cmd_mov_Click(2);
    }
}

} // namespace

BENCHMARK(BM_PreviaA4_3x8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Previa_20x40)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Detalles1000Pasos)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
