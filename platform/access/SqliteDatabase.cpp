// SQLite files: tables, and views as the select queries.
#include "common/BasicRules.h"
#include "platform/access/DatabaseImpl.h"

#include <QFile>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <sqlite3.h>

namespace kovel::access {

QString TextOfDouble(double x)
{
    // Between 1E-4 and 1E15 the runtime writes 15 significant digits in plain notation. When
    // the shortest text that reads back as x has no more digits than that, it is that text.
    const double ax = std::fabs(x);
    if (ax >= 1e-4 && ax < 1e15) {
        char buf[64];
        const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed);
        if (ec == std::errc()) {
            int digits = 0;
            bool leading = true;
            for (const char* p = buf; p != end; ++p) {
                if (*p < '0' || *p > '9') continue;
                if (*p != '0') leading = false;
                if (!leading) ++digits;
            }
            if (digits <= 15)
                return QString::fromLatin1(buf, qsizetype(end - buf));
        }
    }
    return kovel::basic::CStr(x);
}

namespace {

QString quoted(const QString& identifier)
{
    QString q = identifier;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

QString lastError(sqlite3* db)
{
    const int code = sqlite3_errcode(db);
    if (code == SQLITE_NOTADB) return QStringLiteral("the file is encrypted or is not a database");
    if (code == SQLITE_CORRUPT) return QStringLiteral("the database is corrupt");
    return QString::fromUtf8(sqlite3_errmsg(db));
}

class SqliteDatabase final : public Database {
public:
    SqliteDatabase(sqlite3* db, const QString& path, const Limits& limits) : Database(path, limits), m_db(db) {}
    ~SqliteDatabase() override { sqlite3_close(m_db); }

    bool load(QString& error)
    {
        sqlite3_stmt* st = nullptr;
        const char* sql =
            "SELECT name, type, sql FROM sqlite_master WHERE type IN ('table','view') "
            "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid";
        if (sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr) != SQLITE_OK) {
            error = lastError(m_db);
            return false;
        }
        struct Obj { QString name; bool view; QString sql; };
        std::vector<Obj> objs;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            if (qsizetype(objs.size()) >= m_limits.maxObjects) {
                sqlite3_finalize(st);
                error = QStringLiteral("the database has too many tables and views");
                return false;
            }
            objs.push_back({QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))),
                            qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)), "view") == 0,
                            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)))});
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) {
            error = lastError(m_db);
            return false;
        }
        for (const Obj& o : objs) {
            Fields fields = fieldsOf(o.name);
            if (o.view) {
                QueryDef q;
                q.Name = o.name;
                q.Type = dbQSelect;
                q.SQL = o.sql;
                q.fields = std::move(fields);
                m_queries.Append(std::move(q));
            } else {
                TableDef t;
                t.Name = o.name;
                t.fields = std::move(fields);
                m_tables.Append(std::move(t));
            }
        }
        return true;
    }

    std::unique_ptr<Recordset> OpenRecordset(const QString& name) override
    {
        const TableDef* t = m_tables.Find(name);
        const QueryDef* q = t ? nullptr : m_queries.Find(name);
        if (!t && !q)
            throw Error(QStringLiteral("The database has no table or query named \"%1\".").arg(name), 3078);
        const QString realName = t ? t->Name : q->Name;
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = QStringLiteral("SELECT * FROM %1").arg(quoted(realName)).toUtf8();
        if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK)
            throw Error(QStringLiteral("\"%1\" in the database \"%2\" cannot be read: %3").arg(realName, m_name, lastError(m_db)));
        Fields fields;
        const int n = sqlite3_column_count(st);
        std::vector<std::int16_t> types;
        for (int c = 0; c < n; ++c) {
            const char* decl = sqlite3_column_decltype(st, c);
            types.push_back(TypeFromDeclared(QString::fromUtf8(decl ? decl : "")));
            fields.Append({QString::fromUtf8(sqlite3_column_name(st, c)), types.back()});
        }
        RecordValues values;
        std::int64_t count = 0;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            count += n;
            if (count > m_limits.maxRecordsetValues) {
                sqlite3_finalize(st);
                throw Error(QStringLiteral("\"%1\" in the database \"%2\" has more values than can be read").arg(realName, m_name));
            }
            for (int c = 0; c < n; ++c) {
                switch (sqlite3_column_type(st, c)) {
                case SQLITE_INTEGER: {
                    const sqlite3_int64 v = sqlite3_column_int64(st, c);
                    if (types[std::size_t(c)] == dbBoolean) {
                        values.Append(v != 0 ? u"True" : u"False");
                    } else {
                        char buf[24];
                        const auto r = std::to_chars(buf, buf + sizeof buf, v);
                        values.AppendLatin1(buf, r.ptr - buf);
                    }
                    break;
                }
                case SQLITE_FLOAT:
                    values.Append(TextOfDouble(sqlite3_column_double(st, c)));
                    break;
                case SQLITE_TEXT: {
                    const int bytes = sqlite3_column_bytes(st, c);
                    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                    if (EsBinari(types[std::size_t(c)]) || bytes > m_limits.maxValueBytes || !p)
                        values.AppendNull();
                    else if (std::all_of(p, p + bytes, [](char ch) { return (unsigned char)ch < 0x80; }))
                        values.AppendLatin1(p, bytes);
                    else
                        values.Append(QString::fromUtf8(p, bytes));
                    break;
                }
                default:   // NULL and BLOB have no text
                    values.AppendNull();
                }
            }
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            throw Error(QStringLiteral("\"%1\" in the database \"%2\" cannot be read: %3").arg(realName, m_name, lastError(m_db)));
        return std::make_unique<Recordset>(std::move(fields), std::move(values));
    }

private:
    Fields fieldsOf(const QString& name)
    {
        Fields fields;
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(quoted(name)).toUtf8();
        if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &st, nullptr) == SQLITE_OK) {
            const int n = sqlite3_column_count(st);
            for (int c = 0; c < n; ++c) {
                const char* decl = sqlite3_column_decltype(st, c);
                fields.Append({QString::fromUtf8(sqlite3_column_name(st, c)), TypeFromDeclared(QString::fromUtf8(decl ? decl : ""))});
            }
        }
        sqlite3_finalize(st);
        return fields;
    }

    sqlite3* m_db;
};

} // namespace

std::unique_ptr<Database> OpenSqlite(const QString& path, QString& error, const Limits& limits)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        error = db ? lastError(db) : QStringLiteral("the database cannot be opened");
        sqlite3_close(db);
        return nullptr;
    }
    // Hostile files: no triggers or views running functions with side effects, no huge values.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, int(std::min<std::int64_t>(limits.maxValueBytes, 1'000'000'000)));
    sqlite3_exec(db, "PRAGMA cell_size_check=ON", nullptr, nullptr, nullptr);
    auto out = std::make_unique<SqliteDatabase>(db, path, limits);
    if (!out->load(error))
        return nullptr;
    return out;
}

} // namespace kovel::access
