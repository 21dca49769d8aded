// Time to generate one 32767-character password from all four pools, as one press of
// Generate does: a draw for the length, then one re-seed and one draw per character.
// Usage: bench_generate [runs]   (at least 21)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "generator/Generator.h"

namespace {

using Clock = std::chrono::steady_clock;

#ifdef _WIN32
const char* const kEntropyName = "BCryptGenRandom";
#else
const char* const kEntropyName = "getentropy";
#endif

constexpr int kLength = 32767;

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = argc > 1 ? std::max(21, std::atoi(argv[1])) : 21;

    CharacterPools znaky = FixedZnaky();
    znaky.special = u"!#%&*+-=?@";
    GeneratorInputs in;
    in.minimumText = u"32767";
    in.maximumText = u"32767";
    in.letters = 1;
    in.bothCases = true;
    in.digits = 1;
    in.special = 1;
    int32_t counter = 0;

    // The program's own generator: platform timer and CSPRNG.
    std::vector<double> total;
    for (int i = 0; i <= runs; ++i) {
        Clock::time_point start = Clock::now();
        std::u16string password = GenerateAttempt(in, znaky, ProcessRandom(), counter);
        double ms = MsSince(start);
        if (password.size() != kLength) {
            std::fprintf(stderr, "wrong length %zu\n", password.size());
            return 1;
        }
        if (i > 0) total.push_back(ms);  // the first run warms up
    }

    // The same work with the OS entropy calls timed on their own.
    std::vector<double> withTimedEntropy, entropy;
    for (int i = 0; i <= runs; ++i) {
        double entropyMs = 0;
        Random random([] { return uint64_t(Clock::now().time_since_epoch().count()); },
                      [&](uint8_t* out, size_t size) {
                          Clock::time_point start = Clock::now();
                          SystemEntropy(out, size);
                          entropyMs += MsSince(start);
                      });
        Clock::time_point start = Clock::now();
        GenerateAttempt(in, znaky, random, counter);
        double ms = MsSince(start);
        if (i > 0) {
            withTimedEntropy.push_back(ms);
            entropy.push_back(entropyMs);
        }
    }

    // What fresh OS bytes for every re-seed would cost: 32 per character, in 4096-byte blocks.
    std::vector<double> everyReseed;
    std::vector<uint8_t> block(4096);
    for (int i = 0; i <= runs; ++i) {
        Clock::time_point start = Clock::now();
        for (size_t bytes = 0; bytes < size_t{kLength} * Random::kSeedBytes; bytes += block.size())
            SystemEntropy(block.data(), block.size());
        if (i > 0) everyReseed.push_back(MsSince(start));
    }

    double median = Median(total);
    std::printf("one %d-character password, median of %d runs: %.3f ms (%.1f ns per character)\n", kLength,
                runs, median, median * 1e6 / kLength);
    std::printf("same with a separately timed entropy source: %.3f ms, of which %s %.3f ms (%.0f %%)\n",
                Median(withTimedEntropy), kEntropyName, Median(entropy),
                100 * Median(entropy) / Median(withTimedEntropy));
    std::printf("%s for 32 fresh bytes at every re-seed would take %.3f ms more\n", kEntropyName,
                Median(everyReseed));
    return 0;
}
