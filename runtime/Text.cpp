#include "runtime/Text.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "runtime/RuntimeError.h"

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The longest number at the start of the text, as ASCII for from_chars.
struct Scanned {
    bool negative = false;
    bool hasDigits = false;
    std::string digits;           // mantissa digits with at most one '.', then "e" and exponent digits
    int64_t leadingExponent = 0;  // decimal exponent of the first non-zero digit, saturated
    bool allZero = true;
    size_t end = 0;               // index after the last character used
};

Scanned Scan(std::u16string_view text)
{
    Scanned s;
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        s.negative = text[i] == u'-';
        ++i;
    }
    int64_t integerDigits = 0, firstNonZero = -1, position = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        char16_t c = text[i];
        if (IsDigit(c)) {
            if (c != u'0' && firstNonZero < 0) firstNonZero = position;
            ++position;
            if (!point) ++integerDigits;
            s.digits.push_back(static_cast<char>(c));
            s.hasDigits = true;
        } else if (c == u'.' && !point) {
            point = true;
            s.digits.push_back('.');
        } else {
            break;
        }
    }
    if (!s.hasDigits) return s;
    s.end = i;
    int64_t exponent = 0;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        size_t j = i + 1;
        bool negativeExponent = false;
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) negativeExponent = text[j++] == u'-';
        if (j < text.size() && IsDigit(text[j])) {
            std::string expDigits;
            for (; j < text.size() && IsDigit(text[j]); ++j) {
                expDigits.push_back(static_cast<char>(text[j]));
                if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[j] - u'0');
            }
            if (negativeExponent) exponent = -exponent;
            s.digits += negativeExponent ? "e-" : "e";
            s.digits += expDigits;
            s.end = j;
        }
    }
    if (firstNonZero >= 0) {
        s.allZero = false;
        s.leadingExponent = integerDigits - 1 - firstNonZero + exponent;
    }
    return s;
}

[[noreturn]] void Overflow() { throw RuntimeError(errOverflow); }

}  // namespace

double Val(std::u16string_view text)
{
    Scanned s = Scan(text);
    if (!s.hasDigits || s.allZero) return 0.0;
    // Out of a double's range: too large is an overflow, too small rounds to zero.
    // strtod is given only what Scan accepted, so the C locale's "." is the only point.
    if (s.leadingExponent > 308) Overflow();
    if (s.leadingExponent < -330) return 0.0;
    double value = std::strtod(s.digits.c_str(), nullptr);
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

int16_t Add16(int16_t a, int16_t b)
{
    int32_t r = int32_t{a} + b;
    if (r < std::numeric_limits<int16_t>::min() || r > std::numeric_limits<int16_t>::max()) Overflow();
    return static_cast<int16_t>(r);
}

int16_t Sub16(int16_t a, int16_t b)
{
    int32_t r = int32_t{a} - b;
    if (r < std::numeric_limits<int16_t>::min() || r > std::numeric_limits<int16_t>::max()) Overflow();
    return static_cast<int16_t>(r);
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

int32_t Len(std::u16string_view text) { return static_cast<int32_t>(text.size()); }

std::u16string Mid1(std::u16string_view text, int32_t position)
{
    if (position < 1 || static_cast<size_t>(position) > text.size()) return {};
    return std::u16string(1, text[position - 1]);
}

std::u16string Left1(std::u16string_view text) { return Mid1(text, 1); }

std::u16string StrI2(int16_t value)
{
    std::u16string out;
    int32_t v = value;
    bool negative = v < 0;
    if (negative) v = -v;
    do {
        out.insert(out.begin(), static_cast<char16_t>(u'0' + v % 10));
        v /= 10;
    } while (v != 0);
    if (negative) out.insert(out.begin(), u'-');
    return out;
}

std::string_view FirstLine(std::string_view bytes)
{
    size_t end = bytes.find_first_of("\r\n");
    return end == std::string_view::npos ? bytes : bytes.substr(0, end);
}
