#pragma once
// Storage shared by the workbook readers: cells in (row, column) order, shared strings,
// and the number format of each cell style.
#include "platform/excel/NumberFormat.h"
#include "platform/excel/Workbook.h"

#include <QHash>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace kovel::excel {

enum class Kind : std::uint8_t { Blank, Number, Shared, Text, Boolean, Error };

struct CellData {
    std::uint32_t row;
    std::uint16_t column;
    Kind kind;
    // The type the file declares (.ods); Empty when it follows from `kind`.
    CellType type;
    // Cell style; in a sheet whose file stores the shown texts, the index of its shown text.
    std::uint32_t style;
    union {
        double number;
        std::uint32_t shared;
        bool boolean;
        struct { std::uint32_t offset, length; } text;
    };
};

struct Workbook::Shared {
    QStringList sharedStrings;
    // Format code of each cell style (cellXfs order); style 0 and unknown styles are General.
    std::vector<QString> styleFormats;
    bool date1904 = false;
    std::int64_t cells = 0;   // across every sheet, against Limits::maxCells
    // Compiled formats by style, made when first used.
    mutable std::vector<std::shared_ptr<const NumberFormat>> compiled;
    mutable QHash<QString, std::shared_ptr<const NumberFormat>> byCode;
    const NumberFormat& formatOf(std::uint32_t style) const;
};

struct Worksheet::Impl {
    Workbook::Shared* shared = nullptr;
    std::vector<CellData> cells;
    // Index of the first cell of each row from the first used row to one past the last, so
    // a cell is found within its own row.
    std::vector<std::uint32_t> rowStart;
    QString pool;             // texts of Text and Error cells
    bool sorted = true;
    std::int64_t countA = 0;
    CellRange used;
    bool any = false;
    // The file stores each cell's shown text (.ods): `style` indexes `shown`, ranges of `pool`.
    bool ownTexts = false;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> shown;
    std::vector<CellRange> merged;

    // Appends a cell (row and column already checked to lie in the sheet).
    void add(const CellData& c);
    std::uint32_t addText(QStringView text, std::uint32_t& length);
    // Puts the cells in order, keeps the last of duplicates, counts and measures.
    void finish();
    const CellData* find(std::int32_t row, std::int32_t column) const;
    QString shownText(const CellData& c) const;
};

// Readers (one source file each). They fill `book` and return false with `error` set.
bool ReadXlsx(Workbook& book, const QString& path, const QByteArray* bytes, QString& error, const Limits& limits);
bool ReadOds(Workbook& book, const QString& path, const QByteArray* bytes, QString& error, const Limits& limits);
// .xls through LibreOffice when it is there (see Limits::officeProgram), else through FreeXL in
// a child process.
bool ReadXls(Workbook& book, const QString& path, QString& error, const Limits& limits);
// A bare record stream (the oldest .xls, with no compound file around it) is whole when its
// records, from the first BOF, chain within the file to the EOF that closes that BOF. LibreOffice
// reads a cut stream as far as it goes and calls it a workbook, so this is asked before either
// reader.
bool BareXlsStreamIsWhole(QIODevice& file);
// Makes `profileDir` a LibreOffice user installation that starts without its first-run work.
bool PrepareOfficeProfile(const QString& profileDir);
// A worksheet part held whole, read by several threads in pieces of its <sheetData>; false,
// with nothing stored, when it does not lend itself to that or is at fault (one reader then
// reads it and says why).
bool ReadSheetInPieces(const QByteArray& part, const Workbook::Shared& shared, const Limits& limits,
                       const QString& sheetName, Worksheet::Impl& sheet);
// The CSV reader takes the bytes over and lets them go once they are decoded.
bool ReadCsv(Workbook& book, QByteArray bytes, const QString& sheetName, QString& error, const Limits& limits);

} // namespace kovel::excel
