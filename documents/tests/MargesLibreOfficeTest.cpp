// A design's margins on paper: the generated sheet keeps them as label-cell paddings, and
// LibreOffice must print every label's text and code where the same sheet with a spacer line
// per margin in every label prints them, within 0.1 mm, without a drawing object a label.
#include "documents/tests/OpcionsCodis.h"
#include "documents/generar_doc.h"
#include "documents/tests/CatalegProva.h"
#include "documents/tests/FormaLinies.h"
#include "documents/tests/LibreOfficeProva.h"

#include "catalogue/Catalogo.h"
#include "codes/CodiBarres.h"
#include "codes/RegistreCodis.h"
#include "common/MsgBox.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>

using namespace generar_doc;
using namespace kovel::word;

namespace {

const double MmPt = 72.0 / 25.4;

struct Paraula {
    int pagina;
    double x0, y0, x1, y1;
    QString text;
};

QList<Paraula> Paraules(const QString& pdf)
{
    QProcess p;
    p.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    static const QRegularExpression rePagina(QStringLiteral("<page "));
    static const QRegularExpression reParaula(QStringLiteral(
        "<word xMin=\"(-?[0-9.]+)\" yMin=\"(-?[0-9.]+)\" xMax=\"(-?[0-9.]+)\" yMax=\"(-?[0-9.]+)\">([^<]*)</word>"));
    QList<Paraula> paraules;
    int pagina = -1;
    for (const QString& linia : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (rePagina.match(linia).hasMatch())
            ++pagina;
        else if (auto w = reParaula.match(linia); w.hasMatch())
            paraules << Paraula{pagina, w.captured(1).toDouble(), w.captured(2).toDouble(), w.captured(3).toDouble(),
                                w.captured(4).toDouble(), w.captured(5)};
    }
    return paraules;
}

// Ink pixels (darker than mid grey) of `a` with no ink of `b` within `radi` pixels.
int TintaSenseParella(const QImage& a, const QImage& b, int radi)
{
    int soles = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* la = a.constScanLine(y);
        for (int x = 0; x < a.width(); ++x) {
            if (la[x] >= 128)
                continue;
            bool trobada = false;
            for (int yy = std::max(0, y - radi); yy <= std::min(b.height() - 1, y + radi) && !trobada; ++yy) {
                const uchar* lb = b.constScanLine(yy);
                for (int xx = std::max(0, x - radi); xx <= std::min(b.width() - 1, x + radi); ++xx)
                    if (lb[xx] < 128) {
                        trobada = true;
                        break;
                    }
            }
            soles += !trobada;
        }
    }
    return soles;
}

int Tinta(const QImage& a)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* l = a.constScanLine(y);
        for (int x = 0; x < a.width(); ++x)
            n += l[x] < 128;
    }
    return n;
}

Paragraph Linia(const QString& text, Alignment alineacio)
{
    Paragraph p;
    p.items.push_back(TextRun{text, {}});
    p.format.alignment = alineacio;
    return p;
}

} // namespace

TEST(DocumentsMargesLibreOffice, MarginsAsPaddingsLandWhereSpacerLinesPutThem)
{
    Cataleg cat;
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    ASSERT_FALSE(soffice.isEmpty()) << "LibreOffice (soffice) is not installed";
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) << "pdftotext is not installed";
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) << "pdftoppm is not installed";
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("xdg")).toUtf8());
    kovel::codes::RegistreCodis codis;
    // A continuous sheet of 2 x 3 labels with gaps both ways and insets.
    EtiquetaCatalogo e;
    e.Codigo = 3104;
    e.Ancho = 8.89f; e.Alto = 4.84f; e.PasoHorizontal = 9.652f; e.PasoVertical = 5.08f;
    e.MargenIzquierdo = 1.143f; e.MargenSuperior = 0.12f;
    e.Filas = 3; e.Columnas = 2;
    e.Holgura = {0.2f, 0.1f};
    e.TipoPapel = 1;
    proves::CatalegDe(cat, {e});
    mod_rvtMsgBox::setAnswerer([](const QString&, std::int16_t, const QString&) { return std::int16_t(2); });

    kovel::barcode::ActiveBC barres;
    barres.setBarType(kovel::barcode::EAN13);
    barres.setBarText(QStringLiteral("840000000001"));
    CodiBarres::RegistrarClon(codis, barres, QStringLiteral("A"));

    // The design's page as the design frame makes it, its margins made unequal so that each
    // side shows: a name, centred and right-aligned lines, a paragraph that wraps at the
    // right margin, and the code.
    auto disseny = Document::create();
    PreparaPaginaEtiqueta(*disseny, MidesDeCatalogo(cat, 0), false);
    PageSetup ps = disseny->pageSetup();
    ps.setRightMargin(centimetresToPoints(Centimetres(0.35)));
    ps.setTopMargin(centimetresToPoints(Centimetres(0.25)));
    disseny->setPageSetup(ps);
    proves::Marcador(*disseny, QStringLiteral("TOLV_campB"));
    auto& blocs = disseny->body().blocks;
    blocs.push_back(Block{Linia(QStringLiteral("Centred"), Alignment::Centre)});
    blocs.push_back(Block{Linia(QStringLiteral("Right"), Alignment::Right)});
    blocs.push_back(Block{Linia(QStringLiteral("A paragraph long enough to wrap at the right margin of the label, "
                                               "twice over at this size, word after word"), Alignment::Left)});
    blocs.push_back(Block{Paragraph{}});
    disseny->content().setFont([] {
        RunFormat f;
        f.fontName = QStringLiteral("DejaVu Sans");
        f.size = Points(8);
        return f;
    }());
    proves::Marcador(*disseny, QStringLiteral("TOLV_barres_1_A"));

    QList<QStringList> files;
    for (int i = 1; i <= 6; ++i)
        files << QStringList{QStringLiteral("8412345%1").arg(i * 7919 % 100000, 5, 10, QLatin1Char('0')), QStringLiteral("Client%1").arg(i)};
    FullMemoria full(files);
    proves::OpcionsCodis o(cat, codis);
    o.full = &full;
    o.disseny = disseny.get();
    o.registres = 6;
    o.dades = dir.path() + QLatin1Char('/');
    auto doc = GeneraDocument(0, o);
    ASSERT_TRUE(doc);
    const QString padding = dir.filePath(QStringLiteral("padding.docx"));
    doc->saveAs(padding);

    // No drawing object: the margins are the label cells' paddings, 0.05 cm short of them.
    const auto llegit = Document::open(padding);
    EXPECT_TRUE(llegit->floatingLines().empty());
    // (The page set-up keeps a margin on the twip grid: a twip either way.)
    const double t = 0.05 / 2.54 * 72;
    const Cell& primera = llegit->table(0).cell(0, 0);
    auto twips = [&](double cm) { return toTwips(Points(cm / 2.54 * 72 - t)).value; };
    EXPECT_NEAR(primera.paddings.left->value, twips(0.2), 1);
    EXPECT_NEAR(primera.paddings.right->value, twips(0.35), 1);
    EXPECT_NEAR(primera.paddings.top->value, twips(0.25), 1);
    EXPECT_NEAR(primera.paddings.bottom->value, twips(0.1), 1);
    EXPECT_EQ(llegit->table(0).cell(0, 1).paddings.left, Twips(0));   // a gap column

    // The same sheet in the spacer-line form: each label's paddings back to 0 and the lines
    // the design's margins make at the head of its first paragraph.
    const int etiquetes = proves::AFormaLinies(*doc, ps, CalculaGeometria(MidesDeCatalogo(cat, 0)));
    ASSERT_EQ(etiquetes, 6);
    const QString ambLinies = dir.filePath(QStringLiteral("linies.docx"));
    doc->saveAs(ambLinies);
    EXPECT_EQ(Document::open(ambLinies)->floatingLines().size(), 24u);

    const QString conversio = proves::ConverteixAPdf(dir.path(), {padding, ambLinies});
    ASSERT_TRUE(conversio.isEmpty()) << qPrintable(conversio);
    const QString pdfPadding = dir.filePath(QStringLiteral("padding.pdf")), pdfLinies = dir.filePath(QStringLiteral("linies.pdf"));

    // Every word, the codes' characters among them, in the same box within 0.1 mm.
    const QList<Paraula> a = Paraules(pdfPadding), b = Paraules(pdfLinies);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_GE(a.size(), 6 * 20);
    const double tolerancia = 0.1 * MmPt;
    double pitjor = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a[i].text, b[i].text) << "word " << i;
        EXPECT_EQ(a[i].pagina, b[i].pagina) << qPrintable(a[i].text);
        for (auto [p, q] : {std::pair{a[i].x0, b[i].x0}, {a[i].y0, b[i].y0}, {a[i].x1, b[i].x1}, {a[i].y1, b[i].y1}}) {
            EXPECT_NEAR(p, q, tolerancia) << qPrintable(a[i].text) << " word " << i;
            pitjor = std::max(pitjor, std::fabs(p - q));
        }
    }
    RecordProperty("worst_word_mm", QString::number(pitjor / MmPt, 'f', 3).toStdString());

    // Every pixel of ink at 600 dpi (0.042 mm) within two pixels of ink in the other form:
    // the bars of the codes too.
    const QImage pa = proves::PaginaPdf(pdfPadding, 1, 600, dir.filePath(QStringLiteral("padding"))),
                 pb = proves::PaginaPdf(pdfLinies, 1, 600, dir.filePath(QStringLiteral("linies")));
    ASSERT_FALSE(pa.isNull());
    ASSERT_EQ(pa.size(), pb.size());
    EXPECT_GT(Tinta(pa), 6 * 10000);
    EXPECT_EQ(TintaSenseParella(pa, pb, 2), 0);
    EXPECT_EQ(TintaSenseParella(pb, pa, 2), 0);
    if (!qEnvironmentVariableIsEmpty("KOVEL_KEEP_PAGES")) {
        const QString desti = qEnvironmentVariable("KOVEL_KEEP_PAGES");
        for (const QString& n : {QStringLiteral("padding"), QStringLiteral("linies")}) {
            QFile::copy(dir.filePath(n + QStringLiteral(".pdf")), desti + QLatin1Char('/') + n + QStringLiteral(".pdf"));
            QFile::copy(dir.filePath(n + QStringLiteral(".docx")), desti + QLatin1Char('/') + n + QStringLiteral(".docx"));
        }
    }
    mod_rvtMsgBox::resetAnswerer();
}
