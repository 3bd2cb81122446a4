// The studio reads a maker's settings text into its form and writes the
// page's edits into it. The input is a settings text, then after a NUL the
// section, key and value of an edit, each ended by a NUL. Beyond not
// crashing: every line of the text is still there, in order, but the one
// the edit rewrote, and an edit of plain words reads back as written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "data/settings_list.h"
#include "studio/settings_form.h"

namespace {

std::string_view NextPart(std::string_view& rest) {
  const std::size_t end = rest.find('\0');
  const std::string_view part = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return part;
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find("\r\n", start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

bool IsPlainWord(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  });
}

// The old lines in the new text in order, with one of them rewritten at
// most, and at most a section's header and a key's line added.
bool KeepsTheOtherLines(std::string_view old_text, std::string_view new_text) {
  const std::vector<std::string_view> before = Lines(old_text);
  const std::vector<std::string_view> after = Lines(new_text);
  if (after.size() < before.size() || after.size() > before.size() + 2) return false;
  std::size_t missed = 0;
  std::size_t at = 0;
  for (const std::string_view line : before) {
    const auto found = std::find(after.begin() + static_cast<std::ptrdiff_t>(at), after.end(), line);
    if (found == after.end()) {
      ++missed;
      continue;
    }
    at = static_cast<std::size_t>(found - after.begin()) + 1;
  }
  return missed <= 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  const std::string_view text = NextPart(rest);
  const std::string_view section = NextPart(rest);
  const std::string_view key = NextPart(rest);
  const std::string_view value = NextPart(rest);
  (void)ris::tool::SettingsFields(text);
  const auto edited = ris::tool::WithSettingsValue(text, section, key, value);
  if (!edited) return 0;
  if (!KeepsTheOtherLines(text, *edited)) std::abort();
  if (IsPlainWord(section) && IsPlainWord(key) && (value.empty() || IsPlainWord(value))) {
    ris::TSettingsList read;
    ris::ParseSettingsText(*edited, read);
    if (read.ReadValue(key, section) != value) std::abort();
  }
  return 0;
}
