// In-process checks of the real windows, which another process cannot make: the font in use,
// captions visible up to their access key in both languages, one-line labels, and the text
// boxes' accessible names. test_windows.py runs it on its display at 96 and at 144 dpi.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/window/ControlIds.h"
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
    std::wstring face;
    int emHeight, charset, weight;
};

FontInUse FontOf(HWND control)
{
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    wchar_t face[LF_FACESIZE] = L"";
    GetTextFaceW(dc, LF_FACESIZE, face);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {face, int(metrics.tmHeight - metrics.tmInternalLeading), metrics.tmCharSet, int(metrics.tmWeight)};
}

int CALLBACK Found(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// The face the window should use: the first of the dialog faces that the system lists with
// the Central European letters (enumerated, not realized as the program does).
std::wstring ExpectedFace()
{
    HDC dc = GetDC(nullptr);
    std::wstring result = L"MS Shell Dlg";
    for (const wchar_t* face : {L"MS Sans Serif", L"Microsoft Sans Serif", L"Tahoma"}) {
        LOGFONTW wanted{};
        wanted.lfCharSet = EASTEUROPE_CHARSET;
        lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
        bool found = false;
        EnumFontFamiliesExW(dc, &wanted, Found, reinterpret_cast<LPARAM>(&found), 0);
        if (found) {
            result = face;
            break;
        }
    }
    ReleaseDC(nullptr, dc);
    return result;
}

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

int Dpi()
{
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}

void ExpectDialogFont(HWND control, int weight)
{
    FontInUse font = FontOf(control);
    SCOPED_TRACE(testing::Message() << "control " << GetDlgCtrlID(control));
    EXPECT_EQ(font.face, ExpectedFace());
    if (UnderWine()) {
        EXPECT_EQ(font.face, L"Tahoma") << "the Wine prefix lacks Tahoma";
    }
    EXPECT_LE(std::abs(font.emHeight - 8.25 * Dpi() / 72), 0.5) << "8.25 pt";
    EXPECT_EQ(font.charset, EASTEUROPE_CHARSET);
    EXPECT_EQ(font.weight, weight);
}

int Extent(HWND control, const std::wstring& text)
{
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cx;
}

// Every caption shows whole up to and including its access-key letter (whole when it has none).
void ExpectCaptionsVisible(HWND form)
{
    for (HWND control : Children(form)) {
        std::wstring caption = TextOf(control), cls = ClassOf(control);
        LONG style = GetWindowLongW(control, GWL_STYLE);
        bool button = lstrcmpiW(cls.c_str(), L"Button") == 0;
        if (caption.empty() || (button && (style & BS_TYPEMASK) == BS_GROUPBOX)) continue;
        SCOPED_TRACE(testing::Message() << "control " << GetDlgCtrlID(control));
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
    for (HWND control : Children(main.hWnd())) ExpectDialogFont(control, FW_NORMAL);
    std::vector<HWND> lines = Children(about.hWnd());
    ExpectDialogFont(lines.at(1), FW_BOLD);  // the title and version line
    for (size_t i = 2; i < lines.size(); ++i) ExpectDialogFont(lines[i], FW_NORMAL);
}

TEST_F(Windows, ShowEveryCaptionUpToItsAccessKeyInBothLanguages)
{
    {
        SCOPED_TRACE("Czech");
        ExpectCaptionsVisible(main.hWnd());
    }
    HWND english = GetDlgItem(main.hWnd(), ControlId::kEn);
    SendMessageW(main.hWnd(), WM_COMMAND, MAKEWPARAM(ControlId::kEn, STN_CLICKED), LPARAM(english));
    ASSERT_EQ(TextOf(GetDlgItem(main.hWnd(), ControlId::kGenerate)), L"&Generate");
    {
        SCOPED_TRACE("English");
        ExpectCaptionsVisible(main.hWnd());
    }
    ExpectCaptionsVisible(about.hWnd());
}

std::wstring AccessibleName(HWND control)
{
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, IID_IAccessible,
                                          reinterpret_cast<void**>(&accessible))))
        return L"(none)";
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring result = SUCCEEDED(accessible->get_accName(self, &name)) && name ? name : L"(none)";
    SysFreeString(name);
    accessible->Release();
    return result;
}

// Whether this system keeps names given through the accessibility property service
// (Wine 8 answers E_NOTIMPL and names an edit box after the label before it).
bool KeepsAccessibleNames(HWND window)
{
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                reinterpret_cast<void**>(&services))))
        return false;
    HRESULT hr = services->ClearHwndProps(window, OBJID_CLIENT, CHILDID_SELF, &PROPID_ACC_NAME, 0);
    services->Release();
    return hr != E_NOTIMPL;
}

TEST_F(Windows, NameTheTextBoxesForScreenReaders)
{
    if (!KeepsAccessibleNames(main.hWnd())) GTEST_SKIP() << "this system keeps no accessible names";
    const wchar_t* names[2][3] = {{L"Heslo", L"Nejmenší počet znaků", L"Největší počet znaků"},
                                  {L"Password", L"Minimum characters", L"Maximum characters"}};
    for (int language : {0, 1}) {
        if (language == 1)
            SendMessageW(main.hWnd(), WM_COMMAND, MAKEWPARAM(ControlId::kEn, STN_CLICKED),
                         LPARAM(GetDlgItem(main.hWnd(), ControlId::kEn)));
        int i = 0;
        for (int id : {ControlId::kPasswd, ControlId::kMinimum, ControlId::kMaximum})
            EXPECT_EQ(AccessibleName(GetDlgItem(main.hWnd(), id)), names[language][i++]);
    }
}

}  // namespace
