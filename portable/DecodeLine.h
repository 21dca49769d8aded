#pragma once
// Portable core: the characters of a line of a text file, as editors save such files today.
#include <string>
#include <string_view>

// Converts bytes from the system's ANSI code page; the platform supplies it.
using AnsiDecoder = std::u16string (*)(std::string_view bytes);

// The characters of one line's bytes (without its line break). The line is UTF-8 when the
// file began with the UTF-8 byte order mark (`afterMark`, the mark itself not in `bytes`)
// or when it is valid UTF-8 holding a non-ASCII byte; any other line is ANSI text.
// Only characters that can be typed into a text box are kept: C0 controls (NUL included),
// DEL, C1 controls, bytes that are not valid UTF-8 and unpaired surrogates are dropped.
// Linear in the length of the line.
std::u16string DecodeLine(std::string_view bytes, bool afterMark, AnsiDecoder ansi);
