#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string_view>

#include "tests/unit/TestHelpers.h"
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

TEST(Popisky, EveryEntryInBothLanguages)
{
    struct Case {
        int16_t entry;
        std::u16string_view czech, english;
    } cases[] = {
        {Popisek::Parameters, u"Parametry hesla", u"Parameters"},
        {Popisek::Letters, u"Použít &písmena", u"&Characters"},
        {Popisek::LowercaseOnly, u"jen &malé", u"&lowercase"},
        {Popisek::UppercaseOnly, u"jen &velká", u"&UPPERCASE"},
        {Popisek::BothCases, u"malá &i velká", u"&both"},
        {Popisek::Digits, u"Použít čí&sla", u"&Numbers"},
        {Popisek::Special, u"Použít spe&ciální znaky", u"&Special characters"},
        {Popisek::FirstLetter, u"Musí &začínat písmenem", u"Character &first"},
        {Popisek::LengthLabel, u"P&očet znaků hesla:", u"Characters in passw&ord:"},
        {Popisek::PasswordLabel, u"&Heslo:", u"&Password:"},
        {Popisek::Generate, u"&Generuj", u"&Generate"},
        {Popisek::Cancel, u"Storno", u"Cancel"},
        {Popisek::About, u"O &aplikaci", u"&About"},
    };
    // Every entry once, in the table's order.
    static_assert(std::size(cases) == PocetPopisku);
    for (int16_t i = 0; i < PocetPopisku; ++i) ASSERT_EQ(cases[i].entry, i);
    PopiskyTable popisky;
    Texty(popisky);
    for (const Case& c : cases) {
        EXPECT_EQ(popisky[c.entry][0], c.czech) << c.entry;
        EXPECT_EQ(popisky[c.entry][1], c.english) << c.entry;
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
    EXPECT_EQ(ErrorOf([] { NextLanguageLabel(32767, 0, 32767); }), 6);
}

}  // namespace
