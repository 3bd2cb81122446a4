#include "settings_checks.h"

#include <exception>

#include "data/component.h"
#include "data/font_dialog.h"
#include "data/settings.h"
#include "data/settings_list.h"
#include "line_ends.h"
#include "shells/headless/memory_hive.h"

namespace ris::tool {

namespace {

// The model reads the user's registry too; an empty hive in memory stands
// in, so that only the product's own text is judged.
void CheckSettingsModel(const TSettingsList& list, PackFindings& findings) {
  ComponentClassRegistry classes;
  classes.Register<TFontDialog>();
  MemoryHive hive;
  try {
    const TSettings settings(list, hive, classes);
  } catch (const std::exception& error) {
    findings.Error(std::string("settings.txt: the saver would stop at start: ") + error.what());
  }
}

void WarnIfEmpty(const TSettingsList& list, std::string_view key, std::string_view section,
                 std::string_view consequence, PackFindings& findings) {
  if (!list.ReadValue(key, section).empty()) return;
  std::string text = "settings.txt: ";
  text.append(key)
      .append(" in [")
      .append(section)
      .append("] is missing or empty: ")
      .append(consequence);
  findings.Warning(text);
}

}  // namespace

std::string PrepareSettingsText(std::string_view text, bool fix_line_ends, PackFindings& findings) {
  if (!HasBareLineFeed(text)) return std::string(text);
  if (fix_line_ends) return WithCrLfLineEnds(text);
  findings.Warning(
      "settings.txt: lines end in a bare LF; the saver would read it as one single line "
      "(pack with --fix-line-ends to archive it with CR LF line ends)");
  return std::string(text);
}

void CheckSettingsText(std::string_view text, PackFindings& findings) {
  // Editors that save "UTF-8 with BOM" put these bytes first; the saver
  // takes them as text, so the first line's section or key is not found.
  if (text.starts_with("\xEF\xBB\xBF")) {
    findings.Warning(
        "settings.txt: starts with a UTF-8 byte order mark, which the saver reads as part of the "
        "first line");
  }
  TSettingsList list;
  ParseSettingsText(text, list);
  CheckSettingsModel(list, findings);
  WarnIfEmpty(list, "title", "general",
              "the saver would have no title and could keep none of the user's settings", findings);
  WarnIfEmpty(list, "clockFont", "ClockSettings", "the clock would be drawn in a default font",
              findings);
  WarnIfEmpty(list, "filenameFont", "FilenameSettings",
              "the set name would be drawn in a default font", findings);
}

}  // namespace ris::tool
