#pragma once
// What window managers, task bars and tools read to know a window of the
// program's own: its title (ICCCM's WM_NAME and EWMH's _NET_WM_NAME, both
// UTF-8), its WM_CLASS, and the process behind it (_NET_WM_PID, with the
// WM_CLIENT_MACHINE that the process number belongs to).

#include <X11/Xlib.h>

#include <string>

namespace ris {

struct WindowIdentity {
  std::string Title;        // UTF-8
  std::string ProgramName;  // WM_CLASS's instance, as ICCCM asks
};

// To be called before the window is mapped: a window manager reads WM_CLASS
// only then.
void IdentifyWindow(Display* display, Window window, const WindowIdentity& identity);

}  // namespace ris
