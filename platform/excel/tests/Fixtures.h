#pragma once
// Workbook files for the tests and the benchmark, written here: packages put together part
// by part, and real workbooks written by libxlsxwriter.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace fixtures {

// A zip package of the given parts, written to `path`.
void WriteZip(const QString& path, const std::vector<std::pair<QString, QByteArray>>& parts);

struct Sheet {
    QString name;
    QByteArray sheetDataXml;     // the inside of <sheetData>
    QString state;               // "", "hidden", "veryHidden"
    bool chart = false;          // a chart sheet instead of a worksheet
};
struct Package {
    std::vector<Sheet> sheets;
    QByteArray sharedStringsXml; // the <si> elements; no part when empty
    QByteArray numFmtsXml;       // <numFmt> elements
    QList<int> cellXfNumFmts;    // numFmtId of each cell style (style 0 first)
    bool date1904 = false;
};
// A .xlsx package as spreadsheets write it.
void WriteXlsx(const QString& path, const Package& p);
QByteArray ReadFile(const QString& path);
void WriteFile(const QString& path, const QByteArray& bytes);

// An .xls of the oldest kind (a bare record stream, one worksheet), written record by
// record: texts (Windows-1252), numbers, whole numbers, numbers in a date format and formulas.
struct XlsCell {
    int row, column;                 // from 0
    enum Kind { Text, Number, Whole, Date, Formula } kind;   // Formula: `number` as its result
    QByteArray text;
    double number = 0;
};
QByteArray LegacyXls(const std::vector<XlsCell>& cells, bool date1904 = false, bool password = false);

// A libxlsxwriter workbook of `rows` x `cols` cells: column 1 texts "Rn", column 2 numbers,
// column 3 dates, the others numbers with two decimals.
void WriteGridXlsx(const QString& path, int rows, int cols);

// An .ods package whose content.xml holds `tablesXml` (the <table:table> elements) after
// `stylesXml` (automatic styles); `manifest` replaces the manifest when given.
QByteArray OdsContent(const QByteArray& tablesXml, const QByteArray& stylesXml = {});
void WriteOds(const QString& path, const QByteArray& tablesXml, const QByteArray& stylesXml = {},
              const QByteArray& manifest = {});

// LibreOffice for the tests: the program (empty when it is not installed) and one conversion
// of `source` into `outDir` with the filter `to` ("ods", "xlsx", "csv:..."), sharing the user
// installation `profileDir`. False when it failed.
QString Office();
bool Convert(const QString& source, const QString& to, const QString& outDir, const QString& profileDir);

} // namespace fixtures
