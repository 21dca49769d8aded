#pragma once
// What the forms draw with: lengths from twips at the system DPI, owned GDI and USER
// handles, the program icon and the dialog font.
#include <windows.h>

#include <utility>

// The system DPI, read once.
int ScreenDpi();

// Pixels for a length in twips at the system DPI.
int Twips(int twips);

// Owns a GDI or USER handle and frees it once.
template <class H, auto Free>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.h_) { other.h_ = nullptr; }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        std::swap(h_, other.h_);
        return *this;
    }
    ~UniqueHandle()
    {
        if (h_) Free(h_);
    }
    H get() const { return h_; }

private:
    H h_ = nullptr;
};
using UniqueFont = UniqueHandle<HFONT, DeleteObject>;
using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;

// The program icon (group 1) at the given size in pixels.
UniqueIcon LoadProgramIcon(int size);

// The dialog font of both windows at the given weight.
UniqueFont MakeDialogFont(int weight);
