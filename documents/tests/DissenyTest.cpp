// The hosted design: the frame shows the design it is given and hands back the user's
// changes, field placeholders, the one-page guard, and what the generator makes of it.
#include "documents/CampsDisseny.h"
#include "documents/generar_doc.h"
#include "documents/tests/CatalegProva.h"
#include "documents/ui/MarcDisseny.h"

#include "codes/CodiQR.h"
#include "codes/MidaCodi.h"
#include "documents/MidaCodiDisseny.h"
#include "documents/EspaiDisseny.h"
#include "documents/EspaiCodi.h"

#include "common/Fitxers.h"
#include "common/MsgBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QDir>
#include <QTemporaryDir>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

using namespace kovel;

namespace {

int argc = 1;
char arg0[] = "disseny";
char* argv[] = {arg0, nullptr};

struct AmbApp {
    AmbApp()
    {
        static QApplication* app = new QApplication(argc, argv);
        (void)app;
    }
};

// The generator on the word processor's host: every label takes the design as it is.
struct OpcionsWord : proves::OpcionsAmbCataleg {
    using OpcionsAmbCataleg::OpcionsAmbCataleg;
    word::Document* disseny = nullptr;
    QString programa, dades;
    QString programaOffice() const override { return QStringLiteral("Word"); }
    std::int16_t formatSeleccionat() const override { return 0; }
    bool horitzontal() const override { return false; }
    bool unaEtiquetaPerRegistre() const override { return true; }
    word::Document* dissenyAllotjat() override { return disseny; }
    QString carpetaPrograma() const override { return programa; }
    QString carpetaDades() const override { return dades; }
};

// The text runs and pictures of a story, in order.
void Contingut(const word::Story& story, QList<word::TextRun>& textos, QList<word::InlinePicture>& fotos)
{
    for (const word::Block& b : story.blocks) {
        if (!b.isParagraph())
            continue;
        for (const word::Inline& item : b.paragraph().items) {
            if (const auto* t = std::get_if<word::TextRun>(&item))
                textos << *t;
            else if (const auto* f = std::get_if<word::InlinePicture>(&item))
                fotos << *f;
        }
    }
}

struct Disseny : ::testing::Test, AmbApp {
    Cataleg cat;
    QTemporaryDir programa, dades;
    docframe::MarcDocument marc;
    QTimer timer;
    modDsoFraWord::MarcDisseny md;
    int beeps = 0;
    QStringList avisos;

    void SetUp() override
    {
        QDir().mkpath(programa.filePath("documents_base"));
        auto blanc = word::Document::create();
        word::RunFormat f;
        f.fontName = QStringLiteral("Arial");
        f.size = word::Points(12);
        blanc->setDefaultRunFormat(f);
        blanc->saveAs(programa.filePath("documents_base/Blanc.docx"));
        CarpetaDades = dades.path() + u'/';
        EtiquetaCatalogo e;
        e.Referencia = QStringLiteral("KOVEL 803");
        e.Codigo = 803;
        e.Ancho = 7.0f;
        e.Alto = 3.7f;
        e.PasoHorizontal = 7.0f;
        e.PasoVertical = 3.7f;
        e.Columnas = 2;
        e.Filas = 2;
        e.Holgura = {0.3f, 0.2f};
        proves::CatalegDe(cat, {e});
        md.Enllaca(&marc, &timer);
        md.Beep = [this] { ++beeps; };
        md.AvisDesfet = [this](const QString& t) { avisos << t; };
        marc.setCarpetesProtegides({programa.path()});
        md.ConfiguraBarres();
    }
    // The format's blank label, given to the frame as the state gives it.
    void base(bool horitzontal = false)
    {
        generar_doc::DocumentBase b = generar_doc::PreparaDocumentBase(generar_doc::MidesDeCatalogo(cat, 0), horitzontal,
                                                                       programa.path(), dades.path());
        md.Mostra(*b.document, b.cami);
    }
    void TearDown() override { CarpetaDades.clear(); }
    void escriu(const QString& text)
    {
        QTextCursor c(marc.Editor()->document());
        c.movePosition(QTextCursor::End);
        c.insertText(text);
    }
};

} // namespace

TEST(Camps, PlaceholderCarriesTheFieldAndFollowsTheFontSize)
{
    AmbApp app;
    const word::InlinePicture petit = modDsoFraWord::CreaImatgeCamp(QStringLiteral("Name"), 10);
    const word::InlinePicture gran = modDsoFraWord::CreaImatgeCamp(QStringLiteral("Name"), 20);
    EXPECT_EQ(petit.alternativeText(), QStringLiteral("TOLV_campName"));
    EXPECT_GT(gran.width().value, 1.5 * petit.width().value);
    EXPECT_GT(gran.height().value, 1.5 * petit.height().value);
    // Any name is a name: nothing is built from it but the text and the picture.
    const QString raro = QStringLiteral("a <b> & \"c\"/d");
    EXPECT_EQ(modDsoFraWord::CreaImatgeCamp(raro, 10).alternativeText(), QStringLiteral("TOLV_camp") + raro);
}

// The frame shows the document it is given, at its page, and hands back what the user
// changed, once: nothing before a change, nothing again until the next one.
TEST_F(Disseny, TheFrameShowsTheDesignItIsGivenAndHandsBackTheChanges)
{
    base();
    const word::PageSetup ps = marc.Document()->pageSetup();
    EXPECT_NEAR(ps.pageWidth().value, 7.0 * 72 / 2.54, 0.1);
    EXPECT_NEAR(ps.pageHeight().value, 3.7 * 72 / 2.54, 0.1);
    EXPECT_EQ(md.Edicions(), nullptr);
    escriu(QStringLiteral("kept"));
    const std::unique_ptr<word::Document> editat = md.Edicions();
    ASSERT_NE(editat, nullptr);
    EXPECT_TRUE(editat->content().text().contains(QStringLiteral("kept")));
    EXPECT_EQ(md.Edicions(), nullptr);
    escriu(QStringLiteral("!"));
    EXPECT_NE(md.Edicions(), nullptr);
    // Another design replaces it whole; the frame never writes the program's templates.
    base(true);
    EXPECT_EQ(marc.Document()->pageSetup().orientation(), word::Orientation::Landscape);
    EXPECT_FALSE(marc.Editor()->toPlainText().contains("kept"));
    EXPECT_EQ(md.Edicions(), nullptr);
    escriu(QStringLiteral("x"));
    EXPECT_FALSE(marc.Desa(programa.filePath("documents_base/Blanc.docx")));
}

TEST_F(Disseny, FieldsGoInAtTheSelectionAndTheGuardKeepsOnePage)
{
    base();
    md.InsereixImatgeCamp(QStringLiteral("Name"));
    md.InsereixImatgeCamp(QStringLiteral("Name"));
    const auto pics = marc.Document()->inlinePictures();
    ASSERT_EQ(pics.size(), 2u);
    EXPECT_EQ(pics[1]->alternativeText(), QStringLiteral("TOLV_campName"));

    md.EvitaDuesPagines();
    EXPECT_EQ(beeps, 0);
    escriu(QString(40, u'\n'));
    ASSERT_GE(md.NombrePagines(), 2);
    md.EvitaDuesPagines();
    EXPECT_EQ(md.NombrePagines(), 1);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(marc.Document()->inlinePictures().size(), 2u);
    // The user is told what was taken out: the text, not the pictures that stayed.
    ASSERT_EQ(avisos.size(), 1);
    EXPECT_TRUE(avisos[0].contains(QStringLiteral("text"))) << qPrintable(avisos[0]);
    EXPECT_FALSE(avisos[0].contains(QStringLiteral("code or field"))) << qPrintable(avisos[0]);

    // A document that is two pages long with nothing to undo: the guard gives up quietly
    // and leaves it alone on the next ticks.
    auto llarg = marc.Document()->clone();
    llarg->content().insertAfter(QString(60, QChar(0x0B)));
    llarg->saveAs(dades.filePath("long.docx"));
    md.Mostra(*word::Document::open(dades.filePath("long.docx")), dades.filePath("long.docx"));
    ASSERT_GE(md.NombrePagines(), 2);
    md.EvitaDuesPagines();
    md.EvitaDuesPagines();
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(avisos.size(), 1);
    EXPECT_GE(md.NombrePagines(), 2);
}

// A field's placeholder is as large as the record's text at the size of the text it sits in,
// when it goes in and when that text's size changes afterwards.
TEST_F(Disseny, FieldPlaceholdersTakeTheSizeOfTheirText)
{
    base();
    escriu(QStringLiteral("Ship to: "));
    QTextCursor c(marc.Editor()->document());
    c.movePosition(QTextCursor::End);
    marc.Editor()->setTextCursor(c);
    md.InsereixImatgeCamp(QStringLiteral("Name"));
    auto mida = [this] {
        const word::InlinePicture* p = marc.Document()->inlinePictures().at(0);
        return QSizeF(p->width().value, p->height().value);
    };
    auto esperada = [](double punts) {
        const word::InlinePicture p = modDsoFraWord::CreaImatgeCamp(QStringLiteral("Name"), punts);
        return QSizeF(p.width().value, p.height().value);
    };
    EXPECT_NEAR(mida().height(), esperada(12).height(), 0.05);
    marc.resize(487, 300);
    EXPECT_TRUE(marc.grab().save(QStringLiteral(KOVEL_BINARY_DIR "/placeholder-12pt.png")));
    c.select(QTextCursor::Document);
    marc.Editor()->setTextCursor(c);
    emit marc.findChild<QComboBox*>(QStringLiteral("cboMida"))->textActivated(QStringLiteral("8"));
    EXPECT_NEAR(mida().width(), esperada(8).width(), 0.05);
    EXPECT_NEAR(mida().height(), esperada(8).height(), 0.05);
    EXPECT_EQ(marc.Document()->inlinePictures().at(0)->alternativeText(), QStringLiteral("TOLV_campName"));
    EXPECT_TRUE(marc.grab().save(QStringLiteral(KOVEL_BINARY_DIR "/placeholder-8pt.png")));

    // Only placeholders are remade, and only at another size.
    const word::InlinePicture ara = *marc.Document()->inlinePictures().at(0);
    EXPECT_FALSE(modDsoFraWord::ImatgeCampALaLletra(ara, 8));
    word::InlinePicture codi = ara;
    codi.setAlternativeText(QStringLiteral("TOLV_barres_1_Name"));
    EXPECT_FALSE(modDsoFraWord::ImatgeCampALaLletra(codi, 20));
}

// What is typed and inserted in the editor is what the generator puts in the labels: the
// text, its font, size, weight and colour, and the pictures with their texts and sizes.
TEST_F(Disseny, GeneratorGivesTheEditorsTextFontsAndPictures)
{
    base();
    QTextCursor c(marc.Editor()->document());
    c.movePosition(QTextCursor::End);
    QTextCharFormat f;
    f.setFontFamilies({QStringLiteral("DejaVu Serif")});
    f.setFontPointSize(14);
    f.setFontWeight(QFont::Bold);
    f.setForeground(QColor(0x20, 0x40, 0x80));
    c.insertText(QStringLiteral("Dear "), f);
    marc.Editor()->setTextCursor(c);
    md.InsereixImatgeCamp(QStringLiteral("Name"));
    QImage logo(60, 30, QImage::Format_RGB32);
    logo.fill(Qt::red);
    word::InlinePicture p = word::InlinePicture::fromImage(logo);
    p.setAlternativeText(QStringLiteral("logo"));
    p.setWidth(word::Points(45));
    p.setHeight(word::Points(22.5));
    marc.InsereixImatge(p);

    OpcionsWord o{cat};
    o.disseny = marc.Document();
    o.programa = programa.path();
    o.dades = dades.path() + u'/';
    const std::unique_ptr<word::Document> doc = generar_doc::GeneraDocument(0, o);
    ASSERT_TRUE(doc);
    QList<word::TextRun> textosDisseny, textosEtiqueta;
    QList<word::InlinePicture> fotosDisseny, fotosEtiqueta;
    Contingut(marc.Document()->body(), textosDisseny, fotosDisseny);
    ASSERT_EQ(fotosDisseny.size(), 2);
    for (const auto& [fila, columna] : {std::pair{0, 0}, std::pair{1, 1}}) {
        textosEtiqueta.clear();
        fotosEtiqueta.clear();
        Contingut(doc->table(0).cell(fila, columna).story, textosEtiqueta, fotosEtiqueta);
        QString text;
        const word::TextRun* dear = nullptr;
        for (const word::TextRun& t : textosEtiqueta) {
            text += t.text;
            if (t.text.contains(QStringLiteral("Dear")))
                dear = &t;
        }
        EXPECT_TRUE(text.contains(QStringLiteral("Dear "))) << qPrintable(text);
        ASSERT_NE(dear, nullptr);
        EXPECT_EQ(dear->format.fontName.value_or(QString()), QStringLiteral("DejaVu Serif"));
        EXPECT_DOUBLE_EQ(dear->format.size.value_or(word::Points(0)).value, 14.0);
        EXPECT_TRUE(dear->format.bold.value_or(false));
        EXPECT_EQ(dear->format.colour.value_or(0), 0x204080u);
        ASSERT_EQ(fotosEtiqueta.size(), 2);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(fotosEtiqueta[i].alternativeText(), fotosDisseny[i].alternativeText());
            EXPECT_NEAR(fotosEtiqueta[i].width().value, fotosDisseny[i].width().value, 0.1);
            EXPECT_NEAR(fotosEtiqueta[i].height().value, fotosDisseny[i].height().value, 0.1);
            EXPECT_EQ(fotosEtiqueta[i].png(), fotosDisseny[i].png());
        }
        EXPECT_NEAR(fotosEtiqueta[1].width().value, 45.0, 0.1);
        EXPECT_EQ(fotosEtiqueta[1].alternativeText(), QStringLiteral("logo"));
    }
}


// A field-linked code shows at the size the generation will give it: a name typed after it
// stays beside it, the code drawn smaller, as the printed label has it; a text that cannot
// stand beside it even at the narrowest printable modules leaves it at its size (the
// generation then reports it) and wraps as it will print.
TEST_F(Disseny, ACodesLineIsLaidOutAsItPrints)
{
    base();
    qr::QRCodeCtrl q;
    q.setDataToEncode(QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nFN:Name Surname 1000\nTEL:+34 600 001000\nEND:VCARD"));
    codes::ImatgeCodi imatge;
    ASSERT_TRUE(CodiQR::FerImatge(q, imatge));
    word::InlinePicture codi = word::InlinePicture::fromEncoded(imatge.png, imatge.pixels);
    codi.setAlternativeText(QStringLiteral("TOLV_qr_1_0"));
    const double propi = 70;   // points: a third of the label's width
    codi.setWidth(word::Points(propi));
    codi.setHeight(word::Points(propi));
    marc.InsereixImatge(codi);
    QTextDocument* text = marc.Editor()->document();
    const auto linies = [&] {
        text->documentLayout()->documentSize();   // laid out
        return text->firstBlock().layout()->lineCount();
    };
    const auto ample = [&] { return text->firstBlock().layout()->lineAt(0).naturalTextWidth(); };
    EXPECT_EQ(linies(), 1);
    const double sol = ample();
    EXPECT_NEAR(sol, propi * 96 / 72, 1);   // the label's room holds it: its own size

    escriu(QStringLiteral(" Name Surname Longer"));
    // Shown and painted: the frame then closes with the window, its layout still calling back.
    marc.show();
    QApplication::processEvents();
    EXPECT_EQ(linies(), 1);
    EXPECT_LT(ample(), marc.Editor()->document()->textWidth() + 0.5);
    // The picture itself drawn smaller; the design keeps its own size.
    EXPECT_NEAR(marc.Document()->inlinePictures()[0]->width().value, propi, 0.01);
    const std::optional<QSizeF> mida = generar_doc::MidaCodiDisseny(*marc.Document(), 0);
    ASSERT_TRUE(mida);
    EXPECT_LT(mida->width(), propi);
    EXPECT_GE(mida->width() / (imatge.pixels.width() / CodiQR::PixelsModul) * 25.4 / 72, codes::ModulMinimQRMm - 1e-9);

    escriu(QStringLiteral(" Name Surname Longer").repeated(6));
    EXPECT_GT(linies(), 1);
    EXPECT_NEAR(generar_doc::MidaCodiDisseny(*marc.Document(), 0)->width(), propi, 0.01);
    // A field's placeholder is no code: its own size.
    md.InsereixImatgeCamp(QStringLiteral("Name"));
    EXPECT_FALSE(generar_doc::MidaCodiDisseny(*marc.Document(), 1));
}

// A code put after a line break has its line's whole width, as the generation and the frame
// give it: only the text before the cursor on its own line stands beside it.
TEST_F(Disseny, ACodeAfterALineBreakGetsItsLinesRoom)
{
    base();
    QTextCursor c(marc.Editor()->document());
    QTextCharFormat deu;
    deu.setFontFamilies({QStringLiteral("Arial")});
    deu.setFontPointSize(10);
    c.insertText(QStringLiteral("Ship to: Somebody Long Named"), deu);
    c.insertText(QString(QChar(0x2028)), deu);
    const generar_doc::MidesFull m = generar_doc::MidesDeCatalogo(cat, 0);
    const auto despres = modDsoFraWord::EspaiCodiSeleccio(marc.pont(), *marc.Editor()->document(), c, m);
    QTextCursor buida(marc.Editor()->document());
    buida.movePosition(QTextCursor::End);
    buida.insertBlock();
    const auto sola = modDsoFraWord::EspaiCodiSeleccio(marc.pont(), *marc.Editor()->document(), buida, m);
    ASSERT_TRUE(despres && sola);
    EXPECT_NEAR(despres->width(), sola->width(), 1.0);
    // Before the text, the text stands beside it.
    c.setPosition(0);
    const auto abans = modDsoFraWord::EspaiCodiSeleccio(marc.pont(), *marc.Editor()->document(), c, m);
    ASSERT_TRUE(abans);
    EXPECT_LT(abans->width(), sola->width() - 50);
}
