// Portable core: the characters of a line of SpecChar.txt, UTF-8, UTF-16 or ANSI.
#include "portable/DecodeLine.h"

#include <algorithm>
#include <cstdint>

#include "portable/Text.h"

namespace {

// What a lead byte starts: the number of continuation bytes, the value bits it carries and
// the range allowed to the first continuation, narrowed where overlong forms, encoded
// surrogates or values past U+10FFFF would begin. `more` is 0 for a byte that starts nothing.
struct Lead {
    int more;
    uint32_t code;
    uint8_t low, high;
};

Lead ReadLead(uint8_t lead)
{
    if (lead >= 0xC2 && lead <= 0xDF) return {1, lead & 0x1Fu, 0x80, 0xBF};
    if (lead >= 0xE0 && lead <= 0xEF)
        return {2, lead & 0x0Fu, uint8_t(lead == 0xE0 ? 0xA0 : 0x80), uint8_t(lead == 0xED ? 0x9F : 0xBF)};
    if (lead >= 0xF0 && lead <= 0xF4)
        return {3, lead & 0x07u, uint8_t(lead == 0xF0 ? 0x90 : 0x80), uint8_t(lead == 0xF4 ? 0x8F : 0xBF)};
    return {0, 0, 0x80, 0xBF};
}

// Appends one code point as one unit or a surrogate pair.
void AppendUtf16(uint32_t code, std::u16string& out)
{
    if (code < 0x10000) {
        out.push_back(static_cast<char16_t>(code));
        return;
    }
    code -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
}

// Appends the UTF-8 in `bytes` to `out`. A byte that does not belong to a well-formed
// sequence (overlong forms, encoded surrogates and values past U+10FFFF included) is
// dropped when `dropInvalid`; otherwise decoding stops there and the result is false.
bool DecodeUtf8(std::string_view bytes, bool dropInvalid, std::u16string& out)
{
    const size_t size = bytes.size();
    size_t i = 0;
    while (i < size) {
        const uint8_t first = static_cast<uint8_t>(bytes[i]);
        if (first < 0x80) {
            out.push_back(first);
            ++i;
            continue;
        }
        Lead lead = ReadLead(first);
        size_t next = i + 1;
        for (int k = 0; k < lead.more && next < size; ++k, ++next) {
            const uint8_t c = static_cast<uint8_t>(bytes[next]);
            if (c < lead.low || c > lead.high) break;
            lead.code = lead.code << 6 | (c & 0x3F);
            lead.low = 0x80;
            lead.high = 0xBF;
        }
        if (lead.more == 0 || next != i + 1 + lead.more) {
            if (!dropInvalid) return false;
            // The bytes taken so far are a lead and continuations: none starts a character.
            i = next;
            continue;
        }
        AppendUtf16(lead.code, out);
        i = next;
    }
    return true;
}

// Drops, in place, what cannot be typed into a text box and every unpaired surrogate.
void KeepTypeable(std::u16string& text)
{
    size_t kept = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) continue;
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (!PairAt(text, i)) continue;
            text[kept++] = c;
            ++i;
        }
        text[kept++] = text[i];
    }
    text.resize(kept);
}

}  // namespace

ByteOrderMark ReadMark(std::string_view start)
{
    if (start.substr(0, 3) == "\xEF\xBB\xBF") return {TextEncoding::Utf8, 3};
    if (start.substr(0, 2) == "\xFF\xFE") return {TextEncoding::Utf16LE, 2};
    if (start.substr(0, 2) == "\xFE\xFF") return {TextEncoding::Utf16BE, 2};
    return {TextEncoding::Unmarked, 0};
}

char16_t UnitAt(std::string_view bytes, size_t at, TextEncoding encoding)
{
    const auto byte = [&](size_t i) { return char16_t(static_cast<uint8_t>(bytes[i])); };
    switch (encoding) {
    case TextEncoding::Utf16LE: return char16_t(byte(at) | byte(at + 1) << 8);
    case TextEncoding::Utf16BE: return char16_t(byte(at) << 8 | byte(at + 1));
    default: return byte(at);
    }
}

size_t FindLineBreak(std::string_view bytes, size_t from, TextEncoding encoding)
{
    const size_t unit = UnitSize(encoding);
    if (unit == 1) return bytes.find_first_of("\r\n", from);
    for (size_t at = from; at + unit <= bytes.size(); at += unit) {
        const char16_t c = UnitAt(bytes, at, encoding);
        if (c == u'\r' || c == u'\n') return at;
    }
    return std::string_view::npos;
}

std::u16string DecodeLine(std::string_view bytes, TextEncoding encoding, AnsiDecoder ansi)
{
    std::u16string text;
    if (UnitSize(encoding) == 2) {
        text.reserve(bytes.size() / 2);
        for (size_t at = 0; at + 2 <= bytes.size(); at += 2) text.push_back(UnitAt(bytes, at, encoding));
    } else if (encoding == TextEncoding::Utf8) {
        text.reserve(bytes.size());
        DecodeUtf8(bytes, true, text);
    } else {
        const bool ascii =
            std::all_of(bytes.begin(), bytes.end(), [](char b) { return static_cast<uint8_t>(b) < 0x80; });
        if (!ascii) text.reserve(bytes.size());
        if (ascii || !DecodeUtf8(bytes, false, text)) text = ansi(bytes);
    }
    KeepTypeable(text);
    return text;
}
