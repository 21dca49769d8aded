// The program's windows: the entry point.
#include <windows.h>

#include <commctrl.h>

#include "win32/ErrorReport.h"
#include "win32/SystemLibrary.h"
#include "windows/frmGenerate.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // Before anything can load a DLL by a bare name: never from the exe's (download) folder.
    KeepDllSearchInSystemFolder();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // A failed load is reported and ends the program before any window shows; so does an
    // error that escapes the message loop, such as running out of memory.
    try {
        frmGenerate main;
        main.Show();
        return RunMessageLoop();
    } catch (...) {
        ReportErrorAndExit();
    }
}
