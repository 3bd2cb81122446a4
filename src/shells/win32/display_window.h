#pragma once
// The display form in a window: full screen and topmost in the saver, a
// disabled child of the host's window in the preview, an ordinary window of
// its own when a product's maker previews it. Window messages become calls
// of the form's handlers; the message loop sleeps until a message arrives or
// the form's next timer is due.

#include <windows.h>

#include <cstdint>

#include "startup/command_line.h"

namespace ris {

class Win32DisplayHost;
class Win32System;

enum class DisplayPlace : std::uint8_t {
  FullScreen,   // the saver: topmost over the primary monitor, the others covered
  HostPreview,  // the host's preview: a child of its window, without input
  // The saver in a resizable, captioned window: the display's keys act,
  // Escape and the close box end it without the saver's password, and the
  // mouse may move and click in it.
  OwnWindow,
};

// Where a command line's display is drawn (not for configure mode).
DisplayPlace PlaceFor(const CommandLine& command) noexcept;

// Runs the display on `system` and `host` until its window is gone; the
// process's exit code, 1 when an error was shown meanwhile. What the shell
// itself cannot do (register its window class, create its window, set a
// timer) is thrown, to the program's error boundary.
int RunDisplay(DisplayPlace place, HWND parent_window, Win32System& system, Win32DisplayHost& host);

}  // namespace ris
