// Generated sheets as a word processor lays them out: LibreOffice converts them to PDF (all
// in one run) and every label's marker must land where the catalogue puts that label.
#include "documents/generar_doc.h"
#include "documents/tests/CatalegProva.h"

#include "catalogue/Catalogo.h"
#include "common/MsgBox.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>
#include <set>

using namespace generar_doc;
using namespace kovel::word;

namespace {

struct Opcions : proves::OpcionsAmbCataleg {
    using OpcionsAmbCataleg::OpcionsAmbCataleg;
    QString host = QStringLiteral("Excel");
    bool horit = false;
    bool unaPerRegistre = true;
    int registres = 0;
    std::unique_ptr<FullMemoria> full;
    Document* disseny = nullptr;
    QString programa, dades;
    QString programaOffice() const override { return host; }
    std::int16_t formatSeleccionat() const override { return -1; }
    bool horitzontal() const override { return horit; }
    bool unaEtiquetaPerRegistre() const override { return unaPerRegistre; }
    QString textFilaInicial() const override { return QStringLiteral("1"); }
    QString textFilaFinal() const override { return QString::number(registres); }
    FullDades* fullDades() override { return full.get(); }
    Document* dissenyAllotjat() override { return disseny; }
    QString carpetaPrograma() const override { return programa; }
    QString carpetaDades() const override { return dades; }
};

struct Cas {
    QString nom;
    std::int32_t codi;
    bool horitzontal;
    int registres;     // 0: the word-processor host, every label from the design
    float margeCm = 0; // the design's margins (every label cell's paddings)
    MidesFull m{};     // filled in from the catalogue
    EtiquetaCatalogo e{};   // the catalogue's record as the sheet is printed (turned or not)
    EtiquetaExtendida x{};
    int pagines = 0;
};

struct Paraula {
    int pagina;
    double x, y;   // points from the page's top left
    QString text;
};

QList<Paraula> LlegeixBbox(const QString& html, QList<QPair<double, double>>& mides)
{
    QList<Paraula> paraules;
    static const QRegularExpression rePagina(QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">"));
    static const QRegularExpression reParaula(
        QStringLiteral("<word xMin=\"(-?[0-9.]+)\" yMin=\"(-?[0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"[0-9.]+\">([^<]*)</word>"));
    int pagina = -1;
    for (const QString& linia : html.split(QLatin1Char('\n'))) {
        if (auto m = rePagina.match(linia); m.hasMatch()) {
            ++pagina;
            mides << qMakePair(m.captured(1).toDouble(), m.captured(2).toDouble());
        } else if (auto w = reParaula.match(linia); w.hasMatch()) {
            paraules << Paraula{pagina, w.captured(1).toDouble(), w.captured(2).toDouble(), w.captured(3)};
        }
    }
    return paraules;
}

} // namespace

TEST(DocumentsLibreOffice, LabelsLandWhereTheCatalogueSaysInLibreOffice)
{
    Cataleg cat;
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    ASSERT_FALSE(soffice.isEmpty()) << "LibreOffice (soffice) is not installed: install the Debian package "
                                       "libreoffice-writer-nogui (./scripts/deps.sh does).";
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    ASSERT_FALSE(pdftotext.isEmpty()) << "pdftotext is not installed: install the Debian package poppler-utils.";

    QString error;
    ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(cat, QStringLiteral(KOVEL_PROGRAM_DIR), error)) << qPrintable(error);
    mod_rvtMsgBox::setAnswerer([](const QString&, std::int16_t, const QString&) { return std::int16_t(2); });

    QTemporaryDir dir;
    // Shipped formats: without gaps (A4, margins 0), narrow gap columns that take the 8 pt
    // rule, wide gaps both ways (A4 and Letter), one big label, turned to landscape, and
    // sheets of one page and of many. Every sheet is full, so that every label cell carries
    // a marker, but one: a last sheet filled in part keeps its records in order.
    QList<Cas> casos = {
        {"nogaps", 805, false, 30},
        {"nogapsmany", 805, false, 75},
        {"narrowgaps", 808, false, 40},
        {"narrowgapsmany", 803, false, 63},
        {"gapsboth", 817, false, 24},
        {"lettermany", 8110, false, 60},
        {"single", 813, false, 2},
        {"landscape", 803, true, 21},
        {"landscapemany", 817, true, 72},
        {"landscapenarrow", 808, true, 80},
        {"wordhost", 803, false, 0, 0.4f},
        {"wordhostgaps", 817, true, 0, 0.25f},
    };
    QStringList fitxers;
    for (Cas& cas : casos) {
        int idx = 0;
        while (idx < cat.NumEtiquetas && cat.Etiquetas.at(idx).Codigo != cas.codi)
            ++idx;
        ASSERT_LT(idx, cat.NumEtiquetas) << "format " << cas.codi << " is not in the shipped catalogue";
        if (cas.horitzontal)
            ModTolvWiz::GirarEtiqueta(cat, idx);
        cas.m = MidesDeCatalogo(cat, idx);
        cas.e = cat.Etiquetas.at(idx);
        cas.x = cat.EtiquetasExt.at(idx);
        const int perFull = cas.m.files * cas.m.columnes;
        const bool word = cas.registres == 0;
        cas.pagines = word ? 1 : (cas.registres - 1) / perFull + 1;

        // A marker at the top left of the label: the record's own name in a small font.
        auto disseny = Document::create();
        RunFormat f;
        f.fontName = QStringLiteral("DejaVu Sans");
        f.size = Points(6);
        if (word) {
            disseny->content().setText(QStringLiteral("W"));
        } else {
            InlinePicture p = InlinePicture::fromImage(QImage(4, 4, QImage::Format_RGB32));
            p.setAlternativeText(QStringLiteral("TOLV_campA"));
            disseny->content().insertPicture(p);
        }
        disseny->content().setFont(f);
        PageSetup ps = disseny->pageSetup();
        ps.setPageWidth(Points(CentimetersToPoints(cas.m.amplCm)));
        ps.setPageHeight(Points(CentimetersToPoints(cas.m.altCm)));
        const Points marge(CentimetersToPoints(cas.margeCm));
        ps.setLeftMargin(marge); ps.setTopMargin(marge); ps.setRightMargin(marge); ps.setBottomMargin(marge);
        disseny->setPageSetup(ps);

        QList<QStringList> files;
        for (int r = 1; r <= cas.registres; ++r)
            files << QStringList{QStringLiteral("Q%1").arg(r, 3, 10, QLatin1Char('0'))};
        Opcions o{cat};
        o.host = word ? QStringLiteral("Word") : QStringLiteral("Excel");
        o.horit = cas.horitzontal;
        o.registres = cas.registres;
        o.full = std::make_unique<FullMemoria>(files);
        o.disseny = disseny.get();
        o.programa = QStringLiteral(KOVEL_PROGRAM_DIR);
        o.dades = dir.filePath(cas.nom) + QStringLiteral("/");
        auto doc = GeneraDocument(std::int16_t(idx), o);
        ASSERT_TRUE(doc) << qPrintable(cas.nom);
        const QString cami = dir.filePath(cas.nom + QStringLiteral(".docx"));
        doc->saveAs(cami);
        fitxers << cami;
        if (cas.horitzontal)
            ModTolvWiz::GirarEtiqueta(cat, idx);   // back as it was
    }

    // One run of LibreOffice for every sheet, with a profile of its own.
    QProcess lo;
    QStringList args{QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("lo-profile")),
                     QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                     QStringLiteral("pdf"), QStringLiteral("--outdir"), dir.path()};
    args << fitxers;
    lo.start(soffice, args);
    ASSERT_TRUE(lo.waitForFinished(240000)) << "LibreOffice did not finish";
    ASSERT_EQ(lo.exitCode(), 0) << qPrintable(QString::fromLocal8Bit(lo.readAllStandardError()));

    const double tolerancia = 0.3 / 25.4 * 72.0;   // 0.3 mm in points
    for (const Cas& cas : casos) {
        SCOPED_TRACE(cas.nom.toStdString());
        const QString pdf = dir.filePath(cas.nom + QStringLiteral(".pdf"));
        ASSERT_TRUE(QFile::exists(pdf)) << "no PDF for " << qPrintable(cas.nom);
        QProcess t;
        t.start(pdftotext, {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        ASSERT_TRUE(t.waitForFinished(60000));
        QList<QPair<double, double>> mides;
        const QList<Paraula> paraules = LlegeixBbox(QString::fromUtf8(t.readAllStandardOutput()), mides);

        EXPECT_EQ(mides.size(), cas.pagines);
        // The page is the label grid, the sheet's left and top margins, the right and bottom
        // extra (the left and top margins when the catalogue gives none) and 0.05 cm.
        const EtiquetaCatalogo& e = cas.e;
        const double dreta = cas.x.MargenDerecho != 0 ? cas.x.MargenDerecho : e.MargenIzquierdo;
        const double inferior = cas.x.MargenInferior != 0 ? cas.x.MargenInferior : e.MargenSuperior;
        const double cmPt = 72.0 / 2.54;
        const double ample = ((e.Columnas - 1) * e.PasoHorizontal + e.MargenIzquierdo + e.Ancho + dreta + 0.05) * cmPt;
        const double alt = ((e.Filas - 1) * e.PasoVertical + e.MargenSuperior + e.Alto + inferior + 0.05) * cmPt;
        // LibreOffice may round a page to a paper size of its own list by a tenth of a mm.
        for (const auto& [w, h] : mides) {
            EXPECT_NEAR(w, ample, tolerancia);
            EXPECT_NEAR(h, alt, tolerancia);
        }
        int trobades = 0;
        const int perFull = e.Filas * e.Columnas;
        // The design's margins become the label cells' paddings: the text starts 0.05 cm short of them.
        const double desplacament = cas.margeCm > 0 ? (cas.margeCm - 0.05) * cmPt : 0.0;
        std::set<int> etiquetes;
        for (const Paraula& p : paraules) {
            int k = -1;
            if (cas.registres == 0) {
                if (p.text != QLatin1String("W"))
                    continue;
                // Every label shows the design: the nearest label is the one it must sit on.
                const double pasH = e.PasoHorizontal * cmPt, pasV = e.PasoVertical * cmPt;
                const int c = int(std::lround((p.x - desplacament - e.MargenIzquierdo * cmPt) / pasH));
                const int f = int(std::lround((p.y - desplacament - e.MargenSuperior * cmPt) / pasV));
                if (c < 0 || c >= e.Columnas || f < 0 || f >= e.Filas || !etiquetes.insert(f * e.Columnas + c).second) {
                    ADD_FAILURE() << "a label text off every label, or twice on one: " << p.x << "," << p.y;
                    continue;
                }
                k = f * e.Columnas + c;
            } else {
                if (!p.text.startsWith(QLatin1Char('Q')))
                    continue;
                k = p.text.mid(1).toInt() - 1;
            }
            ASSERT_GE(k, 0);
            ASSERT_LT(k, cas.registres == 0 ? perFull : cas.registres);
            ++trobades;
            const int full = k / perFull, i = k % perFull;
            const int fila = i / e.Columnas, columna = i % e.Columnas;
            EXPECT_EQ(p.pagina, full) << qPrintable(p.text);
            const double x = (e.MargenIzquierdo + columna * e.PasoHorizontal) * cmPt + desplacament;
            const double y = (e.MargenSuperior + fila * e.PasoVertical) * cmPt + desplacament;
            EXPECT_NEAR(p.x, x, tolerancia) << qPrintable(p.text) << " label " << k;
            EXPECT_NEAR(p.y, y, tolerancia) << qPrintable(p.text) << " label " << k;
        }
        EXPECT_EQ(trobades, cas.registres == 0 ? perFull : cas.registres);
    }
    mod_rvtMsgBox::resetAnswerer();
}
