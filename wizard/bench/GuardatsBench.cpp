// The saved designs through the wizard with a thousand designs in the store: the panel's
// list, and one save under a new name (the design's document written and checked for codes).
#include "common/HostProfile.h"
#include "common/MsgBox.h"
#include "documents/guardar.h"
#include "platform/word/Document.h"
#include "wizard/Guardats.h"
#include "wizard/panels/PasDisseny.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

namespace {

// A new name at every question.
struct NomsNous : kovel::wizard::EntornAssistent {
    int i = 0;
    QString demanaNom(const QString&, const QString&) override { return QStringLiteral("New %1").arg(i++); }
};

struct Assistent1000 {
    QTemporaryDir dir;
    QString dades = dir.path() + QStringLiteral("/");
    NomsNous entorn;
    kovel::wizard::EstatAssistent estat{QStringLiteral("Word")};
    kovel::wizard::Guardats& guardats = estat.guardats();

    Assistent1000()
    {
        estat.setEntorn(&entorn);
        mod_rvtMsgBox::setAnswerer([](const QString&, std::int16_t, const QString&) { return std::int16_t(1); });
        estat.setCarpetaDades(dades);
        std::vector<guardar::RegistreGuardat> regs(1);
        for (int i = 0; i < 1000; ++i) {
            guardar::RegistreGuardat r;
            r.Nom = QStringLiteral("Design %1").arg(i);
            r.LletraPrograma = 'W';
            r.Versio = QStringLiteral("6.4.0w");
            r.Model = 803;
            r.NumCaselles = 1;
            r.Caselles = {dades + QStringLiteral("guardats/%1/0.docx").arg(1000 - i)};
            r.CasellesDimensionades = true;
            regs.push_back(r);
        }
        QString error;
        QDir().mkpath(dades + QStringLiteral("guardats"));
        guardar::EscriuFitxerSegur(dades + QStringLiteral("guardats/guardatsW.dat"), guardar::CodificaRegistres(regs), error);
        auto doc = kovel::word::Document::create();
        doc->content().insertAfter(QStringLiteral("Name and address"));
        doc->saveAs(dades + QStringLiteral("design.docx"));
        estat.pasDisseny().ObreDisseny(dades + QStringLiteral("design.docx"));
    }
    ~Assistent1000() { mod_rvtMsgBox::resetAnswerer(); }
};

void LlistaPanel(benchmark::State& state)
{
    Assistent1000 a;
    for (auto _ : state)
        benchmark::DoNotOptimize(a.guardats.LlistaGuardats([](const QString& t) { return int(t.size()) * 7; }));
}
BENCHMARK(LlistaPanel)->Unit(benchmark::kMillisecond);

void DesaDisseny(benchmark::State& state)
{
    Assistent1000 a;
    for (auto _ : state)
        benchmark::DoNotOptimize(a.guardats.cmdGuardar_Click());
}
BENCHMARK(DesaDisseny)->Unit(benchmark::kMillisecond);

} // namespace
