#pragma once
// The probe's core: commands about the windows of other processes, each answered with one JSON
// line (probe.cpp lists them); the benchmarks' probe adds its timing commands through MoreCommands.
#include <winsock2.h>
#include <windows.h>

#include <string>
#include <vector>

constexpr UINT kTimeoutMs = 2000;

// Builds one JSON object field by field.
class Obj {
public:
    Obj& operator()(const char* key, const std::string& json)
    {
        s_ += (s_.empty() ? "{\"" : ",\"") + std::string(key) + "\":" + json;
        return *this;
    }
    std::string str() const { return s_.empty() ? "{}" : s_ + "}"; }

private:
    std::string s_;
};

std::string Json(long long n);
std::string Error(const char* what);
std::wstring Wide(const std::string& s);
// WM_GETTEXT of another process's window, with a timeout; false when it does not answer.
bool TextOf(HWND h, std::wstring& text);
std::vector<HWND> TopLevels();
// The top-level windows of the processes whose exe is named `image`.
std::vector<HWND> TopLevelsOf(const std::wstring& image);

// Answers a command the core does not know; null for none.
using MoreCommands = std::string (*)(const std::vector<std::string>& args);

// The probe's wmain: [--desktop NAME] serve PORT, or window TITLE.
int ProbeMain(int argc, wchar_t** argv, MoreCommands more);
