#pragma once
// Number formats of the spreadsheet: a format code ("0.00", "#,##0;[Red](#,##0)",
// "d-mmm-yy", "@", General) applied to a cell value gives the text the cell shows.
#include <QString>
#include <memory>
#include <vector>

namespace kovel::excel {

class NumberFormat {
public:
    explicit NumberFormat(const QString& code);
    ~NumberFormat();
    NumberFormat(const NumberFormat&) = delete;
    NumberFormat& operator=(const NumberFormat&) = delete;

    QString Format(double value, bool date1904) const;
    QString FormatText(const QString& text) const;
    bool IsGeneral() const { return m_general; }

    // Format code of a built-in format number (0 General ... 49 "@"); General for the rest.
    static QString BuiltIn(int id);
    // The General format as a standard-width cell shows it (up to 11 characters).
    static QString General(double value);
    // Serial day number to calendar date (the 1900 system counts a 29 February 1900).
    struct Date { int year, month, day; };
    static Date SerialToDate(long long serial, bool date1904);

    struct Section;
private:
    std::vector<std::unique_ptr<Section>> m_sections;
    bool m_general = false;
};

} // namespace kovel::excel
