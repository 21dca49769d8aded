// Win32 runtime: the dialog font of the program's windows, chosen once by what the system
// really realizes.
#include "win32/DialogFont.h"

#include <vector>

#include "win32/Graphics.h"

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
    WindowDC screen(nullptr);
    SelectedObject selected(screen.get(), font);
    TEXTMETRICW metrics{};
    bool central = GetTextMetricsW(screen.get(), &metrics) && metrics.tmCharSet == EASTEUROPE_CHARSET;
    wchar_t name[LF_FACESIZE] = L"";
    GetTextFaceW(screen.get(), LF_FACESIZE, name);
    const wchar_t* family = name;
    std::vector<char> outline(GetOutlineTextMetricsW(screen.get(), 0, nullptr));  // none for a bitmap font
    auto* metricsOut = reinterpret_cast<OUTLINETEXTMETRICW*>(outline.data());
    if (!outline.empty() && GetOutlineTextMetricsW(screen.get(), UINT(outline.size()), metricsOut))
        family = reinterpret_cast<const wchar_t*>(outline.data() + UINT_PTR(metricsOut->otmpFamilyName));
    return central && lstrcmpiW(family, face) == 0;
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
