#include "win32/PrivateClipboard.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>
#include <string>

namespace {

UINT refused = 0;  // the format the clipboard's stand-in refuses

HANDLE WINAPI SetDataRefusing(UINT format, HANDLE data)
{
    return format == refused ? nullptr : SetClipboardData(format, data);
}

// The text goes with all three privacy formats or not at all: with any one refused, the copy
// fails (the box beeps) and leaves nothing that clipboard history could keep.
TEST(PrivateClipboard, TextOnlyWithAllThreeFormats)
{
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    // Nothing refused, then each of the four formats in turn.
    const wchar_t* rows[] = {nullptr, L"text", L"ExcludeClipboardContentFromMonitorProcessing",
                             L"CanIncludeInClipboardHistory", L"CanUploadToCloudClipboard"};
    auto formatOf = [](const wchar_t* name) {
        return name == std::wstring(L"text") ? CF_UNICODETEXT : RegisterClipboardFormatW(name);
    };
    for (const wchar_t* row : rows) {
        SCOPED_TRACE(testing::Message() << "refused: " << (row ? row : L"none"));
        refused = row ? formatOf(row) : 0;
        EXPECT_EQ(CopyPrivately(owner, L"k7#Qx", SetDataRefusing), !row);
        if (row) {
            EXPECT_EQ(CountClipboardFormats(), 0) << "something left on the clipboard";
        }
        for (size_t i = 1; i < std::size(rows); ++i)
            EXPECT_EQ(IsClipboardFormatAvailable(formatOf(rows[i])) != 0, !row) << rows[i];
    }
    DestroyWindow(owner);
}

}  // namespace
