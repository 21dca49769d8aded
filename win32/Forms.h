#pragma once
// Win32 runtime: a form is a window of the program, a modeless dialog whose controls are laid
// out in twips at the form's DPI, with click handlers, default and cancel buttons, modal
// showing and unloading. The forms own the program's one message loop.
#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "win32/Controls.h"
#include "win32/Handles.h"

class Form {
public:
    Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    // A derived form unloads in its own destructor, so that no message of the window's
    // destruction reaches a control that is already gone.
    virtual ~Form() = default;

    HWND hWnd() const { return hwnd_; }
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
    };
    virtual Design GetDesign() const = 0;
    // Creates the controls with Add, in tab order.
    virtual void CreateControls() = 0;
    virtual void Form_Load() {}

    // Creates the control as the kind its type names, with its named ID, in tab order;
    // its clicks run `click`, a handler of the derived form.
    template <class Kind>
    void Add(Kind& control, int id, const std::u16string& caption, TwipsRect rect, DWORD extraStyle = 0)
    {
        AddControl(control, Kind::kKind, id, caption, rect, extraStyle);
    }
    template <class Kind, class Derived>
    void Add(Kind& control, int id, const std::u16string& caption, TwipsRect rect, void (Derived::*click)(),
             DWORD extraStyle = 0)
    {
        Add(control, id, caption, rect, extraStyle);
        control.click_.handler = static_cast<void (Form::*)()>(click);
    }
    // The member of a control array whose ID is `id`; its handler is given the member's index.
    template <class T, int16_t Lo, int16_t Hi, int FirstId>
    void Add(ControlArray<T, Lo, Hi, FirstId>& array, int id, const std::u16string& caption, TwipsRect rect,
             DWORD extraStyle = 0)
    {
        Add(array(array.IndexOf(id)), id, caption, rect, extraStyle);
    }
    template <class T, int16_t Lo, int16_t Hi, int FirstId, class Derived>
    void Add(ControlArray<T, Lo, Hi, FirstId>& array, int id, const std::u16string& caption, TwipsRect rect,
             void (Derived::*click)(int16_t), DWORD extraStyle = 0)
    {
        int16_t index = array.IndexOf(id);
        Add(array(index), id, caption, rect, extraStyle);
        array(index).click_ = {nullptr, static_cast<void (Form::*)(int16_t)>(click), index};
    }
    void SetDefault(CommandButton& button);
    void SetCancel(CommandButton& button) { cancel_ = &button; }
    void SetFont(Control& control, FontKind kind);

private:
    friend int RunMessageLoop();
    static std::optional<int> PumpMessages(const Form* modal);
    void AddControl(Control& control, ControlKind kind, int id, const std::u16string& caption, TwipsRect rect,
                    DWORD extraStyle);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void RunClick(Control& control);
    void Leave(bool destroy);
    void Create(HWND owner);
    HFONT Font(FontKind kind);
    RECT Pixels(TwipsRect rect) const;
    void LoadIcons();
    SIZE WindowSize(int dpi) const;
    void Place(POINT topLeft);
    void ApplyDpi(int dpi, const RECT* suggested);
    void PlaceControls();
    void KeepControlsApart();

    static inline int loadedForms_ = 0;
    HWND hwnd_ = nullptr;
    HWND modalOwner_ = nullptr;
    CommandButton* cancel_ = nullptr;
    ControlKind lastKind_ = ControlKind::Label;
    int dpi_ = 96;  // the DPI of the monitor the form is on
    std::array<UniqueFont, 3> fonts_;  // by FontKind, made when a control first uses one
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
};

// Runs the program's messages until no form is loaded; returns the exit code.
int RunMessageLoop();
