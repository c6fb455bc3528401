// The design frame's rules without a window: the per-cell designs and the one-page guard,
// driven over the bridge and a plain text document.
#include "documents/DissenyCaselles.h"

#include "common/Fitxers.h"
#include "platform/word/Document.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

using namespace kovel;
using modDsoFraWord::GuardUnaPagina;
using seleccionador_ABCD::Caselles;

namespace {

// A label of 200 x 60 points: a few lines of text fill it.
std::unique_ptr<word::Document> Etiqueta()
{
    auto d = word::Document::create();
    word::PageSetup ps = d->pageSetup();
    ps.setPageWidth(word::Points(200));
    ps.setPageHeight(word::Points(60));
    ps.setTopMargin(word::Points(4));
    ps.setBottomMargin(word::Points(4));
    d->setPageSetup(ps);
    return d;
}

// Each call is one undo step.
void Escriu(QTextDocument& text, const QString& s)
{
    QTextCursor c(&text);
    c.movePosition(QTextCursor::End);
    c.insertText(s);
}

struct Guard : ::testing::Test {
    docframe::Pont pont;
    QTextDocument text;
    GuardUnaPagina guard;
    int passos = 0;
    std::function<bool()> desfes = [this] {
        if (!text.isUndoAvailable())
            return false;
        text.undo();
        ++passos;
        return true;
    };
    void SetUp() override { pont.Carrega(*Etiqueta(), text); }
};

} // namespace

TEST(CasellesModel, CellsAreCountedRecordedAndEmptied)
{
    QTemporaryDir dades;
    CarpetaDades = dades.path() + u'/';
    Caselles c;
    EXPECT_TRUE(c.CasellaBuida(0)) << "no cells at all";
    c.IniciaCaselles(-3);
    EXPECT_EQ(c.NumCaselles, 0);
    c.IniciaCaselles(4);
    c.CasellaActual = 2;
    c.IniciaCaselles(4);
    EXPECT_EQ(c.CasellaActual, 0);
    EXPECT_EQ(c.NomsCaselles.size(), 4);
    EXPECT_TRUE(c.CasellaBuida(-1));
    EXPECT_TRUE(c.CasellaBuida(4));

    // Only a document with unsaved changes is written, and only under a cell number.
    EXPECT_TRUE(Caselles::CalDesar(true, false, 0));
    EXPECT_FALSE(Caselles::CalDesar(true, true, 0));
    EXPECT_FALSE(Caselles::CalDesar(false, false, 0));
    EXPECT_FALSE(Caselles::CalDesar(true, false, -1));

    const QString cami = c.CamiCasella(1);
    EXPECT_EQ(cami, c.CarpetaCaselles() + QStringLiteral("1.docx"));
    EXPECT_TRUE(QDir(c.CarpetaCaselles()).exists());
    c.Desada(1, cami);
    c.Desada(9, cami);   // beyond the list: nothing recorded, nothing broken
    EXPECT_FALSE(c.CasellaBuida(1));
    EXPECT_EQ(c.NomsCaselles.count(cami), 1);

    QFile f(cami);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    c.Buida();
    EXPECT_EQ(c.NumCaselles, 0);
    EXPECT_TRUE(c.CasellaBuida(1));
    EXPECT_FALSE(QFile::exists(cami));
    // With no cells counted a save is not recorded.
    c.Desada(1, cami);
    EXPECT_TRUE(c.CasellaBuida(1));
    CarpetaDades.clear();
}

// Text that pushed the label onto a second page is undone to one page, and the message
// names it; a label that fits is never touched.
TEST_F(Guard, UndoesToOnePageAndSaysWhat)
{
    Escriu(text, QStringLiteral("Name"));
    EXPECT_EQ(guard.Revisa(pont, text, desfes).desfets, 0);
    ASSERT_EQ(pont.Pagines(text), 1);
    text.clearUndoRedoStacks();   // what was there before the overflow stays
    for (int i = 0; i < 3; ++i)
        Escriu(text, QStringLiteral("\nline\nline\nline\nline\nline"));
    ASSERT_GE(pont.Pagines(text), 2);
    const GuardUnaPagina::Resultat r = guard.Revisa(pont, text, desfes);
    EXPECT_GT(r.desfets, 0);
    EXPECT_EQ(r.desfets, passos);
    EXPECT_EQ(pont.Pagines(text), 1);
    EXPECT_TRUE(text.toPlainText().startsWith(QStringLiteral("Name")));
    EXPECT_TRUE(r.missatge.contains(QStringLiteral("the text just typed or pasted")));
    EXPECT_TRUE(r.missatge.contains(QStringLiteral("one label")));
    EXPECT_EQ(guard.Revisa(pont, text, desfes).desfets, 0) << "a second tick changes nothing";
}

// A design that undo cannot bring back to one page is left alone until it changes; an undo
// that changes nothing stops the guard.
TEST_F(Guard, GivesUpOnWhatUndoCannotFixUntilItChanges)
{
    Escriu(text, QStringLiteral("a\nb\nc\nd\ne\nf\ng\nh\ni\nj"));
    text.clearUndoRedoStacks();
    ASSERT_GE(pont.Pagines(text), 2);
    EXPECT_EQ(guard.Revisa(pont, text, desfes).desfets, 0);
    EXPECT_EQ(passos, 0);
    Escriu(text, QStringLiteral("k"));
    const GuardUnaPagina::Resultat r = guard.Revisa(pont, text, desfes);
    EXPECT_EQ(r.desfets, 1) << "the change is undone, then the guard gives up again";
    EXPECT_FALSE(r.missatge.isEmpty());
    EXPECT_FALSE(text.toPlainText().endsWith(u'k'));
    EXPECT_EQ(guard.Revisa(pont, text, desfes).desfets, 0);

    int intents = 0;
    Escriu(text, QStringLiteral("l"));
    EXPECT_EQ(guard.Revisa(pont, text, [&] { return ++intents, false; }).desfets, 0);
    EXPECT_EQ(intents, 1);
}

// Pictures are counted apart from text: the message says which went.
TEST(GuardModel, MessageNamesPicturesAndText)
{
    using C = GuardUnaPagina::Contingut;
    EXPECT_TRUE(GuardUnaPagina::TextDesfet(C{0, 1}, C{0, 0}).contains(QStringLiteral("the code or field just inserted")));
    const QString dos = GuardUnaPagina::TextDesfet(C{5, 2}, C{2, 0});
    EXPECT_TRUE(dos.contains(QStringLiteral("the 2 codes or fields just inserted and the text just typed")));
    EXPECT_TRUE(GuardUnaPagina::TextDesfet(C{3, 0}, C{3, 0}).contains(QStringLiteral("your last change")));

    QTextDocument text;
    Escriu(text, QStringLiteral("abc"));
    QTextCursor c(&text);
    c.movePosition(QTextCursor::End);
    QTextImageFormat img;
    img.setName(QStringLiteral("x"));
    c.insertImage(img);
    const C n = GuardUnaPagina::Compta(text);
    EXPECT_EQ(n.caracters, 3);
    EXPECT_EQ(n.imatges, 1);
}
