#pragma once
// Forms over real Win32 controls: windows laid out in twips, control arrays, click
// handlers, default and cancel buttons, modal showing and the program's message loop.
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "runtime/RuntimeError.h"
#include "runtime/WideText.h"


// Pixels for a length in twips at the system DPI.
int Twips(int twips);

// Position and size in twips, relative to the form's client area.
struct TwipsRect {
    int left, top, width, height;
};

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

enum class ControlKind { Label, TextBox, CheckBox, OptionButton, CommandButton, Frame, Image };

// A control of a form. The form creates and destroys its window; this is a view of it.
class Control {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    HWND hWnd() const { return hwnd_; }
    std::u16string Caption() const;
    void SetCaption(const std::u16string& caption);
    bool Enabled() const { return IsWindowEnabled(hwnd_); }
    void SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }
    bool Visible() const { return IsWindowVisible(hwnd_); }
    void SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }

    // System colour indexes for text and background; -1 keeps the default.
    int foreColor = -1;
    int backColor = -1;

private:
    friend class Form;
    HWND hwnd_ = nullptr;
    ControlKind kind_ = ControlKind::Label;
};

class Label : public Control {
public:
    // Sizes the label to its caption in its font.
    void AutoSize();
};

class TextBox : public Control {
public:
    std::u16string Text() const { return Caption(); }
    void SetText(const std::u16string& text) { SetCaption(text); }
};

class CheckBox : public Control {
public:
    int16_t Value() const;  // 0 clear, 1 checked, 2 greyed
    void SetValue(int16_t value);
};

class OptionButton : public Control {
public:
    bool Value() const;
    void SetValue(bool value);
};

class CommandButton : public Control {};
class Frame : public Control {};

class Image : public Control {
public:
    void SetPicture(HICON icon);  // borrowed: the form keeps the icon alive
};

// Controls of one kind told apart by a 16-bit index from Lo to Hi.
template <class T, int16_t Lo, int16_t Hi>
class ControlArray {
public:
    int16_t LBound() const { return Lo; }
    int16_t UBound() const { return Hi; }
    T& operator()(int16_t index)
    {
        if (index < Lo || index > Hi) throw RuntimeError(errSubscript);
        return items_[index - Lo];
    }
    const T& operator()(int16_t index) const { return const_cast<ControlArray&>(*this)(index); }
    // The index of `control` when it is a member.
    bool Find(const Control& control, int16_t& index) const
    {
        for (int16_t i = Lo; i <= Hi; ++i)
            if (&items_[i - Lo] == &control) {
                index = i;
                return true;
            }
        return false;
    }

private:
    std::array<T, Hi - Lo + 1> items_;
};

// A window of the program: a modeless dialog whose controls are created from twips.
class Form {
public:
    Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    HWND hWnd() const { return hwnd_; }
    bool Loaded() const { return hwnd_ != nullptr; }

    // Creates the window on first use and runs Form_Load; an error on the way unloads it again.
    void Load(HWND owner = nullptr);
    void Show();
    // Shows the form with `owner` disabled until this form is hidden or unloaded.
    void ShowModal(Form& owner);
    void Hide();
    void Unload();

protected:
    struct Design {
        std::u16string title;
        int clientWidth, clientHeight;  // twips
        int firstControlId;             // controls get consecutive IDs in tab order
    };
    virtual Design GetDesign() const = 0;
    // Creates the controls with Add, in tab order.
    virtual void CreateControls() = 0;
    virtual void Form_Load() {}
    virtual void Click(Control& control) = 0;

    void Add(Control& control, ControlKind kind, const std::u16string& caption, TwipsRect rect,
             DWORD extraStyle = 0);
    void SetDefault(CommandButton& button);
    void SetCancel(CommandButton& button) { cancel_ = &button; }
    void SetFont(Control& control, HFONT font) { SendMessageW(control.hwnd_, WM_SETFONT, WPARAM(font), TRUE); }
    HFONT DialogFont() const { return font_.get(); }
    HFONT BoldDialogFont();

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void RunClick(Control& control);
    void Create(HWND owner);
    void KeepLabelsUnderControls();

    HWND hwnd_ = nullptr;
    HWND modalOwner_ = nullptr;
    CommandButton* cancel_ = nullptr;
    int nextId_ = 0;
    ControlKind lastKind_ = ControlKind::Label;
    UniqueFont font_;
    UniqueFont boldFont_;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
};

// Shows the standard error report, owned by the active window.
void ReportError(const RuntimeError& error);

// For the exception being handled, or none: shows the error report (out of memory for
// std::bad_alloc, internal error for anything else) and ends the process with the error's
// number as its exit code.
[[noreturn]] void ReportErrorAndExit() noexcept;

// Runs until no form is loaded; returns the exit code.
int RunMessageLoop();
