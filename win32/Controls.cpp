// Win32 runtime: the control kinds of a form, views of real Win32 controls.
#include "win32/Controls.h"

#include <commctrl.h>
#include <oleacc.h>

#include "win32/Handles.h"
#include "win32/SystemLibrary.h"
#include "win32/WideText.h"

namespace {

// The accessibility property service of oleacc.dll, with oleacc and ole32 taken from the
// system folder only and kept for the whole process; null where it is missing.
IAccPropServices* PropertyServices()
{
    static IAccPropServices* const services = []() -> IAccPropServices* {
        using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
        using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
        auto coInitializeEx = SystemFunction<CoInitializeExFn>(L"ole32.dll", "CoInitializeEx");
        auto getClassObject = SystemFunction<GetClassObjectFn>(L"oleacc.dll", "DllGetClassObject");
        if (!coInitializeEx || !getClassObject) return nullptr;
        // The service lives in a single-threaded apartment: the program's one UI thread.
        coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        IClassFactory* factory = nullptr;
        if (FAILED(getClassObject(CLSID_AccPropServices, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
            return nullptr;
        IAccPropServices* created = nullptr;
        factory->CreateInstance(nullptr, IID_IAccPropServices, reinterpret_cast<void**>(&created));
        factory->Release();
        return created;
    }();
    return services;
}

void SetNameInSystem(HWND hwnd, const std::u16string& name)
{
    if (IAccPropServices* services = PropertyServices())
        services->SetHwndPropStr(hwnd, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME, W(name));
}

AccessibleNameTarget nameTarget = SetNameInSystem;

}  // namespace

void Control::SendAccessibleNamesTo(AccessibleNameTarget target) { nameTarget = target ? target : SetNameInSystem; }

Control* ControlOf(HWND hwnd) { return reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

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

void Control::SetAccessibleName(const std::u16string& name)
{
    bool first = accessibleName_.empty();
    accessibleName_ = name;
    if (nameRequested_)
        ApplyAccessibleName();
    else if (first)
        SetWindowSubclass(hwnd_, NameOnRequest, 0, reinterpret_cast<DWORD_PTR>(this));
}

void Control::ApplyAccessibleName() { nameTarget(hwnd_, accessibleName_); }

// Screen readers and other clients reach a control's accessible object through WM_GETOBJECT;
// the name is handed over just before the system builds that object.
LRESULT CALLBACK Control::NameOnRequest(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self)
{
    auto* control = reinterpret_cast<Control*>(self);
    if (message == WM_GETOBJECT && !control->nameRequested_) {
        control->nameRequested_ = true;
        control->ApplyAccessibleName();
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, NameOnRequest, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void Label::AutoSize()
{
    autoSize_ = true;
    std::u16string text = Caption();
    WindowDC dc(hWnd());
    SelectedObject font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(hWnd(), WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), W(text), int(text.size()), &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    SetWindowPos(hWnd(), nullptr, 0, 0, size.cx, metrics.tmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int16_t CheckBox::Value() const { return static_cast<int16_t>(SendMessageW(hWnd(), BM_GETCHECK, 0, 0)); }
void CheckBox::SetValue(int16_t value) { SendMessageW(hWnd(), BM_SETCHECK, value, 0); }

bool OptionButton::Value() const { return SendMessageW(hWnd(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
// BM_SETCHECK also moves WS_TABSTOP to the selected button of the group.
void OptionButton::SetValue(bool value) { SendMessageW(hWnd(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0); }

void Image::SetPicture(HICON icon) { SendMessageW(hWnd(), STM_SETICON, WPARAM(icon), 0); }
