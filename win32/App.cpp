// Win32 runtime: the application object.
#include "win32/App.h"

#include <windows.h>

#include "portable/RuntimeError.h"
#include "portable/VersionRecord.h"
#include "win32/WideText.h"

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// Index of the last separator in the name; npos when there is none.
size_t LastSeparator(const std::u16string& fileName)
{
    for (size_t i = fileName.size(); i-- > 0;)
        if (IsSeparator(fileName[i])) return i;
    return std::u16string::npos;
}

// Full file name of the running exe, however long. The buffer starts small and
// doubles until the name fits.
std::u16string ModuleFileName()
{
    std::u16string buffer(128, u'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, W(buffer), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            throw RuntimeError(errPathFileAccess);
        // A full buffer means the name was cut short (with or without the terminator).
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::u16string FolderOf(const std::u16string& fileName)
{
    size_t slash = LastSeparator(fileName);
    if (slash == std::u16string::npos)
        return {};
    std::u16string folder = fileName.substr(0, slash);
    // "C:" alone names the drive's current folder; the root keeps its separator.
    if (!folder.empty() && folder.back() == u':')
        folder += u'\\';
    return folder;
}

std::u16string BaseNameWithoutExtension(const std::u16string& fileName)
{
    size_t slash = LastSeparator(fileName);
    std::u16string name = slash == std::u16string::npos ? fileName : fileName.substr(slash + 1);
    size_t dot = name.find_last_of(u'.');
    return dot == std::u16string::npos ? name : name.substr(0, dot);
}

VersionRecord ReadVersionRecord()
{
    // Resource memory lives as long as the module; no version.dll is needed to read it.
    HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    VersionRecord record;
    if (bytes) record = ParseVersionRecord(static_cast<const uint8_t*>(bytes), SizeofResource(nullptr, resource));
    // Without a record the title falls back to the exe's own name.
    if (record.title.empty())
        record.title = BaseNameWithoutExtension(ModuleFileName());
    return record;
}

const VersionRecord& Version()
{
    static const VersionRecord record = ReadVersionRecord();
    return record;
}

}  // namespace

namespace App {

std::u16string Path()
{
    static const std::u16string path = FolderOf(ModuleFileName());
    return path;
}

std::u16string Title() { return Version().title; }
int16_t Major() { return Version().major; }
int16_t Minor() { return Version().minor; }
int16_t Revision() { return Version().revision; }

}  // namespace App

std::u16string JoinPath(const std::u16string& folder, const std::u16string& name)
{
    if (folder.empty() || IsSeparator(folder.back()))
        return folder + name;
    return folder + u'\\' + name;
}
