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

using namespace kovel::word;

namespace {

QByteArray llegeix(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
