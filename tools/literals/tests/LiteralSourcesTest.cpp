#include "tools/literals/LiteralSources.h"

#include "common/ModTraduccion.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
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

TEST(LiteralsTool, TheToolFailsAndWritesNothingOnAFaultySource)
{
    QTemporaryDir dir;
    const QString good = write(dir, "good.tsv", "0001\tone\n");
    const QString dup = write(dir, "dup.tsv", "0001\tagain\n");
    const QString out = dir.path() + "/program/LITER.UNI";
    auto run = [&](const QStringList& sources) {
        QProcess tool;
        tool.start(KOVEL_LITERALS_TOOL, QStringList{out} + sources);
        EXPECT_TRUE(tool.waitForFinished(120000));
        return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    };
    // The same key in two sources is a duplicate too.
    EXPECT_NE(run({good, dup}), 0);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(run({good}), 0);
    EXPECT_EQ(QFileInfo(out).size(), ModTraduccion::MidaRegistre);
    // A failed run leaves the last good file as it was.
    EXPECT_NE(run({good, dup}), 0);
    EXPECT_EQ(QFileInfo(out).size(), ModTraduccion::MidaRegistre);
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

TEST(LiteralsTool, EveryNumberedMessageTheProgramAsksForIsShipped)
{
    QString message;
    ASSERT_TRUE(ModTraduccion::CarregarLiteralsDe(KOVEL_PROGRAM_DIR "/LITER.UNI", message)) << qPrintable(message);
    // Number and the placeholders that code fills.
    const std::pair<int, int> numbered[] = {
        {1, 1}, {7, 0}, {12, 0}, {13, 0}, {14, 0}, {26, 0}, {27, 0}, {29, 0}, {45, 0},
        {102, 1}, {103, 0}, {104, 3}, {105, 0}, {503, 0}, {504, 0}, {506, 0},
        {2003, 0}, {2004, 0}, {2005, 0}, {2009, 0}, {2010, 0}, {2011, 0},
        {4000, 0}, {4001, 0}, {5001, 0}, {5002, 0}, {6020, 0}, {6021, 0}, {6200, 0},
        {7000, 0}, {7001, 0}, {7002, 0}, {7003, 1}, {7004, 0}, {7005, 0}, {7011, 0},
        {7020, 0}, {7021, 0}, {7022, 0}, {7030, 0},
        {8001, 0}, {8002, 0}, {8003, 0}, {8005, 0}, {8006, 0}, {8007, 0}, {8008, 0}, {8009, 0}, {8010, 0},
        {8020, 0}, {8021, 0}, {8022, 0}, {8023, 0}, {8030, 0}, {8031, 0},
        {8040, 0}, {8041, 0}, {8042, 0}, {8043, 0},
        {8050, 0}, {8051, 0}, {8052, 0}, {8053, 0}, {8054, 0}, {8055, 0}, {8056, 0}, {8057, 0},
        {8201, 0}, {8202, 0}, {8203, 0}, {8207, 0}, {8208, 0},
        {8250, 0}, {8251, 0}, {8252, 0}, {8253, 0}, {8254, 0}, {8270, 0}, {8271, 0}, {8272, 0}, {8273, 0},
        {9000, 0},
    };
    for (const auto& [number, placeholders] : numbered) {
        const QString text = ModTraduccion::Literal(number);
        EXPECT_FALSE(text.isEmpty()) << number;
        for (int p = 1; p <= 3; ++p)
            EXPECT_EQ(text.contains(u'%' + QString::number(p)), p <= placeholders) << number << " %" << p;
    }
    // Texts into which code puts a file name by replacing a sample one.
    EXPECT_TRUE(ModTraduccion::Literal(7000).contains("c:\\guardats.dat", Qt::CaseInsensitive));
    EXPECT_TRUE(ModTraduccion::Literal(7021).contains("provarvt.xls", Qt::CaseInsensitive));
    EXPECT_TRUE(ModTraduccion::Literal(7022).contains("provarvt.mda", Qt::CaseInsensitive));
    // The list separator is one character.
    EXPECT_EQ(ModTraduccion::Literal(4001).size(), 1);
}
