#pragma once
// The command line of the saver program on Linux, in the conventions of an
// XScreenSaver hack: where to draw (a window of its own, the root window, or
// a window the daemon made), where the product's archive is, and the
// settings a hack's settings dialog can set, which win over the stored ones.
// Switches are written with one dash or two.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ris {

struct HackOptions {
  enum class Target : std::uint8_t { OwnWindow, Root, Window };
  Target Where = Target::OwnWindow;
  std::uint64_t WindowId = 0;  // with Target::Window
  std::optional<std::string> Archive;
  std::optional<std::int32_t> Speed;
  std::optional<std::int32_t> Images;
  std::optional<std::int32_t> Clock;
  std::optional<bool> Bounce;
  bool PrintXml = false;
  bool Help = false;
};

// Reads the arguments after the program's name. `screensaver_window` is the
// XSCREENSAVER_WINDOW variable, if set: the window the daemon wants a hack
// drawn into when it asks for the root. Unknown switches and bad numbers
// give nothing, with `error` saying why.
std::optional<HackOptions> ParseHackOptions(std::span<const std::string_view> arguments,
                                            const char* screensaver_window, std::string& error);

extern const std::string_view kHackUsage;

}  // namespace ris
