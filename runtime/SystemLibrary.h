#pragma once
// DLLs that Windows does not always take from its system folder are loaded at run time,
// from that folder only, so a DLL planted beside the portable exe never runs.
#include <windows.h>

// The named DLL (e.g. L"bcrypt.dll") from the system folder; null when it cannot be loaded.
// The module stays loaded for the rest of the process.
HMODULE LoadSystemLibrary(const wchar_t* name);
