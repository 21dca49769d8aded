#pragma once
// The program's windows: the About window.
#include "win32/Forms.h"
#include "win32/Graphics.h"
#include "windows/ControlIds.h"

// The About window: icon, title and version, copyright and contact lines, OK.
class frmAbout final : public Form {
public:
    ~frmAbout() override { Unload(); }

private:
    Design GetDesign() const override;
    void CreateControls() override;
    void Form_Load() override;
    void cmdOK_Click() { Hide(); }

    Image Image1;
    ControlArray<Label, 0, 3, ControlId::kAboutTitleLine> lblInfo;
    CommandButton cmdOK;
    UniqueIcon picture_ = LoadProgramIcon(32);
};
