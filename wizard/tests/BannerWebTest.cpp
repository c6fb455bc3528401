// The banner's address and query, its height, the rule that the window grows once, and its page
// read as untrusted text: the budget, its frames and pictures, its server, its e-mail links.
#include "wizard/BannerWeb.h"

#include "common/ModReg.h"
#include "common/tests/TestSupport.h"
#include "wizard/PaginaBanner.h"
#include "testsupport/Espera.h"

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

// ---- The page as untrusted text ----

using ModTolvWiz::EscaneigHTML;
using ModTolvWiz::RecursHTML;

TEST(PaginaBanner, AnOrdinaryPageFitsAndItsFramesAndPicturesAreFound)
{
    const QString html = QStringLiteral(
        "<html><head><title><img src=t.png></title><script>if (a<b) document.write('<img src=s.png>')</script>"
        "<!-- <img src=c.png> --></head>"
        "<body background='fons.png'><table><tr><td background=cel.png title=\"a>b\">x<td>y</table>"
        "<p>one<p>two<ul><li>a<li>b</ul><img alt='>' src=\"/pic.png?a=1&amp;b=2\" >"
        "<iframe src=\"frame.htm\" width=10><p>no frames</p></iframe><frame src=f2.htm>"
        "</body></html>");
    const EscaneigHTML e = ModTolvWiz::EscanejarHTML(html);
    EXPECT_TRUE(e.dinsPressupost) << qPrintable(e.motiu);
    std::vector<QString> valors;
    for (const RecursHTML& r : e.recursos) {
        valors.push_back((r.tipus == RecursHTML::Tipus::Marc ? "frame " : "picture ") + r.valor);
        // The place recorded is the value as written.
        EXPECT_EQ(html.mid(r.inici, r.fi - r.inici).replace("&amp;", "&"), r.valor);
    }
    EXPECT_EQ(valors, (std::vector<QString>{"picture fons.png", "picture cel.png", "picture /pic.png?a=1&b=2",
                                            "frame frame.htm", "frame f2.htm"}));
    ASSERT_EQ(e.iframes.size(), 1u);
    EXPECT_EQ(html.mid(e.iframes[0].inici, e.iframes[0].fi - e.iframes[0].inici),
              "<iframe src=\"frame.htm\" width=10><p>no frames</p></iframe>");
    EXPECT_FALSE(e.frameset);
    EXPECT_TRUE(ModTolvWiz::CosHTML(html, e).startsWith("<table>"));
    EXPECT_TRUE(ModTolvWiz::CosHTML(html, e).endsWith("<frame src=f2.htm>"));
    // <p>, <li> and <td> close their like: html, body, table, tr, td is the deepest.
    EXPECT_EQ(e.profunditat, 5);
    EXPECT_EQ(e.taulesNiuades, 1);
    EXPECT_EQ(e.elements, 20);   // tags written inside the title and the script count too

    // A page without a body is all body.
    const QString sol = "<p>only</p>";
    EXPECT_EQ(ModTolvWiz::CosHTML(sol, ModTolvWiz::EscanejarHTML(sol)), sol);
}

// Each page is about 2 MB, the most a banner reply may be; all are refused at once, in one
// pass (searching again from every unclosed tag would take seconds).
TEST(PaginaBanner, PagesOverTheBudgetAreRefusedInOnePass)
{
    const auto rep = [](const QString& s, int n) { return s.repeated(n); };
    const std::vector<std::pair<QString, QString>> pagines = {
        {rep("<iframe>", 240000), "elements"},
        {rep("<script>", 240000), "elements"},
        {rep("<div>", 300000), "one inside another"},
        {rep("<table><tr><td>", 100000), "tables"},
        {rep("<ul><li>", 200000), "one inside another"},
        {"<table><tr>" + rep("<td>x", 150000), "elements"},
        {"<p>" + QString(2000000, 'x'), "text"},
        {rep("a < b ", 300000), "text"},
        {rep("<p>", 1501), "elements"},
        {"<style>" + rep("p { color: red } ", 120000) + "</style><p>a", "style"},
        {rep("<p style='font-size: 10pt; color: blue'>a</p>", 600), "style"},
    };
    // In processor time, so that a loaded machine does not count.
    using kovel::test::MsProcessadorProces;
    for (const auto& [pagina, motiu] : pagines) {
        const qint64 abans = MsProcessadorProces();
        const EscaneigHTML e = ModTolvWiz::EscanejarHTML(pagina);
        EXPECT_LT(MsProcessadorProces() - abans, 200) << qPrintable(pagina.left(20));
        EXPECT_FALSE(e.dinsPressupost) << qPrintable(pagina.left(20));
        EXPECT_TRUE(e.motiu.contains(motiu)) << qPrintable(e.motiu);
    }
    // Markup left open to the end stops the pass: nothing after it counts.
    for (const QString& obert : {QString("<!-- "), QString("<img src=\"")}) {
        const QString pagina = "<p>a</p>" + obert + rep("<div>", 300000);
        const qint64 abans = MsProcessadorProces();
        const EscaneigHTML e = ModTolvWiz::EscanejarHTML(pagina);
        EXPECT_LT(MsProcessadorProces() - abans, 200);
        EXPECT_TRUE(e.dinsPressupost) << qPrintable(obert);
        EXPECT_EQ(e.elements, 1) << qPrintable(obert);
    }
    // What closes itself does not nest.
    EXPECT_TRUE(ModTolvWiz::EscanejarHTML(rep("<br><img src=a><div/>", 400)).dinsPressupost);
    EXPECT_TRUE(ModTolvWiz::EscanejarHTML(rep("<li>a", 1400)).dinsPressupost);
    EXPECT_TRUE(ModTolvWiz::EscanejarHTML("<style>" + rep("p { color: red } ", 500) + "</style><p style='color: red'>a").dinsPressupost);
}

TEST(PaginaBanner, FramesGoIntoThePageWithTheirPicturesMadeAbsolute)
{
    const QUrl marc("http://banner.example/frames/a.htm");
    const QString html = "<body><img src='p.png'><table background=\"../t.png\"><tr><td background=\"x'y.png\">c</td></tr></table></body>";
    const QString absolut = ModTolvWiz::AbsolutitzarRecursos(html, ModTolvWiz::EscanejarHTML(html), marc);
    EXPECT_EQ(absolut, "<body><img src='http://banner.example/frames/p.png'><table background=\"http://banner.example/t.png\">"
                       "<tr><td background=\"http://banner.example/frames/x%27y.png\">c</td></tr></table></body>");

    const QUrl base("http://banner.example/b.asp");
    const QHash<QUrl, QString> cossos = {{QUrl("http://banner.example/a.htm"), "[A]"}, {QUrl("http://banner.example/b.htm"), "[B]"}};
    const QString inline_ = "<p>x<iframe src=a.htm>alt</iframe>y<iframe src=\"b.htm\"/>z<iframe src=none.htm></iframe></p>";
    EXPECT_EQ(ModTolvWiz::ComposarPagina(inline_, ModTolvWiz::EscanejarHTML(inline_), base, {}, cossos), "<p>x[A]y[B]z</p>");
    const QString frameset = "<frameset rows='1,1'><frame src=b.htm><frame src=a.htm></frameset>";
    EXPECT_EQ(ModTolvWiz::ComposarPagina(frameset, ModTolvWiz::EscanejarHTML(frameset), base,
                                         {QUrl("http://banner.example/b.htm"), QUrl("http://banner.example/a.htm")}, cossos),
              "[B][A]");
}

TEST(PaginaBanner, OnlyTheBannersOwnServerAndPlainEmailLinks)
{
    const QUrl pagina("http://banner.example/b.asp");
    EXPECT_TRUE(ModTolvWiz::MateixServidor(QUrl("http://BANNER.example:80/p.png"), pagina));
    EXPECT_FALSE(ModTolvWiz::MateixServidor(QUrl("https://banner.example/p.png"), pagina));
    EXPECT_FALSE(ModTolvWiz::MateixServidor(QUrl("http://banner.example:8080/p.png"), pagina));
    EXPECT_FALSE(ModTolvWiz::MateixServidor(QUrl("http://other.example/p.png"), pagina));
    EXPECT_FALSE(ModTolvWiz::MateixServidor(QUrl("file:///etc/passwd"), pagina));
    EXPECT_FALSE(ModTolvWiz::MateixServidor(QUrl("data:image/png;base64,AAAA"), pagina));

    const auto mailto = [](const char* u) { return ModTolvWiz::MailtoSegur(QUrl(QString::fromUtf8(u))).value_or("(none)"); };
    EXPECT_EQ(mailto("mailto:labels@kovel.example"), "mailto:labels@kovel.example");
    EXPECT_EQ(mailto("MAILTO:labels@kovel.example?Subject=New%20sheets&attach=/etc/passwd&body=hi&cc=x@y.example"),
              "mailto:labels@kovel.example?subject=New%20sheets");
    EXPECT_EQ(mailto("mailto:a@kovel.example,b@kovel.example?attachment=%2Fhome%2Fu%2F.ssh%2Fid_rsa"), "mailto:a@kovel.example");
    EXPECT_EQ(mailto("mailto:a@kovel.example?subject=x%0D%0ABcc:%20z@evil.example"),
              "mailto:a@kovel.example?subject=xBcc%3A%20z%40evil.example");
    EXPECT_EQ(mailto("mailto:?to=a@kovel.example&attach=/etc/passwd"), "(none)");
    EXPECT_EQ(mailto("mailto:-oProxyCommand=x@kovel.example"), "(none)");
    EXPECT_EQ(mailto("mailto:a@kovel.example%0Aattach=x"), "(none)");
    EXPECT_EQ(mailto("http://kovel.example/"), "(none)");
}
