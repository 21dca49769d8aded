#pragma once
// The IDs of the child controls of zorkMIX's windows. The forms number their controls in
// creation (tab) order from the window's first ID.

namespace ControlId {

// Main window.
enum Main : int {
    kLblPasswd = 1000,
    kPasswd,
    kLblLength,
    kMinimum,
    kMaximum,
    kLetters,
    kLower,
    kUpper,
    kBoth,
    kDigits,
    kSpecial,
    kFirst,
    kGenerate,
    kCancel,
    kAbout,
    kEn,
    kCs,
    kFrame,
    kDash,
};

// About window.
enum About : int {
    kAboutImage = 2000,
    kAboutTitleLine,
    kAboutCopyright,
    kAboutOk,
    kAboutMail,
    kAboutWeb,
};

}  // namespace ControlId
