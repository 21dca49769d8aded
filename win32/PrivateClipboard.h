#pragma once
// Win32 runtime: copies that Windows keeps out of clipboard history and the cloud clipboard.
#include <windows.h>

#include <string>

// How a copy hands each format to the clipboard: SetClipboardData, or a test's stand-in.
using ClipboardSetData = HANDLE(WINAPI*)(UINT format, HANDLE data);

// Puts the text on the clipboard with the three formats that keep it out of clipboard history
// and the cloud clipboard, all or nothing: false, and the clipboard empty, when any of them
// could not be set; false, and the clipboard as it was, when it stayed busy.
bool CopyPrivately(HWND owner, const std::wstring& text, ClipboardSetData setData = SetClipboardData);
