// Bytes of SpecChar.txt's first line to characters, in the encoding its mark names: only whole
// characters that can be typed, never more units than the bytes hold, no U+FFFD an 8-bit file
// does not hold, and the characters come back unchanged from their own UTF-8 and UTF-16.
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

std::string Utf16(std::u16string_view text, bool bigEndian)
{
    std::string out;
    for (char16_t c : text) {
        const char low = char(c & 0xFF), high = char(c >> 8);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The file layer takes the byte order mark off the start of the file.
    const ByteOrderMark mark = ReadMark(bytes);
    bytes.remove_prefix(mark.length);

    const std::u16string text = DecodeLine(bytes, mark.encoding, Latin1);
    Check(OnlyTypeable(text), "only whole characters that can be typed");
    Check(text.size() <= bytes.size() / UnitSize(mark.encoding), "no more units than the bytes hold");
    if (UnitSize(mark.encoding) == 1 && text.find(u'\uFFFD') != std::u16string::npos)
        Check(bytes.find("\xEF\xBF\xBD") != std::string_view::npos, "U+FFFD only where the file holds it");

    const std::string utf8 = Utf8(text);
    Check(DecodeLine(utf8, TextEncoding::Utf8, Latin1) == text, "the characters' own UTF-8 after a mark gives them back");
    Check(DecodeLine(utf8, TextEncoding::Unmarked, Latin1) == text,
          "the characters' own UTF-8 without a mark gives them back");
    for (TextEncoding utf16 : {TextEncoding::Utf16LE, TextEncoding::Utf16BE})
        Check(DecodeLine(Utf16(text, utf16 == TextEncoding::Utf16BE), utf16, Latin1) == text,
              "the characters' own UTF-16 gives them back");
    return 0;
}
