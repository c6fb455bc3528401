#pragma once
// The spreadsheet application as the data source sees it: one active workbook, opened from
// a file. The "running" application's active workbook is the file that
// $KOVEL_ACTIVE_WORKBOOK names.
#include "platform/excel/Workbook.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <utility>

namespace kovel::excel {

class Application {
public:
    Application();
    ~Application();

    // Opens the file named by $KOVEL_ACTIVE_WORKBOOK as the active workbook, if one is named.
    // False with `error` (naming the file) when it is named but cannot be opened; True with
    // no active workbook when none is named.
    bool AttachActiveWorkbook(QString& error);

    // The active workbook; nullptr when none is open.
    Workbook* ActiveWorkbook() const { return m_active.get(); }
    // Workbooks.Open: on success the file becomes the active workbook; on failure the active
    // workbook stays as it was and `error` names the file and the fault.
    bool Open(const QString& path, QString& error);
    // What the reader could not give of the workbooks opened since the last call: the caller
    // says it once, where it shows its messages.
    QStringList TakeWarnings() { return std::exchange(m_warnings, {}); }

    // COUNTA of one cell.
    static std::int32_t CountA(const Worksheet& sheet, std::int32_t row, std::int32_t column);

    // Window state and visibility of the application: kept, with no window behind them.
    std::int32_t WindowState = -4143;
    bool Visible = false;

    Limits limits;

private:
    std::unique_ptr<Workbook> m_active;
    QStringList m_warnings;
};

} // namespace kovel::excel
