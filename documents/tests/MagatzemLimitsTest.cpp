// What a save of the designs store refuses and what it leaves behind: a store the reader
// would refuse is never written, a failed save leaves no folder, links are not followed,
// temporaries and folders of killed saves go with a later save, and saves of two processes
// at once keep every design.
#include "documents/guardar.h"
#include "platform/files/EscripturaAtomica.h"
#include "platform/files/tests/Orfe.h"
#include "platform/word/Document.h"
#include "testsupport/Espera.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

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

TEST_F(DesignsStore, ARealOrphanOfTheStoreGoesWithALaterSaveAndTheUsersBackupsStay)
{
    ASSERT_TRUE(QDir().mkpath(guardats()));
    const QString orfe = kovel::test::OrfeDe(store());
    ASSERT_FALSE(orfe.isEmpty());
    const QStringList delUsuari{"guardatsW.dat.backup", "guardatsW.dat.kovel-abc123", "guardatsW.dat.Zx81Qw",
                                "guardatsW.dat.kovel-ABCDEFGHabcdefgh"};
    for (const QString& nom : delUsuari) {
        escriu(guardats() + nom, "mine");
        kovel::test::Envelleix(guardats() + nom, 86400);
    }

    Magatzem m = magatzem();
    QString nom = QStringLiteral("design"), error;
    ASSERT_TRUE(m.GuardaDisseny(nom, unaCasella(), unDocument(), error)) << qPrintable(error);
    EXPECT_FALSE(QFile::exists(orfe));
    QStringList esperades = delUsuari + QStringList{"1", "guardatsW.dat"};
    esperades.sort();
    EXPECT_EQ(entrades(guardats()), esperades);
    for (const QString& nom : delUsuari)
        EXPECT_EQ(llegeix(guardats() + nom), "mine");
}

namespace {

// Saves designs named `prefix` 0, 1, … in a child process until `quants` are saved or it is
// killed; each writes a document of `mida` bytes. The child's exit status: how many failed.
pid_t desaEnUnFill(const QString& dades, const QString& prefix, int quants, qsizetype mida)
{
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    int fallits = 0;
    for (int i = 0; i < quants; ++i) {
        Magatzem m(dades, 'W');
        QString nom = prefix + QString::number(i), error;
        const QByteArray contingut = nom.toUtf8() + QByteArray(mida, 'd');
        const bool ok = m.GuardaDisseny(nom, DadesDisseny{}, [&](const QString& carpeta, QStringList& caselles, QString& e) {
            caselles = {carpeta + QStringLiteral("0.docx"), carpeta + QStringLiteral("1.docx")};
            return kovel::files::EscriuAtomic(caselles[0], contingut, &e) && kovel::files::EscriuAtomic(caselles[1], contingut, &e);
        }, error);
        if (!ok) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            ++fallits;
        }
    }
    ::_exit(std::min(fallits, 100));
}

int espera(pid_t pid)
{
    int estat = 0;
    ::waitpid(pid, &estat, 0);
    return WIFEXITED(estat) ? WEXITSTATUS(estat) : -1;
}

} // namespace

TEST_F(DesignsStore, SavesKilledAtAnyPointLeaveNothingForGoodOnceTheyAreOld)
{
    // Rounds of saves, each killed after a different time: in its documents, in the rename,
    // in the store's write, or between two saves. The time counts from the child's first
    // trace on disk, however slow the machine is to start it. One save before them runs whole.
    ASSERT_EQ(espera(desaEnUnFill(dades(), QStringLiteral("whole-"), 1, 256 * 1024)), 0);
    for (int ronda = 0; ronda < 30; ++ronda) {
        const QStringList abansDelFill = entrades(guardats());
        const pid_t fill = desaEnUnFill(dades(), QStringLiteral("r%1-").arg(ronda), 1000, 256 * 1024);
        EXPECT_TRUE(kovel::test::EsperaFins([&] { return entrades(guardats()) != abansDelFill; }));
        ::usleep(useconds_t(1000 + 10000 * ronda + 7919 * ronda % 20000));
        ::kill(fill, SIGKILL);
        espera(fill);
    }
    // What they left is as old as a save never is.
    kovel::test::Envelleix(guardats(), 3600);
    Magatzem m = magatzem();
    QString error;
    ASSERT_TRUE(m.Carrega(error)) << qPrintable(error);
    const int abans = m.NombreDissenys();
    ASSERT_GT(abans, 0);
    ASSERT_GT(entrades(guardats()).size(), abans + 1) << "no save was killed half way";

    QString nom = QStringLiteral("after"), error2;
    ASSERT_TRUE(m.GuardaDisseny(nom, unaCasella(), unDocument("after"), error2)) << qPrintable(error2);
    Magatzem llegit = magatzem();
    ASSERT_TRUE(llegit.Carrega(error)) << qPrintable(error);
    EXPECT_EQ(llegit.NombreDissenys(), abans + 1);

    // Every folder left is a design's, complete, and nothing else is there but the store.
    QSet<QString> anomenades;
    for (int i = 0; i < llegit.NombreDissenys(); ++i) {
        const QString carpeta = llegit.CarpetaDisseny(i);
        anomenades.insert(QFileInfo(carpeta.chopped(1)).fileName());
        for (int k = 0; k < llegit.Disseny(i).Caselles.size(); ++k)
            EXPECT_TRUE(llegeix(llegit.DocumentDisseny(i, k)).startsWith(llegit.Disseny(i).Nom.toUtf8()));
        EXPECT_EQ(entrades(carpeta).size(), llegit.Disseny(i).Caselles.size()) << qPrintable(carpeta);
    }
    for (const QString& e : entrades(guardats()))
        EXPECT_TRUE(anomenades.contains(e) || e == "guardatsW.dat") << qPrintable(e);
}

TEST_F(DesignsStore, TwoProcessesSavingAtOnceKeepEveryDesign)
{
    const pid_t a = desaEnUnFill(dades(), QStringLiteral("a"), 100, 100);
    const pid_t b = desaEnUnFill(dades(), QStringLiteral("b"), 100, 100);
    EXPECT_EQ(espera(a), 0);
    EXPECT_EQ(espera(b), 0);

    Magatzem m = magatzem();
    QString error;
    ASSERT_TRUE(m.Carrega(error)) << qPrintable(error);
    ASSERT_EQ(m.NombreDissenys(), 200);
    QSet<QString> noms;
    QSet<QString> carpetes;
    for (int i = 0; i < m.NombreDissenys(); ++i) {
        noms.insert(m.Disseny(i).Nom);
        carpetes.insert(m.CarpetaDisseny(i));
        EXPECT_TRUE(llegeix(m.DocumentDisseny(i, 1)).startsWith(m.Disseny(i).Nom.toUtf8()));
    }
    EXPECT_EQ(noms.size(), 200);
    EXPECT_EQ(carpetes.size(), 200);
}

// A sheet whose labels differ saves its cells by their bare names: its folder is found by the
// design's place in the store, so a mark left in it never makes it an orphan.
TEST_F(DesignsStore, ADesignSavedByCellNamesIsNeverTakenForAnOrphan)
{
    Magatzem m = magatzem();
    QString nom = QStringLiteral("cells"), error;
    ASSERT_TRUE(m.GuardaDisseny(nom, DadesDisseny{}, [&](const QString& carpeta, QStringList& caselles, QString& e) {
        caselles = {QStringLiteral("0.docx"), QStringLiteral("1.docx")};
        return kovel::files::EscriuAtomic(carpeta + caselles[0], "x", &e) && kovel::files::EscriuAtomic(carpeta + caselles[1], "y", &e);
    }, error)) << qPrintable(error);
    ASSERT_TRUE(m.Carrega(error));
    const QString carpeta = m.CarpetaDisseny(0);
    ASSERT_TRUE(QFileInfo::exists(carpeta + "0.docx")) << qPrintable(carpeta);
    // Killed, or the power cut, after the store named it and before its mark went.
    QFile marca(carpeta + ".kovel-incomplet");
    ASSERT_TRUE(marca.open(QIODevice::WriteOnly));
    marca.close();
    kovel::test::Envelleix(guardats(), 3600);
    Magatzem m2 = magatzem();
    QString nom2 = QStringLiteral("next");
    ASSERT_TRUE(m2.GuardaDisseny(nom2, unaCasella(), unDocument("n"), error)) << qPrintable(error);
    EXPECT_TRUE(QFileInfo::exists(carpeta + "0.docx")) << qPrintable(carpeta);
    EXPECT_TRUE(QFileInfo::exists(carpeta + "1.docx"));
}
