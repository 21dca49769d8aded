// Win32 runtime: the fonts of the program's windows, chosen once for each DPI by what the
// system really realizes.
#include "win32/DialogFont.h"

#include <utility>
#include <vector>

#include "portable/FontChoice.h"
#include "win32/WideText.h"

namespace {

int EmHeight(int dpi) { return MulDiv(825, dpi, 7200); }  // 8.25 pt

UniqueFont CreateDialogFont(const std::u16string& face, int weight, int dpi)
{
    LOGFONTW font{};
    font.lfHeight = -EmHeight(dpi);
    font.lfWeight = weight;
    font.lfCharSet = EASTEUROPE_CHARSET;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    lstrcpynW(font.lfFaceName, W(face), LF_FACESIZE);
    return UniqueFont(CreateFontIndirectW(&font));
}

// What GDI gives for a request of `face`. GetTextFaceW repeats a substituted name as asked;
// the outline metrics name the family really used, and a bitmap font has none.
RealizedFont RealizeOnScreen(std::u16string_view face, int dpi)
{
    UniqueFont font = CreateDialogFont(std::u16string(face), FW_NORMAL, dpi);
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

// A raster face is realized at its own sizes only, so the choice holds for one DPI. A program
// meets one DPI for each monitor, so the list stays short.
const DialogFaces& Faces(int dpi)
{
    static std::vector<std::pair<int, DialogFaces>> chosen;
    for (const auto& [known, faces] : chosen)
        if (known == dpi) return faces;
    auto realize = [dpi](std::u16string_view face) { return RealizeOnScreen(face, dpi); };
    return chosen.emplace_back(dpi, ChooseDialogFaces(realize, EmHeight(dpi))).second;
}

}  // namespace

UniqueFont MakeFont(FontKind kind, int dpi)
{
    const DialogFaces& faces = Faces(dpi);
    if (kind == FontKind::Password) return CreateDialogFont(faces.password, FW_NORMAL, dpi);
    return CreateDialogFont(faces.dialog, kind == FontKind::Bold ? FW_BOLD : FW_NORMAL, dpi);
}
