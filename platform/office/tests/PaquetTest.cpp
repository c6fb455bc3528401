// The extension package: what it holds, that its XML reads back, and the pictures.
#include "platform/office/Office.h"
#include "platform/office/Paquet.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <zip.h>

#include <map>

using namespace kovel::office;

namespace {

std::map<QString, QByteArray> readZip(const QString& path)
{
    std::map<QString, QByteArray> out;
    int err = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &err);
    EXPECT_NE(za, nullptr) << qPrintable(path);
    if (!za)
        return out;
    for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st);
        QByteArray data(static_cast<qsizetype>(st.size), '\0');
        zip_file_t* f = zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0);
        zip_fread(f, data.data(), st.size);
        zip_fclose(f);
        out[QString::fromUtf8(st.name)] = data;
    }
    zip_close(za);
    return out;
}

// The values of every <prop oor:name=...> of an .xcu, in document order, with the path of
// node names above each.
std::multimap<QString, QString> props(const QByteArray& xcu)
{
    std::multimap<QString, QString> out;
    QXmlStreamReader r(xcu);
    QString prop;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("prop"))
            prop = r.attributes().value(QLatin1String("oor:name")).toString();
        else if (r.isStartElement() && r.name() == QLatin1String("value"))
            out.emplace(prop, r.readElementText());
    }
    EXPECT_FALSE(r.hasError()) << qPrintable(r.errorString());
    return out;
}

QString value(const std::multimap<QString, QString>& m, const char* key)
{
    const auto it = m.find(QLatin1String(key));
    return it == m.end() ? QString() : it->second;
}

bool wellFormed(const QByteArray& xml)
{
    QXmlStreamReader r(xml);
    while (!r.atEnd())
        r.readNext();
    return !r.hasError();
}

} // namespace

TEST(Paquet, EachHostsPackageHoldsItsLibraryMergesAndPictures)
{
    QTemporaryDir dir;
    for (Host host : {Host::Writer, Host::Calc, Host::Base}) {
        EntryPoint e;
        e.host = host;
        e.program = QStringLiteral("/opt/kovel \"new\"/KovelAssist");
        e.menuText = QStringLiteral("Labels & <more>…");
        e.tooltip = QStringLiteral("Label assistant");
        const QString path = dir.path() + QStringLiteral("/p.oxt");
        QString error;
        ASSERT_TRUE(writeZip(path, packageFiles(e), &error)) << qPrintable(error);
        const auto files = readZip(path);
        const HostNames& n = names(host);
        const QString lib = QLatin1String(n.library);
        for (const QString& f : {QStringLiteral("META-INF/manifest.xml"), QStringLiteral("description.xml"),
                                 QStringLiteral("Addons.xcu"), lib + "/script.xlb", lib + "/dialog.xlb",
                                 lib + "/" + QLatin1String(n.module) + ".xba", QStringLiteral("images/face16.png"),
                                 QStringLiteral("images/face26.png")}) {
            ASSERT_TRUE(files.count(f)) << qPrintable(f);
            if (f.endsWith(QLatin1String(".png")))
                EXPECT_FALSE(QImage::fromData(files.at(f), "PNG").isNull()) << qPrintable(f);
            else
                EXPECT_TRUE(wellFormed(files.at(f))) << qPrintable(f);
        }
        EXPECT_TRUE(files.at("description.xml").contains(n.identifier));
        EXPECT_TRUE(files.at("META-INF/manifest.xml").contains(lib.toUtf8() + "/"));

        const auto p = props(files.at("Addons.xcu"));
        const Placement place = placement(host);
        EXPECT_EQ(value(p, "MergePoint"), place.menuPoint);
        EXPECT_EQ(value(p, "MergeToolBar"), place.toolbar);
        EXPECT_EQ(value(p, "Title"), e.menuText);   // read back unescaped
        EXPECT_EQ(value(p, "URL"), scriptUrl(host));
        EXPECT_EQ(value(p, "MergeContext"), QLatin1String(n.context));
        EXPECT_EQ(p.count(QStringLiteral("MergeFallback")), 2u);

        // The macro carries the program as a Basic literal and the host's switch.
        const QString source = macroSource(e);
        EXPECT_TRUE(source.contains(QStringLiteral("Sub ") + QLatin1String(n.macro))) << qPrintable(source);
        EXPECT_TRUE(source.contains(QStringLiteral("/opt/kovel \"\"new\"\"/KovelAssist\""))) << qPrintable(source);
        EXPECT_TRUE(source.contains(QStringLiteral("\"") + QLatin1String(n.hostSwitch) + "\"")) << qPrintable(source);
    }
    EXPECT_EQ(scriptUrl(Host::Writer),
              QStringLiteral("vnd.sun.star.script:KovelAssistant.KovelAssistant.KovelAssistant?language=Basic&location=application"));
    EXPECT_TRUE(scriptUrl(Host::Calc).contains(QStringLiteral(".Macro_KOVEL?")));
}

TEST(Paquet, ButtonPictureComesFromTheFileOrIsTheDefault)
{
    QTemporaryDir dir;
    const QString text = dir.path() + QStringLiteral("/not a picture.bmp");
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("BM this is no bitmap at all");
    f.close();
    EXPECT_TRUE(faceFromFile(text).isNull());
    EXPECT_TRUE(faceFromFile(dir.path() + QStringLiteral("/missing.png")).isNull());
    EXPECT_TRUE(faceFromFile(dir.path()).isNull());
    EXPECT_TRUE(faceFromFile(QString()).isNull());

    QImage red(40, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QString bmp = dir.path() + QStringLiteral("/face.bmp");
    ASSERT_TRUE(red.save(bmp, "BMP"));
    const QImage read = faceFromFile(bmp);
    ASSERT_FALSE(read.isNull());
    EXPECT_EQ(read.size(), QSize(40, 20));

    // A picture not square keeps its shape, centred; a null face gives the default one.
    EntryPoint e;
    e.face = read;
    e.program = QStringLiteral("/p/KovelAssist");
    const auto files = packageFiles(e);
    const auto it = std::find_if(files.begin(), files.end(), [](const auto& f) { return f.first == "images/face16.png"; });
    const QImage small = QImage::fromData(it->second, "PNG");
    EXPECT_EQ(small.size(), QSize(16, 16));
    EXPECT_EQ(QColor(small.pixel(8, 8)), QColor(Qt::red));
    EXPECT_EQ(qAlpha(small.pixel(8, 0)), 0);

    const QImage def = defaultFace(26);
    int drawn = 0;
    for (int y = 0; y < def.height(); ++y)
        for (int x = 0; x < def.width(); ++x)
            drawn += qAlpha(def.pixel(x, y)) > 0;
    EXPECT_GT(drawn, 200);
    if (const char* out = std::getenv("KOVEL_SNAPSHOT_DIR"))
        def.scaled(104, 104).save(QString::fromLocal8Bit(out) + "/defaultFace.png");
}

TEST(Paquet, ZipThatCannotBeWrittenNamesTheFile)
{
    QTemporaryDir dir;
    QFile file(dir.path() + QStringLiteral("/plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString path = dir.path() + QStringLiteral("/plain/p.oxt");
    QString error;
    EXPECT_FALSE(writeZip(path, {{QStringLiteral("a"), QByteArray("b")}}, &error));
    EXPECT_TRUE(error.contains(path)) << qPrintable(error);
}

TEST(Office, ProfileIsTheNamedOneOrTheUsersOwn)
{
    const QByteArray saved = qgetenv("KOVEL_OFFICE_PROFILE");
    qputenv("KOVEL_OFFICE_PROFILE", "/tmp/some profile/");
    EXPECT_EQ(profile().dir, QStringLiteral("/tmp/some profile"));
    EXPECT_EQ(profile().url(), QStringLiteral("file:///tmp/some%20profile"));
    EXPECT_EQ(profile().templatesDir(), QStringLiteral("/tmp/some profile/user/template"));
    qputenv("KOVEL_OFFICE_PROFILE", "file:///tmp/other%20one");
    EXPECT_EQ(profile().dir, QStringLiteral("/tmp/other one"));
    qunsetenv("KOVEL_OFFICE_PROFILE");
    EXPECT_TRUE(profile().dir.endsWith(QStringLiteral("/libreoffice/4"))) << qPrintable(profile().dir);
    if (!saved.isNull())
        qputenv("KOVEL_OFFICE_PROFILE", saved);
}
