#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "portable/DecodeLine.h"
#include "portable/RuntimeError.h"
#include "portable/Text.h"
#include "portable/VersionRecord.h"

namespace {

// Runs f and returns the number of the RuntimeError it raised, or 0 when it raised none.
template <class F>
int32_t ErrorOf(F f)
{
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

std::u16string Repeat(char16_t c, size_t n) { return std::u16string(n, c); }

// ISO 8859-1 stands in for the ANSI code page: each byte is the character of that number.
std::u16string Latin1(std::string_view bytes)
{
    std::u16string text;
    for (char b : bytes) text += char16_t(static_cast<unsigned char>(b));
    return text;
}

std::string Hex(std::string_view bytes)
{
    std::string out;
    for (char b : bytes) out += "0123456789ABCDEF"[(b >> 4) & 15], out += "0123456789ABCDEF"[b & 15], out += ' ';
    return out;
}

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
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
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
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
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
        EXPECT_EQ(IsNumeric(c.text), c.numeric) << std::string(c.text.begin(), c.text.end());
    }
}

TEST(DecodeLine, CharactersAsEditorsSaveThem)
{
    using namespace std::string_literals;
    struct Case {
        std::string bytes;
        bool afterMark;
        std::u16string text;
    } cases[] = {
        {"!#%", false, u"!#%"},
        {"", false, u""},
        {"", true, u""},
        // Controls cannot be typed into a password box: C0 (NUL included), DEL, C1.
        {"a\0b\0c"s, false, u"abc"},
        {"\x01 \t\x1B\x1F\x7F~"s, false, u" ~"},
        {"\x85\x9Fx\xA0"s, false, u"x\u00A0"},
        {"\xC2\x80\xC2\x9F\xC2\xA0"s, false, u"\u00A0"},
        // Valid UTF-8 with a non-ASCII byte is UTF-8 without a mark too.
        {"\xE2\x82\xAC\xC2\xA7\xC5\x99", false, u"€§ř"},
        {"\xF0\x9F\x98\x80!", false, u"😀!"},
        {"\xEF\xBB\xBFx", false, u"\uFEFFx"},
        {"\xEF\xBF\xBD", false, u"\uFFFD"},
        {"\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF", false, u"\uD7FF\uE000\U0010FFFF"},
        // Anything else with a non-ASCII byte is ANSI, the whole line.
        {"\xE9t\xE9", false, u"été"},
        {"\xC3\xA9\xE9", false, u"Ã©é"},
        {"\xE2\x82", false, u"â"},
        {"\xC0\xAF", false, u"À¯"},
        {"\xED\xA0\x80\xED\xB0\x80", false, u"í\u00A0í°"},
        // After the mark, bytes that are not valid UTF-8 are dropped, never replaced.
        {"\xC5\xBD\xE2\x82\xAC", true, u"Ž€"},
        {"a\xFF" "b\xC3", true, u"ab"},
        {"\xE2\x82x\xF0\x9F\x98", true, u"x"},
        {"\xC0\xAF\xE0\x80\xAF\xED\xA0\x80\xF4\x90\x80\x80\xF8\x88\x80\x80\x80\x80!", true, u"!"},
        {"\xF0\x9F\x98\x80\x80\xBF\xC2\xA7", true, u"😀§"},
        {"a\0\r\x7F", true, u"a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex(c.bytes) + (c.afterMark ? "after the mark" : ""));
        EXPECT_EQ(DecodeLine(c.bytes, c.afterMark, Latin1), c.text);
    }

    // Whatever the ANSI decoder gives, an unpaired surrogate is no character.
    auto unpaired = [](std::string_view) -> std::u16string { return u"a\xD800" u"b\xDC00\xD83D\xDE00\xDBFF"; };
    EXPECT_EQ(DecodeLine("x", false, unpaired), u"ab😀");
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

// windres's bytes for: FILEVERSION 1,2,3,4  PRODUCTVERSION 5,6,7,8, string table 040904B0 with
// FileDescription "Test" and ProductName "zorkTEST", VarFileInfo Translation 0x409, 1200.
const uint8_t kVersionRecord[] = {
    0x44, 0x01, 0x34, 0x00, 0x00, 0x00, 0x56, 0x00, 0x53, 0x00, 0x5f, 0x00, 0x56, 0x00, 0x45, 0x00, 0x52, 0x00, 0x53, 0x00,
    0x49, 0x00, 0x4f, 0x00, 0x4e, 0x00, 0x5f, 0x00, 0x49, 0x00, 0x4e, 0x00, 0x46, 0x00, 0x4f, 0x00, 0x00, 0x00, 0x00, 0x00,
    0xbd, 0x04, 0xef, 0xfe, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x01, 0x00, 0x04, 0x00, 0x03, 0x00, 0x06, 0x00, 0x05, 0x00,
    0x08, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xa2, 0x00, 0x00, 0x00, 0x01, 0x00, 0x53, 0x00,
    0x74, 0x00, 0x72, 0x00, 0x69, 0x00, 0x6e, 0x00, 0x67, 0x00, 0x46, 0x00, 0x69, 0x00, 0x6c, 0x00, 0x65, 0x00, 0x49, 0x00,
    0x6e, 0x00, 0x66, 0x00, 0x6f, 0x00, 0x00, 0x00, 0x7e, 0x00, 0x00, 0x00, 0x01, 0x00, 0x30, 0x00, 0x34, 0x00, 0x30, 0x00,
    0x39, 0x00, 0x30, 0x00, 0x34, 0x00, 0x42, 0x00, 0x30, 0x00, 0x00, 0x00, 0x32, 0x00, 0x05, 0x00, 0x01, 0x00, 0x46, 0x00,
    0x69, 0x00, 0x6c, 0x00, 0x65, 0x00, 0x44, 0x00, 0x65, 0x00, 0x73, 0x00, 0x63, 0x00, 0x72, 0x00, 0x69, 0x00, 0x70, 0x00,
    0x74, 0x00, 0x69, 0x00, 0x6f, 0x00, 0x6e, 0x00, 0x00, 0x00, 0x00, 0x00, 0x54, 0x00, 0x65, 0x00, 0x73, 0x00, 0x74, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x32, 0x00, 0x09, 0x00, 0x01, 0x00, 0x50, 0x00, 0x72, 0x00, 0x6f, 0x00, 0x64, 0x00, 0x75, 0x00,
    0x63, 0x00, 0x74, 0x00, 0x4e, 0x00, 0x61, 0x00, 0x6d, 0x00, 0x65, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7a, 0x00, 0x6f, 0x00,
    0x72, 0x00, 0x6b, 0x00, 0x54, 0x00, 0x45, 0x00, 0x53, 0x00, 0x54, 0x00, 0x00, 0x00, 0x00, 0x00, 0x44, 0x00, 0x00, 0x00,
    0x01, 0x00, 0x56, 0x00, 0x61, 0x00, 0x72, 0x00, 0x46, 0x00, 0x69, 0x00, 0x6c, 0x00, 0x65, 0x00, 0x49, 0x00, 0x6e, 0x00,
    0x66, 0x00, 0x6f, 0x00, 0x00, 0x00, 0x00, 0x00, 0x24, 0x00, 0x04, 0x00, 0x00, 0x00, 0x54, 0x00, 0x72, 0x00, 0x61, 0x00,
    0x6e, 0x00, 0x73, 0x00, 0x6c, 0x00, 0x61, 0x00, 0x74, 0x00, 0x69, 0x00, 0x6f, 0x00, 0x6e, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x09, 0x04, 0xb0, 0x04,
};

TEST(ParseVersionRecord, ReadsTitleAndMajorMinorAndTheFourthNumber)
{
    struct Case {
        const char* name;
        size_t offset;  // one byte changed
        uint8_t byte;
        std::u16string title;
        int16_t major, minor, revision;
    } cases[] = {
        {"as written", 0, 0x44, u"zorkTEST", 1, 2, 4},
        {"no fixed-info signature", 40, 0xbc, u"zorkTEST", 0, 0, 0},
        {"no ProductName", 210, 'Q', u"", 1, 2, 4},
        {"ProductName longer than its table", 204, 0xff, u"", 1, 2, 4},
        {"record longer than its bytes", 0, 0x45, u"", 0, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes(std::begin(kVersionRecord), std::end(kVersionRecord));
        bytes[c.offset] = c.byte;
        VersionRecord record = ParseVersionRecord(bytes.data(), bytes.size());
        EXPECT_EQ(record.title, c.title) << c.name;
        EXPECT_EQ(record.major, c.major) << c.name;
        EXPECT_EQ(record.minor, c.minor) << c.name;
        EXPECT_EQ(record.revision, c.revision) << c.name;
    }
}

// A record cut anywhere reads as no record, and nothing past its end is read (the sanitizer build).
TEST(ParseVersionRecord, CutRecordGivesNothing)
{
    for (size_t size = 0; size < sizeof kVersionRecord; ++size) {
        std::vector<uint8_t> bytes(kVersionRecord, kVersionRecord + size);
        VersionRecord record = ParseVersionRecord(bytes.data(), bytes.size());
        ASSERT_EQ(record.title, u"") << size;
        ASSERT_EQ(record.major + record.minor + record.revision, 0) << size;
    }
}
