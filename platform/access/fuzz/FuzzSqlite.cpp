// libFuzzer target: arbitrary bytes as an SQLite database file; every table and query is
// listed and read through its recordset.
#include "platform/access/Database.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cstddef>
#include <cstdint>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QString path =
        QDir::temp().filePath(QStringLiteral("kovel-fuzz-sqlite-%1.db").arg(qint64(::getpid())));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    kovel::access::Limits limits;
    limits.maxRecordsetValues = 200'000;
    limits.maxValueBytes = 1 << 20;
    limits.maxObjects = 1000;
    QString error;
    auto db = kovel::access::Database::Open(path, error, limits);
    if (!db)
        return 0;
    std::size_t chars = 0;
    auto readAll = [&](const QString& name) {
        try {
            auto rs = db->OpenRecordset(name);
            for (std::int64_t n = 0; !rs->EOF_() && n < 200; rs->MoveNext(), ++n)
                for (std::int32_t c = 0; c < rs->Fields_().Count(); ++c)
                    chars += std::size_t(rs->Text(c).size());
        } catch (const kovel::access::Error&) {
            // A table that cannot be read is reported to the caller: fine here.
        }
    };
    for (const auto& t : db->TableDefs_()) readAll(t.Name);
    for (const auto& q : db->QueryDefs_()) readAll(q.Name);
    return chars == std::size_t(-1) ? 1 : 0;
}
