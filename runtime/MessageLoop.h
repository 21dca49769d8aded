#pragma once
// The program's message loop and the standard error report.
#include <windows.h>

#include "runtime/RuntimeError.h"

// Gives one message to its window; the keyboard of a form goes through the dialog manager.
void DispatchFormMessage(MSG& msg);

// Runs until no form is loaded; returns the exit code.
int RunMessageLoop();

// Shows the standard error report, owned by the active window.
void ReportError(const RuntimeError& error);
