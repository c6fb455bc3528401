#include "installers/Literales_Instalador.h"

#include "common/BasicRules.h"
#include "common/Cp1252.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace Literales_Instalador {

namespace {

// The file holds ten short texts; anything past this is not read.
constexpr qint64 MidaMaxima = 256 * 1024;
constexpr qint64 LiniaMaxima = 4096;

// One line without its CR LF (or LF), or nothing at the end of the file.
bool llegirLinia(QIODevice& file, QString& line)
{
    if (file.atEnd())
        return false;
    QByteArray bytes = file.readLine(LiniaMaxima);
    if (bytes.isEmpty() && file.atEnd())
        return false;
    // A line longer than the bound: the rest of it is passed over.
    if (!bytes.endsWith('\n'))
        while (!file.atEnd() && !file.readLine(LiniaMaxima).endsWith('\n')) {
        }
    while (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    line = kovel::cp1252::toUnicode(bytes);
    return true;
}

} // namespace

void LlegirSeccio(QIODevice& file, const QString& header, QString& target)
{
    if (!file.seek(0))
        return;
    QString line;
    while (llegirLinia(file, line)) {
        if (line == header) {
            QString value;
            // A header on the last line has no value: the target stays, and the sections
            // after it are still looked up.
            if (llegirLinia(file, value))
                target = value;
            return;
        }
    }
}

void LlegirLiterals(Texts& t, const QString& carpeta)
{
    const QString path = carpeta + QStringLiteral("/Literales.dat");
    // Only a plain file: a pipe or a device under that name would never end.
    if (!QFileInfo(path).isFile())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray bytes = file.read(MidaMaxima);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const std::pair<const char*, QString*> sections[] = {
        {"[JOCCARACTERS]", &t.jocCaracters},
        {"[TOLVTOOLTIP]", &t.tolvTooltip},
        {"[TOOLSMENUTEXT]", &t.toolsMenuText},
        {"[HELPSMENUTEXT]", &t.helpsMenuText},
        {"[MSGINSTALAR_WORD]", &t.msgInstalarWord},
        {"[MSGDESINSTALAR_WORD]", &t.msgDesinstalarWord},
        {"[MSGINSTALAR_ACCESS]", &t.msgInstalarAccess},
        {"[MSGDESINSTALAR_ACCESS]", &t.msgDesinstalarAccess},
        {"[MSGINSTALAR_EXCEL]", &t.msgInstalarExcel},
        {"[MSGDESINSTALAR_EXCEL]", &t.msgDesinstalarExcel},
    };
    for (const auto& [header, target] : sections)
        LlegirSeccio(buffer, QLatin1String(header), *target);
}

int JocCaracters(const Texts& texts)
{
    const double v = kovel::basic::Val(texts.jocCaracters);
    if (!std::isfinite(v) || v < 0 || v > 255)
        return 0;
    return static_cast<int>(v);
}

} // namespace Literales_Instalador
