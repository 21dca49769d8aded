// zorkbenchprobe: the probe with the benchmarks' timing commands.
//   click-generate-timed N IMAGE     N times: BM_CLICK on Generate, then WM_GETTEXT of the password box
//   launch-timed N EXE TITLE...      N rounds: start each exe, time until a shown window has its title and the
//                                    process is idle, close it
#include <cstdio>
#include <string>
#include <vector>

#include "tests/window/probe.h"
#include "windows/ControlIds.h"

namespace {

double Ms(LARGE_INTEGER from, LARGE_INTEGER to)
{
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(freq.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

std::string Times(const std::vector<double>& ms)
{
    std::string out = "[";
    for (size_t i = 0; i < ms.size(); ++i) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s%.3f", i ? "," : "", ms[i]);
        out += buf;
    }
    return out + "]";
}

std::string ClickGenerateTimed(int count, const std::wstring& image)
{
    HWND main = nullptr;
    for (HWND h : TopLevelsOf(image))
        if (IsWindowVisible(h) && GetDlgItem(h, ControlId::kGenerate)) main = h;
    if (!main) return Error("no shown window has the control kGenerate (the main window's Generate)");
    HWND button = GetDlgItem(main, ControlId::kGenerate), box = GetDlgItem(main, ControlId::kPasswd);
    if (!box) return Error("the main window has no control kPasswd");
    std::vector<double> ms, clickMs;
    std::wstring text;
    for (int i = 0; i < count; ++i) {
        LARGE_INTEGER t0 = Now();
        // The click runs the handler inside this sent message, so the text is there when it returns.
        DWORD_PTR r = 0;
        SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 60000, &r);
        clickMs.push_back(Ms(t0, Now()));
        if (!TextOf(box, text)) return Error("no answer");
        ms.push_back(Ms(t0, Now()));
    }
    return Obj()("times", Times(ms))("click_times", Times(clickMs))("length", Json((long long)text.size())).str();
}

HWND ShownWindowOf(DWORD pid, const std::wstring& title)
{
    for (HWND h : TopLevels()) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        wchar_t text[256] = L"";
        if (owner == pid && IsWindowVisible(h) && !GetWindow(h, GW_OWNER) &&
            InternalGetWindowText(h, text, 256) >= 0 && title == text)
            return h;
    }
    return nullptr;
}

// Time from CreateProcess until a visible unowned window of the process has `title` and
// WaitForInputIdle has returned.
double LaunchTimed(const std::wstring& exe, const std::wstring& title)
{
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER t0 = Now();
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    double ms = -1;
    // Waiting for input idle first keeps the window search, a burst of calls to the window
    // server, from competing with the program while it starts.
    while (Ms(t0, Now()) < 30000 && WaitForInputIdle(pi.hProcess, 30000) == 0) {
        if (HWND h = ShownWindowOf(pi.dwProcessId, title)) {
            ms = Ms(t0, Now());
            PostMessageW(h, WM_CLOSE, 0, 0);
            break;
        }
        if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ms;
}

// Rounds alternate between the programs, so a slower or busier moment of the machine hits all alike.
std::string LaunchTimed(int rounds, const std::vector<std::wstring>& exesAndTitles)
{
    size_t programs = exesAndTitles.size() / 2;
    std::vector<std::vector<double>> ms(programs);
    for (int i = 0; i < rounds; ++i)
        for (size_t e = 0; e < programs; ++e) ms[e].push_back(LaunchTimed(exesAndTitles[2 * e], exesAndTitles[2 * e + 1]));
    std::string out = "{\"times\":[";
    for (size_t e = 0; e < programs; ++e) {
        if (e) out += ',';
        out += Times(ms[e]);
    }
    return out + "]}";
}

std::string Timing(const std::vector<std::string>& args)
{
    const std::string& cmd = args.at(0);
    if (cmd == "click-generate-timed") return ClickGenerateTimed(std::stoi(args.at(1)), Wide(args.at(2)));
    if (cmd == "launch-timed") {
        std::vector<std::wstring> exes;
        for (size_t i = 2; i < args.size(); ++i) exes.push_back(Wide(args[i]));
        return LaunchTimed(std::stoi(args.at(1)), exes);
    }
    return Error("unknown command");
}

}  // namespace

int wmain(int argc, wchar_t** argv) { return ProbeMain(argc, argv, Timing); }
