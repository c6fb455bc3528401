#pragma once
// Workbooks opened from files: the worksheets of a .xlsx/.xlsm, .xls or .csv file with
// their used ranges, the shown text of each cell and the count of non-empty cells.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace kovel::excel {

// A failing read of a workbook, or a member used against its rules (a cell out of range).
struct Error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Sheet size of the current file format.
inline constexpr std::int32_t MaxRows = 1048576;
inline constexpr std::int32_t MaxColumns = 16384;   // "XFD"

// Caps against hostile files. The defaults hold every workbook a person makes by hand.
struct Limits {
    std::int64_t maxFileBytes = std::int64_t(1) << 30;          // file on disk
    std::int64_t maxUnpackedBytes = std::int64_t(1) << 30;       // all parts read, unpacked
    std::int64_t maxPartBytes = std::int64_t(512) << 20;         // one part, unpacked
    std::int64_t maxCells = 50'000'000;                           // whole workbook
    std::int64_t maxSharedStrings = 20'000'000;
    std::int32_t maxSheets = 4096;
    std::int32_t maxXmlDepth = 128;
    std::int32_t maxCellTextChars = 1'000'000;                    // one cell or CSV field
    // A worksheet part at least this large (unpacked, as the package declares it) is read in
    // pieces by several threads: one per hardware thread up to 8, or `sheetThreads` when set.
    std::int64_t splitSheetFromBytes = std::int64_t(4) << 20;
    std::int32_t sheetThreads = 0;
};

// The first and last row and column of a block of cells, 1-based.
struct CellRange {
    std::int32_t firstRow = 1, firstColumn = 1, lastRow = 1, lastColumn = 1;
    bool operator==(const CellRange&) const = default;
};

class Worksheet;

// One cell as a reader stores it; the shown text is made when it is asked for.
struct CellData;

class Worksheet {
public:
    Worksheet(QString name, bool hidden);
    ~Worksheet();
    Worksheet(const Worksheet&) = delete;
    Worksheet& operator=(const Worksheet&) = delete;

    QString Name() const { return m_name; }
    bool Hidden() const { return m_hidden; }

    // The block from the first to the last stored cell; A1 alone for an empty sheet.
    CellRange UsedRange() const;
    // The same as an absolute address: "$A$1", "$B$3:$F$40".
    QString UsedRangeAddress() const;

    // The text the cell shows (numbers through their number format); "" for an empty cell.
    // Rows and columns outside the sheet raise Error.
    QString Text(std::int32_t row, std::int32_t column) const;
    // Whether the cell holds a value (the COUNTA of that one cell is 1), even when its
    // shown text is empty (a formula giving "", or the format ";;;").
    bool HasValue(std::int32_t row, std::int32_t column) const;
    // Number of cells that hold a value.
    std::int64_t CountA() const;

    // For the readers.
    struct Impl;
    Impl& impl() { return *m_impl; }
    const Impl& impl() const { return *m_impl; }

private:
    QString m_name;
    bool m_hidden;
    std::unique_ptr<Impl> m_impl;
};

class Workbook {
public:
    // Opens .xlsx/.xlsm, .xls or .csv by content (a file whose content does not match its
    // extension is refused). On failure: nullptr and `error` says what is wrong with the file
    // (the caller adds the file's name).
    static std::unique_ptr<Workbook> Open(const QString& path, QString& error, const Limits& limits = {});
    // Readers by format, for tests and fuzzing: the bytes of a file of that kind.
    static std::unique_ptr<Workbook> FromXlsxBytes(const QByteArray& bytes, const QString& name,
                                                   QString& error, const Limits& limits = {});
    static std::unique_ptr<Workbook> FromCsvBytes(const QByteArray& bytes, const QString& name,
                                                  QString& error, const Limits& limits = {});

    Workbook(QString fullName);
    ~Workbook();

    QString Name() const;                   // file name with its extension
    QString FullName() const { return m_fullName; }   // full path
    bool Date1904() const { return m_date1904; }

    // Worksheets in workbook order (chart sheets left out, hidden sheets kept).
    std::int32_t Count() const { return std::int32_t(m_sheets.size()); }
    Worksheet* Item(std::int32_t index1) const;          // 1-based; nullptr outside
    Worksheet* Item(const QString& name) const;          // without regard to case; nullptr if none
    QStringList Names() const;

    // For the readers.
    Worksheet& AddSheet(const QString& name, bool hidden);
    void SetDate1904(bool on) { m_date1904 = on; }
    struct Shared;
    Shared& shared() { return *m_shared; }

private:
    QString m_fullName;
    bool m_date1904 = false;
    std::vector<std::unique_ptr<Worksheet>> m_sheets;
    std::unique_ptr<Shared> m_shared;
};

// Column number (1..16384) to letters: 1 A, 26 Z, 27 AA, 702 ZZ, 703 AAA, 16384 XFD.
// Returns "" outside that range.
QString ColumnName(std::int32_t column);
// Letters to column number, without regard to case; 0 for anything that is not 1 to 3
// letters within "A".."XFD".
std::int32_t ColumnNumber(const QString& letters);
// "$B$3" / "$B$3:$F$40" of a range.
QString AbsoluteAddress(const CellRange& range);

} // namespace kovel::excel
