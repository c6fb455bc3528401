// The product look: every picture the loaders name is shipped and differs by state; the
// layout numbers; a window without its pictures is still shown.
#include "appearance/ui/Aparenca.h"

#include "common/HostProfile.h"
#include "common/ui/BotoImatge.h"
#include "common/ui/FrmPresent.h"
#include "common/ui/VisualUi.h"
#include "common/ui/frm_rvtMsgBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>

using namespace KOVEL_espec;

namespace {

int argc = 1;
char arg0[] = "aparenca";
char* argv[] = {arg0, nullptr};
QApplication& App()
{
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

} // namespace

TEST(Pictures, EveryNamedPictureIsShippedLoadsAndHasItsOwnStates)
{
    App();
    for (const QString& f : FitxersPells()) {
        const QPixmap p = CarregaImatge(f);
        EXPECT_FALSE(p.isNull()) << f.toStdString();
    }
    for (const auto* taula : {&PellsAssistent(), &PellsMissatge(), &PellsOpcions()})
        for (const Pell& p : *taula) {
            if (!p.normal)
                continue;
            const QImage normal = CarregaImatge(QString::fromLatin1(p.normal)).toImage();
            for (const char* estat : {p.actiu, p.sobre}) {
                if (estat && QByteArray(estat) != p.normal) {
                    EXPECT_NE(CarregaImatge(QString::fromLatin1(estat)).toImage(), normal) << p.control << " " << estat;
                }
            }
        }
}

TEST(Layout, PaperTypesStackEvenlyAndNoneMovesNothing)
{
    const auto tots = AlineaOpcionsPaper({true, true, true, true, true});
    EXPECT_EQ(tots[0], 1760);
    EXPECT_EQ(tots[4], 4916);
    const auto dos = AlineaOpcionsPaper({false, true, false, false, true});
    EXPECT_FALSE(dos[0]);
    EXPECT_EQ(dos[1], 1760);
    EXPECT_EQ(dos[4], 1760 + 1972);
    for (const auto& t : AlineaOpcionsPaper({false, false, false, false, false}))
        EXPECT_FALSE(t);
}

TEST(Layout, BottomBarPositionsFollowTheScreenScale)
{
    App();
    QWidget frm;
    auto* seg = new kovel::ui::BotoImatge(&frm);
    seg->setObjectName("CmdSiguiente");
    auto* lbl = new QLabel(QStringLiteral("Next"), &frm);
    lbl->setObjectName("lblSiguiente");
    lbl->resize(60, 16);
    Visual::setTwipsPerPixel(Visual::TwipsPerPixel{15, 15});
    EstilFormulari(&frm, kovel::HostOffice::Word);
    EXPECT_EQ(seg->pos(), QPoint(749, 4));
    EXPECT_EQ(lbl->x() + lbl->width(), 744);
    Visual::setTwipsPerPixel(Visual::TwipsPerPixel{12, 12});
    EstilFormulari(&frm, kovel::HostOffice::Word);
    EXPECT_EQ(seg->x(), 599); // 8988 twips
    Visual::setTwipsPerPixel(std::nullopt);
    EXPECT_EQ(ColorDestacado, 0xC47600u);
}

TEST(MessageBox, SkinnedWhenThePicturesAreThereAndShownWhenTheyAreNot)
{
    App();
    {
        frm_rvtMsgBox box;
        EXPECT_TRUE(Carga_ImagenesMsgBox(&box).isEmpty());
        EXPECT_TRUE(box.cmdAceptar->teImatges());
        EXPECT_TRUE(box.cmdCancel->imatgeSobre().isNull());
        for (auto [style, nom] : {std::pair{16, "critical"}, std::pair{32, "question"}, std::pair{48, "exclamation"},
                                  std::pair{64, "information"}}) {
            box.Preparar(QStringLiteral("The label sheet was written to the documents folder."), std::int16_t(style | 1),
                         QStringLiteral("KOVEL Videvoviv"));
            box.grab().save(QStringLiteral(KOVEL_BINARY_DIR "/look-msgbox-%1.png").arg(QLatin1String(nom)));
        }
    }
    const QByteArray abans = qgetenv("KOVEL_PROGRAM_DIR");
    QTemporaryDir buit;
    qputenv("KOVEL_PROGRAM_DIR", buit.path().toUtf8());
    frm_rvtMsgBox box;
    const Informe inf = Carga_ImagenesMsgBox(&box);
    qputenv("KOVEL_PROGRAM_DIR", abans);
    EXPECT_GE(inf.size(), 9);
    EXPECT_FALSE(box.cmdAceptar->teImatges());
    box.Preparar(QStringLiteral("Still shown"), 0, QString());
    EXPECT_FALSE(box.cmdAceptar->isHidden());
    EXPECT_FALSE(box.grab().isNull());
}

TEST(Splash, ShowsTheShippedPicture)
{
    App();
    FrmPresent::Cargar();
    FrmPresent* f = FrmPresent::Instancia();
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(f->Imagen_Inicio->pixmap().isNull());
    EXPECT_TRUE(f->grab().save(QStringLiteral(KOVEL_BINARY_DIR "/look-splash.png")));
    FrmPresent::DesCargar();
}

TEST(Scale, TheSmallWindowsAtOneHundredTwentyFivePercent)
{
    App();
    Visual::setTwipsPerPixel(Visual::TwipsPerPixel{12, 12});
    {
        frm_rvtMsgBox box;
        Carga_ImagenesMsgBox(&box);
        box.Preparar(QStringLiteral("The label sheet was written to the documents folder."), 64 | 1,
                     QStringLiteral("KOVEL Videvoviv"));
        Visual::AdaptarDPI(&box);
        EXPECT_TRUE(box.grab().save(QStringLiteral(KOVEL_BINARY_DIR "/look-msgbox-12tw.png")));
        for (QWidget* c : box.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (c->isVisible()) {
                EXPECT_TRUE(box.rect().contains(c->geometry())) << qPrintable(c->objectName());
            }
        }
    }
    FrmPresent::Cargar();
    Visual::AdaptarDPI(FrmPresent::Instancia());
    EXPECT_TRUE(FrmPresent::Instancia()->grab().save(QStringLiteral(KOVEL_BINARY_DIR "/look-splash-12tw.png")));
    FrmPresent::DesCargar();
    Visual::setTwipsPerPixel(std::nullopt);
}
