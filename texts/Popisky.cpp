#include "texts/Popisky.h"

#include "runtime/Text.h"

void Texty(PopiskyTable& popisky)
{
    popisky = {{
        {u"Parametry hesla", u"Parameters"},
        {u"Použít &písmena", u"&Characters"},
        {u"jen &malé", u"&lowercase"},
        {u"jen &velká", u"&UPPERCASE"},
        {u"malá &i velká", u"&both"},
        {u"Použít čí&sla", u"&Numbers"},
        {u"Použít spe&ciální znaky", u"&Special characters"},
        {u"Musí &začínat písmenem", u"Character &first"},
        {u"P&očet znaků hesla:", u"Characters in passw&ord:"},
        {u"&Heslo:", u"&Password:"},
        {u"&Generuj", u"&Generate"},
        {u"Storno", u"Cancel"},
        {u"O &aplikaci", u"&About"},
    }};
}

int16_t NextLanguageLabel(int16_t index, int16_t lbound, int16_t ubound)
{
    int16_t next = Add16(index, 1);
    return next > ubound ? lbound : next;
}
