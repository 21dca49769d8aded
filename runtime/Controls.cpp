#include "runtime/Controls.h"

#include "runtime/WideText.h"

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
