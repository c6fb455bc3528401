#pragma once
// Settings keys and values kept in a text file in the registry-export format:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\KOVEL Systems\KOVEL Videvoviv\6\Selec]
//   @="default value"
//   "TipoPag"="3"
//   "Count"=dword:0000000a
//
// Key paths use backslashes; key and value names are compared without regard to case and
// keep the spelling they were created with. Every key exists on its own (empty keys
// persist) and creating a key creates its parents. Files are UTF-8; a write goes to a
// temporary file that is then renamed, under a lock file, so a reader never sees half a
// file. A file that is missing or not in the format reads as empty; the next write leaves
// a valid file (a copy of the unreadable one is kept beside it with ".bad").
#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace kovel::registry {

struct Value {
    enum class Type { String, Dword, Binary };
    Type type = Type::String;
    QString text;            // String
    std::uint32_t dword = 0; // Dword
    QByteArray bytes;        // Binary (kept as read, e.g. hex(2), hex(7) values)
    QString binaryTag;       // "hex", "hex(2)", ...

    static Value string(const QString& t) { Value v; v.text = t; return v; }
    static Value fromDword(std::uint32_t d) { Value v; v.type = Type::Dword; v.dword = d; return v; }
    bool operator==(const Value& o) const;
};

// The whole content of one file.
class Tree {
public:
    struct Key {
        QString path;                 // as first spelt, without the root prefix
        std::vector<std::pair<QString, Value>> values; // in file order; "" is the default value
    };

    // Root prefix written in the file ("HKEY_CURRENT_USER"); keys are read with or
    // without one.
    explicit Tree(QString rootName = QStringLiteral("HKEY_CURRENT_USER"));

    bool hasKey(const QString& path) const;
    const Key* key(const QString& path) const;
    Key& ensureKey(const QString& path);        // with its parents
    bool removeKey(const QString& path);        // with its subkeys
    std::optional<Value> value(const QString& path, const QString& name) const;
    void setValue(const QString& path, const QString& name, const Value& v);
    bool removeValue(const QString& path, const QString& name);
    QStringList subKeys(const QString& path) const;   // immediate children, as spelt
    QStringList keyPaths() const;                     // every key, in file order

    QByteArray serialize() const;
    // `ok` is false when the bytes are not a registry-export text (no header) or a line
    // could not be read; whatever could be read is kept.
    static Tree parse(const QByteArray& bytes, const QString& rootName, bool* ok = nullptr);

    const QString& rootName() const { return root_; }

private:
    static QString normal(const QString& path);
    QString root_;
    std::vector<Key> keys_;
    QMap<QString, std::size_t> index_; // normal(path) -> keys_ index
    void reindex();
};

// One settings file on disk. Each call reads the file afresh so that several processes
// (the program, the update service, the installers) see each other's writes.
class Store {
public:
    Store(QString filePath, QString rootName);

    const QString& filePath() const { return path_; }

    Tree read() const;
    bool keyExists(const QString& key) const;
    std::optional<Value> value(const QString& key, const QString& name) const;
    QStringList subKeys(const QString& key) const;
    // Why the file cannot be used, naming it ("…/machine.reg: holds NUL bytes"); empty when
    // it is missing, empty or a valid settings file. A damaged file reads as empty, so a
    // caller that must tell "not set" from "cannot be read" asks here.
    QString damage() const;

    // Writes return false when the file could not be written (lock or disk) or a key or
    // value name holds a control character; the file is then left as it was.
    bool setValue(const QString& key, const QString& name, const Value& v);
    bool createKey(const QString& key);
    bool removeValue(const QString& key, const QString& name); // creates the key, as the registry call does
    bool removeKey(const QString& key);

    // How long a write waits for another writer's lock (5 s unless set; tests shorten it).
    static void setLockTimeout(int milliseconds);

private:
    template <typename F> bool modify(F&& change);
    QString path_;
    QString root_;
};

// The two files of the program (see kovel::paths for where they live).
Store machine();
Store user();

} // namespace kovel::registry
