// What a save of the designs store refuses and what it leaves behind: a store the reader
// would refuse is never written, a failed save leaves no folder, links are not followed,
// and temporaries of killed writers go with the next save.
#include "documents/guardar.h"
#include "platform/files/EscripturaAtomica.h"
#include "platform/word/Document.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace guardar;

namespace {

QByteArray llegeix(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void escriu(const QString& path, const QByteArray& d)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(d), d.size());
}

QStringList entrades(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

class LimitDeProva {
public:
    explicit LimitDeProva(qint64 bytes) { kovel::files::LimitaEscripturesPerProva(bytes); }
    ~LimitDeProva() { kovel::files::LimitaEscripturesPerProva(-1); }
};

struct DesignsStore : ::testing::Test {
    QTemporaryDir dir;
    QString dades() const { return dir.path() + QStringLiteral("/KOVEL Videvoviv/"); }
    QString guardats() const { return dades() + QStringLiteral("guardats/"); }
    QString store() const { return guardats() + QStringLiteral("guardatsW.dat"); }
    int desats = 0; // documents' saves run

    // A one-document save through the shared writer, as the wizard's.
    DesaDocuments unDocument(const QByteArray& marca = "doc")
    {
        return [this, marca](const QString& carpeta, QStringList& caselles, QString& error) {
            ++desats;
            caselles = {carpeta + QStringLiteral("0.docx")};
            return kovel::files::EscriuAtomic(caselles[0], marca, &error);
        };
    }
    static DadesDisseny unaCasella()
    {
        DadesDisseny d;
        d.Caselles = [](const QString& carpeta) { return QStringList{carpeta + QStringLiteral("0.docx")}; };
        return d;
    }
    // The record a one-document save of a name of the longest length adds, for a store of
    // `registres` records (header included).
    RegistreGuardat nouDisseny(std::size_t registres) const
    {
        RegistreGuardat r;
        r.Nom = QString(LongitudNom, u'n');
        r.DataDesat = 45000.5;
        r.LletraPrograma = 'W';
        r.Versio = QString::fromLatin1(VersioDesat);
        r.CasellesDimensionades = true;
        r.Caselles = {guardats() + QString::number(registres) + QStringLiteral("/0.docx")};
        r.NumCaselles = 1;
        return r;
    }
    // A store file that one more such design makes `mida` bytes long: the header and designs
    // of many cells each, as the designs of a sheet of many labels are.
    void omple(qsizetype mida)
    {
        std::vector<RegistreGuardat> r(1);
        RegistreGuardat gran;
        gran.Nom = QStringLiteral("big");
        gran.LletraPrograma = 'W';
        gran.CasellesDimensionades = true;
        for (int k = 0; k < 10000; ++k)
            gran.Caselles << QString::number(k) + QStringLiteral(".docx");
        gran.NumCaselles = 10000;
        const auto mida1 = [](const RegistreGuardat& g) { return CodificaRegistres({g}).size(); };
        const qsizetype unGran = mida1(gran);
        qsizetype total = mida1(r[0]);
        for (; total + unGran + 1000 < mida; total += unGran)
            r.push_back(gran);
        // The rest in designs of a long worksheet name each, the last one cut to measure.
        RegistreGuardat resta;
        resta.LletraPrograma = 'W';
        resta.Nom = QStringLiteral("last");
        const auto falta = [&] { return mida - mida1(nouDisseny(r.size() + 1)) - total - mida1(resta); };
        while (falta() > 60000) {
            resta.Llista = QString(30000, u'x');
            r.push_back(resta);
            total += mida1(resta);
            resta.Llista.clear();
        }
        resta.Llista = QString(int(falta()), u'x');
        r.push_back(resta);
        const qsizetype nou = mida1(nouDisseny(r.size()));
        QDir().mkpath(guardats());
        escriu(store(), CodificaRegistres(r));
        ASSERT_EQ(QFileInfo(store()).size(), mida - nou);
    }
    Magatzem magatzem()
    {
        Magatzem m(dades(), 'W');
        m.setRellotge([] { return 45000.5; });
        return m;
    }
};

} // namespace

TEST_F(DesignsStore, ASaveTheReaderCouldNotReadIsRefusedBeforeAnythingIsWritten)
{
    // Filled so that one more design makes it exactly as large as the reader takes.
    omple(MidaMaximaFitxer);
    const QByteArray ple = llegeix(store());
    Magatzem m = magatzem();
    QString nom = QStringLiteral("twenty characters ab"), error;
    ASSERT_TRUE(m.Carrega(error)) << qPrintable(error);
    ASSERT_TRUE(m.CapDisseny(QString(), unaCasella(), error)) << qPrintable(error);
    ASSERT_TRUE(m.GuardaDisseny(nom, unaCasella(), unDocument(), error)) << qPrintable(error);
    EXPECT_EQ(QFileInfo(store()).size(), MidaMaximaFitxer);
    ASSERT_TRUE(magatzem().Carrega(error)) << qPrintable(error);

    // One more is refused, saying why and what to do, with nothing written anywhere.
    const QByteArray abans = llegeix(store());
    const QStringList carpetes = entrades(guardats());
    desats = 0;
    nom = QStringLiteral("one more");
    EXPECT_FALSE(m.CapDisseny(QString(), unaCasella(), error));
    EXPECT_FALSE(m.GuardaDisseny(nom, unaCasella(), unDocument(), error));
    EXPECT_TRUE(error.contains(store())) << qPrintable(error);
    EXPECT_TRUE(error.contains(QStringLiteral("Delete older designs"))) << qPrintable(error);
    EXPECT_EQ(desats, 0);
    EXPECT_EQ(llegeix(store()), abans);
    EXPECT_EQ(entrades(guardats()), carpetes);

    // Documents that record more than was foretold are caught after their save, undone.
    const DesaDocuments mesDeLoPrevist = [](const QString& carpeta, QStringList& caselles, QString& e) {
        for (int k = 0; k < 100; ++k)
            caselles << QString::number(k) + QStringLiteral(".docx");
        return kovel::files::EscriuAtomic(carpeta + QStringLiteral("0.docx"), "doc", &e);
    };
    Magatzem altre(dades() + QStringLiteral("other/"), 'W');
    ASSERT_TRUE(QDir().mkpath(altre.CarpetaGuardats()));
    escriu(altre.RutaFitxerGuardats(), ple);
    EXPECT_FALSE(altre.GuardaDisseny(nom, DadesDisseny{}, mesDeLoPrevist, error));
    EXPECT_TRUE(error.contains(QStringLiteral("Delete older designs"))) << qPrintable(error);
    EXPECT_EQ(entrades(altre.CarpetaGuardats()), QStringList{"guardatsW.dat"});
    EXPECT_EQ(llegeix(altre.RutaFitxerGuardats()), ple);
}

TEST_F(DesignsStore, AFailedSaveRemovesWhatItMadeAndKeepsTheStore)
{
    Magatzem m = magatzem();
    QString nom, error;

    // The very first save fails on a full disk: no store folder is left either.
    {
        LimitDeProva disc(2);
        nom = QStringLiteral("first");
        EXPECT_FALSE(m.GuardaDisseny(nom, unaCasella(), unDocument(), error));
    }
    EXPECT_TRUE(error.contains(QStringLiteral("No space left"))) << qPrintable(error);
    EXPECT_FALSE(QFileInfo::exists(guardats()));
    ASSERT_TRUE(m.GuardaDisseny(nom, unaCasella(), unDocument(), error)) << qPrintable(error);

    // The documents are written and the store's write fails: the new folder goes.
    const QByteArray abans = llegeix(store());
    {
        LimitDeProva disc(3 + 10);
        nom = QStringLiteral("second");
        EXPECT_FALSE(m.GuardaDisseny(nom, unaCasella(), unDocument(), error));
    }
    EXPECT_EQ(entrades(guardats()), (QStringList{"1", "guardatsW.dat"}));
    EXPECT_EQ(llegeix(store()), abans);

    // An empty folder found in the way is emptied again, not removed.
    ASSERT_TRUE(QDir().mkpath(guardats() + QStringLiteral("2")));
    {
        LimitDeProva disc(3 + 10);
        EXPECT_FALSE(m.GuardaDisseny(nom, unaCasella(), unDocument(), error));
    }
    EXPECT_EQ(entrades(guardats()), (QStringList{"1", "2", "guardatsW.dat"}));
    EXPECT_TRUE(entrades(guardats() + QStringLiteral("2")).isEmpty());
    ASSERT_TRUE(m.GuardaDisseny(nom, unaCasella(), unDocument(), error)) << qPrintable(error);
    Magatzem l = magatzem();
    ASSERT_TRUE(l.Carrega(error));
    EXPECT_EQ(l.Noms(), (QStringList{"second", "first"}));
}

TEST_F(DesignsStore, FoldersThatAreLinksAreRefusedByName)
{
    QTemporaryDir fora;
    QString nom = QStringLiteral("design"), error;

    // The store's folder itself.
    ASSERT_TRUE(QDir().mkpath(dades()));
    ASSERT_TRUE(QFile::link(fora.path(), dades() + QStringLiteral("guardats")));
    Magatzem m = magatzem();
    EXPECT_FALSE(m.GuardaDisseny(nom, unaCasella(), unDocument(), error));
    EXPECT_TRUE(error.contains(dades() + QStringLiteral("guardats\""))) << qPrintable(error);
    EXPECT_TRUE(error.contains(QStringLiteral("symbolic link"))) << qPrintable(error);
    EXPECT_EQ(desats, 0);
    EXPECT_TRUE(entrades(fora.path()).isEmpty());
    ASSERT_TRUE(QFile::remove(dades() + QStringLiteral("guardats")));

    // The empty design folder a save would take, and a dangling one.
    ASSERT_TRUE(QDir().mkpath(guardats()));
    ASSERT_TRUE(QFile::link(fora.path(), guardats() + QStringLiteral("1")));
    EXPECT_FALSE(m.GuardaDisseny(nom, unaCasella(), unDocument(), error));
    EXPECT_TRUE(error.contains(guardats() + QStringLiteral("1\""))) << qPrintable(error);
    EXPECT_TRUE(entrades(fora.path()).isEmpty());
    ASSERT_TRUE(QFile::remove(guardats() + QStringLiteral("1")));
    ASSERT_TRUE(QFile::link(fora.filePath("gone"), guardats() + QStringLiteral("1")));
    EXPECT_FALSE(m.GuardaDisseny(nom, unaCasella(), unDocument(), error));
    EXPECT_FALSE(QFileInfo::exists(fora.filePath("gone")));
    EXPECT_EQ(desats, 0);
    EXPECT_FALSE(QFileInfo::exists(store()));
}

TEST_F(DesignsStore, OrphanTemporariesGoWithTheNextSaveOfTheStoreOrOfADocument)
{
    // What killed writers left: of the store (this writer's form and the earlier one) and of
    // a label document.
    ASSERT_TRUE(QDir().mkpath(guardats()));
    const QString orfe = store() + QStringLiteral(".kovel-Ab3dE9");
    const QString antic = store() + QStringLiteral(".Zx81Qw");
    escriu(orfe, QByteArray(100000, 's'));
    escriu(antic, QByteArray(100000, 's'));
    QFile f(antic);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
    f.close();
    QTemporaryDir documents;
    const QString orfeDoc = documents.filePath(QStringLiteral("labels.docx.kovel-q1w2e3"));
    escriu(orfeDoc, QByteArray(100000, 'd'));

    Magatzem m = magatzem();
    QString nom = QStringLiteral("design"), error;
    ASSERT_TRUE(m.GuardaDisseny(nom, unaCasella(), unDocument(), error)) << qPrintable(error);
    EXPECT_EQ(entrades(guardats()), (QStringList{"1", "guardatsW.dat"}));

    auto doc = kovel::word::Document::create();
    doc->saveAs(documents.filePath(QStringLiteral("wp_000001.docx")));
    EXPECT_EQ(entrades(documents.path()), QStringList{"wp_000001.docx"});
}
