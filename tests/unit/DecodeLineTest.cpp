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
        {"\xF0\x90\x80\x80\xEF\xBF\xBF", false, u"\U00010000\uFFFF"},
        // Anything else with a non-ASCII byte is ANSI, the whole line.
        {"\xE9t\xE9", false, u"été"},
        {"\xC3\xA9\xE9", false, u"Ã©é"},
        {"\xE2\x82", false, u"â"},
        {"\xC0\xAF", false, u"À¯"},
        {"\xED\xA0\x80\xED\xB0\x80", false, u"í\u00A0í°"},
        {"\xF4\x90\x80\x80x", false, u"ôx"},
        // After the mark, bytes that are not valid UTF-8 are dropped, never replaced.
        {"\xC5\xBD\xE2\x82\xAC", true, u"Ž€"},
        {"a\xFF" "b\xC3", true, u"ab"},
        {"\xE2\x82x\xF0\x9F\x98", true, u"x"},
        {"\xC0\xAF\xE0\x80\xAF\xED\xA0\x80\xF4\x90\x80\x80\xF8\x88\x80\x80\x80\x80!", true, u"!"},
        {"\xF0\x9F\x98\x80\x80\xBF\xC2\xA7", true, u"😀§"},
        {"\xF0\x90\x80\x80\xF4\x90\x80\x80", true, u"\U00010000"},
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
