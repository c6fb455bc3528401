// "special.uni" and the wizard's list routines; the codes a saved design records.
#include "wizard/TiposEspeciales.h"

#include "catalogue/Catalogo.h"
#include "catalogue/CodisDisseny.h"
#include "catalogue/Cataleg.h"
#include "common/HostProfile.h"
#include "common/ModTraduccion.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kovel::wizard;

namespace {

void Escriu(const QString& ruta, const QByteArray& dades)
{
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(dades), dades.size());
}

QByteArray Registre(qint16 numero, const QByteArray& primer)
{
    QByteArray r(LongitudTipoEspecial, ' ');
    r[0] = char(numero & 0xFF);
    r[1] = char((numero >> 8) & 0xFF);
    r.replace(2, primer.size(), primer);
    for (int i = 252; i < LongitudTipoEspecial; ++i)
        r[i] = char(i - 252);
    return r;
}

} // namespace

TEST(TiposEspeciales, RecordsAreReadWithASpareElementAndAPartialOneIsNone)
{
    TaulaTiposEspeciales taula;
    QString m;
    ASSERT_TRUE(ModTraduccion::CarregarLiterals(m)) << qPrintable(m);
    QTemporaryDir dir;
    Escriu(dir.filePath("special.uni"), QByteArray());
    ASSERT_TRUE(Cargar_Tipos_EspecialesDe(taula, dir.path(), m));
    EXPECT_EQ(taula.NumTiposEspeciales, 0);
    EXPECT_EQ(taula.TiposEspeciales.size(), 1);

    Escriu(dir.filePath("special.uni"), Registre(7, "Round \xe9tiquette") + Registre(-2, "Oval") + QByteArray(100, 'x'));
    ASSERT_TRUE(Cargar_Tipos_EspecialesDe(taula, dir.path(), m)) << qPrintable(m);
    ASSERT_EQ(taula.NumTiposEspeciales, 2);
    ASSERT_EQ(taula.TiposEspeciales.size(), 3);
    EXPECT_EQ(taula.TiposEspeciales[0].Numero, 7);
    EXPECT_EQ(taula.TiposEspeciales[0].Textos[0], QStringLiteral("Round \u00e9tiquette"));
    EXPECT_EQ(taula.TiposEspeciales[1].Numero, -2);
    EXPECT_EQ(taula.TiposEspeciales[1].Textos[1], QString());
    EXPECT_EQ(taula.TiposEspeciales[1].Datos.size(), 32);
    EXPECT_EQ(taula.TiposEspeciales[1].Datos[31], char(31));

    // Missing: literal 1 naming the full path, and an empty table.
    QFile::remove(dir.filePath("special.uni"));
    EXPECT_FALSE(Cargar_Tipos_EspecialesDe(taula, dir.path(), m));
    EXPECT_TRUE(m.contains(dir.filePath("special.uni"))) << qPrintable(m);
    EXPECT_EQ(m, ModTraduccion::Literal(1, dir.filePath("special.uni")));
    EXPECT_EQ(taula.NumTiposEspeciales, 0);
    // A folder of that name is not the file.
    ASSERT_TRUE(QDir(dir.path()).mkdir("special.uni"));
    EXPECT_FALSE(Cargar_Tipos_EspecialesDe(taula, dir.path(), m));
}

TEST(TiposEspeciales, TheShippedFileLoads)
{
    TaulaTiposEspeciales taula;
    QString m;
    ASSERT_TRUE(Cargar_Tipos_EspecialesDe(taula, QStringLiteral(KOVEL_PROGRAM_DIR), m)) << qPrintable(m);
    EXPECT_GT(taula.NumTiposEspeciales, 0);
    EXPECT_EQ(QFile(QStringLiteral(KOVEL_PROGRAM_DIR "/special.uni")).size(),
              taula.NumTiposEspeciales * LongitudTipoEspecial);
}

TEST(TiposEspeciales, ListRoutines)
{
    QStringList l0{"old"}, l1;
    Actualitza_Llista({"Name", "Street", "Town"}, 2, l0, l1);
    EXPECT_EQ(l0, (QStringList{"Name", "Street"}));
    EXPECT_EQ(l1, l0);
    Actualitza_Llista({"Name"}, 5, l0, l1);   // a count past the names stops at the names
    EXPECT_EQ(l0, QStringList{"Name"});

    QString t = QStringLiteral("Dear NAME, NAME");
    sustituye(t, QStringLiteral("name"), QStringLiteral("Ann"));
    EXPECT_EQ(t, QStringLiteral("Dear Ann, NAME"));
    EXPECT_THROW(sustituye(t, QStringLiteral("town"), QStringLiteral("x")), ErrorArgumentInvalid);
    EXPECT_EQ(t, QStringLiteral("Dear Ann, NAME"));

    QString r;
    Combina_Lista("a;b;c;d", "2;4", r, u';');
    EXPECT_EQ(r, "b;d");
    Combina_Lista("a;b;c;d", "1;2;3;", r, u';');   // with or without a separator after the last
    EXPECT_EQ(r, "a;b;c");
    Combina_Lista("a;b", "1;7", r, u';');          // past the last item: the result ends there
    EXPECT_EQ(r, "a");
    Combina_Lista("", "1", r, u';');
    EXPECT_EQ(r, "");
    Combina_Lista("a", "", r, u';');
    EXPECT_EQ(r, "");
}

TEST(TiposEspeciales, AFreeListDocumentNameIsProposed)
{
    QString m;
    ASSERT_TRUE(ModTraduccion::CarregarLiterals(m));
    QTemporaryDir docs;
    const QString base = ModTraduccion::Literal(15);
    ASSERT_FALSE(base.isEmpty());
    Escriu(docs.filePath(base + "1.docx"), "x");
    Escriu(docs.filePath(base + "2.docx"), "x");
    QString box;
    PreparaNombreListaEn(docs.path(), box);
    EXPECT_EQ(box, base + "3.docx");
    box = QStringLiteral("mine.docx");
    PreparaNombreListaEn(docs.path(), box);   // a name already there stays
    EXPECT_EQ(box, QStringLiteral("mine.docx"));
}

TEST(CodisDisseny, EveryCodeReadsBackAsTheChoiceItWasWrittenFrom)
{
    using namespace directoris;
    std::array<bool, 5> p{};
    EXPECT_EQ(CodiTipusPaper(p), 0);
    EXPECT_EQ(TipusPaperDeCodi(0), -1);
    p[PapelContinuo] = p[PapelLetter] = true;
    EXPECT_EQ(CodiTipusPaper(p), 'L');   // Letter comes before continuous
    for (int t = 0; t < 5; ++t) {
        p = {};
        p[std::size_t(t)] = true;
        EXPECT_EQ(TipusPaperDeCodi(CodiTipusPaper(p)), t);
    }
    EXPECT_EQ(TipusPaperDeCodi('X'), -1);

    EXPECT_EQ(CodiOrientacio(true, true), 'H');
    EXPECT_EQ(HoritzontalDeCodi(CodiOrientacio(true, false)), true);
    EXPECT_EQ(HoritzontalDeCodi(CodiOrientacio(false, true)), false);
    EXPECT_EQ(HoritzontalDeCodi(CodiOrientacio(false, false)), std::nullopt);

    for (bool o : {true, false})
        EXPECT_EQ(OpcioOrdreDeCodi(CodiOrdre(o)), o);
    EXPECT_EQ(OpcioOrdreDeCodi(0), std::nullopt);

    // No model number outside the formats the catalogue holds.
    Cataleg cat;
    cat.Etiquetas = {EtiquetaCatalogo{}, EtiquetaCatalogo{}};
    cat.Etiquetas[1].Codigo = 8101;
    cat.NumEtiquetas = 1;
    EXPECT_EQ(NumeroEtiqueta(cat, -1), 0);
    EXPECT_EQ(NumeroEtiqueta(cat, 1), 0);
}
