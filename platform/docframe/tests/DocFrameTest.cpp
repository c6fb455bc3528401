// The document frame: what goes through the editor comes out the same, edits reach the
// model, and saves go only where they may.
#include "platform/docframe/ui/MarcDocument.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QToolBar>
#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>

#include <map>

using namespace kovel;
using namespace kovel::docframe;

namespace {

int argc = 1;
char arg0[] = "docframe";
char* argv[] = {arg0, nullptr};
QApplication& App()
{
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

word::InlinePicture Quadre(QColor c, const QString& alt)
{
    QImage img(40, 20, QImage::Format_RGB32);
    img.fill(c);
    word::InlinePicture p = word::InlinePicture::fromImage(img);
    p.setAlternativeText(alt);
    return p;
}

// A label design with what a design holds: formatted runs, a line break, a picture with
// its alternative text, a table, and a floating spacer line the editor cannot show.
std::unique_ptr<word::Document> Disseny()
{
    auto d = word::Document::create();
    word::PageSetup ps = d->pageSetup();
    ps.setPageWidth(word::Points(200));
    ps.setPageHeight(word::Points(100));
    ps.setLeftMargin(word::Points(6));
    ps.setRightMargin(word::Points(6));
    ps.setTopMargin(word::Points(4));
    ps.setBottomMargin(word::Points(4));
    d->setPageSetup(ps);
    word::RunFormat def;
    def.fontName = QStringLiteral("Arial");
    def.size = word::Points(10);
    d->setDefaultRunFormat(def);

    word::Paragraph p1;
    p1.format.alignment = word::Alignment::Centre;
    p1.format.spaceAfter = word::Points(6);
    word::RunFormat bold;
    bold.bold = true;
    bold.size = word::Points(14);
    bold.colour = 0x204080;
    p1.items.emplace_back(word::TextRun{QStringLiteral("Hello "), bold});
    p1.items.emplace_back(word::TextRun{QStringLiteral("world\x0Bsecond line"), word::RunFormat{}});
    word::FloatingLine linia;
    linia.endX = word::Points(10);
    p1.items.emplace_back(linia);
    word::Paragraph p2;
    p2.items.emplace_back(Quadre(Qt::red, QStringLiteral("TOLV_campName")));
    p2.items.emplace_back(word::TextRun{QStringLiteral(" after"), word::RunFormat{}});
    d->body().blocks = {word::Block{p1}, word::Block{p2}};
    word::Table t(1, 2, word::Points(80));
    t.rows[0].setHeight(word::Points(30), word::HeightRule::Exactly);
    t.cell(0, 1).story.blocks.front().paragraph().items.emplace_back(word::TextRun{QStringLiteral("cell"), {}});
    d->body().blocks.push_back(word::Block{t});
    d->body().blocks.push_back(word::Block{word::Paragraph{}});
    return word::Document::fromBytes(d->toBytes(), QStringLiteral("design"));
}

struct AmbApp {
    AmbApp() { App(); }
};

struct Frame : ::testing::Test, AmbApp {
    QTemporaryDir dir;
    MarcDocument marc;
    QString desa(const word::Document& d, const QString& nom)
    {
        const QString p = dir.filePath(nom);
        d.clone()->saveAs(p);
        return p;
    }
};

} // namespace

TEST_F(Frame, WhatGoesThroughTheEditorComesOutTheSame)
{
    auto orig = Disseny();
    marc.Obre(desa(*orig, "d.docx"));
    EXPECT_TRUE(marc.Desat());
    word::Document* d = marc.Document();
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->body() == orig->body());
    EXPECT_TRUE(d->pageSetup() == orig->pageSetup());
    EXPECT_EQ(marc.NombrePagines(), 1);
    EXPECT_NEAR(marc.MidaPagina().width(), 200 * 96.0 / 72, 0.01);

    // Edited, saved and opened a hundred times: nothing grows and nothing is lost.
    QByteArray primer;
    for (int i = 0; i < 100; ++i) {
        QTextCursor c(marc.Editor()->document());
        c.movePosition(QTextCursor::End);
        c.insertText(QStringLiteral("x"));
        c.deletePreviousChar();
        ASSERT_TRUE(marc.Desa(dir.filePath("d.docx")));
        marc.Obre(dir.filePath("d.docx"));
        QFile f(dir.filePath("d.docx"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray b = f.readAll();
        if (i == 0)
            primer = b;
        EXPECT_LE(b.size(), primer.size() + 64) << "cycle " << i;
    }
    EXPECT_TRUE(marc.Document()->body() == orig->body());
}

TEST_F(Frame, EditsReachTheModel)
{
    marc.Obre(desa(*Disseny(), "d.docx"));
    QTest::mouseClick(marc.Editor()->viewport(), Qt::LeftButton);
    QTextCursor c(marc.Editor()->document());
    c.movePosition(QTextCursor::End);
    marc.Editor()->setTextCursor(c);
    QTest::keyClicks(marc.Editor(), QStringLiteral("typed"));
    EXPECT_FALSE(marc.Desat());
    c = marc.Editor()->textCursor();
    c.movePosition(QTextCursor::StartOfWord, QTextCursor::KeepAnchor);
    marc.Editor()->setTextCursor(c);
    marc.findChild<QAction*>(QStringLiteral("btnNegreta"))->trigger();
    marc.findChild<QAction*>(QStringLiteral("btnDreta"))->trigger();

    const word::Paragraph& ultim = marc.Document()->body().blocks.back().paragraph();
    ASSERT_FALSE(ultim.items.empty());
    const auto& run = std::get<word::TextRun>(ultim.items.back());
    EXPECT_EQ(run.text, QStringLiteral("typed"));
    EXPECT_EQ(run.format.bold, true);
    EXPECT_EQ(ultim.format.alignment, word::Alignment::Right);
    // The floating line stays with its paragraph.
    const auto& p1 = marc.Document()->body().blocks.front().paragraph();
    EXPECT_EQ(std::count_if(p1.items.begin(), p1.items.end(),
                            [](const word::Inline& i) { return std::holds_alternative<word::FloatingLine>(i); }),
              1);
}

TEST_F(Frame, PicturesGoInAtTheSelectionInItsFontAndCountPages)
{
    marc.Obre(desa(*Disseny(), "d.docx"));
    QTextCursor c(marc.Editor()->document());
    c.movePosition(QTextCursor::Start);
    c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
    marc.Editor()->setTextCursor(c);
    EXPECT_DOUBLE_EQ(marc.MidaLletraSeleccio(), 14.0);
    // A selection from 14 pt text into unformatted text: the size at its start.
    c.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, 6);
    marc.Editor()->setTextCursor(c);
    EXPECT_DOUBLE_EQ(marc.MidaLletraSeleccio(), 14.0);
    marc.InsereixImatge(Quadre(Qt::blue, QStringLiteral("TOLV_campCity")));
    std::vector<QString> alts;
    for (word::InlinePicture* p : marc.Document()->inlinePictures())
        alts.push_back(p->alternativeText());
    EXPECT_EQ(alts, (std::vector<QString>{"TOLV_campCity", "TOLV_campName"}));
    auto ids = marc.Document()->pictureIds();
    EXPECT_NE(ids[0], ids[1]);

    QTextCursor fi(marc.Editor()->document());
    fi.movePosition(QTextCursor::End);
    for (int i = 0; i < 20; ++i)
        fi.insertText(QStringLiteral("a line of text that fills the label\n"));
    EXPECT_GE(marc.NombrePagines(), 2);
    while (marc.NombrePagines() > 1 && marc.Desfes()) {
    }
    EXPECT_EQ(marc.NombrePagines(), 1);

    ASSERT_TRUE(marc.EsperaImatges(60000));
    const QImage img = marc.grab().toImage();
    EXPECT_TRUE(img.save(QStringLiteral(KOVEL_BINARY_DIR "/docframe-design.png")));
}

TEST_F(Frame, SavesGoOnlyWhereTheyMay)
{
    const QString plantilles = dir.filePath("documents_base");
    QDir().mkpath(plantilles);
    const QString blanc = desa(*Disseny(), "documents_base/Blanc.docx");
    QFile f(blanc);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray abans = f.readAll();
    f.close();
    marc.setCarpetesProtegides({plantilles});
    marc.Obre(blanc);
    QTest::keyClicks(marc.Editor(), QStringLiteral("changed"));
    EXPECT_FALSE(marc.Desa());
    QTest::keyClick(marc.Editor(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), abans);
    f.close();

    bool preguntat = false;
    QObject::connect(&marc, &MarcDocument::abansDeDesar, [&](const QString&, bool* cancel) {
        preguntat = true;
        *cancel = true;
    });
    EXPECT_FALSE(marc.Desa(dir.filePath("other.docx")));
    EXPECT_TRUE(preguntat);
    EXPECT_FALSE(QFile::exists(dir.filePath("other.docx")));
    EXPECT_THROW(marc.Obre(dir.filePath("missing.docx")), word::WordError);
    // Pasted HTML naming a local file does not make the editor read it.
    const std::size_t abansPics = marc.Document()->inlinePictures().size();
    QMimeData html;
    html.setHtml(QStringLiteral("<p>x<img src=\"file:///etc/hostname\"></p>"));
    marc.Editor()->textCursor().insertHtml(html.html());
    EXPECT_EQ(marc.Document()->inlinePictures().size(), abansPics);
    EXPECT_TRUE(marc.TeDocument()) << "a failed open keeps what was shown";
}

namespace {

// A picture that stands for text: as wide as four pixels a point of its font size.
word::InlinePicture ALaMida(double punts, const QString& alt)
{
    QImage img(int(punts * 4), int(punts * 2), QImage::Format_RGB32);
    img.fill(Qt::green);
    word::InlinePicture p = word::InlinePicture::fromImage(img);
    p.setAlternativeText(alt);
    return p;
}

} // namespace

// A new font size remakes the selection's pictures that stand for text, in one undo step with
// the text; other pictures, other formats and pictures outside the selection are left alone.
TEST_F(Frame, PicturesThatStandForTextFollowTheFontSize)
{
    marc.Obre(desa(*Disseny(), "d.docx"));
    std::vector<double> demanats;
    marc.setImatgeALaLletra([&demanats](const word::InlinePicture& p, double punts) -> std::optional<word::InlinePicture> {
        if (!p.alternativeText().startsWith(QLatin1String("TOLV_camp")))
            return std::nullopt;
        demanats.push_back(punts);
        return ALaMida(punts, p.alternativeText());
    });
    // A code beside the placeholder, and a placeholder in the first line, left unselected.
    QTextCursor c(marc.Editor()->document());
    c.movePosition(QTextCursor::Start);
    marc.Editor()->setTextCursor(c);
    marc.InsereixImatge(ALaMida(14, QStringLiteral("TOLV_campTop")));
    c.movePosition(QTextCursor::NextBlock);
    c.movePosition(QTextCursor::EndOfBlock);
    marc.Editor()->setTextCursor(c);
    marc.InsereixImatge(Quadre(Qt::blue, QStringLiteral("TOLV_barres")));
    auto mides = [this] {
        std::map<QString, QSizeF> m;
        for (const word::InlinePicture* p : marc.Document()->inlinePictures())
            m[p->alternativeText()] = QSizeF(PxDePunts(p->width()), PxDePunts(p->height()));
        return m;
    };
    const auto abans = mides();
    ASSERT_EQ(abans.size(), 3u);
    auto mesura = [](QSizeF a, QSizeF b) { return std::abs(a.width() - b.width()) < 0.05 && std::abs(a.height() - b.height()) < 0.05; };
    EXPECT_TRUE(mesura(abans.at("TOLV_campName"), QSizeF(40, 20)));

    // The second paragraph selected: bold is no new size.
    c.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    marc.Editor()->setTextCursor(c);
    marc.findChild<QAction*>(QStringLiteral("btnNegreta"))->trigger();
    EXPECT_TRUE(demanats.empty());
    auto* mida = marc.findChild<QComboBox*>(QStringLiteral("cboMida"));
    ASSERT_TRUE(mida);
    emit mida->textActivated(QStringLiteral("20"));
    EXPECT_EQ(demanats, std::vector<double>{20});
    auto despres = mides();
    EXPECT_TRUE(mesura(despres.at("TOLV_campName"), QSizeF(80, 40)));
    EXPECT_EQ(despres.at("TOLV_barres"), abans.at("TOLV_barres"));
    EXPECT_EQ(despres.at("TOLV_campTop"), abans.at("TOLV_campTop"));
    const auto& p2 = marc.Document()->body().blocks[1].paragraph();
    EXPECT_DOUBLE_EQ(std::get<word::TextRun>(p2.items.at(1)).format.size->value, 20.0);

    // One undo takes the text's size and the pictures' back together.
    ASSERT_TRUE(marc.Desfes());
    despres = mides();
    EXPECT_TRUE(mesura(despres.at("TOLV_campName"), QSizeF(40, 20)));
    const auto& desfet = marc.Document()->body().blocks[1].paragraph();
    const auto& run = std::get<word::TextRun>(desfet.items.at(1));
    EXPECT_TRUE(!run.format.size || run.format.size->value != 20.0);
}

// On a narrow frame, even with a long font name, the bar shows Save, Undo and Redo and the
// whole name of the font in use.
TEST_F(Frame, TheBarShowsItsFirstCommandsAndTheWholeFontName)
{
    marc.resize(487, 300);
    marc.show();
    marc.Obre(desa(*Disseny(), "d.docx"));
    QString llarg;
    for (const QString& f : QFontDatabase::families())
        if (f.size() <= 24 && f.size() > llarg.size())
            llarg = f;
    QTextCursor c(marc.Editor()->document());
    c.select(QTextCursor::Document);
    QTextCharFormat lletra;
    lletra.setFontFamilies({llarg});
    c.mergeCharFormat(lletra);
    c.setPosition(2);
    marc.Editor()->setTextCursor(c);
    QApplication::processEvents();
    auto* font = marc.findChild<QFontComboBox*>(QStringLiteral("cboFont"));
    ASSERT_TRUE(font && font->lineEdit());
    const QLineEdit* nom = font->lineEdit();
    EXPECT_EQ(nom->text(), llarg);
    EXPECT_GE(nom->contentsRect().width() - 4, nom->fontMetrics().horizontalAdvance(llarg)) << qPrintable(llarg);
    for (const char* accio : {"btnDesar", "btnDesfer", "btnRefer"}) {
        const QWidget* boto = marc.BarraFormat()->widgetForAction(marc.findChild<QAction*>(QLatin1String(accio)));
        EXPECT_TRUE(boto && boto->isVisible()) << accio;
    }
    EXPECT_TRUE(marc.grab().save(QStringLiteral(KOVEL_BINARY_DIR "/docframe-bar.png")));
}
