#pragma once
// The program's windows: Module1, the code module the windows share.
#include <windows.h>

// Gives the control the thin sunken static edge as its border.
void NastavOkraj(HWND handle);
