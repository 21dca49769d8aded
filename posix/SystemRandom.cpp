// POSIX stand-in for the Win32 runtime, for native tests, benchmarks and fuzzing: the
// system's random bytes and timer behind the process generator.
#include "portable/Random.h"

#include <time.h>
#include <unistd.h>

#include "portable/RuntimeError.h"

// getentropy() gives at most 256 bytes per call; a failure ends the program.
void SystemEntropy(uint8_t* out, size_t size)
{
    while (size > 0) {
        size_t piece = size > 256 ? 256 : size;
        if (getentropy(out, piece) != 0) FatalError(RuntimeError(errNoSystemRandom, u"getentropy"));
        out += piece;
        size -= piece;
    }
}

Random& ProcessRandom()
{
    static Random random(
        [] {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            return uint64_t(now.tv_sec) * 1000000000u + uint64_t(now.tv_nsec);
        },
        SystemEntropy);
    return random;
}
