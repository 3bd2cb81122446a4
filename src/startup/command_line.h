#pragma once
// How the system's saver host starts the executable: a switch selecting the
// run mode, optionally followed by the handle of a host window.

#include <cstdint>
#include <string>
#include <vector>

namespace ris {

enum RunMode : std::uint8_t {
  rmChangePassword = 0,  // "a": open the system's password dialog, then end
  rmPreview = 1,         // "p" or "l": draw inside the host's preview window
  rmConfigure = 2,       // "c", anything unrecognised, or no switch at all
  rmSaver = 3,           // "s": the full-screen saver
};

// A window handle as the host passes it: 32 bits, 0 when none was given.
using WindowHandle = std::uint32_t;

struct CommandLine {
  RunMode Mode = rmConfigure;
  WindowHandle ParentWindow = 0;
  // "/s window": the saver in an ordinary window of its own, as `ris
  // preview` shows a product to its maker. No host passes a second
  // parameter with /s.
  bool OwnWindow = false;
};

// Reads the parameters that follow the program name. The switch may be
// written bare or after "/", "-" or "/-", in any letter case; only its first
// letter counts. The host window follows a ":" in the same parameter or
// stands as the second parameter; text that is no number gives 0.
// "window" after the saver's switch asks for a window of its own.
CommandLine ParseCommandLine(const std::vector<std::string>& parameters);

}  // namespace ris
