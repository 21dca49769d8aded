#pragma once
// Win32 runtime: the fonts of the program's windows, chosen once by what the system really
// realizes.
#include "win32/Handles.h"

// The dialog font, 8.25 pt with the Central European letters, at the given weight.
UniqueFont MakeDialogFont(int weight);

// The same size for the password box, in a face that draws every character it holds.
UniqueFont MakePasswordFont();
