#pragma once
// Win32 runtime: sequential file input under file numbers, as the program's one file read needs it.
#include <cstdint>
#include <string>

// Opens the file for input. Missing file: 53 (path in the detail); a folder, a denied
// or locked file: 75.
void FileOpenInput(int16_t fileNumber, const std::u16string& path);

// Reads one line without its line break (CR LF, LF or CR) and returns the characters
// DecodeLine keeps of it: as the byte order mark at the start of the file says (UTF-8, or
// UTF-16 little or big endian, whose line breaks are 16-bit units), otherwise UTF-8 when the
// line is valid UTF-8, else the system's ANSI code page. Reading at the end of the file, or
// of a file that holds only the byte order mark: 62.
std::u16string LineInput(int16_t fileNumber);

// Closes every open file.
void FileCloseAll();
