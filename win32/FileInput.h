#pragma once
// Win32 runtime: sequential file input under file numbers, as the program's one file read needs it.
#include <cstdint>
#include <string>

// Opens the file for input. Missing file: 53 (path in the detail); a folder, a denied
// or locked file: 75.
void FileOpenInput(int16_t fileNumber, const std::u16string& path);

// Reads one line without its line break (CR LF, LF or CR) and returns the characters
// DecodeLine keeps of it: UTF-8 after a byte order mark at the start of the file or when
// the line is valid UTF-8, otherwise the system's ANSI code page. Reading at the end of the
// file, or of a file that holds only the byte order mark: 62.
std::u16string LineInput(int16_t fileNumber);

// Closes every open file.
void FileCloseAll();
