#include "platform/access/DatabaseImpl.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <climits>

namespace kovel::access {

Error::Error(const QString& text, std::int32_t n) : std::runtime_error(text.toStdString()), number(n) {}

bool EsBinari(std::int16_t type)
{
    return type == dbBinary || type == dbLongBinary || type == dbVarBinary;
}

// ---------------------------------------------------------------- fields

const Field& Fields::Item(std::int32_t index0) const
{
    if (index0 < 0 || index0 >= Count())
        throw Error(QStringLiteral("Item not found in this collection."), 3265);
    return m_items[std::size_t(index0)];
}

const Field& Fields::Item(const QString& name) const
{
    const std::int32_t i = IndexOf(name);
    if (i < 0)
        throw Error(QStringLiteral("Item not found in this collection: \"%1\".").arg(name), 3265);
    return m_items[std::size_t(i)];
}

std::int32_t Fields::IndexOf(const QString& name) const
{
    return m_byName.value(name.toCaseFolded(), -1);
}

void Fields::Append(Field f)
{
    const QString key = f.Name.toCaseFolded();
    if (!m_byName.contains(key))
        m_byName.insert(key, Count());
    m_items.push_back(std::move(f));
}

// ---------------------------------------------------------------- recordset

QString& RecordValues::room(qsizetype length)
{
    constexpr qsizetype kChunk = 1 << 20;
    if (m_chunks.empty() || m_chunks.back().size() + length > m_chunks.back().capacity()) {
        if (!m_chunks.empty()) m_chunks.back().squeeze();
        m_chunks.emplace_back();
        m_chunks.back().reserve(std::max(kChunk, length));
    }
    return m_chunks.back();
}

void RecordValues::Append(QStringView text)
{
    text = text.left(INT32_MAX);
    QString& chunk = room(text.size());
    m_slots.push_back({std::uint32_t(m_chunks.size() - 1), std::uint32_t(chunk.size()), std::int32_t(text.size())});
    chunk.append(text);
}

void RecordValues::AppendLatin1(const char* text, qsizetype length)
{
    length = std::min<qsizetype>(length, INT32_MAX);
    QString& chunk = room(length);
    m_slots.push_back({std::uint32_t(m_chunks.size() - 1), std::uint32_t(chunk.size()), std::int32_t(length)});
    chunk.append(QLatin1StringView(text, length));
}

void RecordValues::AppendNull()
{
    m_slots.push_back({0, 0, -1});
}

QString RecordValues::Text(std::int64_t i) const
{
    const Slot& s = m_slots[std::size_t(i)];
    if (s.length < 0) return QString();
    if (s.length == 0) return QStringLiteral("");
    return m_chunks[s.chunk].mid(s.offset, s.length);
}

void RecordValues::Squeeze()
{
    if (!m_chunks.empty()) m_chunks.back().squeeze();
    m_slots.shrink_to_fit();
}

Recordset::Recordset(Fields fields, RecordValues values)
    : m_fields(std::move(fields)), m_values(std::move(values))
{
    m_values.Squeeze();
    m_rows = m_fields.Count() > 0 ? m_values.Count() / m_fields.Count() : 0;
    m_pos = 0;
}

void Recordset::MoveFirst()
{
    if (m_rows == 0) throw Error(QStringLiteral("No current record."), 3021);
    m_pos = 0;
}

void Recordset::MoveLast()
{
    if (m_rows == 0) throw Error(QStringLiteral("No current record."), 3021);
    m_pos = m_rows - 1;
}

void Recordset::MoveNext()
{
    if (m_pos >= m_rows) throw Error(QStringLiteral("No current record."), 3021);
    ++m_pos;
}

void Recordset::MovePrevious()
{
    if (m_pos < 0 || m_rows == 0) throw Error(QStringLiteral("No current record."), 3021);
    --m_pos;
}

std::int32_t Recordset::column(const QString& fieldName) const
{
    const std::int32_t c = m_fields.IndexOf(fieldName);
    if (c < 0)
        throw Error(QStringLiteral("Item not found in this collection: \"%1\".").arg(fieldName), 3265);
    return c;
}

std::int64_t Recordset::current(std::int32_t c) const
{
    if (m_pos < 0 || m_pos >= m_rows)
        throw Error(QStringLiteral("No current record."), 3021);
    return m_pos * m_fields.Count() + c;
}

QVariant Recordset::Value(const QString& fieldName) const
{
    const std::int64_t i = current(column(fieldName));
    return m_values.IsNull(i) ? QVariant() : QVariant(m_values.Text(i));
}

QString Recordset::Text(const QString& fieldName) const
{
    return Text(column(fieldName));
}

QString Recordset::Text(std::int32_t c) const
{
    if (c < 0 || c >= m_fields.Count())
        throw Error(QStringLiteral("Item not found in this collection."), 3265);
    const std::int64_t i = current(c);
    return m_values.IsNull(i) ? QString() : m_values.Text(i);
}

bool Recordset::IsNull(const QString& fieldName) const
{
    return m_values.IsNull(current(column(fieldName)));
}

// ---------------------------------------------------------------- database

Database::~Database() = default;

std::unique_ptr<Database> Database::Open(const QString& path, QString& error, const Limits& limits)
{
    const QFileInfo info(path);
    if (!info.exists()) { error = QStringLiteral("the file does not exist"); return nullptr; }
    if (!info.isFile()) { error = QStringLiteral("it is not a file"); return nullptr; }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("the file cannot be read (%1)").arg(f.errorString());
        return nullptr;
    }
    if (f.size() > limits.maxFileBytes) { error = QStringLiteral("the file is too large"); return nullptr; }
    const QByteArray head = f.read(32);
    f.close();
    if (head.startsWith(QByteArray("SQLite format 3\0", 16)))
        return OpenSqlite(info.absoluteFilePath(), error, limits);
    if (head.size() >= 19 && (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB"))
        return OpenMdb(info.absoluteFilePath(), error, limits);
    if (head.isEmpty()) { error = QStringLiteral("the file is empty"); return nullptr; }
    error = QStringLiteral("the file is not a database (or it is encrypted)");
    return nullptr;
}

// ---------------------------------------------------------------- application

Application::Application() = default;
Application::~Application() = default;

bool Application::AttachCurrentDatabase(QString& error)
{
    const QString named = qEnvironmentVariable("KOVEL_CURRENT_DATABASE");
    if (named.isEmpty())
        return true;
    return OpenCurrentDatabase(named, error);
}

bool Application::OpenCurrentDatabase(const QString& path, QString& error)
{
    QString why;
    auto db = Database::Open(path, why, limits);
    if (!db) {
        error = QStringLiteral("\"%1\": %2").arg(QFileInfo(path).absoluteFilePath(), why);
        return false;
    }
    m_db = std::move(db);
    return true;
}

std::int16_t TypeFromDeclared(const QString& declared)
{
    const QString t = declared.toUpper();
    if (t.isEmpty()) return dbText;
    if (t.contains(u"BOOL") || t == u"BIT" || t.contains(u"YESNO")) return dbBoolean;
    if (t.contains(u"BIGINT") || t.contains(u"INT8")) return dbBigInt;
    if (t.contains(u"TINYINT") || t == u"BYTE") return dbByte;
    if (t.contains(u"SMALLINT")) return dbInteger;
    if (t.contains(u"INT")) return dbLong;
    if (t.contains(u"MEMO") || t.contains(u"CLOB") || t == u"TEXT") return dbMemo;
    if (t.contains(u"CHAR") || t.contains(u"TEXT")) return dbText;
    if (t.contains(u"VARBINARY")) return dbVarBinary;
    if (t.contains(u"BINARY") && !t.contains(u"LONG")) return dbBinary;
    if (t.contains(u"BLOB") || t.contains(u"BINARY") || t.contains(u"OLE") || t.contains(u"IMAGE")) return dbLongBinary;
    if (t.contains(u"REAL") || t.contains(u"DOUB")) return dbDouble;
    if (t.contains(u"FLOA")) return dbSingle;
    if (t.contains(u"MONEY") || t.contains(u"CURRENCY")) return dbCurrency;
    if (t.contains(u"TIMESTAMP")) return dbTimeStamp;
    if (t.contains(u"DATE") || t.contains(u"TIME")) return dbDate;
    if (t.contains(u"GUID") || t.contains(u"UUID")) return dbGUID;
    if (t.contains(u"DEC") || t.contains(u"NUMERIC")) return dbDecimal;
    return dbText;
}

} // namespace kovel::access
