// Field-linked barcodes and QR codes remade for every record: each label's picture reads
// back, with an independent reader, as that record's value.
#include "documents/CodisDesatsPrograma.h"
#include "documents/CodisPrograma.h"
#include "documents/generar_doc.h"
#include "documents/EspaiCodi.h"
#include "documents/MidaCodiDisseny.h"
#include "documents/MetricaLletra.h"
#include "documents/tests/CatalegProva.h"
#include "documents/tests/OpcionsCodis.h"

#include "catalogue/Catalogo.h"
#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"
#include "codes/MidaCodi.h"
#include "codes/RegistreCodis.h"
#include "common/MsgBox.h"
#include "codes/tests/LectorEmf.h"
#include "platform/barcode/tests/Lector.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

using namespace generar_doc;
using namespace kovel::word;

namespace {

struct Opcions : proves::OpcionsAmbCataleg {
    Opcions(const Cataleg& cat, kovel::codes::RegistreCodis& registre) : OpcionsAmbCataleg(cat), codisPrograma(registre) {}
    FullDades* full = nullptr;
    Document* disseny = nullptr;
    CodisPrograma codisPrograma;
    QString dades;
    QString programaOffice() const override { return QStringLiteral("Excel"); }
    std::int16_t formatSeleccionat() const override { return 0; }
    bool horitzontal() const override { return false; }
    bool unaEtiquetaPerRegistre() const override { return true; }
    QString textFilaInicial() const override { return "1"; }
    QString textFilaFinal() const override { return "3"; }
    FullDades* fullDades() override { return full; }
    Document* dissenyAllotjat() override { return disseny; }
    CodisGeneracio* codis() override { return &codisPrograma; }
    QString carpetaPrograma() const override { return dades + "program"; }
    QString carpetaDades() const override { return dades; }
};

QString Llegit(const InlinePicture* p)
{
    QImage img;
    img = kovel::proves::ImatgeDe(p->png());
    return kovel::proves::Llegir(img).text;
}

// A catalogue of one format, 60 x 40 mm labels two by two, and every question answered No.
void UnFormat6x4(Cataleg& cat)
{
    EtiquetaCatalogo e;
    e.Codigo = 3;
    e.Ancho = 6; e.Alto = 4; e.PasoHorizontal = 6; e.PasoVertical = 4;
    e.Filas = 2; e.Columnas = 2;
    proves::CatalegDe(cat, {e});
    mod_rvtMsgBox::setAnswerer([](const QString&, std::int16_t, const QString&) { return std::int16_t(2); });
}

} // namespace

TEST(DocumentsCodis, EveryLabelReadsAsItsRecord)
{
    kovel::codes::RegistreCodis codis;
    Cataleg cat;
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath("xdg").toUtf8());
    UnFormat6x4(cat);

    // The code dialogs' work: one barcode linked to column A, one QR code to column B, one
    // contact card whose name comes from column B.
    kovel::barcode::ActiveBC barres;
    barres.setBarType(kovel::barcode::Code128);
    barres.setBarText("0");
    CodiBarres::RegistrarClon(codis, barres, "A");
    kovel::qr::QRCodeCtrl qr;
    qr.setDataToEncode("x");
    CodiQR::RegistrarClon(codis, qr, "B");
    CodiQR::RegistrarClonPlantilla(codis, qr, CodiQR::PlantillaVCard(codis.OpcionsQR, "B", "A", "", "", ""), true);

    auto disseny = Document::create();
    for (const QString& alt : {QStringLiteral("TOLV_barres_1_A"), QStringLiteral("TOLV_qr_1_B"), QStringLiteral("TOLV_qr_2_0")}) {
        Range r = disseny->content();
        r.collapse(Collapse::End);
        InlinePicture p = InlinePicture::fromImage(QImage(8, 8, QImage::Format_RGB32));
        p.setAlternativeText(alt);
        r.insertPicture(p);
    }
    FullMemoria full({QStringList{"A-1001", "Ana; Vic"}, QStringList{"B-2002", "Biel"}, QStringList{"", "Cesc"}});
    Opcions o(cat, codis);
    o.full = &full;
    o.disseny = disseny.get();
    o.dades = dir.path() + "/";
    auto doc = GeneraDocument(0, o);
    ASSERT_TRUE(doc);

    auto pics = [&](int r, int c) {
        std::vector<const InlinePicture*> v;
        for (const Block& b : doc->table(0).cell(r, c).story.blocks)
            if (b.isParagraph())
                for (const Inline& i : b.paragraph().items)
                    if (auto* p = std::get_if<InlinePicture>(&i))
                        v.push_back(p);
        return v;
    };
    auto l1 = pics(0, 0);
    ASSERT_EQ(l1.size(), size_t(3));
    EXPECT_EQ(l1[0]->alternativeText(), "TOLV_barcode_A");
    EXPECT_EQ(Llegit(l1[0]), "A-1001");
    EXPECT_EQ(l1[1]->alternativeText(), "TOLV_QR_B");
    EXPECT_EQ(Llegit(l1[1]), "Ana; Vic");
    const QString card = Llegit(l1[2]);   // the card's values are escaped
    EXPECT_TRUE(card.startsWith("MECARD:N:Ana\\; Vic;TEL:A-1001;")) << qPrintable(card);
    auto l2 = pics(0, 1);
    ASSERT_EQ(l2.size(), size_t(3));
    EXPECT_EQ(Llegit(l2[0]), "B-2002");
    EXPECT_EQ(Llegit(l2[1]), "Biel");
    auto l3 = pics(1, 0);   // an empty cell: no barcode, the QR codes still made
    ASSERT_EQ(l3.size(), size_t(2));
    EXPECT_EQ(Llegit(l3[0]), "Cesc");
    mod_rvtMsgBox::resetAnswerer();
}

namespace {

Paragraph Linia(const QString& text)
{
    Paragraph p;
    p.items.push_back(TextRun{text, {}});
    return p;
}

// Side of the QR code of the label at `fila`, `columna` (points), and its modules with quiet zone.
std::pair<double, int> CodiQRDe(Document& doc, int fila, int columna)
{
    for (const Block& b : doc.table(0).cell(fila, columna).story.blocks)
        if (b.isParagraph())
            for (const Inline& i : b.paragraph().items)
                if (auto* p = std::get_if<InlinePicture>(&i))
                    if (p->alternativeText().startsWith("TOLV_QR"))
                        return {p->width().value, p->pixelSize().width() / CodiQR::PixelsModul};
    return {0, 0};
}

} // namespace

// A record's code larger than its label's room is drawn smaller, in whole dots of 600 dpi a
// module; one that would need modules under the printable minimum is cut at that minimum and
// the generation says which labels will not scan.
TEST(DocumentsCodis, ACodeLargerThanItsLabelIsDrawnSmallerOrTold)
{
    kovel::codes::RegistreCodis codis;
    Cataleg cat;
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath("xdg").toUtf8());
    EtiquetaCatalogo e;
    e.Codigo = 806;
    e.Ancho = 7; e.Alto = 3.7f; e.PasoHorizontal = 7; e.PasoVertical = 3.7f;
    e.Filas = 2; e.Columnas = 2;
    proves::CatalegDe(cat, {e});
    QStringList missatges;
    mod_rvtMsgBox::setAnswerer([&](const QString& text, std::int16_t, const QString&) {
        missatges << text;
        return std::int16_t(1);
    });
    kovel::qr::QRCodeCtrl qr;
    qr.setDataToEncode("x");
    CodiQR::RegistrarClon(codis, qr, "B");

    // A line of text, then the code; the label without insets.
    auto disseny = proves::DissenySenseMarges(7, 3.7);
    disseny->content().setText("Name");
    Range r = disseny->content();
    r.collapse(Collapse::End);
    r.insertAfter("\r");
    {
        Range fi = disseny->content();
        fi.collapse(Collapse::End);
        InlinePicture p = InlinePicture::fromImage(QImage(8, 8, QImage::Format_RGB32));
        p.setAlternativeText("TOLV_qr_1_B");
        fi.insertPicture(p);
    }
    // Two empty lines at the foot take no room from the code.
    disseny->body().blocks.push_back(Block{Paragraph()});
    disseny->body().blocks.push_back(Block{Paragraph()});

    const QString llarg = QString("https://example.com/").append(QString(130, 'a'));   // version 8 or 9
    const QString enorme = QString(1800, 'z');                                          // needs ~0.2 mm modules
    FullMemoria full({QStringList{"", "short"}, QStringList{"", llarg}, QStringList{"", enorme}});
    Opcions o(cat, codis);
    o.full = &full;
    o.disseny = disseny.get();
    o.dades = dir.path() + "/";
    auto doc = GeneraDocument(0, o);
    ASSERT_TRUE(doc);

    const double alt = 37 / 25.4 * 72;   // the label's height in points
    // Its own size (3 pixels of 96 dpi a module) when that fits.
    const auto [curt, modulsCurt] = CodiQRDe(*doc, 0, 0);
    EXPECT_NEAR(curt, modulsCurt * 3 * 0.75, 0.01);
    // Smaller to fit under the text line, every module whole dots of 600 dpi, printable.
    const auto [llarg_, modulsLlarg] = CodiQRDe(*doc, 0, 1);
    EXPECT_GT(modulsLlarg * 3 * 0.75, alt) << "test data: the code's own size must not fit";
    EXPECT_LT(llarg_, alt - 12 * 1.2 - 3);   // under the line of text, above the line's foot
    const double punts = llarg_ / modulsLlarg / 72 * 600;
    EXPECT_NEAR(punts, std::round(punts), 1e-3);
    EXPECT_GE(llarg_ / modulsLlarg / 72 * 25.4, 0.25);
    EXPECT_GT(llarg_, alt * 0.5);   // and no smaller than the room asks
    // Unprintable: at its smallest printable size, cut, and the closing message names the
    // label by its place on the sheet and its worksheet row.
    const auto [enorme_, modulsEnorme] = CodiQRDe(*doc, 1, 0);
    EXPECT_NEAR(enorme_ / modulsEnorme / 72 * 25.4, kovel::codes::ModulMinimQRMm, 1e-6);
    ASSERT_EQ(missatges.size(), 1) << qPrintable(missatges.join('\n'));
    EXPECT_TRUE(missatges[0].startsWith("1 code does not fit")) << qPrintable(missatges[0]);
    EXPECT_TRUE(missatges[0].contains("Affected: label 3 of sheet 1 (worksheet row 3).")) << qPrintable(missatges[0]);
    mod_rvtMsgBox::resetAnswerer();
}

// The room of a code: the label less the other lines and the text beside it, in the fonts
// the word processor draws; empty lines after the last that shows something stand outside
// the label and take none. Text on the code's line stays beside it: a text that fills the
// line leaves the code no width (it is then reported), never wrapped below it.
TEST(DocumentsCodis, TheRoomOfACodeIsWhatTheOtherLinesLeave)
{
    kovel::codes::RegistreCodis codis;
    auto d = Document::create();
    d->body().blocks.clear();
    d->body().blocks.push_back(Block{Linia("Line above")});
    d->body().blocks.push_back(Block{Linia("")});                   // the code's line, nothing beside
    d->body().blocks.push_back(Block{Paragraph()});
    const RunFormat lletra = d->defaultRunFormat();
    const double mida = MidaDe(lletra);
    const MetriquesLinia linia = MetricaLletra::Linia(lletra);
    const QSizeF caixa(200, 100);
    const auto lloc = [&] { return Range(*d, d->body(), {1, 0}, {1, 0}); };
    const auto espai = EspaiCodi(*d, lloc(), caixa);
    ASSERT_TRUE(espai);
    EXPECT_DOUBLE_EQ(espai->width(), 200);
    EXPECT_NEAR(espai->height(), 100 - (linia.linia + linia.descens) * mida, 1e-9);

    d->body().blocks[1] = Block{Linia(" Name Surname")};               // text beside the code
    const auto costat = EspaiCodi(*d, lloc(), caixa);
    EXPECT_NEAR(costat->width(), 200 - MetricaLletra::Ample(" Name Surname", lletra), 1e-9);
    EXPECT_GT(MetricaLletra::Ample(" Name Surname", lletra), mida * 3);
    EXPECT_DOUBLE_EQ(costat->height(), espai->height());
    // On a line of its own, that text goes under the code; the code itself has the label
    // under the line above it.
    const auto espais = EspaisCodi(*d, lloc(), caixa);
    EXPECT_EQ(espais->costat, *costat);
    EXPECT_DOUBLE_EQ(espais->sol.width(), 200);
    EXPECT_NEAR(espais->sol.height(), espai->height() - linia.linia * mida, 1e-9);
    EXPECT_DOUBLE_EQ(espais->sencer.height(), espai->height());
    // Too long to stand beside any code: no width, the same height (not a line less).
    d->body().blocks[1] = Block{Linia(" Name Surname Name Surname Name Surname Name Surname Name Surname")};
    EXPECT_DOUBLE_EQ(EspaiCodi(*d, lloc(), caixa)->width(), 0);
    EXPECT_DOUBLE_EQ(EspaiCodi(*d, lloc(), caixa)->height(), espai->height());
    // After a manual break the text is a line of its own under the code.
    d->body().blocks[1] = Block{Linia(QStringLiteral("\x0BName Surname"))};
    EXPECT_DOUBLE_EQ(EspaiCodi(*d, lloc(), caixa)->width(), 200);
    EXPECT_NEAR(EspaiCodi(*d, lloc(), caixa)->height(), espai->height() - linia.linia * mida, 1e-9);
    // Another picture on the code's line goes to a line of its own, the text next to the code stays.
    Paragraph ambImatge;
    InlinePicture altra = InlinePicture::fromImage(QImage(8, 8, QImage::Format_RGB32));
    altra.setWidth(Points(150));
    altra.setHeight(Points(8));
    ambImatge.items.push_back(altra);
    ambImatge.items.push_back(TextRun{" Label ", {}});
    ambImatge.items.push_back(TextRun{" Name", {}});
    d->body().blocks[1] = Block{ambImatge};
    const auto entre = EspaiCodi(*d, Range(*d, d->body(), {1, 8}, {1, 8}), caixa);
    EXPECT_NEAR(entre->width(), 200 - MetricaLletra::Ample(" Label ", lletra) - MetricaLletra::Ample(" Name", lletra), 1e-9);
    EXPECT_NEAR(entre->height(), espai->height() - linia.linia * mida, 1e-9);
    // A data field's placeholder beside the code is the record's text in the print: it
    // stays beside it, as wide as it shows.
    Paragraph ambCamp;
    InlinePicture camp = InlinePicture::fromImage(QImage(8, 8, QImage::Format_RGB32));
    camp.setAlternativeText(QStringLiteral("TOLV_campA"));
    camp.setWidth(Points(40));
    camp.setHeight(Points(10));
    ambCamp.items.push_back(camp);
    d->body().blocks[1] = Block{ambCamp};
    EXPECT_NEAR(EspaiCodi(*d, lloc(), caixa)->width(), 160, 1e-9);
    EXPECT_DOUBLE_EQ(EspaiCodi(*d, lloc(), caixa)->height(), espai->height());
    d->body().blocks[1] = Block{Linia("")};
    d->body().blocks.push_back(Block{Linia("Line below")});
    EXPECT_NEAR(EspaiCodi(*d, lloc(), caixa)->height(), espai->height() - 2 * linia.linia * mida, 1e-9);
    EXPECT_FALSE(EspaisCodi(*d, lloc(), caixa)->AmbText());
    EXPECT_NEAR(EspaisCodi(*d, lloc(), caixa)->sencer.height(), espai->height(), 1e-9);
    EXPECT_FALSE(EspaiCodi(*d, lloc(), std::nullopt));
}

namespace {

// The pictures of a design holding only the field-linked code `etiqueta`, generated on a
// 60 x 40 mm label without insets for `valors`, a label each.
std::vector<InlinePicture> UnCodiPerValor(kovel::codes::RegistreCodis& codis, const QString& etiqueta, const QStringList& valors)
{
    Cataleg cat;
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath("xdg").toUtf8());
    UnFormat6x4(cat);
    auto disseny = proves::DissenySenseMarges(6, 4);
    proves::Marcador(*disseny, etiqueta);
    QList<QStringList> files;
    for (const QString& v : valors) files << QStringList{v};
    FullMemoria full(files);
    Opcions o(cat, codis);
    o.full = &full;
    o.disseny = disseny.get();
    o.dades = dir.path() + "/";
    auto doc = GeneraDocument(0, o);
    mod_rvtMsgBox::resetAnswerer();
    std::vector<InlinePicture> r;
    if (doc)
        for (const InlinePicture* p : doc->inlinePictures()) r.push_back(*p);
    return r;
}

} // namespace

// The size the user gave a field's code in the design: every record's code is drawn at its
// module, and only one that would not fit at it is drawn smaller. A saved design keeps it.
TEST(DocumentsCodis, TheUsersSizeHoldsForEveryRecordAndGivesWayOnlyToTheRoom)
{
    kovel::codes::RegistreCodis codis;
    constexpr double Modul = 6 * 25.4 / 600;   // six dots of 600 dpi
    kovel::barcode::ActiveBC barres;
    barres.setBarType(kovel::barcode::Code128);
    barres.setModulMm(Modul);
    CodiBarres::RegistrarClon(codis, barres, "A");
    const QStringList valors{"A1", "SKU-001/C3338", "ABCDEFGHIJKLMNOPQRST"};
    const auto pics = UnCodiPerValor(codis, "TOLV_barres_1_A", valors);
    ASSERT_EQ(pics.size(), 3u);
    const double ample = 60 / 25.4 * 72;
    for (int i = 0; i < 3; ++i) {
        kovel::barcode::ActiveBC c;
        c.setBarType(kovel::barcode::Code128);
        c.setBarText(valors[i]);
        kovel::codes::ImatgeCodi propia;
        ASSERT_TRUE(CodiBarres::FerImatge(c, 0, 0, propia));
        const double modul = pics[i].width().value / (propia.ample * 0.75) * propia.modulMm;
        EXPECT_NEAR(pics[i].height().value / pics[i].width().value, propia.alt / propia.ample, 1e-3) << i;
        if (i < 2) {
            EXPECT_NEAR(modul, Modul, 1e-6) << qPrintable(valors[i]);
        } else {
            ASSERT_GT(propia.ample * 0.75 * Modul / propia.modulMm, ample) << "test data: at the user's size it must not fit";
            EXPECT_LE(pics[i].width().value, ample + 0.01);
            EXPECT_LT(modul, Modul);
            EXPECT_GE(modul, kovel::codes::ModulMinimBarresMm(kovel::barcode::Code128));
        }
    }

    // Saved and restored with the design's codes.
    guardar::CodisDesatsPrograma desats(codis);
    const auto desat = desats.exporta(guardar::EtiquetaCodi{false, 1, "A"});
    ASSERT_TRUE(desat);
    kovel::codes::RegistreCodis altra;
    guardar::CodisDesatsPrograma restaurats(altra);
    QString error;
    ASSERT_TRUE(restaurats.importa(*desat, error)) << qPrintable(error);
    EXPECT_DOUBLE_EQ(altra.ClonsBarres.at(0)->ModulMm(), codis.ClonsBarres.at(0)->ModulMm());
    guardar::CodiDesat dolent = *desat;
    for (auto& [k, v] : dolent.propietats)
        if (k == "ModulMm") v = "-1";
    EXPECT_FALSE(restaurats.importa(dolent, error));
    EXPECT_TRUE(error.contains("ModulMm")) << qPrintable(error);
    mod_rvtMsgBox::resetAnswerer();
}

// The design shows a field's barcode at the size the generation gives it, down to its own
// type's printable minimum: the run's codes tell the type; without them, the narrowest of any.
TEST(DocumentsCodis, TheDesignShowsABarcodeDownToItsOwnTypesMinimum)
{
    kovel::codes::RegistreCodis codis;
    kovel::barcode::ActiveBC bc;
    bc.setBarType(kovel::barcode::EAN13);
    bc.setBarText("590123412345");
    CodiBarres::RegistrarClon(codis, bc, "A");
    kovel::codes::ImatgeCodi imatge;
    ASSERT_TRUE(CodiBarres::FerImatge(bc, 0, 0, imatge));
    const double moduls = imatge.ample / (imatge.modulMm / 25.4 * 96);
    const double minimEan = kovel::codes::ModulMinimBarresMm(kovel::barcode::EAN13);
    const double minimTots = kovel::codes::ModulMinimBarresMm(-1);
    ASSERT_LT(minimTots, minimEan - 0.04) << "test data: a room between the two minimums";
    const double ampleMm = moduls * (minimTots + minimEan) / 2;
    auto d = proves::DissenySenseMarges(ampleMm / 10, 10);
    InlinePicture p = InlinePicture::fromEncoded(imatge.png, imatge.pixels);
    ASSERT_TRUE(p.isVector());
    p.setAlternativeText("TOLV_barres_1_A");
    p.setWidth(Points(imatge.ample * 0.75));
    p.setHeight(Points(imatge.alt * 0.75));
    Range fi = d->content();
    fi.collapse(Collapse::End);
    fi.insertPicture(p);

    const auto sense = MidaCodiDisseny(*d, 0);
    ASSERT_TRUE(sense);
    EXPECT_LE(sense->width(), ampleMm / 25.4 * 72 + 0.01);
    EXPECT_LT(sense->width() * 25.4 / 72 / moduls, minimEan);
    // Not printable as an EAN-13 in that room: left at its size, as the generation leaves it.
    const auto amb = MidaCodiDisseny(*d, 0, &codis);
    ASSERT_TRUE(amb);
    EXPECT_NEAR(amb->width(), imatge.ample * 0.75, 0.01);
    // A tag the run has no code for: the narrowest again.
    d->inlinePictures()[0]->setAlternativeText("TOLV_barres_2_B");
    EXPECT_NEAR(MidaCodiDisseny(*d, 0, &codis)->width(), sense->width(), 1e-9);
}

// A QR code likewise: every record's code at the user's module, more data making it larger,
// and only one that would not fit at it drawn smaller. The design's codes file keeps the size;
// a value no code takes is refused by name, and a file written before sizes still opens.
TEST(DocumentsCodis, AQRCodesUserSizeHoldsForEveryRecordAndIsKeptInTheCodesFile)
{
    kovel::codes::RegistreCodis codis;
    constexpr double Modul = 20 * 25.4 / 600;   // twenty dots of 600 dpi
    kovel::qr::QRCodeCtrl qr;
    qr.setModulMm(Modul);
    CodiQR::RegistrarClon(codis, qr, "A");
    const QStringList valors{"A1", "https://example.com/a/b", QString("abcdefghij").repeated(15)};
    const auto pics = UnCodiPerValor(codis, "TOLV_qr_1_A", valors);
    ASSERT_EQ(pics.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const int n = pics[i].pixelSize().width() / CodiQR::PixelsModul;
        const double modul = pics[i].width().value * 25.4 / 72 / n;
        EXPECT_NEAR(pics[i].height().value, pics[i].width().value, 1e-6) << i;
        if (i < 2) {
            EXPECT_NEAR(modul, Modul, 1e-6) << qPrintable(valors[i]);
        } else {
            ASSERT_GT(n * Modul, 40) << "test data: at the user's size it must not fit";
            EXPECT_LE(pics[i].width().value, 40 / 25.4 * 72 + 0.01);
            EXPECT_LT(modul, Modul);
            EXPECT_GE(modul, kovel::codes::ModulMinimQRMm);
        }
    }
    EXPECT_GT(pics[1].width().value, pics[0].width().value) << "more data, more modules of the same size";

    guardar::CodisDesatsPrograma desats(codis);
    guardar::CodisDisseny disseny;
    disseny.general = desats.general();
    const auto desat = desats.exporta(guardar::EtiquetaCodi{true, 1, "A"});
    ASSERT_TRUE(desat);
    disseny.codis << *desat;
    const QByteArray ini = guardar::EscriuCodis(disseny);
    const auto restaura = [](const QByteArray& text, QString& error) -> std::optional<double> {
        guardar::CodisDisseny llegit;
        if (!guardar::LlegeixCodis(text, "x/codis.ini", llegit, error) || llegit.codis.size() != 1)
            return std::nullopt;
        kovel::codes::RegistreCodis altra;
        guardar::CodisDesatsPrograma restaurats(altra);
        if (!restaurats.importa(llegit.codis[0], error))
            return std::nullopt;
        return altra.ClonsQR.at(0)->ModulMm();
    };
    QString error;
    const auto modul = restaura(ini, error);
    ASSERT_TRUE(modul) << qPrintable(error);
    EXPECT_NEAR(*modul, Modul, 1e-9);
    const qsizetype on = ini.indexOf("\nModulMm=");
    ASSERT_GE(on, 0) << ini.constData();
    const qsizetype fi = ini.indexOf('\n', on + 1);
    QByteArray dolent = ini;
    dolent.replace(on, fi - on, "\nModulMm=wide");
    EXPECT_FALSE(restaura(dolent, error));
    EXPECT_TRUE(error.contains("ModulMm") && error.contains("wide")) << qPrintable(error);
    QByteArray abans = ini;
    abans.remove(on, fi - on);
    const auto sense = restaura(abans, error);
    ASSERT_TRUE(sense) << qPrintable(error);
    EXPECT_EQ(*sense, 0) << "its own size";
}
