#pragma once
// Sequential file input under file numbers, as the program's one file read needs it.
#include <cstdint>
#include <string>

// Opens the file for input. Missing file: 53 (path in the detail); a folder, a denied
// or locked file: 75.
void FileOpenInput(int16_t fileNumber, const std::u16string& path);

// Reads one line without its line break (CR LF, LF or CR). ANSI code page text is
// converted with the system code page; text that starts with the UTF-8 byte order mark
// is read as UTF-8 without the mark. Reading at the end of the file: 62.
std::u16string LineInput(int16_t fileNumber);

// Closes every open file.
void FileCloseAll();
