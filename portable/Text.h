#pragma once
// Portable core: text and number services: 16-bit text, 1-based positions, checked integer arithmetic.
#include <cstdint>
#include <string>
#include <string_view>

// Value of the number at the start of the text; 0 when none starts it.
// Leading blanks, a sign, digits, one decimal point and an exponent are read.
// Raises overflow when the number does not fit a double.
double Val(std::u16string_view text);

// Floor of a double narrowed to 16 or 32 bits; overflow when out of range.
int16_t FloorToInt16(double value);
int32_t FloorToInt32(double value);

// Checked arithmetic: overflow when the result leaves the type's range.
int16_t Add16(int16_t a, int16_t b);
int16_t Sub16(int16_t a, int16_t b);
int32_t Add32(int32_t a, int32_t b);

// Whether the whole text is a number (after blanks); the empty text is not.
bool IsNumeric(std::u16string_view text);

// The unit at a 1-based position (empty past the end); the first unit (empty for an
// empty text).
std::u16string Mid1(std::u16string_view text, int32_t position);
std::u16string Left1(std::u16string_view text);

// Whether two texts are equal when A-Z are taken as a-z; other units must match exactly.
bool SameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

// Whether a surrogate pair, one character of two units, starts at index i.
bool PairAt(std::u16string_view text, size_t i);

// Decimal digits of a 16-bit integer, with a minus sign when negative.
std::u16string StrI2(int16_t value);
