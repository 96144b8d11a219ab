// Fixed and general number texts, and number parsing.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "record/NumberFormat.h"

using korvex::formatFixed;
using korvex::formatGeneral;
using korvex::parseNumber;

TEST(FixedFormat, RoundsToFourSignificantDigitsThenPadsDecimals)
{
    EXPECT_EQ(formatFixed(220.46f, 4, 1), "220.5");
    EXPECT_EQ(formatFixed(0.12345f, 4, 3), "0.123");
    EXPECT_EQ(formatFixed(1234.56f, 4, 1), "1235.0");
    EXPECT_EQ(formatFixed(50.0f, 4, 2), "50.00");
    EXPECT_EQ(formatFixed(0.98765f, 4, 3), "0.988");
    EXPECT_EQ(formatFixed(1.23456, 4, 3), "1.235");
    EXPECT_EQ(formatFixed(9.99, 4, 0), "10");
    EXPECT_EQ(formatFixed(33.75, 4, 0), "34");
}

TEST(FixedFormat, RoundsHalfAwayFromZero)
{
    EXPECT_EQ(formatFixed(0.125, 4, 2), "0.13");
    EXPECT_EQ(formatFixed(-0.125, 4, 2), "-0.13");
    EXPECT_EQ(formatFixed(2.5, 4, 0), "3");
    EXPECT_EQ(formatFixed(12.345, 4, 2), "12.35"); // 12.345 is 12.3450000000000006 as a double
}

TEST(FixedFormat, ZeroAndValuesThatRoundToZero)
{
    EXPECT_EQ(formatFixed(0.0, 4, 1), "0.0");
    EXPECT_EQ(formatFixed(0.0, 4, 3), "0.000");
    EXPECT_EQ(formatFixed(-0.0, 4, 2), "0.00");
    EXPECT_EQ(formatFixed(-0.0004, 4, 3), "0.000");
    EXPECT_EQ(formatFixed(0.0006, 4, 3), "0.001");
    EXPECT_EQ(formatFixed(0.00004, 4, 3), "0.000");
    EXPECT_EQ(formatFixed(0.0, 4, 0), "0");
}

TEST(FixedFormat, NegativeValuesGetAMinus)
{
    EXPECT_EQ(formatFixed(-1.5, 4, 2), "-1.50");
    EXPECT_EQ(formatFixed(-230.04, 4, 1), "-230.0");
}

TEST(FixedFormat, CarryAddsAnIntegerDigit)
{
    EXPECT_EQ(formatFixed(999.96, 4, 1), "1000.0");
    EXPECT_EQ(formatFixed(99.999, 4, 2), "100.00");
    EXPECT_EQ(formatFixed(0.99996, 4, 3), "1.000");
}

TEST(FixedFormat, MoreIntegerDigitsThanPrecisionIsScientific)
{
    EXPECT_EQ(formatFixed(12345.0, 4, 1), "1.235E4");
    EXPECT_EQ(formatFixed(-98765.4, 4, 2), "-9.877E4");
    EXPECT_EQ(formatFixed(9999.6, 4, 1), "1E4"); // rounding to four digits reaches 10000
    EXPECT_EQ(formatFixed(99999.0, 5, 2), "99999.00");
    EXPECT_EQ(formatFixed(100000.0, 5, 2), "1E5");
    EXPECT_EQ(formatFixed(123456.0, 5, 2), "1.2346E5");
    EXPECT_EQ(formatFixed(3.4028235e38, 4, 1), "3.403E38");
}

TEST(FixedFormat, NonFiniteValuesAreReadableText)
{
    EXPECT_EQ(formatFixed(std::numeric_limits<double>::quiet_NaN(), 4, 1), "NAN");
    EXPECT_EQ(formatFixed(std::numeric_limits<double>::infinity(), 4, 1), "INF");
    EXPECT_EQ(formatFixed(-std::numeric_limits<double>::infinity(), 4, 1), "-INF");
}

TEST(GeneralFormat, ShortestFormUpToSixDigits)
{
    EXPECT_EQ(formatGeneral(7.0), "7");
    EXPECT_EQ(formatGeneral(9.0), "9");
    EXPECT_EQ(formatGeneral(1.5), "1.5");
    EXPECT_EQ(formatGeneral(1.5f), "1.5");
    EXPECT_EQ(formatGeneral(0.1f), "0.1");
    EXPECT_EQ(formatGeneral(2.345678), "2.34568");
    EXPECT_EQ(formatGeneral(-12.5), "-12.5");
    EXPECT_EQ(formatGeneral(0.0), "0");
    EXPECT_EQ(formatGeneral(999999.0), "999999");
    EXPECT_EQ(formatGeneral(0.00001), "0.00001");
}

TEST(GeneralFormat, ScientificBeyondSixIntegerDigitsOrBelowOneHundredThousandth)
{
    EXPECT_EQ(formatGeneral(1234567.0), "1.23457E+06");
    EXPECT_EQ(formatGeneral(9999999.0), "1E+07");
    EXPECT_EQ(formatGeneral(0.000001), "1E-06");
    EXPECT_EQ(formatGeneral(-0.0000025), "-2.5E-06");
    EXPECT_EQ(formatGeneral(std::numeric_limits<double>::quiet_NaN()), "NAN");
}

TEST(ParseNumber, AcceptsDecimalNumbersOnly)
{
    double v = 0;
    EXPECT_TRUE(parseNumber("7.0", v));
    EXPECT_DOUBLE_EQ(v, 7.0);
    EXPECT_TRUE(parseNumber(" -1.25 ", v));
    EXPECT_DOUBLE_EQ(v, -1.25);
    EXPECT_TRUE(parseNumber("+3", v));
    EXPECT_DOUBLE_EQ(v, 3.0);
    EXPECT_TRUE(parseNumber("1e3", v));
    EXPECT_DOUBLE_EQ(v, 1000.0);
    EXPECT_TRUE(parseNumber(".5", v));
    EXPECT_DOUBLE_EQ(v, 0.5);

    v = 42;
    for (const char* bad : {"", " ", "abc", "7,0", "1.2.3", "inf", "nan", "0x10", "5W", "1e999", "--1"})
        EXPECT_FALSE(parseNumber(bad, v)) << bad;
    EXPECT_DOUBLE_EQ(v, 42.0); // a refused text leaves the value alone
}
