// Load and list times of a large catalogue: 20,000 formats, half of them A4, so that the A4
// list has 10,000 lines.
#include "catalogue/Catalogo.h"
#include "catalogue/ListaEtiquetas.h"
#include "tools/catalogue/EscritorCatalogo.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Ficheros {
    QByteArray cap, ext, etiqs;
};

const Ficheros& Generado()
{
    static const Ficheros f = [] {
        Ficheros r;
        const QList<CampoCabecera> campos = kovel::catalogue::CamposEstandar();
        r.cap = kovel::catalogue::Cabecera(campos);
        const char* tipos[] = {"Address labels", "Multipurpose labels", "Mini labels", "Shipping labels"};
        for (int i = 0; i < 20000; ++i) {
            EtiquetaCatalogo e;
            const int numero = (i * 7919) % 99991 + 1;
            e.Referencia = QStringLiteral("KOVEL %1").arg(numero);
            e.Codigo = numero;
            const float ancho = 2.0f + float(i % 170) / 10.0f;
            const float alto = 1.0f + float(i % 97) / 10.0f;
            e.Descripcion = QStringLiteral("%1 %2 x %3 mm, white, laser and inkjet")
                                .arg(QLatin1String(tipos[i % 4])).arg(ancho * 10).arg(alto * 10);
            e.Forma = std::int16_t(i % 10);
            e.Ancho = ancho;
            e.Alto = alto;
            e.PasoHorizontal = ancho + 0.2f;
            e.PasoVertical = alto;
            e.Filas = 8;
            e.Columnas = 3;
            e.TipoPapel = std::uint8_t(i % 2 == 0 ? 0 : 1 + (i / 2) % 4);
            EtiquetaExtendida x;
            x.AnchoCom = ancho;
            x.AltoCom = alto;
            x.AnchoPag = 21;
            x.AltoPag = 29.7;
            x.Sufix = i % 5 == 0 ? QStringLiteral("T") : QString();
            r.etiqs += kovel::catalogue::RegistroEtiqs(e);
            r.ext += kovel::catalogue::RegistroExtension(x, campos);
        }
        return r;
    }();
    return f;
}

void BM_CargaDesdeMemoria(benchmark::State& state)
{
    const Ficheros& f = Generado();
    QString m;
    for (auto _ : state) {
        if (!ModTolvWiz::Carga_CatalogoDeDatos(f.cap, f.ext, f.etiqs, m))
            state.SkipWithError(qPrintable(m));
        benchmark::DoNotOptimize(NumEtiquetas);
    }
    state.counters["formats"] = NumEtiquetas;
}
BENCHMARK(BM_CargaDesdeMemoria)->Unit(benchmark::kMillisecond);

void BM_CargaDesdeFicheros(benchmark::State& state)
{
    const Ficheros& f = Generado();
    QTemporaryDir dir;
    for (const auto& [nombre, datos] : {std::pair{"/ETIQSCAP.UNI", &f.cap}, {"/ETIQSEXT.UNI", &f.ext}, {"/ETIQS.UNI", &f.etiqs}}) {
        QFile out(dir.path() + QLatin1String(nombre));
        if (!out.open(QIODevice::WriteOnly) || out.write(*datos) != datos->size())
            state.SkipWithError("cannot write the catalogue");
    }
    QString m;
    for (auto _ : state) {
        if (!ModTolvWiz::Carga_CatalogoDe(dir.path(), m))
            state.SkipWithError(qPrintable(m));
    }
}
BENCHMARK(BM_CargaDesdeFicheros)->Unit(benchmark::kMillisecond);

// Args: paper type, order, unit.
void BM_Lista(benchmark::State& state)
{
    const Ficheros& f = Generado();
    QString m;
    if (NumEtiquetas != 20000 && !ModTolvWiz::Carga_CatalogoDeDatos(f.cap, f.ext, f.etiqs, m))
        state.SkipWithError(qPrintable(m));
    Unidades = std::int16_t(state.range(2));
    for (auto _ : state)
        ModTolvWiz::Llena_ListaEtiquetas(std::int16_t(state.range(0)), std::int16_t(state.range(1)), 0, 0);
    state.counters["lines"] = ModTolvWiz::LstEtiquetas().ListCount();
    Unidades = 1;
}
BENCHMARK(BM_Lista)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}, {1}})
    ->ArgsProduct({{0, 1, 2, 3, 4}, {2}, {1, 2}})
    ->Unit(benchmark::kMillisecond);

} // namespace
