// zorkprobe, with the commands of probe.cpp.
#include "tests/window/probe.h"

int wmain(int argc, wchar_t** argv) { return ProbeMain(argc, argv, nullptr); }
