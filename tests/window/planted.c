/* A DLL that does nothing: the window tests plant it beside zorkMIX.exe and ask the running
   program to load it by a bare name and by its full path. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
