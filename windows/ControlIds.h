#pragma once
// The IDs of the controls of zorkMIX's windows, for the forms and for their tests, which read
// this file too (kLblPasswd is LBL_PASSWD there). A control array's members have consecutive
// IDs in index order, from the ID of its first member.

namespace ControlId {

// Main window.
enum Main : int {
    kLblPasswd = 1000,  // lblInfo(0..2)
    kLblLength = 1001,
    kDash = 1002,
    kPasswd = 1003,  // txtPasswd
    kMinimum = 1004,  // txtZnaky(0..1)
    kMaximum = 1005,
    kLetters = 1006,  // chkParametr(0..3)
    kDigits = 1007,
    kSpecial = 1008,
    kFirst = 1009,
    kLower = 1010,  // optZnaky(0..2)
    kUpper = 1011,
    kBoth = 1012,
    kGenerate = 1013,
    kCancel = 1014,
    kAbout = 1015,
    kCs = 1016,  // lblJazyk(0..1)
    kEn = 1017,
    kFrame = 1018,  // frmParametry
};

// About window.
enum About : int {
    kAboutImage = 2000,
    kAboutTitleLine = 2001,  // lblInfo(0..3)
    kAboutCopyright = 2002,
    kAboutMail = 2003,
    kAboutWeb = 2004,
    kAboutOk = 2005,
};

}  // namespace ControlId
