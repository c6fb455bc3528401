// The document frame's costs a user feels: opening a design, a keystroke in a design with
// ten pictures, inserting a field placeholder, and opening and first showing designs made to
// stall it (each should take well under a second and 300 MB; run one at a time with
// --benchmark_filter for its own peak_MB).
#include "platform/docframe/ui/MarcDocument.h"
#include "platform/docframe/tests/DissenysHostils.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>

#include <sys/resource.h>
#include <unistd.h>

using namespace kovel;
using kovel::word::Collapse;

namespace {

QApplication& App()
{
    static int argc = 1;
    static char arg0[] = "bench";
    static char* argv[] = {arg0, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A label design holding ten pictures among its text.
QString Disseny(QTemporaryDir& dir)
{
    auto d = word::Document::create();
    word::PageSetup ps = d->pageSetup();
    ps.setPageWidth(word::Points(200));
    ps.setPageHeight(word::Points(120));
    d->setPageSetup(ps);
    QImage img(120, 40, QImage::Format_RGB32);
    img.fill(Qt::darkBlue);
    for (int i = 0; i < 10; ++i) {
        word::Range r = d->content();
        r.collapse(Collapse::End);
        r.insertAfter(QStringLiteral("Field %1 ").arg(i));
        r.collapse(Collapse::End);
        word::InlinePicture p = word::InlinePicture::fromImage(img);
        p.setWidth(word::Points(20));
        p.setHeight(word::Points(8));
        p.setAlternativeText(QStringLiteral("TOLV_camp%1").arg(i));
        r.insertPicture(std::move(p));
    }
    const QString path = dir.filePath("design.docx");
    d->saveAs(path);
    return path;
}

void ObrirDisseny(benchmark::State& state)
{
    App();
    QTemporaryDir dir;
    const QString path = Disseny(dir);
    docframe::MarcDocument marc;
    for (auto _ : state)
        marc.Obre(path);
}
BENCHMARK(ObrirDisseny)->Unit(benchmark::kMillisecond);

void Pulsacio(benchmark::State& state)
{
    App();
    QTemporaryDir dir;
    docframe::MarcDocument marc;
    marc.Obre(Disseny(dir));
    marc.resize(600, 300);
    marc.show();
    QTextCursor c(marc.Editor()->document());
    c.movePosition(QTextCursor::End);
    marc.Editor()->setTextCursor(c);
    for (auto _ : state) {
        QKeyEvent k(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(marc.Editor(), &k);
        QApplication::processEvents();
    }
}
BENCHMARK(Pulsacio)->Unit(benchmark::kMicrosecond);

void InserirImatge(benchmark::State& state)
{
    App();
    QTemporaryDir dir;
    docframe::MarcDocument marc;
    marc.Obre(Disseny(dir));
    QImage img(80, 16, QImage::Format_RGB32);
    img.fill(Qt::white);
    word::InlinePicture p = word::InlinePicture::fromImage(img);
    p.setAlternativeText(QStringLiteral("TOLV_campName"));
    for (auto _ : state) {
        marc.InsereixImatge(p);
        state.PauseTiming();
        marc.Desfes();
        state.ResumeTiming();
    }
}
BENCHMARK(InserirImatge)->Unit(benchmark::kMicrosecond);

// The process's memory now and at its peak, in MB.
double MemoriaMB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return double(f.readAll().split(' ').value(1).toLongLong() * ::sysconf(_SC_PAGESIZE)) / (1 << 20);
}

double PicMB()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024;
}

using namespace kovel::docframe::proves;

// One 64 x 64 PNG with 200 compressed comments of 7 MB each (1.4 MB on disk).
QByteArray DocxComentaris()
{
    QImage img(64, 64, QImage::Format_RGB32);
    img.fill(QColor(200, 30, 40));
    return DocxAmbImatge(kovel::imatges::proves::PngAmbComentaris(img, 200, 7 << 20), QSize(64, 64));
}

// One 4000 x 4000 progressive JPEG of 20,000 scans.
QByteArray DocxEscanejos()
{
    QImage img(4000, 4000, QImage::Format_Grayscale8);
    img.fill(128);
    return DocxAmbImatge(kovel::imatges::proves::JpegAmbEscanejos(img, 20000), QSize(4000, 4000));
}

// One EMF polygon: points whose edges span the picture, or at random over it.
QByteArray DocxPoligon(int n, bool aleatori)
{
    if (!aleatori)
        return DocxAmbImatge(EmfZigazaga(n, true), QSize(2000, 2000), 1200);
    QRandomGenerator g(40);
    std::vector<QPoint> punts;
    for (int i = 0; i < n; ++i)
        punts.emplace_back(g.bounded(100), g.bounded(100));
    Emf e;
    e.poligon(punts);
    return DocxAmbImatge(e.bytes(), QSize(2000, 2000), 1200);
}

void ObrirHostil(benchmark::State& state, QByteArray (*docx)())
{
    App();
    QTemporaryDir dir;
    const QString path = dir.filePath("hostile.docx");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(docx());
    }
    const double abans = MemoriaMB();
    double despres = 0;
    for (auto _ : state) {
        docframe::MarcDocument marc;
        marc.resize(900, 700);
        marc.Obre(path);
        marc.show();
        benchmark::DoNotOptimize(marc.grab());
        QApplication::processEvents();
        despres = std::max(despres, MemoriaMB());
    }
    state.counters["held_MB"] = despres - abans;
    state.counters["peak_MB"] = PicMB();
}
BENCHMARK_CAPTURE(ObrirHostil, png_200_comments, &DocxComentaris)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ObrirHostil, jpeg_20000_scans, &DocxEscanejos)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ObrirHostil, emf_999999_spanning, +[] { return DocxPoligon(999999, false); })->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ObrirHostil, emf_999999_random, +[] { return DocxPoligon(999999, true); })->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ObrirHostil, emf_100000_random, +[] { return DocxPoligon(100000, true); })->Unit(benchmark::kMillisecond);
// Near the most a polygon may ask: slanted edges across it, or points on short edges.
BENCHMARK_CAPTURE(ObrirHostil, emf_60_slanted_edges, +[] { return DocxPoligon(60, false); })->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ObrirHostil, emf_within_point_budget, +[] {
    return DocxAmbImatge(EmfZigazaga(240000, false), QSize(2000, 2000), 1200);
})->Unit(benchmark::kMillisecond);

} // namespace
