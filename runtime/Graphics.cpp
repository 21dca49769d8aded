#include "runtime/Graphics.h"

#include <vector>

int ScreenDpi()
{
    static const int dpi = [] {
        HDC dc = GetDC(nullptr);
        int value = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int Twips(int twips) { return MulDiv(twips, ScreenDpi(), 1440); }

UniqueIcon LoadProgramIcon(int size)
{
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0)));
}

namespace {

UniqueFont CreateDialogFont(const wchar_t* face, int weight)
{
    LOGFONTW font{};
    font.lfHeight = -MulDiv(825, ScreenDpi(), 7200);  // 8.25 pt
    font.lfWeight = weight;
    font.lfCharSet = EASTEUROPE_CHARSET;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return UniqueFont(CreateFontIndirectW(&font));
}

// Whether the system gave `face` itself with the Central European letters. GetTextFaceW
// repeats a substituted name as asked; the outline metrics name the family really used.
bool Realizes(HFONT font, const wchar_t* face)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    bool central = GetTextMetricsW(dc, &metrics) && metrics.tmCharSet == EASTEUROPE_CHARSET;
    wchar_t name[LF_FACESIZE] = L"";
    GetTextFaceW(dc, LF_FACESIZE, name);
    const wchar_t* family = name;
    std::vector<char> outline(GetOutlineTextMetricsW(dc, 0, nullptr));  // none for a bitmap font
    auto* metricsOut = reinterpret_cast<OUTLINETEXTMETRICW*>(outline.data());
    if (!outline.empty() && GetOutlineTextMetricsW(dc, UINT(outline.size()), metricsOut))
        family = reinterpret_cast<const wchar_t*>(outline.data() + UINT_PTR(metricsOut->otmpFamilyName));
    bool same = lstrcmpiW(family, face) == 0;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return central && same;
}

// MS Sans Serif where the system has it with charset 238; else the nearest equivalent:
// Microsoft Sans Serif has its widths, Tahoma comes with every Windows and with our Wine
// prefixes, and MS Shell Dlg is whatever the system maps its dialogs to.
const wchar_t* DialogFace()
{
    static const wchar_t* const face = [] {
        for (const wchar_t* candidate : {L"MS Sans Serif", L"Microsoft Sans Serif", L"Tahoma"})
            if (Realizes(CreateDialogFont(candidate, FW_NORMAL).get(), candidate)) return candidate;
        return L"MS Shell Dlg";
    }();
    return face;
}

}  // namespace

UniqueFont MakeDialogFont(int weight) { return CreateDialogFont(DialogFace(), weight); }
