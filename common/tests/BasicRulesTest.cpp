#include "common/BasicRules.h"

#include <gtest/gtest.h>

using namespace kovel::basic;

TEST(BasicRules, RoundsHalfToEven)
{
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(3.5), 4);
    EXPECT_EQ(CInt(-2.5), -2);
    EXPECT_EQ(CInt(-3.5), -4);
    EXPECT_EQ(CInt(2.5000001), 3);
    EXPECT_EQ(CLng(0.5), 0);
    EXPECT_EQ(CLng(1.5), 2);
    EXPECT_DOUBLE_EQ(Round(0.125, 2), 0.12);
}

TEST(BasicRules, OverflowIsRaised)
{
    EXPECT_EQ(CInt(32767.4), 32767);
    EXPECT_EQ(CInt(-32768.5), -32768);         // half to even stays in range
    EXPECT_THROW(CInt(32767.5), OverflowError);
    EXPECT_THROW(CInt(-32769), OverflowError);
    EXPECT_THROW(CInt(std::nan("")), OverflowError);
    EXPECT_THROW(CLng(3e9), OverflowError);
    EXPECT_THROW(CByte(-1), OverflowError);
    EXPECT_EQ(CByte(255.4), 255);
    EXPECT_THROW(IntDiv(1, 0.4), OverflowError); // 0.4 rounds to 0
    EXPECT_EQ(IntDiv(7.5, 2), 4);              // 8 \ 2
    EXPECT_EQ(IntDiv(-7, 2), -3);
}

TEST(BasicRules, ValReadsTheLeadingNumber)
{
    EXPECT_EQ(Val(u"12abc"), 12);
    EXPECT_EQ(Val(u""), 0);
    EXPECT_EQ(Val(u"abc"), 0);
    EXPECT_EQ(Val(u" 1 2 3"), 123);
    EXPECT_EQ(Val(u"1\n2"), 12);               // line feeds are skipped, carriage returns are not
    EXPECT_EQ(Val(u"1\r2"), 1);
    EXPECT_EQ(Val(u"\t-4.5cm"), -4.5);
    EXPECT_EQ(Val(u"12,6"), 12);               // a comma ends the number
    EXPECT_EQ(Val(u"1.5e2x"), 150);
    EXPECT_EQ(Val(u"1e"), 1);
    EXPECT_EQ(Val(u".5"), 0.5);
    EXPECT_EQ(Val(u"&HFF"), 255);
    EXPECT_EQ(Val(u"&o17"), 15);
    EXPECT_EQ(Val(u"+7"), 7);
    EXPECT_EQ(Val(u"-"), 0);
    EXPECT_THROW(Val(u"1e999"), OverflowError);
}

TEST(BasicRules, NumbersToText)
{
    EXPECT_EQ(CStr(2.5), "2.5");
    EXPECT_EQ(CStr(-3), "-3");
    EXPECT_EQ(CStr(0), "0");
    EXPECT_EQ(CStr(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(CStr(1e15), "1E+15");
    EXPECT_EQ(CStr(123456789012345.0), "123456789012345");
    EXPECT_EQ(CStr(0.0001), "0.0001");
    EXPECT_EQ(CStr(0.000001), "1E-06");
    EXPECT_EQ(CStrSingle(25.45f), "25.45");
    EXPECT_EQ(CStrSingle(0.1f), "0.1");
    EXPECT_EQ(Str(5), " 5");
    EXPECT_EQ(Str(-5), "-5");
    EXPECT_EQ(ZeroFill(26, 4), "0026");
    EXPECT_EQ(ZeroFill(12345, 4), "12345");
    EXPECT_EQ(ZeroFill(1234, 6), "001234");
}
