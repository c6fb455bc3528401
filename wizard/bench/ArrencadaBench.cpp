// Start-up time: from the process start to the point where the wizard window is shown, with
// a catalogue of 20,000 formats, on the offscreen platform (counter window_ms_*; the
// iteration time is the whole run of the process, from its start to its end). Each run is a fresh process (this
// program started again with "--child"), which goes through the program's own start-up and
// stops where the window's loading has read the catalogue and the window shows.
#include "catalogue/Cataleg.h"
#include "catalogue/bench/CatalogoGran.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/ui/ModTolvWizUi.h"
#include "platform/paths/Paths.h"
#include "wizard/ui/Arrencada.h"
#include "wizard/LineaComandos.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

// Milliseconds since this process started (the kernel's start time, in clock ticks).
double MsDesDeLInici()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Field 22 counts from after the command name, which ends at the last ')'.
    const QList<QByteArray> camps = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (camps.size() < 20)
        return -1;
    const double inici = camps[19].toDouble() / double(sysconf(_SC_CLK_TCK));
    timespec ara{};
    clock_gettime(CLOCK_BOOTTIME, &ara);
    return (double(ara.tv_sec) + double(ara.tv_nsec) / 1e9 - inici) * 1000.0;
}

// The program's start-up as main() runs it, with a window entry that loads the catalogue
// as the wizard window's loading does and shows a window of the wizard's size.
int Fill(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString linia = QStringLiteral("/W");
    ModTolvWiz::Puntero_Espera(true);
    QLockFile bloqueig(kovel::paths::appDataDir() + QStringLiteral("/KovelAssist-bench.lock"));
    if (!bloqueig.tryLock(0))
        return 3;
    QString missatge;
    if (!ModTraduccion::CarregarLiterals(missatge))
        return 1;
    if (ModTolvWiz::Lee_LineaComandos(linia, QDir::currentPath()))
        return 1;
    double ms = -1;
    kovel::wizard::setEntradaAssistent([&](const kovel::wizard::ArrencadaAssistent& a) {
        Cataleg cat;
        QString m;
        if (!ModTolvWiz::Carga_Catalogo(cat, m)) {
            std::fprintf(stderr, "%s\n", qPrintable(m));
            return 1;
        }
        QWidget finestra;
        finestra.setObjectName(QStringLiteral("FrmTolvWiz"));
        finestra.resize(11800 / 15, 7600 / 15);
        finestra.show();
        QCoreApplication::processEvents();
        ms = MsDesDeLInici();
        // The rest of start-up runs as it would, outside the measure.
        a.finestraCarregada(&finestra, ModTolvWiz::FormatosOmitidos(cat), QString());
        return cat.NumEtiquetas == 20000 ? 0 : 4;
    });
    const int estat = kovel::wizard::Arrencada(linia);
    std::printf("window-ms %.1f\n", ms);
    return estat;
}

class Programa {
public:
    Programa()
    {
        const QString font = QStringLiteral(KOVEL_PROGRAM_DIR);
        for (const char* nom : {"LITER.UNI", "special.uni", "versio.txt"})
            ok_ = ok_ && QFile::copy(font + QLatin1Char('/') + QLatin1String(nom), dir_.filePath(QLatin1String(nom)));
        ok_ = ok_ && kovel::catalogue::EscribeFicheros(kovel::catalogue::CatalogoGran(20000), dir_.path());
    }
    bool ok() const { return ok_ && dir_.isValid(); }
    QString carpeta() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    bool ok_ = true;
};

void BM_ArrencadaFinsFinestra(benchmark::State& state)
{
    static Programa programa;
    if (!programa.ok()) {
        state.SkipWithError("cannot prepare the program folder");
        return;
    }
    QTemporaryDir casa;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KOVEL_PROGRAM_DIR"), programa.carpeta());
    env.insert(QStringLiteral("XDG_DATA_HOME"), casa.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), casa.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("KOVEL_MACHINE_REGISTRY"), casa.filePath(QStringLiteral("machine.reg")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    double suma = 0, maxim = 0;
    int n = 0;
    for (auto _ : state) {
        QProcess p;
        p.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        if (!p.waitForFinished(30000) || p.exitCode() != 0) {
            state.SkipWithError(qPrintable(QString::fromLocal8Bit(p.readAllStandardError())));
            return;
        }
        state.SetIterationTime(double(t.nsecsElapsed()) / 1e9);
        const QByteArray sortida = p.readAllStandardOutput();
        const double ms = sortida.mid(sortida.indexOf("window-ms ") + 10).trimmed().toDouble();
        suma += ms;
        maxim = std::max(maxim, ms);
        ++n;
    }
    if (n > 0) {
        state.counters["window_ms_mean"] = suma / n;
        state.counters["window_ms_max"] = maxim;
    }
}
BENCHMARK(BM_ArrencadaFinsFinestra)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--child") == 0)
        return Fill(argc, argv);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
