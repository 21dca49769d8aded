// Small replacements for libstdc++ pieces that would otherwise pull about 150 KB of
// unused library code into the exe (the symbol demangler, and through the __throw_
// helpers every standard exception class with its own copy of std::string).
#include <cstdlib>
#include <new>

#include "runtime/RuntimeError.h"

namespace __gnu_cxx {
// An uncaught exception ends the program either way.
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_alloc(); }
// A text longer than memory allows is out of memory as far as the user can tell.
void __throw_length_error(const char*) { throw std::bad_alloc(); }
void __throw_out_of_range_fmt(const char*, ...) { throw RuntimeError(errSubscript); }
void __throw_bad_function_call() { std::abort(); }
}  // namespace std
