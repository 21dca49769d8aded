#pragma once
#include <windows.h>

// Gives the control the thin sunken static edge as its border.
void NastavOkraj(HWND handle);
