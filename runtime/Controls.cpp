#include "runtime/Controls.h"

#include <initguid.h>
#include <oleacc.h>

#include "runtime/SystemLibrary.h"
#include "runtime/WideText.h"

namespace {

// The accessibility property service of oleacc.dll, taken from the system folder only and
// kept for the whole process; null where it is missing.
IAccPropServices* PropertyServices()
{
    static IAccPropServices* const services = []() -> IAccPropServices* {
        // The service lives in a single-threaded apartment: the program's one UI thread.
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        HMODULE oleacc = LoadSystemLibrary(L"oleacc.dll");
        using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
        // Through void(*)(): the generic function pointer type that converts without a warning.
        auto getClassObject = oleacc ? reinterpret_cast<GetClassObject>(reinterpret_cast<void (*)()>(
                                           GetProcAddress(oleacc, "DllGetClassObject")))
                                     : nullptr;
        IClassFactory* factory = nullptr;
        if (!getClassObject ||
            FAILED(getClassObject(CLSID_AccPropServices, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
            return nullptr;
        IAccPropServices* created = nullptr;
        factory->CreateInstance(nullptr, IID_IAccPropServices, reinterpret_cast<void**>(&created));
        factory->Release();
        return created;
    }();
    return services;
}

}  // namespace

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

bool Control::SetAccessibleName(const std::u16string& name)
{
    IAccPropServices* services = PropertyServices();
    return services &&
           SUCCEEDED(services->SetHwndPropStr(hwnd_, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME, W(name)));
}

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
