#pragma once
// A database opened from a file, with DAO-like objects: table and query definitions, their
// fields, and recordsets opened by name. SQLite files (tables; views as the select queries)
// and Access .mdb/.accdb files (tables) are read.
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <deque>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace kovel::access {

// A failing database call; `number` is the DAO error number where one applies
// (3021 no current record, 3265 item not found in this collection, 3078 no such table).
struct Error : std::runtime_error {
    Error(const QString& text, std::int32_t number = 0);
    std::int32_t number;
    QString text() const { return QString::fromUtf8(what()); }
};

// DAO field type codes.
enum DataType : std::int16_t {
    dbBoolean = 1, dbByte = 2, dbInteger = 3, dbLong = 4, dbCurrency = 5, dbSingle = 6,
    dbDouble = 7, dbDate = 8, dbBinary = 9, dbText = 10, dbLongBinary = 11, dbMemo = 12,
    dbGUID = 15, dbBigInt = 16, dbVarBinary = 17, dbChar = 18, dbNumeric = 19,
    dbDecimal = 20, dbFloat = 21, dbTime = 22, dbTimeStamp = 23,
};
// True for the types that have no text value (9, 11, 17).
bool EsBinari(std::int16_t type);

// DAO query types used by the program.
enum QueryType : std::int16_t { dbQSelect = 0, dbQCrosstab = 16, dbQSQLPassThrough = 112 };

struct Field {
    QString Name;
    std::int16_t Type = dbText;
};

class Fields {
public:
    std::int32_t Count() const { return std::int32_t(m_items.size()); }
    const Field& Item(std::int32_t index0) const;         // Error 3265 outside
    const Field& Item(const QString& name) const;         // without regard to case; Error 3265
    std::int32_t IndexOf(const QString& name) const;      // -1 when absent
    void Append(Field f);
private:
    std::vector<Field> m_items;
    QHash<QString, std::int32_t> m_byName;   // case-folded
};

struct TableDef {
    QString Name;
    Fields fields;
    const Fields& Fields_() const { return fields; }
};

struct QueryDef {
    QString Name;
    std::int16_t Type = dbQSelect;
    QString SQL;
    Fields fields;
};

template <typename T>
class Collection {
public:
    std::int32_t Count() const { return std::int32_t(m_items.size()); }
    const T& Item(std::int32_t index0) const {
        if (index0 < 0 || index0 >= Count()) throw Error(QStringLiteral("Item not found in this collection."), 3265);
        return m_items[std::size_t(index0)];
    }
    // Without regard to case; nullptr when absent.
    const T* Find(const QString& name) const {
        for (const T& t : m_items) if (t.Name.compare(name, Qt::CaseInsensitive) == 0) return &t;
        return nullptr;
    }
    const T& Item(const QString& name) const {
        if (const T* t = Find(name)) return *t;
        throw Error(QStringLiteral("Item not found in this collection."), 3265);
    }
    void Append(T t) { m_items.push_back(std::move(t)); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }
private:
    std::vector<T> m_items;
};
using TableDefs = Collection<TableDef>;
using QueryDefs = Collection<QueryDef>;

// The values of a recordset as they are read, row by row: texts in one pool, so that a
// large table costs little more than its text.
class RecordValues {
public:
    void Append(QStringView text);
    void AppendLatin1(const char* text, qsizetype length);
    void AppendNull();                 // Null, and the binary types that have no text
    std::int64_t Count() const { return std::int64_t(m_slots.size()); }
    bool IsNull(std::int64_t i) const { return m_slots[std::size_t(i)].length < 0; }
    QString Text(std::int64_t i) const;
    void Squeeze();
private:
    // Chunks and a deque grow without copying what was read.
    struct Slot { std::uint32_t chunk, offset; std::int32_t length; };   // length -1: Null
    QString& room(qsizetype length);
    std::vector<QString> m_chunks;
    std::deque<Slot> m_slots;
};

// All records of a table or query, read when it is opened. Values are kept as their text
// (the runtime's conversion); Null and binary values have no text.
class Recordset {
public:
    Recordset(Fields fields, RecordValues values);
    const Fields& Fields_() const { return m_fields; }

    std::int64_t RecordCount() const { return m_rows; }
    bool EOF_() const { return m_pos >= m_rows; }
    bool BOF() const { return m_pos < 0 || m_rows == 0; }
    std::int64_t AbsolutePosition() const { return m_pos; }
    void MoveFirst();
    void MoveLast();
    void MoveNext();       // past the last record EOF becomes true; a move at EOF is an error
    void MovePrevious();

    // The field's value in the current record: the text, or a null QVariant for Null and
    // binary values. Error 3265 for a name the recordset lacks, 3021 with no current record.
    QVariant Value(const QString& fieldName) const;
    // The same as text ("" for Null and binary), without a QVariant.
    QString Text(const QString& fieldName) const;
    QString Text(std::int32_t fieldIndex) const;
    bool IsNull(const QString& fieldName) const;

private:
    std::int32_t column(const QString& fieldName) const;
    std::int64_t current(std::int32_t column) const;   // index of the value; 3021 without a record
    Fields m_fields;
    RecordValues m_values;   // row-major
    std::int64_t m_rows = 0;
    std::int64_t m_pos = 0;
};

struct Limits {
    std::int64_t maxFileBytes = std::int64_t(4) << 30;
    std::int64_t maxRecordsetValues = 30'000'000;    // rows x fields of one recordset (some 1 GiB at most)
    std::int64_t maxValueBytes = std::int64_t(64) << 20;   // one text or memo value
    std::int32_t maxObjects = 100'000;               // tables + views
};

class Database {
public:
    virtual ~Database();
    // Opens an SQLite or Access file by content. nullptr with `error` (the fault; the caller
    // names the file) when it cannot be read as a database.
    static std::unique_ptr<Database> Open(const QString& path, QString& error, const Limits& limits = {});

    QString Name() const { return m_name; }      // full path
    const TableDefs& TableDefs_() const { return m_tables; }
    const QueryDefs& QueryDefs_() const { return m_queries; }

    // A recordset over the table or query of that name, without regard to case.
    // Error 3078 when there is no such table or query.
    virtual std::unique_ptr<Recordset> OpenRecordset(const QString& name) = 0;

protected:
    Database(QString name, const Limits& limits) : m_name(std::move(name)), m_limits(limits) {}

    QString m_name;
    TableDefs m_tables;
    QueryDefs m_queries;
    Limits m_limits;
};

// The database application: its current database, opened from a file. The "running"
// application's current database is the file that $KOVEL_CURRENT_DATABASE names.
class Application {
public:
    Application();
    ~Application();
    bool AttachCurrentDatabase(QString& error);        // as excel::Application
    Database* CurrentDb() const { return m_db.get(); }
    bool OpenCurrentDatabase(const QString& path, QString& error);
    bool Visible = false;
    Limits limits;
private:
    std::unique_ptr<Database> m_db;
};

} // namespace kovel::access
