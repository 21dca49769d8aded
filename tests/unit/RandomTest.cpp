#include "portable/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

std::vector<uint8_t> FromHex(const std::string& hex)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

template <size_t N>
std::array<uint32_t, N> WordsFromHex(const std::string& hex)
{
    std::vector<uint8_t> b = FromHex(hex);
    std::array<uint32_t, N> words{};
    for (size_t i = 0; i < N; ++i)
        words[i] = uint32_t(b[4 * i]) | uint32_t(b[4 * i + 1]) << 8 | uint32_t(b[4 * i + 2]) << 16 |
                   uint32_t(b[4 * i + 3]) << 24;
    return words;
}

const std::string kZeroKey(64, '0');

struct BlockVector {
    const char* name;
    std::string key;
    uint32_t counter;
    std::string nonce;
    std::string keystream;
};

// RFC 8439: the block function example of 2.3.2 and test vectors 1, 4 and 5 of A.1.
const BlockVector kBlockVectors[] = {
    {"rfc2.3.2", "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", 1,
     "000000090000004a00000000",
     "10f1e7e4d13b5915500fdd1fa32071c4c7d1f4c733c068030422aa9ac3d46c4e"
     "d2826446079faa0914c2d705d98b02a2b5129cd1de164eb9cbd083e8a2503c4e"},
    {"zero", kZeroKey, 0, "000000000000000000000000",
     "76b8e0ada0f13d90405d6ae55386bd28bdd219b8a08ded1aa836efcc8b770dc7"
     "da41597c5157488d7724e03fb8d84a376a43b8f41518a11cc387b669b2ee6586"},
    {"key00ff", "00ff" + std::string(60, '0'), 2, "000000000000000000000000",
     "72d54dfbf12ec44b362692df94137f328fea8da73990265ec1bbbea1ae9af0ca"
     "13b25aa26cb4a648cb9b9d1be65b2c0924a66c54d545ec1b7374f4872e99f096"},
    {"nonce02", kZeroKey, 0, "000000000000000000000002",
     "c2c64d378cd536374ae204b9ef933fcd1a8b2288b3dfa49672ab765b54ee27c7"
     "8a970e0e955c14f3a88e741b97c286f75f8fc299e8148362fa198a39531bed6d"},
};

TEST(ChaCha20, PublishedBlocks)
{
    for (const BlockVector& v : kBlockVectors) {
        uint8_t out[64];
        ChaCha20Block(WordsFromHex<8>(v.key), v.counter, WordsFromHex<3>(v.nonce), out);
        EXPECT_EQ(std::vector<uint8_t>(out, out + 64), FromHex(v.keystream)) << v.name;
    }
}

Random::Timer FixedTimer(uint64_t t) { return [t] { return t; }; }

Random::Entropy ZeroEntropy() { return [](uint8_t* out, size_t size) { std::fill(out, out + size, 0); }; }

// Bytes 0, 1, 2, ... in stream order: deterministic and never the same block twice.
Random::Entropy CountingEntropy()
{
    return [n = uint64_t{0}](uint8_t* out, size_t size) mutable {
        for (size_t i = 0; i < size; ++i) out[i] = uint8_t(n++ % 251);
    };
}

Random::Entropy SeededEntropy(uint64_t seed)
{
    return [gen = std::mt19937_64(seed)](uint8_t* out, size_t size) mutable {
        for (size_t i = 0; i < size; ++i) out[i] = uint8_t(gen());
    };
}

bool IsDraw(float r) { return r >= 0.0f && r < 1.0f && double(r) * 16777216.0 == double(uint32_t(r * 16777216.0f)); }

using Triple = std::tuple<float, float, float>;  // 72 bits: a chance repeat is negligible

Triple Draw3(Random& random)
{
    float a = random.Rnd(), b = random.Rnd(), c = random.Rnd();
    return {a, b, c};
}

// Start-up stays fast: the first key is fetched at the first draw, not when the generator is made.
TEST(Random, FirstKeyIsTakenAtTheFirstDraw)
{
    size_t fetched = 0;
    Random random(FixedTimer(1), [&fetched](uint8_t* out, size_t size) {
        fetched += size;
        std::fill(out, out + size, 7);
    });
    EXPECT_EQ(fetched, 0u) << "entropy fetched at start";
    std::set<float> distinct;
    for (int i = 0; i < 200; ++i) {
        float r = random.Rnd();
        ASSERT_TRUE(IsDraw(r)) << r;
        distinct.insert(r);
    }
    EXPECT_GE(fetched, Random::kSeedBytes);
    EXPECT_GT(distinct.size(), 190u);
}

// Each draw gives back its 3 keystream bytes exactly.
void AppendBytes(Random& random, int draws, std::vector<uint8_t>& stream)
{
    for (int i = 0; i < draws; ++i) {
        uint32_t v = uint32_t(random.Rnd() * 16777216.0f);
        stream.insert(stream.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16)});
    }
}

// The program re-seeds before every character, often within one timer tick. Draw counts
// between re-seeds vary so the output crosses keystream block boundaries at many offsets;
// a 16-byte run seen twice means the keystream restarted or repeated.
TEST(Random, UnchangedTimerNeitherRestartsNorRepeats)
{
    const int drawsBetween[] = {1, 10, 11, 21, 22, 32, 43};
    for (auto [name, entropy] : {std::make_pair("counting", CountingEntropy), std::make_pair("zero", ZeroEntropy)}) {
        for (uint64_t t : {uint64_t{0}, uint64_t{12345}}) {
            Random fresh(FixedTimer(t), entropy()), random(FixedTimer(t), entropy());
            std::vector<uint8_t> stream;
            AppendBytes(fresh, 50, stream);
            for (int i = 0; i < 700; ++i) {
                random.Randomize();
                AppendBytes(random, drawsBetween[i % std::size(drawsBetween)], stream);
            }
            std::set<std::vector<uint8_t>> windows;
            for (size_t i = 0; i + 16 <= stream.size(); ++i)
                ASSERT_TRUE(windows.emplace(stream.begin() + i, stream.begin() + i + 16).second)
                    << name << ", timer " << t << ": output repeats at byte " << i;
        }
    }
}

TEST(Random, TimerAndEntropyBothChangeTheSequence)
{
    // The timer value enters every re-seed, also those that take no OS bytes.
    Random a(FixedTimer(0), ZeroEntropy()), b(FixedTimer(0), ZeroEntropy());
    a.Randomize(1000);
    b.Randomize(1001);
    EXPECT_NE(Draw3(a), Draw3(b)) << "timer value ignored";
    Random c(FixedTimer(0), ZeroEntropy()), d(FixedTimer(0), ZeroEntropy());
    c.Randomize(5);
    d.Randomize(5);
    c.Randomize(6);
    d.Randomize(7);
    EXPECT_NE(Draw3(c), Draw3(d)) << "timer value ignored on the second re-seed";

    // Two processes started in the same instant: same timer value, different OS bytes.
    Random e(FixedTimer(0), SeededEntropy(1)), f(FixedTimer(0), SeededEntropy(2));
    for (int i = 0; i < 300; ++i) {
        e.Randomize(777);
        f.Randomize(777);
        ASSERT_NE(Draw3(e), Draw3(f)) << "re-seed " << i;
    }
}

// floor(r * 62 + 1) as the generator picks a position among 62 candidates.
TEST(Random, PositionsAreUniform)
{
    const int draws = 1000000;
    for (bool reseedEachDraw : {true, false}) {
        Random random(FixedTimer(42), SeededEntropy(20240229));
        std::array<int, 63> counts{};
        for (int i = 0; i < draws; ++i) {
            if (reseedEachDraw) random.Randomize();
            int position = int(double(random.Rnd()) * 62 + 1);
            ASSERT_GE(position, 1);
            ASSERT_LE(position, 62);
            ++counts[position];
        }
        double expected = draws / 62.0, chi2 = 0;
        for (int p = 1; p <= 62; ++p) chi2 += (counts[p] - expected) * (counts[p] - expected) / expected;
        // 61 degrees of freedom: exceeded by chance with probability about 1e-6.
        EXPECT_LT(chi2, 129.0) << (reseedEachDraw ? "re-seeded per draw" : "plain draws");
    }
}

// A fetch that fails leaves nothing behind: the next re-seed fetches again instead of going
// on without OS bytes or with the pool's unfilled ones.
TEST(Random, FailedFetchIsRepeated)
{
    size_t calls = 0;
    Random random(FixedTimer(7), [&](uint8_t* out, size_t size) {
        if (++calls == 1) throw std::runtime_error("no entropy");
        std::fill(out, out + size, 0x5a);
    });
    EXPECT_THROW(random.Randomize(), std::runtime_error);
    random.Randomize();
    EXPECT_EQ(calls, 2u);
}

// Fresh OS bytes go in on the first re-seed and on every 128th after it: 1, 129, 257, ...;
// the first 32 are the first key, and each seed after them is its own 32 bytes, in order, none
// twice. Entropy streams that differ only in one byte give the same values before the re-seed
// that takes it and different ones from it on, however many bytes a fetch asks for.
TEST(Random, FreshBytesOnEvery128thReseed)
{
    const struct {
        size_t differingByte;
        int from;
    } cases[] = {{0, 1},    {31, 1},    {32, 1},    {63, 1},    {64, 129},   {95, 129},
                 {96, 257}, {100, 257}, {255, 769}, {256, 897}, {300, 1025}};
    for (const auto& c : cases) {
        auto stream = [&c](uint8_t mark) {
            return [mark, at = c.differingByte, n = size_t{0}](uint8_t* out, size_t size) mutable {
                for (size_t i = 0; i < size; ++i, ++n) out[i] = n == at ? mark : uint8_t(n * 7);
            };
        };
        Random a(FixedTimer(11), stream(1)), b(FixedTimer(11), stream(2));
        for (int reseed = 1; reseed <= 1100; ++reseed) {
            a.Randomize();
            b.Randomize();
            if (reseed < c.from)
                ASSERT_EQ(Draw3(a), Draw3(b)) << "byte " << c.differingByte << " used by re-seed " << reseed;
            else
                ASSERT_NE(Draw3(a), Draw3(b)) << "byte " << c.differingByte << " unused by re-seed " << reseed;
        }
    }
}

// OS bytes are fetched many seeds at a time. Used ones are key material: they are zeroed in the
// buffer they were fetched into.
TEST(Random, EntropyIsFetchedInBlocksAndWipedOnceUsed)
{
    size_t calls = 0, bytes = 0, largest = 0, size = 0;
    const uint8_t* buffer = nullptr;  // the last fetch
    Random random(FixedTimer(5), [&](uint8_t* out, size_t n) {
        ++calls;
        bytes += n;
        largest = std::max(largest, n);
        buffer = out;
        size = n;
        std::fill(out, out + n, 0xa5);
    });
    for (int i = 0; i < 100; ++i) random.Rnd();
    EXPECT_EQ(calls, 1u) << "the first key alone";

    // The first key and four re-seeds' seeds.
    const size_t used = 5 * Random::kSeedBytes;
    uint64_t reseeds = 0;
    for (; reseeds < Random::kReseedsPerSeed * 3 + 1; ++reseeds) random.Randomize();
    ASSERT_NE(buffer, nullptr);
    ASSERT_GT(size, used);
    for (size_t i = 0; i < used; ++i) ASSERT_EQ(buffer[i], 0) << i;
    EXPECT_EQ(buffer[used], 0xa5);

    // The first key and 99 re-seeds' seeds.
    const size_t seeds = 100;
    for (; reseeds < Random::kReseedsPerSeed * (seeds - 2) + 1; ++reseeds) random.Randomize();
    EXPECT_GE(bytes, Random::kSeedBytes * seeds);
    EXPECT_LT(bytes, Random::kSeedBytes * seeds + largest);
    EXPECT_LE(calls, seeds / 4);
}

}  // namespace
