#pragma once
// A form: a window of the program, a modeless dialog whose controls are laid out in twips,
// with click handlers, default and cancel buttons, modal showing and unloading.
#include <windows.h>

#include <string>

#include "runtime/Controls.h"
#include "runtime/Graphics.h"
#include "runtime/MessageLoop.h"

// Position and size in twips, relative to the form's client area.
struct TwipsRect {
    int left, top, width, height;
};

class Form {
public:
    Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    HWND hWnd() const { return hwnd_; }
    bool Loaded() const { return hwnd_ != nullptr; }
    // How many forms are loaded; the program ends when none is.
    static int LoadedForms() { return loadedForms_; }

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
    void KeepControlsApart();

    static inline int loadedForms_ = 0;
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
