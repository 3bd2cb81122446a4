#pragma once
// The system's saver password, held by two libraries of the operating system
// that are loaded from the system directory only at the moment of use.

#include <windows.h>

#include <string>
#include <vector>

namespace ris {

// Opens the system's dialog for changing the saver password, owned by the
// window whose handle is the parameter after the switch; the process's exit
// code: 0 when the dialog ran, whether the password was changed or not. A
// library or entry point that is missing, or a handle that is not a number,
// is shown in an error box owned by `parent_window` (by none when that is no
// window), and the exit code is then 1.
int ChangeSaverPassword(const std::vector<std::string>& parameters, HWND parent_window);

// Whether the saver may close: asks for the password when the user's
// desktop settings want one and the system can ask; true otherwise.
bool VerifySaverPassword(HWND window);

}  // namespace ris
