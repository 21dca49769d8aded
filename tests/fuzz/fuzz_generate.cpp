// One attempt of the generator with options, length texts, special characters and random
// values taken from the input: it raises nothing but overflow, and then only for lengths
// out of 16 bits; its password has a length in the range and holds only whole candidates.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "generator/Generator.h"
#include "portable/DecodeLine.h"
#include "portable/RuntimeError.h"
#include "tests/fuzz/Check.h"

namespace {

// Draws from the input's last bytes, three per value; 0 once they run out.
class ByteRandom final : public RandomSource {
public:
    explicit ByteRandom(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    float Rnd() override
    {
        uint32_t v = 0;
        for (int k = 0; k < 3; ++k) v = v << 8 | (next_ < bytes_.size() ? bytes_[next_++] : 0);
        return float(v) / 16777216.0f;
    }
    void Randomize() override {}

private:
    std::vector<uint8_t> bytes_;
    size_t next_ = 0;
};

std::vector<std::u16string> Characters(std::u16string_view text)
{
    std::vector<std::u16string> out;
    for (size_t i = 0; i < text.size(); ++i) {
        size_t units = PairAt(text, i) ? 2 : 1;
        out.emplace_back(text.substr(i, units));
        i += units - 1;
    }
    return out;
}

// The 16-bit floor of a length text, or nothing when it does not fit.
bool Length16(const std::u16string& text, double& value)
{
    try {
        value = std::floor(Val(text));
    } catch (const RuntimeError&) {
        return false;
    }
    return value >= -32768 && value <= 32767;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    GeneratorInputs in;
    in.letters = input.ConsumeIntegralInRange<int16_t>(0, 2);
    in.lowercaseOnly = input.ConsumeBool();
    in.uppercaseOnly = input.ConsumeBool();
    in.bothCases = input.ConsumeBool();
    in.digits = input.ConsumeIntegralInRange<int16_t>(0, 2);
    in.special = input.ConsumeIntegralInRange<int16_t>(0, 2);
    in.firstLetterRule = input.ConsumeIntegralInRange<int16_t>(0, 2);
    in.firstLetterRuleEnabled = input.ConsumeBool();
    std::string minimum = input.ConsumeRandomLengthString(8), maximum = input.ConsumeRandomLengthString(8);
    in.minimumText = Latin1(minimum);
    in.maximumText = Latin1(maximum);
    CharacterPools znaky = FixedZnaky();
    std::string special = input.ConsumeRandomLengthString(64);
    znaky.special = DecodeLine(special, TextEncoding(input.ConsumeIntegralInRange<int>(0, 3)), Latin1);
    ByteRandom random(input.ConsumeRemainingBytes<uint8_t>());

    double low = 0, high = 0;
    const bool fits = Length16(in.minimumText, low) && Length16(in.maximumText, high) && high - low + 1 >= -32768 &&
                      high - low + 1 <= 32767 && high - low >= -32768;
    int32_t counter = 0;
    std::u16string password;
    try {
        password = GenerateAttempt(in, znaky, random, counter);
    } catch (const RuntimeError& e) {
        Check(e.Number() == 6 && !fits, "overflow only for lengths or a span out of 16 bits");
        return 0;
    }
    Check(fits, "lengths and span out of 16 bits raise overflow");

    // Lengths lie in minimum..maximum; with the range reversed, in maximum + 1..minimum.
    if (high - low + 1 <= 0) {
        double top = low;
        low = high + 1;
        high = top;
    }
    const std::vector<std::u16string> drawn = Characters(password);
    const std::vector<std::u16string> candidates = Characters(CandidateSet(in, znaky));
    if (candidates.empty()) {
        Check(password.empty(), "no candidates, no characters");
    } else {
        Check(double(drawn.size()) >= std::max(low, 0.0) && double(drawn.size()) <= std::max(high, 0.0),
              "length in the range");
    }
    Check(OnlyTypeable(password), "only whole characters that can be typed");
    const std::set<std::u16string> allowed(candidates.begin(), candidates.end());
    for (const auto& c : drawn) Check(allowed.count(c) == 1, "only candidates drawn");

    const bool digitFirst = !password.empty() && password[0] >= u'0' && password[0] <= u'9';
    Check(NeedsAnotherAttempt(in, password) == (in.firstLetterRule == 1 && in.firstLetterRuleEnabled && digitFirst),
          "only a digit first asks for another attempt");
    return 0;
}
