#include "common/ModTraduccion.h"

#include "common/BasicRules.h"
#include "common/Cp1252.h"
#include "common/ModReg.h"
#include "platform/paths/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QVarLengthArray>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace ModTraduccion {

namespace {

struct Entry {
    EntradaLiteral e;
    QString cmp;   // FormaComparacio(Clau), kept so that a look-up does not redo it
    QString shown; // Text without its leading and trailing blanks, as look-ups give it
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

// Upper case one code unit at a time (no character turns into two), so that a key's
// comparison form keeps its length and the loader can build it from a table.
inline char16_t upperUnit(char16_t c)
{
    if (c < 0x80)
        return c >= u'a' && c <= u'z' ? char16_t(c - 0x20) : c;
    if (QChar::isSurrogate(c))
        return c;
    return QChar::toUpper(c);
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

// Each key byte of a record as the loader holds it (Windows-1252, then the 0xF3 and 0xA0
// folding) and in its comparison form, so a record's key is read with one table look-up
// a byte.
struct KeyTables {
    char16_t held[256];
    char16_t upper[256];
};

const KeyTables& keyTables()
{
    static const KeyTables tables = [] {
        KeyTables t{};
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString held = ConvertirClau(kovel::cp1252::toUnicode(QByteArrayView(&byte, 1)));
            t.held[b] = held.at(0).unicode();
            t.upper[b] = upperUnit(t.held[b]);
        }
        return t;
    }();
    return tables;
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
    const QStringView t = trimBlanks(key);
    QString form(t.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(form.data());
    for (qsizetype i = 0; i < t.size(); ++i)
        out[i] = upperUnit(t[i].unicode());
    return form;
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

namespace {

// One record into an entry; false when its text is not valid UTF-16.
bool readRecord(const uchar* rec, Entry& entry)
{
    const KeyTables& tables = keyTables();
    // The padding is found a word at a time: most of a key field is blanks.
    int last = MidaClau;
    constexpr quint64 kBlanks = 0x2020202020202020ull;
    while (last >= 8) {
        quint64 word;
        std::memcpy(&word, rec + last - 8, 8);
        if (word != kBlanks)
            break;
        last -= 8;
    }
    while (last > 0 && tables.held[rec[last - 1]] == u' ')
        --last;
    entry.e.Clau = QString(MidaClau, u' ');
    char16_t* clau = reinterpret_cast<char16_t*>(entry.e.Clau.data());
    for (int i = 0; i < last; ++i)
        clau[i] = tables.held[rec[i]];
    int first = 0;
    while (first < last && clau[first] == u' ')
        ++first;
    entry.cmp = QString(last - first, Qt::Uninitialized);
    char16_t* cmp = reinterpret_cast<char16_t*>(entry.cmp.data());
    for (int i = first; i < last; ++i)
        cmp[i - first] = tables.upper[rec[i]];

    const uchar* t = rec + MidaClau;
    qsizetype n = 0;
    while (n < MaxCaractersText && (t[2 * n] | t[2 * n + 1]))
        ++n;
    entry.e.Text = QString(n, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(entry.e.Text.data());
    for (qsizetype i = 0; i < n; ++i)
        out[i] = char16_t(t[2 * i] | (t[2 * i + 1] << 8));
    if (!QStringView(entry.e.Text).isValidUtf16())
        return false;
    const QStringView shown = trimBlanks(entry.e.Text);
    entry.shown = shown.size() == n ? entry.e.Text : shown.toString();
    return true;
}

} // namespace

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
    g_table.reserve(std::size_t(std::clamp<qint64>(file.size() / MidaRegistre, 0, MaxLiterals)));
    // Read in blocks of whole records through one small buffer; a read that fails or a file
    // cut short by someone else ends the load with the records read so far.
    constexpr qsizetype kBlock = 128 * MidaRegistre;
    std::vector<uchar> buffer(kBlock);
    qsizetype held = 0;
    qsizetype record = 0;
    for (;;) {
        const qint64 got = file.read(reinterpret_cast<char*>(buffer.data()) + held, kBlock - held);
        if (got < 0) {
            message = path + QStringLiteral(": ") + file.errorString();
            return false;
        }
        if (got == 0)
            break;
        held += qsizetype(got);
        const qsizetype whole = held / MidaRegistre;
        for (qsizetype i = 0; i < whole; ++i, ++record) {
            if (record >= MaxLiterals) {
                message = path + QStringLiteral(": more than %1 records").arg(MaxLiterals);
                return false;
            }
            Entry entry;
            if (!readRecord(buffer.data() + i * MidaRegistre, entry)) {
                message = path + QStringLiteral(": record %1 holds text that is not valid UTF-16").arg(record + 1);
                return false;
            }
            g_table.push_back(std::move(entry));
        }
        held -= whole * MidaRegistre;
        std::memmove(buffer.data(), buffer.data() + whole * MidaRegistre, std::size_t(held));
    }
    if (held)
        std::fprintf(stderr, "%s: %lld bytes after the last whole record ignored\n", qPrintable(path),
                     static_cast<long long>(held));
    return true;
}

QString TextPrograma(const char* key, const QString& perDefecte)
{
    const QString t = CercarLiteral(QString::fromLatin1(key));
    return t.isEmpty() ? perDefecte : t;
}

QString CercarLiteral(const QString& key)
{
    // The key's comparison form in a local buffer: a look-up allocates nothing but its result.
    const QStringView trimmed = trimBlanks(key);
    QVarLengthArray<char16_t, 256> form(trimmed.size());
    for (qsizetype i = 0; i < trimmed.size(); ++i)
        form[i] = upperUnit(trimmed[i].unicode());
    const QStringView k(form.constData(), form.size());
    qsizetype low = 0, high = qsizetype(g_table.size()) - 1;
    while (low <= high) {
        const qsizetype middle = (low + high) / 2;
        const int c = cmpForms(g_table[std::size_t(middle)].cmp, k);
        if (c == 0)
            return g_table[std::size_t(middle)].shown;
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
