#include "common/ModReg.h"

#include "TestSupport.h"
#include "platform/registry/Registry.h"

#include <QDir>

using namespace ModReg;

namespace {
const QString kSelec = ClauProducte + "Selec";
}

TEST(ModReg, StoredChoicesOnAFreshProfile)
{
    kovel::test::PrivateProfile profile;
    EXPECT_EQ(LlegirSeleccio("TipoPag"), "");
    DesarSeleccio("TipoPag", "3");
    EXPECT_EQ(LlegirSeleccio("TipoPag"), "3");
    EXPECT_EQ(LlegirSeleccio("tipopag"), "3");
    // The first write created the key and every parent of it.
    const kovel::registry::Tree t = kovel::registry::user().read();
    EXPECT_TRUE(t.hasKey("Software"));
    EXPECT_TRUE(t.hasKey("Software\\KOVEL Systems\\KOVEL Videvoviv"));
    EXPECT_TRUE(t.hasKey("Software\\KOVEL Systems\\KOVEL Videvoviv\\6\\Selec"));
    EXPECT_TRUE(QFile::exists(profile.userFile()));
}

TEST(ModReg, ValuesHaveNoLengthLimitAndStopAtANul)
{
    kovel::test::PrivateProfile profile;
    const QString longText(5000, u'x');
    EscriureCadena(HKEY_CURRENT_USER, kSelec, "Long", longText);
    EXPECT_EQ(LlegirCadena(HKEY_CURRENT_USER, kSelec, "Long"), longText);
    EscriureCadena(HKEY_CURRENT_USER, kSelec, "Nul", QString("ab") + QChar(0) + "cd");
    EXPECT_EQ(LlegirCadena(HKEY_CURRENT_USER, kSelec, "Nul"), "ab");
    EXPECT_EQ(TreureNul(QString("x") + QChar(0)), "x");
    EXPECT_EQ(TreureNul("whole"), "whole");
    // The default value of a key is the empty name.
    EscriureCadena(HKEY_CURRENT_USER, kSelec, "", "default");
    EXPECT_EQ(LlegirCadena(HKEY_CURRENT_USER, kSelec, ""), "default");
    EXPECT_EQ(LlegirCadena(HKEY_CURRENT_USER, kSelec + "\\Missing", "x"), "");
}

TEST(ModReg, IntegersAreFourByteValuesReadAs16Bits)
{
    kovel::test::PrivateProfile profile;
    EXPECT_EQ(LlegirJocCaracters(), 0);
    EscriureEnter(HKEY_LOCAL_MACHINE, ClauProducte + "JocCaracters", "", 178);
    EXPECT_EQ(LlegirJocCaracters(), 178);
    EscriureEnter(HKEY_LOCAL_MACHINE, "K", "big", 70000);
    EXPECT_EQ(LlegirEnter(HKEY_LOCAL_MACHINE, "K", "big"), 32767);
    EscriureEnter(HKEY_LOCAL_MACHINE, "K", "neg", -5);
    EXPECT_EQ(LlegirEnter(HKEY_LOCAL_MACHINE, "K", "neg"), -5);
    // The type is not checked: a short text reads as its bytes, a longer one as 0.
    EscriureCadena(HKEY_LOCAL_MACHINE, "K", "short", "ab");
    EXPECT_EQ(LlegirEnter(HKEY_LOCAL_MACHINE, "K", "short"), 0x6261);
    EscriureCadena(HKEY_LOCAL_MACHINE, "K", "text", "178");
    EXPECT_EQ(LlegirEnter(HKEY_LOCAL_MACHINE, "K", "text"), 32767); // "178" and its NUL: 0x00383731
    EscriureCadena(HKEY_LOCAL_MACHINE, "K", "long", "12345");
    EXPECT_EQ(LlegirEnter(HKEY_LOCAL_MACHINE, "K", "long"), 0);
    // The machine values do not leak into the user's file.
    EXPECT_EQ(LlegirEnter(HKEY_CURRENT_USER, ClauProducte + "JocCaracters", ""), 0);
}

TEST(ModReg, DeletingAListRemovesItsValuesAndCreatesMissingKeys)
{
    kovel::test::PrivateProfile profile;
    EscriureCadena(HKEY_CURRENT_USER, ClauProducte + "Listas", "Clients", "a;b");
    EscriureCadena(HKEY_CURRENT_USER, ClauProducte + "Listas", "Other", "c");
    EsborrarLlista("clients");
    EXPECT_EQ(LlegirCadena(HKEY_CURRENT_USER, ClauProducte + "Listas", "Clients"), "");
    EXPECT_EQ(LlegirCadena(HKEY_CURRENT_USER, ClauProducte + "Listas", "Other"), "c");
    EXPECT_TRUE(kovel::registry::user().keyExists(ClauProducte + "ListasEx"));

    EscriureCadena(HKEY_CURRENT_USER, ClauProducte + "ListasEx", "Other.2", "x");
    EscriureCadena(HKEY_CURRENT_USER, ClauProducte + "ListasEx", "Other.52", "y");
    EscriureCadena(HKEY_CURRENT_USER, ClauProducte + "ListasEx", "Other.3", "kept");
    EsborrarLlista("Other");
    const auto* ex = kovel::registry::user().read().key(ClauProducte + "ListasEx");
    ASSERT_NE(ex, nullptr);
    ASSERT_EQ(ex->values.size(), 1u);
    EXPECT_EQ(ex->values[0].first, "Other.3");
}

TEST(ModReg, ABrokenSettingsFileGivesDefaultsAndIsRewrittenWhole)
{
    kovel::test::PrivateProfile profile;
    QDir().mkpath(profile.dir.path() + "/config");
    kovel::test::writeBytes(profile.userFile(), "Windows Registry Editor Version 5.00\n[Software\\KOVEL Systems\\KOV");
    EXPECT_EQ(LlegirSeleccio("TipoPag"), "");
    DesarSeleccio("Etiqueta", "1234");
    EXPECT_EQ(LlegirSeleccio("Etiqueta"), "1234");
    bool ok = false;
    QFile f(profile.userFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    kovel::registry::Tree::parse(f.readAll(), "HKEY_CURRENT_USER", &ok);
    EXPECT_TRUE(ok);
}

TEST(ModReg, FoldersAndSeparator)
{
    kovel::test::PrivateProfile profile;
    EXPECT_EQ(RutaPrograma(), profile.programDir());
    QDir().mkpath(profile.programDir());
    const QString before = QDir::currentPath();
    InicialitzarRutesOffice();
    EXPECT_EQ(QDir::currentPath(), QDir(profile.programDir()).canonicalPath());
    QDir::setCurrent(before);
    EXPECT_FALSE(CarpetaPersonal().isEmpty());
    EscriureCadena(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                   "Personal", "/data/docs");
    EXPECT_EQ(CarpetaPersonal(), "/data/docs");
    const QChar sep = SeparadorLlista();
    EXPECT_TRUE(sep == u',' || sep == u';');
}
