#include <gtest/gtest.h>

#include <set>

#include "portable/RuntimeError.h"
#include "texts/Popisky.h"

namespace {

// The access key of a caption: the letter after a single "&", lower-cased; 0 when none.
char16_t AccessKey(std::u16string_view caption)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i)
        if (caption[i] == u'&') {
            char16_t c = caption[i + 1];
            return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
        }
    return 0;
}

TEST(Popisky, EveryEntryHasBothLanguages)
{
    PopiskyTable popisky;
    Texty(popisky);
    for (const auto& entry : popisky) {
        EXPECT_FALSE(entry[0].empty());
        EXPECT_FALSE(entry[1].empty());
        EXPECT_NE(entry[0], entry[1]);
    }
}

TEST(Popisky, AccessKeysAreUniqueWithinALanguage)
{
    PopiskyTable popisky;
    Texty(popisky);
    for (int language = 0; language < PocetJazyku; ++language) {
        std::set<char16_t> seen;
        for (const auto& entry : popisky) {
            char16_t key = AccessKey(entry[language]);
            if (key) {
                EXPECT_TRUE(seen.insert(key).second) << "language " << language;
            }
        }
    }
}

TEST(Popisky, AccessKeysFollowTheLanguage)
{
    PopiskyTable popisky;
    Texty(popisky);
    struct Case {
        int entry;
        char16_t czech, english;
    } cases[] = {
        {1, u'p', u'c'},   // letters
        {5, u's', u'n'},   // digits
        {6, u'c', u's'},   // special characters
        {10, u'g', u'g'},  // Generate
        {11, 0, 0},        // Cancel has none
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AccessKey(popisky[c.entry][0]), c.czech) << c.entry;
        EXPECT_EQ(AccessKey(popisky[c.entry][1]), c.english) << c.entry;
    }
}

TEST(NextLanguageLabel, WrapsOverTheBounds)
{
    struct Case {
        int16_t index, lbound, ubound, next;
    } cases[] = {
        {0, 0, 1, 1}, {1, 0, 1, 0}, {0, 0, 2, 1}, {2, 0, 2, 0}, {5, 3, 5, 3}, {0, 0, 0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(NextLanguageLabel(c.index, c.lbound, c.ubound), c.next);
}

TEST(NextLanguageLabel, IndexAtTheTopOfTheRangeOverflows)
{
    try {
        NextLanguageLabel(32767, 0, 32767);
        FAIL() << "no overflow";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), errOverflow);
    }
}

}  // namespace
