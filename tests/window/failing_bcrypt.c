/* A stand-in bcrypt.dll whose random source always fails, for the window test of a system
   without secure random numbers. */
#include <windows.h>

LONG WINAPI BCryptGenRandom(void* algorithm, UCHAR* buffer, ULONG size, ULONG flags)
{
    (void)algorithm;
    (void)buffer;
    (void)size;
    (void)flags;
    return (LONG)0xC0000001L; /* STATUS_UNSUCCESSFUL */
}
