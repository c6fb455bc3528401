// Opening a 100,000-row, 10-column source and reading every shown text, from .xlsx, CSV and
// SQLite; and a 10,000-row, 8-column .ods, and the same saved as .xls (read through
// LibreOffice). The files are made once in a temporary folder.
#include "platform/access/Database.h"
#include "platform/access/tests/SqliteFixture.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/tests/Fixtures.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstring>
#include <zip.h>

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

// Resident memory in MiB from /proc/self/status ("VmRSS:" now, "VmHWM:" the peak).
double statusMiB(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(qsizetype(std::strlen(key))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// Starts a fresh peak; the growth of the peak over `base` is what reading the file took.
double resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
    return statusMiB("VmRSS:");
}

// Bytes of the file once unpacked: the parts of a package, else the file itself.
double unpackedMiB(const QString& path)
{
    int err = 0;
    double bytes = double(QFileInfo(path).size());
    if (zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &err)) {
        bytes = 0;
        for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
            zip_stat_t st;
            if (zip_stat_index(z, zip_uint64_t(i), 0, &st) == 0) bytes += double(st.size);
        }
        zip_discard(z);
    }
    return bytes / (1024.0 * 1024.0);
}

void memoryCounters(benchmark::State& state, const QString& path, double base)
{
    const double grew = statusMiB("VmHWM:") - base;
    const double unpacked = unpackedMiB(path);
    state.counters["peak_growth_MiB"] = grew;
    state.counters["unpacked_MiB"] = unpacked;
    state.counters["peak_per_unpacked"] = unpacked > 0 ? grew / unpacked : 0;
}

void readSheet(benchmark::State& state, const QString& path, int rows = kRows, int cols = kCols)
{
    std::int64_t chars = 0;
    const double base = resetPeak();
    for (auto _ : state) {
        QString error;
        auto book = kovel::excel::Workbook::Open(path, error);
        if (!book) { state.SkipWithError(error.toUtf8().constData()); return; }
        const kovel::excel::Worksheet* s = book->Item(1);
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= cols; ++c) chars += s->Text(r, c).size();
    }
    benchmark::DoNotOptimize(chars);
    memoryCounters(state, path, base);
}

void BM_Xlsx(benchmark::State& state) { readSheet(state, files().xlsx); }
void BM_Csv(benchmark::State& state) { readSheet(state, files().csv); }

void BM_Sqlite(benchmark::State& state)
{
    std::int64_t chars = 0;
    const QString path = files().db;   // made before the timing starts
    const double base = resetPeak();
    for (auto _ : state) {
        QString error;
        auto db = kovel::access::Database::Open(path, error);
        if (!db) { state.SkipWithError(error.toUtf8().constData()); return; }
        auto rs = db->OpenRecordset(QStringLiteral("grid"));
        for (; !rs->EOF_(); rs->MoveNext())
            for (int c = 0; c < kCols; ++c) chars += rs->Text(c).size();
    }
    benchmark::DoNotOptimize(chars);
    memoryCounters(state, path, base);
}

// The .ods as the spreadsheet writes it: texts, numbers, dates and percentages, each cell with
// its value and shown text; and the same saved as .xls by LibreOffice (when it is installed).
struct OdsFiles {
    static constexpr int kOdsRows = 10'000, kOdsCols = 8;
    QTemporaryDir dir;
    QString ods = dir.filePath(QStringLiteral("grid.ods"));
    QString xls = dir.filePath(QStringLiteral("grid.xls"));
    OdsFiles()
    {
        QByteArray rows;
        for (int r = 1; r <= kOdsRows; ++r) {
            rows += "<table:table-row><table:table-cell office:value-type=\"string\" calcext:value-type=\"string\"><text:p>R" +
                    QByteArray::number(r) + "</text:p></table:table-cell>";
            rows += "<table:table-cell office:value-type=\"date\" office:date-value=\"2024-03-" + QByteArray::number(10 + r % 18) +
                    "\"><text:p>" + QByteArray::number(10 + r % 18) + "/03/2024</text:p></table:table-cell>";
            rows += "<table:table-cell office:value-type=\"percentage\" office:value=\"" + QByteArray::number((r % 100) / 100.0) +
                    "\"><text:p>" + QByteArray::number(r % 100) + "%</text:p></table:table-cell>";
            for (int c = 4; c <= kOdsCols; ++c) {
                const QByteArray v = QByteArray::number(r * c * 1.25, 'f', 2);
                rows += "<table:table-cell office:value-type=\"float\" office:value=\"" + v + "\"><text:p>" + v + "</text:p></table:table-cell>";
            }
            rows += "</table:table-row>";
        }
        fixtures::WriteOds(ods, "<table:table table:name=\"Grid\">" + rows + "</table:table>");
        if (!fixtures::Office().isEmpty())
            fixtures::Convert(ods, QStringLiteral("xls"), dir.path(), dir.filePath(QStringLiteral("profile")));
    }
};

OdsFiles& odsFiles()
{
    static OdsFiles f;
    return f;
}

void BM_Ods(benchmark::State& state) { readSheet(state, odsFiles().ods, OdsFiles::kOdsRows, OdsFiles::kOdsCols); }
void BM_XlsThroughOffice(benchmark::State& state)
{
    readSheet(state, odsFiles().xls, OdsFiles::kOdsRows, OdsFiles::kOdsCols);
}

} // namespace

BENCHMARK(BM_Ods)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_XlsThroughOffice)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Xlsx)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Csv)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(3);
