// The saved-designs store of a user with a thousand designs: reading the list, and one save.
#include "documents/guardar.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

struct Magatzem1000 {
    QTemporaryDir dir;
    QString dades() const { return dir.path() + QStringLiteral("/"); }
    Magatzem1000()
    {
        std::vector<guardar::RegistreGuardat> regs(1);
        for (int i = 0; i < 1000; ++i) {
            guardar::RegistreGuardat r;
            r.Nom = QStringLiteral("Design %1").arg(i);
            r.LletraPrograma = 'E';
            r.Versio = QStringLiteral("6.4.0w");
            r.Model = 803;
            r.NumCaselles = 1;
            r.Caselles = {dades() + QStringLiteral("guardats/%1/0.docx").arg(1000 - i)};
            r.CasellesDimensionades = true;
            r.FontDades = QStringLiteral("/home/user/Documents/addresses-%1.xlsx").arg(i % 3);
            r.Llista = QStringLiteral("Sheet1");
            regs.push_back(r);
        }
        QString error;
        QDir().mkpath(dades() + QStringLiteral("guardats"));
        guardar::EscriuFitxerSegur(dades() + QStringLiteral("guardats/guardatsE.dat"), guardar::CodificaRegistres(regs), error);
    }
};

void Llista(benchmark::State& state)
{
    Magatzem1000 m;
    for (auto _ : state) {
        guardar::Magatzem g(m.dades(), 'E', QStringLiteral("/home/user/Documents/addresses-1.xlsx"));
        QString error;
        g.Carrega(error);
        benchmark::DoNotOptimize(g.Noms());
    }
}
BENCHMARK(Llista)->Unit(benchmark::kMillisecond);

void Desa(benchmark::State& state)
{
    Magatzem1000 m;
    guardar::Magatzem g(m.dades(), 'E', QStringLiteral("/home/user/Documents/addresses-1.xlsx"));
    int i = 0;
    for (auto _ : state) {
        QString nom = QStringLiteral("new %1").arg(i++), error;
        g.GuardaDisseny(nom, {}, [](const QString& carpeta, QStringList& caselles, QString&) {
            QFile f(carpeta + QStringLiteral("0.docx"));
            if (!f.open(QIODevice::WriteOnly))
                return false;
            f.write("x");
            caselles = {f.fileName()};
            return true;
        }, error);
    }
}
BENCHMARK(Desa)->Unit(benchmark::kMillisecond);

} // namespace
