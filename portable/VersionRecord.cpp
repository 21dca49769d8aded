// Portable core: the version record read from its bytes.
#include "portable/VersionRecord.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "portable/Text.h"

namespace {

// Every block is wLength, wValueLength, wType, a NUL-ended 16-bit key, the value and the
// blocks inside it; the value and each block start on a 32-bit boundary of the record.
struct Block {
    std::u16string key;
    size_t value, valueSize;  // in bytes
    size_t children, end;
};

constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr size_t kFixedInfoSize = 52;

uint16_t Word(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
size_t Align4(size_t offset) { return (offset + 3) & ~size_t(3); }

std::optional<Block> ReadBlock(const uint8_t* record, size_t offset, size_t limit)
{
    if (offset > limit || limit - offset < 6) return std::nullopt;
    size_t length = Word(record + offset);
    if (length < 6 || length > limit - offset) return std::nullopt;
    Block block;
    block.end = offset + length;
    size_t valueLength = Word(record + offset + 2);
    bool text = Word(record + offset + 4) == 1;  // a text value counts 16-bit units
    size_t at = offset + 6;
    for (;;) {
        if (block.end - at < 2) return std::nullopt;
        char16_t c = Word(record + at);
        at += 2;
        if (!c) break;
        block.key += c;
    }
    block.value = std::min(Align4(at), block.end);
    block.valueSize = std::min(text ? valueLength * 2 : valueLength, block.end - block.value);
    block.children = std::min(Align4(block.value + block.valueSize), block.end);
    return block;
}

std::optional<Block> FindChild(const uint8_t* record, const Block& parent, std::u16string_view key)
{
    for (size_t at = parent.children; at < parent.end;) {
        std::optional<Block> child = ReadBlock(record, at, parent.end);
        if (!child) return std::nullopt;
        if (SameIgnoringAsciiCase(child->key, key)) return child;
        at = Align4(child->end);
    }
    return std::nullopt;
}

}  // namespace

VersionRecord ParseVersionRecord(const uint8_t* bytes, size_t size)
{
    VersionRecord record;
    std::optional<Block> root = ReadBlock(bytes, 0, size);
    if (!root || root->key != u"VS_VERSION_INFO") return record;

    const uint8_t* fixed = bytes + root->value;
    if (root->valueSize >= kFixedInfoSize &&
        (Word(fixed) | uint32_t(Word(fixed + 2)) << 16) == kFixedInfoSignature) {
        // dwFileVersionMS (at 8) is major:minor and dwFileVersionLS (at 12) third:fourth, low word first.
        record.major = int16_t(Word(fixed + 10));
        record.minor = int16_t(Word(fixed + 8));
        record.revision = int16_t(Word(fixed + 12));
    }

    std::optional<Block> strings = FindChild(bytes, *root, u"StringFileInfo");
    std::optional<Block> table = strings ? FindChild(bytes, *strings, u"040904B0") : std::nullopt;
    std::optional<Block> name = table ? FindChild(bytes, *table, u"ProductName") : std::nullopt;
    if (name) {
        for (size_t at = name->value; at + 2 <= name->value + name->valueSize; at += 2) {
            char16_t c = Word(bytes + at);
            if (!c) break;
            record.title += c;
        }
    }
    return record;
}
