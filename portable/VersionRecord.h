#pragma once
// Portable core: the exe's version record (a VS_VERSIONINFO resource) read from its bytes alone, so the
// exe needs no version.dll and the reading is the same on every platform.
#include <cstddef>
#include <cstdint>
#include <string>

struct VersionRecord {
    std::u16string title;  // ProductName of the 040904B0 string table; empty when missing
    // FILEVERSION holds major, minor, 0, revision: the revision is the fourth number.
    int16_t major = 0;
    int16_t minor = 0;
    int16_t revision = 0;
};

// What a damaged record lacks stays empty or zero; no byte outside [bytes, bytes + size) is read.
VersionRecord ParseVersionRecord(const uint8_t* bytes, size_t size);
