#pragma once
// Win32 runtime: lengths from twips at a window's DPI, system metrics at that DPI, and the
// program icon.
#include <windows.h>

#include "win32/Handles.h"

// The system DPI, read once.
int ScreenDpi();

// The DPI of the monitor a window is on where Windows tells it (10 1607 and later), else the
// system DPI.
int WindowDpi(HWND hwnd);

// Makes every window report `dpi`, as if on such a monitor (0: the monitor's own again), so a
// form can be created at any DPI on a system with one monitor; a window whose centre lies in
// `monitor` reports `monitorDpi`, as if on a second monitor there.
void PretendWindowDpi(int dpi, RECT monitor = {}, int monitorDpi = 0);

// Windows 10 1703 asks a window for its size at a new DPI before moving it there; the headers
// give the message only to programs that require that Windows.
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

// A DPI from a system message, brought within what a monitor can have (72 to 480).
int SaneDpi(int dpi);

// Pixels at `dpi` for a length in twips (1440 to the inch).
inline int PixelsFromTwips(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

// A system metric (SM_CXICON, ...) at `dpi`.
int MetricForDpi(int index, int dpi);

// The window rectangle around a client area of the given size at `dpi`.
RECT FrameForDpi(HWND hwnd, SIZE client, int dpi);

// Keeps the dialog manager from scaling a dialog on a change of DPI: the form lays itself out.
void TakeOverDpiScaling(HWND dialog);

// The program icon (group 1) at the given size in pixels.
UniqueIcon LoadProgramIcon(int size);
