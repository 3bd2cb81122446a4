#include "shells/x11/hack_options.h"

#include <charconv>

namespace ris {
namespace {

// "--name" and "-name" alike; nothing for an argument that is no switch.
std::optional<std::string_view> SwitchName(std::string_view argument) {
  if (argument.starts_with("--")) return argument.substr(2);
  if (argument.starts_with("-") && argument.size() > 1) return argument.substr(1);
  return std::nullopt;
}

template <typename Number>
std::optional<Number> ParseNumber(std::string_view text, int base = 10) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Window ids come in decimal or, as xwininfo writes them, in hexadecimal.
std::optional<std::uint64_t> ParseWindowId(std::string_view text) {
  if (text.starts_with("0x") || text.starts_with("0X")) return ParseNumber<std::uint64_t>(text.substr(2), 16);
  return ParseNumber<std::uint64_t>(text);
}

// Switches an XScreenSaver daemon or its settings dialog may pass that mean
// nothing here; those with a value take it along.
bool IgnoredSwitch(std::string_view name, bool& takes_value) {
  takes_value = name == "visual" || name == "delay";
  return takes_value || name == "install" || name == "fps" || name == "no-fps" || name == "window" ||
         name == "mono";
}

// "WHAT 'TEXT'" built by appending: GCC 12 warns wrongly about the
// concatenation of temporaries at -O3.
std::string Quoted(std::string_view what, std::string_view text, std::string_view after = {}) {
  std::string message(what);
  message += " '";
  message += text;
  message += "'";
  message += after;
  return message;
}

}  // namespace

const std::string_view kHackUsage =
    "usage: PROGRAM [--root | --window-id ID] [--archive FILE.dat] [--speed N] [--images N]\n"
    "               [--clock 0|1|2] [--bounce | --no-bounce] [--xml]\n";

std::optional<HackOptions> ParseHackOptions(std::span<const std::string_view> arguments,
                                            const char* screensaver_window, std::string& error) {
  HackOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const auto name = SwitchName(arguments[i]);
    if (!name) {
      error = Quoted("unexpected argument", arguments[i]);
      return std::nullopt;
    }
    const auto value = [&]() -> std::optional<std::string_view> {
      if (i + 1 >= arguments.size()) return std::nullopt;
      return arguments[++i];
    };
    const auto number = [&](std::optional<std::int32_t>& target) {
      const auto text = value();
      target = text ? ParseNumber<std::int32_t>(*text) : std::nullopt;
      return target.has_value();
    };
    bool takes_value = false;
    bool ok = true;
    if (*name == "root") {
      options.Where = HackOptions::Target::Root;
    } else if (*name == "window-id") {
      const auto text = value();
      const auto id = text ? ParseWindowId(*text) : std::nullopt;
      ok = id.has_value();
      options.Where = HackOptions::Target::Window;
      options.WindowId = id.value_or(0);
    } else if (*name == "archive") {
      const auto text = value();
      ok = text.has_value();
      if (ok) options.Archive = std::string(*text);
    } else if (*name == "speed") {
      ok = number(options.Speed);
    } else if (*name == "images") {
      ok = number(options.Images);
    } else if (*name == "clock") {
      ok = number(options.Clock);
    } else if (*name == "bounce" || *name == "no-bounce") {
      options.Bounce = *name == "bounce";
    } else if (*name == "xml") {
      options.PrintXml = true;
    } else if (*name == "help" || *name == "h") {
      options.Help = true;
    } else if (IgnoredSwitch(*name, takes_value)) {
      if (takes_value) value();
    } else {
      error = Quoted("unknown switch", arguments[i]);
      return std::nullopt;
    }
    if (!ok) {
      error = Quoted("switch", *name, " needs a value");
      return std::nullopt;
    }
  }
  // Asked for the root, a hack draws into the daemon's window where it
  // names one, as a virtual root.
  if (options.Where == HackOptions::Target::Root && screensaver_window != nullptr) {
    if (const auto id = ParseWindowId(screensaver_window)) {
      options.Where = HackOptions::Target::Window;
      options.WindowId = *id;
    }
  }
  return options;
}

}  // namespace ris
