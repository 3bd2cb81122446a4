#pragma once
// The settings text as a form: every key a new product's text holds, with
// the comment that explains it there and what its value may be, and edits
// written into the maker's own text line by line, so that the comments,
// the order and every line not edited stay as the maker left them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings_lint.h"

namespace ris::tool {

struct SettingsField {
  std::string Section;      // as the new product's text spells it
  std::string Key;
  std::string Explanation;  // the comment above the key there
  std::string Value;        // the text's value, or the example when absent
  bool Present = false;     // whether the text sets it
  KeyValueKind Kind;
};

// The fields in the new product's order, their values read from `text`
// (the last line that sets a key wins, as the saver reads it).
std::vector<SettingsField> SettingsFields(std::string_view text);

// `text` with [section] key set to `value`: the line that sets it now
// rewritten in place with its own spelling of the key and its line end, or,
// when no line sets it, a line added below the section's header (the
// section added at the end when there is none). Nothing when a line end in
// any of them, a "]" in the section or a "=" in the key would make the line
// another.
std::optional<std::string> WithSettingsValue(std::string_view text, std::string_view section, std::string_view key,
                                             std::string_view value);

}  // namespace ris::tool
