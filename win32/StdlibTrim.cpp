// Win32 runtime, in the exe only: small replacements for libstdc++ pieces that would otherwise pull about 150 KB of
// unused library code into the exe: the symbol demangler, and, through the __throw_
// helpers, every standard exception class with its own copy of std::string. All the
// helpers of that library member are defined here, so it is never linked in.
#include <exception>
#include <pthread.h>

#include <cerrno>
#include <iterator>
#include <new>

#include "win32/ErrorReport.h"

namespace __gnu_cxx {
// The default terminate handler: an exception nobody catches (one that would cross a window
// procedure, or a FatalError) is reported and ends the program with a nonzero exit code.
void __verbose_terminate_handler() { ReportErrorAndExit(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_alloc(); }
// A text longer than memory allows is out of memory as far as the user can tell.
void __throw_length_error(const char*) { throw std::bad_alloc(); }
void __throw_out_of_range(const char*) { throw RuntimeError(errSubscript); }
void __throw_out_of_range_fmt(const char*, ...) { throw RuntimeError(errSubscript); }
void __throw_overflow_error(const char*) { throw RuntimeError(errOverflow); }
void __throw_range_error(const char*) { throw RuntimeError(errOverflow); }
// The rest would be a fault in the program itself: the terminate handler reports an internal error.
void __throw_bad_cast() { std::terminate(); }
void __throw_bad_typeid() { std::terminate(); }
void __throw_bad_exception() { std::terminate(); }
void __throw_logic_error(const char*) { std::terminate(); }
void __throw_domain_error(const char*) { std::terminate(); }
void __throw_invalid_argument(const char*) { std::terminate(); }
void __throw_runtime_error(const char*) { std::terminate(); }
void __throw_underflow_error(const char*) { std::terminate(); }
void __throw_bad_function_call() { std::terminate(); }
}  // namespace std

// The threads library: libstdc++ and the unwinder lock their few shared tables and keep
// exception state per thread through it, at 30 KB. All of the program runs on its one UI
// thread, so these single-thread versions are all it needs of it.
extern "C" {
int pthread_once(pthread_once_t* once, void (*init)())
{
    if (*once == 0) {
        *once = 1;
        init();
    }
    return 0;
}
int pthread_mutex_init(pthread_mutex_t*, const pthread_mutexattr_t*) { return 0; }
int pthread_mutex_destroy(pthread_mutex_t*) { return 0; }
int pthread_mutex_lock(pthread_mutex_t*) { return 0; }
int pthread_mutex_unlock(pthread_mutex_t*) { return 0; }

// Thread-specific values, for the one thread.
namespace {
void* specific[8];
unsigned keys = 0;
}  // namespace
int pthread_key_create(pthread_key_t* key, void (*)(void*))
{
    if (keys == std::size(specific)) return EAGAIN;
    *key = keys++;
    return 0;
}
void* pthread_getspecific(pthread_key_t key) { return key < keys ? specific[key] : nullptr; }
int pthread_setspecific(pthread_key_t key, const void* value)
{
    if (key >= keys) return EINVAL;
    specific[key] = const_cast<void*>(value);
    return 0;
}
}
