// Win32 runtime: copies from a text box that Windows keeps out of clipboard history and the
// cloud clipboard.
#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "win32/Controls.h"
#include "win32/PrivateClipboard.h"

namespace {

// Hands a copy of the bytes to the clipboard in that format; false when memory for it cannot be
// had or the clipboard refuses it.
bool SetClipboardBytes(UINT format, const void* data, size_t size, ClipboardSetData setData)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    void* bytes = memory ? GlobalLock(memory) : nullptr;
    if (bytes) {
        std::memcpy(bytes, data, size);
        GlobalUnlock(memory);
        if (setData(format, memory)) return true;  // the clipboard owns the memory now
    }
    if (memory) GlobalFree(memory);
    return false;
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

bool CopyPrivately(HWND owner, const std::wstring& text, ClipboardSetData setData)
{
    if (!OpenClipboardBriefly(owner)) return false;
    bool emptied = EmptyClipboard();
    bool copied =
        emptied && SetClipboardBytes(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t), setData);
    const DWORD no = 0;
    for (const wchar_t* format : {L"ExcludeClipboardContentFromMonitorProcessing", L"CanIncludeInClipboardHistory",
                                  L"CanUploadToCloudClipboard"})
        copied = copied && SetClipboardBytes(RegisterClipboardFormatW(format), &no, sizeof no, setData);
    // The text without all three could reach clipboard history or the cloud: then nothing at all.
    if (emptied && !copied) EmptyClipboard();
    CloseClipboard();
    return copied;
}

void TextBox::KeepCopiesPrivate() { SetWindowSubclass(hWnd(), CopyOnRequest, 0, 0); }
