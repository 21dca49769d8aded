// Win32 runtime, in the exe only: small replacements for libstdc++ pieces that would otherwise pull about 150 KB of
// unused library code into the exe: the symbol demangler, and, through the __throw_
// helpers, every standard exception class with its own copy of std::string. All the
// helpers of that library member are defined here, so it is never linked in.
#include <exception>
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
