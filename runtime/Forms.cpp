#include "runtime/Forms.h"

#include <commctrl.h>

#include <exception>
#include <new>
#include <vector>

#include "runtime/App.h"
#include "runtime/Text.h"

namespace {

int loadedForms = 0;

int ScreenDpi()
{
    static const int dpi = [] {
        HDC dc = GetDC(nullptr);
        int value = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

Control* ControlOf(HWND hwnd) { return reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

UniqueFont MakeDialogFont(int weight)
{
    // MS Sans Serif 8.25 pt, Central European; the font mapper substitutes a
    // sans-serif dialog font where it is missing.
    return UniqueFont(CreateFontW(-MulDiv(825, ScreenDpi(), 7200), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                                  EASTEUROPE_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif"));
}

bool IsFormWindow(HWND hwnd)
{
    return hwnd && GetClassLongPtrW(hwnd, GCW_ATOM) == reinterpret_cast<ULONG_PTR>(WC_DIALOG);
}

// Keyboard of a form goes through the dialog manager: Tab, arrows, access keys, Enter, Esc.
void DispatchFormMessage(MSG& msg)
{
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (IsFormWindow(root) && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

std::u16string ErrorText(const RuntimeError& error)
{
    std::u16string text = u"Run-time error '" + StrI2(static_cast<int16_t>(error.Number())) + u"':\n\n" +
                          error.Description();
    if (!error.Detail().empty()) text += u"\n\n" + error.Detail();
    return text;
}

}  // namespace

int Twips(int twips) { return MulDiv(twips, ScreenDpi(), 1440); }

UniqueIcon LoadProgramIcon(int size)
{
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0)));
}

std::u16string Control::Caption() const
{
    std::u16string text(GetWindowTextLengthW(hwnd_), u'\0');
    if (!text.empty()) {
        int copied = GetWindowTextW(hwnd_, W(text), int(text.size()) + 1);
        text.resize(copied);
    }
    return text;
}

void Control::SetCaption(const std::u16string& caption) { SetWindowTextW(hwnd_, W(caption)); }

void Label::AutoSize()
{
    std::u16string text = Caption();
    HDC dc = GetDC(hWnd());
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hWnd(), WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, W(text), int(text.size()), &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hWnd(), dc);
    SetWindowPos(hWnd(), nullptr, 0, 0, size.cx, metrics.tmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int16_t CheckBox::Value() const { return static_cast<int16_t>(SendMessageW(hWnd(), BM_GETCHECK, 0, 0)); }
void CheckBox::SetValue(int16_t value) { SendMessageW(hWnd(), BM_SETCHECK, value, 0); }

bool OptionButton::Value() const { return SendMessageW(hWnd(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
// BM_SETCHECK also moves WS_TABSTOP to the selected button of the group.
void OptionButton::SetValue(bool value) { SendMessageW(hWnd(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0); }

void Image::SetPicture(HICON icon) { SendMessageW(hWnd(), STM_SETICON, WPARAM(icon), 0); }

Form::~Form()
{
    if (hwnd_) DestroyWindow(hwnd_);
}

void Form::Create(HWND owner)
{
    // An empty dialog template: the controls are added afterwards in pixels from twips.
    struct alignas(4) Template {
        DLGTEMPLATE dialog;
        WORD menu, windowClass, title;
    } tpl{};
    tpl.dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

    hwnd_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &tpl.dialog, owner, DialogProc,
                                       reinterpret_cast<LPARAM>(this));
    if (!hwnd_) throw RuntimeError(errOutOfMemory, u"CreateDialogIndirectParam");
    ++loadedForms;

    Design design = GetDesign();
    SetWindowTextW(hwnd_, W(design.title));
    font_ = MakeDialogFont(FW_NORMAL);
    bigIcon_ = LoadProgramIcon(GetSystemMetrics(SM_CXICON));
    smallIcon_ = LoadProgramIcon(GetSystemMetrics(SM_CXSMICON));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, LPARAM(bigIcon_.get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, LPARAM(smallIcon_.get()));

    // Client size from twips; centred over the owner, or on the screen's work area.
    RECT frame{0, 0, Twips(design.clientWidth), Twips(design.clientHeight)};
    AdjustWindowRectEx(&frame, GetWindowLongW(hwnd_, GWL_STYLE), FALSE, GetWindowLongW(hwnd_, GWL_EXSTYLE));
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT area{};
    if (owner)
        GetWindowRect(owner, &area);
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    SetWindowPos(hwnd_, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    nextId_ = design.firstControlId;
    CreateControls();
    KeepLabelsUnderControls();
}

// A label is text on the form, drawn under every control; as a window it would paint over
// a later control that starts inside its rectangle, so it is cut short there.
void Form::KeepLabelsUnderControls()
{
    for (HWND label = GetWindow(hwnd_, GW_CHILD); label; label = GetWindow(label, GW_HWNDNEXT)) {
        if (ControlOf(label)->kind_ != ControlKind::Label) continue;
        RECT box, other, overlap;
        GetWindowRect(label, &box);
        for (HWND next = GetWindow(label, GW_HWNDNEXT); next; next = GetWindow(next, GW_HWNDNEXT)) {
            ControlKind kind = ControlOf(next)->kind_;
            GetWindowRect(next, &other);
            if (kind != ControlKind::Label && kind != ControlKind::Frame && IntersectRect(&overlap, &box, &other) &&
                other.left > box.left)
                box.right = other.left;
        }
        SetWindowPos(label, nullptr, 0, 0, box.right - box.left, box.bottom - box.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Form::Load(HWND owner)
{
    if (hwnd_) return;
    try {
        Create(owner);
        Form_Load();
    } catch (...) {
        Unload();
        throw;
    }
}

void Form::Show()
{
    Load();
    ShowWindow(hwnd_, SW_SHOW);
}

void Form::ShowModal(Form& owner)
{
    Load(owner.hWnd());
    modalOwner_ = owner.hWnd();
    EnableWindow(modalOwner_, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    SetActiveWindow(hwnd_);
    MSG msg;
    while (hwnd_ && IsWindowVisible(hwnd_)) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            PostQuitMessage(int(msg.wParam));
            break;
        }
        DispatchFormMessage(msg);
    }
    if (modalOwner_ && IsWindow(modalOwner_)) {
        EnableWindow(modalOwner_, TRUE);
        SetActiveWindow(modalOwner_);
    }
    modalOwner_ = nullptr;
}

void Form::Hide()
{
    // The owner is enabled first, so that activation returns to it and not to another program.
    if (modalOwner_) EnableWindow(modalOwner_, TRUE);
    ShowWindow(hwnd_, SW_HIDE);
}

void Form::Unload()
{
    if (!hwnd_) return;
    if (modalOwner_) EnableWindow(modalOwner_, TRUE);
    DestroyWindow(hwnd_);  // owned forms go with it; WM_NCDESTROY clears hwnd_
}

void Form::Add(Control& control, ControlKind kind, const std::u16string& caption, TwipsRect rect,
               DWORD extraStyle)
{
    const wchar_t* windowClass = L"BUTTON";
    DWORD style = WS_CHILD | WS_VISIBLE | extraStyle;
    switch (kind) {
    case ControlKind::Label: windowClass = L"STATIC"; style |= SS_NOTIFY; break;
    case ControlKind::Image: windowClass = L"STATIC"; style |= SS_ICON | SS_REALSIZEIMAGE; break;
    case ControlKind::TextBox: windowClass = L"EDIT"; style |= WS_TABSTOP | ES_AUTOHSCROLL; break;
    case ControlKind::CheckBox: style |= WS_TABSTOP | BS_AUTOCHECKBOX; break;
    case ControlKind::OptionButton: style |= BS_AUTORADIOBUTTON; break;
    case ControlKind::CommandButton: style |= WS_TABSTOP | BS_PUSHBUTTON; break;
    case ControlKind::Frame: style |= BS_GROUPBOX | WS_CLIPSIBLINGS; break;
    }
    // Each control starts a group, except an option button that follows another one.
    if (kind != ControlKind::OptionButton || lastKind_ != ControlKind::OptionButton) style |= WS_GROUP;
    lastKind_ = kind;
    int id = nextId_++;
    HWND hwnd = CreateWindowExW(0, windowClass, W(caption), style, Twips(rect.left), Twips(rect.top),
                                Twips(rect.width), Twips(rect.height), hwnd_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                nullptr);
    if (!hwnd) throw RuntimeError(errOutOfMemory, u"CreateWindowEx");
    control.hwnd_ = hwnd;
    control.kind_ = kind;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&control));
    SendMessageW(hwnd, WM_SETFONT, WPARAM(font_.get()), FALSE);
    // EM_SETLIMITTEXT 0 lifts the 30000-character default.
    if (kind == ControlKind::TextBox) SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);
}

void Form::SetDefault(CommandButton& button)
{
    SendMessageW(hwnd_, DM_SETDEFID, GetDlgCtrlID(button.hWnd()), 0);
    SendMessageW(button.hWnd(), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

HFONT Form::BoldDialogFont()
{
    if (!boldFont_.get()) boldFont_ = MakeDialogFont(FW_BOLD);
    return boldFont_.get();
}

// Handlers run here; an error ends the handler and goes to the error report.
void Form::RunClick(Control& control)
{
    try {
        Click(control);
    } catch (const RuntimeError& error) {
        ReportError(error);
    } catch (const std::bad_alloc&) {
        ReportError(RuntimeError(errOutOfMemory));
    }
}

INT_PTR CALLBACK Form::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* form = reinterpret_cast<Form*>(lParam);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        return FALSE;  // the focus is placed when the form is first activated
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return form ? form->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        HWND source = reinterpret_cast<HWND>(lParam);
        // Esc arrives as IDCANCEL with no control: it presses the cancel button.
        if (LOWORD(wParam) == IDCANCEL && !source) {
            if (cancel_ && cancel_->Enabled()) RunClick(*cancel_);
            return TRUE;
        }
        // BN_CLICKED and STN_CLICKED are both 0: a click of a button, check box, option or label.
        if (source && HIWORD(wParam) == BN_CLICKED && GetParent(source) == hwnd_)
            if (Control* control = ControlOf(source)) RunClick(*control);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
        Control* control = ControlOf(reinterpret_cast<HWND>(lParam));
        if (!control || control->backColor < 0) return FALSE;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(control->foreColor));
        SetBkColor(dc, GetSysColor(control->backColor));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(control->backColor));
    }
    case WM_CLOSE:
        Unload();
        return TRUE;
    case WM_NCDESTROY:
        hwnd_ = nullptr;
        modalOwner_ = nullptr;
        --loadedForms;  // the message loop ends when this reaches zero
        return FALSE;
    }
    return FALSE;
}

void ReportError(const RuntimeError& error)
{
    MessageBoxW(GetActiveWindow(), W(ErrorText(error)), W(App::Title()), MB_OK | MB_ICONEXCLAMATION);
}

namespace {

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

int RunMessageLoop()
{
    // Forms are only destroyed while a message is dispatched, so the count is checked after each one.
    MSG msg{};
    while (loadedForms > 0) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) return int(msg.wParam);
        DispatchFormMessage(msg);
    }
    return 0;
}
