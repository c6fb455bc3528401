// Generation from a design made in the editor: two data fields and a field-linked EAN-13
// put in through the design frame as the wizard puts them, 10,000 records on a 3 x 8 A4
// sheet, to the saved document.
#include "codes/CodiBarres.h"
#include "codes/RegistreCodis.h"
#include "documents/CodisPrograma.h"
#include "documents/generar_doc.h"
#include "documents/tests/CatalegProva.h"
#include "documents/ui/MarcDisseny.h"

#include "catalogue/Catalogo.h"
#include "common/Fitxers.h"
#include "common/MsgBox.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>

using namespace generar_doc;
using namespace kovel::word;

namespace {

struct Opcions : proves::OpcionsAmbCataleg {
    Opcions(const Cataleg& cat, kovel::codes::RegistreCodis& registre) : OpcionsAmbCataleg(cat), codisPrograma(registre) {}
    std::unique_ptr<FullMemoria> full;
    int registres = 0;
    Document* disseny = nullptr;
    CodisPrograma codisPrograma;
    QString programa, dades;
    QString programaOffice() const override { return QStringLiteral("Excel"); }
    std::int16_t formatSeleccionat() const override { return 0; }
    bool horitzontal() const override { return false; }
    bool unaEtiquetaPerRegistre() const override { return true; }
    QString textFilaInicial() const override { return "1"; }
    QString textFilaFinal() const override { return QString::number(registres); }
    FullDades* fullDades() override { return full.get(); }
    Document* dissenyAllotjat() override { return disseny; }
    CodisGeneracio* codis() override { return &codisPrograma; }
    QString carpetaPrograma() const override { return programa; }
    QString carpetaDades() const override { return dades; }
};

void BM_DeuMilEtiquetesDelEditor(benchmark::State& state)
{
    Cataleg cat;
    int argc = 1;
    char arg0[] = "bench";
    char* argv[] = {arg0, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    QTemporaryDir programa, dades;
    QDir().mkpath(programa.filePath("documents_base"));
    Document::create()->saveAs(programa.filePath("documents_base/Blanc.docx"));
    CarpetaDades = dades.path() + u'/';
    qputenv("XDG_DATA_HOME", dades.filePath("xdg").toUtf8());
    proves::CatalegA4De24(cat);

    // The design as the user makes it: text, two fields, and the barcode dialog's picture.
    kovel::docframe::MarcDocument marc;
    modDsoFraWord::MarcDisseny md;
    md.Enllaca(&marc, nullptr);
    generar_doc::DocumentBase base =
        generar_doc::PreparaDocumentBase(generar_doc::MidesDeCatalogo(cat, 0), false, programa.path(), dades.path());
    md.Mostra(*base.document, base.cami);
    QTextCursor c(marc.Editor()->document());
    c.insertText(QStringLiteral("To: "));
    marc.Editor()->setTextCursor(c);
    md.InsereixImatgeCamp(QStringLiteral("A"));
    marc.Editor()->textCursor().insertText(QStringLiteral("\n"));
    md.InsereixImatgeCamp(QStringLiteral("B"));
    marc.Editor()->textCursor().insertText(QStringLiteral("\n"));
    kovel::codes::RegistreCodis codis;
    kovel::barcode::ActiveBC barres;
    barres.setBarType(kovel::barcode::EAN13);
    barres.setBarText(QStringLiteral("400638100001"));
    kovel::barcode::ActiveBC& clon = CodiBarres::RegistrarClon(codis, barres, QStringLiteral("C"));
    auto esborrany = Document::create();
    float alt = 0, ample = 0;
    CodiBarres::InserirImatgeCodi(esborrany->selection(), barres.Tag(), clon, QString(), alt, ample, QString());
    for (const InlinePicture* p : esborrany->inlinePictures())
        marc.InsereixImatge(*p);

    Opcions o(cat, codis);
    o.registres = 10000;
    QList<QStringList> files;
    for (int i = 1; i <= o.registres; ++i)
        files << QStringList{QStringLiteral("Name %1").arg(i), QStringLiteral("%1 Main Street").arg(i),
                             QStringLiteral("4006381%1").arg(i, 5, 10, QLatin1Char('0'))};
    o.full = std::make_unique<FullMemoria>(files);
    o.disseny = marc.Document();
    o.programa = programa.path();
    o.dades = dades.path() + u'/';
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        auto doc = GeneraDocument(0, o);
        state.counters["generate_ms"] = double(t.nsecsElapsed()) / 1e6;
        t.restart();
        doc->saveAs(dades.filePath("labels.docx"));
        state.counters["save_ms"] = double(t.nsecsElapsed()) / 1e6;
        state.counters["tables"] = doc->tableCount();
        state.counters["pictures"] = double(doc->inlinePictures().size());
    }
    state.counters["docx_MB"] = double(QFileInfo(dades.filePath("labels.docx")).size()) / 1e6;
    CarpetaDades.clear();
}
BENCHMARK(BM_DeuMilEtiquetesDelEditor)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
