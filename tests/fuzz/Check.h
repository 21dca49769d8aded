#pragma once
// What the fuzz targets share: a property check that stops the run with a message and the test
// for typeable text; the stand-in ANSI decoder (Latin1) is the unit tests'.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "portable/Text.h"
#include "tests/unit/TestHelpers.h"

inline void Check(bool property, const char* what)
{
    if (property) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

// Whether every unit belongs to a whole character that can be typed into a text box:
// no C0 control (NUL included), DEL, C1 control or unpaired surrogate.
inline bool OnlyTypeable(std::u16string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return false;
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (!PairAt(text, i)) return false;
            ++i;
        }
    }
    return true;
}
