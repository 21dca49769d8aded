#pragma once
// Win32 runtime: lengths from twips at the system DPI, and the program icon.
#include <windows.h>

#include "win32/Handles.h"

// The system DPI, read once.
int ScreenDpi();

// Pixels at the system DPI for a length in twips (1440 to the inch).
int PixelsFromTwips(int twips);

// The program icon (group 1) at the given size in pixels.
UniqueIcon LoadProgramIcon(int size);
