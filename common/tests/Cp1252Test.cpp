#include "common/Cp1252.h"

#include <gtest/gtest.h>

using namespace kovel;

TEST(Cp1252, MapsTheWindowsRangeBothWays)
{
    const QByteArray bytes("\x80\x8A\x9F\xA0\xE9\xF3\xFF\x81", 8);
    const QString text = cp1252::toUnicode(bytes);
    ASSERT_EQ(text.size(), 8);
    EXPECT_EQ(text[0].unicode(), 0x20AC); // euro
    EXPECT_EQ(text[1].unicode(), 0x0160);
    EXPECT_EQ(text[2].unicode(), 0x0178);
    EXPECT_EQ(text[3].unicode(), 0x00A0);
    EXPECT_EQ(text[5], QChar(u'ó'));
    EXPECT_EQ(text[7].unicode(), 0x0081); // unassigned byte keeps its C1 code point
    bool lossless = false;
    EXPECT_EQ(cp1252::fromUnicode(text, &lossless), bytes);
    EXPECT_TRUE(lossless);
}

TEST(Cp1252, UnmappableCharactersAreReported)
{
    bool lossless = true;
    EXPECT_EQ(cp1252::fromUnicode(u"a\u0410b", &lossless), QByteArray("a?b"));
    EXPECT_FALSE(lossless);
    EXPECT_FALSE(cp1252::canEncode(u"\u0627"));
    EXPECT_TRUE(cp1252::canEncode(u"Ñandú €"));
    EXPECT_EQ(cp1252::byteOf(0x2122), 0x99);
    EXPECT_EQ(cp1252::byteOf(0x0100), -1);
}
