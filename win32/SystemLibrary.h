#pragma once
// Win32 runtime: DLLs that Windows does not always take from its system folder are loaded at
// run time, from that folder only, so a DLL planted beside the portable exe never runs.
#include <windows.h>

#include <string>

// The program's first step: DLLs loaded later by a bare name, by the program or by Windows
// itself, come from the system folder only, never from the exe's folder.
void KeepDllSearchInSystemFolder();

// The named DLL (e.g. L"bcrypt.dll") from the system folder; null when it cannot be loaded.
// The module stays loaded for the rest of the process.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The full path of the named file in the system folder; empty when the folder is unknown.
std::wstring SystemFolderPath(const wchar_t* name);

// A function of a DLL the exe imports, and so has loaded (kernel32, user32), as the given
// function pointer type; null where this Windows lacks it.
template <class Function>
Function LoadedFunction(const wchar_t* dll, const char* name)
{
    // Through void(*)(): the generic function pointer type that converts without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(dll), name)));
}

// A function of a DLL in the system folder, as the given function pointer type; null when the
// DLL or the function is missing.
template <class Function>
Function SystemFunction(const wchar_t* dll, const char* name)
{
    HMODULE module = LoadSystemLibrary(dll);
    // Through void(*)(): the generic function pointer type that converts without a warning.
    return module ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}
