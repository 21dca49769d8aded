// Number from text, floor and narrowing: any text either gives a finite number or raises
// overflow (6), and narrowing is the exact floor or overflow.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "portable/RuntimeError.h"
#include "portable/Text.h"
#include "tests/fuzz/Check.h"

namespace {

// The value of Val, or NaN when it raised overflow.
double ValOrOverflow(const std::u16string& text)
{
    try {
        double value = Val(text);
        Check(std::isfinite(value), "Val gives a finite number");
        return value;
    } catch (const RuntimeError& e) {
        Check(e.Number() == 6, "Val raises only overflow");
        return NAN;
    }
}

template <class Int, class Narrow>
void CheckFloor(double value, double low, double high, Narrow narrow)
{
    double f = std::floor(value);
    bool fits = f >= low && f <= high;
    try {
        Int n = narrow(value);
        Check(fits, "narrowing accepts only values in range");
        Check(double(n) == f, "narrowing gives the floor");
    } catch (const RuntimeError& e) {
        Check(!fits && e.Number() == 6, "narrowing raises overflow only out of range");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Each byte one character: digits, signs, points and exponents are easy to reach.
    std::u16string text(data, data + size);
    double value = ValOrOverflow(text);

    // Leading blanks are skipped; a minus sign before a text that starts with a digit negates it.
    double blank = ValOrOverflow(u" \t" + text);
    Check(std::isnan(value) ? std::isnan(blank) : blank == value, "leading blanks change nothing");
    if (!text.empty() && text[0] >= u'0' && text[0] <= u'9') {
        double negated = ValOrOverflow(u"-" + text);
        Check(std::isnan(value) ? std::isnan(negated) : negated == -value, "a minus sign negates");
    }
    bool numeric = IsNumeric(text);
    Check(!numeric || text.find_first_of(u"0123456789") != std::u16string::npos, "a numeric text holds a digit");
    Check(IsNumeric(u" " + text + u" ") == numeric, "blanks around a number change nothing");

    // Narrowing the parsed value, and any double at all (NaN and infinities included).
    std::vector<double> values;
    if (!std::isnan(value)) values.push_back(value);
    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        values.push_back(raw);
    }
    for (double v : values) {
        CheckFloor<int16_t>(v, -32768.0, 32767.0, FloorToInt16);
        CheckFloor<int32_t>(v, -2147483648.0, 2147483647.0, FloorToInt32);
    }
    return 0;
}
