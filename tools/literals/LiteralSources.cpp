#include "tools/literals/LiteralSources.h"

#include "common/ModTraduccion.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

namespace kovel::literals {

bool LlegirFont(const QString& path, std::vector<Literal>& out, QStringList& errors)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        errors << path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError()) {
        errors << path + QStringLiteral(": not UTF-8 text");
        return false;
    }
    bool ok = true;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(u'#'))
            continue;
        const QString where = path + u':' + QString::number(i + 1);
        const qsizetype tab = line.indexOf(u'\t');
        if (tab < 0) {
            errors << where + QStringLiteral(": expected \"key<TAB>text\"");
            ok = false;
            continue;
        }
        Literal l{line.left(tab).trimmed(), line.mid(tab + 1), where};
        if (l.key.isEmpty()) {
            errors << where + QStringLiteral(": empty key");
            ok = false;
            continue;
        }
        out.push_back(std::move(l));
    }
    return ok;
}

QByteArray Compilar(std::vector<Literal> literals, QStringList& errors)
{
    struct Sorted {
        QString form; // the key as the look-up compares it
        const Literal* literal;
    };
    std::vector<Sorted> sorted;
    sorted.reserve(literals.size());
    for (const Literal& l : literals)
        sorted.push_back({ModTraduccion::FormaComparacio(ModTraduccion::ConvertirClau(l.key)), &l});
    std::stable_sort(sorted.begin(), sorted.end(), [](const Sorted& a, const Sorted& b) {
        return ModTraduccion::CompararClaus(a.form, b.form) < 0;
    });
    const int before = int(errors.size());
    QByteArray out;
    out.reserve(qsizetype(sorted.size()) * ModTraduccion::MidaRegistre);
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const Literal& l = *sorted[i].literal;
        if (i > 0 && ModTraduccion::CompararClaus(sorted[i - 1].form, sorted[i].form) == 0) {
            errors << l.where + QStringLiteral(": duplicate key \"%1\" (also at %2)").arg(l.key, sorted[i - 1].literal->where);
            continue;
        }
        QString why;
        const QByteArray rec = ModTraduccion::CodificarRegistre(l.key, l.text, &why);
        if (rec.isEmpty()) {
            errors << l.where + QStringLiteral(": ") + why;
            continue;
        }
        out += rec;
    }
    if (sorted.size() > std::size_t(ModTraduccion::MaxLiterals))
        errors << QStringLiteral("more than %1 literals").arg(ModTraduccion::MaxLiterals);
    return errors.size() == before ? out : QByteArray();
}

} // namespace kovel::literals
