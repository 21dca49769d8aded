// Win32 runtime: sequential file input under file numbers.
#include "win32/FileInput.h"

#include <windows.h>

#include <algorithm>
#include <vector>
#include <new>

#include "portable/DecodeLine.h"
#include "portable/RuntimeError.h"
#include "win32/Handles.h"
#include "win32/WideText.h"

namespace {

constexpr size_t kChunk = 64 * 1024;
constexpr size_t kMaxChunk = 16 * 1024 * 1024;

// Bytes as text in the system's ANSI code page.
std::u16string AnsiText(std::string_view bytes)
{
    if (bytes.empty()) return {};
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) throw std::bad_alloc();
    int length = static_cast<int>(bytes.size());
    int wide = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (wide <= 0) throw RuntimeError(errInternal, u"MultiByteToWideChar");
    std::u16string text(static_cast<size_t>(wide), u'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, W(text), wide);
    return text;
}

struct InputFile {
    int16_t number = 0;
    UniqueFile handle;
    std::u16string path;  // as given, for error details
    std::string buffer;   // bytes read; those not yet consumed start at `used`
    size_t used = 0;
    bool atEnd = false;   // ReadFile has reported the end of the file
    bool started = false; // the byte order mark has been looked for
    TextEncoding encoding = TextEncoding::Unmarked;  // as the mark says

    // Appends the next bytes of the file to the buffer; false at the end of the file.
    bool ReadMore()
    {
        if (atEnd) return false;
        // Reads grow with the buffer so that a very long line takes few calls.
        DWORD want = static_cast<DWORD>(std::clamp<size_t>(buffer.size(), kChunk, kMaxChunk));
        size_t old = buffer.size();
        buffer.resize(old + want);
        DWORD got = 0;
        BOOL ok = ReadFile(handle.get(), buffer.data() + old, want, &got, nullptr);
        buffer.resize(old + got);
        if (!ok) throw RuntimeError(errPathFileAccess, path);
        if (got == 0) atEnd = true;
        return got > 0;
    }

    // The next line without its break; the bytes of the break are consumed too.
    std::u16string ReadLine()
    {
        if (!started) {
            while (buffer.size() < 3 && ReadMore()) {}
            const ByteOrderMark mark = ReadMark(buffer);
            used = mark.length;
            encoding = mark.encoding;
            started = true;
        }

        buffer.erase(0, used);
        used = 0;

        // Each unit is searched once, so a long line costs linear time. The buffer starts at a
        // unit boundary: the mark and every line before are whole units.
        const size_t unit = UnitSize(encoding);
        size_t searched = 0;
        for (;;) {
            size_t brk = FindLineBreak(buffer, searched, encoding);
            if (brk != std::string::npos) {
                size_t next = brk + unit;
                if (UnitAt(buffer, brk, encoding) == u'\r') {
                    // CR LF may be split across two reads.
                    if (next + unit > buffer.size()) ReadMore();
                    if (next + unit <= buffer.size() && UnitAt(buffer, next, encoding) == u'\n') next += unit;
                }
                used = next;
                return Decode(brk);
            }
            searched = buffer.size() - buffer.size() % unit;
            if (!ReadMore()) break;
        }
        if (buffer.empty()) throw RuntimeError(errInputPastEnd, path);
        used = buffer.size();
        return Decode(buffer.size());
    }

    // The first `length` bytes of the buffer as characters.
    std::u16string Decode(size_t length) const
    {
        return DecodeLine(std::string_view(buffer.data(), length), encoding, AnsiText);
    }
};

// Files open for input; the program reads on one thread only, and one file at a time.
std::vector<InputFile>& Files()
{
    static std::vector<InputFile> files;
    return files;
}

InputFile* OpenFile(int16_t fileNumber)
{
    for (InputFile& file : Files())
        if (file.number == fileNumber) return &file;
    return nullptr;
}

// Paths at or beyond MAX_PATH need the \\?\ form unless the system has long paths enabled.
// That form is taken literally, so the path is made full and normal first.
std::u16string ForCreateFile(const std::u16string& path)
{
    if (path.size() < MAX_PATH - 12 || path.rfind(u"\\\\?\\", 0) == 0 || path.rfind(u"\\\\.\\", 0) == 0)
        return path;
    DWORD size = GetFullPathNameW(W(path), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::u16string full(size, u'\0');
    size = GetFullPathNameW(W(path), size, W(full), nullptr);
    if (size == 0 || size >= full.size()) return path;
    full.resize(size);
    if (full.rfind(u"\\\\", 0) == 0) return u"\\\\?\\UNC\\" + full.substr(2);
    return u"\\\\?\\" + full;
}

}  // namespace

void FileOpenInput(int16_t fileNumber, const std::u16string& path)
{
    if (fileNumber < 1) throw RuntimeError(errBadFileNumber, path);
    if (OpenFile(fileNumber)) throw RuntimeError(errFileAlreadyOpen, path);

    HANDLE h = CreateFileW(W(ForCreateFile(path)), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        throw RuntimeError(missing ? errFileNotFound : errPathFileAccess, path);
    }
    InputFile file;
    file.number = fileNumber;
    file.handle = UniqueFile(h);
    file.path = path;
    Files().push_back(std::move(file));
}

std::u16string LineInput(int16_t fileNumber)
{
    InputFile* file = OpenFile(fileNumber);
    if (!file) throw RuntimeError(errBadFileNumber);
    try {
        return file->ReadLine();
    } catch (const std::bad_alloc&) {
        // A line too long for the address space is reported like any other error.
        throw RuntimeError(errOutOfMemory, file->path);
    }
}

void FileCloseAll() { Files().clear(); }
