#pragma once
// Portable core: which faces the windows use, from what the system realizes for each request.
#include <functional>
#include <string>
#include <string_view>

// What the system gave for a request of one face at the dialog height with the Central
// European charset.
struct RealizedFont {
    std::u16string family;  // the family really used, which may be a substitute
    int charset = 0;
    int emHeight = 0;       // pixels, without internal leading
    bool raster = false;    // a bitmap font, drawn at its own sizes only
};

using RealizeFont = std::function<RealizedFont(std::u16string_view face)>;

struct DialogFaces {
    std::u16string dialog;    // labels, buttons, boxes
    std::u16string password;  // the password box: never a raster face
};

// The first of MS Sans Serif, Microsoft Sans Serif and Tahoma that the system realizes as
// itself with charset 238, a raster one only at exactly `emHeight`; else MS Shell Dlg. The
// password box takes the same face unless it is raster, else the first such face that is not.
// A raster font draws a character it lacks as another one, so the box would show characters
// that are not in the password.
DialogFaces ChooseDialogFaces(const RealizeFont& realize, int emHeight);
