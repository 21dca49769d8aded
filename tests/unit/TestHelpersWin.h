#pragma once
// What the Win32 tests share: text from Win32 wide strings and a temporary folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/unit/TestHelpers.h"
#include "win32/WideText.h"

// A Win32 wide string as the program's 16-bit text (W() of WideText.h goes the other way).
inline std::u16string U(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }

// The running exe's full name, through another API than the one the app object uses.
inline std::u16string ProcessImageName()
{
    std::vector<wchar_t> buffer(32768);
    DWORD size = static_cast<DWORD>(buffer.size());
    EXPECT_TRUE(QueryFullProcessImageNameW(GetCurrentProcess(), 0, buffer.data(), &size));
    return U(buffer.data());
}

// Runs the exe (this test program or a copy of it) with only the named test, the environment
// variable set for it alone, and returns its exit code. While it runs, `meanwhile` is called
// with its process ID every 100 ms; after 60 s it is ended and the test fails.
template <class F>
DWORD RunTestChild(const std::u16string& exe, const std::u16string& test, const wchar_t* variable,
                   const std::u16string& value, F meanwhile)
{
    std::u16string commandLine = u"\"" + exe + u"\" --gtest_filter=" + test + u" --gtest_brief=1";
    SetEnvironmentVariableW(variable, W(value));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    BOOL started =
        CreateProcessW(W(exe), W(commandLine), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child);
    SetEnvironmentVariableW(variable, nullptr);
    if (!started) {
        ADD_FAILURE() << "CreateProcessW error " << GetLastError();
        return STILL_ACTIVE;
    }
    for (int waited = 0; WaitForSingleObject(child.hProcess, 100) == WAIT_TIMEOUT && (waited += 100) < 60000;)
        meanwhile(child.dwProcessId);
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeProcess(child.hProcess, &exitCode);
    if (exitCode == STILL_ACTIVE) {
        ADD_FAILURE() << "the child did not end";
        TerminateProcess(child.hProcess, 0);
    }
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return exitCode;
}

// Deletes the folder with everything in it; the path may be in the \\?\ form.
inline void RemoveTree(const std::u16string& path)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(W(path + u"\\*"), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::u16string name = U(data.cFileName);
            if (name == u"." || name == u"..") continue;
            std::u16string child = path + u"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(W(child));
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(W(path));
}

// A fresh folder under the user's temporary folder, removed with everything in it when it goes
// out of scope, so that a failing assertion leaves nothing behind. Removal goes through the
// \\?\ form, so that folders nested past MAX_PATH go too.
class TempFolder {
public:
    TempFolder()
    {
        wchar_t temp[MAX_PATH + 1];
        DWORD n = GetTempPathW(MAX_PATH + 1, temp);
        std::u16string base = U(temp).substr(0, n);
        if (!base.empty() && base.back() == u'\\') base.pop_back();
        static int serial = 0;
        std::string unique = "zorkMIX-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(GetTickCount64()) + "-" + std::to_string(++serial);
        path_ = base + u"\\" + std::u16string(unique.begin(), unique.end());
        EXPECT_TRUE(CreateDirectoryW(W(path_), nullptr));
    }
    ~TempFolder() { RemoveTree(u"\\\\?\\" + path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::u16string& Path() const { return path_; }
    std::u16string operator/(const std::u16string& name) const { return path_ + u"\\" + name; }

private:
    std::u16string path_;
};
