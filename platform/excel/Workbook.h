#pragma once
// Workbooks opened from files: the worksheets of a .xlsx/.xlsm, .ods, .xls or .csv file with
// their used ranges, the shown text and the value of each cell, merged cells and the count of
// non-empty cells.
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

    // .xls: converted by this LibreOffice program into .ods and read from there; when empty,
    // `soffice` found on PATH does it (when its spreadsheet is installed), and "none" reads .xls
    // with FreeXL instead.
    QString officeProgram;
    std::int32_t conversionSeconds = 60;      // a conversion taking longer is stopped
    // FreeXL reads in a child process that may take this long and map this much memory
    // beyond what the program already maps.
    std::int32_t freexlSeconds = 30;
    std::int64_t freexlMemoryBytes = std::int64_t(512) << 20;
};

// The first and last row and column of a block of cells, 1-based.
struct CellRange {
    std::int32_t firstRow = 1, firstColumn = 1, lastRow = 1, lastColumn = 1;
    bool operator==(const CellRange&) const = default;
};

// What a cell holds. The .ods reader gives every type; the others give Number, Text,
// Boolean and Error.
enum class CellType : std::uint8_t { Empty, Number, Percentage, Currency, Date, Time, Boolean, Text, Error };

struct CellValue {
    CellType type = CellType::Empty;
    // Number, Percentage (0.125 for 12.5 %), Currency, Boolean (1 or 0); Date and Time as a
    // serial day number counted from 30 December 1899, the time as its fraction.
    double number = 0;
    // Text and Error: the text.
    QString text;
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
    // The value and its type as the file stores them (a formula's last result).
    CellValue Value(std::int32_t row, std::int32_t column) const;
    // The merged block the cell lies in; the cell alone when it is not merged.
    CellRange MergeArea(std::int32_t row, std::int32_t column) const;
    const std::vector<CellRange>& MergedAreas() const;

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
    // Opens .xlsx/.xlsm, .ods, .xls or .csv by content (a file whose content does not match its
    // extension is refused). On failure: nullptr and `error` says what is wrong with the file
    // (the caller adds the file's name).
    static std::unique_ptr<Workbook> Open(const QString& path, QString& error, const Limits& limits = {});
    // Readers by format, for tests and fuzzing: the bytes of a file of that kind.
    static std::unique_ptr<Workbook> FromXlsxBytes(const QByteArray& bytes, const QString& name,
                                                   QString& error, const Limits& limits = {});
    static std::unique_ptr<Workbook> FromOdsBytes(const QByteArray& bytes, const QString& name,
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
    // What the reader could not give (the values of formula cells of an .xls read with
    // FreeXL): one line per fault, for the person who opened the file.
    QStringList Warnings() const { return m_warnings; }

    // For the readers.
    Worksheet& AddSheet(const QString& name, bool hidden);
    void AddWarning(const QString& text) { m_warnings << text; }
    void SetDate1904(bool on) { m_date1904 = on; }
    struct Shared;
    Shared& shared() { return *m_shared; }

private:
    QString m_fullName;
    bool m_date1904 = false;
    std::vector<std::unique_ptr<Worksheet>> m_sheets;
    QStringList m_warnings;
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
