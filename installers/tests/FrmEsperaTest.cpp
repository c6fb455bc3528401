// The waiting window: its title for installing and removing, the title font's character
// set, and that it goes away.
#include "installers/ui/FrmEspera.h"

#include <QApplication>
#include <QLabel>
#include <gtest/gtest.h>

TEST(FrmEspera, ShowsTheTitleOfTheRunAndCloses)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    FrmEspera w(QStringLiteral("Installing the label assistant in Calc…"),
                QStringLiteral("Removing the label assistant from Calc…"), 0);
    w.Cargar(true);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.objectName(), QStringLiteral("FrmEspera"));
    EXPECT_EQ(w.LblTitulo->objectName(), QStringLiteral("LblTitulo"));
    EXPECT_EQ(w.LblTitulo->text(), QStringLiteral("Installing the label assistant in Calc…"));
    EXPECT_EQ(w.LblTitulo->property("charset").toInt(), 0);
    if (const char* out = std::getenv("KOVEL_SNAPSHOT_DIR"))
        w.grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/FrmEspera.png"));
    w.DesCargar();
    EXPECT_FALSE(w.isVisible());

    FrmEspera rtl(QString(), QStringLiteral(u"إزالة"), 178);
    rtl.Cargar(false);
    EXPECT_EQ(rtl.LblTitulo->text(), QStringLiteral(u"إزالة"));
    EXPECT_EQ(rtl.LblTitulo->property("charset").toInt(), 178);
    EXPECT_EQ(rtl.LblTitulo->layoutDirection(), Qt::RightToLeft);
    rtl.DesCargar();
}
