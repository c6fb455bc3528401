// The saved-designs panel of the wizard window: three designs listed (written as a picture
// into the build folder, wizard-panels/), the two choices, and the row picked opened; the
// save command's name question answered by the test.
#include "catalogue/Catalogo.h"
#include "catalogue/Cataleg.h"
#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ui/BotoImatge.h"
#include "documents/guardar.h"
#include "platform/word/Document.h"
#include "wizard/ui/FrmTolvWiz.h"
#include "wizard/panels/PasGuardats.h"
#include "wizard/panels/PasPaper.h"
#include "wizard/ui/panels/VistaGuardats.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

using kovel::ui::BotoImatge;
using kovel::wizard::FrmTolvWiz;

namespace {

int argc_ = 1;
char arg0_[] = "wizard_guardats_ui_tests";
char* argv_[] = {arg0_, nullptr};

void Clica(QWidget& w, const char* nom)
{
    auto* c = w.findChild<QWidget*>(QLatin1String(nom));
    ASSERT_NE(c, nullptr) << nom;
    ASSERT_TRUE(c->isVisible()) << nom;
    QTest::mouseClick(c, Qt::LeftButton);
}

// The window with the input box answered by the test.
struct AmbNoms : FrmTolvWiz {
    QStringList respostes;
    QString demanaNom(const QString&, const QString&) override { return respostes.takeFirst(); }
};

} // namespace

TEST(PanelGuardats, ListsTheDesignsAndOpensThePickedRow)
{
    static QApplication* app = new QApplication(argc_, argv_);
    (void)app;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    qputenv("KOVEL_USER_REGISTRY", (dir.path() + QStringLiteral("/user.reg")).toUtf8());
    QString m;
    ASSERT_TRUE(ModTraduccion::CarregarLiterals(m)) << qPrintable(m);
    QStringList missatges;
    mod_rvtMsgBox::setAnswerer([&](const QString& p, std::int16_t style, const QString&) {
        missatges << p;
        return mod_rvtMsgBox::BotoPerDefecte(style);
    });
    Word_espec::Inicialitzar();
    const QString dades = dir.path() + QStringLiteral("/data/");

    // Three designs of the word processor: A4, Letter and A5 paper, upright, each a format
    // of its paper.
    guardar::Magatzem g(dades, 'W');
    const struct { const char* nom; std::uint8_t paper; std::int32_t model; } dissenys[] = {
        {"Monthly addresses", '4', 803}, {"Shelf labels", 'L', 8101}, {"Jars", '5', 5101}};
    for (const auto& d : dissenys) {
        QString nom = QString::fromLatin1(d.nom), error;
        guardar::DadesDisseny dd;
        dd.TipusPaper = d.paper;
        dd.Model = d.model;
        dd.Orientacio = 'V';
        dd.Ordre = 'I';
        ASSERT_TRUE(g.GuardaDisseny(nom, dd, [&](const QString& carpeta, QStringList& caselles, QString&) {
            auto doc = kovel::word::Document::create();
            doc->content().insertAfter(nom);
            doc->saveAs(carpeta + QStringLiteral("0.docx"));
            caselles << carpeta + QStringLiteral("0.docx");
            return true;
        }, error)) << qPrintable(error);
    }

    AmbNoms w;
    const kovel::NumerosPanel& np = w.estat().numerosPanel();
    w.estat().setCarpetaDades(dades);
    ASSERT_TRUE(w.Cargar()) << qPrintable(missatges.join(u'\n'));
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelGuardados);
    auto* llista = w.findChild<QListWidget*>(QStringLiteral("lstGuardats"));
    ASSERT_EQ(llista->count(), 3);
    EXPECT_TRUE(llista->item(0)->text().startsWith(QStringLiteral("  Jars")));
    EXPECT_TRUE(llista->item(2)->text().contains(QStringLiteral("803")));

    // Open: the first row is chosen; the user picks the second.
    Clica(w, "cmdObrir");
    EXPECT_EQ(llista->currentRow(), 0);
    EXPECT_FALSE(w.findChild<BotoImatge*>(QStringLiteral("cmdCrear"))->valor());
    llista->setCurrentRow(1);
    QApplication::processEvents();
    QDir().mkpath(QStringLiteral(KOVEL_BINARY_DIR "/wizard-panels"));
    EXPECT_TRUE(w.grab().save(QStringLiteral(KOVEL_BINARY_DIR "/wizard-panels/word-panel9-saved.png")));

    // A new design forgets the list's choice and switches the list off.
    Clica(w, "cmdCrear");
    EXPECT_EQ(w.estat().pasGuardats().lstGuardatsIndex, -1);
    EXPECT_FALSE(llista->isEnabled());
    Clica(w, "cmdObrir");
    llista->setCurrentRow(1);
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelFormato) << qPrintable(missatges.join(u'\n'));
    EXPECT_TRUE(w.estat().pasPaper().optPapel[PapelLetter]);
    EXPECT_TRUE(w.estat().DissenyObert);
    ASSERT_TRUE(w.estat().disseny());
    EXPECT_EQ(w.estat().disseny()->content().text().trimmed(), QStringLiteral("Shelf labels"));

    // Saving asks the name; a listed one is refused, then the design is saved.
    w.respostes = {QStringLiteral("jars"), QStringLiteral("Fourth")};
    missatges.clear();
    w.vistaGuardats().cmdGuardar_Click();
    ASSERT_EQ(missatges.size(), 2);
    EXPECT_EQ(missatges[0], ModTraduccion::Literal(7002));
    // Confirmed by the design's name, not by the store's file.
    EXPECT_TRUE(missatges[1].contains(QStringLiteral("\"Fourth\""))) << qPrintable(missatges[1]);
    EXPECT_FALSE(missatges[1].contains(QStringLiteral("guardatsW.dat")));
    ASSERT_TRUE(g.Carrega(m));
    EXPECT_EQ(g.Noms().value(0), QStringLiteral("Fourth"));
    mod_rvtMsgBox::resetAnswerer();
}
