#include "common/ModTraduccion.h"

#include "TestSupport.h"

#include <QDir>

using namespace ModTraduccion;
using kovel::test::literalRecords;
using kovel::test::writeBytes;

namespace {

class Literals : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file() const { return dir.path() + "/LITER.UNI"; }

    void load(const QByteArray& bytes, bool expectOk = true)
    {
        writeBytes(file(), bytes);
        QString message;
        ASSERT_EQ(CarregarLiteralsDe(file(), message), expectOk) << qPrintable(message);
    }
};

} // namespace

TEST_F(Literals, PlaceholdersAreFilledInOrderAtTheirFirstOccurrence)
{
    load(literalRecords({
        {"0026", "Clear sheet %1?"},
        {"6012", "From %1 to %2, again %1"},
        {"0100", "Line one\\nLine two\\Nthree"},
        {"0200", "%1 and %2"},
        {"12345", "five digits"},
    }));
    EXPECT_EQ(Literal(26), "Clear sheet %1?");
    EXPECT_EQ(Literal(26, 3), "Clear sheet 3?");
    EXPECT_EQ(Literal(6012, 3, 10), "From 3 to 10, again %1");
    EXPECT_EQ(Literal(6012, 3), "From 3 to %2, again %1");
    // The first argument's own "%2" is filled by the second argument.
    EXPECT_EQ(Literal(200, "x%2", "y"), "xy and %2");
    EXPECT_EQ(Literal(100), "Line one\rLine two\rthree");
    EXPECT_EQ(Literal(12345), "five digits");
    EXPECT_EQ(Literal(200, QVariant(), true), " and True");
    EXPECT_EQ(Literal(200, 2.5, QString("s")), "2.5 and s");
    EXPECT_EQ(Literal(9999), "");
    EXPECT_EQ(CercarLiteral("  0026  "), "Clear sheet %1?");
}

TEST_F(Literals, KeysAreFoundWithoutCaseAndWithTheAccentedOFolded)
{
    load(literalRecords({
        {QString::fromUtf8("frmX.Botón.Caption"), "button"},
        {QString::fromUtf8("frmX.a\u00A0b.Caption"), "nbsp"},
        {"FrmTolvWiz.optOrden.Caption.2", "third"},
        {QString::fromUtf8("Œuvre"), "oe"},
        {"Seul", "s"},
        {"0001", "one"},
    }));
    EXPECT_EQ(CercarLiteral("frmX.Boton.Caption"), "button");
    EXPECT_EQ(CercarLiteral("FRMX.BOTON.CAPTION"), "button");
    EXPECT_EQ(CercarLiteral(QString::fromUtf8("frmX.Botón.Caption")), "");
    EXPECT_EQ(CercarLiteral("frmX.a b.Caption"), "nbsp");
    EXPECT_EQ(CercarLiteral("frmtolvwiz.optorden.caption.2"), "third");
    // Keys whose byte order differs from their code-point order are found both ways.
    EXPECT_EQ(CercarLiteral(QString::fromUtf8("œuvre")), "oe");
    EXPECT_EQ(CercarLiteral("seul"), "s");
    EXPECT_EQ(CercarLiteral("0001"), "one");
}

TEST_F(Literals, KeyFieldsWithBlanksAroundThemAreFound)
{
    // Written by hand: leading blanks, no-break spaces (0xA0) among the padding, and a key
    // that fills the whole field.
    auto record = [](const QByteArray& key, const QString& text) {
        QByteArray rec(MidaRegistre, '\0');
        rec.replace(0, MidaClau, QByteArray(MidaClau, ' '));
        rec.replace(0, key.size(), key);
        for (qsizetype i = 0; i < text.size(); ++i)
            rec[MidaClau + 2 * i] = char(text[i].unicode());
        return rec;
    };
    const QByteArray full(MidaClau, 'Z');
    load(record("  0042\xA0\xA0 \xA0", "answer") + record("A\xA0" "B", "nbsp") + record(full, "full"));
    EXPECT_EQ(CercarLiteral("0042"), "answer");
    EXPECT_EQ(Literal(42), "answer");
    EXPECT_EQ(CercarLiteral("a b"), "nbsp");
    EXPECT_EQ(CercarLiteral(QString(MidaClau, u'z')), "full");
    EXPECT_EQ(CercarLiteral(QString(MidaClau - 1, u'z')), "");
}

TEST_F(Literals, AFullTextWithoutNulIsKeptWhole)
{
    const QString full = QString(250, u'a') + "bcd  ";
    ASSERT_EQ(full.size(), 255);
    load(literalRecords({{"0001", full}, {"0002", "  padded  "}}));
    EXPECT_EQ(Entrada(0).Text, full);
    EXPECT_EQ(CercarLiteral("0001"), QString(250, u'a') + "bcd");
    EXPECT_EQ(CercarLiteral("0002"), "padded");
    EXPECT_EQ(Entrada(0).Clau.size(), MidaClau); // the key keeps its padding
}

TEST_F(Literals, BadFilesEndTheLoadWithoutLosingWhatWasRead)
{
    const QByteArray two = literalRecords({{"0001", "one"}, {"0002", "two"}});
    QString message;

    // Missing: the message names the file; the table stays as it was.
    load(two);
    EXPECT_FALSE(CarregarLiteralsDe(dir.path() + "/NONE.UNI", message));
    EXPECT_EQ(message, dir.path() + "/NONE.UNI Not Found !");
    EXPECT_EQ(NumLiterals(), 2);

    load(QByteArray());
    EXPECT_EQ(NumLiterals(), 0);
    EXPECT_EQ(CercarLiteral("0001"), "");

    load(two + QByteArray(100, 'z')); // a partial record at the end is not a record
    EXPECT_EQ(NumLiterals(), 2);
    load(two.left(MidaRegistre + 300));
    EXPECT_EQ(NumLiterals(), 1);
    EXPECT_EQ(CercarLiteral("0001"), "one");

    // A lone surrogate in the second record: the first one stays, the load reports it.
    QByteArray broken = two;
    broken[MidaRegistre + MidaClau] = char(0x00);
    broken[MidaRegistre + MidaClau + 1] = char(0xD8);
    writeBytes(file(), broken);
    EXPECT_FALSE(CarregarLiteralsDe(file(), message));
    EXPECT_TRUE(message.contains("LITER.UNI") && message.contains("record 2")) << qPrintable(message);
    EXPECT_EQ(NumLiterals(), 1);

    // A folder of that name is not the file.
    QDir().mkpath(dir.path() + "/DIR.UNI");
    EXPECT_FALSE(CarregarLiteralsDe(dir.path() + "/DIR.UNI", message));
    EXPECT_TRUE(message.endsWith(" Not Found !"));
}

TEST_F(Literals, TheProgramFolderIsSearchedWithoutRegardToCase)
{
    kovel::test::PrivateProfile profile;
    QDir().mkpath(profile.programDir());
    writeBytes(profile.programDir() + "/liter.uni", literalRecords({{"0014", "Next"}}));
    QString message;
    ASSERT_TRUE(CarregarLiterals(message)) << qPrintable(message);
    EXPECT_EQ(Literal(14), "Next");
    QFile::remove(profile.programDir() + "/liter.uni");
    EXPECT_FALSE(CarregarLiterals(message));
    EXPECT_EQ(message, profile.programDir() + "/LITER.UNI Not Found !");
}

TEST(TextFunctions, ReplaceFindsWithoutCaseAndStopsAtTheCount)
{
    EXPECT_EQ(Reemplacar("aXbxc", "x", "-", 0), "a-b-c");
    EXPECT_EQ(Reemplacar("aXbxc", "x", "-", 1), "a-bxc");
    EXPECT_EQ(Reemplacar("xxxx", "x", "xx", 2), "xxxxxx");
    EXPECT_EQ(Reemplacar("C:\\GUARDATS.DAT!", "c:\\guardats.dat", "/h/guardatsW.dat", -1), "/h/guardatsW.dat!");
    EXPECT_EQ(Reemplacar("abc", "", "z", 0), "abc");
    EXPECT_EQ(Reemplacar("", "a", "z", 0), "");
}

TEST(TextFunctions, BytesBecomeUtf16CharactersPairByPair)
{
    QString text;
    EXPECT_EQ(BytesAText(text, QByteArray("a\0b\0c", 5)), 4);
    EXPECT_EQ(text, "ab");
    EXPECT_EQ(BytesAText(text, QByteArray()), -1);
    EXPECT_EQ(text, "");
    EXPECT_EQ(BytesAText(text, QByteArray("\x2c\x06", 2)), 1);
    EXPECT_EQ(text, QString(QChar(0x062C)));
}

TEST(TextFunctions, FileExistenceCountsFilesAndPatterns)
{
    QTemporaryDir dir;
    writeBytes(dir.path() + "/ETIQS.UNI", "x");
    QDir().mkpath(dir.path() + "/folder");
    EXPECT_TRUE(ExisteixFitxer(dir.path() + "/ETIQS.UNI"));
    EXPECT_TRUE(ExisteixFitxer(dir.path() + "/etiqs.uni"));
    EXPECT_TRUE(ExisteixFitxer(dir.path() + "/*.UNI"));
    EXPECT_TRUE(ExisteixFitxer(dir.path() + "/ETIQ?.uni"));
    EXPECT_FALSE(ExisteixFitxer(dir.path() + "/*.dat"));
    EXPECT_FALSE(ExisteixFitxer(dir.path() + "/folder"));
    EXPECT_FALSE(ExisteixFitxer(dir.path() + "/missing"));
    EXPECT_FALSE(ExisteixFitxer(""));
}
