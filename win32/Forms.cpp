// Win32 runtime: forms, their controls' layout, click routing and the message loop.
#include "win32/Forms.h"

#include <new>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "win32/DialogFont.h"
#include "win32/ErrorReport.h"
#include "win32/Graphics.h"
#include "win32/WideText.h"

namespace {

bool IsFormWindow(HWND hwnd)
{
    return hwnd && GetClassLongPtrW(hwnd, GCW_ATOM) == reinterpret_cast<ULONG_PTR>(WC_DIALOG);
}

// Gives one message to its window; Tab, arrows, access keys, Enter and Esc of a form are the
// dialog manager's.
void DispatchFormMessage(MSG& msg)
{
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (IsFormWindow(root) && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

}  // namespace

// The one message pump: for the program while any form is loaded, for a modal showing while
// its form is shown. Forms change only while a message is dispatched, so the condition is
// checked after each one. Returns WM_QUIT's exit code when that ends it first.
std::optional<int> Form::PumpMessages(const Form* modal)
{
    MSG msg{};
    while (modal ? modal->hwnd_ && IsWindowVisible(modal->hwnd_) : loadedForms_ > 0) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) return int(msg.wParam);
        DispatchFormMessage(msg);
    }
    return std::nullopt;
}

int RunMessageLoop() { return Form::PumpMessages(nullptr).value_or(0); }

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
    ++loadedForms_;

    TakeOverDpiScaling(hwnd_);
    Design design = GetDesign();
    SetWindowTextW(hwnd_, W(design.title));

    // Centred over the owner, or on the primary monitor's work area, where a new window starts.
    // An owned form goes to its owner's monitor first, so that it takes that monitor's DPI.
    RECT area{};
    if (owner)
        GetWindowRect(owner, &area);
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    POINT centre{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    if (owner) SetWindowPos(hwnd_, nullptr, centre.x, centre.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    dpi_ = WindowDpi(hwnd_);
    LoadIcons();
    SIZE size = WindowSize(dpi_);
    Place({centre.x - size.cx / 2, centre.y - size.cy / 2});

    CreateControls();
    KeepControlsApart();
}

// Every length of the layout goes through here, at creation and after a change of DPI alike,
// so that a return to a DPI gives back its layout exactly.
RECT Form::Pixels(TwipsRect rect) const
{
    int left = PixelsFromTwips(rect.left, dpi_), top = PixelsFromTwips(rect.top, dpi_);
    return {left, top, left + PixelsFromTwips(rect.width, dpi_), top + PixelsFromTwips(rect.height, dpi_)};
}

HFONT Form::Font(FontKind kind)
{
    UniqueFont& font = fonts_[size_t(kind)];
    if (!font.get()) font = MakeFont(kind, dpi_);
    return font.get();
}

void Form::SetFont(Control& control, FontKind kind)
{
    control.font_ = kind;
    SendMessageW(control.hwnd_, WM_SETFONT, WPARAM(Font(kind)), TRUE);
}

// The window icons at the sizes of the form's DPI; an icon that cannot be loaded leaves the
// one shown before.
void Form::LoadIcons()
{
    for (auto [which, metric, icon] : {std::tuple{ICON_BIG, SM_CXICON, &bigIcon_},
                                       std::tuple{ICON_SMALL, SM_CXSMICON, &smallIcon_}}) {
        UniqueIcon loaded = LoadProgramIcon(MetricForDpi(metric, dpi_));
        if (!loaded.get()) continue;
        SendMessageW(hwnd_, WM_SETICON, which, LPARAM(loaded.get()));
        *icon = std::move(loaded);  // the old icon is freed once the window no longer shows it
    }
}

// The window's size for its client area in twips at `dpi`.
SIZE Form::WindowSize(int dpi) const
{
    Design design = GetDesign();
    SIZE client{PixelsFromTwips(design.clientWidth, dpi), PixelsFromTwips(design.clientHeight, dpi)};
    RECT frame = FrameForDpi(hwnd_, client, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void Form::Place(POINT topLeft)
{
    SIZE size = WindowSize(dpi_);
    SetWindowPos(hwnd_, nullptr, topLeft.x, topLeft.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The form has moved to a monitor of another DPI (or the user changed its scale): fonts, icons,
// window and controls are made again from their twips, as if the form were created there.
void Form::ApplyDpi(int dpi, const RECT* suggested)
{
    dpi_ = dpi;
    // The old fonts are freed only when this ends, after every control holds a new one; a font
    // that cannot be made leaves the old one in use.
    decltype(fonts_) old;
    for (size_t kind = 0; kind < fonts_.size(); ++kind) {
        if (!fonts_[kind].get()) continue;
        UniqueFont font = MakeFont(FontKind(kind), dpi);
        if (font.get()) old[kind] = std::exchange(fonts_[kind], std::move(font));
    }
    for (HWND hwnd = GetWindow(hwnd_, GW_CHILD); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT))
        if (Control* control = ControlOf(hwnd)) SendMessageW(hwnd, WM_SETFONT, WPARAM(Font(control->font_)), FALSE);
    LoadIcons();
    RECT now{};
    GetWindowRect(hwnd_, &now);
    Place(suggested ? POINT{suggested->left, suggested->top} : POINT{now.left, now.top});
    PlaceControls();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void Form::PlaceControls()
{
    for (HWND hwnd = GetWindow(hwnd_, GW_CHILD); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        Control* control = ControlOf(hwnd);
        if (!control) continue;
        RECT box = Pixels(control->twips_);
        // An image keeps its picture's natural size.
        UINT keepSize = control->kind_ == ControlKind::Image ? SWP_NOSIZE : 0;
        SetWindowPos(hwnd, nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
                     keepSize | SWP_NOZORDER | SWP_NOACTIVATE);
        if (control->autoSize_) static_cast<Label*>(control)->AutoSize();
    }
    KeepControlsApart();
}

// The layout's rectangles overlap: a caption area runs over the next control's box or circle,
// and rows overlap by a pixel. The window above takes the clicks and paints over the other, so
// a control is cut short where another starts inside it: at its bottom when the other starts
// lower, else at its right. Left and top stay; frames lie under everything and are left alone.
void Form::KeepControlsApart()
{
    // Each window's rectangle is read once: every GetWindowRect is a trip to the window server.
    struct Placed {
        HWND hwnd;
        RECT box;
    };
    std::vector<Placed> controls;
    for (HWND hwnd = GetWindow(hwnd_, GW_CHILD); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        Control* control = ControlOf(hwnd);
        if (!control || control->kind_ == ControlKind::Frame) continue;
        controls.push_back({hwnd, {}});
        GetWindowRect(hwnd, &controls.back().box);
    }
    for (Placed& control : controls) {
        RECT box = control.box, overlap;
        for (const Placed& other : controls) {
            if (&other == &control || !IntersectRect(&overlap, &box, &other.box)) continue;
            if (other.box.top > box.top)
                box.bottom = other.box.top;
            else if (other.box.left > box.left)
                box.right = other.box.left;
        }
        if (EqualRect(&box, &control.box)) continue;
        SetWindowPos(control.hwnd, nullptr, 0, 0, box.right - box.left, box.bottom - box.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        control.box = box;  // the controls after it see it cut, as on the screen
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
    // A WM_QUIT meant for the program loop ends this one and is posted again for it.
    if (std::optional<int> quit = PumpMessages(this))
        PostQuitMessage(*quit);
    if (modalOwner_ && IsWindow(modalOwner_)) {
        EnableWindow(modalOwner_, TRUE);
        SetActiveWindow(modalOwner_);
    }
    modalOwner_ = nullptr;
}

// Hiding or destroying a form of a modal showing: the owner is enabled first, so that it can
// take the activation, and when the form was active it hands the activation to its owner, as a
// dialog box does when it ends; where the system picks the next window itself, it can land on
// another program's or on none.
void Form::Leave(bool destroy)
{
    const HWND owner = modalOwner_;  // destroying the form clears modalOwner_
    const bool active = GetActiveWindow() == hwnd_;
    if (owner) EnableWindow(owner, TRUE);
    if (destroy)
        DestroyWindow(hwnd_);  // owned forms go with it; WM_NCDESTROY clears hwnd_
    else
        ShowWindow(hwnd_, SW_HIDE);
    if (active && owner && IsWindow(owner)) SetForegroundWindow(owner);
}

void Form::Hide()
{
    Leave(false);
}

void Form::Unload()
{
    if (hwnd_) Leave(true);
}

void Form::AddControl(Control& control, ControlKind kind, int id, const std::u16string& caption, TwipsRect rect,
                      DWORD extraStyle)
{
    const wchar_t* windowClass = L"BUTTON";
    DWORD style = WS_CHILD | WS_VISIBLE | extraStyle;
    switch (kind) {
    case ControlKind::Label:
        // A left-aligned label stays on one line and is cut where its room ends, never wrapped out of sight.
        windowClass = L"STATIC";
        style |= SS_NOTIFY | ((extraStyle & SS_TYPEMASK) == 0 ? SS_LEFTNOWORDWRAP : 0);
        break;
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
    RECT box = Pixels(rect);
    HWND hwnd = CreateWindowExW(0, windowClass, W(caption), style, box.left, box.top, box.right - box.left,
                                box.bottom - box.top, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) throw RuntimeError(errOutOfMemory, u"CreateWindowEx");
    control.hwnd_ = hwnd;
    control.kind_ = kind;
    control.twips_ = rect;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&control));
    SendMessageW(hwnd, WM_SETFONT, WPARAM(Font(FontKind::Dialog)), FALSE);
    // EM_SETLIMITTEXT 0 lifts the 30000-character default.
    if (kind == ControlKind::TextBox) SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);
}

void Form::SetDefault(CommandButton& button)
{
    SendMessageW(hwnd_, DM_SETDEFID, GetDlgCtrlID(button.hWnd()), 0);
    SendMessageW(button.hWnd(), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

// Handlers run here; an error ends the handler and goes to the error report.
void Form::RunClick(Control& control)
{
    const ClickHandler& click = control.click_;
    try {
        if (click.handler)
            (this->*click.handler)();
        else if (click.indexedHandler)
            (this->*click.indexedHandler)(click.index);
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
        if (control->foreColor >= 0) SetTextColor(dc, GetSysColor(control->foreColor));
        SetBkColor(dc, GetSysColor(control->backColor));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(control->backColor));
    }
    case WM_GETDPISCALEDSIZE:
        // Asked before a move to a monitor of that DPI: the size WM_DPICHANGED will give the
        // form there, so that the rectangle Windows then suggests is the one it takes. A dialog
        // procedure hands a message's result over in DWLP_MSGRESULT.
        if (!lParam) return FALSE;
        *reinterpret_cast<SIZE*>(lParam) = WindowSize(SaneDpi(int(wParam)));
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_DPICHANGED:
        // The new DPI, and where Windows suggests the window goes; a test may send any values.
        ApplyDpi(SaneDpi(HIWORD(wParam)), reinterpret_cast<const RECT*>(lParam));
        return TRUE;
    case WM_CLOSE:
        Unload();
        return TRUE;
    case WM_NCDESTROY:
        hwnd_ = nullptr;
        modalOwner_ = nullptr;
        --loadedForms_;  // the message loop ends when this reaches zero
        return FALSE;
    }
    return FALSE;
}
