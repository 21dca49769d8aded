#include "win32/PrivateClipboard.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>
#include <string>
#include <thread>
#include <utility>

#include "windows/frmGenerate.h"

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
        } else {
            ASSERT_TRUE(OpenClipboard(owner));
            for (size_t i = 2; i < std::size(rows); ++i) {
                HANDLE data = GetClipboardData(formatOf(rows[i]));
                const auto* value = static_cast<const DWORD*>(GlobalLock(data));
                EXPECT_TRUE(value && *value == 0) << rows[i] << " is not 0";
                GlobalUnlock(data);
            }
            CloseClipboard();
        }
        for (size_t i = 1; i < std::size(rows); ++i)
            EXPECT_EQ(IsClipboardFormatAvailable(formatOf(rows[i])) != 0, !row) << rows[i];
    }
    DestroyWindow(owner);
}

// Another program holds the clipboard for a moment: a cut waits for it and takes the text. Held
// past the wait, the cut fails and the box keeps its text.
TEST(PrivateClipboard, CutWaitsForABusyClipboard)
{
    frmGenerate main;
    main.Load();
    HWND box = FindWindowExW(main.hWnd(), nullptr, L"Edit", nullptr);  // the password box
    for (auto [held, left] : {std::pair(50, L""), std::pair(500, L"k7#Qx")}) {
        SetWindowTextW(box, L"k7#Qx");
        SendMessageW(box, EM_SETSEL, 0, -1);
        HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::thread holder([&, held = held] {
            HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
            OpenClipboard(window);
            SetEvent(opened);
            Sleep(held);
            CloseClipboard();
        });  // its window goes with the thread
        WaitForSingleObject(opened, INFINITE);
        SendMessageW(box, WM_CUT, 0, 0);
        holder.join();
        CloseHandle(opened);
        wchar_t text[16] = L"";
        GetWindowTextW(box, text, 16);
        EXPECT_STREQ(text, left) << "the clipboard held for " << held << " ms";
    }
}

}  // namespace
