#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/unit/TestHelpersWin.h"
#include "win32/App.h"
#include "win32/Handles.h"

namespace {

std::u16string FolderOf(const std::u16string& fileName) { return fileName.substr(0, fileName.find_last_of(u'\\')); }

constexpr wchar_t kChildOutput[] = L"ZORK_APP_PATH_OUT";

TEST(JoinPath, PutsExactlyOneSeparatorBetween)
{
    struct Case {
        std::u16string folder, expected;
    } cases[] = {
        {u"C:\\Program Files\\zorkMIX", u"C:\\Program Files\\zorkMIX\\SpecChar.txt"},
        {u"C:\\", u"C:\\SpecChar.txt"},
        {u"\\\\server\\share", u"\\\\server\\share\\SpecChar.txt"},
        {u"\\\\server\\share\\", u"\\\\server\\share\\SpecChar.txt"},
        {u"\\\\?\\C:\\", u"\\\\?\\C:\\SpecChar.txt"},
        {u"D:\\Heslo \u017Elu\u0165ou\u010Dk\u00FD k\u016F\u0148 \u5BC6\u7801 \U0001D11E",
         u"D:\\Heslo \u017Elu\u0165ou\u010Dk\u00FD k\u016F\u0148 \u5BC6\u7801 \U0001D11E\\SpecChar.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JoinPath(c.folder, u"SpecChar.txt"), c.expected);
}

TEST(AppPath, IsTheFolderOfTheRunningExe)
{
    std::u16string image = ProcessImageName();
    std::u16string path = App::Path();
    EXPECT_EQ(path, FolderOf(image));
    ASSERT_FALSE(path.empty());
    EXPECT_NE(path.back(), u'\\');
    std::u16string exe = JoinPath(path, image.substr(image.find_last_of(u'\\') + 1));
    EXPECT_NE(GetFileAttributesW(W(exe)), INVALID_FILE_ATTRIBUTES);
}

// Only in the copies that CopiesElsewhereReportTheirFolder starts: writes Path() to the named file.
TEST(AppPath, ChildReportsItsPath)
{
    std::vector<wchar_t> output(32768);
    if (!GetEnvironmentVariableW(kChildOutput, output.data(), static_cast<DWORD>(output.size())))
        GTEST_SKIP() << "runs only in the copies started by CopiesElsewhereReportTheirFolder";
    std::u16string path = App::Path();
    HANDLE file = CreateFileW(output.data(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, path.data(), static_cast<DWORD>(path.size() * sizeof(char16_t)), &written, nullptr));
    CloseHandle(file);
}

// Runs a copy of this exe from the folder and returns the Path() it reports.
std::u16string PathReportedByCopyIn(const std::u16string& folder, const std::u16string& report)
{
    std::string id = std::to_string(GetCurrentProcessId());
    std::u16string exe = JoinPath(folder, u"zorkMIX app " + std::u16string(id.begin(), id.end()) + u".exe");
    if (!CopyFileW(W(ProcessImageName()), W(exe), FALSE)) {
        ADD_FAILURE() << "CopyFileW error " << GetLastError();
        return {};
    }
    EXPECT_EQ(RunTestChild(exe, u"AppPath.ChildReportsItsPath", kChildOutput, report, [](DWORD) {}), 0u);
    std::u16string reported;
    HANDLE file = CreateFileW(W(report), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        std::vector<char16_t> text(32768);
        DWORD read = 0;
        if (ReadFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(char16_t)), &read, nullptr))
            reported.assign(text.data(), read / sizeof(char16_t));
        CloseHandle(file);
    }
    DeleteFileW(W(report));
    DeleteFileW(W(exe));
    return reported;
}

// Copies of this exe in a drive root and in a folder with a long name in several
// scripts report those folders. CreateProcessW takes no name beyond MAX_PATH.
TEST(AppPath, CopiesElsewhereReportTheirFolder)
{
    TempFolder folder;
    const std::u16string& base = folder.Path();
    std::u16string report = base + u"\\path.txt";
    std::u16string part = u"P\u0159\u00EDli\u0161 \u017Elu\u0165ou\u010Dk\u00FD k\u016F\u0148 \u00FAp\u011Bl \u010F\u00E1belsk\u00E9 \u00F3dy "
                          u"\u5BC6\u7801\u751F\u6210\u5668 \u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC \U0001D11E";
    std::u16string longFolder = base + u"\\" + part + u" " + part;
    std::u16string driveRoot = base.substr(0, 3);
    ASSERT_EQ(driveRoot.substr(1), u":\\");
    ASSERT_TRUE(CreateDirectoryW(W(longFolder), nullptr));

    EXPECT_EQ(PathReportedByCopyIn(longFolder, report), longFolder);
    EXPECT_EQ(PathReportedByCopyIn(driveRoot, report), driveRoot);
}

// The exe's version record read through version.dll, independently of the app object.
class ExeVersionRecord {
public:
    ExeVersionRecord()
    {
        std::u16string image = ProcessImageName();
        DWORD size = GetFileVersionInfoSizeW(W(image), nullptr);
        block_.resize(size / sizeof(DWORD) + 1);
        if (!size || !GetFileVersionInfoW(W(image), 0, size, block_.data())) block_.clear();
        EXPECT_FALSE(block_.empty()) << "no version record";
    }
    // The value under the name ("\\" the fixed part), or nullptr when the record has none.
    const void* Value(const wchar_t* name) const
    {
        void* value = nullptr;
        UINT length = 0;
        if (block_.empty() || !VerQueryValueW(block_.data(), name, &value, &length) || length == 0) return nullptr;
        return value;
    }
    // A text of the US English string table, or nullptr.
    const wchar_t* Text(const wchar_t* name) const
    {
        return static_cast<const wchar_t*>(Value((L"\\StringFileInfo\\040904B0\\" + std::wstring(name)).c_str()));
    }

private:
    std::vector<DWORD> block_;
};

// The numbers and title come from the exe's version record, and the version text of the file is
// what the About window builds from the numbers: major "." minor revision.
TEST(AppVersion, ComesFromTheExesVersionRecord)
{
    ExeVersionRecord record;
    auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(record.Value(L"\\"));
    ASSERT_NE(fixed, nullptr);
    ASSERT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    // FILEVERSION is major, minor, 0, revision.
    EXPECT_EQ(App::Major(), HIWORD(fixed->dwFileVersionMS));
    EXPECT_EQ(App::Minor(), LOWORD(fixed->dwFileVersionMS));
    EXPECT_EQ(App::Revision(), LOWORD(fixed->dwFileVersionLS));
    const wchar_t* title = record.Text(L"ProductName");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(App::Title(), U(title));
    EXPECT_FALSE(App::Title().empty());

    const wchar_t* fileVersion = record.Text(L"FileVersion");
    ASSERT_NE(fileVersion, nullptr);
    std::string built = std::to_string(App::Major()) + "." + std::to_string(App::Minor()) + std::to_string(App::Revision());
    EXPECT_EQ(U(fileVersion), std::u16string(built.begin(), built.end()));
    const wchar_t* productVersion = record.Text(L"ProductVersion");
    ASSERT_NE(productVersion, nullptr);
    EXPECT_EQ(U(productVersion), U(fileVersion));
}

// An icon's pixels as GetDIBits gives them, top row first.
struct Picture {
    int size = 0;
    std::vector<uint32_t> colour, mask;
    uint32_t Colour(int x, int y) const { return colour[y * size + x] & 0xFFFFFF; }  // 0xRRGGBB
    bool Transparent(int x, int y) const { return (mask[y * size + x] & 0xFFFFFF) != 0; }
};

// Loads the exe's icon group 1 at the given size and reads back its pixels and mask.
Picture LoadIconPicture(int size)
{
    Picture picture;
    HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
    EXPECT_NE(icon, nullptr);
    if (!icon)
        return picture;
    ICONINFO info{};
    EXPECT_TRUE(GetIconInfo(icon, &info));
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = size;
    format.bmiHeader.biHeight = -size;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    picture.colour.resize(size * size);
    picture.mask.resize(size * size);
    {
        WindowDC screen(nullptr);
        EXPECT_EQ(GetDIBits(screen.get(), info.hbmColor, 0, size, picture.colour.data(), &format, DIB_RGB_COLORS), size);
        EXPECT_EQ(GetDIBits(screen.get(), info.hbmMask, 0, size, picture.mask.data(), &format, DIB_RGB_COLORS), size);
    }
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    picture.size = size;
    return picture;
}

TEST(ExeIcon, GroupOnePointsToOneImagePerSize)
{
    HRSRC group = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(nullptr, group)));
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(LookupIconIdFromDirectoryEx(directory, TRUE, 16, 16, LR_DEFAULTCOLOR), 30001);
    EXPECT_EQ(LookupIconIdFromDirectoryEx(directory, TRUE, 32, 32, LR_DEFAULTCOLOR), 30002);
}

// A key in black and dark grey on white, in a black frame, with a two-pixel
// transparent margin.
TEST(ExeIcon, ShowsAFramedKeyOnWhite)
{
    for (int size : {16, 32}) {
        SCOPED_TRACE(size);
        Picture picture = LoadIconPicture(size);
        ASSERT_EQ(picture.size, size);
        int frame = 0;
        while (frame < size / 2 && picture.Colour(size / 2, 2 + frame) == 0 && !picture.Transparent(size / 2, 2 + frame))
            ++frame;
        EXPECT_GE(frame, 2) << "frame thickness";
        int black = 0, grey = 0, white = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                int edge = std::min(std::min(x, y), std::min(size - 1 - x, size - 1 - y));
                uint32_t colour = picture.Colour(x, y);
                bool transparent = picture.Transparent(x, y);
                ASSERT_EQ(transparent, edge < 2) << "pixel " << x << "," << y;
                if (edge < 2)
                    continue;
                if (edge < 2 + frame) {
                    ASSERT_EQ(colour, 0u) << "frame pixel " << x << "," << y;
                    continue;
                }
                black += colour == 0x000000;
                grey += colour == 0x808080;
                white += colour == 0xFFFFFF;
                ASSERT_TRUE(colour == 0x000000 || colour == 0x808080 || colour == 0xFFFFFF)
                    << "pixel " << x << "," << y << " colour " << std::hex << colour;
            }
        }
        EXPECT_GT(white, black) << "white field";
        EXPECT_GT(black, 0) << "the key";
        EXPECT_GT(grey, 0) << "grey edge pixels";
        EXPECT_LT(grey, black);
    }
}

TEST(ExeManifest, MakesTheProcessDpiAware)
{
    EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST), nullptr);
    EXPECT_TRUE(IsProcessDPIAware());
}

}  // namespace
