// Win32 runtime: the standard error report, and the fatal report that ends the program.
#include "win32/ErrorReport.h"

#include <windows.h>

#include <exception>
#include <new>

#include "portable/Text.h"
#include "win32/App.h"
#include "win32/WideText.h"

namespace {

std::u16string ErrorText(const RuntimeError& error)
{
    std::u16string text = u"Run-time error '" + StrI2(static_cast<int16_t>(error.Number())) + u"':\n\n" +
                          error.Description();
    if (!error.Detail().empty()) text += u"\n\n" + error.Detail();
    return text;
}

[[noreturn]] void ExitWithReport(const RuntimeError& error) noexcept
{
    try {
        ReportError(error);
    } catch (...) {
        // Out of memory may leave no room for the report; the exit code still tells.
    }
    ExitProcess(UINT(error.Number()));
}

}  // namespace

void ReportError(const RuntimeError& error)
{
    MessageBoxW(GetActiveWindow(), W(ErrorText(error)), W(App::Title()), MB_OK | MB_ICONEXCLAMATION);
}

void ReportErrorAndExit() noexcept
{
    try {
        if (std::exception_ptr current = std::current_exception()) std::rethrow_exception(current);
    } catch (const RuntimeError& error) {
        ExitWithReport(error);
    } catch (const std::bad_alloc&) {
        ExitWithReport(RuntimeError(errOutOfMemory));
    } catch (...) {
    }
    ExitWithReport(RuntimeError(errInternal));
}
