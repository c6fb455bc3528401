// Big merges with field-linked codes, measured on the road the user travels: a CSV or .xlsx
// source read through the spreadsheet source, three text fields and a field-linked EAN-13
// (or a contact-card QR code) on a 3 x 8 A4 sheet, to the saved .docx. Then LibreOffice
// converts the EAN-13 document to PDF, as the user's word processor lays it out.
//
//   documents_codis_bench --benchmark_filter=EAN13     the generation at 1,000 … 100,000 records
//   documents_codis_bench --benchmark_filter='EAN13/10000/0|LibreOffice/0'
//   documents_codis_bench --benchmark_filter='QRTargeta/10000/0|LibreOffice/1'
//   KOVEL_BENCH_DIR=folder keeps the documents made there.
//
// Counters: ms_record (time per record, source to saved file), save_ms (the save alone),
// peak_MB (peak resident memory of the run), gen_peak_MB (the peak before the save),
// docx_MB, pictures and fonts (picture and font parts in the package); for LibreOffice, its
// peak memory.
//
// The sheets carry their codes as characters of fonts embedded in the document: LibreOffice
// 7.4 walks every drawing object of a document for each page it lays out and paints, so a
// picture a label made the conversion grow with pages x pictures (2,000 labels 10 s, 4,000
// 23 s, 10,000 125 s); as characters, 10,000 labels take about as long as their text alone.
#include "documents/tests/OpcionsCodis.h"
#include "documents/CodisPrograma.h"
#include "documents/FontsOficina.h"
#include "documents/generar_doc.h"
#include "documents/tests/CatalegProva.h"

#include "catalogue/Catalogo.h"
#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"
#include "codes/RegistreCodis.h"
#include "common/MsgBox.h"
#include "platform/excel/tests/Fixtures.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <zip.h>

#include <cstring>

using namespace generar_doc;
using namespace kovel::word;

namespace {

QGuiApplication& App()
{
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

// The working folder: $KOVEL_BENCH_DIR when set (the documents stay there to look at),
// else a temporary one.
struct CarpetaTreball {
    QTemporaryDir temporal;
    QString propia = qEnvironmentVariable("KOVEL_BENCH_DIR");
    QString filePath(const QString& nom) const
    {
        return propia.isEmpty() ? temporal.filePath(nom) : QDir(propia).filePath(nom);
    }
};

CarpetaTreball& Carpeta()
{
    static CarpetaTreball dir;
    return dir;
}

// The documents of 10,000 records kept for the LibreOffice measure: EAN-13 (0), QR (1).
QString& Document10000(bool qr)
{
    static QString cami[2];
    return cami[qr ? 1 : 0];
}

// Resident memory in MiB from /proc/self/status ("VmRSS:" now, "VmHWM:" the peak).
double MiB(const char* clau)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& l : f.readAll().split('\n'))
        if (l.startsWith(clau))
            return l.mid(qsizetype(std::strlen(clau))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// A fresh peak for the next run.
void ReiniciaPic()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// Columns: A name, B street, C city, D twelve digits of an EAN-13, E phone, F web, G e-mail.
QStringList Registre(int i)
{
    return {QStringLiteral("Name Surname %1").arg(i), QStringLiteral("C/ Major %1 3r 2a").arg(i % 997),
            QStringLiteral("0%1 Barcelona").arg(8000 + i % 900), QStringLiteral("84%1").arg(i, 10, 10, QLatin1Char('0')),
            QStringLiteral("+34 600 %1").arg(i, 6, 10, QLatin1Char('0')), QStringLiteral("https://example.com/p/%1").arg(i),
            QStringLiteral("user%1@example.com").arg(i)};
}

QString EscriuFont(int registres, bool xlsx)
{
    const QString cami = Carpeta().filePath(QStringLiteral("dades%1.%2").arg(registres).arg(xlsx ? "xlsx" : "csv"));
    if (QFileInfo::exists(cami))
        return cami;
    if (!xlsx) {
        QByteArray text;
        for (int i = 1; i <= registres; ++i)
            text += Registre(i).join(QLatin1Char(',')).toUtf8() + "\r\n";
        fixtures::WriteFile(cami, text);
        return cami;
    }
    fixtures::Sheet s;
    s.name = QStringLiteral("Dades");
    for (int i = 1; i <= registres; ++i) {
        s.sheetDataXml += "<row r=\"" + QByteArray::number(i) + "\">";
        const QStringList r = Registre(i);
        for (int c = 0; c < r.size(); ++c)
            s.sheetDataXml += "<c r=\"" + QByteArray(1, char('A' + c)) + QByteArray::number(i) + "\" t=\"inlineStr\"><is><t>"
                            + r[c].toUtf8() + "</t></is></c>";
        s.sheetDataXml += "</row>";
    }
    fixtures::Package p;
    p.sheets.push_back(s);
    fixtures::WriteXlsx(cami, p);
    return cami;
}

using Opcions = proves::OpcionsCodis;
using proves::Marcador;

void Prepara(Cataleg& cat)
{
    App();
    proves::CatalegA4De24(cat);
}

// The label's design: a text, the three fields on a line, and the code on the next.
std::unique_ptr<Document> Disseny(const QString& codi)
{
    auto d = proves::DissenySenseMarges(6.35, 3.39);
    d->content().setText(QStringLiteral("To: "));
    for (const char* camp : {"TOLV_campA", "TOLV_campB", "TOLV_campC"})
        Marcador(*d, QString::fromLatin1(camp));
    Range r = d->content();
    r.collapse(Collapse::End);
    r.insertAfter(QStringLiteral("\r"));
    Marcador(*d, codi);
    return d;
}

// Parts of the package under `carpeta` ("word/media/": pictures, "word/fonts/": fonts).
int Parts(const QString& docx, const char* carpeta)
{
    int err = 0, n = 0;
    if (zip_t* z = zip_open(QFile::encodeName(docx).constData(), ZIP_RDONLY, &err)) {
        for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i)
            if (QByteArray(zip_get_name(z, zip_uint64_t(i), 0)).startsWith(carpeta))
                ++n;
        zip_discard(z);
    }
    return n;
}

// From the source file to the saved document: open the workbook, generate, save.
void Genera(benchmark::State& state, bool qr)
{
    Cataleg cat;
    Prepara(cat);
    const int registres = int(state.range(0));
    const bool xlsx = state.range(1) == 1;
    const QString font = EscriuFont(registres, xlsx);
    const QString sortida = Carpeta().filePath(QStringLiteral("%1-%2-%3.docx").arg(qr ? "qr" : "ean13").arg(registres).arg(xlsx ? "xlsx" : "csv"));
    double ms = 0;
    for (auto _ : state) {
        state.PauseTiming();
        kovel::codes::RegistreCodis codis;
        QString alt;
        kovel::barcode::ActiveBC barres;
        kovel::qr::QRCodeCtrl qrCtrl;
        if (qr) {
            qrCtrl.setDataToEncode(QStringLiteral("x"));
            CodiQR::RegistrarClonPlantilla(
                codis, qrCtrl, CodiQR::PlantillaVCard(codis.OpcionsQR, QStringLiteral("A"), QStringLiteral("E"), QStringLiteral("F"),
                                               QStringLiteral("G"), QStringLiteral("B")), true);
            alt = QStringLiteral("TOLV_qr_1_0");
        } else {
            barres.setBarType(kovel::barcode::EAN13);
            barres.setBarText(QStringLiteral("840000000001"));
            CodiBarres::RegistrarClon(codis, barres, QStringLiteral("D"));
            alt = QStringLiteral("TOLV_barres_1_D");
        }
        auto disseny = Disseny(alt);
        QDir(Carpeta().filePath(QStringLiteral("dades"))).removeRecursively();
        QDir().mkpath(Carpeta().filePath(QStringLiteral("dades")));
        ReiniciaPic();
        const double base = MiB("VmRSS:");
        state.ResumeTiming();

        QElapsedTimer t;
        t.start();
        ClsExcel excel;
        auto app = std::make_unique<kovel::excel::Application>();
        QString error;
        if (!app->Open(font, error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        excel.setObjApp(std::move(app));
        auto full = FullSeleccionat(excel, 1);
        Opcions o(cat, codis);
        o.full = full.get();
        o.disseny = disseny.get();
        o.registres = registres;
        o.dades = Carpeta().filePath(QStringLiteral("dades")) + QLatin1Char('/');
        auto doc = GeneraDocument(0, o);
        if (!doc) {
            state.SkipWithError("no document");
            return;
        }
        const double generat = double(t.nsecsElapsed()) / 1e6;
        state.counters["gen_peak_MB"] = MiB("VmHWM:");
        doc->saveAs(sortida);
        ms = double(t.nsecsElapsed()) / 1e6;
        state.counters["save_ms"] = ms - generat;
        state.counters["peak_MB"] = MiB("VmHWM:");
        state.counters["growth_MB"] = MiB("VmHWM:") - base;
    }
    state.counters["ms_record"] = ms / registres;
    state.counters["docx_MB"] = double(QFileInfo(sortida).size()) / 1e6;
    state.counters["pictures"] = Parts(sortida, "word/media/");
    state.counters["fonts"] = Parts(sortida, "word/fonts/");
    if (!xlsx && registres == 10000)
        Document10000(qr) = sortida;
}

void BM_EAN13(benchmark::State& state) { Genera(state, false); }
// Records; source 0 CSV, 1 .xlsx.
BENCHMARK(BM_EAN13)->Args({1000, 0})->Args({10000, 0})->Args({10000, 1})->Args({100000, 0})
    ->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_QRTargeta(benchmark::State& state) { Genera(state, true); }
BENCHMARK(BM_QRTargeta)->Args({1000, 0})->Args({10000, 0})->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// LibreOffice headless converting the 10,000-record EAN-13 (0) or contact-card QR (1)
// document to PDF, with a profile of its own; the peak memory is that of the converter.
void BM_LibreOffice(benchmark::State& state)
{
    QString docx = Document10000(state.range(0) == 1);
    if (docx.isEmpty()) {
        state.SkipWithError("run with BM_EAN13/10000/0 or BM_QRTargeta/10000/0 first "
                            "(--benchmark_filter='EAN13/10000/0|LibreOffice/0')");
        return;
    }
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) {
        state.SkipWithError("LibreOffice is not installed");
        return;
    }
    const QString perfil = Carpeta().filePath(QStringLiteral("lo-profile"));
    const QString pdfDir = Carpeta().filePath(QStringLiteral("pdf"));
    // The profile is made by a first, small conversion, outside the measure.
    auto converteix = [&](const QString& fitxer) {
        QProcess p;
        p.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + perfil, QStringLiteral("--headless"),
                          QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"), pdfDir, fitxer});
        return p.waitForFinished(600000) && p.exitCode() == 0;
    };
    const QString petit = Carpeta().filePath(QStringLiteral("petit.docx"));
    Document::create()->saveAs(petit);
    converteix(petit);
    for (auto _ : state) {
        QProcess p;
        p.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + perfil, QStringLiteral("--headless"),
                          QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"), pdfDir, docx});
        if (!p.waitForFinished(600000) || p.exitCode() != 0) {
            state.SkipWithError("LibreOffice did not convert the document");
            return;
        }
    }
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    state.counters["lo_peak_MB"] = double(u.ru_maxrss) / 1024.0;
    state.counters["pdf_MB"] = double(QFileInfo(pdfDir + QLatin1Char('/') + QFileInfo(docx).completeBaseName() + QStringLiteral(".pdf")).size()) / 1e6;
}
BENCHMARK(BM_LibreOffice)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
