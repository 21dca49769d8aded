// Win32 runtime: lengths from twips at a window's DPI, system metrics at that DPI, and the
// program icon.
#include "win32/Graphics.h"

#include <algorithm>

#include "win32/SystemLibrary.h"

namespace {

struct {
    int dpi;
    RECT monitor;
    int monitorDpi;
} pretended{};

}  // namespace

int ScreenDpi()
{
    static const int dpi = [] {
        WindowDC screen(nullptr);
        int value = GetDeviceCaps(screen.get(), LOGPIXELSY);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int WindowDpi(HWND hwnd)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = LoadedFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (pretended.dpi) {
        RECT box{};
        GetWindowRect(hwnd, &box);
        POINT centre{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
        return PtInRect(&pretended.monitor, centre) ? pretended.monitorDpi : pretended.dpi;
    }
    UINT dpi = getDpiForWindow ? getDpiForWindow(hwnd) : 0;
    return dpi ? SaneDpi(int(dpi)) : ScreenDpi();
}

void PretendWindowDpi(int dpi, RECT monitor, int monitorDpi) { pretended = {dpi, monitor, monitorDpi}; }

int SaneDpi(int dpi) { return std::clamp(dpi, 72, 480); }

int MetricForDpi(int index, int dpi)
{
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto forDpi = LoadedFunction<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
    return forDpi ? forDpi(index, UINT(dpi)) : MulDiv(GetSystemMetrics(index), dpi, ScreenDpi());
}

RECT FrameForDpi(HWND hwnd, SIZE client, int dpi)
{
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = LoadedFunction<AdjustForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
    RECT frame{0, 0, client.cx, client.cy};
    DWORD style = GetWindowLongW(hwnd, GWL_STYLE), exStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
    if (!adjustForDpi || !adjustForDpi(&frame, style, FALSE, exStyle, UINT(dpi)))
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return frame;
}

void TakeOverDpiScaling(HWND dialog)
{
    using SetBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
    static const auto setBehavior = LoadedFunction<SetBehaviorFn>(L"user32.dll", "SetDialogDpiChangeBehavior");
    constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL, Windows 10 1703 and later
    if (setBehavior) setBehavior(dialog, kDisableAll, kDisableAll);
}

UniqueIcon LoadProgramIcon(int size)
{
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0)));
}
