#include "common/ModTraduccion.h"

#include "common/BasicRules.h"
#include "common/Cp1252.h"
#include "common/ModReg.h"
#include "platform/paths/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

#include <cstdio>
#include <vector>

namespace ModTraduccion {

namespace {

struct Entry {
    EntradaLiteral e;
    QString cmp; // FormaComparacio(Clau), kept so that a look-up does not redo it
};
std::vector<Entry> g_table;

QStringView trimBlanks(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == u' ')
        ++b;
    while (e > b && s[e - 1] == u' ')
        --e;
    return s.mid(b, e - b);
}

// UTF-16LE bytes compared low byte first: the code unit with its bytes swapped.
inline int cmpForms(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t* pa = a.utf16();
    const char16_t* pb = b.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        if (pa[i] == pb[i])
            continue;
        const auto sa = char16_t((pa[i] << 8) | (pa[i] >> 8));
        const auto sb = char16_t((pb[i] << 8) | (pb[i] >> 8));
        return sa < sb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

QString argumentText(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return {};
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
        return kovel::basic::CStr(v.toDouble());
    case QMetaType::Float:
        return kovel::basic::CStrSingle(v.toFloat());
    default:
        return v.toString();
    }
}

} // namespace

QString FormaComparacio(const QString& key)
{
    QString form = trimBlanks(key).toString();
    return std::move(form).toUpper();
}

int CompararClaus(const QString& a, const QString& b)
{
    return cmpForms(FormaComparacio(a), FormaComparacio(b));
}

QString ConvertirClau(QString key)
{
    QString out = std::move(key);
    char16_t* p = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < out.size(); ++i) {
        const char16_t c = p[i];
        if (c < 0xA0)
            continue; // neither of its bytes can be 0xA0 or 0xF3
        auto lo = char16_t(c & 0xFF), hi = char16_t(c >> 8);
        if (lo == 0xF3) lo = 0x6F; else if (lo == 0xA0) lo = 0x20;
        if (hi == 0xF3) hi = 0x6F; else if (hi == 0xA0) hi = 0x20;
        p[i] = char16_t((hi << 8) | lo);
    }
    return out;
}

int BytesAText(QString& text, const QByteArray& bytes)
{
    const qsizetype chars = bytes.size() / 2;
    text.resize(chars);
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
    for (qsizetype i = 0; i < chars; ++i)
        text[i] = QChar(char16_t(b[2 * i] | (b[2 * i + 1] << 8)));
    return int(bytes.size() - 1);
}

int NumLiterals() { return int(g_table.size()); }
const EntradaLiteral& Entrada(int index) { return g_table.at(std::size_t(index)).e; }
void BuidarLiterals() { g_table.clear(); }

bool CarregarLiterals(QString& message)
{
    return CarregarLiteralsDe(kovel::paths::programFile(QStringLiteral("LITER.UNI")), message);
}

bool CarregarLiteralsDe(const QString& path, QString& message)
{
    if (!ExisteixFitxer(path)) {
        message = path + QStringLiteral(" Not Found !");
        return false;
    }
    g_table.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        message = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    const qint64 maxBytes = qint64(MaxLiterals + 1) * MidaRegistre;
    const qint64 size = std::min(file.size(), maxBytes);
    // Mapped rather than copied: the file is read once, record by record.
    QByteArray copy;
    const uchar* data = size > 0 ? file.map(0, size) : nullptr;
    if (!data && size > 0) {
        copy = file.read(size);
        data = reinterpret_cast<const uchar*>(copy.constData());
    }
    const qsizetype bytes = data ? (copy.isEmpty() ? qsizetype(size) : copy.size()) : 0;
    const qsizetype records = bytes / MidaRegistre;
    if (bytes % MidaRegistre)
        std::fprintf(stderr, "%s: %lld bytes after the last whole record ignored\n", qPrintable(path),
                     static_cast<long long>(bytes % MidaRegistre));
    g_table.reserve(std::size_t(std::min<qsizetype>(records, MaxLiterals)));
    for (qsizetype r = 0; r < records; ++r) {
        if (r >= MaxLiterals) {
            message = path + QStringLiteral(": more than %1 records").arg(MaxLiterals);
            return false;
        }
        const uchar* rec = data + r * MidaRegistre;
        Entry entry;
        entry.e.Clau = ConvertirClau(kovel::cp1252::toUnicode(QByteArrayView(rec, MidaClau)));
        const uchar* t = rec + MidaClau;
        qsizetype n = 0;
        while (n < MaxCaractersText && (t[2 * n] | t[2 * n + 1]))
            ++n;
        entry.e.Text.resize(n);
        char16_t* out = reinterpret_cast<char16_t*>(entry.e.Text.data());
        for (qsizetype i = 0; i < n; ++i)
            out[i] = char16_t(t[2 * i] | (t[2 * i + 1] << 8));
        if (!QStringView(entry.e.Text).isValidUtf16()) {
            message = path + QStringLiteral(": record %1 holds text that is not valid UTF-16").arg(r + 1);
            return false;
        }
        entry.cmp = FormaComparacio(entry.e.Clau);
        g_table.push_back(std::move(entry));
    }
    return true;
}

QString CercarLiteral(const QString& key)
{
    const QString k = FormaComparacio(key);
    qsizetype low = 0, high = qsizetype(g_table.size()) - 1;
    while (low <= high) {
        const qsizetype middle = (low + high) / 2;
        const int c = cmpForms(g_table[std::size_t(middle)].cmp, k);
        if (c == 0)
            return trimBlanks(g_table[std::size_t(middle)].e.Text).toString();
        if (c > 0)
            high = middle - 1;
        else
            low = middle + 1;
    }
    return {};
}

QString LiteralV(int number, const QList<QVariant>& arguments)
{
    QString text = CercarLiteral(kovel::basic::ZeroFill(number, 4));
    for (qsizetype i = 0; i < arguments.size(); ++i)
        text = Reemplacar(text, u'%' + QString::number(i + 1), argumentText(arguments[i]), 1);
    return Reemplacar(text, QStringLiteral("\\n"), QStringLiteral("\r"), 0);
}

QString Reemplacar(const QString& text, const QString& search, const QString& replacement, int count)
{
    if (search.isEmpty())
        return text;
    QString out;
    qsizetype from = 0;
    int done = 0;
    while (count < 1 || done < count) {
        const qsizetype at = text.indexOf(search, from, Qt::CaseInsensitive);
        if (at < 0)
            break;
        out += QStringView(text).mid(from, at - from);
        out += replacement;
        from = at + search.size();
        ++done;
    }
    out += QStringView(text).mid(from);
    return out;
}

bool ExisteixFitxer(const QString& path)
{
    if (path.isEmpty())
        return false;
    QString p = path;
    p.replace(u'\\', u'/');
    const QFileInfo info(p);
    const QString dir = kovel::paths::findCaseInsensitive(
        info.isAbsolute() ? QStringLiteral("/") : QDir::currentPath(), info.path());
    const QString name = info.fileName();
    if (name.isEmpty())
        return false;
    if (name.contains(u'*') || name.contains(u'?'))
        return !QDir(dir).entryList({name}, QDir::Files | QDir::Hidden | QDir::System).isEmpty();
    const QFileInfo found(kovel::paths::findCaseInsensitive(dir, name));
    return found.exists() && !found.isDir();
}

QByteArray CodificarRegistre(const QString& key, const QString& text, QString* error)
{
    bool lossless = true;
    const QByteArray keyBytes = kovel::cp1252::fromUnicode(key, &lossless);
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return QByteArray();
    };
    if (!lossless)
        return fail(QStringLiteral("key \"%1\" cannot be written in Windows-1252").arg(key));
    if (keyBytes.size() > MidaClau)
        return fail(QStringLiteral("key \"%1\" is longer than %2 bytes").arg(key).arg(MidaClau));
    if (text.size() > MaxCaractersText)
        return fail(QStringLiteral("text of \"%1\" is longer than %2 characters").arg(key).arg(MaxCaractersText));
    if (text.contains(QChar(0)) || !QStringView(text).isValidUtf16())
        return fail(QStringLiteral("text of \"%1\" is not valid text").arg(key));
    QByteArray rec(MidaRegistre, '\0');
    std::memset(rec.data(), ' ', MidaClau);
    std::memcpy(rec.data(), keyBytes.constData(), size_t(keyBytes.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        rec[MidaClau + 2 * i] = char(c & 0xFF);
        rec[MidaClau + 2 * i + 1] = char(c >> 8);
    }
    return rec;
}

} // namespace ModTraduccion
