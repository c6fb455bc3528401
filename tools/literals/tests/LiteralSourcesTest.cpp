#include "tools/literals/LiteralSources.h"

#include "common/ModTraduccion.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kovel::literals;

namespace {

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    const QString path = dir.path() + u'/' + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return path;
}

QByteArray compile(const QByteArray& source, QStringList& errors)
{
    QTemporaryDir dir;
    std::vector<Literal> all;
    if (!LlegirFont(write(dir, "a.tsv", source), all, errors))
        return {};
    return Compilar(std::move(all), errors);
}

} // namespace

TEST(LiteralsTool, RecordsAreSortedByTheLookUpsByteOrder)
{
    QStringList errors;
    // "Œ" is U+0152: its low byte 0x52 sorts it before "S" (0x53) although its code
    // point is higher; the look-up's binary search needs exactly this order.
    const QByteArray file = compile("S1\tess\n\xC5\x92" "1\toe\n# comment\n\n0026\tclear\r\nfrm.b.Caption\tB\n", errors);
    ASSERT_TRUE(errors.isEmpty()) << qPrintable(errors.join('\n'));
    ASSERT_EQ(file.size(), 4 * ModTraduccion::MidaRegistre);
    QStringList keys;
    for (int r = 0; r < 4; ++r)
        keys << QString::fromLatin1(file.mid(r * ModTraduccion::MidaRegistre, ModTraduccion::MidaClau)).trimmed();
    EXPECT_EQ(keys, (QStringList{"0026", "frm.b.Caption", QString::fromLatin1("\x8c" "1"), "S1"}));
    // The text of "0026" ends with a NUL, the rest of the field is zero.
    const QByteArray text = file.mid(ModTraduccion::MidaClau, ModTraduccion::MidaText);
    EXPECT_EQ(text.left(12), QByteArray("c\0l\0e\0a\0r\0\0\0", 12));
}

TEST(LiteralsTool, FaultsOfTheSourcesFailTheBuild)
{
    const QString longText(256, u'x');
    struct Case { const char* what; QByteArray source; const char* message; };
    const Case cases[] = {
        {"same key twice", "0026\ta\n0026\tb\n", "duplicate key"},
        {"keys equal without case", "frm.A.Caption\ta\nFRM.a.caption\tb\n", "duplicate key"},
        {"o and the accented o meet", "Bot\xC3\xB3n\ta\nBoton\tb\n", "duplicate key"},
        {"key outside Windows-1252", "\xD9\x85\ta\n", "Windows-1252"},
        {"key too long", QByteArray(256, 'k') + "\ta\n", "longer than 255 bytes"},
        {"text too long", "0001\t" + longText.toUtf8() + "\n", "longer than 255 characters"},
        {"line without a tab", "0001 text\n", "expected"},
        {"not UTF-8", "0001\t\xff\xfe\n", "not UTF-8"},
    };
    for (const Case& c : cases) {
        QStringList errors;
        EXPECT_TRUE(compile(c.source, errors).isEmpty()) << c.what;
        ASSERT_FALSE(errors.isEmpty()) << c.what;
        EXPECT_TRUE(errors.join('\n').contains(c.message)) << c.what << ": " << qPrintable(errors.join('\n'));
    }
    // 255 characters fit exactly.
    QStringList errors;
    EXPECT_FALSE(compile("0001\t" + QString(255, u'y').toUtf8() + "\n", errors).isEmpty());
    EXPECT_TRUE(errors.isEmpty());
}

TEST(LiteralsTool, TheShippedFileHoldsEveryRecordOfTheSources)
{
    QString message;
    ASSERT_TRUE(ModTraduccion::CarregarLiteralsDe(KOVEL_PROGRAM_DIR "/LITER.UNI", message)) << qPrintable(message);
    ASSERT_GT(ModTraduccion::NumLiterals(), 80);
    for (int i = 1; i < ModTraduccion::NumLiterals(); ++i)
        EXPECT_LT(ModTraduccion::CompararClaus(ModTraduccion::Entrada(i - 1).Clau, ModTraduccion::Entrada(i).Clau), 0) << i;
    EXPECT_EQ(ModTraduccion::CercarLiteral("0014"), "Next");
    EXPECT_FALSE(ModTraduccion::CercarLiteral("frm_rvtMsgBox.cmdSi.Caption").isEmpty());
}
