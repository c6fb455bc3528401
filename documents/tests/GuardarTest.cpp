// The saved-designs store: its disk form, what a save keeps, and damaged files.
#include "documents/guardar.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

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
    f.write(d);
}

// A one-document save: writes "0.docx" with a marker and stores its full path.
DesaDocuments unDocument(const QByteArray& marca)
{
    return [marca](const QString& carpeta, QStringList& caselles, QString&) {
        const QString p = carpeta + QStringLiteral("0.docx");
        QFile f(p);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write(marca);
        caselles = {p};
        return true;
    };
}

struct Store : ::testing::Test {
    QTemporaryDir dir;
    QString dades() const { return dir.path() + QStringLiteral("/KOVEL Videvoviv/"); }
    Magatzem obre(char lletra, const QString& font = {})
    {
        Magatzem m(dades(), lletra, font);
        m.setRellotge([] { return 45000.5; });
        QString error;
        EXPECT_TRUE(m.Carrega(error)) << error.toStdString();
        return m;
    }
    void desa(Magatzem& m, QString nom, const DadesDisseny& d = {})
    {
        QString error;
        ASSERT_TRUE(m.GuardaDisseny(nom, d, unDocument(nom.toUtf8()), error)) << error.toStdString();
    }
};

} // namespace

TEST_F(Store, SavesNewestFirstInNumberedFoldersAndReadsBackInAnotherRun)
{
    {
        Magatzem m = obre('W');
        EXPECT_FALSE(m.HiHaGuardats());
        DadesDisseny d;
        d.TipusPaper = '4';
        d.Model = 1234;
        d.Orientacio = 'V';
        d.Ordre = 'I';
        desa(m, QStringLiteral("first"), d);
        desa(m, QStringLiteral("second"), d);
        desa(m, QStringLiteral("third"), d);
    }
    Magatzem m = obre('W');
    ASSERT_EQ(m.Noms(), (QStringList{"third", "second", "first"}));
    EXPECT_EQ(m.CarpetaDisseny(0), m.CarpetaGuardats() + "3/");
    EXPECT_EQ(m.CarpetaDisseny(2), m.CarpetaGuardats() + "1/");
    EXPECT_EQ(llegeix(m.DocumentDisseny(2, 0)), QByteArray("first"));
    const RegistreGuardat& r = m.Disseny(0);
    EXPECT_EQ(r.Model, 1234);
    EXPECT_EQ(r.TipusPaper, '4');
    EXPECT_EQ(r.Versio, QStringLiteral("6.4.0w"));
    EXPECT_EQ(r.NumCaselles, 1);
    EXPECT_EQ(r.DataDesat, 45000.5);
    EXPECT_EQ(TextLlistaGuardat(r, [](const QString& s) { return s == "\t" ? 40 : 8 * int(s.size()); }),
              QStringLiteral("  third\t") + QString(16, ' ') + "1234" + QString(18, ' ') + "15/03/23");
}

TEST_F(Store, DiskFormIsThePackedLittleEndianLayout)
{
    RegistreGuardat h; // the header: every member empty
    RegistreGuardat r;
    r.Nom = QStringLiteral("Caf\u00e9");
    r.DataDesat = 1.5;
    r.LletraPrograma = 'E';
    r.Versio = "6.4.0w";
    r.TipusPaper = 'L';
    r.Model = -2;
    r.Orientacio = 'H';
    r.Ordre = 'D';
    r.NumCaselles = 1;
    r.Caselles = {"a"};
    r.CasellesDimensionades = true;
    r.FontDades = "x";
    r.Llista = "";
    r.FilaInicial = 2;
    r.FilaFinal = 0x01020304;
    const QByteArray d = CodificaRegistres({h, r});
    // Header: 32 fixed bytes, four empty texts (2 each), two undimensioned arrays (2 each).
    const int header = 32 + 4 * 2 + 2 * 2;
    ASSERT_EQ(d.size(), header + 32 + (2 + 4) + (2 + 6) + (2 + 4 + 4 + 2 + 1) + (2 + 1) + 2 + 2);
    const char* p = d.constData() + header;
    EXPECT_EQ(qFromLittleEndian<quint16>(p), 4);
    EXPECT_EQ(QByteArray(p + 2, 4), QByteArray("Caf\xe9")); // Windows-1252
    EXPECT_EQ(d.right(4), QByteArray("\x04\x03\x02\x01", 4));
    const Lectura l = LlegeixRegistres(d, "x");
    ASSERT_TRUE(l.error.isEmpty());
    ASSERT_EQ(l.registres.size(), 2u);
    EXPECT_EQ(l.registres[1], r);
}

TEST_F(Store, SpreadsheetStoreKeepsEveryWorkbooksDesignsAndListsOnlyTheOpenOnes)
{
    Magatzem a = obre('E', "/data/a.xlsx");
    DadesDisseny d;
    d.Llista = "Sheet1";
    d.FilaInicial = 2;
    d.FilaFinal = 9;
    desa(a, "on a", d);
    Magatzem b = obre('E', "/data/b.xlsx");
    EXPECT_FALSE(b.HiHaGuardats());
    desa(b, "on b", d);
    desa(b, "on b too", d);

    Magatzem a2 = obre('E', "/data/a.xlsx");
    ASSERT_EQ(a2.Noms(), QStringList{"on a"});
    EXPECT_EQ(a2.CarpetaDisseny(0), a2.CarpetaGuardats() + "1/");
    EXPECT_EQ(llegeix(a2.DocumentDisseny(0, 0)), QByteArray("on a"));
    EXPECT_EQ(a2.Disseny(0).FilaFinal, 9);
    Magatzem b2 = obre('E', "/data/b.xlsx");
    EXPECT_EQ(b2.Noms(), (QStringList{"on b too", "on b"}));
    EXPECT_EQ(llegeix(b2.DocumentDisseny(1, 0)), QByteArray("on b"));
}

TEST_F(Store, NamesAreCutBeforeTheyAreComparedAndTheChosenRowIsTheOneOpened)
{
    Magatzem m = obre('W');
    QString nom = QStringLiteral("ABCDEFGHIJKLMNOPQRSTuvw");
    desa(m, nom);
    EXPECT_TRUE(m.NomRepetit(QStringLiteral("abcdefghijklmnopqrstXYZ")));
    EXPECT_FALSE(m.NomRepetit(QStringLiteral("ABCDEFGHIJKLMNOPQRS")));
    EXPECT_EQ(m.Noms(), QStringList{"ABCDEFGHIJKLMNOPQRST"});
    // Two designs of one name (an older store may hold them): each row opens its own.
    desa(m, "ABCDEFGHIJKLMNOPQRST");
    Magatzem m2 = obre('W');
    EXPECT_NE(m2.DocumentDisseny(0, 0), m2.DocumentDisseny(1, 0));
}

TEST_F(Store, MovedDataFolderFindsDocumentsInTheDesignsOwnFolder)
{
    {
        Magatzem m = obre('W');
        desa(m, "moved");
    }
    const QString nou = dir.path() + "/elsewhere/";
    ASSERT_TRUE(QDir().rename(dades(), nou));
    Magatzem m(nou, 'W');
    QString error;
    ASSERT_TRUE(m.Carrega(error));
    EXPECT_EQ(m.DocumentDisseny(0, 0), nou + "guardats/1/0.docx");
    EXPECT_EQ(llegeix(m.DocumentDisseny(0, 0)), QByteArray("moved"));
}

TEST_F(Store, DamagedStoreIsRefusedNamedAndNeverWrittenOver)
{
    {
        Magatzem m = obre('W');
        desa(m, "kept");
    }
    Magatzem m0 = obre('W');
    const QString ruta = m0.RutaFitxerGuardats();
    const QByteArray bo = llegeix(ruta);
    // Every cut of a good store but the record boundaries is refused, never read half.
    for (qsizetype n = 1; n < bo.size(); ++n) {
        const Lectura l = LlegeixRegistres(QByteArrayView(bo).first(n), ruta);
        if (l.error.isEmpty())
            EXPECT_EQ(n, 44) << "only the header alone parses whole";
        else
            EXPECT_TRUE(l.error.contains(ruta));
    }
    escriu(ruta, bo.left(bo.size() - 3));
    Magatzem m(dades(), 'W');
    QString error;
    EXPECT_FALSE(m.Carrega(error));
    EXPECT_TRUE(error.contains(ruta));
    QString nom = "new";
    EXPECT_FALSE(m.GuardaDisseny(nom, {}, unDocument("x"), error));
    EXPECT_EQ(llegeix(ruta), bo.left(bo.size() - 3));
    QString apartat;
    ASSERT_TRUE(m.ApartaDanyat(apartat, error));
    EXPECT_EQ(llegeix(apartat), bo.left(bo.size() - 3));
    EXPECT_TRUE(m.GuardaDisseny(nom, {}, unDocument("x"), error)) << error.toStdString();
}

TEST_F(Store, NoSaveReusesAnotherDesignsFolder)
{
    Magatzem w = obre('W');
    desa(w, "word");
    Magatzem e = obre('E', "/d/a.xlsx");
    desa(e, "calc");
    EXPECT_NE(obre('W').CarpetaDisseny(0), obre('E', "/d/a.xlsx").CarpetaDisseny(0));
    EXPECT_EQ(llegeix(obre('W').DocumentDisseny(0, 0)), QByteArray("word"));

    // A store set aside keeps its documents: the new store's designs go elsewhere.
    QFile f(w.RutaFitxerGuardats());
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("junk");
    f.close();
    Magatzem danyat(dades(), 'W');
    QString error, apartat;
    EXPECT_FALSE(danyat.Carrega(error));
    ASSERT_TRUE(danyat.ApartaDanyat(apartat, error));
    desa(danyat, "after");
    EXPECT_EQ(llegeix(dades() + "guardats/1/0.docx"), QByteArray("word"));
    EXPECT_EQ(llegeix(obre('W').DocumentDisseny(0, 0)), QByteArray("after"));

    // A store made without reading the file first still keeps what the file holds.
    Magatzem nou(dades(), 'W');
    desa(nou, "third");
    EXPECT_EQ(obre('W').Noms(), (QStringList{"third", "after"}));
}

TEST_F(Store, FailedWriteKeepsTheOldStore)
{
    Magatzem m = obre('W');
    desa(m, "old");
    const QByteArray abans = llegeix(m.RutaFitxerGuardats());
    m.setEscriptor([](const QString&, const QByteArray&, QString& e) {
        e = "disk full";
        return false;
    });
    QString nom = "lost", error;
    EXPECT_FALSE(m.GuardaDisseny(nom, {}, unDocument("x"), error));
    EXPECT_EQ(error, "disk full");
    EXPECT_EQ(llegeix(m.RutaFitxerGuardats()), abans);
    EXPECT_EQ(obre('W').Noms(), QStringList{"old"});
}

TEST_F(Store, HostileCountsAreRefusedWithoutAllocating)
{
    RegistreGuardat r;
    r.Caselles = {"a", "b"};
    r.CasellesDimensionades = true;
    QByteArray d = CodificaRegistres({RegistreGuardat{}, r});
    // The cell count of the second record: after its fixed members and two empty texts.
    const int pos = 44 + 2 + 8 + 1 + 2 + 1 + 4 + 1 + 1 + 4 + 2;
    ASSERT_EQ(qFromLittleEndian<qint32>(d.constData() + pos), 2);
    qToLittleEndian<qint32>(0x7FFFFFFF, d.data() + pos);
    EXPECT_FALSE(LlegeixRegistres(d, "f").error.isEmpty());
    qToLittleEndian<qint32>(-1, d.data() + pos);
    EXPECT_FALSE(LlegeixRegistres(d, "f").error.isEmpty());
}
