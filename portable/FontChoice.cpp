// Portable core: which faces the windows use, from what the system realizes for each request.
#include "portable/FontChoice.h"

#include <optional>

#include "portable/Text.h"

namespace {

constexpr int kCentralEuropean = 238;

}  // namespace

DialogFaces ChooseDialogFaces(const RealizeFont& realize, int emHeight)
{
    // MS Sans Serif has the look the windows are laid out for; Microsoft Sans Serif has its
    // widths; Tahoma comes with every Windows and with our Wine prefixes.
    constexpr std::u16string_view kChain[] = {u"MS Sans Serif", u"Microsoft Sans Serif", u"Tahoma"};
    std::optional<DialogFaces> faces;
    for (std::u16string_view face : kChain) {
        RealizedFont font = realize(face);
        // Face names ignore ASCII case.
        if (!SameIgnoringAsciiCase(font.family, face) || font.charset != kCentralEuropean) continue;
        if (font.raster && font.emHeight != emHeight) continue;
        if (!faces) faces = DialogFaces{std::u16string(face), std::u16string(face)};
        if (!font.raster) {
            faces->password = face;
            return *faces;
        }
    }
    // MS Shell Dlg is whatever the system maps its dialogs to.
    if (!faces) return {u"MS Shell Dlg", u"MS Shell Dlg"};
    faces->password = u"MS Shell Dlg";
    return *faces;
}
