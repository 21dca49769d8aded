// The program's logic, portable: the password generator.
#include "generator/Generator.h"

#include <vector>

#include "portable/Text.h"

namespace {

// The candidate set as whole characters: a surrogate pair is one character.
class Characters {
public:
    explicit Characters(std::u16string_view text) : text_(text)
    {
        size_t i = 0;
        while (i < text.size() && !PairAt(text, i)) ++i;
        if (i == text.size()) return;
        // Most sets hold no pair; only those that do need to know where characters start.
        for (i = 0; i < text.size(); i += PairAt(text, i) ? 2 : 1) starts_.push_back(i);
        starts_.push_back(text.size());
    }

    int32_t Count() const { return static_cast<int32_t>(starts_.empty() ? text_.size() : starts_.size() - 1); }

    // The character at a 1-based position; empty outside 1..Count().
    std::u16string_view At(int32_t position) const
    {
        if (position < 1 || position > Count()) return {};
        if (starts_.empty()) return text_.substr(position - 1, 1);
        return text_.substr(starts_[position - 1], starts_[position] - starts_[position - 1]);
    }

private:
    std::u16string_view text_;
    std::vector<size_t> starts_;  // where each character starts, then the end; empty without pairs
};

}  // namespace

CharacterPools FixedZnaky()
{
    return {u"abcdefghijklmnopqrstuvwxyz", u"ABCDEFGHIJKLMNOPQRSTUVWXYZ", u"0123456789", u""};
}

std::u16string CandidateSet(const GeneratorInputs& in, const CharacterPools& znaky)
{
    std::u16string set;
    if (in.letters == 1) {
        if (in.lowercaseOnly)
            set = znaky.lowercase;
        else if (in.uppercaseOnly)
            set = znaky.uppercase;
        else if (in.bothCases)
            set = znaky.lowercase + znaky.uppercase;
    }
    if (in.digits == 1) set += znaky.digits;
    if (in.special == 1) set += znaky.special;
    return set;
}

std::u16string GenerateAttempt(const GeneratorInputs& in, const CharacterPools& znaky, RandomSource& random,
                               int32_t& counter)
{
    int16_t minimum = FloorToInt16(Val(in.minimumText));
    int16_t maximum = FloorToInt16(Val(in.maximumText));
    std::u16string candidates = CandidateSet(in, znaky);
    std::u16string password;

    double r = random.Rnd();
    int16_t span = Add16(Sub16(maximum, minimum), 1);
    int16_t length = FloorToInt16(span * r + minimum);
    if (length > 0) password.reserve(length);

    const Characters characters(candidates);
    for (counter = 1; counter <= length; counter = Add32(counter, 1)) {
        random.Randomize();
        int32_t position = FloorToInt32(double{random.Rnd()} * characters.Count() + 1);
        password += characters.At(position);
    }
    return password;
}

bool NeedsAnotherAttempt(const GeneratorInputs& in, const std::u16string& shownPassword)
{
    return in.firstLetterRule == 1 && in.firstLetterRuleEnabled && IsNumeric(Left1(shownPassword));
}
