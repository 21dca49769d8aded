#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "generator/Generator.h"
#include "portable/Random.h"
#include "tests/unit/TestHelpers.h"

namespace {

// Largest single-precision value below 1.
const float kMaxR = std::nextafter(1.0f, 0.0f);

// Hands out scripted values, then `rest` for ever; logs 'n' per draw and 'R' per re-seed.
class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(std::vector<float> script, float rest = 0.0f)
        : script_(script.begin(), script.end()), rest_(rest) {}

    float Rnd() override
    {
        log += 'n';
        if (script_.empty()) return rest_;
        float r = script_.front();
        script_.pop_front();
        return r;
    }
    void Randomize() override { log += 'R'; }
    int Reseeds() const { return int(std::count(log.begin(), log.end(), 'R')); }

    std::string log;

private:
    std::deque<float> script_;
    float rest_;
};

GeneratorInputs Lengths(std::u16string minimum, std::u16string maximum)
{
    GeneratorInputs in;
    in.minimumText = std::move(minimum);
    in.maximumText = std::move(maximum);
    in.digits = 1;
    return in;
}

// The letter, case, digit and special-character options, as the form's check boxes give them.
struct Options {
    int16_t letters;
    bool lowerOnly, upperOnly, both;
    int16_t digits, special;
};

const Options kEverything = {1, false, false, true, 1, 1};
const Options kOnlySpecial = {0, false, false, false, 0, 1};

// The options with a fixed length.
GeneratorInputs With(const Options& o, std::u16string length = u"1")
{
    GeneratorInputs in = Lengths(length, length);
    in.letters = o.letters;
    in.lowercaseOnly = o.lowerOnly;
    in.uppercaseOnly = o.upperOnly;
    in.bothCases = o.both;
    in.digits = o.digits;
    in.special = o.special;
    return in;
}

CharacterPools WithSpecial(std::u16string special)
{
    CharacterPools z = FixedZnaky();
    z.special = std::move(special);
    return z;
}

std::u16string Generate(const GeneratorInputs& in, const CharacterPools& z, RandomSource& random)
{
    int32_t counter = 0;
    return GenerateAttempt(in, z, random, counter);
}

}  // namespace

TEST(Generator, FixedPoolsAreTheAsciiLettersAndDigits)
{
    CharacterPools z = FixedZnaky();
    std::u16string lower, upper, digits;
    for (char16_t c = u'a'; c <= u'z'; ++c) lower += c;
    for (char16_t c = u'A'; c <= u'Z'; ++c) upper += c;
    for (char16_t c = u'0'; c <= u'9'; ++c) digits += c;
    EXPECT_EQ(z.lowercase, lower);
    EXPECT_EQ(z.uppercase, upper);
    EXPECT_EQ(z.digits, digits);
    EXPECT_EQ(z.special, u"");
}

TEST(Generator, LengthIsDrawnFromTheRange)
{
    struct Case {
        std::u16string minimum, maximum;
        float r;
        int expected;  // a length of zero or less gives an empty password
    } cases[] = {
        {u"6", u"10", 0.0f, 6},
        {u"6", u"10", 0.5f, 8},
        {u"6", u"10", 0.999999f, 10},
        {u"6", u"10", kMaxR, 10},
        {u"7", u"7", 0.0f, 7},
        {u"7", u"7", kMaxR, 7},
        // Minimum above maximum: span -3, length floor(10 - 3r).
        {u"10", u"6", 0.0f, 10},
        {u"10", u"6", 1e-7f, 9},
        {u"10", u"6", 0.33333331f, 9},
        {u"10", u"6", 0.33333334f, 8},
        {u"10", u"6", 0.66666663f, 8},
        {u"10", u"6", 0.66666669f, 7},
        {u"10", u"6", kMaxR, 7},
        {u"7", u"6", 0.0f, 7},
        {u"7", u"6", 0.5f, 7},
        {u"7", u"6", kMaxR, 7},
        // Texts are read as numbers from their start, then floored.
        {u"6.9", u"6.9", 0.5f, 6},
        {u"12abc", u"12", kMaxR, 12},
        {u" 3", u"3.99", 0.0f, 3},
        {u"", u"", kMaxR, 0},
        {u"abc", u"xyz", 0.5f, 0},
        {u"", u"4", kMaxR, 4},
        {u"-2.5", u"3", 0.0f, -3},
        {u"-5", u"-3", kMaxR, -3},
        {u"1", u"32767", 0.0f, 1},
        {u"1", u"32767", kMaxR, 32767},
        {u"-32768", u"-32768", 0.5f, -32768},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.minimum) + ".." + Narrow(c.maximum) + " r=" + std::to_string(c.r));
        ScriptedRandom random({c.r});
        std::u16string password = Generate(Lengths(c.minimum, c.maximum), FixedZnaky(), random);
        size_t length = c.expected > 0 ? size_t(c.expected) : 0;
        EXPECT_EQ(password.size(), length);
        // No re-seed before the length; one before each character.
        std::string log = "n";
        for (size_t i = 0; i < length; ++i) log += "Rn";
        EXPECT_EQ(random.log, log);
    }
}

// Start, Generate, close: the first length of each start comes from the system's random
// bytes, so starts with other bytes draw other lengths, whatever the clock says.
TEST(Generator, FirstLengthOfAStartComesFromTheSystemSource)
{
    auto firstLength = [](uint64_t osBytes, uint64_t clock) {
        Random random([clock] { return clock; }, [gen = std::mt19937_64(osBytes)](uint8_t* out, size_t size) mutable {
            for (size_t i = 0; i < size; ++i) out[i] = uint8_t(gen());
        });
        return Generate(Lengths(u"1", u"1000"), FixedZnaky(), random).size();
    };
    std::set<size_t> lengths;
    for (uint64_t start = 1; start <= 8; ++start) {
        lengths.insert(firstLength(start, 42));
        EXPECT_EQ(firstLength(start, 42), firstLength(start, 7)) << "start " << start;
    }
    EXPECT_GE(lengths.size(), 6u) << "the first length barely depends on the system's bytes";
}

TEST(Generator, RangeOutside16BitsIsOverflowBeforeAnyCharacter)
{
    struct Case {
        std::u16string minimum, maximum;
    } cases[] = {
        {u"0", u"32767"},     {u"-1", u"32767"},  {u"-32768", u"32767"}, {u"32767", u"-32768"},
        {u"5", u"-32768"},    {u"32768", u"1"},   {u"1", u"40000"},      {u"-32769", u"0"},
        {u"1e400", u"1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.minimum) + ".." + Narrow(c.maximum));
        ScriptedRandom random({0.5f});
        EXPECT_EQ(ErrorOf([&] { Generate(Lengths(c.minimum, c.maximum), FixedZnaky(), random); }), 6);
        EXPECT_EQ(random.Reseeds(), 0);
    }
}

TEST(Generator, CandidateSetFollowsTheOptions)
{
    const CharacterPools z = WithSpecial(u"!#%");
    const std::u16string lower = z.lowercase, upper = z.uppercase, digits = z.digits, special = z.special;
    struct Case {
        Options options;
        std::u16string expected;
    } cases[] = {
        {{1, true, false, false, 0, 0}, lower},
        {{1, false, true, false, 0, 0}, upper},
        {{1, false, false, true, 0, 0}, lower + upper},
        {{1, false, false, true, 1, 0}, lower + upper + digits},
        {{1, true, false, false, 1, 1}, lower + digits + special},
        {{1, false, true, false, 0, 1}, upper + special},
        {{0, false, false, false, 1, 1}, digits + special},
        {{0, true, false, false, 0, 1}, special},
        {{1, false, false, false, 1, 1}, digits + special},  // letters with no case chosen
        {{1, false, false, false, 0, 0}, u""},
        {{2, true, false, false, 1, 0}, digits},             // greyed counts as clear
        {{1, true, false, false, 2, 2}, lower},
        {{0, false, false, true, 0, 0}, u""},
        {{1, true, true, true, 0, 0}, lower},                // first true case option wins
        {{1, false, true, true, 0, 0}, upper},
    };
    for (const auto& c : cases) EXPECT_EQ(CandidateSet(With(c.options), z), c.expected) << Narrow(c.expected);
}

TEST(Generator, EmptyCandidateSetGivesAnEmptyPasswordOfAnyLength)
{
    ScriptedRandom random({0.0f}, 0.5f);
    EXPECT_EQ(Generate(With({0, false, false, false, 0, 0}, u"5"), FixedZnaky(), random), u"");
    EXPECT_EQ(random.Reseeds(), 5);
}

TEST(Generator, PositionIsFloorOfRTimesNPlusOne)
{
    // For every position k of candidate sets of several sizes, the smallest and the largest
    // r of its bucket [(k-1)/n, k/n) pick exactly the k-th character.
    struct Case {
        GeneratorInputs in;
        std::u16string special;
    } cases[] = {{With(kEverything), u"!#%"},
                 {Lengths(u"1", u"1"), u""},
                 {With(kOnlySpecial), u"a a"},
                 {With(kOnlySpecial), u"x"}};

    for (const auto& c : cases) {
        const CharacterPools z = WithSpecial(c.special);
        const std::u16string set = CandidateSet(c.in, z);
        const double n = double(set.size());
        for (size_t k = 1; k <= set.size(); ++k) {
            float low = float((k - 1) / n);
            while (double(low) * n < double(k - 1)) low = std::nextafter(low, 1.0f);
            while (low > 0 && double(std::nextafter(low, 0.0f)) * n >= double(k - 1))
                low = std::nextafter(low, 0.0f);
            float high = k == set.size() ? kMaxR : float(k / n);
            while (double(high) * n >= double(k)) high = std::nextafter(high, 0.0f);
            while (k < set.size() && double(std::nextafter(high, 1.0f)) * n < double(k))
                high = std::nextafter(high, 1.0f);
            for (float r : {low, high}) {
                ScriptedRandom random({0.0f, r});
                EXPECT_EQ(Generate(c.in, z, random), set.substr(k - 1, 1))
                    << "n=" << set.size() << " k=" << k << " r=" << r;
            }
        }
    }
}

TEST(Generator, SurrogatePairIsOneWholeCandidate)
{
    // "😀!𝄞x": four characters in six units; r picks character floor(4r + 1).
    const GeneratorInputs in = With(kOnlySpecial, u"3");
    const CharacterPools z = WithSpecial(u"😀!𝄞x");
    struct Case {
        std::vector<float> r;
        std::u16string password;
    } cases[] = {
        {{0.0f, 0.0f, 0.0f}, u"😀😀😀"},
        {{0.25f, 0.5f, 0.75f}, u"!𝄞x"},
        {{0.2499999f, 0.4999999f, kMaxR}, u"😀!x"},
        {{0.75f, 0.7499999f, 0.5f}, u"x𝄞𝄞"},
    };
    for (const auto& c : cases) {
        ScriptedRandom random({0.0f, c.r[0], c.r[1], c.r[2]});
        EXPECT_EQ(Generate(in, z, random), c.password) << c.r[0] << " " << c.r[1] << " " << c.r[2];
    }
}

TEST(Generator, EveryCandidateAppearsAndNothingElse)
{
    const Options cases[] = {
        kEverything,
        {1, true, false, false, 0, 0},
        {1, false, true, false, 1, 0},
        {0, true, false, false, 1, 1},
        {2, false, false, true, 0, 1},
    };
    const CharacterPools z = WithSpecial(u"!#%");
    for (const Options& options : cases) {
        const GeneratorInputs in = With(options, u"8000");
        const std::u16string set = CandidateSet(in, z);
        SCOPED_TRACE(Narrow(set));

        const std::u16string password = Generate(in, z, ProcessRandom());
        ASSERT_EQ(password.size(), 8000u);
        std::map<char16_t, int> counts;
        for (char16_t ch : password) ++counts[ch];
        // With at most 65 candidates each is expected over 120 times: a missing one is a fault.
        for (char16_t ch : set) EXPECT_GT(counts[ch], 0) << "never drawn: " << char(ch);
        for (const auto& [ch, count] : counts)
            EXPECT_NE(set.find(ch), std::u16string::npos) << "not a candidate: " << int(ch);
    }
}

// Chi-square over the distinct candidates, each expected as often as it stands in the set.
// Over the 65 of letters, digits and "!#%" (64 degrees of freedom), 170 is exceeded by chance
// with probability about 1.5e-11, while a skew of a few percent on one character is not. In
// "a a", 'a' has two positions of three: with one degree of freedom 35 is exceeded with
// probability about 3e-9, and drawing the two characters equally often would give about 3750.
TEST(Generator, DrawsAreUniformOverPositions)
{
    struct Case {
        Options options;
        std::u16string special;
        size_t size, distinct;
        double limit;
    } cases[] = {{kEverything, u"!#%", 65, 65, 170.0}, {kOnlySpecial, u"a a", 3, 2, 35.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.special));
        const GeneratorInputs in = With(c.options, u"30000");
        const CharacterPools z = WithSpecial(c.special);
        const std::u16string set = CandidateSet(in, z);
        ASSERT_EQ(set.size(), c.size);
        std::map<char16_t, double> expected;
        for (char16_t ch : set) expected[ch] += 30000.0 / double(set.size());
        ASSERT_EQ(expected.size(), c.distinct);

        const std::u16string password = Generate(in, z, ProcessRandom());
        ASSERT_EQ(password.size(), 30000u);
        std::map<char16_t, int> counts;
        for (char16_t ch : password) ++counts[ch];
        for (const auto& [ch, count] : counts) EXPECT_TRUE(expected.contains(ch)) << "not a candidate: " << int(ch);
        double chi2 = 0;
        for (const auto& [ch, e] : expected) chi2 += (counts[ch] - e) * (counts[ch] - e) / e;
        EXPECT_LT(chi2, c.limit) << "'" << char(set[0]) << "' drawn " << counts[set[0]] << " times";
    }
}

TEST(Generator, FirstCharacterRuleAsksForAnotherAttempt)
{
    struct Case {
        int16_t rule;
        bool enabled;
        std::u16string shown;
        bool again;
    } cases[] = {
        {1, true, u"5abc", true},  {1, true, u"0", true},     {1, true, u"9!", true},
        {1, true, u"a1", false},   {1, true, u"Z9", false},   {1, true, u"#1", false},
        {1, true, u" 1", false},   {1, true, u".5", false},   {1, true, u"-5", false},
        {1, true, u"", false},     {1, false, u"5", false},   {2, true, u"5", false},
        {0, true, u"5", false},    {2, false, u"5", false},
    };
    for (const auto& c : cases) {
        GeneratorInputs in;
        in.firstLetterRule = c.rule;
        in.firstLetterRuleEnabled = c.enabled;
        EXPECT_EQ(NeedsAnotherAttempt(in, c.shown), c.again)
            << c.rule << " " << c.enabled << " '" << Narrow(c.shown) << "'";
    }
}
