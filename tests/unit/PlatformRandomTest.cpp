#include "runtime/Random.h"

#include <gtest/gtest.h>

#include <set>

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

}  // namespace
