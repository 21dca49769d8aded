// Win32 runtime: system DLLs loaded from the system folder only.
#include "win32/SystemLibrary.h"

#include <string>

HMODULE LoadSystemLibrary(const wchar_t* name)
{
    // LOAD_LIBRARY_SEARCH_SYSTEM32 needs Windows 8 or KB2533623; without it the call fails
    // with ERROR_INVALID_PARAMETER and the full path from GetSystemDirectoryW is used.
    if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    UINT size = GetSystemDirectoryW(nullptr, 0);
    if (size == 0) return nullptr;
    std::wstring path(size, L'\0');
    size = GetSystemDirectoryW(path.data(), size);
    if (size == 0 || size >= path.size()) return nullptr;
    path.resize(size);
    path += L'\\';
    path += name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
