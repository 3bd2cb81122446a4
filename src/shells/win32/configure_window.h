#pragma once
// The configuration dialog in a window: native controls created from the
// dialog model's layout, scaled to the dots per inch of the monitor the
// dialog is on, their events forwarded to the model's handlers. Closing it
// ends configure mode.

#include <windows.h>

#include "startup/command_line.h"

namespace ris {

class Win32System;

// Opens the dialog for the product beside the executable, owned by the
// host's window when one was given, and returns once it is closed and the
// settings are stored; the process's exit code. A product whose settings
// the dialog cannot be built from throws, to the program's error boundary.
int RunConfigureDialog(const CommandLine& command, Win32System& system);

}  // namespace ris
