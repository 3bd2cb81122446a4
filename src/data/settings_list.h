#pragma once
// The parsed settings text of a product: an ordered list of (key, value,
// section) entries with lookups that fold only 'A'..'Z'.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/code_page.h"

namespace ris {

struct TSettingsEntry {
  std::string Key;
  std::string Value;
  std::string Section;
};

class TSettingsList {
 public:
  // Adds the entry at the end, or, when the (key, section) pair exists under
  // case folding, keeps its place and first-written key and takes the new
  // value and the section name as written this time.
  void SetValue(std::string_view key, std::string_view value, std::string_view section);

  // Position of the matching entry, or -1.
  std::ptrdiff_t IndexOfKey(std::string_view key, std::string_view section) const;

  // The stored value, or the empty string when the pair is absent.
  std::string ReadValue(std::string_view key, std::string_view section) const;

  // True only when the pair is present and its value folds to "true" exactly.
  bool ReadBool(std::string_view key, std::string_view section) const;

  // The stored value when present and not empty; otherwise `fallback`.
  std::string ReadValueDef(std::string_view fallback, std::string_view key,
                           std::string_view section) const;

  const std::vector<TSettingsEntry>& Entries() const noexcept { return entries_; }
  std::size_t Count() const noexcept { return entries_.size(); }

 private:
  static std::string LookupKey(std::string_view key, std::string_view section);

  std::vector<TSettingsEntry> entries_;
  // Folded (key, section) to position. The list answers exactly as a scan
  // from the first entry would; the index only keeps a hostile text with
  // many entries from taking quadratic time.
  std::unordered_map<std::string, std::size_t> positions_;
};

// One key=value line of a settings text as the reader takes it.
struct SettingsLine {
  std::size_t Number = 0;     // 1-based, counting CR LF line ends
  std::string_view Written;   // the line as it stands in the text
  std::string_view Read;      // what is left once the comment is cut and blanks trimmed
  std::string_view Section;   // as its header names it
  std::size_t SectionNumber = 0;  // the header's line; 0 before the first header
  std::string_view Key;
  std::string_view Value;
};

// Calls `visit` for each key=value line, in order, by the rules below.
void VisitSettingsLines(std::string_view text, const std::function<void(const SettingsLine&)>& visit);

// Parses a whole settings text into `list`. Lines end in CR LF; a lone CR or
// LF is ordinary text. A line is cut at its first "//", or at an apostrophe
// standing before that "//"; it is then trimmed of bytes 0..32. "[name]"
// opens a section (no "]" opens the section with the empty name); other
// lines holding "=" are key=value entries; everything else is ignored.
void ParseSettingsText(std::string_view text, TSettingsList& list);

// The code page the product's texts are written in: "codePage" in "general"
// when it names one the engine has a table for, otherwise the system's ANSI
// code page (the tools refuse any other number before a product is packed).
CodePage ProductCodePage(const TSettingsList& list);

}  // namespace ris
