#pragma once
// The program's windows: the About window.
#include "win32/Forms.h"
#include "win32/Graphics.h"

// The About window: icon, title and version, copyright and contact lines, OK.
class frmAbout final : public Form {
private:
    Design GetDesign() const override;
    void CreateControls() override;
    void Form_Load() override;
    void Click(Control& control) override;
    void cmdOK_Click() { Hide(); }

    Image Image1;
    ControlArray<Label, 0, 3> lblInfo;
    CommandButton cmdOK;
    UniqueIcon picture_ = LoadProgramIcon(32);
};
