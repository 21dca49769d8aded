#pragma once
// What the tests share on every system: the error a call raises, text for failure messages and
// a stand-in ANSI decoder.
// No Windows header here: the portable tests and the fuzz targets build natively.
#include <cstdint>
#include <string>
#include <string_view>

#include "portable/RuntimeError.h"

// Runs f and returns the RuntimeError it raised, or one numbered 0 when it raised none.
template <class F>
RuntimeError Raised(F f)
{
    try {
        f();
    } catch (const RuntimeError& e) {
        return e;
    }
    return RuntimeError(0);
}

// The number of the RuntimeError f raised, or 0 when it raised none.
template <class F>
int32_t ErrorOf(F f)
{
    return Raised(f).Number();
}

// ISO 8859-1 stands in for the ANSI code page: each byte is the character of that number.
inline std::u16string Latin1(std::string_view bytes)
{
    std::u16string text;
    for (char b : bytes) text += char16_t(static_cast<unsigned char>(b));
    return text;
}

// The text for a failure message: ASCII as it is, anything else as '?'.
inline std::string Narrow(std::u16string_view text)
{
    std::string out;
    for (char16_t c : text) out += c < 128 ? char(c) : '?';
    return out;
}
