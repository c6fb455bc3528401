#include "platform/registry/Registry.h"

#include "platform/files/Bloqueig.h"
#include "platform/files/EscripturaAtomica.h"
#include "platform/paths/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <cstdio>

namespace kovel::registry {

namespace {

constexpr auto kHeader = "Windows Registry Editor Version 5.00";
int g_lockTimeoutMs = 5000;
constexpr int kStaleLockMs = 2000;
// Larger files are not settings written by this program; reading them whole is refused.
constexpr qint64 kMaxFileBytes = 64ll * 1024 * 1024;

QString splitPathClean(const QString& path, QStringList* parts = nullptr)
{
    QStringList comps = path.split(u'\\', Qt::SkipEmptyParts);
    for (QString& c : comps)
        c = c.trimmed();
    comps.removeAll(QString());
    if (parts)
        *parts = comps;
    return comps.join(u'\\');
}

QString quote(const QString& s)
{
    QString out;
    out.reserve(s.size() + 2);
    out += u'"';
    for (QChar c : s) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    out += u'"';
    return out;
}

bool needsHex(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() < 0x20 && c != u'\t')
            return true;
    return !QStringView(s).isValidUtf16();
}

QString hexList(const QByteArray& bytes, int firstLineUsed)
{
    QString out;
    int col = firstLineUsed;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out += QString::asprintf("%02x", unsigned(static_cast<unsigned char>(bytes[i])));
        col += 3;
        if (i + 1 < bytes.size()) {
            out += u',';
            if (col > 76) {
                out += QStringLiteral("\\\r\n  ");
                col = 2;
            }
        }
    }
    return out;
}

// Reads a quoted text starting at s[pos] == '"'; pos ends after the closing quote.
std::optional<QString> readQuoted(const QString& s, qsizetype& pos)
{
    if (pos >= s.size() || s[pos] != u'"')
        return std::nullopt;
    QString out;
    for (++pos; pos < s.size(); ++pos) {
        const QChar c = s[pos];
        if (c == u'\\' && pos + 1 < s.size()) {
            out += s[++pos];
        } else if (c == u'"') {
            ++pos;
            return out;
        } else {
            out += c;
        }
    }
    return std::nullopt; // unterminated: a cut line
}

std::optional<QByteArray> readHex(const QString& list)
{
    QByteArray out;
    const QStringList items = QString(list).remove(u' ').remove(u'\t').split(u',', Qt::SkipEmptyParts);
    for (const QString& item : items) {
        bool ok = false;
        const uint b = item.toUInt(&ok, 16);
        if (!ok || b > 0xFF)
            return std::nullopt;
        out.append(char(b));
    }
    return out;
}

std::optional<Value> readData(const QString& data)
{
    if (data.startsWith(u'"')) {
        qsizetype pos = 0;
        auto text = readQuoted(data, pos);
        if (!text || !data.mid(pos).trimmed().isEmpty())
            return std::nullopt;
        return Value::string(*text);
    }
    const QString lower = data.toLower();
    if (lower.startsWith(u"dword:")) {
        bool ok = false;
        const QString digits = data.mid(6).trimmed();
        const uint d = digits.toUInt(&ok, 16);
        if (!ok || digits.size() > 8)
            return std::nullopt;
        return Value::fromDword(d);
    }
    if (lower.startsWith(u"hex")) {
        const qsizetype colon = data.indexOf(u':');
        if (colon < 0)
            return std::nullopt;
        const QString tag = lower.left(colon).trimmed();
        auto bytes = readHex(data.mid(colon + 1));
        if (!bytes)
            return std::nullopt;
        if (tag == u"hex(1)") {
            QByteArray b = *bytes;
            if (b.size() % 2)
                b.chop(1);
            QString t(reinterpret_cast<const QChar*>(b.constData()), b.size() / 2);
            if (t.endsWith(QChar(0)))
                t.chop(1);
            return Value::string(t);
        }
        if (tag == u"hex(4)" && bytes->size() == 4) {
            const auto* u = reinterpret_cast<const unsigned char*>(bytes->constData());
            return Value::fromDword(u[0] | (u[1] << 8) | (u[2] << 16) | (std::uint32_t(u[3]) << 24));
        }
        Value v;
        v.type = Value::Type::Binary;
        v.bytes = *bytes;
        v.binaryTag = tag;
        return v;
    }
    return std::nullopt;
}

} // namespace

// ---- Value ------------------------------------------------------------------------------

bool Value::operator==(const Value& o) const
{
    if (type != o.type)
        return false;
    switch (type) {
    case Type::String: return text == o.text;
    case Type::Dword: return dword == o.dword;
    case Type::Binary: return bytes == o.bytes && binaryTag == o.binaryTag;
    }
    return false;
}

// ---- Tree -------------------------------------------------------------------------------

Tree::Tree(QString rootName) : root_(std::move(rootName)) {}

QString Tree::normal(const QString& path)
{
    return splitPathClean(path).toCaseFolded();
}

void Tree::reindex()
{
    index_.clear();
    for (std::size_t i = 0; i < keys_.size(); ++i)
        index_.insert(normal(keys_[i].path), i);
}

bool Tree::hasKey(const QString& path) const { return index_.contains(normal(path)); }

const Tree::Key* Tree::key(const QString& path) const
{
    auto it = index_.constFind(normal(path));
    return it == index_.cend() ? nullptr : &keys_[*it];
}

Tree::Key& Tree::ensureKey(const QString& path)
{
    QStringList parts;
    splitPathClean(path, &parts);
    QString spelt;
    std::size_t at = 0;
    for (const QString& part : parts) {
        spelt = spelt.isEmpty() ? part : spelt + u'\\' + part;
        const QString n = spelt.toCaseFolded();
        auto it = index_.constFind(n);
        if (it != index_.cend()) {
            at = *it;
            spelt = keys_[at].path; // keep the first spelling of the parents
            continue;
        }
        keys_.push_back(Key{spelt, {}});
        at = keys_.size() - 1;
        index_.insert(n, at);
    }
    if (parts.isEmpty()) {
        // The root itself holds no values here; give callers a scratch key.
        static thread_local Key scratch;
        scratch = Key{};
        return scratch;
    }
    return keys_[at];
}

bool Tree::removeKey(const QString& path)
{
    const QString n = normal(path);
    if (n.isEmpty())
        return false;
    const auto before = keys_.size();
    std::erase_if(keys_, [&](const Key& k) {
        const QString kn = normal(k.path);
        return kn == n || kn.startsWith(n + u'\\');
    });
    reindex();
    return keys_.size() != before;
}

std::optional<Value> Tree::value(const QString& path, const QString& name) const
{
    const Key* k = key(path);
    if (!k)
        return std::nullopt;
    for (const auto& [n, v] : k->values)
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return v;
    return std::nullopt;
}

void Tree::setValue(const QString& path, const QString& name, const Value& v)
{
    if (normal(path).isEmpty())
        return;
    Key& k = ensureKey(path);
    for (auto& [n, old] : k.values)
        if (n.compare(name, Qt::CaseInsensitive) == 0) {
            old = v;
            return;
        }
    k.values.emplace_back(name, v);
}

bool Tree::removeValue(const QString& path, const QString& name)
{
    auto it = index_.constFind(normal(path));
    if (it == index_.cend())
        return false;
    auto& values = keys_[*it].values;
    const auto before = values.size();
    std::erase_if(values, [&](const auto& p) { return p.first.compare(name, Qt::CaseInsensitive) == 0; });
    return values.size() != before;
}

QStringList Tree::subKeys(const QString& path) const
{
    const QString n = normal(path);
    QStringList out;
    for (const Key& k : keys_) {
        const QString kn = normal(k.path);
        QString rest;
        if (n.isEmpty())
            rest = kn;
        else if (kn.startsWith(n + u'\\'))
            rest = kn.mid(n.size() + 1);
        else
            continue;
        if (!rest.isEmpty() && !rest.contains(u'\\'))
            out << k.path.section(u'\\', -1);
    }
    return out;
}

QStringList Tree::keyPaths() const
{
    QStringList out;
    for (const Key& k : keys_)
        out << k.path;
    return out;
}

QByteArray Tree::serialize() const
{
    QString out = QString::fromLatin1(kHeader) + QStringLiteral("\r\n\r\n");
    for (const Key& k : keys_) {
        out += u'[' + root_ + u'\\' + k.path + QStringLiteral("]\r\n");
        for (const auto& [name, v] : k.values) {
            QString line = name.isEmpty() ? QStringLiteral("@") : quote(name);
            line += u'=';
            switch (v.type) {
            case Value::Type::String:
                if (needsHex(v.text)) {
                    QByteArray b(reinterpret_cast<const char*>(v.text.utf16()), v.text.size() * 2);
                    b.append(2, '\0');
                    line += QStringLiteral("hex(1):");
                    line += hexList(b, line.size());
                } else {
                    line += quote(v.text);
                }
                break;
            case Value::Type::Dword:
                line += QString::asprintf("dword:%08x", unsigned(v.dword));
                break;
            case Value::Type::Binary:
                line += (v.binaryTag.isEmpty() ? QStringLiteral("hex") : v.binaryTag) + u':';
                line += hexList(v.bytes, line.size());
                break;
            }
            out += line + QStringLiteral("\r\n");
        }
        out += QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

Tree Tree::parse(const QByteArray& bytes, const QString& rootName, bool* ok)
{
    Tree tree(rootName);
    bool good = true;
    QString text;
    if (bytes.startsWith("\xFF\xFE")) {
        const QByteArray b = bytes.mid(2);
        text = QString(reinterpret_cast<const QChar*>(b.constData()), b.size() / 2);
    } else {
        text = QString::fromUtf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
    }
    text.remove(u'\r');
    const QStringList lines = text.split(u'\n');
    qsizetype i = 0;
    while (i < lines.size() && lines[i].trimmed().isEmpty())
        ++i;
    if (i >= lines.size() || (lines[i].trimmed() != QLatin1String(kHeader) && lines[i].trimmed() != u"REGEDIT4")) {
        if (ok)
            *ok = bytes.trimmed().isEmpty(); // an empty file is merely empty
        return tree;
    }
    ++i;
    std::optional<QString> current;
    for (; i < lines.size(); ++i) {
        QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            current.reset();
            if (!line.endsWith(u']')) {
                good = false;
                continue;
            }
            QString path = line.mid(1, line.size() - 2);
            if (path.startsWith(u'-'))
                continue; // a deletion entry: nothing to keep
            if (path.section(u'\\', 0, 0).startsWith(u"HKEY_", Qt::CaseInsensitive))
                path = path.section(u'\\', 1);
            if (splitPathClean(path).isEmpty()) {
                good = false;
                continue;
            }
            tree.ensureKey(path);
            current = path;
            continue;
        }
        if (!current) {
            good = false;
            continue;
        }
        QString name;
        qsizetype pos = 0;
        if (line.startsWith(u'@')) {
            pos = 1;
        } else {
            auto n = readQuoted(line, pos);
            if (!n) {
                good = false;
                continue;
            }
            name = *n;
        }
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        if (pos >= line.size() || line[pos] != u'=') {
            good = false;
            continue;
        }
        QString data = line.mid(pos + 1).trimmed();
        // Hex lists run on over lines ending with a backslash (a quoted text never does).
        if (data.startsWith(u"hex", Qt::CaseInsensitive))
            while (data.endsWith(u'\\') && i + 1 < lines.size())
                data = data.chopped(1) + lines[++i].trimmed();
        if (data == u"-")
            continue;
        auto v = readData(data);
        if (!v) {
            good = false;
            continue;
        }
        tree.setValue(*current, name, *v);
    }
    if (ok)
        *ok = good;
    return tree;
}

// ---- Store ------------------------------------------------------------------------------

Store::Store(QString filePath, QString rootName) : path_(std::move(filePath)), root_(std::move(rootName)) {}

namespace {

enum class FileState { Missing, Read, Unreadable, TooLarge };

QByteArray readAll(const QString& path, FileState* state)
{
    QFile f(path);
    if (!f.exists()) {
        *state = FileState::Missing;
        return {};
    }
    if (!f.open(QIODevice::ReadOnly)) {
        *state = FileState::Unreadable;
        return {};
    }
    if (f.size() > kMaxFileBytes) {
        std::fprintf(stderr, "%s: settings file too large, ignored\n", qPrintable(path));
        *state = FileState::TooLarge;
        return {};
    }
    const QByteArray bytes = f.readAll();
    *state = f.error() == QFileDevice::NoError ? FileState::Read : FileState::Unreadable;
    return bytes;
}

} // namespace

Tree Store::read() const
{
    FileState state;
    return Tree::parse(readAll(path_, &state), root_);
}

QString Store::damage() const
{
    FileState state;
    const QByteArray bytes = readAll(path_, &state);
    QString reason;
    switch (state) {
    case FileState::Missing: return {};
    case FileState::Unreadable: reason = QStringLiteral("cannot be read"); break;
    case FileState::TooLarge: reason = QStringLiteral("is larger than 64 MB"); break;
    case FileState::Read: break;
    }
    const bool utf16 = bytes.startsWith("\xFF\xFE");
    if (reason.isEmpty() && !utf16 && bytes.contains('\0'))
        reason = QStringLiteral("holds NUL bytes");
    if (reason.isEmpty() && !utf16 && bytes.contains('\r') && !bytes.contains("\r\n") && !bytes.contains('\n'))
        reason = QStringLiteral("has lines that end in a carriage return alone");
    if (reason.isEmpty()) {
        bool ok = true;
        Tree::parse(bytes, root_, &ok);
        if (!ok) {
            QByteArray start = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
            start = start.trimmed();
            reason = start.startsWith(kHeader) || start.startsWith("REGEDIT4") || utf16
                ? QStringLiteral("holds lines that cannot be read")
                : QStringLiteral("does not begin with \"%1\"").arg(QLatin1String(kHeader));
        }
    }
    return reason.isEmpty() ? QString() : path_ + QStringLiteral(": ") + reason;
}

bool Store::keyExists(const QString& key) const { return read().hasKey(key); }

std::optional<Value> Store::value(const QString& key, const QString& name) const
{
    return read().value(key, name);
}

QStringList Store::subKeys(const QString& key) const { return read().subKeys(key); }

namespace {

// The unreadable file's bytes, kept beside it as ".bad" (a large one is copied piece by piece).
bool keepBadCopy(const QString& path, const QByteArray& bytes, bool whole)
{
    kovel::files::EscripturaAtomica out(path + QStringLiteral(".bad"));
    if (whole) {
        if (!out.escriu(bytes))
            return false;
    } else {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            return false;
        QByteArray chunk;
        while (!(chunk = in.read(1 << 20)).isEmpty())
            if (!out.escriu(chunk))
                return false;
        if (in.error() != QFileDevice::NoError)
            return false;
    }
    if (out.confirma())
        return true;
    std::fprintf(stderr, "%s\n", qPrintable(out.error()));
    return false;
}

} // namespace

template <typename F>
bool Store::modify(F&& change)
{
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QLockFile lock(path_ + QStringLiteral(".lock"));
    // A writer holds the lock for milliseconds. A writer killed between making the lock file
    // and writing its process id into it leaves a lock that only its age shows to be stale:
    // that age must be well inside the time a write waits.
    lock.setStaleLockTime(kStaleLockMs);
    if (!kovel::files::PrenBloqueig(lock, g_lockTimeoutMs)) {
        if (lock.error() == QLockFile::LockFailedError)
            std::fprintf(stderr, "%s: settings file is locked, value not written\n", qPrintable(path_));
        else // a folder that cannot be written, or a full disk
            std::fprintf(stderr, "%s.lock: the lock file cannot be made, value not written\n", qPrintable(path_));
        return false;
    }
    FileState state;
    const QByteArray before = readAll(path_, &state);
    if (state == FileState::Unreadable) {
        // Writing now would replace settings that could not even be seen.
        std::fprintf(stderr, "%s: settings file cannot be read, value not written\n", qPrintable(path_));
        return false;
    }
    bool ok = true;
    Tree tree = Tree::parse(before, root_, &ok);
    if (state == FileState::TooLarge || (!ok && !before.isEmpty())) {
        // Keep what could not be read, so nothing of it is lost for good; without that copy
        // the file is not replaced.
        if (!keepBadCopy(path_, before, state != FileState::TooLarge)) {
            std::fprintf(stderr, "%s: not a valid settings file, and no copy of it could be kept; value not written\n",
                         qPrintable(path_));
            return false;
        }
        std::fprintf(stderr, "%s: not a valid settings file; a copy was kept as .bad\n", qPrintable(path_));
    }
    change(tree);
    QString error;
    if (!kovel::files::EscriuAtomic(path_, tree.serialize(), &error)) {
        std::fprintf(stderr, "%s; value not written\n", qPrintable(error));
        return false;
    }
    return true;
}

namespace {

// The export format keeps a key or a value name on one line: names with line breaks or
// other control characters cannot be written, and are refused rather than breaking the file.
// A name that is not valid UTF-16 would come back under another spelling: refused too.
bool writableNames(const QString& path, const QString& key, const QString& name = QString())
{
    if (splitPathClean(key).isEmpty())
        return false;
    for (const QString* s : {&key, &name}) {
        if (!QStringView(*s).isValidUtf16()) {
            std::fprintf(stderr, "%s: a key or value name that is not valid text cannot be written\n",
                         qPrintable(path));
            return false;
        }
        for (QChar c : *s)
            if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
                std::fprintf(stderr, "%s: a key or value name with a control character cannot be written\n",
                             qPrintable(path));
                return false;
            }
    }
    return true;
}

} // namespace

bool Store::setValue(const QString& key, const QString& name, const Value& v)
{
    if (!writableNames(path_, key, name))
        return false;
    return modify([&](Tree& t) { t.setValue(key, name, v); });
}

bool Store::createKey(const QString& key)
{
    if (!writableNames(path_, key))
        return false;
    return modify([&](Tree& t) { t.ensureKey(key); });
}

bool Store::removeValue(const QString& key, const QString& name)
{
    if (!writableNames(path_, key))
        return false;
    return modify([&](Tree& t) {
        t.ensureKey(key);
        t.removeValue(key, name);
    });
}

bool Store::removeKey(const QString& key)
{
    return modify([&](Tree& t) { t.removeKey(key); });
}

void Store::setLockTimeout(int milliseconds) { g_lockTimeoutMs = milliseconds; }

Store machine() { return Store(paths::machineRegistryFile(), QStringLiteral("HKEY_LOCAL_MACHINE")); }
Store user() { return Store(paths::userRegistryFile(), QStringLiteral("HKEY_CURRENT_USER")); }

} // namespace kovel::registry
