// Load of a 5,000-record literals file and look-ups in it.
#include "common/ModTraduccion.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr int kRecords = 5000;

struct Fixture {
    QTemporaryDir dir;
    QString path;
    QStringList keys;

    Fixture()
    {
        for (int i = 0; i < kRecords; ++i)
            keys << (i % 2 ? QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0'))
                           : QStringLiteral("FrmTolvWiz.control%1.Caption.%2").arg(i).arg(i % 7));
        std::vector<QString> sorted(keys.begin(), keys.end());
        std::sort(sorted.begin(), sorted.end(),
                  [](const QString& a, const QString& b) { return ModTraduccion::CompararClaus(a, b) < 0; });
        QByteArray bytes;
        for (const QString& k : sorted)
            bytes += ModTraduccion::CodificarRegistre(k, QStringLiteral("Text of %1 with a placeholder %1").arg(k).left(200));
        path = dir.path() + QStringLiteral("/LITER.UNI");
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_LoadLiterals(benchmark::State& state)
{
    QString message;
    for (auto _ : state) {
        const bool ok = ModTraduccion::CarregarLiteralsDe(fixture().path, message);
        benchmark::DoNotOptimize(ok);
    }
    state.counters["records"] = ModTraduccion::NumLiterals();
}
BENCHMARK(BM_LoadLiterals)->Unit(benchmark::kMillisecond);

void BM_LookUp100k(benchmark::State& state)
{
    QString message;
    ModTraduccion::CarregarLiteralsDe(fixture().path, message);
    std::mt19937 rng(42);
    std::vector<QString> queries;
    queries.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        queries.push_back(i % 10 == 9 ? QStringLiteral("missing.key.%1").arg(i)
                                      : fixture().keys[int(rng() % kRecords)].toLower());
    for (auto _ : state) {
        for (const QString& q : queries)
            benchmark::DoNotOptimize(ModTraduccion::CercarLiteral(q));
    }
    state.SetItemsProcessed(state.iterations() * qsizetype(queries.size()));
}
BENCHMARK(BM_LookUp100k)->Unit(benchmark::kMillisecond);

} // namespace
