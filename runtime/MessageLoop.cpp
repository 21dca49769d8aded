#include "runtime/MessageLoop.h"

#include "runtime/App.h"
#include "runtime/Forms.h"
#include "runtime/Text.h"
#include "runtime/WideText.h"

namespace {

bool IsFormWindow(HWND hwnd)
{
    return hwnd && GetClassLongPtrW(hwnd, GCW_ATOM) == reinterpret_cast<ULONG_PTR>(WC_DIALOG);
}

std::u16string ErrorText(const RuntimeError& error)
{
    std::u16string text = u"Run-time error '" + StrI2(static_cast<int16_t>(error.Number())) + u"':\n\n" +
                          error.Description();
    if (!error.Detail().empty()) text += u"\n\n" + error.Detail();
    return text;
}

}  // namespace

// Tab, arrows, access keys, Enter and Esc of a form are the dialog manager's.
void DispatchFormMessage(MSG& msg)
{
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (IsFormWindow(root) && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

int RunMessageLoop()
{
    // Forms are only destroyed while a message is dispatched, so the count is checked after each one.
    MSG msg{};
    while (Form::LoadedForms() > 0) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) return int(msg.wParam);
        DispatchFormMessage(msg);
    }
    return 0;
}

void ReportError(const RuntimeError& error)
{
    MessageBoxW(GetActiveWindow(), W(ErrorText(error)), W(App::Title()), MB_OK | MB_ICONEXCLAMATION);
}
