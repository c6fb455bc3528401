// The banner's address and query, its height, and the rule that the window grows once.
#include "wizard/BannerWeb.h"

#include "common/ModReg.h"
#include "common/tests/TestSupport.h"

#include <QDir>

using ModTolvWiz::EstatBanner;

namespace {
QString clau(const char* k) { return ModReg::ClauProducte + QLatin1String(k); }
} // namespace

TEST(BannerWeb, HeightInTwipsAndTheQuery)
{
    EXPECT_EQ(ModTolvWiz::AlturaBannerTwips(90, 15.0), 1350);
    EXPECT_EQ(ModTolvWiz::AlturaBannerTwips(90, 12.0), 1080);
    EXPECT_EQ(ModTolvWiz::AlturaBannerTwips(1, 2.5), 2); // half to even
    EXPECT_EQ(ModTolvWiz::AlturaBannerTwips(3, 2.5), 8);
    EXPECT_EQ(ModTolvWiz::AlturaBannerTwips(0, 15.0), 0);
    EXPECT_EQ(ModTolvWiz::AlturaBannerTwips(-20, 15.0), 0);

    EXPECT_EQ(ModTolvWiz::ConsultaBanner(7, "", 90, "Excel"), "?LID=7&versio=&altura=90&aplicacio_office=Excel");
    EXPECT_EQ(ModTolvWiz::ConsultaBanner(4000000000u, "6.4.1 beta", 60, "Word"),
              "?LID=4000000000&versio=6.4.1 beta&altura=60&aplicacio_office=Word");
}

TEST(BannerWeb, AddressFromTheSettingsAndTheUpdateLog)
{
    kovel::test::PrivateProfile perfil;
    const QString upd = perfil.dir.path() + "/upd/";
    QDir().mkpath(upd);

    // Nothing configured: no height and the query alone.
    EXPECT_EQ(ModTolvWiz::LlegirConfigBanner().altura, 0);
    EXPECT_EQ(ModTolvWiz::AdrecaBanner(ModTolvWiz::LlegirConfigBanner(), "Access"),
              "?LID=0&versio=&altura=0&aplicacio_office=Access");

    ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clau("Banner"), "altura", 90);
    ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau("Banner"), "url", "http://banner.example/b.asp");
    ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clau("AutoUpdate"), "estadistiques_LID", 7);
    ModReg::DesarCadena(ModReg::HKEY_LOCAL_MACHINE, clau("AutoUpdate"), "PATH_AutoUpdater", upd);
    const ModTolvWiz::ConfigBanner c = ModTolvWiz::LlegirConfigBanner();
    EXPECT_EQ(c.altura, 90);
    EXPECT_EQ(ModTolvWiz::AdrecaBanner(c, "Excel"), "http://banner.example/b.asp?LID=7&versio=&altura=90&aplicacio_office=Excel");

    // The identifier is sent whole; the version is the update log's.
    ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clau("AutoUpdate"), "estadistiques_LID", 70000);
    kovel::test::writeBytes(upd + "autoUpdate.log", "Sun, 01 Nov 2026 10:00:00 GMT\r\nVersio:   6.4.1 beta\r\n");
    EXPECT_EQ(ModTolvWiz::AdrecaBanner(c, "Word"),
              "http://banner.example/b.asp?LID=70000&versio=6.4.1 beta&altura=90&aplicacio_office=Word");
}

TEST(BannerWeb, TheWindowGrowsOnceAndNeverAfterAFailure)
{
    EstatBanner e;
    EXPECT_FALSE(e.DocumentComplete()); // nothing started
    e.Iniciar();
    EXPECT_FALSE(e.BannerCargado());
    EXPECT_TRUE(e.DocumentComplete());
    EXPECT_TRUE(e.BannerCargado());
    EXPECT_FALSE(e.DocumentComplete()); // frames, later pages
    e.NavigateError();
    EXPECT_EQ(e.fase(), EstatBanner::Fase::Mostrat);

    EstatBanner f;
    f.Iniciar();
    f.NavigateError();
    EXPECT_TRUE(f.BannerCargado());
    EXPECT_FALSE(f.DocumentComplete()); // the error page does not grow the window
    EXPECT_EQ(f.fase(), EstatBanner::Fase::Fallat);
}
