// Win32 runtime: the fonts of the program's windows, chosen once by what the system really
// realizes.
#include "win32/DialogFont.h"

#include <vector>

#include "portable/FontChoice.h"
#include "win32/Graphics.h"
#include "win32/WideText.h"

namespace {

int EmHeight() { return MulDiv(825, ScreenDpi(), 7200); }  // 8.25 pt

UniqueFont CreateDialogFont(const std::u16string& face, int weight)
{
    LOGFONTW font{};
    font.lfHeight = -EmHeight();
    font.lfWeight = weight;
    font.lfCharSet = EASTEUROPE_CHARSET;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    lstrcpynW(font.lfFaceName, W(face), LF_FACESIZE);
    return UniqueFont(CreateFontIndirectW(&font));
}

// What GDI gives for a request of `face`. GetTextFaceW repeats a substituted name as asked;
// the outline metrics name the family really used, and a bitmap font has none.
RealizedFont RealizeOnScreen(std::u16string_view face)
{
    UniqueFont font = CreateDialogFont(std::u16string(face), FW_NORMAL);
    WindowDC screen(nullptr);
    SelectedObject selected(screen.get(), font.get());
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.get(), &metrics);
    wchar_t name[LF_FACESIZE] = L"";
    GetTextFaceW(screen.get(), LF_FACESIZE, name);
    const wchar_t* family = name;
    std::vector<char> outline(GetOutlineTextMetricsW(screen.get(), 0, nullptr));
    auto* outlineMetrics = reinterpret_cast<OUTLINETEXTMETRICW*>(outline.data());
    if (!outline.empty() && GetOutlineTextMetricsW(screen.get(), UINT(outline.size()), outlineMetrics))
        family = reinterpret_cast<const wchar_t*>(outline.data() + UINT_PTR(outlineMetrics->otmpFamilyName));
    return {reinterpret_cast<const char16_t*>(family), metrics.tmCharSet,
            int(metrics.tmHeight - metrics.tmInternalLeading),
            (metrics.tmPitchAndFamily & (TMPF_VECTOR | TMPF_TRUETYPE)) == 0};
}

const DialogFaces& Faces()
{
    static const DialogFaces faces = ChooseDialogFaces(RealizeOnScreen, EmHeight());
    return faces;
}

}  // namespace

UniqueFont MakeDialogFont(int weight) { return CreateDialogFont(Faces().dialog, weight); }

UniqueFont MakePasswordFont() { return CreateDialogFont(Faces().password, FW_NORMAL); }
