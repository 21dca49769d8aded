#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "portable/DecodeLine.h"
#include "tests/unit/TestHelpers.h"

namespace {

std::string Hex(std::string_view bytes)
{
    std::string out;
    for (char b : bytes) out += "0123456789ABCDEF"[(b >> 4) & 15], out += "0123456789ABCDEF"[b & 15], out += ' ';
    return out;
}

}  // namespace

TEST(DecodeLine, CharactersAsEditorsSaveThem)
{
    using namespace std::string_literals;
    using enum TextEncoding;
    struct Case {
        std::string bytes;
        TextEncoding encoding;
        std::u16string text;
    } cases[] = {
        {"!#%", Unmarked, u"!#%"},
        {"", Unmarked, u""},
        {"", Utf8, u""},
        // Controls cannot be typed into a password box: C0 (NUL included), DEL, C1.
        {"a\0b\0c"s, Unmarked, u"abc"},
        {"\x01 \t\x1B\x1F\x7F~"s, Unmarked, u" ~"},
        {"\x85\x9Fx\xA0"s, Unmarked, u"x\u00A0"},
        {"\xC2\x80\xC2\x9F\xC2\xA0"s, Unmarked, u"\u00A0"},
        // Valid UTF-8 with a non-ASCII byte is UTF-8 without a mark too.
        {"\xE2\x82\xAC\xC2\xA7\xC5\x99", Unmarked, u"€§ř"},
        {"\xF0\x9F\x98\x80!", Unmarked, u"😀!"},
        {"\xEF\xBB\xBFx", Unmarked, u"\uFEFFx"},
        {"\xEF\xBF\xBD", Unmarked, u"\uFFFD"},
        {"\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF", Unmarked, u"\uD7FF\uE000\U0010FFFF"},
        {"\xF0\x90\x80\x80\xEF\xBF\xBF", Unmarked, u"\U00010000\uFFFF"},
        // Anything else with a non-ASCII byte is ANSI, the whole line.
        {"\xE9t\xE9", Unmarked, u"été"},
        {"\xC3\xA9\xE9", Unmarked, u"Ã©é"},
        {"\xE2\x82", Unmarked, u"â"},
        {"\xC0\xAF", Unmarked, u"À¯"},
        {"\xED\xA0\x80\xED\xB0\x80", Unmarked, u"í\u00A0í°"},
        {"\xF4\x90\x80\x80x", Unmarked, u"ôx"},
        // After the mark, bytes that are not valid UTF-8 are dropped, never replaced.
        {"\xC5\xBD\xE2\x82\xAC", Utf8, u"Ž€"},
        {"a\xFF" "b\xC3", Utf8, u"ab"},
        {"\xE2\x82x\xF0\x9F\x98", Utf8, u"x"},
        {"\xC0\xAF\xE0\x80\xAF\xED\xA0\x80\xF4\x90\x80\x80\xF8\x88\x80\x80\x80\x80!", Utf8, u"!"},
        {"\xF0\x9F\x98\x80\x80\xBF\xC2\xA7", Utf8, u"😀§"},
        {"\xF0\x90\x80\x80\xF4\x90\x80\x80", Utf8, u"\U00010000"},
        {"a\0\r\x7F", Utf8, u"a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex(c.bytes) + "as " + std::to_string(int(c.encoding)));
        EXPECT_EQ(DecodeLine(c.bytes, c.encoding, Latin1), c.text);
    }

    // Whatever the ANSI decoder gives, an unpaired surrogate is no character.
    auto unpaired = [](std::string_view) -> std::u16string { return u"a\xD800" u"b\xDC00\xD83D\xDE00\xDBFF"; };
    EXPECT_EQ(DecodeLine("x", Unmarked, unpaired), u"ab😀");
}

// UTF-16 in either byte order: the line ends at its first CR or LF unit (CR LF, LF, CR), and a
// byte 0A or 0D inside another unit is no break.
TEST(DecodeLine, Utf16LineUpToItsBreak)
{
    using namespace std::string_literals;
    struct Case {
        std::string bytes;
        std::u16string line;
        size_t lineBreak;
    } cases[] = {
        {"\xFF\xFE" "a\0\x0A\x01\r\0\n\0"s, u"a\u010A", 6},
        {"\xFF\xFE\xAC\x20\x0D\x0D\n\0"s, u"€\u0D0D", 6},
        {"\xFF\xFE\r\0"s, u"", 2},
        {"\xFE\xFF\x01\x0A\0a\0\r\0\n"s, u"\u010Aa", 6},
        {"\xFE\xFF\x20\xAC\0\n"s, u"€", 4},
        {"\xFE\xFF\x0D\x01\0\r"s, u"\u0D01", 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex(c.bytes));
        const ByteOrderMark mark = ReadMark(c.bytes);
        EXPECT_EQ(FindLineBreak(c.bytes, mark.length, mark.encoding), c.lineBreak);
        std::string_view line = std::string_view(c.bytes).substr(2, c.lineBreak - 2);
        EXPECT_EQ(DecodeLine(line, mark.encoding, Latin1), c.line);
    }
}
