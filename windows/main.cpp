#include <windows.h>

#include <commctrl.h>

#include "windows/frmGenerate.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // The start-up window: a failed load is reported and ends the program before any window shows.
    frmGenerate main;
    try {
        main.Show();
    } catch (const RuntimeError& error) {
        ReportError(error);
        return error.Number();
    }
    return RunMessageLoop();
}
