#include <gtest/gtest.h>

#include <map>
#include <string>

#include "portable/FontChoice.h"

namespace {

// What a system realizes for each face asked for with charset 238; any other face falls to
// DejaVu Sans, as in a fresh Wine prefix.
using System = std::map<std::u16string, RealizedFont, std::less<>>;

RealizeFont On(const System& system)
{
    return [&system](std::u16string_view face) {
        auto found = system.find(face);
        return found != system.end() ? found->second : RealizedFont{u"DejaVu Sans", 238, 11, false};
    };
}

TEST(ChooseDialogFaces, TakesWhatEachSystemRealizes)
{
    const RealizedFont microsoftSansSerif{u"Microsoft Sans Serif", 238, 11, false};
    const RealizedFont tahoma{u"Tahoma", 238, 11, false};
    const RealizedFont czechRaster{u"MS Sans Serif", 238, 11, true};  // sserifee.fon: one size
    const System czech = {
        {u"MS Sans Serif", czechRaster}, {u"Microsoft Sans Serif", microsoftSansSerif}, {u"Tahoma", tahoma}};
    struct Case {
        const char* system;
        System fonts;
        int emHeight;
        std::u16string dialog, password;
    } cases[] = {
        {"Western Windows: MS Sans Serif without the Czech letters",
         {{u"MS Sans Serif", {u"MS Sans Serif", 0, 11, true}},
          {u"Microsoft Sans Serif", microsoftSansSerif},
          {u"Tahoma", tahoma}},
         11, u"Microsoft Sans Serif", u"Microsoft Sans Serif"},
        {"Czech Windows at 96 dpi", czech, 11, u"MS Sans Serif", u"Microsoft Sans Serif"},
        {"Czech Windows at 144 dpi: the bitmap is too small", czech, 17, u"Microsoft Sans Serif",
         u"Microsoft Sans Serif"},
        {"Wine here: Tahoma and DejaVu Sans", {{u"Tahoma", tahoma}}, 11, u"Tahoma", u"Tahoma"},
        {"only the Czech bitmap", {{u"MS Sans Serif", czechRaster}}, 11, u"MS Sans Serif", u"MS Shell Dlg"},
        {"none of the faces", {}, 11, u"MS Shell Dlg", u"MS Shell Dlg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.system);
        DialogFaces faces = ChooseDialogFaces(On(c.fonts), c.emHeight);
        EXPECT_EQ(faces.dialog, c.dialog);
        EXPECT_EQ(faces.password, c.password);
    }
}

}  // namespace
