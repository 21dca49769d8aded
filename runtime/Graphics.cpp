#include "runtime/Graphics.h"

int ScreenDpi()
{
    static const int dpi = [] {
        HDC dc = GetDC(nullptr);
        int value = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int Twips(int twips) { return MulDiv(twips, ScreenDpi(), 1440); }

UniqueIcon LoadProgramIcon(int size)
{
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0)));
}

UniqueFont MakeDialogFont(int weight)
{
    // MS Sans Serif 8.25 pt, Central European; the font mapper substitutes a
    // sans-serif dialog font where it is missing.
    return UniqueFont(CreateFontW(-MulDiv(825, ScreenDpi(), 7200), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                                  EASTEUROPE_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif"));
}
