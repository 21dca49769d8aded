#include "portable/Random.h"
#include "win32/Handles.h"
#include "win32/SystemLibrary.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <tuple>

namespace {

TEST(PlatformRandom, ProcessGeneratorDrawsInRange)
{
    Random& random = ProcessRandom();
    EXPECT_EQ(&random, &ProcessRandom());
    std::set<float> distinct;
    for (int i = 0; i < 1000; ++i) {
        random.Randomize();
        float r = random.Rnd();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        distinct.insert(r);
    }
    EXPECT_GT(distinct.size(), 990u);
}

// Same timer value in both: only the operating system's bytes can tell them apart.
TEST(PlatformRandom, SystemEntropyMakesSameInstantSeedsDiffer)
{
    auto sameInstant = [] { return uint64_t{0x123456789}; };
    Random a(sameInstant, SystemEntropy), b(sameInstant, SystemEntropy);
    a.Randomize();
    b.Randomize();
    std::vector<float> first, second;
    for (int i = 0; i < 4; ++i) {
        first.push_back(a.Rnd());
        second.push_back(b.Rnd());
    }
    EXPECT_NE(first, second);

    uint8_t bytes[64] = {};
    SystemEntropy(bytes, sizeof bytes);
    EXPECT_NE(std::vector<uint8_t>(bytes, bytes + 64), std::vector<uint8_t>(64, 0));
}

// The volume and index that name a file on this system, whichever path reaches it: a 32-bit
// process on 64-bit Windows is shown System32 but may see its system DLLs loaded from SysWOW64.
std::tuple<DWORD, DWORD, DWORD> FileIdentity(const std::wstring& path)
{
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    UniqueFile file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    EXPECT_TRUE(GetFileInformationByHandle(file.get(), &info)) << "no identity for the file " << path;
    return {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace

// A DLL beside the exe is never what LoadSystemLibrary loads, though the default search finds it.
TEST(SystemLibrary, IgnoresTheExesOwnFolder)
{
    wchar_t system[MAX_PATH], exe[MAX_PATH];
    ASSERT_NE(GetSystemDirectoryW(system, MAX_PATH), 0u);
    ASSERT_NE(GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
    std::wstring planted = exe;
    planted = planted.substr(0, planted.find_last_of(L'\\') + 1) + L"zorkplanted.dll";
    ASSERT_TRUE(CopyFileW((std::wstring(system) + L"\\bcrypt.dll").c_str(), planted.c_str(), FALSE));
    EXPECT_EQ(LoadSystemLibrary(L"zorkplanted.dll"), nullptr);
    HMODULE found = LoadLibraryW(L"zorkplanted.dll");
    EXPECT_NE(found, nullptr) << "the test's DLL does not load at all";
    if (found) FreeLibrary(found);
    std::wstring systemBcrypt = std::wstring(system) + L"\\bcrypt.dll";
    EXPECT_NE(FileIdentity(planted), FileIdentity(systemBcrypt)) << "a copy taken for the system's file";
    DeleteFileW(planted.c_str());

    HMODULE bcrypt = LoadSystemLibrary(L"bcrypt.dll");
    ASSERT_NE(bcrypt, nullptr);
    wchar_t loaded[MAX_PATH];
    ASSERT_NE(GetModuleFileNameW(bcrypt, loaded, MAX_PATH), 0u);
    EXPECT_EQ(FileIdentity(loaded), FileIdentity(systemBcrypt)) << "loaded from elsewhere: " << loaded;
}

// The full path that loads a system DLL where the search flags are unknown (Windows 7
// without KB2533623): the system folder, one separator, the name, and the file is there.
TEST(SystemLibrary, FallbackPathIsInTheSystemFolder)
{
    wchar_t system[MAX_PATH];
    UINT size = GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_NE(size, 0u);
    std::wstring folder = std::wstring(system, size) + L"\\";
    for (const wchar_t* name : {L"kernel32.dll", L"bcrypt.dll"}) {
        std::wstring path = SystemFolderPath(name);
        EXPECT_EQ(path, folder + name);
        EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "no file at the path for " << name;
    }
}
