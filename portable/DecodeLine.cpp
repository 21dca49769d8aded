// Portable core: the characters of a line of SpecChar.txt, UTF-8 or ANSI.
#include "portable/DecodeLine.h"

#include <algorithm>
#include <cstdint>

#include "portable/Text.h"

namespace {

// Appends the UTF-8 in `bytes` to `out`. A byte that does not belong to a well-formed
// sequence (overlong forms, encoded surrogates and values past U+10FFFF included) is
// dropped when `dropInvalid`; otherwise decoding stops there and the result is false.
bool DecodeUtf8(std::string_view bytes, bool dropInvalid, std::u16string& out)
{
    const size_t size = bytes.size();
    size_t i = 0;
    while (i < size) {
        const uint8_t lead = static_cast<uint8_t>(bytes[i]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        // Continuation count and the allowed range of the first continuation byte.
        int more = 0;
        uint32_t code = 0;
        uint8_t low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            code = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            code = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        }
        size_t next = i + 1;
        for (int k = 0; k < more && next < size; ++k, ++next) {
            const uint8_t c = static_cast<uint8_t>(bytes[next]);
            if (c < low || c > high) break;
            code = code << 6 | (c & 0x3F);
            low = 0x80;
            high = 0xBF;
        }
        if (more == 0 || next != i + 1 + more) {
            if (!dropInvalid) return false;
            // The bytes taken so far are a lead and continuations: none starts a character.
            i = next;
            continue;
        }
        if (code < 0x10000) {
            out.push_back(static_cast<char16_t>(code));
        } else {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        }
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

std::u16string DecodeLine(std::string_view bytes, bool afterMark, AnsiDecoder ansi)
{
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char b) { return static_cast<uint8_t>(b) < 0x80; });
    std::u16string text;
    if (!ascii || afterMark) text.reserve(bytes.size());
    if (afterMark)
        DecodeUtf8(bytes, true, text);
    else if (ascii || !DecodeUtf8(bytes, false, text))
        text = ansi(bytes);
    KeepTypeable(text);
    return text;
}
