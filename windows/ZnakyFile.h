#pragma once
// The program's windows: the main window's load step, the pools filled from SpecChar.txt.
#include <string>

#include "generator/Generator.h"

// Fills the pools: the fixed ones, and the special pool from the first line of
// SpecChar.txt in `folder`. Errors of opening or reading leave as RuntimeError.
CharacterPools LoadZnakyFrom(const std::u16string& folder);

// The same from the folder of the exe (never the current folder).
CharacterPools LoadZnaky();
