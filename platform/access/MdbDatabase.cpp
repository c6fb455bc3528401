// Access .mdb/.accdb files through libmdb: tables with their fields and records. The
// library does not run saved queries, so the query definitions of these files stay empty.
#include "platform/access/DatabaseImpl.h"

#include <QFile>
#include <mdbtools.h>

namespace kovel::access {

namespace {

std::int16_t daoType(int mdbType)
{
    switch (mdbType) {
    case MDB_BOOL: return dbBoolean;
    case MDB_BYTE: return dbByte;
    case MDB_INT: return dbInteger;
    case MDB_LONGINT: return dbLong;
    case MDB_MONEY: return dbCurrency;
    case MDB_FLOAT: return dbSingle;
    case MDB_DOUBLE: return dbDouble;
    case MDB_DATETIME: return dbDate;
    case MDB_BINARY: return dbBinary;
    case MDB_TEXT: return dbText;
    case MDB_OLE: return dbLongBinary;
    case MDB_MEMO: return dbMemo;
    case MDB_REPID: return dbGUID;
    case MDB_NUMERIC: return dbDecimal;
    default: return dbText;
    }
}

class MdbDatabase final : public Database {
public:
    MdbDatabase(MdbHandle* mdb, const QString& path, const Limits& limits) : Database(path, limits), m_mdb(mdb) {}
    ~MdbDatabase() override { mdb_close(m_mdb); }

    bool load(QString& error)
    {
        if (!mdb_read_catalog(m_mdb, MDB_TABLE)) {
            error = QStringLiteral("the tables of the database cannot be read");
            return false;
        }
        for (unsigned int i = 0; i < m_mdb->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(m_mdb->catalog, i));
            if (entry->object_type != MDB_TABLE) continue;
            if (m_tables.Count() >= m_limits.maxObjects) {
                error = QStringLiteral("the database has too many tables");
                return false;
            }
            TableDef t;
            t.Name = QString::fromUtf8(entry->object_name);
            if (MdbTableDef* table = mdb_read_table(entry)) {
                if (mdb_read_columns(table))
                    for (unsigned int c = 0; c < table->num_cols; ++c) {
                        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
                        t.fields.Append({QString::fromUtf8(col->name), daoType(col->col_type)});
                    }
                mdb_free_tabledef(table);
            }
            m_tables.Append(std::move(t));
        }
        return true;
    }

    std::unique_ptr<Recordset> OpenRecordset(const QString& name) override
    {
        const TableDef* t = m_tables.Find(name);
        if (!t)
            throw Error(QStringLiteral("The database has no table named \"%1\".").arg(name), 3078);
        MdbCatalogEntry* entry = mdb_get_catalogentry_by_name(m_mdb, t->Name.toUtf8().constData());
        MdbTableDef* table = entry ? mdb_read_table(entry) : nullptr;
        if (!table || !mdb_read_columns(table)) {
            if (table) mdb_free_tabledef(table);
            throw Error(QStringLiteral("\"%1\" in the database \"%2\" cannot be read").arg(t->Name, m_name));
        }
        struct Freer { MdbTableDef* t; ~Freer() { mdb_free_tabledef(t); } } freer{table};
        const unsigned int n = table->num_cols;
        const std::size_t bindSize = 65536;
        mdb_set_bind_size(m_mdb, bindSize);
        std::vector<QByteArray> buffers(n, QByteArray(qsizetype(bindSize) + 1, '\0'));
        std::vector<int> lengths(n, 0);
        Fields fields;
        std::vector<std::int16_t> types;
        for (unsigned int c = 0; c < n; ++c) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
            types.push_back(daoType(col->col_type));
            fields.Append({QString::fromUtf8(col->name), types.back()});
            mdb_bind_column(table, int(c + 1), buffers[c].data(), &lengths[c]);
        }
        mdb_rewind_table(table);
        RecordValues values;
        while (mdb_fetch_row(table)) {
            if (values.Count() + n > m_limits.maxRecordsetValues)
                throw Error(QStringLiteral("\"%1\" in the database \"%2\" has more values than can be read").arg(t->Name, m_name));
            for (unsigned int c = 0; c < n; ++c) {
                const int len = std::clamp(lengths[c], 0, int(bindSize));
                if (EsBinari(types[c])) {
                    values.AppendNull();
                    continue;
                }
                if (len == 0) {
                    values.Append(u"");
                    continue;
                }
                QString v = QString::fromUtf8(buffers[c].constData(), len);
                if (types[c] == dbBoolean)
                    v = v == u"0" ? QStringLiteral("False") : QStringLiteral("True");
                else if (types[c] == dbDate && v.endsWith(u" 00:00:00"))
                    v.chop(9);
                values.Append(v);
            }
        }
        return std::make_unique<Recordset>(std::move(fields), std::move(values));
    }

private:
    MdbHandle* m_mdb;
};

} // namespace

std::unique_ptr<Database> OpenMdb(const QString& path, QString& error, const Limits& limits)
{
    MdbHandle* mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!mdb) {
        error = QStringLiteral("the database is truncated, corrupt or encrypted");
        return nullptr;
    }
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    auto out = std::make_unique<MdbDatabase>(mdb, path, limits);
    if (!out->load(error))
        return nullptr;
    return out;
}

} // namespace kovel::access
