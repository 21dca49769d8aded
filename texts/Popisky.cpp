// The program's logic, portable: the caption table and the language switch.
#include "texts/Popisky.h"

#include "portable/Text.h"

void Texty(PopiskyTable& popisky)
{
    popisky[Popisek::Parameters] = {u"Parametry hesla", u"Parameters"};
    popisky[Popisek::Letters] = {u"Použít &písmena", u"&Characters"};
    popisky[Popisek::LowercaseOnly] = {u"jen &malé", u"&lowercase"};
    popisky[Popisek::UppercaseOnly] = {u"jen &velká", u"&UPPERCASE"};
    popisky[Popisek::BothCases] = {u"malá &i velká", u"&both"};
    popisky[Popisek::Digits] = {u"Použít čí&sla", u"&Numbers"};
    popisky[Popisek::Special] = {u"Použít spe&ciální znaky", u"&Special characters"};
    popisky[Popisek::FirstLetter] = {u"Musí &začínat písmenem", u"Character &first"};
    popisky[Popisek::LengthLabel] = {u"P&očet znaků hesla:", u"Characters in passw&ord:"};
    popisky[Popisek::PasswordLabel] = {u"&Heslo:", u"&Password:"};
    popisky[Popisek::Generate] = {u"&Generuj", u"&Generate"};
    popisky[Popisek::Cancel] = {u"Storno", u"Cancel"};
    popisky[Popisek::About] = {u"O &aplikaci", u"&About"};
}

int16_t NextLanguageLabel(int16_t index, int16_t lbound, int16_t ubound)
{
    int16_t next = Add16(index, 1);
    return next > ubound ? lbound : next;
}
