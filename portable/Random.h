#pragma once
// Portable core: the program's one random sequence: Rnd() draws, Randomize() re-seeds from the
// timer and the system's random bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// What the generator needs of a random source; tests feed chosen values through it.
class RandomSource {
public:
    virtual float Rnd() = 0;         // next value, 0 <= r < 1, a multiple of 2^-24
    virtual void Randomize() = 0;    // re-seed from the timer, mixing in system random bytes
protected:
    ~RandomSource() = default;
};

// Fast-key-erasure generator over ChaCha20. The first key is 32 bytes of the OS CSPRNG,
// taken when the generator is first used, so no two starts draw the same first values.
// Randomize() replaces the key by one
// ChaCha20 block keyed with the key and the timer value as nonce, so an unchanged timer
// never restarts or repeats the sequence; the first re-seed and every kReseedsPerSeed-th
// one after it first XOR 32 fresh bytes of the OS CSPRNG into the key, so nobody who
// knows the time can replay it.
class Random final : public RandomSource {
public:
    using Timer = std::function<uint64_t()>;
    using Entropy = std::function<void(uint8_t* out, size_t size)>;  // fills with CSPRNG bytes

    Random(Timer timer, Entropy entropy);

    float Rnd() override;
    void Randomize() override { Randomize(timer_()); }
    void Randomize(uint64_t timerValue);

    // OS bytes cost about 11 ns each under Wine: 32 for every one of a long password's
    // 32767 re-seeds would take longer than all the rest of its generation.
    static constexpr uint64_t kReseedsPerSeed = 128;
    static constexpr size_t kSeedBytes = 32;

private:
    void TakeFirstKey();
    void Refill();
    uint8_t NextByte();
    uint8_t* NextEntropy();  // 32 bytes, fetched in blocks, never reused; the caller wipes them

    Timer timer_;
    Entropy entropy_;
    std::array<uint32_t, 8> key_{};
    bool keyed_ = false;  // the first key has been taken
    uint64_t blockCounter_ = 0;
    std::array<uint8_t, 64> block_{};
    size_t used_ = 64;
    std::vector<uint8_t> entropyPool_;
    size_t entropyUsed_ = 0;
    uint64_t reseeds_ = 0;
};

// The process's generator, with the platform's timer and CSPRNG.
Random& ProcessRandom();

// The platform's CSPRNG, as ProcessRandom() uses it; a FatalError when it is missing or fails.
void SystemEntropy(uint8_t* out, size_t size);

// ChaCha20 block function (RFC 8439 2.3): 64 bytes of keystream.
void ChaCha20Block(const std::array<uint32_t, 8>& key, uint32_t counter,
                   const std::array<uint32_t, 3>& nonce, uint8_t out[64]);
