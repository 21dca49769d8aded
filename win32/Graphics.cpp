// Win32 runtime: lengths from twips at the system DPI, and the program icon.
#include "win32/Graphics.h"

int ScreenDpi()
{
    static const int dpi = [] {
        WindowDC screen(nullptr);
        int value = GetDeviceCaps(screen.get(), LOGPIXELSY);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int PixelsFromTwips(int twips) { return MulDiv(twips, ScreenDpi(), 1440); }

UniqueIcon LoadProgramIcon(int size)
{
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0)));
}
