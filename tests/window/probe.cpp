// zorkprobe: reads and drives the windows of another process in the same Wine prefix.
//   zorkprobe [--desktop NAME] COMMAND ARGS...   runs one command and prints its answer as one JSON line
//   zorkprobe [--desktop NAME] serve PORT        connects to 127.0.0.1:PORT and answers one command per line
// --desktop reads the windows of a named desktop (wine explorer /desktop=NAME,...) instead of the default one.
// Commands:
//   state IMAGE                      top-level windows of the processes whose exe is IMAGE, with children
//   idle HWND                        whether the window answers messages and has nothing left to paint
//   close HWND                       posts WM_CLOSE
//   click HWND                       BM_CLICK, sent
//   copy HWND [MS]                   selects the whole text of an edit box and sends it WM_COPY; with MS, holds
//                                    the clipboard that long while the copy waits, as a clipboard manager would
//   clipboard                        the clipboard's formats by name, its text, and the DWORD value of each
//                                    registered format of four bytes
//   clear-clipboard                  empties the clipboard
//   hold-clipboard / release-clipboard  keeps the clipboard open, as a busy program would, until released
//   dpi-changed HWND DPI             WM_DPICHANGED as Windows sends it when the window moves to a monitor of
//                                    that DPI, sent, with no suggested rectangle: the window stays where it is
//   load-library PID NAME            LoadLibraryW(NAME) on a new thread of the process: whether it loaded
#include "tests/window/Probe.h"

int wmain(int argc, wchar_t** argv) { return ProbeMain(argc, argv, nullptr); }
