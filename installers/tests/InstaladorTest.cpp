// The installers' texts and command lines.
#include "installers/Instalador.h"
#include "installers/Literales_Instalador.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Instalador;
using Literales_Instalador::Texts;

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << qPrintable(path);
    f.write(bytes);
}

} // namespace

TEST(Literals, SectionsInAnyOrderWithCommentsBetweenAreRead)
{
    QTemporaryDir dir;
    write(dir.path() + "/Literales.dat",
          "a comment\r\n[MSGINSTALAR_EXCEL]\r\nInstal\xb7lant a Calc\r\n\r\n[TOLVTOOLTIP]\r\nAssistent d'etiquetes\r\n"
          "[tolvtooltip]\r\nlower case is another header\r\n[JOCCARACTERS]\r\n178\r\n[TOOLSMENUTEXT]\r\n\r\n"
          "[TOLVTOOLTIP]\r\nsecond one loses\r\n[MSGDESINSTALAR_WORD]\nLF only\n");
    Texts t;
    t.toolsMenuText = QStringLiteral("kept?");
    Literales_Instalador::LlegirLiterals(t, dir.path());
    EXPECT_EQ(t.msgInstalarExcel, QStringLiteral(u"Instal·lant a Calc"));
    EXPECT_EQ(t.tolvTooltip, QStringLiteral("Assistent d'etiquetes"));
    EXPECT_EQ(t.toolsMenuText, QString());   // an empty value line is a value
    EXPECT_EQ(t.msgDesinstalarWord, QStringLiteral("LF only"));
    EXPECT_EQ(t.helpsMenuText, QString());
    EXPECT_EQ(Literales_Instalador::JocCaracters(t), 178);
}

TEST(Literals, HeaderOnTheLastLineLeavesItsValueAndTheOthersAreStillRead)
{
    QTemporaryDir dir;
    // [JOCCARACTERS] is read first and stands last in the file, without a value line.
    write(dir.path() + "/Literales.dat",
          "[TOLVTOOLTIP]\r\ntip\r\n[MSGDESINSTALAR_EXCEL]\r\nbye\r\n[JOCCARACTERS]");
    Texts t;
    t.jocCaracters = QStringLiteral("unchanged");
    Literales_Instalador::LlegirLiterals(t, dir.path());
    EXPECT_EQ(t.jocCaracters, QStringLiteral("unchanged"));
    EXPECT_EQ(t.tolvTooltip, QStringLiteral("tip"));
    EXPECT_EQ(t.msgDesinstalarExcel, QStringLiteral("bye"));

    QByteArray bytes("x\r\n[A]\r\n");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QString target = QStringLiteral("same");
    Literales_Instalador::LlegirSeccio(buffer, QStringLiteral("[A]"), target);
    EXPECT_EQ(target, QStringLiteral("same"));
}

TEST(Literals, MissingOrUnreadableFileGivesEmptyTextsAndCharacterSetZero)
{
    QTemporaryDir dir;
    Texts t;
    Literales_Instalador::LlegirLiterals(t, dir.path());
    EXPECT_TRUE(t.tolvTooltip.isEmpty());
    EXPECT_EQ(Literales_Instalador::JocCaracters(t), 0);
    // A folder where the file should be cannot be read as one.
    ASSERT_TRUE(QDir(dir.path()).mkdir("Literales.dat"));
    Literales_Instalador::LlegirLiterals(t, dir.path());
    EXPECT_TRUE(t.msgInstalarWord.isEmpty());
    EXPECT_EQ(Literales_Instalador::JocCaracters(t), 0);

    t.jocCaracters = QStringLiteral("abc");
    EXPECT_EQ(Literales_Instalador::JocCaracters(t), 0);
    t.jocCaracters = QStringLiteral(" 161 Greek");
    EXPECT_EQ(Literales_Instalador::JocCaracters(t), 161);
    t.jocCaracters = QStringLiteral("99999");
    EXPECT_EQ(Literales_Instalador::JocCaracters(t), 0);
}

TEST(Literals, VeryLongLinesAreCutAndDoNotHideLaterSections)
{
    QTemporaryDir dir;
    write(dir.path() + "/Literales.dat",
          "[TOLVTOOLTIP]\r\n" + QByteArray(100000, 'x') + "\r\n[TOOLSMENUTEXT]\r\nmenu\r\n");
    Texts t;
    Literales_Instalador::LlegirLiterals(t, dir.path());
    EXPECT_EQ(t.toolsMenuText, QStringLiteral("menu"));
    EXPECT_LT(t.tolvTooltip.size(), 5000);
}

TEST(CommandLine, WordSwitchIsOneWordInAnyCase)
{
    EXPECT_EQ(AccioWord("/I"), Accio::Instal_lar);
    EXPECT_EQ(AccioWord("/i"), Accio::Instal_lar);
    EXPECT_EQ(AccioWord("/U"), Accio::Desinstal_lar);
    EXPECT_EQ(AccioWord(""), Accio::Desinstal_lar);
    EXPECT_EQ(AccioWord("automatic"), Accio::Desinstal_lar);
    EXPECT_EQ(AccioWord("CUSTOM"), Accio::Desinstal_lar);
    EXPECT_EQ(AccioWord("/X"), Accio::Cap);
    EXPECT_EQ(AccioWord("/I /U"), Accio::Cap);
}

TEST(CommandLine, PathAndPictureSwitchesInEitherOrderWithBlanksAndQuotes)
{
    LiniaOrdres l = LlegirLinia("/PATH_EXE:/opt/kovel/kovelassist /BITMAP:/opt/kovel/face.bmp");
    EXPECT_EQ(l.accio, Accio::Instal_lar);
    EXPECT_EQ(l.executable, QStringLiteral("/opt/kovel/kovelassist"));
    EXPECT_EQ(l.imatge, QStringLiteral("/opt/kovel/face.bmp"));
    EXPECT_EQ(CarpetaPrograma(l.executable), QStringLiteral("/opt/kovel/"));

    l = LlegirLinia("/bitmap:/my pictures/face one.bmp /Path_Exe:/opt/my kovel/KovelAssist");
    EXPECT_EQ(l.accio, Accio::Instal_lar);
    EXPECT_EQ(l.imatge, QStringLiteral("/my pictures/face one.bmp"));
    EXPECT_EQ(l.executable, QStringLiteral("/opt/my kovel/KovelAssist"));

    l = LlegirLinia("/PATH_EXE:\"/opt/my kovel/KovelAssist\"  /BITMAP: \"/x y/f.png\" ");
    EXPECT_EQ(l.executable, QStringLiteral("/opt/my kovel/KovelAssist"));
    EXPECT_EQ(l.imatge, QStringLiteral("/x y/f.png"));

    l = LlegirLinia("\"/PATH_EXE:/opt/my kovel/KovelAssist\" \"/BITMAP:/x y/f.png\"");
    EXPECT_EQ(l.executable, QStringLiteral("/opt/my kovel/KovelAssist"));
    EXPECT_EQ(l.imatge, QStringLiteral("/x y/f.png"));

    l = LlegirLinia("/PATH_EXE: /BITMAP:");
    EXPECT_EQ(l.accio, Accio::Instal_lar);
    EXPECT_TRUE(l.executable.isEmpty());
    EXPECT_TRUE(l.imatge.isEmpty());
}

TEST(CommandLine, RemovalWordsAreExactAndAnythingElseDoesNothing)
{
    EXPECT_EQ(LlegirLinia(" ").accio, Accio::Desinstal_lar);
    EXPECT_EQ(LlegirLinia("Automatic").accio, Accio::Desinstal_lar);
    EXPECT_EQ(LlegirLinia("Custom").accio, Accio::Desinstal_lar);
    EXPECT_EQ(LlegirLinia("").accio, Accio::Cap);   // unlike the word processor's installer
    EXPECT_EQ(LlegirLinia("AUTOMATIC").accio, Accio::Cap);
    EXPECT_EQ(LlegirLinia("/PATH_EXE:/opt/k/KovelAssist").accio, Accio::Cap);
    EXPECT_EQ(LlegirLinia("/U").accio, Accio::Cap);
}

TEST(Install, BadProgramOrProfileFailsBeforeAnythingIsWritten)
{
    QTemporaryDir dir;
    write(dir.path() + "/plain", "x");
    kovel::office::EntryPoint e;
    e.host = kovel::office::Host::Calc;
    const kovel::office::Profile underFile{dir.path() + "/plain/profile"};

    e.program = QStringLiteral("relative/KovelAssist");
    Resultat r = Instal_lar(e, underFile);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.missatge.contains("relative/KovelAssist")) << qPrintable(r.missatge);
    e.program = QStringLiteral("/opt/k\"/KovelAssist");
    EXPECT_FALSE(Instal_lar(e, underFile).ok);

    e.program = QStringLiteral("/opt/kovel/KovelAssist");
    r = Instal_lar(e, underFile);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.missatge.contains(dir.path() + "/plain")) << qPrintable(r.missatge);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"plain"});
}
