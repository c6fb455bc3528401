// The generator end to end on the document model: page set-up, tables, section breaks,
// record order, the fill variants, placeholders and the save that may fail.
#include "documents/FontDades.h"
#include "documents/generar_doc.h"
#include "documents/tests/CatalegProva.h"

#include "catalogue/Catalogo.h"
#include "common/MsgBox.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

using namespace generar_doc;
using namespace kovel::word;

namespace {

EtiquetaCatalogo Format(std::int32_t codi, float ample, float alt, float pasH, float pasV, std::int16_t files,
                        std::int16_t columnes, float margeEsq = 0.7f, float margeSup = 1.3f)
{
    EtiquetaCatalogo e;
    e.Referencia = QStringLiteral("KOVEL %1").arg(codi);
    e.Codigo = codi;
    e.Ancho = ample; e.Alto = alt;
    e.MargenIzquierdo = margeEsq; e.MargenSuperior = margeSup;
    e.PasoHorizontal = pasH; e.PasoVertical = pasV;
    e.Filas = files; e.Columnas = columnes;
    e.Holgura = {0.2f, 0.1f};
    return e;
}

// A design margin of `cm` as a label cell's padding: 0.05 cm less, as its spacer line keeps it.
Twips MargeMenysT(float cm)
{
    return toTwips(Points(toPoints(toTwips(Points(CentimetersToPoints(cm)))).value - CentimetersToPoints(0.05f)));
}

QString Text(const Cell& c)
{
    QString t = c.story.text();
    while (t.endsWith(QLatin1Char('\r')) || t.endsWith(QLatin1Char('\a')))
        t.chop(1);
    return t;
}

InlinePicture Marcador(const QString& alt)
{
    QImage img(12, 8, QImage::Format_RGB32);
    img.fill(Qt::white);
    InlinePicture p = InlinePicture::fromImage(img);
    p.setAlternativeText(alt);
    return p;
}

// A design: `abans`, then one placeholder picture per alternative text.
std::unique_ptr<Document> Disseny(const QString& abans, const QStringList& marcadors)
{
    auto d = Document::create();
    d->content().setText(abans);
    for (const QString& alt : marcadors) {
        Range r = d->content();
        r.collapse(Collapse::End);
        r.insertPicture(Marcador(alt));
    }
    return d;
}

struct Opcions : proves::OpcionsAmbCataleg {
    using OpcionsAmbCataleg::OpcionsAmbCataleg;
    QString host = QStringLiteral("Word");
    std::int16_t seleccionat = 0;
    bool horit = false;
    bool unaPerRegistre = true;
    QString filaIni, filaFi;
    std::unique_ptr<FullMemoria> full;
    QStringList camps;
    QList<QStringList> registres;
    Document* disseny = nullptr;
    QString programa, dades;
    QStringList caselles;
    int desades = 0;
    CodisGeneracio* codisRun = nullptr;

    QString programaOffice() const override { return host; }
    std::int16_t formatSeleccionat() const override { return seleccionat; }
    bool horitzontal() const override { return horit; }
    bool unaEtiquetaPerRegistre() const override { return unaPerRegistre; }
    QString textFilaInicial() const override { return filaIni; }
    QString textFilaFinal() const override { return filaFi; }
    FullDades* fullDades() override { return full.get(); }
    std::unique_ptr<RegistresDades> obreRegistres() override { return std::make_unique<RegistresMemoria>(camps, registres); }
    Document* dissenyAllotjat() override { return disseny; }
    std::int32_t numCaselles() const override { return std::int32_t(caselles.size()); }
    QString nomCasella(std::int32_t i) const override { return caselles.at(i); }
    void desaCasellaActual() override { ++desades; }
    CodisGeneracio* codis() override { return codisRun; }
    QString carpetaPrograma() const override { return programa; }
    QString carpetaDades() const override { return dades; }
};

struct CodisFals : CodisGeneracio {
    QStringList fets;
    QStringList plantilles;
    void inserirCodiBarres(Range& lloc, std::int32_t n, const QString& camp, const QString& valor, const QString& alt) override
    {
        fets << QStringLiteral("bar %1 %2 [%3]").arg(n).arg(camp, valor);
        InlinePicture& p = lloc.insertPicture(Marcador(alt));
        (void)p;
    }
    void inserirCodiQR(Range& lloc, std::int32_t n, const QString& s, const QString& dades, const QString& alt) override
    {
        fets << QStringLiteral("qr %1 %2 [%3]").arg(n).arg(s, dades);
        lloc.insertPicture(Marcador(alt));
    }
    QString codificarText(const QString& t) override { return t.toUpper(); }
    QString prefixDadesQR() override { return QStringLiteral("P:"); }
    QString plantillaQR(std::int32_t i) override { return plantilles.at(i); }
    QString omplirPlantillaQR(const QString& plantilla, const std::function<QString(const QString&)>& valor) override
    {
        // Every "[name]" becomes the value as it is.
        QString resultat;
        qsizetype pos = 0;
        for (qsizetype a; (a = plantilla.indexOf(QLatin1Char('['), pos)) >= 0;) {
            const qsizetype b = plantilla.indexOf(QLatin1Char(']'), a);
            resultat += plantilla.mid(pos, a - pos) + valor(plantilla.mid(a + 1, b - a - 1));
            pos = b + 1;
        }
        return resultat + plantilla.mid(pos);
    }
};

class GeneradorTest : public ::testing::Test {
protected:
    Cataleg cat;
    QTemporaryDir dir;
    Opcions o{cat};
    std::unique_ptr<Document> disseny;
    QStringList missatges;

    void SetUp() override
    {
        proves::CatalegDe(cat, {Format(1617, 7.0f, 3.5f, 7.0f, 3.5f, 8, 3),          // 0: 3 x 8, no gaps
                           Format(2230, 8.0f, 5.0f, 9.0f, 5.5f, 3, 2, 1.5f, 1.2f), // 1: gaps both ways
                           Format(77, 4.0f, 2.0f, 4.0f + 5.0f * 2.54f / 72.0f, 2.0f, 2, 3)}); // 2: 5 pt gaps
        o.programa = dir.filePath("program");
        o.dades = dir.filePath("dades") + "/";
        QDir().mkpath(o.programa + "/documents_base");
        disseny = Disseny("Label", {});
        o.disseny = disseny.get();
        mod_rvtMsgBox::setAnswerer([this](const QString& p, std::int16_t, const QString&) {
            missatges << p;
            return std::int16_t(mod_rvtMsgBox::vbCancel);
        });
    }
    void TearDown() override { mod_rvtMsgBox::resetAnswerer(); }

    void FullDeFiles(int n)   // rows 1..n: A = "R<row>", B = "x"
    {
        QList<QStringList> files;
        for (int i = 1; i <= n; ++i)
            files << QStringList{QStringLiteral("R%1").arg(i), QStringLiteral("x")};
        o.full = std::make_unique<FullMemoria>(files);
    }
};

} // namespace

TEST_F(GeneradorTest, NewOutputDocumentIsTheSheetsUsedAreaAndIsSaved)
{
    auto doc = GeneraDocument(1, o);
    ASSERT_TRUE(doc);
    const PageSetup& ps = doc->pageSetup();
    const PaginaSortida p = CalculaPaginaSortida(MidesDeCatalogo(cat, 1), false);
    EXPECT_EQ(toTwips(ps.pageWidth()), toTwips(Points(p.amplePt)));
    EXPECT_EQ(toTwips(ps.pageHeight()), toTwips(Points(p.altPt)));
    EXPECT_EQ(toTwips(ps.leftMargin()), toTwips(centimetresToPoints(Centimetres(1.5))));
    EXPECT_EQ(toTwips(ps.topMargin()), toTwips(centimetresToPoints(Centimetres(1.2))));
    EXPECT_EQ(ps.rightMargin().value, 0);
    EXPECT_EQ(ps.bottomMargin().value, 0);
    EXPECT_EQ(ps.headerDistance().value, 0);
    EXPECT_EQ(ps.footerDistance().value, 0);
    EXPECT_EQ(ps.orientation(), Orientation::Portrait);
    EXPECT_TRUE(QFile::exists(o.dades + "KOVEL2230V.docx"));
    EXPECT_EQ(doc->fullName(), o.dades + "KOVEL2230V.docx");

    o.horit = true;
    auto h = GeneraDocument(1, o);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->pageSetup().orientation(), Orientation::Landscape);
    EXPECT_TRUE(QFile::exists(o.dades + "KOVEL2230H.docx"));
}

TEST_F(GeneradorTest, WordHostFillsOneSheetWithGapRowsAndColumns)
{
    o.unaPerRegistre = false;   // the Word host fills one sheet whatever this says
    auto doc = GeneraDocument(1, o);
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->tableCount(), 1);
    const Table& t = doc->table(0);
    ASSERT_EQ(t.rowCount(), 5);
    ASSERT_EQ(t.columnCount(), 3);
    EXPECT_EQ(t.outsideBorder, LineStyle::None);
    EXPECT_EQ(t.insideBorder, LineStyle::None);
    EXPECT_FALSE(t.allowAutoFit);
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(t.rows[r].heightRule(), HeightRule::Exactly);
        for (int c = 0; c < 3; ++c) {
            const bool etiqueta = r % 2 == 0 && c % 2 == 0;
            EXPECT_EQ(Text(t.cell(r, c)), etiqueta ? "Label" : "") << r << "," << c;
            // The design's margins are the label cells' paddings; gaps have none.
            EXPECT_EQ(t.cell(r, c).paddings.left, etiqueta ? MargeMenysT(3.0) : Twips(0)) << r << "," << c;
            EXPECT_EQ(t.cell(r, c).paddings.top, etiqueta ? MargeMenysT(2.5) : Twips(0)) << r << "," << c;
        }
    }
    // Label rows keep the pitch on the twip grid.
    double y = 0;
    for (int r = 0; r < 5; ++r) {
        y += t.rows[r].height().value;
        if (r % 2 == 0) {
            EXPECT_NEAR(y, centimetresToPoints(Centimetres(5.5 * (r / 2) + 5.0)).value, 0.03) << r;
        }
    }
    EXPECT_NEAR(t.cell(0, 0).width().value + t.cell(0, 1).width().value, centimetresToPoints(Centimetres(9.0)).value, 0.03);
}

TEST_F(GeneradorTest, NarrowGapColumnsAreEightPoints)
{
    auto doc = GeneraDocument(2, o);
    ASSERT_TRUE(doc);
    const Table& t = doc->table(0);
    ASSERT_EQ(t.columnCount(), 5);
    EXPECT_EQ(t.rowCount(), 2);
    EXPECT_NEAR(t.cell(0, 1).width().value, 8.0, 0.03);
    EXPECT_NEAR(t.cell(0, 3).width().value, 8.0, 0.03);
    const double etiqueta = centimetresToPoints(Centimetres(4.0)).value;
    EXPECT_NEAR(t.cell(1, 0).width().value, etiqueta - 3.0, 0.06);
    EXPECT_NEAR(t.cell(1, 4).width().value, etiqueta, 0.06);
}

TEST_F(GeneradorTest, OneLabelPerRecordFillsRowByRowThenTheNextSheet)
{
    o.host = "Excel";
    o.filaIni = "1";
    o.filaFi = "30";
    FullDeFiles(30);
    disseny = Disseny("", {"TOLV_campA"});
    o.disseny = disseny.get();
    auto doc = GeneraDocument(0, o);   // 3 x 8
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->tableCount(), 2);
    ASSERT_EQ(doc->sectionCount(), 2);
    EXPECT_EQ(doc->section(1).start, SectionStart::NextPage);
    EXPECT_EQ(doc->pageCount(), 2);
    EXPECT_EQ(Text(doc->table(0).cell(0, 0)), "R1");
    EXPECT_EQ(Text(doc->table(0).cell(0, 2)), "R3");
    EXPECT_EQ(Text(doc->table(0).cell(1, 0)), "R4");
    EXPECT_EQ(Text(doc->table(0).cell(7, 2)), "R24");
    EXPECT_EQ(Text(doc->table(1).cell(0, 0)), "R25");
    EXPECT_EQ(Text(doc->table(1).cell(1, 2)), "R30");
    EXPECT_EQ(Text(doc->table(1).cell(2, 0)), "");
    // The placeholder is gone from every label; the working copy was a new document.
    EXPECT_TRUE(doc->inlinePictures().empty());
    // Every label cell filled on both sheets keeps the design's margins as paddings, without
    // a spacer line of its own.
    for (int t = 0; t < 2; ++t)
        EXPECT_EQ(doc->table(t).cell(1, 1).paddings.right, MargeMenysT(3.0)) << t;
    EXPECT_TRUE(doc->floatingLines().empty());
}

TEST_F(GeneradorTest, SpreadsheetEdgeRowsAndEmptyCells)
{
    o.host = "Excel";
    FullDeFiles(1);
    o.filaIni = "1";
    o.filaFi = "99999999";   // a mistyped range: refused before anything is made
    EXPECT_THROW(GeneraDocument(0, o), GeneracioError);
    EXPECT_FALSE(QFile::exists(o.dades + "KOVEL1617V.docx"));

    o.host = "Excel";
    o.filaIni = "5";
    o.filaFi = "5";
    FullDeFiles(6);
    disseny = Disseny("N:", {"TOLV_campA", "TOLV_campC"});   // column C is empty
    o.disseny = disseny.get();
    auto doc = GeneraDocument(0, o);
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->tableCount(), 1);
    EXPECT_EQ(Text(doc->table(0).cell(0, 0)), "N:R5");
    EXPECT_EQ(Text(doc->table(0).cell(0, 1)), "");
}

TEST_F(GeneradorTest, OneSheetPerRecordRepeatsTheRecord)
{
    o.host = "Access";
    o.unaPerRegistre = false;
    o.camps = {"Nom", "Lot"};
    o.registres = {{"Ana", "1"}, {"Biel", "2"}, {"Cesc", "3"}};
    disseny = Disseny("", {"TOLV_campNom"});
    o.disseny = disseny.get();
    auto doc = GeneraDocument(1, o);   // 2 x 3 with gaps
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->tableCount(), 3);
    EXPECT_EQ(doc->pageCount(), 3);
    EXPECT_EQ(PaginesDarreraSeccio(*doc), doc->pagesOfLastSection());
    const QStringList noms{"Ana", "Biel", "Cesc"};
    for (int t = 0; t < 3; ++t)
        for (int r = 0; r < 5; r += 2)
            for (int c = 0; c < 3; c += 2)
                EXPECT_EQ(Text(doc->table(t).cell(r, c)), noms[t]) << t << r << c;
}

TEST_F(GeneradorTest, EmptyTableGivesOneEmptyPage)
{
    o.host = "Access";
    o.camps = {"Nom"};
    auto doc = GeneraDocument(0, o);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->tableCount(), 1);
    EXPECT_EQ(doc->pageCount(), 1);
    EXPECT_EQ(Text(doc->table(0).cell(0, 0)), "");
}

TEST_F(GeneradorTest, PerCellDesignsRunOverEveryLabel)
{
    QStringList caselles;
    for (int i = 0; i < 24; ++i) {
        if (i == 5) {
            caselles << QString();   // never designed: stays empty
            continue;
        }
        const QString cami = dir.filePath(QStringLiteral("caselles/%1.docx").arg(i));
        QDir().mkpath(dir.filePath("caselles"));
        Disseny(QStringLiteral("C%1").arg(i), {})->saveAs(cami);
        caselles << cami;
    }
    o.caselles = caselles;
    auto doc = GeneraDocument(0, o);
    ASSERT_TRUE(doc);
    EXPECT_EQ(o.desades, 1);
    EXPECT_EQ(Text(doc->table(0).cell(0, 0)), "C0");
    EXPECT_EQ(Text(doc->table(0).cell(1, 2)), "");
    EXPECT_EQ(Text(doc->table(0).cell(7, 2)), "C23");
    // Each cell design's margins are its cell's paddings, the first time and when the design
    // already has its spacer lines.
    EXPECT_EQ(doc->table(0).cell(7, 2).paddings.bottom, MargeMenysT(2.5));
    EXPECT_TRUE(doc->floatingLines().empty());

    // Fewer designs than labels: the cells beyond them are cells never designed.
    o.caselles = caselles.mid(0, 10);
    doc = GeneraDocument(0, o);
    ASSERT_TRUE(doc);
    EXPECT_EQ(Text(doc->table(0).cell(3, 0)), "C9");
    EXPECT_EQ(Text(doc->table(0).cell(3, 1)), "");
    EXPECT_EQ(Text(doc->table(0).cell(7, 2)), "");
    EXPECT_EQ(doc->table(0).cell(3, 0).paddings.left, MargeMenysT(3.0));
    EXPECT_TRUE(doc->floatingLines().empty());
}

TEST_F(GeneradorTest, UnknownHostEndsWithTheMessage)
{
    o.host = "";
    EXPECT_EQ(GeneraDocument(0, o), nullptr);
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_TRUE(missatges[0].startsWith("Error: we don't know"));
    EXPECT_FALSE(QFile::exists(o.dades + "KOVEL1617V.docx"));
}

TEST_F(GeneradorTest, FailedSaveIsRetriedWhileAskedAndNeverASuccess)
{
    QDir().mkpath(o.dades + "KOVEL1617V.docx");   // a folder where the file should go
    int preguntes = 0;
    mod_rvtMsgBox::setAnswerer([&](const QString&, std::int16_t estil, const QString& titol) {
        EXPECT_EQ(estil, 1);
        EXPECT_EQ(titol, "KOVEL Videvoviv");
        return std::int16_t(++preguntes < 3 ? mod_rvtMsgBox::vbOK : mod_rvtMsgBox::vbCancel);
    });
    EXPECT_EQ(GeneraDocument(0, o), nullptr);
    EXPECT_EQ(preguntes, 3);
}

TEST_F(GeneradorTest, IndexOutsideTheCatalogueIsAnError)
{
    EXPECT_THROW(GeneraDocument(3, o), GeneracioError);
    o.seleccionat = -1;
    EXPECT_THROW(GeneraDocument(-1, o), GeneracioError);
    o.seleccionat = 2;
    EXPECT_TRUE(GeneraDocument(-1, o));   // -1 takes the selected format; every index from 0 returns
}

TEST_F(GeneradorTest, ReadyMadeTemplatesArePreferred)
{
    auto plantilla = Document::create();
    PageSetup ps = plantilla->pageSetup();
    ps.setPageWidth(Points(400));
    ps.setLeftMargin(Points(11));
    plantilla->setPageSetup(ps);
    plantilla->saveAs(o.programa + "/documents_base/Plantilla1617V.docx");
    QDir().mkpath(o.dades);
    QFile stale(o.dades + "TOLV_tmp.docx");
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("stale");
    stale.close();

    auto blanc = Document::create();
    blanc->content().setText("BLANK");
    blanc->saveAs(o.programa + "/documents_base/blanc1617V.docx");

    o.host = "Excel";
    o.filaIni = "1";
    o.filaFi = "2";
    FullDeFiles(2);
    disseny = Disseny("", {"TOLV_campA"});
    o.disseny = disseny.get();
    auto doc = GeneraDocument(0, o);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->pageSetup().pageWidth().value, 400);
    EXPECT_EQ(doc->pageSetup().leftMargin().value, 11);
    EXPECT_GT(QFileInfo(o.dades + "TOLV_tmp.docx").size(), 100);   // replaced, not reused
    EXPECT_EQ(Text(doc->table(0).cell(0, 1)), "R2");
    // The working copy of the model's blank template stays in the tmp folder, unfilled.
    auto copia = Document::open(o.dades + "tmp/TOLV_temp2.docx");
    EXPECT_TRUE(copia->body().text().startsWith("BLANK"));
}

TEST(DocumentsMarcadors, TrailingLineBreak)
{
    const QChar nul(0);
    EXPECT_EQ(TreuSaltFinal("abc\r\n"), "abc");
    EXPECT_EQ(TreuSaltFinal(QString("abc\r\n") + nul + nul), "abc");
    EXPECT_EQ(TreuSaltFinal(QString("abc") + nul + nul), QString("abc") + nul + nul);
    EXPECT_EQ(TreuSaltFinal("abc\r\n\r\n"), "abc\r\n");
    EXPECT_EQ(TreuSaltFinal("\n"), "\n");
    EXPECT_EQ(TreuSaltFinal(QString("\r\n")), "");
}

TEST(DocumentsMarcadors, CodesAndTemplatesTakeTheRecord)
{
    auto copia = Disseny("", {"TOLV_barres", "TOLV_qr", "TOLV_barres_3_lot_2", "TOLV_qr_4_Nom",
                              "TOLV_qr_2_12", "TOLV_campX", "Foto"});
    RegistresMemoria rs({"lot_2", "Nom", "Tel", "X"}, {{"L9\r\n", "ana", "", "x"}});
    CodisFals codis;
    codis.plantilles = QStringList(13, QString());
    codis.plantilles[12] = "TEL:[Tel];N:[Nom]!";
    ReemplacaMarcadors(*copia, ValorsRegistre{nullptr, 0, &rs}, &codis);
    EXPECT_EQ(codis.fets, (QStringList{"bar 3 lot_2 [L9]", "qr 4 Nom [P:ANA]", "qr 2 12 [TEL:;N:ANA!]"}));
    QStringList alts;
    for (InlinePicture* p : copia->inlinePictures())
        alts << p->alternativeText();
    EXPECT_EQ(alts, (QStringList{"TOLV_barres", "TOLV_qr", "TOLV_barcode_lot_2", "TOLV_QR_Nom", "TOLV_QR_12", "Foto"}));
    EXPECT_TRUE(copia->body().text().contains("x"));

    // Spreadsheet variant: an empty cell removes the code and puts nothing in its place.
    auto segona = Disseny("", {"TOLV_barres_1_B", "TOLV_qr_1_B"});
    FullMemoria full(QList<QStringList>{QStringList{"a", ""}});
    CodisFals c2;
    ReemplacaMarcadors(*segona, ValorsRegistre{&full, 1, nullptr}, &c2);
    EXPECT_TRUE(c2.fets.isEmpty());
    EXPECT_TRUE(segona->inlinePictures().empty());

    auto sensePeu = Disseny("", {"TOLV_barres_7"});
    EXPECT_THROW(ReemplacaMarcadors(*sensePeu, ValorsRegistre{&full, 1, nullptr}, &c2), GeneracioError);
    auto senseCodis = Disseny("", {"TOLV_barres_1_A"});
    EXPECT_THROW(ReemplacaMarcadors(*senseCodis, ValorsRegistre{&full, 1, nullptr}, nullptr), GeneracioError);
}

TEST(DocumentsMarges, MarginsBecomeSpacerLines)
{
    auto d = Document::create();
    PageSetup ps = d->pageSetup();
    ps.setPageWidth(Points(200));
    ps.setPageHeight(Points(100));
    ps.setLeftMargin(centimetresToPoints(Centimetres(1)));
    ps.setTopMargin(Points(0));
    ps.setRightMargin(centimetresToPoints(Centimetres(1)));
    ps.setBottomMargin(centimetresToPoints(Centimetres(0.5)));
    d->setPageSetup(ps);
    Table t(1, 1, Points(50));
    t.cell(0, 0).setLeftPadding(Points(5));
    MargesALinies(t.cell(0, 0), *d);
    EXPECT_EQ(t.cell(0, 0).paddings.left, Twips(0));
    EXPECT_EQ(t.cell(0, 0).paddings.bottom, Twips(0));
    EXPECT_EQ(d->pageSetup().leftMargin().value, 0);
    EXPECT_EQ(d->pageSetup().bottomMargin().value, 0);
    const auto linies = d->floatingLines();
    ASSERT_EQ(linies.size(), size_t(3));
    auto linia = [&](double x0, double y0, double x1, double y1) -> const FloatingLine* {
        for (const FloatingLine* l : linies)
            if (l->beginX.value == x0 && l->beginY.value == y0 && l->endX.value == x1 && l->endY.value == y1)
                return l;
        return nullptr;
    };
    const double t05 = 0.05 * 72 / 2.54;
    const FloatingLine* esq = linia(0, 0, 0, 100);
    const FloatingLine* dre = linia(200, 0, 200, 100);
    const FloatingLine* inf = linia(0, 100, 200, 100);
    ASSERT_TRUE(esq && dre && inf);
    EXPECT_EQ(esq->wrap, WrapType::Square);
    EXPECT_NEAR(esq->distanceRight.value, centimetresToPoints(Centimetres(1)).value - t05, 0.05);
    EXPECT_NEAR(dre->distanceLeft.value, centimetresToPoints(Centimetres(1)).value - t05, 0.05);
    EXPECT_EQ(inf->wrap, WrapType::TopAndBottom);
    EXPECT_NEAR(inf->distanceTop.value, centimetresToPoints(Centimetres(0.5)).value - t05, 0.05);
    for (auto* l : linies)
        EXPECT_EQ(l->transparency, 1.0);
    MargesALinies(t.cell(0, 0), *d);   // a second time adds nothing
    EXPECT_EQ(d->floatingLines().size(), size_t(3));
    EXPECT_EQ(d->floatingLines()[0]->wrap, WrapType::Tight);
}

TEST(DocumentsMarges, MarginsOrTheirSpacerLinesBecomeCellPaddings)
{
    const double t05 = CentimetersToPoints(0.05f);
    auto d = Document::create();
    PageSetup ps = d->pageSetup();
    ps.setPageWidth(Points(200));
    ps.setPageHeight(Points(100));
    ps.setLeftMargin(Points(20));
    ps.setTopMargin(Points(0));
    ps.setRightMargin(Points(10));
    ps.setBottomMargin(Points(1));   // under 0.05 cm: no padding
    d->setPageSetup(ps);
    d->content().setText("Label");
    // A visible line of the user's is content, not a margin.
    FloatingLine visible;
    visible.endY = Points(100);
    auto& items = d->body().blocks.front().paragraph().items;
    items.insert(items.begin(), Inline{visible});

    Story s = d->content().formattedText();
    const Paddings deMarges = MargesDeCella(s, d->pageSetup());
    EXPECT_EQ(deMarges.left, toTwips(Points(20 - t05)));
    EXPECT_EQ(deMarges.right, toTwips(Points(10 - t05)));
    EXPECT_EQ(deMarges.top, Twips(0));
    EXPECT_EQ(deMarges.bottom, Twips(0));

    // Once the margins are spacer lines (the design after a generation), the lines give the
    // same paddings and leave the story; the user's line stays.
    Table t(1, 1, Points(50));
    MargesALinies(t.cell(0, 0), *d);
    ASSERT_EQ(d->floatingLines().size(), 4u);
    Story ambLinies = d->content().formattedText();
    const Paddings deLinies = MargesDeCella(ambLinies, d->pageSetup());
    EXPECT_EQ(deLinies, deMarges);
    ASSERT_EQ(ambLinies.blocks.front().paragraph().items.size(), 2u);
    EXPECT_TRUE(std::holds_alternative<FloatingLine>(ambLinies.blocks.front().paragraph().items.front()));
    EXPECT_EQ(ambLinies.text(), s.text());

    FixaMargesCella(t.cell(0, 0), deLinies);
    EXPECT_EQ(t.cell(0, 0).paddings, deMarges);
}

TEST(DocumentsBase, BaseDocumentOfALabel)
{
    QTemporaryDir dir;
    const QString programa = dir.filePath("p");
    QDir().mkpath(programa + "/documents_base");
    auto blanc = Document::create();
    RunFormat f;
    f.fontName = "Arial";
    f.size = Points(14);
    blanc->content().setText("old");
    blanc->content().setFont(f);
    blanc->saveAs(programa + "/documents_base/Blanc.docx");
    MidesFull m;
    m.codi = 55;
    m.amplCm = 3.0f; m.altCm = 2.0f;
    m.holguraHorCm = 1.0f; m.holguraVerCm = 0.3f;
    DocumentBase b = PreparaDocumentBase(m, false, programa, dir.filePath("tmp"));
    ASSERT_TRUE(b.document);
    EXPECT_FALSE(b.plantillaModel);
    EXPECT_EQ(b.cami, dir.filePath("tmp") + "/blanc55V.docx");
    EXPECT_TRUE(b.document->body().text().trimmed().isEmpty());
    EXPECT_EQ(b.document->content().font().size, Points(14));
    const PageSetup& ps = b.document->pageSetup();
    EXPECT_EQ(toTwips(ps.pageWidth()), toTwips(Points(2 * CentimetersToPoints(1.0f) + CentimetersToPoints(1.27f))));
    EXPECT_EQ(toTwips(ps.pageHeight()), toTwips(Points(CentimetersToPoints(2.0f))));
    EXPECT_EQ(toTwips(ps.topMargin()), toTwips(Points(CentimetersToPoints(0.3f))));

    auto model = Document::create();
    model->content().setText("MODEL");
    model->saveAs(programa + "/documents_base/blanc55H.docx");
    DocumentBase h = PreparaDocumentBase(m, true, programa, dir.filePath("tmp"));
    EXPECT_TRUE(h.plantillaModel);
    EXPECT_TRUE(h.document->body().text().startsWith("MODEL"));
}

// A first row heads the worksheet when a column below it is all numbers, or all of one
// length, and its own cell is not; a number over numbers is a record like the others.
TEST(DocumentsFonts, AHeaderRowIsToldByTheColumnsBelowIt)
{
    const QStringList abc{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    generar_doc::FullMemoria ambCodis({{"NAME", "STREET", "CODE"}, {"Anna", "1 High St", "4006381000011"},
                                       {"Bo", "22 Low Rd", "4006381000028"}});
    EXPECT_TRUE(generar_doc::FilaCapcalera(ambCodis, abc, 1, 3));
    EXPECT_FALSE(generar_doc::FilaCapcalera(ambCodis, abc, 1, 1)) << "no rows below it";
    generar_doc::FullMemoria codisPostals({{"Name", "Zip"}, {"Anna", "08001"}, {"Bo", "SW1A 1"}, {"Cy", "75008"}});
    EXPECT_FALSE(generar_doc::FilaCapcalera(codisPostals, {"A", "B"}, 1, 4)) << "lengths differ below";
    generar_doc::FullMemoria mateixaLlargada({{"Name", "Zip"}, {"Anna", "08001"}, {"Bo", "2800A"}, {"Cy", "7500B"}});
    EXPECT_TRUE(generar_doc::FilaCapcalera(mateixaLlargada, {"A", "B"}, 1, 4));
    generar_doc::FullMemoria nombres({{"Anna", "1"}, {"Bo", "2"}, {"Cy", "3"}});
    EXPECT_FALSE(generar_doc::FilaCapcalera(nombres, {"A", "B"}, 1, 3));
    generar_doc::FullMemoria text({{"Anna", "High St"}, {"Bo", "Low Road"}, {"Cy", "Lane"}});
    EXPECT_FALSE(generar_doc::FilaCapcalera(text, {"A", "B"}, 1, 3)) << "nothing tells a header from a record";
}
