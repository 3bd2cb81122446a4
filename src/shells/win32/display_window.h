#pragma once
// The display form in a window: full screen and topmost in the saver, a
// disabled child of the host's window in the preview. Window messages become
// calls of the form's handlers; the message loop sleeps until a message
// arrives or the form's next timer is due.

#include <windows.h>

#include "startup/command_line.h"

namespace ris {

class Win32DisplayHost;
class Win32System;

// Runs the display on `system` and `host` until its window is gone; the
// process's exit code, 1 when an error was shown meanwhile. What the shell
// itself cannot do (register its window class, create its window, set a
// timer) is thrown, to the program's error boundary.
int RunDisplay(RunMode mode, HWND parent_window, Win32System& system, Win32DisplayHost& host);

}  // namespace ris
