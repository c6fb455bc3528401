// kovel_special OUTPUT SOURCE: writes the special label types file OUTPUT from SOURCE.
//
// SOURCE has one record a line: number, five texts and the record's further data as hex
// (up to 32 bytes, may be empty), separated by tabs; "#" starts a comment line. Texts are
// Windows-1252, at most 50 characters each. Every record takes 284 bytes.
#include "common/Cp1252.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <cstdio>
#include <limits>

namespace {

bool registre(const QString& linia, int numLinia, QByteArray& out, QStringList& errors)
{
    const QStringList camps = linia.split(QLatin1Char('\t'));
    const auto error = [&](const QString& text) { errors << QStringLiteral("line %1: %2").arg(numLinia).arg(text); };
    if (camps.size() < 6 || camps.size() > 7) {
        error(QStringLiteral("%1 fields; a record has a number, five texts and optional data").arg(camps.size()));
        return false;
    }
    bool ok = false;
    const int numero = camps[0].trimmed().toInt(&ok);
    if (!ok || numero < std::numeric_limits<qint16>::min() || numero > std::numeric_limits<qint16>::max()) {
        error(QStringLiteral("\"%1\" is no 16-bit number").arg(camps[0]));
        return false;
    }
    QByteArray r(2, '\0');
    qToLittleEndian<qint16>(qint16(numero), r.data());
    for (int k = 1; k <= 5; ++k) {
        bool exacte = true;
        QByteArray text = kovel::cp1252::fromUnicode(camps[k], &exacte);
        if (!exacte || text.size() > 50) {
            error(QStringLiteral("text %1 is longer than 50 characters or not Windows-1252").arg(k));
            return false;
        }
        r += text + QByteArray(50 - text.size(), ' ');
    }
    const QByteArray dades = camps.size() == 7 ? QByteArray::fromHex(camps[6].trimmed().toLatin1()) : QByteArray();
    if (dades.size() > 32) {
        error(QStringLiteral("the data holds %1 bytes, more than 32").arg(dades.size()));
        return false;
    }
    r += dades + QByteArray(32 - dades.size(), '\0');
    out += r;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: kovel_special OUTPUT SOURCE\n");
        return 2;
    }
    QFile font(args[1]);
    if (!font.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "error: %s: %s\n", qPrintable(args[1]), qPrintable(font.errorString()));
        return 1;
    }
    QByteArray records;
    QStringList errors;
    const QStringList linies = QString::fromUtf8(font.readAll()).split(QLatin1Char('\n'));
    for (int i = 0; i < linies.size(); ++i) {
        const QString linia = linies[i].trimmed().isEmpty() ? QString() : linies[i];
        if (linia.isEmpty() || linia.startsWith(QLatin1Char('#')))
            continue;
        registre(linia, i + 1, records, errors);
    }
    if (!errors.isEmpty()) {
        for (const QString& e : errors)
            std::fprintf(stderr, "error: %s: %s\n", qPrintable(args[1]), qPrintable(e));
        return 1;
    }
    QDir().mkpath(QFileInfo(args[0]).absolutePath());
    QSaveFile out(args[0]);
    if (!out.open(QIODevice::WriteOnly) || out.write(records) != records.size() || !out.commit()) {
        std::fprintf(stderr, "error: %s: %s\n", qPrintable(args[0]), qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
