#include "data/settings_list.h"

#include <algorithm>
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

void VisitSettingsLines(std::string_view text, const std::function<void(const SettingsLine&)>& visit) {
  SettingsLine line;
  std::string section;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find("\r\n", start), text.size());
    ++line.Number;
    line.Written = text.substr(start, end - start);
    start = end + 2;
    line.Read = TrimBlanks(StripComment(line.Written));
    if (line.Read.empty()) continue;
    if (line.Read.front() == '[') {
      section = SectionName(line.Read);
      line.SectionNumber = line.Number;
      continue;
    }
    const auto equals = line.Read.find('=');
    if (equals == std::string_view::npos) continue;
    line.Section = section;
    line.Key = line.Read.substr(0, equals);
    line.Value = line.Read.substr(equals + 1);
    visit(line);
  }
}

void ParseSettingsText(std::string_view text, TSettingsList& list) {
  VisitSettingsLines(text, [&list](const SettingsLine& line) { list.SetValue(line.Key, line.Value, line.Section); });
}

CodePage ProductCodePage(const TSettingsList& list) {
  const std::optional<std::int32_t> number = TryStrToInt(list.ReadValue("codePage", "general"));
  if (!number || *number <= 0 || !IsTabledCodePage(static_cast<CodePage>(*number))) return kSystemCodePage;
  return static_cast<CodePage>(*number);
}

}  // namespace ris
