// Val, CInt, Int and the fixed-width fields of the program's files.
#include "platform/Numbers.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace dzq;

TEST(Val, ReadsTheLeadingNumberLikeBasic)
{
    struct Case { const char16_t *text; double value; } cases[] = {
        {u"", 0}, {u"abc", 0}, {u"12abc", 12}, {u"1.5.2", 1.5}, {u".5", 0.5}, {u"-", 0}, {u"--3", 0},
        {u"1,000", 1}, {u"１２", 0},
        // blanks, tabs and line breaks are ignored anywhere
        {u" 3 ", 3}, {u"3 ", 3}, {u"1 2 3", 123}, {u"\t- 4", -4}, {u"\r\n12", 12},
        // signs and exponents; an exponent without digits is not read
        {u"+7", 7}, {u"1E-2", 0.01}, {u"2d2", 200}, {u"5e", 5}, {u"5e+x", 5}, {u"1e-999", 0},
        // hexadecimal: up to FFFF signed 16-bit, up to FFFFFFFF signed 32-bit
        {u"&H2E", 46}, {u"&hff", 255}, {u"&H 1 0", 16}, {u"&HFFFF", -1}, {u"&H8000", -32768},
        {u"&H10000", 65536}, {u"&HFFFFFFFF", -1}, {u"&H1G", 1}, {u"&H", 0}, {u"&12", 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Val(c.text), c.value) << QString::fromUtf16(c.text).toStdString();
    EXPECT_EQ(Val(u"1e999"), INFINITY);
    EXPECT_EQ(Val(u"-1e999"), -INFINITY);
}

TEST(WholeNumbers, CIntRoundsHalvesToEvenInSixteenBitsIntFloorsInThirtyTwo)
{
    struct Case {
        int (*convert)(double, bool *);
        double value;
        int result;
        bool inRange;
    };
    const Case cases[] = {
        {CInt, 2.5, 2, true}, {CInt, 3.5, 4, true}, {CInt, -2.5, -2, true}, {CInt, 2.5001, 3, true},
        {CInt, 7500.0 / 70, 107, true},
        {CInt, -32768.5, -32768, true}, // rounds to the even -32768
        {CInt, 32767.5, 32767, false},  // rounds to 32768
        {CInt, 1e300, 32767, false}, {CInt, -INFINITY, -32768, false}, {CInt, NAN, 0, false},
        {Int, 2.5, 2, true}, {Int, -2.5, -3, true}, {Int, 15000.0 / 70, 214, true},
        {Int, 1e20, 2147483647, false}, {Int, -2147483648.5, -2147483647 - 1, false}, {Int, NAN, 0, false},
    };
    for (const Case &c : cases) {
        const char *name = c.convert == CInt ? "CInt " : "Int ";
        bool inRange = !c.inRange;
        EXPECT_EQ(c.convert(c.value, &inRange), c.result) << name << c.value;
        EXPECT_EQ(inRange, c.inRange) << name << c.value;
        EXPECT_EQ(c.convert(c.value, nullptr), c.result) << name << c.value;
    }
}

TEST(Fields, ArePaddedNeverCutAndReadBackStrictly)
{
    EXPECT_EQ(decimalField(7, 4), "0007");
    EXPECT_EQ(decimalField(12345, 4), "12345");
    EXPECT_EQ(decimalField(-1, 2), "-1");
    EXPECT_EQ(hexField(255, 4), "00FF");
    EXPECT_EQ(hexField(300, 2), "12C");
    EXPECT_EQ(hexField(-1, 2), "FFFFFFFF");

    for (int v : {0, 7, 2047, 65535})
        EXPECT_EQ(parseDecimalField(decimalField(v, 4)), v);
    for (int v : {0, 46, 255, -1})
        EXPECT_EQ(parseHexField(hexField(v, 2)), v);
    EXPECT_EQ(parseHexField(u"2e"), 46);

    for (const char16_t *bad : {u"", u" 7", u"7 ", u"-1", u"+1", u"1a", u"００", u"99999999999"})
        EXPECT_FALSE(parseDecimalField(bad)) << QString::fromUtf16(bad).toStdString();
    for (const char16_t *bad : {u"", u" F", u"G0", u"-1", u"123456789", u"&H1"})
        EXPECT_FALSE(parseHexField(bad)) << QString::fromUtf16(bad).toStdString();
}
