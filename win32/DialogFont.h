#pragma once
// Win32 runtime: the dialog font of the program's windows, chosen once by what the system
// really realizes.
#include "win32/Handles.h"

// The dialog font, 8.25 pt with the Central European letters, at the given weight.
UniqueFont MakeDialogFont(int weight);
