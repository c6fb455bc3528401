// Field-linked codes as the word processor prints them: LibreOffice converts a generated
// sheet to PDF, and every symbol must scan from a 300 dpi rendering of it, with the bars of
// a 600 dpi rendering keeping their module widths. The sheet carries its codes as
// characters of embedded fonts, and must come out as it does with a picture a code.
#include "documents/tests/OpcionsCodis.h"
#include "documents/CampsDisseny.h"
#include "documents/CodisPrograma.h"
#include "documents/EspaiDisseny.h"
#include "documents/MidaCodiDisseny.h"
#include "documents/generar_doc.h"
#include "documents/tests/CatalegProva.h"
#include "documents/tests/LibreOfficeProva.h"

#include "catalogue/Catalogo.h"
#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"
#include "codes/EntornDisseny.h"
#include "codes/MidaCodi.h"
#include "codes/ModelCodiBarres.h"
#include "codes/ModelCodiQR.h"
#include "codes/RegistreCodis.h"
#include "common/HostProfile.h"
#include "common/MsgBox.h"
#include "platform/docframe/Pont.h"

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPolygon>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <set>

using namespace generar_doc;
using namespace kovel::word;

namespace {

using Opcions = proves::OpcionsCodis;
using proves::Marcador;

// One symbol of `formats` in the label at `fila`, `columna` (from 0) of a page rendered at
// `dpi`: the sheet has 1 cm margins, labels 9 x 6 cm on a 9.5 x 6.5 cm pitch.
ZXing::Result Llegeix(const QImage& pagina, int dpi, int fila, int columna, ZXing::BarcodeFormats formats, QImage* tall = nullptr)
{
    const double cm = dpi / 2.54;
    const QRect r(int((1 + columna * 9.5) * cm), int((1 + fila * 6.5) * cm), int(9 * cm), int(6 * cm));
    const QImage gris = pagina.copy(r).convertToFormat(QImage::Format_Grayscale8);
    if (tall) *tall = gris;
    ZXing::DecodeHints hints;
    hints.setFormats(formats);
    hints.setTryHarder(true);
    return ZXing::ReadBarcode({gris.constBits(), gris.width(), gris.height(), ZXing::ImageFormat::Lum, int(gris.bytesPerLine())}, hints);
}

// The box of what is drawn (darker than mid grey) in the label at `fila`, `columna`.
QRect Tinta(const QImage& pagina, int dpi, int fila, int columna)
{
    const double cm = dpi / 2.54;
    const QRect r(int((1 + columna * 9.5) * cm), int((1 + fila * 6.5) * cm), int(9 * cm), int(6 * cm));
    const QImage g = pagina.copy(r).convertToFormat(QImage::Format_Grayscale8);
    QRect caixa;
    for (int y = 0; y < g.height(); ++y) {
        const uchar* l = g.constScanLine(y);
        for (int x = 0; x < g.width(); ++x)
            if (l[x] < 128) caixa |= QRect(x, y, 1, 1);
    }
    return caixa;
}

} // namespace

TEST(DocumentsCodisLibreOffice, EveryCodeScansAndKeepsItsModules)
{
    Cataleg cat;
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    ASSERT_FALSE(soffice.isEmpty()) << "LibreOffice (soffice) is not installed";
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) << "pdftoppm is not installed";
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("xdg")).toUtf8());
    kovel::codes::RegistreCodis codis;
    EtiquetaCatalogo e;
    e.Codigo = 5;
    e.Ancho = 9; e.Alto = 6; e.PasoHorizontal = 9.5f; e.PasoVertical = 6.5f;
    e.MargenIzquierdo = 1; e.MargenSuperior = 1;
    e.Filas = 3; e.Columnas = 2;
    proves::CatalegDe(cat, {e});
    mod_rvtMsgBox::setAnswerer([](const QString&, std::int16_t, const QString&) { return std::int16_t(2); });

    // An EAN-13 linked to column A and on every label a contact card of name, phone and
    // e-mail (columns B, C and A), without a web address or an address.
    kovel::barcode::ActiveBC barres;
    barres.setBarType(kovel::barcode::EAN13);
    barres.setBarText(QStringLiteral("840000000001"));
    CodiBarres::RegistrarClon(codis, barres, QStringLiteral("A"));
    kovel::qr::QRCodeCtrl qr;
    qr.setDataToEncode(QStringLiteral("x"));
    CodiQR::RegistrarClonPlantilla(codis, qr, CodiQR::PlantillaVCard({}, QStringLiteral("B"), QStringLiteral("C"), {}, QStringLiteral("A"), {}), true);
    // The design's page is the label, without insets.
    auto disseny = proves::DissenySenseMarges(9, 6);
    Marcador(*disseny, QStringLiteral("TOLV_barres_1_A"));
    Marcador(*disseny, QStringLiteral("TOLV_qr_1_0"));
    // A line after the codes: it stands where the codes' line leaves it.
    Paragraph despres;
    despres.items.push_back(TextRun{QStringLiteral("Fi"), {}});
    disseny->body().blocks.push_back(Block{despres});

    QList<QStringList> files;
    std::set<std::string> eans, targetes;
    for (int i = 1; i <= 6; ++i) {
        const QString ean = QStringLiteral("8412345%1").arg(i * 7919 % 100000, 5, 10, QLatin1Char('0'));
        files << QStringList{ean, QStringLiteral("Client %1").arg(i), QStringLiteral("+34 600 00%1").arg(i)};
        kovel::barcode::ActiveBC c;
        c.setBarType(kovel::barcode::EAN13);
        c.setBarText(ean);
        eans.insert(c.DadesCodificades().toStdString());
        // (no web address or address was linked: the card has no key for them)
        targetes.insert(QStringLiteral("MECARD:N:Client %1;TEL:+34 600 00%1;EMAIL:%2;;").arg(i).arg(ean).toStdString());
    }
    FullMemoria full(files);
    Opcions o(cat, codis);
    o.full = &full;
    o.disseny = disseny.get();
    o.registres = 6;
    o.dades = dir.path() + QLatin1Char('/');
    auto doc = GeneraDocument(0, o);
    ASSERT_TRUE(doc);
    const QString docx = dir.filePath(QStringLiteral("codis.docx"));
    doc->saveAs(docx);
    {
        // The codes are characters, not pictures.
        const auto llegit = Document::open(docx);
        EXPECT_TRUE(llegit->inlinePictures().empty());
        const QString text = llegit->body().text();
        EXPECT_EQ(std::count_if(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF; }), 12);
    }
    const QString ambImatges = dir.filePath(QStringLiteral("imatges.docx"));
    doc->setPicturesAsGlyphs(false);
    doc->saveAs(ambImatges);
    EXPECT_EQ(Document::open(ambImatges)->inlinePictures().size(), 12u);

    const QString conversio = proves::ConverteixAPdf(dir.path(), {docx, ambImatges});
    ASSERT_TRUE(conversio.isEmpty()) << qPrintable(conversio);
    const QString pdf = dir.filePath(QStringLiteral("codis.pdf"));

    // 300 dpi: every symbol scans as its record.
    const QImage p300 = proves::PaginaPdf(pdf, 1, 300, dir.filePath(QStringLiteral("p300")));
    ASSERT_FALSE(p300.isNull());
    // The same on paper as with pictures: every label's ink in the same box (the line after
    // the codes, at the bottom, to a pixel). The pictures come out up to 1.5% larger than
    // their own geometry (LibreOffice's drawing of a stretched EMF); the characters keep it.
    const QImage imatges300 = proves::PaginaPdf(dir.filePath(QStringLiteral("imatges.pdf")), 1, 300, dir.filePath(QStringLiteral("i300")));
    ASSERT_FALSE(imatges300.isNull());
    for (int f = 0; f < 3; ++f)
        for (int c = 0; c < 2; ++c) {
            const QRect a = Tinta(p300, 300, f, c), b = Tinta(imatges300, 300, f, c);
            const auto text = [&] { return QStringLiteral("label %1,%2: (%3,%4)-(%5,%6) against (%7,%8)-(%9,%10)").arg(f).arg(c)
                                         .arg(a.left()).arg(a.top()).arg(a.right()).arg(a.bottom())
                                         .arg(b.left()).arg(b.top()).arg(b.right()).arg(b.bottom()).toStdString(); };
            EXPECT_NEAR(a.left(), b.left(), 1) << text();
            EXPECT_NEAR(a.top(), b.top(), 1) << text();
            EXPECT_NEAR(a.bottom(), b.bottom(), 1) << text();
            EXPECT_NEAR(a.right(), b.right(), 1 + b.width() * 0.015) << text();
        }
    std::set<std::string> llegits;
    for (int f = 0; f < 3; ++f)
        for (int c = 0; c < 2; ++c) {
            llegits.insert(Llegeix(p300, 300, f, c, ZXing::BarcodeFormat::EAN13).text());
            llegits.insert(Llegeix(p300, 300, f, c, ZXing::BarcodeFormat::QRCode).text());
        }
    for (const auto& v : eans) EXPECT_TRUE(llegits.count(v)) << "EAN-13 " << v << " not read";
    for (const auto& v : targetes) EXPECT_TRUE(llegits.count(v)) << "QR code " << v << " not read";

    // 600 dpi: a module is two pixels of 96 dpi, 12.5 pixels here. Along the middle of each
    // EAN-13, every bar and space is its modules' width (one pixel of edge allowed), and the
    // module measured over the whole symbol is within 5%.
    const QImage p600 = proves::PaginaPdf(pdf, 1, 600, dir.filePath(QStringLiteral("p600")));
    ASSERT_FALSE(p600.isNull());
    const double modul = 600.0 / 48.0;
    int mesurats = 0;
    for (int f = 0; f < 3; ++f)
        for (int col = 0; col < 2; ++col) {
            QImage tall;
            const ZXing::Result r = Llegeix(p600, 600, f, col, ZXing::BarcodeFormat::EAN13, &tall);
            if (!r.isValid()) continue;
            kovel::barcode::ActiveBC c;
            c.setBarType(kovel::barcode::EAN13);
            c.setBarText(QString::fromStdString(r.text()));
            const QString patro = c.PatroModuls().section(QLatin1Char('\n'), -1);
            QList<int> esperat;   // element widths in modules, from the first bar to the last
            const qsizetype a = patro.indexOf(QLatin1Char('1')), b = patro.lastIndexOf(QLatin1Char('1'));
            for (qsizetype i = a; i <= b;) {
                qsizetype j = i;
                while (j <= b && patro[j] == patro[i]) ++j;
                esperat << int(j - i);
                i = j;
            }
            const auto pos = r.position();
            const int y = (pos.topLeft().y + pos.bottomLeft().y) / 2;
            const int xa = std::max(0, std::min(pos.topLeft().x, pos.bottomLeft().x) - int(5 * modul));
            const int xb = std::min(tall.width(), std::max(pos.topRight().x, pos.bottomRight().x) + int(5 * modul));
            const uchar* linia = tall.constScanLine(y);
            QList<int> amples;
            int x = xa;
            while (x < xb && linia[x] >= 128) ++x;   // the quiet zone
            while (x < xb) {
                const bool fosc = linia[x] < 128;
                int e = x;
                while (e < xb && (linia[e] < 128) == fosc) ++e;
                if (e >= xb && !fosc) break;   // the quiet zone after the last bar
                amples << e - x;
                x = e;
            }
            ASSERT_EQ(amples.size(), esperat.size()) << "EAN-13 " << r.text();
            int total = 0, moduls = 0;
            for (int k = 0; k < amples.size(); ++k) {
                EXPECT_NEAR(amples[k], esperat[k] * modul, esperat[k] * modul * 0.05 + 1.0) << "element " << k << " of " << r.text();
                total += amples[k];
                moduls += esperat[k];
            }
            EXPECT_NEAR(double(total) / moduls, modul, modul * 0.05) << r.text();
            ++mesurats;
        }
    EXPECT_EQ(mesurats, int(eans.size()));
    mod_rvtMsgBox::resetAnswerer();
}

namespace {

// Formats 806 (70 x 37 mm, 3 x 8) and 807 (70 x 42.3 mm, 3 x 7) of the shipped catalogue.
EtiquetaCatalogo Format(std::int32_t codi, float alt, std::int16_t files, float sup)
{
    EtiquetaCatalogo e;
    e.Codigo = codi;
    e.Ancho = 7; e.Alto = alt; e.PasoHorizontal = 7; e.PasoVertical = alt;
    e.MargenIzquierdo = 0; e.MargenSuperior = sup;
    e.Filas = files; e.Columnas = 3;
    return e;
}

// Format 803 of the shipped catalogue: 63.5 x 38.1 mm, 3 x 7 on A4.
EtiquetaCatalogo Format803()
{
    EtiquetaCatalogo f803;
    f803.Codigo = 803;
    f803.Ancho = 6.35f; f803.Alto = 3.81f; f803.PasoHorizontal = 6.604f; f803.PasoVertical = 3.81f;
    f803.MargenIzquierdo = 0.721f; f803.MargenSuperior = 1.515f;
    f803.Filas = 7; f803.Columnas = 3;
    return f803;
}

// A design of the label's size, without insets: `linies` lines of text (fields A, B, C),
// then the code, followed on its line by field A when `nomAlCostat`.
std::unique_ptr<Document> DissenyDe(const EtiquetaCatalogo& e, int linies, const QString& codi, bool nomAlCostat)
{
    auto d = proves::DissenySenseMarges(e.Ancho, e.Alto);
    for (int i = 0; i < linies; ++i) {
        Marcador(*d, QStringLiteral("TOLV_camp") + QChar('A' + i));
        Range r = d->content();
        r.collapse(Collapse::End);
        r.insertAfter(QStringLiteral("\r"));
    }
    Marcador(*d, codi);
    if (nomAlCostat) {
        Range r = d->content();
        r.collapse(Collapse::End);
        r.insertAfter(QStringLiteral(" "));
        Marcador(*d, QStringLiteral("TOLV_campA"));
    }
    return d;
}

// The contact card of a record, as the generator fills its template.
QString Targeta(const QStringList& r) { return CodiQR::DadesVCard({}, r[0], r[1], r[2], r[3], r[4]); }

// Record i: A name, B phone, C web, D e-mail, E address, F twelve digits of an EAN-13; its
// contact card is 139 to 169 bytes long.
QStringList Registre(int i)
{
    QStringList r{QStringLiteral("Name Surname %1").arg(i), QStringLiteral("+34 600 %1").arg(i, 6, 10, QLatin1Char('0')),
                  QStringLiteral("https://example.com/p/%1").arg(i), QStringLiteral("user%1@example.com").arg(i),
                  QStringLiteral("C/ Major %1 3r 2a 08001 Barcelona").arg(i % 997),
                  QStringLiteral("84%1").arg(i * 7919 % 10000000000LL, 10, 10, QLatin1Char('0'))};
    const int llargada = 139 + i * 7 % 31;
    const int ara = int(Targeta(r).toUtf8().size());
    r[4] += QString(std::max(0, llargada - ara), QLatin1Char('x'));
    return r;
}


QString EAN13(const QStringList& r)
{
    kovel::barcode::ActiveBC c;
    c.setBarType(kovel::barcode::EAN13);
    c.setBarText(r[5]);
    return c.DadesCodificades();
}

// Every symbol of `format` on a whole page, read one at a time as a reader in the hand meets
// them, each painted out once read (a linear symbol from its bars' top to their foot); with
// `resultats`, each reading whole, its place included.
std::vector<std::string> LlegeixPagina(QImage pagina, ZXing::BarcodeFormat format, std::vector<ZXing::Result>* resultats = nullptr)
{
    pagina = pagina.convertToFormat(QImage::Format_Grayscale8);
    std::vector<std::string> llegits;
    ZXing::DecodeHints hints;
    hints.setFormats(format);
    hints.setTryHarder(true);
    for (int i = 0; i < 64; ++i) {
        const ZXing::Result r = ZXing::ReadBarcode(
            {pagina.constBits(), pagina.width(), pagina.height(), ZXing::ImageFormat::Lum, int(pagina.bytesPerLine())}, hints);
        if (!r.isValid())
            break;
        llegits.push_back(r.text());
        if (resultats)
            resultats->push_back(r);
        const auto& p = r.position();
        QRect caixa = QPolygon({QPoint(p.topLeft().x, p.topLeft().y), QPoint(p.topRight().x, p.topRight().y),
                                QPoint(p.bottomRight().x, p.bottomRight().y), QPoint(p.bottomLeft().x, p.bottomLeft().y)})
                          .boundingRect()
                          .intersected(pagina.rect());
        const auto blanca = [&](int y) {
            if (y < 0 || y >= pagina.height())
                return true;
            const uchar* l = pagina.constScanLine(y);
            return std::all_of(l + caixa.left(), l + caixa.right() + 1, [](uchar v) { return v >= 128; });
        };
        while (!blanca(caixa.top() - 1)) caixa.setTop(caixa.top() - 1);
        while (!blanca(caixa.bottom() + 1)) caixa.setBottom(caixa.bottom() + 1);
        QPainter(&pagina).fillRect(caixa.adjusted(-2, -2, 2, 2), Qt::white);
    }
    return llegits;
}

// A merge's temporary folder and the messages the generation shows. KOVEL_TEST_PAGES=folder:
// the pages checked are left there as PNG, the documents in the temporary folder, to look at.
struct Tanda {
    QTemporaryDir dir;
    QStringList missatges;
    Tanda()
    {
        dir.setAutoRemove(qEnvironmentVariableIsEmpty("KOVEL_TEST_PAGES"));
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("xdg")).toUtf8());
        mod_rvtMsgBox::setAnswerer([this](const QString& text, std::int16_t, const QString&) {
            missatges << text;
            return std::int16_t(1);
        });
    }
    ~Tanda() { mod_rvtMsgBox::resetAnswerer(); }
};

// The labels of rows 1 to `registres` of `full` with the codes of `codis` and the design
// `disseny`, generated and saved as "<nom>.docx" in the batch's folder, the generation's own
// files in its subfolder `nom`; the document's path, empty (the failure recorded) when the
// generator made none. The generation must show no message.
QString Genera(const Cataleg& cat, kovel::codes::RegistreCodis& codis, FullMemoria& full, Document& disseny, int registres,
               Tanda& tanda, const QString& nom)
{
    Opcions o(cat, codis);
    o.full = &full;
    o.disseny = &disseny;
    o.registres = registres;
    o.dades = tanda.dir.filePath(nom) + QLatin1Char('/');
    QDir().mkpath(o.dades);
    auto doc = GeneraDocument(0, o);
    if (!doc) {
        ADD_FAILURE() << qPrintable(nom) << ": no document";
        return {};
    }
    EXPECT_TRUE(tanda.missatges.isEmpty()) << qPrintable(nom + QStringLiteral(": ") + tanda.missatges.join(QLatin1Char('\n')));
    const QString docx = tanda.dir.filePath(nom + QStringLiteral(".docx"));
    doc->saveAs(docx);
    return docx;
}

// The pieces of text of page `pagina` of `pdf`: a row's labels come out on one line, each
// code a private-use character between them.
QStringList TrossosPagina(const QString& pdf, int pagina)
{
    QProcess text;
    text.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")),
               {QStringLiteral("-f"), QString::number(pagina), QStringLiteral("-l"), QString::number(pagina), pdf,
                QStringLiteral("-")});
    EXPECT_TRUE(text.waitForFinished(60000));
    QStringList trossos;
    for (const QString& t : QString::fromUtf8(text.readAllStandardOutput())
                                .split(QRegularExpression(QStringLiteral("[\\n\\x{200B}\\x{E000}-\\x{F8FF}]"))))
        trossos << t.trimmed();
    return trossos;
}

} // namespace

// A thousand records whose codes are larger than the design's sample: on every page checked
// (first, middle, last) of LibreOffice's PDF, read whole as a reader in the hand sees it, every
// label's code scans as its record and nothing else does.
TEST(DocumentsCodisLibreOffice, EveryCodeOfAThousandRecordsScansOnWholePages)
{
    Cataleg cat;
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    ASSERT_FALSE(soffice.isEmpty()) << "LibreOffice (soffice) is not installed";
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) << "pdftoppm is not installed";
    Tanda tanda;
    QTemporaryDir& dir = tanda.dir;
    constexpr int Registres = 1000;
    QList<QStringList> files;
    for (int i = 1; i <= Registres; ++i) files << Registre(i);
    FullMemoria full(files);

    struct Cas {
        QString nom;
        EtiquetaCatalogo format;
        int linies;
        bool nomAlCostat;
        bool qr;
    };
    const std::vector<Cas> casos{
        {QStringLiteral("qr806"), Format(806, 3.7f, 8, 0), 3, false, true},
        {QStringLiteral("qr807"), Format(807, 4.23f, 7, 0.045f), 0, true, true},
        {QStringLiteral("ean806"), Format(806, 3.7f, 8, 0), 3, false, false},
    };
    QStringList docs;
    for (const Cas& c : casos) {
        kovel::codes::RegistreCodis codis;
        proves::CatalegDe(cat, {c.format});
        QString alt;
        kovel::qr::QRCodeCtrl qr;
        kovel::barcode::ActiveBC barres;
        if (c.qr) {
            qr.setDataToEncode(QStringLiteral("x"));
            CodiQR::RegistrarClonPlantilla(codis, qr,
                                           CodiQR::PlantillaVCard({}, QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                                                                  QStringLiteral("D"), QStringLiteral("E")),
                                           true);
            alt = QStringLiteral("TOLV_qr_1_0");
        } else {
            barres.setBarType(kovel::barcode::EAN13);
            barres.setBarText(QStringLiteral("840000000001"));
            CodiBarres::RegistrarClon(codis, barres, QStringLiteral("F"));
            alt = QStringLiteral("TOLV_barres_1_F");
        }
        auto disseny = DissenyDe(c.format, c.linies, alt, c.nomAlCostat);
        docs << Genera(cat, codis, full, *disseny, Registres, tanda, c.nom);
        ASSERT_FALSE(docs.back().isEmpty());
    }
    const QString conversio = proves::ConverteixAPdf(dir.path(), docs, 280000);
    ASSERT_TRUE(conversio.isEmpty()) << qPrintable(conversio);

    for (const Cas& c : casos) {
        const int perPagina = c.format.Filas * c.format.Columnas;
        const int pagines = (Registres + perPagina - 1) / perPagina;
        for (const int pagina : {1, (pagines + 1) / 2, pagines}) {
            const QImage img = proves::PaginaPdf(dir.filePath(c.nom + QStringLiteral(".pdf")), pagina, 300,
                                       dir.filePath(QStringLiteral("%1-%2").arg(c.nom).arg(pagina)));
            ASSERT_FALSE(img.isNull()) << qPrintable(c.nom) << " page " << pagina;
            if (!qEnvironmentVariableIsEmpty("KOVEL_TEST_PAGES"))
                img.save(QDir(qEnvironmentVariable("KOVEL_TEST_PAGES")).filePath(QStringLiteral("%1-%2.png").arg(c.nom).arg(pagina)));
            std::set<std::string> esperats, trobats;
            for (int i = (pagina - 1) * perPagina + 1; i <= std::min(Registres, pagina * perPagina); ++i)
                esperats.insert((c.qr ? Targeta(files[i - 1]) : EAN13(files[i - 1])).toStdString());
            for (const std::string& llegit : LlegeixPagina(img, c.qr ? ZXing::BarcodeFormat::QRCode : ZXing::BarcodeFormat::EAN13)) {
                EXPECT_TRUE(esperats.count(llegit)) << qPrintable(c.nom) << " page " << pagina << ": read " << llegit;
                EXPECT_TRUE(trobats.insert(llegit).second) << qPrintable(c.nom) << " page " << pagina << ": read twice " << llegit;
            }
            for (const std::string& e : esperats)
                EXPECT_TRUE(trobats.count(e)) << qPrintable(c.nom) << " page " << pagina << ": not read " << e;
            if (c.nomAlCostat) {
                // The name beside the code stays whole on its line, never wrapped below it.
                const QStringList trossos = TrossosPagina(dir.filePath(c.nom + QStringLiteral(".pdf")), pagina);
                for (int i = (pagina - 1) * perPagina + 1; i <= std::min(Registres, pagina * perPagina); ++i)
                    EXPECT_TRUE(trossos.contains(files[i - 1][0])) << qPrintable(c.nom) << " page " << pagina << ": "
                                                                  << qPrintable(files[i - 1][0]) << " not whole";
            }
        }
    }
}

// Contact cards and texts in Latin, Cyrillic, Greek and kanji, holding a backslash and the
// card's reserved characters, under the character-set options a user may choose: every code
// of LibreOffice's page reads as its record, whole at 300 dpi and label by label at 600 dpi.
TEST(DocumentsCodisLibreOffice, CodesInEveryScriptReadAsTheirRecords)
{
    Cataleg cat;
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) << "LibreOffice (soffice) is not installed";
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) << "pdftoppm is not installed";
    Tanda tanda;
    QTemporaryDir& dir = tanda.dir;
    const EtiquetaCatalogo format = Format(807, 4.23f, 7, 0.045f);
    proves::CatalegDe(cat, {format});
    const int registres = format.Filas * format.Columnas;
    // Half the records hold a tilde, which no Shift JIS run can take, and half do not.
    const QStringList noms{QStringLiteral("Caf\u00e9 Mu\u00f1oz, C:\\temp 25\u00b0C "),
                           QStringLiteral("\u041f\u0435\u0442\u0440\u043e, \u0406\u0432\u0430\u043d C:\\temp "),
                           QStringLiteral("\u0391\u0398\u0397\u039d\u0391: \u039f\u0394\u039f\u03a3 \u2014 C:\\x "),
                           QStringLiteral("\u6771\u4eac\u90fd; \u6e2f\u533a C:\\dir ")};
    QList<QStringList> files;
    for (int i = 0; i < registres; ++i) {
        const QString titlla = i / 4 % 2 ? QStringLiteral("~") : QString();
        files << QStringList{noms[i % 4] + titlla + QString::number(i + 1), QStringLiteral("+380 44 %1").arg(i),
                             QStringLiteral("https://shop.example.net/%1p/%2").arg(titlla).arg(i),
                             QStringLiteral("u%1@example.net").arg(i),
                             QStringLiteral("Office %1; Block L: 22 Harbour Road, Kyiv").arg(i)};
    }
    FullMemoria full(files);

    struct Cas {
        QString nom;
        bool eci;
        int index;   // of the character-set list
        bool targeta;
    };
    const std::vector<Cas> casos{{QStringLiteral("card"), false, 3, true},
                                 {QStringLiteral("card-latin1"), true, 3, true},
                                 {QStringLiteral("text-sjis"), true, 20, false},
                                 {QStringLiteral("text-auto"), true, CodiQR::IndexECIAuto, false}};
    QStringList docs;
    for (const Cas& c : casos) {
        kovel::codes::RegistreCodis codis;
        codis.OpcionsQR.eci = c.eci;
        codis.OpcionsQR.indexEci = c.index;
        codis.OpcionsQR.prefix = CodiQR::PrefixPer(c.eci, c.index, false, false);
        kovel::qr::QRCodeCtrl qr;
        qr.setDataToEncode(QStringLiteral("x"));
        if (c.targeta)
            CodiQR::RegistrarClonPlantilla(codis, qr,
                                           CodiQR::PlantillaVCard(codis.OpcionsQR, QStringLiteral("A"), QStringLiteral("B"),
                                                                  QStringLiteral("C"), QStringLiteral("D"), QStringLiteral("E")),
                                           true);
        else
            CodiQR::RegistrarClon(codis, qr, QStringLiteral("A"));
        auto disseny = DissenyDe(format, 0, c.targeta ? QStringLiteral("TOLV_qr_1_0") : QStringLiteral("TOLV_qr_1_A"), false);
        docs << Genera(cat, codis, full, *disseny, registres, tanda, c.nom);
        ASSERT_FALSE(docs.back().isEmpty());
    }
    const QString conversio = proves::ConverteixAPdf(dir.path(), docs);
    ASSERT_TRUE(conversio.isEmpty()) << qPrintable(conversio);

    for (const Cas& c : casos) {
        std::vector<std::string> esperats;
        for (const QStringList& r : files) esperats.push_back((c.targeta ? CodiQR::DadesVCard({}, r[0], r[1], r[2], r[3], r[4]) : r[0]).toStdString());
        const QString pdf = dir.filePath(c.nom + QStringLiteral(".pdf"));
        const QImage p300 = proves::PaginaPdf(pdf, 1, 300, dir.filePath(c.nom + QStringLiteral("-300")));
        ASSERT_FALSE(p300.isNull()) << qPrintable(c.nom);
        std::multiset<std::string> llegits;
        for (const std::string& t : LlegeixPagina(p300, ZXing::BarcodeFormat::QRCode)) llegits.insert(t);
        EXPECT_EQ(llegits, std::multiset<std::string>(esperats.begin(), esperats.end())) << qPrintable(c.nom);
        // 600 dpi, each label on its own (in whichever order the sheet fills them): a whole
        // A4 page is more than Qt reads by default.
        QImageReader::setAllocationLimit(512);
        const QImage p600 = proves::PaginaPdf(pdf, 1, 600, dir.filePath(c.nom + QStringLiteral("-600")));
        ASSERT_FALSE(p600.isNull()) << qPrintable(c.nom);
        const double cm = 600 / 2.54;
        ZXing::DecodeHints hints;
        hints.setFormats(ZXing::BarcodeFormat::QRCode);
        hints.setTryHarder(true);
        std::multiset<std::string> perEtiqueta;
        for (int i = 0; i < registres; ++i) {
            const int fila = i / format.Columnas, columna = i % format.Columnas;
            const QImage tall = p600.copy(QRect(int(columna * format.PasoHorizontal * cm),
                                                int((format.MargenSuperior + fila * format.PasoVertical) * cm),
                                                int(format.Ancho * cm), int(format.Alto * cm)));
            const ZXing::Result r = ZXing::ReadBarcode(
                {tall.constBits(), tall.width(), tall.height(), ZXing::ImageFormat::Lum, int(tall.bytesPerLine())}, hints);
            EXPECT_TRUE(r.isValid()) << qPrintable(c.nom) << " label " << i + 1;
            perEtiqueta.insert(r.text());
        }
        EXPECT_EQ(perEtiqueta, std::multiset<std::string>(esperats.begin(), esperats.end())) << qPrintable(c.nom);
    }
}

// The last record's contact card is one QR version larger than the others', and a long name
// stands beside it: the code is drawn smaller so that the name stays whole beside it, or the
// record is named in the closing message; either way every code scans.
TEST(DocumentsCodisLibreOffice, ALargerLastCodeKeepsTheLongNameBesideIt)
{
    Cataleg cat;
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) << "LibreOffice (soffice) is not installed";
    Tanda tanda;
    QTemporaryDir& dir = tanda.dir;
    QStringList& missatges = tanda.missatges;
    kovel::qr::QRCodeCtrl qr;
    qr.setDataToEncode(QStringLiteral("x"));
    const auto moduls = [&](const QStringList& r) {
        kovel::qr::QRCodeCtrl q;
        q.setDataToEncode(Targeta(r));
        kovel::codes::ImatgeCodi imatge;
        return CodiQR::FerImatge(q, imatge) ? imatge.pixels.width() / CodiQR::PixelsModul : 0;
    };
    // A sheet of 807 (3 x 7): twenty records of one version, the last one larger.
    constexpr int Registres = 21;
    QList<QStringList> files;
    int mesGran = 0;
    for (int i = 1; i < Registres; ++i) {
        files << Registre(i);
        mesGran = std::max(mesGran, moduls(files.back()));
    }
    QStringList darrer = Registre(Registres);
    darrer[0] = QStringLiteral("Name Longsurname %1").arg(Registres);
    while (moduls(darrer) <= mesGran && darrer[4].size() < 400)
        darrer[4] += QLatin1Char('x');
    ASSERT_EQ(moduls(darrer), mesGran + 4) << "test data: one version larger";
    files << darrer;
    FullMemoria full(files);

    kovel::codes::RegistreCodis codis;
    const EtiquetaCatalogo format = Format(807, 4.23f, 7, 0.045f);
    proves::CatalegDe(cat, {format});
    CodiQR::RegistrarClonPlantilla(codis, qr,
                                   CodiQR::PlantillaVCard({}, QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                                                          QStringLiteral("D"), QStringLiteral("E")),
                                   true);
    auto disseny = DissenyDe(format, 0, QStringLiteral("TOLV_qr_1_0"), true);
    Opcions o(cat, codis);
    o.full = &full;
    o.disseny = disseny.get();
    o.registres = Registres;
    o.dades = dir.filePath(QStringLiteral("dades/"));
    QDir().mkpath(o.dades);
    auto doc = GeneraDocument(0, o);
    ASSERT_TRUE(doc);
    const QString docx = dir.filePath(QStringLiteral("llarg.docx"));
    doc->saveAs(docx);
    const QString conversio = proves::ConverteixAPdf(dir.path(), {docx});
    ASSERT_TRUE(conversio.isEmpty()) << qPrintable(conversio);
    const QString pdf = dir.filePath(QStringLiteral("llarg.pdf"));
    const QImage img = proves::PaginaPdf(pdf, 1, 300, dir.filePath(QStringLiteral("llarg-1")));
    ASSERT_FALSE(img.isNull());
    if (!qEnvironmentVariableIsEmpty("KOVEL_TEST_PAGES"))
        img.save(QDir(qEnvironmentVariable("KOVEL_TEST_PAGES")).filePath(QStringLiteral("llarg-1.png")));

    std::set<std::string> esperats, trobats;
    for (const QStringList& r : files) esperats.insert(Targeta(r).toStdString());
    for (const std::string& llegit : LlegeixPagina(img, ZXing::BarcodeFormat::QRCode)) {
        EXPECT_TRUE(esperats.count(llegit)) << "read " << llegit;
        trobats.insert(llegit);
    }
    EXPECT_EQ(trobats, esperats);
    const QStringList trossos = TrossosPagina(pdf, 1);
    for (int i = 0; i < Registres - 1; ++i)
        EXPECT_TRUE(trossos.contains(files[i][0])) << qPrintable(files[i][0]) << " not whole";
    const bool dit = missatges.size() == 1 && missatges[0].startsWith(QStringLiteral("On 1 label the code and the text beside it")) &&
                     missatges[0].contains(QStringLiteral("Affected: label %1 of sheet 1 (worksheet row %1).").arg(Registres));
    EXPECT_TRUE(dit || (missatges.isEmpty() && trossos.contains(darrer[0])))
        << qPrintable(darrer[0]) << " wrapped without a word: " << qPrintable(missatges.join(QLatin1Char('\n')));
}

namespace {

// The design panel without its window: the frame's editor over the bridge, and what the code
// dialogs see of it, the room at the editor's cursor included.
class Marc : public kovel::codes::EntornDisseny {
public:
    kovel::docframe::Pont pont;
    QTextDocument text;
    QTextCursor cursor{&text};
    MidesFull mides;
    std::unique_ptr<Document> esborrany;
    QString mostra;

    QStringList Camps() const override { return {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")}; }
    QHash<QString, QString> mostres;   // by field; others: `mostra`
    QString ValorMostra(const QString& camp) override { return mostres.value(camp, mostra); }
    Range* Seleccio() override
    {
        esborrany = Document::create();
        return &esborrany->selection();
    }
    std::optional<QSizeF> EspaiCodi() override { return modDsoFraWord::EspaiCodiSeleccio(pont, text, cursor, mides); }

    // The QR dialog's work: a contact card of name A, phone B, web address C and e-mail D,
    // its samples `mostres`; the picture goes in at the cursor. False, with why, when refused.
    bool InsereixTargeta(kovel::codes::RegistreCodis& codis, QString& why)
    {
        using kovel::codes::ModelCodiQR;
        kovel::codes::EstablirEntorn(this);
        ModelCodiQR m(codis);
        m.Activar();
        m.CanviarPestanya(ModelCodiQR::Targeta);
        for (int i = 0; i < 4; ++i)
            m.TriarCampCasella(ModelCodiQR::Targeta, i, Camps()[i]);
        m.TriarCamp(ModelCodiQR::Targeta);
        return AcabaInsercio(m.Inserir(why));
    }
    // A blank design of `format` (the catalogue's first) in Arial 10, the cursor in that font,
    // which it hands back.
    QTextCharFormat Obre(const Cataleg& cat, const EtiquetaCatalogo& format)
    {
        mides = MidesDeCatalogo(cat, 0);
        auto base = proves::DissenySenseMarges(format.Ancho, format.Alto);
        RunFormat lletra;
        lletra.fontName = QStringLiteral("Arial");
        lletra.size = Points(10);
        base->setDefaultRunFormat(lletra);
        pont.Carrega(*base, text);
        QTextCharFormat deu;
        deu.setFontFamilies({QStringLiteral("Arial")});
        deu.setFontPointSize(10);
        cursor.setCharFormat(deu);
        return deu;
    }
    // A picture at the cursor in the font found there, as the frame puts it.
    void Insereix(const InlinePicture& p)
    {
        QTextCharFormat f = cursor.charFormat();
        f.merge(pont.FormatImatge(text, p));
        cursor.insertImage(f.toImageFormat());
    }
    // After a code dialog's insert: the dialog's design context is let go, and the picture it
    // made goes in at the cursor when it was not refused.
    bool AcabaInsercio(bool fet)
    {
        kovel::codes::EstablirEntorn(nullptr);
        if (!fet)
            return false;
        for (const InlinePicture* p : esborrany->inlinePictures())
            Insereix(*p);
        return true;
    }
    // The code dialog's work: `tipus` linked to field D, its sample `valor`, at the width
    // typed as `ample` (none: as the dialog offers it); the picture the dialog made goes in at
    // the cursor. False, with why, when refused.
    bool InsereixCodi(kovel::codes::RegistreCodis& codis, std::int16_t tipus, const QString& valor, QString& why,
                      const QString& ample = {})
    {
        mostra = valor;
        kovel::codes::EstablirEntorn(this);
        kovel::codes::ModelCodiBarres m(codis);
        m.Activar();
        m.TriarTipus(tipus);
        m.SeleccionarCamp(3);
        m.TriarCamp();
        if (!ample.isEmpty())
            m.CanviarAmple(ample);
        return AcabaInsercio(m.Inserir(why));
    }
};

} // namespace

// Codes put on ordinary address labels as a user puts them: each goes in fitted to the room
// the label's other lines leave, the frame keeps the design on one label, and on LibreOffice's
// pages every record's code scans, none under its printable minimum.
TEST(DocumentsCodisLibreOffice, CodesInsertedFittedToOrdinaryLabelsScanOnWholePages)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    ASSERT_FALSE(soffice.isEmpty()) << "LibreOffice (soffice) is not installed";
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) << "pdftoppm is not installed";
    QTemporaryDir dir;
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("KOVEL_TEST_PAGES"));
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("xdg")).toUtf8());
    kovel::EstablirHost(kovel::HostOffice::Excel);
    QStringList missatges;
    mod_rvtMsgBox::setAnswerer([&](const QString& text, std::int16_t, const QString&) {
        missatges << text;
        return std::int16_t(1);
    });

    const EtiquetaCatalogo f803 = Format803();
    struct Cas {
        QString nom;
        EtiquetaCatalogo format;
        bool enviament;   // "Ship to:" and three fields at 10 pt above the code
        std::int16_t tipus;
        ZXing::BarcodeFormat lector;
    };
    const std::vector<Cas> casos{
        {QStringLiteral("ean806"), Format(806, 3.7f, 8, 0), true, kovel::barcode::EAN13, ZXing::BarcodeFormat::EAN13},
        {QStringLiteral("c128_803"), f803, false, kovel::barcode::Code128, ZXing::BarcodeFormat::Code128},
    };
    const auto valor = [](const Cas& c, int i) {
        return c.tipus == kovel::barcode::EAN13 ? QStringLiteral("84%1").arg(i * 7919 % 10000000000LL, 10, 10, QLatin1Char('0'))
                                                : QStringLiteral("SKU-%1/C%2").arg(i, 3, 10, QLatin1Char('0')).arg(3337 + i);
    };
    QStringList docs;
    std::vector<std::set<std::string>> esperats(casos.size());
    for (size_t k = 0; k < casos.size(); ++k) {
        const Cas& c = casos[k];
        Cataleg cat;
        proves::CatalegDe(cat, {c.format});
        kovel::codes::RegistreCodis codis;
        Marc marc;
        const QTextCharFormat deu = marc.Obre(cat, c.format);
        if (c.enviament) {
            marc.cursor.insertText(QStringLiteral("Ship to:"), deu);
            for (const char* camp : {"A", "B", "C"}) {
                marc.cursor.insertBlock();
                marc.cursor.setCharFormat(deu);
                marc.Insereix(modDsoFraWord::CreaImatgeCamp(QString::fromLatin1(camp), 10));
            }
            marc.cursor.insertBlock();
            marc.cursor.setCharFormat(deu);
        }
        QString why;
        ASSERT_TRUE(marc.InsereixCodi(codis, c.tipus, valor(c, 1), why)) << qPrintable(c.nom) << ": " << qPrintable(why);
        EXPECT_EQ(marc.pont.Pagines(marc.text), 1) << qPrintable(c.nom) << ": the design no longer fits its label";
        ASSERT_EQ(codis.ClonsBarres.size(), 1u);

        const auto disseny = marc.pont.Document(marc.text);
        const int registres = c.format.Filas * c.format.Columnas;
        QList<QStringList> files;
        for (int i = 1; i <= registres; ++i) {
            files << QStringList{QStringLiteral("Name Surname %1").arg(i), QStringLiteral("C/ Major %1, 3r 2a").arg(i),
                                 QStringLiteral("08001 Barcelona"), valor(c, i)};
            kovel::barcode::ActiveBC codi;
            codi.setBarType(c.tipus);
            codi.setBarText(files.back()[3]);
            esperats[k].insert((c.tipus == kovel::barcode::EAN13 ? codi.DadesCodificades() : files.back()[3]).toStdString());
        }
        FullMemoria full(files);
        Opcions o(cat, codis);
        o.full = &full;
        o.disseny = disseny.get();
        o.registres = registres;
        o.dades = dir.filePath(c.nom) + QLatin1Char('/');
        QDir().mkpath(o.dades);
        auto doc = GeneraDocument(0, o);
        ASSERT_TRUE(doc);
        EXPECT_TRUE(missatges.isEmpty()) << qPrintable(c.nom + QStringLiteral(": ") + missatges.join(QLatin1Char('\n')));
        // No record's code under its printable minimum.
        const auto pics = doc->inlinePictures();
        ASSERT_EQ(int(pics.size()), registres) << qPrintable(c.nom);
        for (int i = 0; i < registres; ++i) {
            kovel::barcode::ActiveBC codi;
            codi.setBarType(c.tipus);
            codi.setBarText(files[i][3]);
            kovel::codes::ImatgeCodi propia;
            ASSERT_TRUE(CodiBarres::FerImatge(codi, 0, 0, propia));
            const double modul = pics[size_t(i)]->width().value / (propia.ample * 0.75) * propia.modulMm;
            EXPECT_GE(modul, kovel::codes::ModulMinimBarresMm(c.tipus) - 1e-9) << qPrintable(c.nom) << " " << qPrintable(files[i][3]);
            EXPECT_LE(pics[size_t(i)]->width().value, c.format.Ancho / 2.54 * 72 + 0.01) << qPrintable(c.nom);
        }
        docs << dir.filePath(c.nom + QStringLiteral(".docx"));
        doc->saveAs(docs.back());
    }
    const QString conversio = proves::ConverteixAPdf(dir.path(), docs);
    ASSERT_TRUE(conversio.isEmpty()) << qPrintable(conversio);
    for (size_t k = 0; k < casos.size(); ++k) {
        const Cas& c = casos[k];
        const QImage img = proves::PaginaPdf(dir.filePath(c.nom + QStringLiteral(".pdf")), 1, 300, dir.filePath(c.nom + QStringLiteral("-1")));
        ASSERT_FALSE(img.isNull()) << qPrintable(c.nom);
        if (!qEnvironmentVariableIsEmpty("KOVEL_TEST_PAGES"))
            img.save(QDir(qEnvironmentVariable("KOVEL_TEST_PAGES")).filePath(c.nom + QStringLiteral(".png")));
        std::set<std::string> trobats;
        for (const std::string& llegit : LlegeixPagina(img, c.lector)) {
            EXPECT_TRUE(esperats[k].count(llegit)) << qPrintable(c.nom) << ": read " << llegit;
            trobats.insert(llegit);
        }
        for (const std::string& e : esperats[k])
            EXPECT_TRUE(trobats.count(e)) << qPrintable(c.nom) << ": not read " << e;
    }
    mod_rvtMsgBox::resetAnswerer();
}

namespace {

// Labels of 803 filled from a worksheet whose first row heads its columns, by a design made in
// the frame as a user makes it, in Arial 10; the document as LibreOffice prints it.
class Etiquetes803 : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) << "LibreOffice (soffice) is not installed";
        kovel::EstablirHost(kovel::HostOffice::Excel);
        proves::CatalegDe(cat, {format});
        deu = marc.Obre(cat, format);
        // A whole A4 page at 600 dpi is larger than the image reader takes by default.
        QImageReader::setAllocationLimit(1024);
    }
    void TearDown() override { mod_rvtMsgBox::resetAnswerer(); }
    // The frame's design generated with `files` (the header row first) as `nom`.pdf, whose
    // path it hands back; empty, with the failure told, when no document came.
    QString Genera(const QList<QStringList>& files, const QString& nom)
    {
        const auto disseny = marc.pont.Document(marc.text);
        FullMemoria full(files);
        Opcions o(cat, codis);
        o.full = &full;
        o.disseny = disseny.get();
        o.registres = int(files.size()) - 1;
        o.primera = 2;
        o.dades = tanda.dir.filePath(QStringLiteral("dades/"));
        QDir().mkpath(o.dades);
        auto doc = GeneraDocument(0, o);
        if (!doc) {
            ADD_FAILURE() << "no document";
            return {};
        }
        const QString docx = tanda.dir.filePath(nom + QStringLiteral(".docx"));
        doc->saveAs(docx);
        const QString conversio = proves::ConverteixAPdf(tanda.dir.path(), {docx});
        if (!conversio.isEmpty()) {
            ADD_FAILURE() << qPrintable(conversio);
            return {};
        }
        return tanda.dir.filePath(nom + QStringLiteral(".pdf"));
    }
    // Page 1 of `pdf` at `dpi`, kept to look at when KOVEL_TEST_PAGES names a folder.
    QImage Pagina(const QString& pdf, int dpi)
    {
        const QString nom = QFileInfo(pdf).completeBaseName() + QStringLiteral("-%1").arg(dpi);
        const QImage img = proves::PaginaPdf(pdf, 1, dpi, tanda.dir.filePath(nom));
        if (!qEnvironmentVariableIsEmpty("KOVEL_TEST_PAGES"))
            img.save(QDir(qEnvironmentVariable("KOVEL_TEST_PAGES")).filePath(nom + QStringLiteral(".png")));
        return img;
    }

    Tanda tanda;
    const EtiquetaCatalogo format = Format803();
    Cataleg cat;
    kovel::codes::RegistreCodis codis;
    Marc marc;
    QTextCharFormat deu;
};

} // namespace

// A Code 128 at its smallest size with a name beside it, on 803 labels under a header row:
// records whose code and name no longer share a line are named by their label and worksheet
// row as moved, none as cut, and on LibreOffice's pages at 300 and 600 dpi every code scans
// whole and every name prints.
TEST_F(Etiquetes803, ACodeWhoseLineNoLongerHoldsItsTextIsToldSoAndScans)
{
    // Nineteen characters, mostly digits: narrow bars; the records' letters make wider ones.
    const auto valor = [](int i) {
        return i % 7 == 0 ? QStringLiteral("SKU-WIDEBOXLETTER%1").arg(i, 2, 10, QLatin1Char('0'))
                          : QStringLiteral("SKU-%1").arg(i, 15, 10, QLatin1Char('0'));
    };
    QString why;
    ASSERT_TRUE(marc.InsereixCodi(codis, kovel::barcode::Code128, valor(1), why, QStringLiteral("1"))) << qPrintable(why);
    marc.cursor.insertText(QStringLiteral(" "), deu);
    marc.Insereix(modDsoFraWord::CreaImatgeCamp(QStringLiteral("A"), 10));
    EXPECT_EQ(marc.pont.Pagines(marc.text), 1);

    constexpr int Registres = 21;
    QList<QStringList> files{{QStringLiteral("Name"), QStringLiteral("Street"), QStringLiteral("Town"), QStringLiteral("SKU")}};
    std::set<std::string> esperats;
    for (int i = 1; i <= Registres; ++i) {
        files << QStringList{i % 7 == 0 ? QStringLiteral("Warehouse Box %1").arg(i) : QStringLiteral("Box %1").arg(i), {}, {},
                             valor(i)};
        esperats.insert(valor(i).toStdString());
    }
    const QString pdf = Genera(files, QStringLiteral("mogut"));
    ASSERT_FALSE(pdf.isEmpty());
    // Told apart: moved, not cut; each named by its place and its worksheet row.
    ASSERT_EQ(tanda.missatges.size(), 1) << qPrintable(tanda.missatges.join(QLatin1Char('\n')));
    EXPECT_TRUE(tanda.missatges[0].startsWith(QStringLiteral("On 3 labels the code and the text beside it"))) << qPrintable(tanda.missatges[0]);
    EXPECT_TRUE(tanda.missatges[0].contains(QStringLiteral(
        "label 7 of sheet 1 (worksheet row 8), label 14 of sheet 1 (worksheet row 15), label 21 of sheet 1 (worksheet row 22).")))
        << qPrintable(tanda.missatges[0]);
    for (const int dpi : {300, 600}) {
        const QImage img = Pagina(pdf, dpi);
        ASSERT_FALSE(img.isNull());
        std::set<std::string> trobats;
        for (const std::string& llegit : LlegeixPagina(img, ZXing::BarcodeFormat::Code128)) {
            EXPECT_TRUE(esperats.count(llegit)) << dpi << " dpi: read " << llegit;
            trobats.insert(llegit);
        }
        EXPECT_EQ(trobats, esperats) << dpi << " dpi";
    }
    const QStringList trossos = TrossosPagina(pdf, 1);
    for (int i = 1; i <= Registres; ++i)
        EXPECT_TRUE(trossos.join(QLatin1Char(' ')).contains(files[i][0])) << qPrintable(files[i][0]) << " not printed";
}

// A contact card linked to fields, beside a name on 803 labels: the design frame shows the
// sample record's code at the size the dialog chose, and on LibreOffice's page at 600 dpi that
// record's printed symbol is that size within half a millimetre; every card scans at 300 and
// 600 dpi as its record.
TEST_F(Etiquetes803, TheDesignShowsAFieldLinkedQRCodeAsItsSampleRecordPrints)
{
    constexpr int Registres = 21;
    QList<QStringList> files{{QStringLiteral("Name"), QStringLiteral("Phone"), QStringLiteral("Web"), QStringLiteral("Mail")}};
    for (int i = 1; i <= Registres; ++i)
        files << QStringList{QStringLiteral("N%1").arg(i), QStringLiteral("+34 600 %1").arg(i, 6, 10, QLatin1Char('0')),
                             QStringLiteral("https://example.com/p/%1").arg(i), QStringLiteral("user%1@example.com").arg(i)};
    for (int c = 0; c < 4; ++c)
        marc.mostres.insert(marc.Camps()[c], files[1][c]);
    QString why;
    ASSERT_TRUE(marc.InsereixTargeta(codis, why)) << qPrintable(why);
    marc.cursor.insertText(QStringLiteral(" "), deu);
    marc.Insereix(modDsoFraWord::CreaImatgeCamp(QStringLiteral("A"), 10));
    const auto disseny = marc.pont.Document(marc.text);
    const auto mostrat = MidaCodiDisseny(*disseny, 0, &codis);
    ASSERT_TRUE(mostrat);
    // The sample's symbol within the picture the frame shows.
    const QString primera = CodiQR::DadesVCard({}, files[1][0], files[1][1], files[1][2], files[1][3], {});
    kovel::qr::QRCodeCtrl mostra;
    mostra.setDataToEncode(primera);
    const int modulsImatge = disseny->inlinePictures()[0]->pixelSize().width() / CodiQR::PixelsModul;
    ASSERT_GT(modulsImatge, mostra.Moduls());
    const double simbolDisseny = mostrat->width() * mostra.Moduls() / modulsImatge * 25.4 / 72;

    const QString pdf = Genera(files, QStringLiteral("targeta"));
    ASSERT_FALSE(pdf.isEmpty());
    EXPECT_TRUE(tanda.missatges.isEmpty()) << qPrintable(tanda.missatges.join(QLatin1Char('\n')));
    std::set<std::string> esperats;
    for (int i = 1; i <= Registres; ++i)
        esperats.insert(CodiQR::DadesVCard({}, files[i][0], files[i][1], files[i][2], files[i][3], {}).toStdString());
    for (const int dpi : {300, 600}) {
        const QImage img = Pagina(pdf, dpi);
        ASSERT_FALSE(img.isNull());
        std::set<std::string> trobats;
        std::vector<ZXing::Result> resultats;
        LlegeixPagina(img, ZXing::BarcodeFormat::QRCode, &resultats);
        for (const ZXing::Result& r : resultats) {
            EXPECT_TRUE(esperats.count(r.text())) << dpi << " dpi: read " << r.text();
            trobats.insert(r.text());
            if (dpi == 600 && r.text() == primera.toStdString()) {
                const auto& p = r.position();
                const double px = std::hypot(p.topRight().x - p.topLeft().x, p.topRight().y - p.topLeft().y);
                EXPECT_NEAR(px / 600 * 25.4, simbolDisseny, 0.5) << "the first record's printed symbol and the design's";
            }
        }
        EXPECT_EQ(trobats, esperats) << dpi << " dpi";
    }
}
