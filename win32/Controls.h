#pragma once
// Win32 runtime: the control kinds of a form and control arrays, views of real Win32 controls.
// Each kind's class names its kind, so a control is created as what its type says.
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "portable/RuntimeError.h"
#include "win32/DialogFont.h"

enum class ControlKind { Label, TextBox, CheckBox, OptionButton, CommandButton, Frame, Image };

// Position and size in twips, relative to the form's client area.
struct TwipsRect {
    int left, top, width, height;
};

// Where a control's accessible name is handed over: the system's accessibility property
// service, or a test's recorder.
using AccessibleNameTarget = void (*)(HWND hwnd, const std::u16string& name);

class Form;

// What a click on a control runs: a handler of its form, or an array's handler, which is given
// the member's index.
struct ClickHandler {
    void (Form::*handler)() = nullptr;
    void (Form::*indexedHandler)(int16_t) = nullptr;
    int16_t index = 0;
};

// A control of a form. The form creates and destroys its window; this is a view of it.
class Control {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    HWND hWnd() const { return hwnd_; }
    std::u16string Caption() const;
    void SetCaption(const std::u16string& caption);
    // The name screen readers give the control. It is handed to the system when an
    // accessibility client first asks for the control, so start-up does not pay for COM.
    void SetAccessibleName(const std::u16string& name);
    // Sends the names to `target` instead of the system (null: the system again).
    static void SendAccessibleNamesTo(AccessibleNameTarget target);
    bool Enabled() const { return IsWindowEnabled(hwnd_); }
    void SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }
    void SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }

    // System colour indexes for text and background; -1 keeps the default.
    int foreColor = -1;
    int backColor = -1;

private:
    friend class Form;
    static LRESULT CALLBACK NameOnRequest(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self);
    void ApplyAccessibleName();

    HWND hwnd_ = nullptr;
    ControlKind kind_ = ControlKind::Label;
    // What the form lays the control out from again at another DPI.
    TwipsRect twips_{};
    FontKind font_ = FontKind::Dialog;
    ClickHandler click_;
    std::u16string accessibleName_;
    bool nameRequested_ = false;  // a client has asked for the control: names go to the system at once

protected:
    bool autoSize_ = false;  // sized to its caption again after each change of DPI
};

// The control whose window is `hwnd`, when a form made it.
Control* ControlOf(HWND hwnd);

class Label : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::Label;
    // Sizes the label to its caption in its font, now and after each change of DPI.
    void AutoSize();
};

class TextBox : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::TextBox;
    std::u16string Text() const { return Caption(); }
    void SetText(const std::u16string& text) { SetCaption(text); }
    // Whatever way the user copies or cuts, Windows keeps the text out of clipboard history
    // and the cloud clipboard.
    void KeepCopiesPrivate();
};

class CheckBox : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::CheckBox;
    int16_t Value() const;  // 0 clear, 1 checked, 2 greyed
    void SetValue(int16_t value);
};

class OptionButton : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::OptionButton;
    bool Value() const;
    void SetValue(bool value);
};

class CommandButton : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::CommandButton;
};

class Frame : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::Frame;
};

class Image : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::Image;
    void SetPicture(HICON icon);  // borrowed: the form keeps the icon alive
};

// Controls of one kind told apart by a 16-bit index from Lo to Hi, with the consecutive control
// IDs from FirstId.
template <class T, int16_t Lo, int16_t Hi, int FirstId>
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
    // The index of the member whose control ID is `id`.
    int16_t IndexOf(int id) const
    {
        if (id < FirstId || id > FirstId + (Hi - Lo)) throw RuntimeError(errSubscript);
        return int16_t(Lo + (id - FirstId));
    }

private:
    std::array<T, Hi - Lo + 1> items_;
};
