#pragma once
// The main window's caption table in Czech (0) and English (1).
#include <array>
#include <cstdint>
#include <string_view>

constexpr int16_t PocetPopisku = 13;
constexpr int16_t PocetJazyku = 2;

// Popisky[entry][language]; entries in the order their captions are applied.
// The texts are the program's own constants, so the table refers to them in place.
using PopiskyTable = std::array<std::array<std::u16string_view, PocetJazyku>, PocetPopisku>;

// Fills every entry in both languages.
void Texty(PopiskyTable& popisky);

// After a click on language label `index`: the label to show next, wrapping to the
// lower bound past the upper one.
int16_t NextLanguageLabel(int16_t index, int16_t lbound, int16_t ubound);
