#pragma once
// Findings about the lines of a settings text, each naming the line, the
// section and the key, and saying what to write instead: keys the saver
// does not read (with the nearest one it does), values it cannot convert or
// takes otherwise than the maker meant, values cut at an apostrophe, and
// links no browser could open.

#include <cstdint>
#include <string_view>

#include "data/settings_list.h"
#include "pack_findings.h"

namespace ris::tool {

// The keys the saver reads are those of a new product's settings text,
// which holds every one of them. Returns true when an error was found: a
// value or a missing key that would stop the saver at start.
bool LintSettingsText(std::string_view text, PackFindings& findings);

// What the checks take as a key's value, for a form that edits it: "number"
// (from Least to Most), "colour", "switch", "flag" (a "set" key: the user
// may change the setting, or a row is shown), "link" or "text".
struct KeyValueKind {
  std::string_view Kind = "text";
  std::int64_t Least = 0;
  std::int64_t Most = 0;
};
KeyValueKind ValueKindOf(std::string_view section, std::string_view key);

// Warnings for the texts a new product's settings hold for the maker to
// replace (the example site's address, the stock disclaimer and copyright)
// that are still there: shipped in a setup, they would speak for a product
// of nobody's.
void LintPlaceholders(const TSettingsList& settings, PackFindings& findings);

}  // namespace ris::tool
