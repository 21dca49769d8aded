#include <gtest/gtest.h>
#include <windows.h>

#include <new>
#include <stdexcept>
#include <string>

#include "tests/unit/TestHelpersWin.h"
#include "win32/ErrorReport.h"

namespace {

constexpr wchar_t kChildThrows[] = L"ZORK_ERROR_REPORT_THROWS";

// Only in the copies that FatalReportExitsWithTheErrorsNumber starts: ends through the fatal
// report with the named exception in flight ("none": with none).
TEST(ErrorReport, ChildEndsThroughTheFatalReport)
{
    wchar_t thrown[32] = {};
    if (!GetEnvironmentVariableW(kChildThrows, thrown, 32))
        GTEST_SKIP() << "runs only in the copies started by FatalReportExitsWithTheErrorsNumber";
    std::wstring what = thrown;
    if (what == L"none") ReportErrorAndExit();
    try {
        if (what == L"bad_alloc") throw std::bad_alloc();
        if (what == L"int") throw 5;
        if (what == L"runtime_error") throw std::runtime_error("not ours");
        throw RuntimeError(std::stoi(what));
    } catch (...) {
        ReportErrorAndExit();
    }
}

// The child's message box once it is on the screen: a visible dialog-class window of the process.
HWND MessageBoxOf(DWORD process)
{
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"#32770", nullptr));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// The exit code is the error's number. Where the report can be shown (a display is there) the
// box is closed here; without one the report fails at once.
TEST(ErrorReport, FatalReportExitsWithTheErrorsNumber)
{
    const struct {
        std::u16string thrown;
        DWORD exitCode;
    } cases[] = {{u"53", 53},        {u"62", 62},  {u"75", 75},            {u"1001", 1001},
                 {u"bad_alloc", 7}, {u"int", 51}, {u"runtime_error", 51}, {u"none", 51}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.thrown));
        auto closeTheBox = [](DWORD child) {
            if (HWND box = MessageBoxOf(child)) PostMessageW(box, WM_COMMAND, IDOK, 0);
        };
        EXPECT_EQ(RunTestChild(ProcessImageName(), u"ErrorReport.ChildEndsThroughTheFatalReport", kChildThrows,
                               c.thrown, closeTheBox),
                  c.exitCode);
    }
}

}  // namespace
