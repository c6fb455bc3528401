// What the user waits for in the label design: a code made, put in the frame and shown, and
// a keystroke (with its repaint) in a design that holds ten codes.
#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"
#include "common/Fitxers.h"
#include "platform/docframe/ui/MarcDocument.h"
#include "platform/word/Document.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>
#include <benchmark/benchmark.h>

using namespace kovel;

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A 70 x 37 mm label in a frame of the design panel's size.
struct Marc {
    QTemporaryDir dir;
    docframe::MarcDocument marc;
    Marc()
    {
        CarpetaDades = dir.path() + u'/';
        auto d = word::Document::create();
        word::PageSetup ps = d->pageSetup();
        ps.setPageWidth(word::Points(198));
        ps.setPageHeight(word::Points(105));
        for (auto m : {&word::PageSetup::setLeftMargin, &word::PageSetup::setRightMargin, &word::PageSetup::setTopMargin,
                       &word::PageSetup::setBottomMargin})
            (ps.*m)(word::Points(4));
        d->setPageSetup(ps);
        marc.Mostra(*d, dir.filePath(QStringLiteral("label.docx")));
        marc.resize(486, 306);
        marc.show();
        QApplication::processEvents();
    }
    // The code as the dialog inserts it: drawn into a scratch document, then put in the frame.
    void Insereix(int i, bool qr)
    {
        auto esborrany = word::Document::create();
        float h = 0, w = 0;
        if (qr) {
            qr::QRCodeCtrl c;
            c.setDataToEncode(QStringLiteral("Person %1, %1 High Street").arg(i));
            CodiQR::InserirImatgeQR(esborrany->selection(), QString(), c, QString(), h, w, QString());
        } else {
            barcode::ActiveBC c;
            c.setBarText(QStringLiteral("4006381%1").arg(i, 5, 10, QLatin1Char('0')));
            CodiBarres::InserirImatgeCodi(esborrany->selection(), QString(), c, QString(), h, w, QString());
        }
        for (const word::InlinePicture* p : esborrany->inlinePictures())
            marc.InsereixImatge(*p);
        marc.repaint();
    }
};

void InsercioCodi(benchmark::State& state)
{
    App();
    Marc m;
    int i = 0;
    for (auto _ : state) {
        m.Insereix(++i, state.range(0) != 0);
        state.PauseTiming();
        m.marc.Desfes();
        state.ResumeTiming();
    }
}
BENCHMARK(InsercioCodi)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void PulsacioAmbDeuCodis(benchmark::State& state)
{
    App();
    Marc m;
    for (int i = 0; i < 10; ++i)
        m.Insereix(i, i % 2 != 0);
    QTextCursor c(m.marc.Editor()->document());
    c.movePosition(QTextCursor::End);
    m.marc.Editor()->setTextCursor(c);
    for (auto _ : state) {
        QKeyEvent k(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(m.marc.Editor(), &k);
        m.marc.Editor()->viewport()->repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(PulsacioAmbDeuCodis)->Unit(benchmark::kMicrosecond);

// The one-page guard's count of pages, every half second while the user types.
void PaginesAmbDeuCodis(benchmark::State& state)
{
    App();
    Marc m;
    for (int i = 0; i < 10; ++i)
        m.Insereix(i, i % 2 != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(m.marc.NombrePagines());
}
BENCHMARK(PaginesAmbDeuCodis)->Unit(benchmark::kMicrosecond);

} // namespace
