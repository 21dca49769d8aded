#pragma once
// Win32 runtime: one move-only holder for every handle the program owns, and guards for a
// window's device context and an object selected into it.
#include <windows.h>

#include <utility>

// Owns a handle and frees it once; `Invalid` is the value that means none.
template <class H, auto Free, auto Invalid = nullptr>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, H(Invalid))) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        std::swap(h_, other.h_);
        return *this;
    }
    ~UniqueHandle()
    {
        if (h_ != H(Invalid)) Free(h_);
    }
    H get() const { return h_; }

private:
    H h_ = H(Invalid);
};

using UniqueFont = UniqueHandle<HFONT, DeleteObject>;
using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;
// CreateFileW answers INVALID_HANDLE_VALUE, not null, when it fails.
using UniqueFile = UniqueHandle<HANDLE, CloseHandle, -1>;

// The device context of a window (of the screen for null), released when the guard ends.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC()
    {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// An object selected into a device context; the one it replaced comes back when the guard ends.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject()
    {
        if (old_) SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};
