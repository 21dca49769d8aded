#include "generator/Generator.h"


#include "runtime/Text.h"

Znaky FixedZnaky()
{
    return {u"abcdefghijklmnopqrstuvwxyz", u"ABCDEFGHIJKLMNOPQRSTUVWXYZ", u"0123456789", u""};
}

std::u16string CandidateSet(const GeneratorInputs& in, const Znaky& znaky)
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

std::u16string GenerateAttempt(const GeneratorInputs& in, const Znaky& znaky, RandomSource& random,
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

    for (counter = 1; counter <= length; counter = Add32(counter, 1)) {
        random.Randomize();
        int32_t position = FloorToInt32(double{random.Rnd()} * Len(candidates) + 1);
        password += Mid1(candidates, position);
    }
    return password;
}

bool NeedsAnotherAttempt(const GeneratorInputs& in, const std::u16string& shownPassword)
{
    return in.firstLetterRule == 1 && in.firstLetterRuleEnabled && IsNumeric(Left1(shownPassword));
}
