#include "runtime/Random.h"

#include <windows.h>
#include <bcrypt.h>

#include <climits>
#include <cstdlib>

// Weak bytes would make passwords guessable, so a failing CSPRNG ends the program.
void SystemEntropy(uint8_t* out, size_t size)
{
    while (size > 0) {
        ULONG piece = size > ULONG_MAX ? ULONG_MAX : ULONG(size);
        if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, out, piece, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
            std::abort();
        out += piece;
        size -= piece;
    }
}

Random& ProcessRandom()
{
    static Random random(
        [] {
            LARGE_INTEGER now;
            QueryPerformanceCounter(&now);
            return uint64_t(now.QuadPart);
        },
        SystemEntropy);
    return random;
}
