// The program's windows: the code module with the edge-style routine.
#include "windows/Module1.h"

void NastavOkraj(HWND handle)
{
    constexpr UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOOWNERZORDER;
    static_assert(GWL_EXSTYLE == -20 && WS_EX_STATICEDGE == 0x20000 && flags == 0x227);
    // The results are deliberately not examined: after a failure the box keeps its old border.
    LONG style = GetWindowLongA(handle, GWL_EXSTYLE);
    SetWindowLongA(handle, GWL_EXSTYLE, style | WS_EX_STATICEDGE);
    SetWindowPos(handle, nullptr, 0, 0, 0, 0, flags);
}
