#pragma once
// The program's logic, portable: the main window's caption table in Czech (0) and English (1).
#include <array>
#include <cstdint>
#include <string_view>

// The table's entries, named after what they caption, in the order their captions are applied.
namespace Popisek {
enum : int16_t {
    Parameters,     // the frame
    Letters,        // check boxes and options in the frame, in tab order
    LowercaseOnly,
    UppercaseOnly,
    BothCases,
    Digits,
    Special,
    FirstLetter,
    LengthLabel,    // the label before the length boxes
    PasswordLabel,  // the label before the password box
    Generate,       // the three buttons
    Cancel,
    About,
};
}  // namespace Popisek

constexpr int16_t PocetPopisku = Popisek::About + 1;
constexpr int16_t PocetJazyku = 2;

// One text in each language, by language: a text left out for a language does not compile.
// The texts are the program's own constants, so they are referred to in place.
class InEveryLanguage {
public:
    InEveryLanguage() = default;
    template <class... Texts>
        requires(sizeof...(Texts) == PocetJazyku)
    constexpr InEveryLanguage(const Texts&... texts) : texts_{texts...}
    {
    }
    constexpr std::u16string_view operator[](int16_t language) const { return texts_.at(language); }

private:
    std::array<std::u16string_view, PocetJazyku> texts_{};
};

// Popisky[entry][language], language 0 Czech and 1 English.
using PopiskyTable = std::array<InEveryLanguage, PocetPopisku>;

// Fills every entry in both languages.
void Texty(PopiskyTable& popisky);

// The names screen readers give the password box and the minimum and maximum length boxes, by
// language. A text box is named after the label before it, which the maximum length lacks.
constexpr std::array<InEveryLanguage, 3> kTextBoxNames = {{
    {u"Heslo", u"Password"},
    {u"Nejmenší počet znaků", u"Minimum characters"},
    {u"Největší počet znaků", u"Maximum characters"},
}};

// After a click on language label `index`: the label to show next, wrapping to the
// lower bound past the upper one.
int16_t NextLanguageLabel(int16_t index, int16_t lbound, int16_t ubound);
