// Portable core: the ChaCha20 generator behind Rnd() and Randomize().
#include "portable/Random.h"

#include <bit>
#include <cstring>
#include <utility>

namespace {

// OS bytes are fetched this many at a time, enough for 8 seeds.
constexpr size_t kEntropyBlock = 256;

uint32_t Load32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The empty asm makes the zeroed memory observable, so the compiler keeps the wipe
// even where it considers the memory dead.
void Wipe(void* p, size_t size)
{
    std::memset(p, 0, size);
    asm volatile("" : : "r"(p) : "memory");
}

inline uint32_t Rotl(uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }

inline void QuarterRound(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d)
{
    a += b; d ^= a; d = Rotl(d, 16);
    c += d; b ^= c; b = Rotl(b, 12);
    a += b; d ^= a; d = Rotl(d, 8);
    c += d; b ^= c; b = Rotl(b, 7);
}

}  // namespace

// The state lives in 16 locals rather than an array, so that the compiler keeps it in
// registers at -O2 too (an array stays in memory and costs three times as much on i686).
void ChaCha20Block(const std::array<uint32_t, 8>& key, uint32_t counter,
                   const std::array<uint32_t, 3>& nonce, uint8_t out[64])
{
    const uint32_t s0 = 0x61707865, s1 = 0x3320646e, s2 = 0x79622d32, s3 = 0x6b206574;  // "expand 32-byte k"
    uint32_t x0 = s0, x1 = s1, x2 = s2, x3 = s3;
    uint32_t x4 = key[0], x5 = key[1], x6 = key[2], x7 = key[3];
    uint32_t x8 = key[4], x9 = key[5], x10 = key[6], x11 = key[7];
    uint32_t x12 = counter, x13 = nonce[0], x14 = nonce[1], x15 = nonce[2];
    for (int i = 0; i < 10; ++i) {
        QuarterRound(x0, x4, x8, x12);
        QuarterRound(x1, x5, x9, x13);
        QuarterRound(x2, x6, x10, x14);
        QuarterRound(x3, x7, x11, x15);
        QuarterRound(x0, x5, x10, x15);
        QuarterRound(x1, x6, x11, x12);
        QuarterRound(x2, x7, x8, x13);
        QuarterRound(x3, x4, x9, x14);
    }
    const uint32_t words[16] = {
        x0 + s0, x1 + s1, x2 + s2, x3 + s3,
        x4 + key[0], x5 + key[1], x6 + key[2], x7 + key[3],
        x8 + key[4], x9 + key[5], x10 + key[6], x11 + key[7],
        x12 + counter, x13 + nonce[0], x14 + nonce[1], x15 + nonce[2]};
    if constexpr (std::endian::native == std::endian::little)
        std::memcpy(out, words, sizeof words);  // byte-wise stores cost a tenth of the block at -O2
    else
        for (int i = 0; i < 64; ++i) out[i] = uint8_t(words[i / 4] >> (8 * (i % 4)));
}

Random::Random(Timer timer, Entropy entropy)
    : timer_(std::move(timer)), entropy_(std::move(entropy)) {}

// The first key is 32 OS bytes, taken at the first draw or re-seed rather than at start-up,
// so every start, and the first length it draws, is as unpredictable as any later one.
void Random::TakeFirstKey()
{
    uint8_t* seed = NextEntropy();
    for (size_t i = 0; i < key_.size(); ++i) key_[i] = Load32(seed + 4 * i);
    Wipe(seed, kSeedBytes);
    keyed_ = true;
}

// Keystream blocks under the current key. The last nonce word is 0 here and 1 in
// Randomize(), so a re-seed block never equals a block already given out.
void Random::Refill()
{
    if (!keyed_) TakeFirstKey();
    ChaCha20Block(key_, uint32_t(blockCounter_), {uint32_t(blockCounter_ >> 32), 0, 0}, block_.data());
    ++blockCounter_;
    used_ = 0;
}

// Each keystream byte is given out once and wiped.
uint8_t Random::NextByte()
{
    if (used_ == block_.size()) Refill();
    uint8_t b = block_[used_];
    block_[used_++] = 0;
    return b;
}

float Random::Rnd()
{
    uint32_t v = NextByte();
    v |= uint32_t(NextByte()) << 8;
    v |= uint32_t(NextByte()) << 16;
    return float(v) * 0x1p-24f;  // exact: v < 2^24
}

uint8_t* Random::NextEntropy()
{
    if (entropyUsed_ + kSeedBytes > entropyPool_.size()) {
        entropyPool_.resize(kEntropyBlock);
        entropyUsed_ = kEntropyBlock;  // none of it is fresh until the fetch succeeds
        entropy_(entropyPool_.data(), entropyPool_.size());
        entropyUsed_ = 0;
    }
    uint8_t* seed = entropyPool_.data() + entropyUsed_;
    entropyUsed_ += kSeedBytes;
    return seed;
}

// New key: the first half of one ChaCha20 block keyed with the key (XOR fresh OS bytes on
// seed-taking re-seeds) and the timer value as nonce; the old key cannot be computed back
// from it. The second half of the block is the next keystream. The key changes on every
// call, so an unchanged timer value never restarts the sequence.
void Random::Randomize(uint64_t timerValue)
{
    if (!keyed_) TakeFirstKey();
    std::array<uint32_t, 8> mixed = key_;
    // Counted only once its seed is in, so a re-seed whose fetch failed is tried again in full.
    if (reseeds_ % kReseedsPerSeed == 0) {
        uint8_t* seed = NextEntropy();
        for (size_t i = 0; i < mixed.size(); ++i) mixed[i] ^= Load32(seed + 4 * i);
        Wipe(seed, kSeedBytes);
    }
    ++reseeds_;

    ChaCha20Block(mixed, 0, {uint32_t(timerValue), uint32_t(timerValue >> 32), 1}, block_.data());
    Wipe(mixed.data(), sizeof mixed);
    for (size_t i = 0; i < key_.size(); ++i) key_[i] = Load32(block_.data() + 4 * i);
    Wipe(block_.data(), kSeedBytes);
    used_ = kSeedBytes;
    blockCounter_ = 0;
}
