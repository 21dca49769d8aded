// The program's windows: the About window.
#include "windows/frmAbout.h"

#include "win32/App.h"
#include "portable/Text.h"

Form::Design frmAbout::GetDesign() const { return {u"O aplikaci", 5160, 1830}; }

void frmAbout::CreateControls()
{
    using namespace ControlId;
    Add(Image1, kAboutImage, u"", {240, 240, 480, 480});
    Add(lblInfo, kAboutTitleLine, u"", {1200, 240, 4095, 255}, SS_NOPREFIX);
    Add(lblInfo, kAboutCopyright, u"Copyright \u00A9 2026 zorkMIX developers", {1200, 480, 4095, 255}, SS_NOPREFIX);
    Add(cmdOK, kAboutOk, u"OK", {3840, 1320, 1095, 375}, &frmAbout::cmdOK_Click);
    Add(lblInfo, kAboutMail, u"zorkmix@example.org", {1200, 960, 4095, 255}, SS_NOPREFIX);
    Add(lblInfo, kAboutWeb, u"https://zorkmix.example.org/", {1200, 720, 4095, 255}, SS_NOPREFIX);
    Image1.SetPicture(picture_.get());
    SetFont(lblInfo(0), FontKind::Bold);
    SetDefault(cmdOK);
    SetCancel(cmdOK);
}

void frmAbout::Form_Load()
{
    lblInfo(0).SetCaption(App::Title() + u" " + StrI2(App::Major()) + u"." + StrI2(App::Minor()) +
                          StrI2(App::Revision()));
}
