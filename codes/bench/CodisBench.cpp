// Field-linked codes remade for many records, as a generation draws them.
#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"
#include "common/Fitxers.h"
#include "platform/word/Document.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QGuiApplication& App()
{
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

const char* const Noms[] = {"José Muñoz", "Àngels Puig", "Françoise Léger", "Jürgen Groß", "Núria Castañé"};

QString Registre(int i, const QString& f)
{
    if (f == QLatin1String("Nom")) return QString::fromUtf8(Noms[i % 5]) + QStringLiteral(" %1").arg(i);
    if (f == QLatin1String("Tel")) return QStringLiteral("+34 600 %1").arg(i, 6, 10, QLatin1Char('0'));
    if (f == QLatin1String("Web")) return QStringLiteral("https://example.com/p/%1").arg(i);
    if (f == QLatin1String("Mail")) return QStringLiteral("user%1@example.com").arg(i);
    return QStringLiteral("C/ Major %1, 08001 Barcelona").arg(i % 300);
}

// 10,000 contact cards: template filled, encoded, symbol drawn to a picture.
void BM_TargetesQR(benchmark::State& state)
{
    App();
    kovel::qr::QRCodeCtrl qr;
    const QString tpl = CodiQR::PlantillaVCard({}, QStringLiteral("Nom"), QStringLiteral("Tel"), QStringLiteral("Web"),
                                               QStringLiteral("Mail"), QStringLiteral("Adr"));
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i) {
            QString filled;
            CodiQR::OmplirPlantilla(tpl, [i](const QString& f) { return Registre(i, f); }, filled);
            qr.setDataToEncode(CodiQR::CodificarText({}, filled));
            const int w = qr.GetMatrixWidth(3, 96, 96, 3, 3);
            QImage img = qr.Dibuixar(QSize(w, w));
            benchmark::DoNotOptimize(img.constBits());
        }
    }
}
BENCHMARK(BM_TargetesQR)->Unit(benchmark::kMillisecond)->Iterations(1);

// 10,000 EAN-13 pictures.
void BM_EAN13(benchmark::State& state)
{
    App();
    kovel::barcode::ActiveBC bc;
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i) {
            bc.setBarText(QStringLiteral("84%1").arg(i, 10, 10, QLatin1Char('0')));
            const float w = bc.MinBarcodeWidth();
            QImage img = bc.Dibuixar(QSize(static_cast<int>(w), static_cast<int>(w / 2.5f)));
            benchmark::DoNotOptimize(img.constBits());
        }
    }
}
BENCHMARK(BM_EAN13)->Unit(benchmark::kMillisecond)->Iterations(1);

// 10,000 EAN-13 pictures for printing, as the generator makes them (vector pictures).
void BM_EAN13Impressio(benchmark::State& state)
{
    App();
    kovel::barcode::ActiveBC bc;
    qint64 bytes = 0;
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i) {
            bc.setBarText(QStringLiteral("84%1").arg(i, 10, 10, QLatin1Char('0')));
            kovel::codes::ImatgeCodi imatge;
            CodiBarres::FerImatge(bc, 0, 0, imatge);
            bytes += imatge.png.size();
        }
    }
    state.counters["bytes"] = double(bytes) / 10000;
}
BENCHMARK(BM_EAN13Impressio)->Unit(benchmark::kMillisecond)->Iterations(1);

// The whole path of a generation: bitmap file and picture in a document, 1,000 of each.
void BM_InsercioDocument(benchmark::State& state)
{
    App();
    QTemporaryDir dir;
    CarpetaDades = dir.path() + QLatin1Char('/');
    kovel::barcode::ActiveBC bc;
    kovel::qr::QRCodeCtrl qr;
    for (auto _ : state) {
        auto doc = kovel::word::Document::create();
        for (int i = 0; i < 1000; ++i) {
            bc.setBarText(QStringLiteral("84%1").arg(i, 10, 10, QLatin1Char('0')));
            float h = 0, w = 0;
            CodiBarres::InserirImatgeCodi(doc->selection(), QStringLiteral("1_EAN"), bc, {}, h, w, QStringLiteral("TOLV_barcode_EAN"));
            qr.setDataToEncode(CodiQR::DadesVCard({}, Registre(i, QStringLiteral("Nom")), Registre(i, QStringLiteral("Tel")), {}, {}, {}));
            CodiQR::InserirImatgeQR(doc->selection(), QStringLiteral("2_0"), qr, {}, h, w, QStringLiteral("TOLV_QR_0"));
        }
    }
}
BENCHMARK(BM_InsercioDocument)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
