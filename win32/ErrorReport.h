#pragma once
// Win32 runtime: the standard error report, and the fatal report that ends the program.
#include "portable/RuntimeError.h"

// Shows the standard error report, owned by the active window: a message box titled with the
// program's title, with the error's number, description and detail.
void ReportError(const RuntimeError& error);

// For the exception being handled, or none: shows the error report (out of memory for
// std::bad_alloc, internal error for anything else) and ends the process with the error's
// number as its exit code. The exe's terminate handler (StdlibTrim.cpp) and its entry point
// end here.
[[noreturn]] void ReportErrorAndExit() noexcept;
