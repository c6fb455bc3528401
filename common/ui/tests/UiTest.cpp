// The translation of windows, the message box window, the hourglass and the shell open.
#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ui/ModTolvWizUi.h"
#include "common/ui/BotoImatge.h"
#include "common/ui/frm_rvtMsgBox.h"

#include "common/tests/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

constexpr int kTwips = 15;

int sendKey(frm_rvtMsgBox& box, int key)
{
    box.Resultat = -1;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &press);
    return box.Resultat;
}

struct TestWindow {
    QWidget window;
    QLabel* lblTitol;
    QPushButton* cmdAceptar;
    QLineEdit* txtNom;
    QRadioButton* opt0;
    QRadioButton* opt1;
    QLabel* untranslated;

    TestWindow()
    {
        window.setObjectName("frmPrueba");
        lblTitol = new QLabel("old", &window);
        lblTitol->setObjectName("lblTitol");
        cmdAceptar = new QPushButton(&window);
        cmdAceptar->setObjectName("cmdAceptar");
        cmdAceptar->setProperty("tag", "x;nortl;y");
        txtNom = new QLineEdit(&window);
        txtNom->setObjectName("txtNom");
        opt0 = new QRadioButton(&window);
        opt0->setObjectName("optOrden");
        opt0->setProperty("index", 0);
        opt1 = new QRadioButton(&window);
        opt1->setObjectName("optOrden");
        opt1->setProperty("index", 1);
        untranslated = new QLabel("kept", &window);
        untranslated->setObjectName("lblAltre");
    }
};

} // namespace

TEST(Translation, RightToLeftUnderCharacterSet178ExceptNoRTL)
{
    kovel::test::PrivateProfile profile;
    QString message;
    ASSERT_TRUE(ModTraduccion::CarregarLiteralsDe(KOVEL_BINARY_DIR "/literals-rtl/LITER.UNI", message)) << qPrintable(message);
    ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, ModReg::ClauProducte + "JocCaracters", "", 178);
    Word_espec::Inicialitzar();

    TestWindow w;
    ModTraduccion::TraduirFormulari(&w.window);
    EXPECT_EQ(w.window.windowTitle(), QString::fromUtf8("نافذة الاختبار Word"));
    EXPECT_EQ(w.window.layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(w.lblTitol->text(), QString::fromUtf8("عنوان"));
    EXPECT_EQ(w.lblTitol->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(w.cmdAceptar->text(), QString::fromUtf8("موافق"));
    EXPECT_EQ(w.cmdAceptar->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(w.txtNom->text(), QString::fromUtf8("اسم"));
    EXPECT_EQ(w.opt0->text(), QString::fromUtf8("تصاعدي"));
    EXPECT_EQ(w.opt1->text(), QString::fromUtf8("تنازلي"));
    EXPECT_EQ(w.untranslated->text(), "kept");
    EXPECT_EQ(w.lblTitol->property("charset").toInt(), 178);

    // The window's own Tag keeps it left to right; a list window takes no host suffix.
    TestWindow list;
    list.window.setObjectName("frm_llista");
    list.window.setProperty("tag", "NoRTL");
    list.window.setWindowTitle("before");
    ModTraduccion::TraduirFormulari(&list.window);
    EXPECT_EQ(list.window.layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(list.window.windowTitle(), "");

    // Any other character set: left to right everywhere.
    ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, ModReg::ClauProducte + "JocCaracters", "", 0);
    Excel_espec::Inicialitzar();
    TestWindow ltr;
    ModTraduccion::TraduirFormulari(&ltr.window);
    EXPECT_EQ(ltr.lblTitol->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(ltr.window.windowTitle(), QString::fromUtf8("نافذة الاختبار Excel"));
    kovel::EstablirHost(kovel::HostOffice::Cap);
    ModTraduccion::BuidarLiterals();
}

TEST(MessageBoxWindow, ButtonsAndKeysOfEachStyle)
{
    kovel::test::PrivateProfile profile;
    frm_rvtMsgBox box;
    box.Preparar("Question?", 36, "Title");
    EXPECT_FALSE(box.cmdSi->isHidden());
    EXPECT_FALSE(box.cmdNo->isHidden());
    EXPECT_TRUE(box.cmdAceptar->isHidden());
    EXPECT_TRUE(box.cmdCancel->isHidden());
    EXPECT_FALSE(box.img_Question->isHidden());
    EXPECT_TRUE(box.img_Exclamation->isHidden());
    EXPECT_EQ(sendKey(box, Qt::Key_Return), 6);
    EXPECT_EQ(sendKey(box, Qt::Key_Escape), 7);
    EXPECT_EQ(sendKey(box, Qt::Key_A), -1);

    box.Preparar("Three", 3, "T");
    EXPECT_FALSE(box.cmdSi->isHidden());
    EXPECT_FALSE(box.cmdNo->isHidden());
    EXPECT_FALSE(box.cmdCancel->isHidden());
    EXPECT_EQ(box.cmdCancel->x(), box.cmdSi->x() - 3 * box.cmdCancel->width() / 2);
    EXPECT_EQ(sendKey(box, Qt::Key_Escape), 2);
    EXPECT_EQ(sendKey(box, Qt::Key_Enter), 6);

    box.Preparar("Only OK", 64, "T");
    EXPECT_FALSE(box.img_Information->isHidden());
    EXPECT_EQ(sendKey(box, Qt::Key_Return), 1);
    EXPECT_EQ(sendKey(box, Qt::Key_Escape), 1);

    box.Preparar("OK or not", 1, "T");
    EXPECT_EQ(sendKey(box, Qt::Key_Escape), 2);
    box.cmdAceptar->click();
    EXPECT_EQ(box.Resultat, 1);
}

TEST(MessageBoxWindow, ShortMessagesSitUnderTheTitleAndLongOnesReplaceIt)
{
    kovel::test::PrivateProfile profile;
    frm_rvtMsgBox box;
    box.Preparar("Short.", 0, "The title");
    EXPECT_FALSE(box.lbl_titol->isHidden());
    const int topTwips = box.lbl_missatge->y() * kTwips;
    EXPECT_GT(topTwips, 500);
    EXPECT_LE(topTwips, 800);
    EXPECT_GT(topTwips, box.lbl_titol->y() * kTwips);

    box.Preparar(QString("A long message that wraps. ").repeated(20), 0, "The title");
    EXPECT_TRUE(box.lbl_titol->isHidden());
    EXPECT_EQ(box.lbl_missatge->y(), box.lbl_titol->y());
}

TEST(MessageBoxWindow, RightToLeftPutsTheIconAfterTheText)
{
    kovel::test::PrivateProfile profile;
    ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, ModReg::ClauProducte + "JocCaracters", "", 178);
    frm_rvtMsgBox box;
    EXPECT_TRUE(box.lbl_missatge->alignment() & Qt::AlignRight);
    EXPECT_EQ(box.lbl_missatge->x(), 120 / kTwips);
    EXPECT_EQ(box.img_Question->x(), box.lbl_missatge->width() + 120 / kTwips);
    EXPECT_EQ(box.layoutDirection(), Qt::RightToLeft);
}

TEST(MessageBoxWindow, OffscreenMessagesNeverWait)
{
    EXPECT_FALSE(mod_rvtMsgBox::PantallaUsable()); // tests run on the offscreen platform
    EXPECT_EQ(mod_rvtMsgBox::rvtMsgBox("Go on?", 36, "KOVEL Videvoviv"), mod_rvtMsgBox::vbNo);
    EXPECT_EQ(Portapapers::MissatgePopUp("Saved", 0, ""), 1);
}

TEST(Runtime, TheHourglassIsOneLevelOfOverrideCursor)
{
    ModTolvWiz::Puntero_Espera(true);
    ModTolvWiz::Puntero_Espera(true);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_TRUE(ModTolvWiz::PunteroEsperaActivo());
    ModTolvWiz::Puntero_Espera(false);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ModTolvWiz::Puntero_Espera(false);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(Runtime, ShellOpenGoesThroughTheReplaceableOpener)
{
    QStringList opened;
    ModTolvWiz::setObridorShell([&](const QString& t) {
        opened << t;
        return true;
    });
    ModTolvWiz::Abre_Documento("mailto:info@example.com");
    ModTolvWiz::Abre_Documento("/tmp/labels.docx");
    ModTolvWiz::setObridorShell(nullptr);
    EXPECT_EQ(opened, (QStringList{"mailto:info@example.com", "/tmp/labels.docx"}));

    // What the desktop's handler is given.
    using ModTolvWiz::AdrecaDocument;
    EXPECT_EQ(AdrecaDocument(" mailto:Info@Example.com?subject=Labels ").toString(), "mailto:Info@Example.com?subject=Labels");
    EXPECT_EQ(AdrecaDocument("https://example.com/a?b=1#c").toString(), "https://example.com/a?b=1#c");
    EXPECT_EQ(AdrecaDocument("WWW.example.com/help").toString(), "http://www.example.com/help");
    EXPECT_EQ(AdrecaDocument("\\tmp\\Help\\page #1.htm").toLocalFile(), "/tmp/Help/page #1.htm");
    EXPECT_EQ(AdrecaDocument("Help/index.htm").toLocalFile(), QDir::currentPath() + "/Help/index.htm");
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
