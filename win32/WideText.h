#pragma once
// Win32 runtime: the program's 16-bit text as Win32 wide strings: the same buffer, another pointer type.
#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is 16-bit");

inline const wchar_t* W(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline wchar_t* W(std::u16string& text) { return reinterpret_cast<wchar_t*>(text.data()); }
