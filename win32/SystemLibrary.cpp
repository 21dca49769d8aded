// Win32 runtime: system DLLs loaded from the system folder only.
#include "win32/SystemLibrary.h"

// SetDefaultDllDirectories and the LOAD_LIBRARY_SEARCH_ flags need Windows 8 or, on Windows 7,
// KB2533623. Without them the exe's folder cannot be left out of the search; SetDllDirectoryW
// with an empty name at least leaves out the current folder.
void KeepDllSearchInSystemFolder()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto setDefault = LoadedFunction<SetDefaultDllDirectoriesFn>(L"kernel32.dll", "SetDefaultDllDirectories");
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

std::wstring SystemFolderPath(const wchar_t* name)
{
    UINT size = GetSystemDirectoryW(nullptr, 0);
    if (size == 0) return {};
    std::wstring path(size, L'\0');
    size = GetSystemDirectoryW(path.data(), size);
    if (size == 0 || size >= path.size()) return {};
    path.resize(size);
    if (path.back() != L'\\') path += L'\\';
    return path + name;
}

HMODULE LoadSystemLibrary(const wchar_t* name)
{
    // Where LOAD_LIBRARY_SEARCH_SYSTEM32 is unknown the call fails with ERROR_INVALID_PARAMETER
    // and the full path is used.
    if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    std::wstring path = SystemFolderPath(name);
    return path.empty() ? nullptr : LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
