// Portable core: numbers from text, checked arithmetic, 1-based text positions, ASCII-caseless equality.
#include "portable/Text.h"

#include <charconv>

#include <cmath>
#include <cstdlib>

#include "portable/RuntimeError.h"

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The longest number at the start of the text, reduced to its significant digits.
struct Scanned {
    bool negative = false;
    bool hasDigits = false;
    std::string significant;      // from the first non-zero digit, at most kMaxSignificant
    bool sticky = false;          // a non-zero digit was dropped past kMaxSignificant
    int64_t leadingExponent = 0;  // decimal exponent of the first non-zero digit, saturated
    size_t end = 0;               // index after the last character used
};

// More digits than any double needs to be rounded correctly (767).
constexpr size_t kMaxSignificant = 800;
constexpr int64_t kExponentLimit = 1'000'000'000;

// The exponent at `end`: e, E, d or D, an optional sign and digits, the value saturated near
// kExponentLimit. Without digits there is none: 0, and `end` stays where it was.
int64_t ScanExponent(std::u16string_view text, size_t& end)
{
    size_t i = end;
    if (i >= text.size() || !(text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) return 0;
    ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    if (i >= text.size() || !IsDigit(text[i])) return 0;
    int64_t exponent = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        if (exponent < kExponentLimit) exponent = exponent * 10 + (text[i] - u'0');
    end = i;
    return negative ? -exponent : exponent;
}

Scanned Scan(std::u16string_view text)
{
    Scanned s;
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        s.negative = text[i] == u'-';
        ++i;
    }
    int64_t integerDigits = 0, leadingZeros = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        char16_t c = text[i];
        if (IsDigit(c)) {
            s.hasDigits = true;
            if (!point) ++integerDigits;
            if (s.significant.empty() && c == u'0')
                ++leadingZeros;
            else if (s.significant.size() < kMaxSignificant)
                s.significant.push_back(static_cast<char>(c));
            else if (c != u'0')
                s.sticky = true;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!s.hasDigits) return s;
    s.end = i;
    s.leadingExponent = integerDigits - 1 - leadingZeros + ScanExponent(text, s.end);
    return s;
}

[[noreturn]] void Overflow() { throw RuntimeError(errOverflow); }

}  // namespace

double Val(std::u16string_view text)
{
    Scanned s = Scan(text);
    if (s.significant.empty()) return 0.0;
    // Out of a double's range: too large is an overflow, too small rounds to zero.
    if (s.leadingExponent > 308) Overflow();
    if (s.leadingExponent < -330) return 0.0;
    // "0.<digits>e<exponent>": short whatever the text's length; the C locale's "." is the point.
    std::string normal = "0." + s.significant + (s.sticky ? "1" : "") + "e" + std::to_string(s.leadingExponent + 1);
    double value = std::strtod(normal.c_str(), nullptr);
    if (std::isinf(value)) Overflow();
    return s.negative ? -value : value;
}

int16_t FloorToInt16(double value)
{
    double f = std::floor(value);
    if (!(f >= -32768.0 && f <= 32767.0)) Overflow();
    return static_cast<int16_t>(f);
}

int32_t FloorToInt32(double value)
{
    double f = std::floor(value);
    if (!(f >= -2147483648.0 && f <= 2147483647.0)) Overflow();
    return static_cast<int32_t>(f);
}

// The builtins compute the exact result and report whether it fits the result's type.
int16_t Add16(int16_t a, int16_t b)
{
    int16_t r;
    if (__builtin_add_overflow(a, b, &r)) Overflow();
    return r;
}

int16_t Sub16(int16_t a, int16_t b)
{
    int16_t r;
    if (__builtin_sub_overflow(a, b, &r)) Overflow();
    return r;
}

int32_t Add32(int32_t a, int32_t b)
{
    int32_t r;
    if (__builtin_add_overflow(a, b, &r)) Overflow();
    return r;
}

bool IsNumeric(std::u16string_view text)
{
    Scanned s = Scan(text);
    if (!s.hasDigits) return false;
    size_t i = s.end;
    while (i < text.size() && IsBlank(text[i])) ++i;
    return i == text.size();
}

std::u16string Mid1(std::u16string_view text, int32_t position)
{
    if (position < 1 || static_cast<size_t>(position) > text.size()) return {};
    return std::u16string(1, text[position - 1]);
}

std::u16string Left1(std::u16string_view text) { return Mid1(text, 1); }

bool SameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b)
{
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; };
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool PairAt(std::u16string_view text, size_t i)
{
    return i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF && text[i + 1] >= 0xDC00 &&
           text[i + 1] <= 0xDFFF;
}

std::u16string StrI2(int16_t value)
{
    char digits[8];
    char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::u16string(digits, end);
}
