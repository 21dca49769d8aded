// In-process checks of the real windows, which another process cannot make: the font in use,
// captions visible up to their access key in both languages, one-line labels, the text boxes'
// accessible names, the frame's size, the layout and icons at each DPI, and the owner enabled
// before About goes. test_windows.py runs it on its display at 96 and at 144 dpi, on a Western
// and on a Czech Windows (ZORK_LOCALE, ZORK_DPI name the prefix's kind), except the Western one
// at 96 dpi: tests/native_checks.py runs that, and in CI on Windows itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "win32/Graphics.h"
#include "win32/Handles.h"
#include "windows/ControlIds.h"
#include "windows/frmAbout.h"
#include "windows/frmGenerate.h"

namespace {

std::wstring ClassOf(HWND hwnd)
{
    wchar_t name[64] = L"";
    GetClassNameW(hwnd, name, 64);
    return name;
}

std::wstring TextOf(HWND hwnd)
{
    wchar_t text[256] = L"";
    GetWindowTextW(hwnd, text, 256);
    return text;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

struct FontInUse {
    std::wstring face;  // the family drawn: GetTextFace repeats a substituted name as asked
    int emHeight, charset, weight;
    bool raster;
    bool operator==(const FontInUse&) const = default;
};

std::ostream& operator<<(std::ostream& out, const FontInUse& font)
{
    return out << std::string(font.face.begin(), font.face.end()) << " " << font.emHeight << " px"
               << (font.raster ? " raster" : "");
}

FontInUse FontOf(HWND control)
{
    WindowDC windowDc(control);
    HDC dc = windowDc.get();
    SelectedObject font(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    wchar_t face[LF_FACESIZE] = L"";
    GetTextFaceW(dc, LF_FACESIZE, face);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    std::vector<char> outline(GetOutlineTextMetricsW(dc, 0, nullptr));
    auto* outlineMetrics = reinterpret_cast<OUTLINETEXTMETRICW*>(outline.data());
    if (!outline.empty() && GetOutlineTextMetricsW(dc, UINT(outline.size()), outlineMetrics))
        lstrcpynW(face, reinterpret_cast<const wchar_t*>(outline.data() + UINT_PTR(outlineMetrics->otmpFamilyName)),
                  LF_FACESIZE);
    return {face, int(metrics.tmHeight - metrics.tmInternalLeading), metrics.tmCharSet, int(metrics.tmWeight),
            (metrics.tmPitchAndFamily & (TMPF_VECTOR | TMPF_TRUETYPE)) == 0};
}

int CALLBACK Found(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// The face the window should use on a Windows outside the suite's Wine prefixes: the first of
// the dialog faces that the system lists with the Central European letters (enumerated, not
// realized as the program does).
std::wstring ExpectedFace()
{
    WindowDC screen(nullptr);
    for (const wchar_t* face : {L"MS Sans Serif", L"Microsoft Sans Serif", L"Tahoma"}) {
        LOGFONTW wanted{};
        wanted.lfCharSet = EASTEUROPE_CHARSET;
        lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
        bool found = false;
        EnumFontFamiliesExW(screen.get(), &wanted, Found, reinterpret_cast<LPARAM>(&found), 0);
        if (found) return face;
    }
    return L"MS Shell Dlg";
}

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

int Dpi()
{
    WindowDC screen(nullptr);
    return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

// What the suite's Wine prefix gives: a Czech Windows at 96 dpi has the Central European raster
// MS Sans Serif at the dialog size; any other, and the password box always, Tahoma.
bool RasterExpectedUnderWine(bool passwordBox)
{
    const char* locale = std::getenv("ZORK_LOCALE");
    const char* dpi = std::getenv("ZORK_DPI");
    return !passwordBox && locale && std::string(locale).starts_with("cs") && (!dpi || std::atoi(dpi) == 96);
}

void ExpectDialogFont(HWND control, int weight, bool passwordBox = false)
{
    FontInUse font = FontOf(control);
    SCOPED_TRACE(testing::Message() << "control " << GetDlgCtrlID(control));
    if (UnderWine()) {
        bool raster = RasterExpectedUnderWine(passwordBox);
        EXPECT_EQ(font.face, raster ? L"MS Sans Serif" : L"Tahoma");
        EXPECT_EQ(font.raster, raster);
    } else if (passwordBox) {
        EXPECT_FALSE(font.raster) << "a raster face shows characters it lacks as others";
    } else if (GetACP() == 1252) {
        // A Western Windows: its raster MS Sans Serif has no Central European letters.
        EXPECT_EQ(font.face, L"Microsoft Sans Serif");
        EXPECT_FALSE(font.raster);
    } else {
        EXPECT_EQ(font.face, ExpectedFace());
    }
    EXPECT_LE(std::abs(font.emHeight - 8.25 * Dpi() / 72), 0.5) << "8.25 pt";
    EXPECT_EQ(font.charset, EASTEUROPE_CHARSET);
    EXPECT_EQ(font.weight, weight);
}

int Extent(HWND control, const std::wstring& text)
{
    WindowDC dc(control);
    SelectedObject font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), int(text.size()), &size);
    return size.cx;
}

// Every caption shows whole up to and including its access-key letter (whole when it has none).
void ExpectCaptionsVisible(HWND form, const char* language)
{
    for (HWND control : Children(form)) {
        std::wstring caption = TextOf(control), cls = ClassOf(control);
        LONG style = GetWindowLongW(control, GWL_STYLE);
        bool button = lstrcmpiW(cls.c_str(), L"Button") == 0;
        if (caption.empty() || (button && (style & BS_TYPEMASK) == BS_GROUPBOX)) continue;
        SCOPED_TRACE(testing::Message() << language << ", control " << GetDlgCtrlID(control));
        std::wstring shown = caption;
        size_t key = caption.find(L'&');
        if (key != std::wstring::npos && !(style & SS_NOPREFIX && !button))
            shown = caption.substr(0, key) + caption.substr(key + 1, 1);
        std::wstring whole = caption;
        if (key != std::wstring::npos) whole.erase(key, 1);
        RECT client{};
        GetClientRect(control, &client);
        int room = client.right;
        if (button) {
            // The box, circle or border takes what the button's ideal width holds beyond its text.
            SIZE ideal{};
            ASSERT_TRUE(SendMessageW(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
            room -= ideal.cx - Extent(control, whole);
        }
        EXPECT_LE(Extent(control, shown), room) << "caption cut before its access key";
        // A label that would wrap shows one line: it wraps not at all, or its caption fits.
        if (!button && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP && (style & SS_TYPEMASK) != SS_SIMPLE) {
            EXPECT_LE(Extent(control, whole), room) << "label wraps its caption out of sight";
        }
    }
}

// Clicks the English label, as a user switches the main window's language.
void SwitchToEnglish(const frmGenerate& main)
{
    HWND english = GetDlgItem(main.hWnd(), ControlId::kEn);
    SendMessageW(main.hWnd(), WM_COMMAND, MAKEWPARAM(ControlId::kEn, STN_CLICKED), LPARAM(english));
}

// The text boxes and their accessible names in Czech and in English.
const int kBoxes[] = {ControlId::kPasswd, ControlId::kMinimum, ControlId::kMaximum};
const wchar_t* const kBoxNames[2][3] = {{L"Heslo", L"Nejmenší počet znaků", L"Největší počet znaků"},
                                         {L"Password", L"Minimum characters", L"Maximum characters"}};

class Windows : public testing::Test {
protected:
    void SetUp() override
    {
        main.Show();
        about.Load(main.hWnd());
    }
    frmGenerate main;
    frmAbout about;
};

TEST_F(Windows, UseTheDialogFont)
{
    // The suite names the DPI its Wine prefix was made with.
    if (const char* dpi = std::getenv("ZORK_DPI")) {
        ASSERT_EQ(Dpi(), std::atoi(dpi));
    }
    for (HWND control : Children(main.hWnd()))
        ExpectDialogFont(control, FW_NORMAL, GetDlgCtrlID(control) == ControlId::kPasswd);
    std::vector<HWND> lines = Children(about.hWnd());
    ExpectDialogFont(lines.at(1), FW_BOLD);  // the title and version line
    for (size_t i = 2; i < lines.size(); ++i) ExpectDialogFont(lines[i], FW_NORMAL);
}

TEST_F(Windows, ShowEveryCaptionUpToItsAccessKeyInBothLanguages)
{
    ExpectCaptionsVisible(main.hWnd(), "Czech");
    SwitchToEnglish(main);
    ASSERT_EQ(TextOf(GetDlgItem(main.hWnd(), ControlId::kGenerate)), L"&Generate");
    ExpectCaptionsVisible(main.hWnd(), "English");
    ExpectCaptionsVisible(about.hWnd(), "About");
}

// Whether the watched window's owner was enabled at each `watchedMessage` the window was sent.
HWND watched;
UINT watchedMessage;
std::vector<bool> ownerEnabled;

LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (sent->hwnd == watched && sent->message == watchedMessage && !(sent->message == WM_SHOWWINDOW && sent->wParam))
        ownerEnabled.push_back(IsWindowEnabled(GetWindow(watched, GW_OWNER)));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The owner is enabled before About hides (OK, pressed by Esc) or is destroyed (its close box),
// so that it can take the activation then.
TEST_F(Windows, EnableTheOwnerBeforeAboutGoes)
{
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, Watch, nullptr, GetCurrentThreadId());
    for (auto [posted, seen] : {std::pair<UINT, UINT>(WM_COMMAND, WM_SHOWWINDOW), {WM_CLOSE, WM_DESTROY}}) {
        about.Load(main.hWnd());
        watched = about.hWnd(), watchedMessage = seen, ownerEnabled.clear();
        PostMessageW(about.hWnd(), posted, IDCANCEL, 0);
        about.ShowModal(main);
        EXPECT_EQ(ownerEnabled, std::vector<bool>{true}) << (posted == WM_CLOSE ? "closed" : "OK");
    }
    UnhookWindowsHookEx(hook);
}

// The controls are cut where they overlap (test_windows.py clicks them); the frame lies under
// them and keeps its designed place and size.
TEST_F(Windows, KeepTheFrameWhole)
{
    RECT frame{};
    GetWindowRect(GetDlgItem(main.hWnd(), ControlId::kFrame), &frame);
    MapWindowPoints(nullptr, main.hWnd(), reinterpret_cast<POINT*>(&frame), 2);
    auto pixels = [](int twips) { return MulDiv(twips, Dpi(), 1440); };
    EXPECT_EQ(frame.left, pixels(240));
    EXPECT_EQ(frame.top, pixels(600));
    EXPECT_EQ(frame.right - frame.left, pixels(4695));
    EXPECT_EQ(frame.bottom - frame.top, pixels(1935));
}

// An HRESULT as Windows documents it.
std::string Hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

std::wstring AccessibleName(HWND control)
{
    IAccessible* accessible = nullptr;
    HRESULT hr =
        AccessibleObjectFromWindow(control, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&accessible));
    std::string code = Hex(hr);
    if (FAILED(hr)) return L"(no accessible object: " + std::wstring(code.begin(), code.end()) + L")";
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring result = SUCCEEDED(accessible->get_accName(self, &name)) && name ? name : L"(none)";
    SysFreeString(name);
    accessible->Release();
    return result;
}

// What the accessibility property service answers when asked to clear a window's name: it fails
// where the system keeps no names (Wine 8 answers E_NOTIMPL and names an edit box after the label
// before it).
HRESULT PropertyServiceAnswer(HWND window)
{
    IAccPropServices* services = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                  reinterpret_cast<void**>(&services));
    if (FAILED(hr)) return hr;
    hr = services->ClearHwndProps(window, OBJID_CLIENT, CHILDID_SELF, &PROPID_ACC_NAME, 1);
    services->Release();
    return hr;
}

TEST_F(Windows, NameTheTextBoxesForScreenReaders)
{
    // COM on this thread, which runs the windows, as a screen reader's requests need it; nothing
    // else is relied on to have set it up.
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(SUCCEEDED(hr)) << "CoInitializeEx: " << Hex(hr);
    struct Uninitialize {
        ~Uninitialize() { CoUninitialize(); }
    } uninitialize;
    hr = PropertyServiceAnswer(main.hWnd());
    if (FAILED(hr) && UnderWine()) GTEST_SKIP() << "this system keeps no accessible names (" << Hex(hr) << ")";
    ASSERT_TRUE(SUCCEEDED(hr)) << "the accessibility property service: " << Hex(hr);
    for (int language : {0, 1}) {
        if (language == 1) SwitchToEnglish(main);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(AccessibleName(GetDlgItem(main.hWnd(), kBoxes[i])), kBoxNames[language][i]);
    }
}

// What a form's DPI decides: its client size, its small and big icons' sizes, and each control's
// place, size and font.
using Layout = std::vector<std::pair<std::array<LONG, 4>, FontInUse>>;

Layout LayoutOf(HWND form)
{
    RECT client{};
    GetClientRect(form, &client);
    std::array<LONG, 4> icons{};  // the small icon's width and height, then the big one's
    for (int big : {0, 1}) {
        ICONINFO info{};
        BITMAP bitmap{};
        HICON icon = reinterpret_cast<HICON>(SendMessageW(form, WM_GETICON, big ? ICON_BIG : ICON_SMALL, 0));
        if (GetIconInfo(icon, &info)) {
            GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
        icons[2 * big] = bitmap.bmWidth, icons[2 * big + 1] = bitmap.bmHeight;
    }
    Layout layout{{{0, 0, client.right, client.bottom}, {}}, {icons, {}}};
    for (HWND control : Children(form)) {
        RECT box{};
        GetWindowRect(control, &box);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&box), 2);
        layout.push_back({{box.left, box.top, box.right, box.bottom}, FontOf(control)});
    }
    return layout;
}

// Moved to a monitor of another DPI, both windows lay themselves out as if created there, at the
// size they answered when asked beforehand, and a return gives back the first layout exactly;
// after 20 round trips no font or icon is left behind.
TEST(DpiChange, LaysOutEachWindowAsIfCreatedAtTheNewDpi)
{
    // The DPI sent and the one laid out at: Windows sends 72 to 480, anything else counts as the nearest.
    const std::pair<int, int> changes[] = {{120, 120}, {144, 144}, {192, 192}, {0, 72}, {9999, 480}};
    std::map<int, std::array<Layout, 2>> created;
    for (int dpi : {120, 144, 192, 72, 480, 0}) {
        PretendWindowDpi(dpi);
        frmGenerate main;
        main.Load();
        // About goes over a main window on a monitor of that DPI whose corner is the main window's
        // centre, the primary at 96: About starts on the primary and is placed over there first.
        RECT box{};
        GetWindowRect(main.hWnd(), &box);
        if (dpi)
            PretendWindowDpi(96, {(box.left + box.right) / 2, (box.top + box.bottom) / 2, LONG_MAX, LONG_MAX}, dpi);
        frmAbout about;
        about.Load(main.hWnd());
        created[dpi] = {LayoutOf(main.hWnd()), LayoutOf(about.hWnd())};
        const int at = dpi ? dpi : Dpi();
        const std::array<LONG, 4> icons = {MetricForDpi(SM_CXSMICON, at), MetricForDpi(SM_CYSMICON, at),
                                           MetricForDpi(SM_CXICON, at), MetricForDpi(SM_CYICON, at)};
        for (const Layout& layout : created[dpi]) EXPECT_EQ(layout[1].first, icons) << "icon sizes at " << at;
    }
    frmGenerate main;
    main.Load();
    frmAbout about;
    about.Load(main.hWnd());
    const HWND forms[] = {main.hWnd(), about.hWnd()};
    std::set<HGDIOBJ> fonts;  // every font the controls were given
    DWORD gdi = 0, user = 0;
    // The first round checks the layouts; the GDI and USER objects are counted from its end, when
    // the system has made whatever it keeps for each DPI, over 20 round trips more.
    for (int round = 0; round < 5; ++round) {
        if (round == 1) {
            gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
            user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
        }
        for (auto [sent, dpi] : changes) {
            for (auto [there, expected] : {std::pair(sent, dpi), std::pair(Dpi(), 0)}) {
                for (int i : {0, 1}) {
                    SCOPED_TRACE(testing::Message() << "form " << i << " sent " << there);
                    RECT before{}, now{};
                    GetWindowRect(forms[i], &before);
                    RECT suggested = before;
                    OffsetRect(&suggested, 8, 8);
                    SIZE answered{};
                    LRESULT answer = SendMessageW(forms[i], WM_GETDPISCALEDSIZE, there, LPARAM(&answered));
                    // A null rectangle with the DPI of 0: the window keeps its place.
                    SendMessageW(forms[i], WM_DPICHANGED, MAKEWPARAM(there, there), there ? LPARAM(&suggested) : 0);
                    for (HWND control : Children(forms[i])) fonts.insert(HGDIOBJ(SendMessageW(control, WM_GETFONT, 0, 0)));
                    if (round > 0) continue;
                    EXPECT_EQ(LayoutOf(forms[i]), created[expected][i]);
                    GetWindowRect(forms[i], &now);
                    EXPECT_EQ(answer, TRUE) << "WM_GETDPISCALEDSIZE not answered";
                    EXPECT_EQ(std::pair(answered.cx, answered.cy),
                              std::pair(now.right - now.left, now.bottom - now.top)) << "not the size answered";
                    EXPECT_EQ(SendMessageW(forms[i], WM_GETDPISCALEDSIZE, there, 0), FALSE) << "a null SIZE answered";
                    EXPECT_EQ(std::pair(now.left - before.left, now.top - before.top),
                              there ? std::pair(8L, 8L) : std::pair(0L, 0L)) << "not at the suggested top left";
                }
            }
        }
    }
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi) << "GDI objects left behind";
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), user) << "icons left behind";
    // Wine counts no objects: there, of the fonts given, only those the controls hold are left.
    for (HWND form : forms)
        for (HWND control : Children(form)) fonts.erase(HGDIOBJ(SendMessageW(control, WM_GETFONT, 0, 0)));
    for (HGDIOBJ font : fonts) EXPECT_EQ(GetObjectType(font), 0u) << "font " << font << " left behind";
}

std::map<HWND, std::wstring> handedOver;  // the name each window was last given

// Names go to the system when a client first asks for a box, and again on each language switch.
TEST(AccessibleNames, HandedOverOnceAskedForInTheLanguageShown)
{
    Control::SendAccessibleNamesTo([](HWND hwnd, const std::u16string& name) {
        handedOver[hwnd] = std::wstring(name.begin(), name.end());
    });
    struct Restore {
        ~Restore() { Control::SendAccessibleNamesTo(nullptr); }
    } restore;
    frmGenerate main;
    main.Show();
    EXPECT_TRUE(handedOver.empty()) << "names handed over before any client asked";
    auto box = [&](int id) { return GetDlgItem(main.hWnd(), id); };
    auto ask = [&](int id) { SendMessageW(box(id), WM_GETOBJECT, 0, LPARAM(OBJID_CLIENT)); };
    auto name = [&](int id) { return handedOver.contains(box(id)) ? handedOver[box(id)] : L"(none)"; };
    // The password and minimum boxes are asked for in Czech, the maximum box in English only.
    ask(ControlId::kPasswd);
    ask(ControlId::kMinimum);
    for (int language : {0, 1}) {
        if (language == 1) SwitchToEnglish(main);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(name(kBoxes[i]), i < 2 ? kBoxNames[language][i] : L"(none)")
                << "language " << language << ", control " << kBoxes[i];
    }
    ask(ControlId::kMaximum);
    EXPECT_EQ(name(ControlId::kMaximum), kBoxNames[1][2]);
}

}  // namespace
