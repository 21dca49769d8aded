#pragma once
// Portable core: the characters of a line of a text file, as editors save such files today.
#include <cstddef>
#include <string>
#include <string_view>

// How a file's bytes are text: as its byte order mark says, or, unmarked, UTF-8 or ANSI by line.
enum class TextEncoding { Unmarked, Utf8, Utf16LE, Utf16BE };

struct ByteOrderMark {
    TextEncoding encoding;
    size_t length;  // bytes; 0 for an unmarked file
};

// The mark at the start of a file (`start` holds its first 3 bytes, or all of a shorter file):
// EF BB BF is UTF-8, FF FE UTF-16 little endian, FE FF UTF-16 big endian.
ByteOrderMark ReadMark(std::string_view start);

// The bytes of one code unit: 2 in UTF-16, 1 otherwise.
inline size_t UnitSize(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE ? 2 : 1;
}

// The code unit that starts at byte `at`; the unit must be whole.
char16_t UnitAt(std::string_view bytes, size_t at, TextEncoding encoding);

// Where the first CR or LF unit at or after byte `from` (a unit boundary) starts, or npos.
size_t FindLineBreak(std::string_view bytes, size_t from, TextEncoding encoding);

// Converts bytes from the system's ANSI code page; the platform supplies it.
using AnsiDecoder = std::u16string (*)(std::string_view bytes);

// The characters of one line's bytes (without its line break and the file's mark). An unmarked
// line is UTF-8 when it is valid UTF-8 holding a non-ASCII byte, otherwise ANSI text. In UTF-16
// an odd last byte is no unit.
// Only characters that can be typed into a text box are kept: C0 controls (NUL included),
// DEL, C1 controls, bytes that are not valid UTF-8 and unpaired surrogates are dropped.
// Linear in the length of the line.
std::u16string DecodeLine(std::string_view bytes, TextEncoding encoding, AnsiDecoder ansi);
