#pragma once
// The display form in a window: full screen and topmost in the saver, a
// disabled child of the host's window in the preview. Window messages become
// calls of the form's handlers; the message loop sleeps until a message
// arrives or the form's next timer is due.

#include <windows.h>

#include "startup/command_line.h"

namespace ris {

// Runs the display until its window is gone; the process's exit code.
int RunDisplay(RunMode mode, HWND parent_window);

}  // namespace ris
