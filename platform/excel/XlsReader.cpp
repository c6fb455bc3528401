// .xls (the older binary format) through FreeXL.
#include "platform/excel/WorkbookImpl.h"

#include <QFile>
#include <freexl.h>

namespace kovel::excel {

bool ReadXls(Workbook& book, const QString& path, QString& error, const Limits& limits)
{
    const void* handle = nullptr;
    const int rc = freexl_open(QFile::encodeName(path).constData(), &handle);
    struct Closer { const void*& h; ~Closer() { if (h) freexl_close(h); } } closer{handle};
    if (rc != FREEXL_OK || !handle) {
        error = rc == FREEXL_BIFF_WORKBOOK_NOT_FOUND ? QStringLiteral("the file holds no .xls workbook (it may be encrypted)")
                                              : QStringLiteral("the file is truncated, corrupt or not an .xls workbook (FreeXL error %1)").arg(rc);
        return false;
    }
    unsigned int info = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED) {
        error = QStringLiteral("the workbook is encrypted (password-protected)");
        return false;
    }
    if (freexl_get_info(handle, FREEXL_BIFF_DATEMODE, &info) == FREEXL_OK)
        book.SetDate1904(info == FREEXL_BIFF_DATEMODE_1904);
    Workbook::Shared& sh = book.shared();
    sh.date1904 = book.Date1904();
    unsigned int count = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) {
        error = QStringLiteral("the worksheets of the workbook cannot be read");
        return false;
    }
    if (count > unsigned(limits.maxSheets)) {
        error = QStringLiteral("the workbook has too many worksheets");
        return false;
    }
    for (unsigned int s = 0; s < count; ++s) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle, (unsigned short)s, &name) != FREEXL_OK ||
            freexl_select_active_worksheet(handle, (unsigned short)s) != FREEXL_OK) {
            error = QStringLiteral("worksheet %1 of the workbook cannot be read").arg(s + 1);
            return false;
        }
        Worksheet& ws = book.AddSheet(QString::fromUtf8(name ? name : ""), false);
        Worksheet::Impl& w = ws.impl();
        unsigned int rows = 0;
        unsigned short cols = 0;
        if (freexl_worksheet_dimensions(handle, &rows, &cols) != FREEXL_OK) {
            error = QStringLiteral("worksheet \"%1\" cannot be read").arg(ws.Name());
            return false;
        }
        if (std::int64_t(rows) * cols > limits.maxCells || rows > unsigned(MaxRows) || cols > MaxColumns) {
            error = QStringLiteral("worksheet \"%1\" is larger than allowed").arg(ws.Name());
            return false;
        }
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK || v.type == FREEXL_CELL_NULL)
                    continue;
                if (++sh.cells > limits.maxCells) {
                    error = QStringLiteral("the workbook has more than %1 cells").arg(limits.maxCells);
                    return false;
                }
                CellData d{};
                d.row = r + 1;
                d.column = std::uint16_t(c + 1);
                switch (v.type) {
                case FREEXL_CELL_INT:
                    d.kind = Kind::Number;
                    d.number = v.value.int_value;
                    break;
                case FREEXL_CELL_DOUBLE:
                    d.kind = Kind::Number;
                    d.number = v.value.double_value;
                    break;
                default: {
                    // Texts, and dates and times that FreeXL gives as ISO text.
                    const QString t = QString::fromUtf8(v.value.text_value ? v.value.text_value : "");
                    if (t.isEmpty()) continue;
                    d.kind = Kind::Text;
                    d.text.offset = w.addText(QStringView(t).left(limits.maxCellTextChars), d.text.length);
                }
                }
                w.add(d);
            }
        }
        w.finish();
    }
    return true;
}

} // namespace kovel::excel
