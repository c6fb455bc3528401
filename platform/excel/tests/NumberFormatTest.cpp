#include "platform/excel/NumberFormat.h"

#include <gtest/gtest.h>
#include <cmath>

using kovel::excel::NumberFormat;

namespace {
QString fmt(const char* code, double v, bool d1904 = false)
{
    return NumberFormat(QString::fromUtf8(code)).Format(v, d1904);
}
} // namespace

TEST(NumberFormat, GeneralFitsAStandardCell)
{
    EXPECT_EQ(NumberFormat::General(0), QStringLiteral("0"));
    EXPECT_EQ(NumberFormat::General(42), QStringLiteral("42"));
    EXPECT_EQ(NumberFormat::General(-1.5), QStringLiteral("-1.5"));
    EXPECT_EQ(NumberFormat::General(0.1 + 0.2), QStringLiteral("0.3"));
    EXPECT_EQ(NumberFormat::General(1.0 / 3), QStringLiteral("0.333333333"));
    EXPECT_EQ(NumberFormat::General(123.456789123), QStringLiteral("123.4567891"));
    EXPECT_EQ(NumberFormat::General(12345678901.0), QStringLiteral("12345678901"));
    EXPECT_EQ(NumberFormat::General(123456789012.0), QStringLiteral("1.23457E+11"));
    EXPECT_EQ(NumberFormat::General(0.000000000123), QStringLiteral("1.23E-10"));
    EXPECT_EQ(NumberFormat::General(99999999999.5), QStringLiteral("1E+11"));   // rounds past 11 digits
    EXPECT_EQ(NumberFormat::General(9.99999999996), QStringLiteral("10"));
    EXPECT_EQ(NumberFormat::General(-1234567.891234), QStringLiteral("-1234567.891"));
    EXPECT_EQ(NumberFormat::General(1234567890.5), QStringLiteral("1234567891"));
    EXPECT_EQ(NumberFormat::General(0.1 + 0.7), QStringLiteral("0.8"));
}

TEST(NumberFormat, BuiltInNumberFormats)
{
    auto b = [](int id, double v) { return NumberFormat(NumberFormat::BuiltIn(id)).Format(v, false); };
    EXPECT_EQ(b(1, 2.5), QStringLiteral("3"));
    EXPECT_EQ(b(2, 3.14159), QStringLiteral("3.14"));
    EXPECT_EQ(b(3, 1234567), QStringLiteral("1,234,567"));
    EXPECT_EQ(b(4, -1234.5), QStringLiteral("-1,234.50"));
    EXPECT_EQ(b(9, 0.256), QStringLiteral("26%"));
    EXPECT_EQ(b(10, 0.256), QStringLiteral("25.60%"));
    EXPECT_EQ(b(11, 12345), QStringLiteral("1.23E+04"));
    EXPECT_EQ(b(11, 0.00012), QStringLiteral("1.20E-04"));
    EXPECT_EQ(b(12, 1.5), QStringLiteral("1 1/2"));
    EXPECT_EQ(b(12, 0.5), QStringLiteral(" 1/2"));
    EXPECT_EQ(b(12, 3), QStringLiteral("3"));
    EXPECT_EQ(b(12, 1e20), QStringLiteral("100000000000000000000"));   // no fraction left to show
    EXPECT_EQ(fmt("?/?", -1e20), QStringLiteral("-100000000000000000000"));
    EXPECT_EQ(b(37, -1234), QStringLiteral("(1,234)"));
    EXPECT_EQ(b(48, 12345), QStringLiteral("12.3E+3"));
    EXPECT_EQ(b(49, 12), QStringLiteral("12"));
    // Accounting formats that files use without writing their codes (the Comma style).
    EXPECT_EQ(b(43, 1234.5), QStringLiteral(" 1,234.50 "));
    EXPECT_EQ(b(43, -1234.5), QStringLiteral(" (1,234.50)"));
    EXPECT_EQ(b(44, 0), QStringLiteral(" $-   "));
    EXPECT_EQ(b(30, 45000), QStringLiteral("3/15/2023"));   // an East Asian date id is a date
    EXPECT_EQ(b(200, 7), QStringLiteral("7"));   // an unknown id is General
}

TEST(NumberFormat, HalvesRoundAwayFromZero)
{
    EXPECT_EQ(fmt("0", 2.5), QStringLiteral("3"));
    EXPECT_EQ(fmt("0", -2.5), QStringLiteral("-3"));
    EXPECT_EQ(fmt("0.00", 0.125), QStringLiteral("0.13"));
    EXPECT_EQ(fmt("0.00", 1.005), QStringLiteral("1.01"));
    EXPECT_EQ(fmt("0.00", 999.995), QStringLiteral("1000.00"));
    EXPECT_EQ(fmt("0.0", 0.04999), QStringLiteral("0.0"));
}

TEST(NumberFormat, LargeWholeNumbersKeepTheirDigits)
{
    // Article numbers and codes stored as numbers: no digit may change.
    EXPECT_EQ(fmt("0", 8412345678905), QStringLiteral("8412345678905"));
    EXPECT_EQ(fmt("0", 600000000), QStringLiteral("600000000"));
    EXPECT_EQ(fmt("#,##0", 1e9), QStringLiteral("1,000,000,000"));
    EXPECT_EQ(fmt("0.00", 12345678901234), QStringLiteral("12345678901234.00"));
    EXPECT_EQ(fmt("0.000", 1e20), QStringLiteral("100000000000000000000.000"));
    // Beyond 15 significant digits the sheet shows zeros.
    EXPECT_EQ(fmt("0", 12345678901234567.0), QStringLiteral("12345678901234600"));
    EXPECT_EQ(fmt("d/m/yyyy", std::nan("")), QStringLiteral("#NUM!"));
    EXPECT_EQ(fmt("# ?/?", -HUGE_VAL), QStringLiteral("#NUM!"));
}

TEST(NumberFormat, DatesOfBothSystems)
{
    EXPECT_EQ(fmt("m/d/yyyy", 45000), QStringLiteral("3/15/2023"));
    EXPECT_EQ(fmt("m/d/yyyy", 45000, true), QStringLiteral("3/16/2027"));
    EXPECT_EQ(fmt("yyyy-mm-dd", 1), QStringLiteral("1900-01-01"));
    EXPECT_EQ(fmt("yyyy-mm-dd", 60), QStringLiteral("1900-02-29"));   // the sheet's own leap day
    EXPECT_EQ(fmt("yyyy-mm-dd", 61), QStringLiteral("1900-03-01"));
    EXPECT_EQ(fmt("yyyy-mm-dd", 0, true), QStringLiteral("1904-01-01"));
    EXPECT_EQ(fmt("d-mmm-yy", 45000), QStringLiteral("15-Mar-23"));
    EXPECT_EQ(fmt("dddd d mmmm yyyy", 45000), QStringLiteral("Wednesday 15 March 2023"));
    EXPECT_EQ(fmt("ddd", 45000, true), QStringLiteral("Tue"));
    EXPECT_EQ(fmt("h:mm AM/PM", 0.75), QStringLiteral("6:00 PM"));
    EXPECT_EQ(fmt("hh:mm:ss", 0.5 + 1.0 / 86400), QStringLiteral("12:00:01"));
    EXPECT_EQ(fmt("[h]:mm:ss", 1.5), QStringLiteral("36:00:00"));
    EXPECT_EQ(fmt("mm:ss.0", 61.3 / 86400), QStringLiteral("01:01.3"));
    EXPECT_EQ(fmt("ss.00000", 1.2345 / 86400), QStringLiteral("01.23500"));
    EXPECT_EQ(fmt("ss.00000000000000000000000000000000", 0.5), QStringLiteral("00.00000000000000000000000000000000"));
    EXPECT_EQ(fmt("m/d/yyyy h:mm", 45000.999999), QStringLiteral("3/16/2023 0:00"));   // rounds into the next day
    EXPECT_EQ(fmt("mmm", 45000), QStringLiteral("Mar"));   // month, not minutes
    EXPECT_EQ(fmt("h:mm", 0.5 + 5.0 / 1440), QStringLiteral("12:05"));   // minutes after hours
    // A language given in the code names the months and days in that language.
    EXPECT_EQ(fmt("[$-es-ES]dddd, d\" de \"mmmm\" de \"yyyy", 45000), QString::fromUtf8("mi\xC3\xA9rcoles, 15 de marzo de 2023"));
    EXPECT_EQ(fmt("[$-403]dddd d mmmm", 45000), QString::fromUtf8("dimecres 15 mar\xC3\xA7"));
    EXPECT_EQ(fmt("[$-C0A]d-mmm-yy", 45000), QStringLiteral("15-mar-23"));
    EXPECT_EQ(fmt("[$-F800]mmmm", 45000), QStringLiteral("March"));   // the system's own: not a language
}

TEST(NumberFormat, SectionsLiteralsAndConditions)
{
    EXPECT_EQ(fmt("#,##0;[Red](#,##0);\"zero\"", 0), QStringLiteral("zero"));
    EXPECT_EQ(fmt("#,##0;[Red](#,##0);\"zero\"", -5), QStringLiteral("(5)"));
    EXPECT_EQ(fmt("\"Total: \"0.0", 3), QStringLiteral("Total: 3.0"));
    EXPECT_EQ(fmt("0\\ \\k\\g", 12), QStringLiteral("12 kg"));
    EXPECT_EQ(fmt("[$€-407] #,##0.00", 5), QStringLiteral("€ 5.00"));
    EXPECT_EQ(fmt("[<=100]\"low\";[>100]\"high\"", 50), QStringLiteral("low"));
    EXPECT_EQ(fmt("[<=100]\"low\";[>100]\"high\"", 150), QStringLiteral("high"));
    EXPECT_EQ(fmt(";;;", 5), QString());
    EXPECT_EQ(fmt("000-0000", 5551234), QStringLiteral("555-1234"));
    EXPECT_EQ(fmt("00000", 42), QStringLiteral("00042"));
    EXPECT_EQ(fmt("#,##0,\"K\"", 1234567), QStringLiteral("1,235K"));
    EXPECT_EQ(fmt("#.##", 0.5), QStringLiteral(".5"));
    EXPECT_EQ(fmt("0.0?", 1.5), QStringLiteral("1.5 "));
    EXPECT_EQ(fmt(".00", 1.5), QStringLiteral("1.50"));
    EXPECT_EQ(fmt("0.00_);(0.00)", -2), QStringLiteral("(2.00)"));
    EXPECT_EQ(fmt("General\" pcs\"", 3), QStringLiteral("3 pcs"));
}

TEST(NumberFormat, TextSections)
{
    EXPECT_EQ(NumberFormat(QStringLiteral("@")).FormatText(QStringLiteral("abc")), QStringLiteral("abc"));
    EXPECT_EQ(NumberFormat(QStringLiteral("0;0;0;\"<\"@\">\"")).FormatText(QStringLiteral("x")), QStringLiteral("<x>"));
    EXPECT_EQ(NumberFormat(QStringLiteral(";;;")).FormatText(QStringLiteral("hidden")), QString());
    EXPECT_EQ(NumberFormat(QStringLiteral("0.00")).FormatText(QStringLiteral("t")), QStringLiteral("t"));
}
