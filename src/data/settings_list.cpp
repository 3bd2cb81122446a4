#include "data/settings_list.h"

#include <cstdint>
#include <optional>

#include "base/ascii.h"
#include "base/conversions.h"
#include "data/text_helpers.h"

namespace ris {

std::string TSettingsList::LookupKey(std::string_view key, std::string_view section) {
  // A zero byte cannot occur inside one line of a settings text, but keys set
  // through SetValue might hold one; the length prefix keeps pairs distinct.
  std::string lookup = std::to_string(key.size());
  lookup += ':';
  lookup += FoldAscii(key);
  lookup += FoldAscii(section);
  return lookup;
}

void TSettingsList::SetValue(std::string_view key, std::string_view value,
                             std::string_view section) {
  const auto [where, added] = positions_.try_emplace(LookupKey(key, section), entries_.size());
  if (added) {
    entries_.push_back({std::string(key), std::string(value), std::string(section)});
    return;
  }
  TSettingsEntry& entry = entries_[where->second];
  entry.Value = value;
  entry.Section = section;
}

std::ptrdiff_t TSettingsList::IndexOfKey(std::string_view key, std::string_view section) const {
  const auto where = positions_.find(LookupKey(key, section));
  return where == positions_.end() ? -1 : static_cast<std::ptrdiff_t>(where->second);
}

std::string TSettingsList::ReadValue(std::string_view key, std::string_view section) const {
  const auto index = IndexOfKey(key, section);
  return index < 0 ? std::string() : entries_[static_cast<std::size_t>(index)].Value;
}

bool TSettingsList::ReadBool(std::string_view key, std::string_view section) const {
  const auto index = IndexOfKey(key, section);
  return index >= 0 && EqualsFolded(entries_[static_cast<std::size_t>(index)].Value, "true");
}

std::string TSettingsList::ReadValueDef(std::string_view fallback, std::string_view key,
                                        std::string_view section) const {
  const std::string value = ReadValue(key, section);
  return value.empty() ? std::string(fallback) : value;
}

namespace {

std::string_view StripComment(std::string_view line) {
  const auto comment = line.find("//");
  if (comment == std::string_view::npos) return line;
  const auto apostrophe = line.find('\'');
  return line.substr(0, apostrophe < comment ? apostrophe : comment);
}

std::string_view SectionName(std::string_view header) {
  const auto close = header.find(']');
  if (close == std::string_view::npos) return {};
  return header.substr(1, close - 1);
}

}  // namespace

void ParseSettingsText(std::string_view text, TSettingsList& list) {
  std::string section;
  for (const std::string& raw_line : SplitString("\r\n", text)) {
    const std::string_view line = TrimBlanks(StripComment(raw_line));
    if (line.empty()) continue;
    if (line.front() == '[') {
      section = SectionName(line);
      continue;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    list.SetValue(line.substr(0, equals), line.substr(equals + 1), section);
  }
}

CodePage ProductCodePage(const TSettingsList& list) {
  const std::optional<std::int32_t> number = TryStrToInt(list.ReadValue("codePage", "general"));
  if (!number || *number <= 0 || !IsTabledCodePage(static_cast<CodePage>(*number))) return kSystemCodePage;
  return static_cast<CodePage>(*number);
}

}  // namespace ris
