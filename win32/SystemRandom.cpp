// Win32 runtime: the system's random bytes (BCryptGenRandom) and timer behind the process
// generator.
#include "portable/Random.h"

#include <windows.h>
#include <bcrypt.h>

#include <climits>

#include "portable/RuntimeError.h"
#include "win32/SystemLibrary.h"

namespace {

using GenRandom = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, ULONG);

// bcrypt.dll is not one Windows always takes from its system folder, so it is loaded from
// there when the generator is first used (the first draw takes its key) instead of being imported.
GenRandom SystemGenRandom()
{
    static const GenRandom function = SystemFunction<GenRandom>(L"bcrypt.dll", "BCryptGenRandom");
    return function;
}

}  // namespace

// Weak bytes would make passwords guessable, so a CSPRNG that is missing or fails ends the program.
void SystemEntropy(uint8_t* out, size_t size)
{
    GenRandom genRandom = SystemGenRandom();
    if (!genRandom) FatalError(RuntimeError(errNoSystemRandom, u"bcrypt.dll"));
    while (size > 0) {
        ULONG piece = size > ULONG_MAX ? ULONG_MAX : ULONG(size);
        if (!BCRYPT_SUCCESS(genRandom(nullptr, out, piece, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
            FatalError(RuntimeError(errNoSystemRandom, u"BCryptGenRandom"));
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
