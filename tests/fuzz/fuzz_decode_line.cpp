// Bytes of SpecChar.txt's first line to characters: only whole characters that can be typed,
// never more characters than bytes, no U+FFFD the file does not hold, and the characters
// come back unchanged from their own UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "portable/DecodeLine.h"
#include "tests/fuzz/Check.h"

namespace {

std::string Utf8(std::u16string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (PairAt(text, i)) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | c >> 12);
            out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | c >> 18);
            out += char(0x80 | (c >> 12 & 0x3F));
            out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The file layer takes the byte order mark off the start of the file.
    const bool afterMark = bytes.substr(0, 3) == "\xEF\xBB\xBF";
    if (afterMark) bytes.remove_prefix(3);

    const std::u16string text = DecodeLine(bytes, afterMark, Latin1);
    Check(OnlyTypeable(text), "only whole characters that can be typed");
    Check(text.size() <= bytes.size(), "no more units than bytes");
    if (text.find(u'\uFFFD') != std::u16string::npos)
        Check(bytes.find("\xEF\xBF\xBD") != std::string_view::npos, "U+FFFD only where the file holds it");

    const std::string utf8 = Utf8(text);
    Check(DecodeLine(utf8, true, Latin1) == text, "the characters' own UTF-8 after a mark gives them back");
    Check(DecodeLine(utf8, false, Latin1) == text, "the characters' own UTF-8 without a mark gives them back");
    return 0;
}
