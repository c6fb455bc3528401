// Screen scale and centring maths, the host as a type, the system language and the progress
// bar's model driven through its controls interface.
#include "common/HostProfile.h"
#include "common/Idioma.h"
#include "common/ModReg.h"
#include "common/ModTolvWiz.h"
#include "common/ProgresBar.h"
#include "common/Visual.h"

#include "TestSupport.h"

namespace {

// Controls that record what the bar does with them; sizes in twips.
struct ControlsFals : ControlsProgres {
    double left = 600, top = 5000, width = 4500, height = 300;
    double interior = 4470, alcada = 270;   // inside a 15-twip border
    double fillLeft = -1, fillTop = -1, fillWidth = -1, fillHeight = -1;
    double rotolLeft = -1;
    bool pintat = false, vist = true;

    double marcLeft() const override { return left; }
    double marcTop() const override { return top; }
    double marcWidth() const override { return width; }
    double marcHeight() const override { return height; }
    void setMarc(double l, double t, double w, double h) override { left = l, top = t, width = w, height = h; }
    double ampladaInterior() const override { return interior; }
    double alcadaInterior() const override { return alcada; }
    void setFarciment(double l, double t, double w, double h) override { fillLeft = l, fillTop = t, fillWidth = w, fillHeight = h; }
    void pintaFarciment() override { pintat = true; }
    void posaRotolDreta(double l) override { rotolLeft = l; }
    bool visible() const override { return vist; }
    void setVisible(bool v) override { vist = v; }
};

} // namespace

TEST(Escala, FactorsFollowTheScreensTwipsPerPixel)
{
    Visual::CalculaEscala(Visual::TwipsDeDpi(96, 96));
    EXPECT_FLOAT_EQ(Visual::EscalaActual().EscalaX(), 1.0f);
    EXPECT_FLOAT_EQ(Visual::EscalaActual().EscalaY(), 1.0f);
    // 120 dpi: 12 twips a pixel, both factors 0.8, a 9000-twip window becomes 7200 wide.
    Visual::CalculaEscala(Visual::TwipsDeDpi(120, 120));
    EXPECT_FLOAT_EQ(Visual::EscalaActual().EscalaX(), 0.8f);
    EXPECT_FLOAT_EQ(Visual::EscalaActual().EscalaY(), 0.8f);
    EXPECT_NEAR(Visual::EscalaFinestra({100, 200, 9000, 6000}).width, 7200, 1e-3);
    EXPECT_NEAR(Visual::EscalaFinestra({100, 200, 9000, 6000}).height, 4800, 1e-3);
    EXPECT_EQ(Visual::EscalaFinestra({100, 200, 9000, 6000}).left, 100);   // its place stays

    // Sizes are whole twips; an image control keeps its size while its position scales.
    const Visual::RectTwips c = Visual::EscalaControl({1000, 500, 1001, 333}, false);
    EXPECT_NEAR(c.left, 800, 1e-3);
    EXPECT_NEAR(c.top, 400, 1e-3);
    EXPECT_EQ(c.width, 801);     // 800.8
    EXPECT_EQ(c.height, 266);    // 266.4
    const Visual::RectTwips img = Visual::EscalaControl({1000, 500, 1001, 333}, true);
    EXPECT_NEAR(img.left, 800, 1e-3);
    EXPECT_EQ(img.width, 1001);
    EXPECT_EQ(img.height, 333);

    // Different factors each way; a nonsense dpi counts as 96.
    Visual::CalculaEscala(Visual::TwipsDeDpi(144, 0));
    EXPECT_FLOAT_EQ(Visual::EscalaActual().EscalaX(), 10.0f / 15.0f);
    EXPECT_FLOAT_EQ(Visual::EscalaActual().EscalaY(), 1.0f);
    Visual::CalculaEscala({});
}

TEST(Escala, CentringKeepsTheTaskbarBandFree)
{
    // A 1920 x 1080 screen at 15 twips a pixel.
    const double sw = 1920 * 15.0, sh = 1080 * 15.0;
    const Visual::RectTwips r = Visual::Centrat({0, 0, 9000, 6000}, sw, sh, 15);
    EXPECT_EQ(r.left, (sw - 9000) / 2);
    EXPECT_EQ(r.top, (sh - 6000) / 2);
    EXPECT_EQ(r.width, 9000);
    // Up to 60 pixels less tall than the screen it stays centred; taller, it goes to the top.
    EXPECT_EQ(Visual::Centrat({0, 0, 9000, sh - 60 * 15}, sw, sh, 15).top, 30 * 15);
    EXPECT_EQ(Visual::Centrat({0, 0, 9000, sh - 59 * 15}, sw, sh, 15).top, 0);
    // Wider than the screen: the left goes negative, as the runtime placed it.
    EXPECT_LT(Visual::Centrat({0, 0, sw + 300, 6000}, sw, sh, 15).left, 0);
}

TEST(HostProfile, TheHostIsATypeWithItsNameForTheTexts)
{
    using kovel::HostOffice;
    for (HostOffice h : {HostOffice::Word, HostOffice::Excel, HostOffice::Access}) {
        kovel::EstablirHost(h);
        EXPECT_EQ(kovel::Host(), h);
        EXPECT_EQ(kovel::HostDeNom(ProgramaOffice), h);
    }
    EXPECT_EQ(kovel::HostDeNom(QStringLiteral("word")), HostOffice::Cap);   // the name is exact
    kovel::EstablirHost(HostOffice::Cap);
    EXPECT_TRUE(ProgramaOffice.isEmpty());
}

TEST(Idioma, LocalesGiveTheirLanguageIdentifiers)
{
    EXPECT_EQ(ModTolvWiz::IdiomaDeLocale(QLocale(QLocale::Spanish, QLocale::Spain)), 3082);
    EXPECT_EQ(ModTolvWiz::IdiomaDeLocale(QLocale(QLocale::Catalan, QLocale::Spain)), 1027);
    EXPECT_EQ(ModTolvWiz::IdiomaDeLocale(QLocale(QLocale::English, QLocale::UnitedStates)), 1033);
    EXPECT_EQ(ModTolvWiz::IdiomaDeLocale(QLocale(QLocale::English, QLocale::UnitedKingdom)), 2057);
    EXPECT_EQ(ModTolvWiz::IdiomaDeLocale(QLocale(QLocale::Spanish, QLocale::Chile)), 3082);  // the language's default
    EXPECT_EQ(ModTolvWiz::IdiomaDeLocale(QLocale(QLocale::Swahili, QLocale::Kenya)), 1033);
}

TEST(ProgresBar, BindingEmptiesTheFillAndValuesFillTheFrame)
{
    kovel::test::PrivateProfile profile;
    auto c = std::make_shared<ControlsFals>();
    ProgresBar bar;
    bar.setValue(7);   // before binding: stored, nothing drawn
    EXPECT_EQ(c->fillWidth, -1);
    bar.InitProgresBar(c);
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_TRUE(c->pintat);
    EXPECT_EQ(c->fillLeft, 0);
    EXPECT_EQ(c->fillWidth, 0);
    EXPECT_EQ(c->fillHeight, 270);
    EXPECT_EQ(bar.Left(), 600);
    EXPECT_EQ(bar.Width(), 4500);
    EXPECT_EQ(c->rotolLeft, -1);   // left to right: the caption stays

    bar.setValue(50);
    EXPECT_DOUBLE_EQ(c->fillWidth, 4470 / 2.0);
    EXPECT_EQ(c->fillLeft, 0);
    bar.setValue(150);             // past Max: wider than the frame, which clips it
    EXPECT_DOUBLE_EQ(c->fillWidth, 4470 * 1.5);
    bar.setValue(0);
    EXPECT_EQ(c->fillWidth, 0);
    bar.setMax(0);
    bar.setValue(30);              // no maximum: empty rather than a failure
    EXPECT_EQ(c->fillWidth, 0);
    EXPECT_EQ(bar.Value(), 30);

    // Given place and size go to the frame and are kept.
    bar.InitProgresBar(c, 900, 4000, 3000, std::nullopt);
    EXPECT_EQ(c->left, 900);
    EXPECT_EQ(c->width, 3000);
    EXPECT_EQ(c->height, 300);
    EXPECT_EQ(bar.Top(), 4000);
    bar.setVisible(false);
    EXPECT_FALSE(bar.Visible());
    bar.setHeight(500);
    EXPECT_EQ(bar.Height(), 500);
    EXPECT_EQ(c->fillHeight, 270);   // the frame's inner height
}

TEST(ProgresBar, RightToLeftGrowsFromTheRightEdge)
{
    kovel::test::PrivateProfile profile;
    ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, ModReg::ClauProducte + "JocCaracters", "", 178);
    auto c = std::make_shared<ControlsFals>();
    ProgresBar bar;
    bar.InitProgresBar(c);
    EXPECT_TRUE(bar.dretaAEsquerra());
    EXPECT_EQ(c->fillLeft, 4470);
    EXPECT_EQ(c->rotolLeft, 600 + 4500);   // the caption moves to the right of the frame
    bar.setValue(25);
    EXPECT_DOUBLE_EQ(c->fillWidth, 4470 / 4.0);
    EXPECT_DOUBLE_EQ(c->fillLeft, 4470 - 4470 / 4.0);
    bar.setValue(0);
    EXPECT_EQ(c->fillLeft, 4470);
}

TEST(ProgresBar, TheGenerationDrivesTheBarBoundAtStartUp)
{
    kovel::test::PrivateProfile profile;
    BarraProgreso.reset();
    ModTolvWiz::IniciaBarraProgreso(10);   // the print mode: no bar, nothing happens
    ModTolvWiz::AvancaBarraProgreso();
    auto c = std::make_shared<ControlsFals>();
    BarraProgreso = std::make_unique<ProgresBar>();
    ModTolvWiz::AvancaBarraProgreso();     // created but not bound: nothing either
    EXPECT_EQ(BarraProgreso->Value(), 0);
    BarraProgreso->InitProgresBar(c);
    ModTolvWiz::IniciaBarraProgreso(40000);
    EXPECT_EQ(BarraProgreso->Max(), 32767);   // held to 16 bits
    ModTolvWiz::IniciaBarraProgreso(4);
    for (int i = 0; i < 3; ++i)
        ModTolvWiz::AvancaBarraProgreso();
    EXPECT_EQ(BarraProgreso->Value(), 3);
    EXPECT_DOUBLE_EQ(c->fillWidth, 4470 * 3 / 4.0);
    BarraProgreso.reset();
}

TEST(Versio, FirstLineOrEmptyWhenMissing)
{
    QTemporaryDir dir;
    EXPECT_EQ(ModTolvWiz::LlegirVersio(dir.path()), QString());   // missing: carry on with ""
    QFile f(dir.filePath("VERSIO.TXT"));                          // found whatever its case
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("6.0.3\r\nsecond line\n");
    f.close();
    EXPECT_EQ(ModTolvWiz::LlegirVersio(dir.path()), "6.0.3");
    EXPECT_EQ(ModTolvWiz::LlegirVersio(QStringLiteral(KOVEL_PROGRAM_DIR)), "6.0");   // the shipped one
}
