// Generated sheets as a word processor lays them out: LibreOffice converts them to PDF (all
// in one run) and every label's marker must land where the catalogue puts that label.
#include "documents/generar_doc.h"

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

using namespace generar_doc;
using namespace kovel::word;

namespace {

struct Opcions : OpcionsGeneracio {
    bool horit = false;
    bool unaPerRegistre = true;
    int registres = 0;
    std::unique_ptr<FullMemoria> full;
    Document* disseny = nullptr;
    QString programa, dades;
    QString programaOffice() const override { return QStringLiteral("Excel"); }
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
    int registres;
    MidesFull m{};     // filled in from the catalogue
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
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    ASSERT_FALSE(soffice.isEmpty()) << "LibreOffice (soffice) is not installed: install the Debian package "
                                       "libreoffice-writer-nogui (./scripts/deps.sh does).";
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    ASSERT_FALSE(pdftotext.isEmpty()) << "pdftotext is not installed: install the Debian package poppler-utils.";

    QString error;
    ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(QStringLiteral(KOVEL_PROGRAM_DIR), error)) << qPrintable(error);
    mod_rvtMsgBox::setAnswerer([](const QString&, std::int16_t, const QString&) { return std::int16_t(2); });

    QTemporaryDir dir;
    // Shipped formats: without gaps, with gaps both ways, across only, a big single label,
    // turned to landscape, and sheets that take many pages.
    QList<Cas> casos = {
        {"nogaps", 805, false, 30},
        {"gaps", 808, false, 40},
        {"gapsmany", 803, false, 50},
        {"single", 813, false, 2},
        {"landscape", 803, true, 21},
        {"landscapemany", 808, true, 70},
    };
    QStringList fitxers;
    for (Cas& cas : casos) {
        int idx = 0;
        while (idx < NumEtiquetas && Etiquetas.at(idx).Codigo != cas.codi)
            ++idx;
        ASSERT_LT(idx, NumEtiquetas) << "format " << cas.codi << " is not in the shipped catalogue";
        if (cas.horitzontal)
            ModTolvWiz::GirarEtiqueta(idx);
        cas.m = MidesDeCatalogo(idx);
        const int perFull = cas.m.files * cas.m.columnes;
        cas.pagines = (cas.registres - 1) / perFull + 1;

        // A marker at the top left of the label: the record's own name in a small font.
        auto disseny = Document::create();
        RunFormat f;
        f.fontName = QStringLiteral("DejaVu Sans");
        f.size = Points(6);
        InlinePicture p = InlinePicture::fromImage(QImage(4, 4, QImage::Format_RGB32));
        p.setAlternativeText(QStringLiteral("TOLV_campA"));
        disseny->content().insertPicture(p);
        disseny->content().setFont(f);
        PageSetup ps = disseny->pageSetup();
        ps.setLeftMargin(Points(0)); ps.setTopMargin(Points(0)); ps.setRightMargin(Points(0)); ps.setBottomMargin(Points(0));
        disseny->setPageSetup(ps);

        QList<QStringList> files;
        for (int r = 1; r <= cas.registres; ++r)
            files << QStringList{QStringLiteral("Q%1").arg(r, 3, 10, QLatin1Char('0'))};
        Opcions o;
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
            ModTolvWiz::GirarEtiqueta(idx);   // back as it was
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
        const PaginaSortida pag = CalculaPaginaSortida(cas.m, cas.horitzontal);
        for (const auto& [w, h] : mides) {
            EXPECT_NEAR(w, pag.amplePt, 0.5);
            EXPECT_NEAR(h, pag.altPt, 0.5);
        }
        int trobades = 0;
        const int perFull = cas.m.files * cas.m.columnes;
        for (const Paraula& p : paraules) {
            if (!p.text.startsWith(QLatin1Char('Q')))
                continue;
            const int k = p.text.mid(1).toInt() - 1;
            ASSERT_GE(k, 0);
            ASSERT_LT(k, cas.registres);
            ++trobades;
            const int full = k / perFull, i = k % perFull;
            const int fila = i / cas.m.columnes, columna = i % cas.m.columnes;
            EXPECT_EQ(p.pagina, full) << qPrintable(p.text);
            const double x = CentimetersToPoints(cas.m.margeEsqCm + float(columna) * cas.m.pasHorCm);
            const double y = CentimetersToPoints(cas.m.margeSupCm + float(fila) * cas.m.pasVerCm);
            EXPECT_NEAR(p.x, x, tolerancia) << qPrintable(p.text);
            EXPECT_NEAR(p.y, y, tolerancia) << qPrintable(p.text);
        }
        EXPECT_EQ(trobades, cas.registres);
    }
    mod_rvtMsgBox::resetAnswerer();
}
