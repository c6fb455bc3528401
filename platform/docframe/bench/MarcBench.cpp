// The document frame's costs a user feels: opening a design, a keystroke in a design with
// ten pictures, and inserting a field placeholder.
#include "platform/docframe/ui/MarcDocument.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>

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

} // namespace
