#include "startup/command_line.h"

#include <optional>
#include <string_view>

#include "base/ascii.h"

namespace ris {
namespace {

// Removes one leading `marker` from a switch that is longer than it.
void StripSwitchMarker(std::string& text, char marker) {
  if (text.size() > 1 && text.front() == marker) text.erase(0, 1);
}

RunMode ModeForLetter(char letter) {
  switch (letter) {
    case 'a':
      return rmChangePassword;
    case 'p':
    case 'l':
      return rmPreview;
    case 's':
      return rmSaver;
    default:
      return rmConfigure;
  }
}

// Hosts pass decimal handles; a text that is not a whole decimal number
// within 32 bits gives no handle.
std::optional<WindowHandle> ParseHandle(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (!IsDecimalDigit(c)) return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  return static_cast<WindowHandle>(value);
}

std::string_view HandleText(std::string_view switch_text,
                            const std::vector<std::string>& parameters) {
  if (switch_text.size() > 2 && switch_text[1] == ':') return switch_text.substr(2);
  if (parameters.size() >= 2) return parameters[1];
  return switch_text;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& parameters) {
  CommandLine result;
  if (parameters.empty()) return result;

  std::string switch_text = FoldAscii(parameters.front());
  StripSwitchMarker(switch_text, '/');
  StripSwitchMarker(switch_text, '-');
  if (switch_text.empty()) return result;

  result.Mode = ModeForLetter(switch_text.front());
  const std::string_view handle_text = HandleText(switch_text, parameters);
  if (!handle_text.empty() && IsDecimalDigit(handle_text.front())) {
    result.ParentWindow = ParseHandle(handle_text).value_or(0);
  }
  result.OwnWindow = result.Mode == rmSaver && parameters.size() >= 2 && FoldAscii(parameters[1]) == "window";
  return result;
}

}  // namespace ris
