// Win32 runtime: copies from a text box that Windows keeps out of clipboard history and the
// cloud clipboard.
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <string>

#include "win32/Controls.h"

namespace {

// Memory for the clipboard holding `size` bytes; null when there is none.
HGLOBAL ClipboardMemory(const void* data, size_t size)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (void* bytes = memory ? GlobalLock(memory) : nullptr) {
        std::memcpy(bytes, data, size);
        GlobalUnlock(memory);
    }
    return memory;
}

// Another program may hold the clipboard open for a moment; it is tried for about 100 ms.
bool OpenClipboardBriefly(HWND owner)
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(10);
    }
    return false;
}

// Puts the text on the clipboard with the formats that ask Windows not to keep it in
// clipboard history nor send it to the cloud clipboard; false when nothing was put there.
bool CopyPrivately(HWND owner, const std::wstring& text)
{
    if (!OpenClipboardBriefly(owner)) return false;
    bool copied = false;
    if (EmptyClipboard()) {
        HGLOBAL unicode = ClipboardMemory(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        copied = unicode && SetClipboardData(CF_UNICODETEXT, unicode);
        if (!copied && unicode) GlobalFree(unicode);
        const DWORD no = 0;
        for (const wchar_t* format : {L"ExcludeClipboardContentFromMonitorProcessing", L"CanIncludeInClipboardHistory",
                                      L"CanUploadToCloudClipboard"}) {
            HGLOBAL value = copied ? ClipboardMemory(&no, sizeof no) : nullptr;
            if (value && !SetClipboardData(RegisterClipboardFormatW(format), value)) GlobalFree(value);
        }
    }
    CloseClipboard();
    return copied;
}

// Copies the selection privately; a cut then removes it, but only once it is on the clipboard.
void CopySelection(HWND box, bool cut)
{
    DWORD start = 0, end = 0;
    SendMessageW(box, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    if (start >= end) return;  // nothing selected: the clipboard stays as it is
    std::wstring text(GetWindowTextLengthW(box), L'\0');
    text.resize(GetWindowTextW(box, text.data(), int(text.size()) + 1));
    if (end > text.size()) end = DWORD(text.size());
    if (!CopyPrivately(box, text.substr(start, end - start)))
        MessageBeep(MB_OK);  // as for a refused key; the box keeps its text
    else if (cut)
        SendMessageW(box, WM_CLEAR, 0, 0);
}

bool Down(int key) { return GetKeyState(key) < 0; }

// Ctrl+C, Ctrl+X and the context menu's Copy and Cut reach the edit control as WM_COPY and
// WM_CUT; Ctrl+Insert and Shift+Delete it may handle by itself, so they are taken first.
LRESULT CALLBACK CopyOnRequest(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    bool copyKey = message == WM_KEYDOWN && wParam == VK_INSERT && Down(VK_CONTROL) && !Down(VK_SHIFT);
    bool cutKey = message == WM_KEYDOWN && wParam == VK_DELETE && Down(VK_SHIFT) && !Down(VK_CONTROL);
    if (message == WM_COPY || message == WM_CUT || copyKey || cutKey) {
        CopySelection(hwnd, message == WM_CUT || cutKey);
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, CopyOnRequest, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void TextBox::KeepCopiesPrivate() { SetWindowSubclass(hWnd(), CopyOnRequest, 0, 0); }
