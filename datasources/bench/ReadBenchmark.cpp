// Opening a 100,000-row, 10-column source and reading every shown text, from .xlsx, CSV and
// SQLite. The files are made once in a temporary folder.
#include "platform/access/Database.h"
#include "platform/access/tests/SqliteFixture.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/tests/Fixtures.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

constexpr int kRows = 100'000, kCols = 10;

struct Files {
    QTemporaryDir dir;
    QString xlsx = dir.filePath(QStringLiteral("grid.xlsx"));
    QString csv = dir.filePath(QStringLiteral("grid.csv"));
    QString db = dir.filePath(QStringLiteral("grid.db"));
    Files()
    {
        fixtures::WriteGridXlsx(xlsx, kRows, kCols);
        QByteArray text;
        for (int r = 1; r <= kRows; ++r) {
            text += "R" + QByteArray::number(r);
            for (int c = 2; c <= kCols; ++c) text += "," + QByteArray::number(r * c * 1.25, 'f', 2);
            text += "\r\n";
        }
        fixtures::WriteFile(csv, text);
        QByteArray sql = "CREATE TABLE grid(c1 TEXT";
        for (int c = 2; c <= kCols; ++c) sql += ", c" + QByteArray::number(c) + " REAL";
        sql += "); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" + QByteArray::number(kRows) +
               ") INSERT INTO grid SELECT 'R'||i";
        for (int c = 2; c <= kCols; ++c) sql += ", i*" + QByteArray::number(c) + "*1.25";
        sql += " FROM n;";
        fixtures::MakeSqlite(db, sql.constData());
    }
};

Files& files()
{
    static Files f;
    return f;
}

double peakMiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

void readSheet(benchmark::State& state, const QString& path)
{
    std::int64_t chars = 0;
    for (auto _ : state) {
        QString error;
        auto book = kovel::excel::Workbook::Open(path, error);
        if (!book) { state.SkipWithError(error.toUtf8().constData()); return; }
        const kovel::excel::Worksheet* s = book->Item(1);
        for (int r = 1; r <= kRows; ++r)
            for (int c = 1; c <= kCols; ++c) chars += s->Text(r, c).size();
    }
    benchmark::DoNotOptimize(chars);
    state.counters["peak_MiB"] = peakMiB();
}

void BM_Xlsx(benchmark::State& state) { readSheet(state, files().xlsx); }
void BM_Csv(benchmark::State& state) { readSheet(state, files().csv); }

void BM_Sqlite(benchmark::State& state)
{
    std::int64_t chars = 0;
    for (auto _ : state) {
        QString error;
        auto db = kovel::access::Database::Open(files().db, error);
        if (!db) { state.SkipWithError(error.toUtf8().constData()); return; }
        auto rs = db->OpenRecordset(QStringLiteral("grid"));
        for (; !rs->EOF_(); rs->MoveNext())
            for (int c = 0; c < kCols; ++c) chars += rs->Text(c).size();
    }
    benchmark::DoNotOptimize(chars);
    state.counters["peak_MiB"] = peakMiB();
}

} // namespace

BENCHMARK(BM_Xlsx)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Csv)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(3);
