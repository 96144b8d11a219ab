// Code page 936 conversion and the bounding of texts to their fields.
#include <gtest/gtest.h>

#include <cstring>

#include "record/TextCodec.h"

using namespace korvex;

TEST(Cp936, ChineseTextRoundTrips)
{
    const std::string utf8 = "电子镇流器 T8-36W 仪器面板";
    const std::string gbk = utf8ToCp936(utf8);
    EXPECT_EQ(gbk.size(), 5u * 2 + 8 + 4 * 2); // nine double-byte characters and " T8-36W "
    EXPECT_EQ(cp936ToUtf8(gbk), utf8);
}

TEST(Cp936, KnownBytes)
{
    EXPECT_EQ(utf8ToCp936("中"), "\xD6\xD0");
    EXPECT_EQ(cp936ToUtf8("\xB5\xE7\xD1\xB9"), "电压");
    EXPECT_EQ(utf8ToCp936("ASCII 123"), "ASCII 123");
}

TEST(Cp936, DecodingStopsAtTheTerminator)
{
    EXPECT_EQ(cp936ToUtf8(std::string_view("AB\0CD", 5)), "AB");
}

TEST(Cp936, InvalidBytesAndUnmappableCharactersDoNotStopConversion)
{
    // 0xFF is never valid; the text after it survives.
    const std::string decoded = cp936ToUtf8("A\xFF"
                                            "B");
    EXPECT_EQ(decoded.front(), 'A');
    EXPECT_EQ(decoded.back(), 'B');
    // An emoji has no code page 936 form.
    EXPECT_EQ(utf8ToCp936("x\xF0\x9F\x98\x80y"), "x?y");
}

TEST(Cp936, TruncationNeverSplitsADoubleByteCharacter)
{
    const std::string gbk = utf8ToCp936("温度25度"); // 2+2+1+1+2 bytes
    EXPECT_EQ(truncateCp936(gbk, 8), gbk);
    EXPECT_EQ(truncateCp936(gbk, 7), gbk.substr(0, 6));
    EXPECT_EQ(truncateCp936(gbk, 3), gbk.substr(0, 2));
    EXPECT_EQ(truncateCp936(gbk, 1), "");
    EXPECT_EQ(truncateCp936("abc", 2), "ab");
}

TEST(TextField, StoreKeepsAtMostNMinusOneBytesAndTerminates)
{
    char field[11];
    std::memset(field, 'x', sizeof field);
    storeText(field, utf8ToCp936("一二三四五六")); // 12 bytes into a char[11]
    EXPECT_EQ(std::strlen(field), 10u);
    EXPECT_EQ(cp936ToUtf8(fieldText(field)), "一二三四五");

    storeText(field, utf8ToCp936("a一二三四五")); // 11 bytes: the fifth character would need byte 11
    EXPECT_EQ(fieldUtf8(field), "a一二三四");
    EXPECT_EQ(field[9], '\0');
    EXPECT_EQ(field[10], '\0');
}

TEST(TextField, FieldTextWithoutTerminatorTakesTheWholeBuffer)
{
    const char raw[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(fieldText(raw, 4), "abcd");
}
