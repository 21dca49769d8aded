#pragma once
// The program's logic, portable: the password generator, over what the main window's controls hold.
#include <cstdint>
#include <string>

#include "portable/Random.h"

// The character pools (the main window keeps them as `Znaky`), in the order the candidate set
// is built from them.
struct CharacterPools {
    std::u16string lowercase;
    std::u16string uppercase;
    std::u16string digits;
    std::u16string special;
};

// The fixed pools with an empty special pool.
CharacterPools FixedZnaky();

// What one attempt reads from the controls. Check values: 0 clear, 1 checked, 2 greyed.
struct GeneratorInputs {
    std::u16string minimumText;
    std::u16string maximumText;
    int16_t letters = 0;
    bool lowercaseOnly = false;
    bool uppercaseOnly = false;
    bool bothCases = false;
    int16_t digits = 0;
    int16_t special = 0;
    int16_t firstLetterRule = 0;
    bool firstLetterRuleEnabled = false;
};

// Candidate set: chosen letters, then digits, then special characters.
std::u16string CandidateSet(const GeneratorInputs& in, const CharacterPools& znaky);

// One attempt: draws the length and the characters, re-seeding before each character.
// Characters are whole: a surrogate pair of the candidate set is drawn as one and appended whole.
// `counter` is the caller's loop counter field. Raises overflow before drawing anything
// when a length text or the span does not fit 16 bits.
std::u16string GenerateAttempt(const GeneratorInputs& in, const CharacterPools& znaky, RandomSource& random,
                               int32_t& counter);

// After an attempt: whether the first-character rule asks for another one.
bool NeedsAnotherAttempt(const GeneratorInputs& in, const std::u16string& shownPassword);
