#pragma once
// Win32 runtime: the fonts of the program's windows, chosen once for each DPI by what the
// system really realizes.
#include "win32/Handles.h"

// The fonts of a form: the dialog font, 8.25 pt with the Central European letters, in bold,
// and at the same size for the password box, in a face that draws every character it holds.
enum class FontKind { Dialog, Bold, Password };

UniqueFont MakeFont(FontKind kind, int dpi);
