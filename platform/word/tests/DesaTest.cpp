// How a document reaches the disk: a failed save keeps the document that was there, and a
// name that is a symbolic link is replaced rather than written through.
#include "platform/files/EscripturaAtomica.h"
#include "platform/files/tests/DiscPle.h"
#include "platform/word/Document.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <zip.h>

#include <utility>
#include <vector>

using namespace kovel::word;

namespace {

QByteArray llegeix(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A package's entries in their order, each with its bytes. Two writes of one document differ
// in the stored times (the zip clock ticks every two seconds), never in these.
std::vector<std::pair<QByteArray, QByteArray>> entrades(const QByteArray& package)
{
    std::vector<std::pair<QByteArray, QByteArray>> out;
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(package.constData(), static_cast<zip_uint64_t>(package.size()), 0, &err);
    zip_t* za = src ? zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &err) : nullptr;
    if (!za) {
        if (src)
            zip_source_free(src);
        zip_error_fini(&err);
        ADD_FAILURE() << "not a package";
        return out;
    }
    const zip_int64_t n = zip_get_num_entries(za, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st);
        QByteArray data(static_cast<qsizetype>(st.size), '\0');
        zip_file_t* f = zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0);
        if (!f || zip_fread(f, data.data(), st.size) != static_cast<zip_int64_t>(st.size))
            ADD_FAILURE() << "entry " << st.name << " unreadable";
        if (f)
            zip_fclose(f);
        out.emplace_back(QByteArray(st.name), data);
    }
    zip_discard(za);
    zip_error_fini(&err);
    return out;
}

std::unique_ptr<Document> document(const QString& text, int paragraphs = 1)
{
    auto d = Document::create();
    QString all;
    for (int i = 0; i < paragraphs; ++i)
        all += text + QString::number(i) + u'\r';
    d->content().setText(all);
    return d;
}

} // namespace

TEST(PlatformWordSave, AFailedSaveKeepsTheDocumentThatWasThere)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wp_1234V.docx"));
    document(QStringLiteral("good sheet"))->saveAs(path);
    const QByteArray good = llegeix(path);
    kovel::files::LimitaEscripturesPerProva(100);
    auto d = document(QStringLiteral("new sheet"));
    EXPECT_THROW(d->saveAs(path), WordError);
    kovel::files::LimitaEscripturesPerProva(-1);
    EXPECT_FALSE(d->saved());
    EXPECT_EQ(llegeix(path), good);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("wp_1234V.docx")});

    kovel::test::DiscPetit disc(128);
    if (!disc.muntat())
        GTEST_SKIP() << "a tmpfs cannot be mounted here; covered by the injected failure above";
    const QString full = disc.filePath(QStringLiteral("wp_1234V.docx"));
    document(QStringLiteral("good sheet"))->saveAs(full);
    disc.omple();
    try {
        // Text that does not compress, so the package cannot fit in what is left.
        QString noise;
        for (int i = 0; i < 20000; ++i)
            noise += QChar(u'A' + (i * 7919) % 26);
        document(noise, 4)->saveAs(full);
        ADD_FAILURE() << "saved on a full disk";
    } catch (const WordError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("No space left"))) << qPrintable(e.message());
    }
    EXPECT_EQ(llegeix(full), good);
    EXPECT_TRUE(Document::open(full)->content().text().startsWith(QStringLiteral("good sheet0\r")));
    EXPECT_EQ(QDir(disc.path()).entryList(QDir::Files), QStringList{QStringLiteral("wp_1234V.docx")});
}

TEST(PlatformWordSave, ANameThatIsASymlinkIsReplacedNotItsTarget)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("precious.txt"));
    const QString link = dir.filePath(QStringLiteral("wp_1234V.docx"));
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the user's own file");
    }
    ASSERT_TRUE(QFile::link(target, link));
    document(QStringLiteral("sheet"))->saveAs(link);
    EXPECT_EQ(llegeix(target), "the user's own file");
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(Document::open(link)->content().text().startsWith(QStringLiteral("sheet0\r")));
}

TEST(PlatformWordSave, APackageOfManyPiecesIsWrittenWholeAndInOrder)
{
    // A picture that does not compress makes the package several of the writer's pieces long.
    QImage soroll(900, 900, QImage::Format_RGB32);
    quint32 x = 2463534242u;
    for (int y = 0; y < soroll.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(soroll.scanLine(y));
        for (int i = 0; i < soroll.width(); ++i) {
            x ^= x << 13, x ^= x >> 17, x ^= x << 5;
            line[i] = 0xFF000000u | (x & 0xFFFFFFu);
        }
    }
    auto d = document(QStringLiteral("label"), 50);
    Range r = d->content();
    r.collapse(Collapse::End);
    r.insertPicture(InlinePicture::fromImage(soroll));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.docx"));
    d->saveAs(path);
    const QByteArray bytes = d->toBytes();
    EXPECT_GT(bytes.size(), 2 << 20);
    const QByteArray written = llegeix(path);
    EXPECT_EQ(written.size(), bytes.size());
    EXPECT_EQ(entrades(written), entrades(bytes));
    const auto back = Document::open(path);
    EXPECT_TRUE(back->content().text().startsWith(QStringLiteral("label0\r")));
}
