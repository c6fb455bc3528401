// Downloads a 200 MB installer from a loopback server through the whole update run
// (version file, HEAD, GET, checksum, hand-over) and reports the rate and the peak memory.
#include "common/ModReg.h"
#include "common/ModTraduccion.h"
#include "updater/ModAutoUpdate.h"
#include "updater/tests/ServidorProva.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

constexpr std::uint64_t kMida = 200ull * 1024 * 1024;

void escriure(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

void BM_DescarregaInstallable(benchmark::State& state)
{
    static int argc = 1;
    static char nom[] = "updater_bench";
    static char* argv[] = {nom, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);

    QTemporaryDir arrel;
    const QString carpeta = arrel.path() + QStringLiteral("/upd/");
    QDir().mkpath(carpeta);
    QDir().mkpath(arrel.path() + QStringLiteral("/prog"));
    qputenv("KOVEL_PROGRAM_DIR", (arrel.path() + QStringLiteral("/prog")).toUtf8());
    qputenv("KOVEL_MACHINE_REGISTRY", (arrel.path() + QStringLiteral("/machine.reg")).toUtf8());
    escriure(arrel.path() + QStringLiteral("/prog/LITER.UNI"),
             ModTraduccion::CodificarRegistre(QStringLiteral("1"), QStringLiteral("u")));
    escriure(arrel.path() + QStringLiteral("/prog/autoUpdate.txt"), "versio.txt\n");

    auto fitxers = std::make_shared<std::map<std::string, proves::Fitxer>>();
    (*fitxers)["/versio.txt"].contingut = "setup.bin\r\n";
    auto& inst = (*fitxers)["/setup.bin"];
    inst.midaGenerada = kMida;
    inst.genera = [](std::uint64_t off, char* buf, std::size_t n) { proves::GeneraInstallable(kMida, off, buf, n); };
    proves::ServidorProva servidor(proves::ServirFitxers(fitxers));

    const QString clau = ModReg::ClauProducte + QStringLiteral("AutoUpdate");
    ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau, QStringLiteral("PATH_AutoUpdater"), carpeta);
    ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau, QStringLiteral("Path"),
                        QStringLiteral("http://127.0.0.1:%1/").arg(servidor.port()));

    for (auto _ : state) {
        state.PauseTiming();
        escriure(carpeta + QStringLiteral("autoUpdate.log"), "Sun, 01 Nov 2026 10:00:00 GMT\n");
        ModReg::EsborrarValor(ModReg::HKEY_LOCAL_MACHINE, clau, QStringLiteral("UltimaComprovacio"));
        QFile::remove(carpeta + QStringLiteral("setup.bin"));
        QFile::remove(carpeta + QStringLiteral("inst_pendent.txt"));
        state.ResumeTiming();
        const int status = ModAutoUpdate::UnaActualitzacio();
        state.PauseTiming();
        if (status != 0 || QFileInfo(carpeta + QStringLiteral("setup.bin")).size() != qint64(kMida)
            || !QFile::exists(carpeta + QStringLiteral("inst_pendent.txt")))
            state.SkipWithError("the download did not complete");
        state.ResumeTiming();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * kMida));
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    state.counters["peak_rss_MB"] = double(ru.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_DescarregaInstallable)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace
