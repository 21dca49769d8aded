#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "portable/Text.h"
#include "tests/unit/TestHelpers.h"

namespace {

std::u16string Repeat(char16_t c, size_t n) { return std::u16string(n, c); }

}  // namespace

TEST(Val, NumberAtTheStartOfTheText)
{
    struct Case {
        std::u16string text;
        double value;
    } cases[] = {
        {u"6", 6},           {u"6.9", 6.9},       {u" -2.5", -2.5},  {u"\t+7", 7},
        {u"12abc", 12},      {u"", 0},            {u"abc", 0},       {u"+", 0},
        {u"-", 0},           {u".", 0},           {u"-.", 0},        {u"1e3", 1000},
        {u"1E3", 1000},      {u"1e", 1},          {u"1e+", 1},       {u"1e-2", 0.01},
        {u"1d2", 100},       {u"1D-1", 0.1},      {u".5", 0.5},      {u"5.", 5},
        {u"1.2.3", 1.2},     {u"1e-400", 0},      {u"0e99999999999", 0},
        {u"-0", 0},          {u"00012", 12},      {u"32767", 32767}, {u"1e-310", 1e-310},
        {u"x1", 0},          {u"- 5", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        EXPECT_EQ(Val(c.text), c.value);
    }
}

TEST(Val, TooLargeForADoubleIsOverflow)
{
    const std::u16string cases[] = {
        u"1e400",
        u"-1e400",
        u"1e99999999999",
        u"0.001e400",
        u"1.8e308",
        Repeat(u'9', 100'000),
        u"1" + Repeat(u'0', 100'000) + u".5",
    };
    for (const auto& text : cases) {
        SCOPED_TRACE(text.size());
        EXPECT_EQ(ErrorOf([&] { Val(text); }), 6);
    }
}

TEST(Val, LongTextsThatFitADouble)
{
    // 1 followed by 99,999 zeros after the point: far below the smallest double.
    EXPECT_EQ(Val(u"0." + Repeat(u'0', 99'999) + u"1"), 0.0);
    // Many digits scaled back into range by the exponent.
    EXPECT_EQ(Val(u"1" + Repeat(u'0', 100'000) + u"e-100000"), 1.0);
    EXPECT_EQ(Val(u"0." + Repeat(u'0', 99'999) + u"1e100003"), 1000.0);
    EXPECT_EQ(Val(Repeat(u'0', 100'000) + u"7"), 7.0);
    EXPECT_EQ(Val(u"1.7976931348623157e308"), 1.7976931348623157e308);
    // 2^53 + 1 lies halfway between two doubles: ties go to even, anything beyond goes up,
    // even a non-zero digit far behind the point.
    EXPECT_EQ(Val(u"9007199254740993"), 9007199254740992.0);
    EXPECT_EQ(Val(u"9007199254740993." + Repeat(u'0', 5000)), 9007199254740992.0);
    EXPECT_EQ(Val(u"9007199254740993." + Repeat(u'0', 5000) + u"1"), 9007199254740994.0);
    EXPECT_EQ(Val(u"-9007199254740993." + Repeat(u'0', 5000) + u"1"), -9007199254740994.0);
}

TEST(FloorToInt16, LengthTextsAsTheGeneratorReadsThem)
{
    struct Case {
        std::u16string text;
        int32_t expected;
        bool overflows;
    } cases[] = {
        {u"6.9", 6, false},        {u"-2.5", -3, false},      {u"-0.1", -1, false},
        {u"", 0, false},           {u"abc", 0, false},        {u"32767", 32767, false},
        {u"32767.99", 32767, false}, {u"32768", 0, true},     {u"-32768", -32768, false},
        {u"-32768.5", 0, true},    {u"-32769", 0, true},      {u"1e10", 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        if (c.overflows) {
            EXPECT_EQ(ErrorOf([&] { FloorToInt16(Val(c.text)); }), 6);
        } else {
            EXPECT_EQ(FloorToInt16(Val(c.text)), c.expected);
        }
    }
}

TEST(FloorToInt32, EdgesOfTheRange)
{
    EXPECT_EQ(FloorToInt32(2147483647.9), 2147483647);
    EXPECT_EQ(FloorToInt32(-2147483648.0), INT32_MIN);
    EXPECT_EQ(FloorToInt32(-0.5), -1);
    EXPECT_EQ(FloorToInt32(0.999999), 0);
    EXPECT_EQ(ErrorOf([] { FloorToInt32(2147483648.0); }), 6);
    EXPECT_EQ(ErrorOf([] { FloorToInt32(-2147483648.5); }), 6);
    EXPECT_EQ(ErrorOf([] { FloorToInt32(NAN); }), 6);
    EXPECT_EQ(ErrorOf([] { FloorToInt16(INFINITY); }), 6);
}

TEST(CheckedArithmetic, OverflowAtTheEdgesOnly)
{
    EXPECT_EQ(Add16(32766, 1), 32767);
    EXPECT_EQ(Add16(-32768, 0), -32768);
    EXPECT_EQ(Add16(-1, -32767), -32768);
    EXPECT_EQ(ErrorOf([] { Add16(32767, 1); }), 6);
    EXPECT_EQ(ErrorOf([] { Add16(-32768, -1); }), 6);

    EXPECT_EQ(Sub16(6, 10), -4);
    EXPECT_EQ(Sub16(-1, 32767), -32768);
    EXPECT_EQ(Sub16(32767, 0), 32767);
    EXPECT_EQ(ErrorOf([] { Sub16(32767, -1); }), 6);
    EXPECT_EQ(ErrorOf([] { Sub16(-32768, 1); }), 6);
    EXPECT_EQ(ErrorOf([] { Sub16(0, -32768); }), 6);
    EXPECT_EQ(ErrorOf([] { Sub16(32767, -32768); }), 6);

    EXPECT_EQ(Add32(2147483646, 1), 2147483647);
    EXPECT_EQ(Add32(INT32_MIN, 2147483647), -1);
    EXPECT_EQ(ErrorOf([] { Add32(2147483647, 1); }), 6);
    EXPECT_EQ(ErrorOf([] { Add32(INT32_MIN, -1); }), 6);
}

TEST(IsNumeric, WholeTextMustBeANumber)
{
    for (char16_t d = u'0'; d <= u'9'; ++d) EXPECT_TRUE(IsNumeric(std::u16string(1, d))) << char(d);

    // Single characters that begin no number: only the digits above are numeric on their own.
    for (char16_t c : std::u16string(u" +-.eEdD,$a!\t\0", 14)) {
        EXPECT_FALSE(IsNumeric(std::u16string(1, c))) << int(c);
    }
    struct Case {
        std::u16string text;
        bool numeric;
    } cases[] = {
        {u"", false},      {u"a", false},    {u" 5 ", true},   {u"-2.5", true},  {u"+7", true},
        {u".5", true},     {u"5.", true},    {u"1e3", true},   {u"1e", false},   {u"12abc", false},
        {u"1 2", false},   {u"  ", false},   {u"0x10", false}, {u"1.2.3", false}, {u"1d2", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsNumeric(c.text), c.numeric) << Narrow(c.text);
    }
}

TEST(TextOperations, OneBasedPositions)
{
    const std::u16string abc = u"abc";
    struct Case {
        int32_t position;
        std::u16string expected;
    } cases[] = {
        {1, u"a"}, {2, u"b"}, {3, u"c"}, {4, u""}, {0, u""}, {-1, u""}, {INT32_MAX, u""}, {INT32_MIN, u""},
    };
    for (const auto& c : cases) EXPECT_EQ(Mid1(abc, c.position), c.expected) << c.position;
    EXPECT_EQ(Mid1(u"", 1), u"");
    EXPECT_EQ(Mid1(std::u16string(u"a\0b", 3), 2), std::u16string(1, u'\0'));

    EXPECT_EQ(Left1(abc), u"a");
    EXPECT_EQ(Left1(u"7x"), u"7");
    EXPECT_EQ(Left1(u""), u"");
}

TEST(StrI2, DecimalDigits)
{
    struct Case {
        int16_t value;
        std::u16string text;
    } cases[] = {
        {0, u"0"}, {1, u"1"}, {10, u"10"}, {-5, u"-5"}, {32767, u"32767"}, {-32768, u"-32768"}, {100, u"100"},
    };
    for (const auto& c : cases) EXPECT_EQ(StrI2(c.value), c.text) << c.value;
}
