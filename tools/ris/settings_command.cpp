// ris settings FILE: shows how the saver reads a settings text, one entry per
// line as section, TAB, key, TAB, value, bytes exactly as stored.
#include <ostream>

#include "commands.h"
#include "data/settings_list.h"
#include "file_bytes.h"

namespace ris::tool {

int RunSettingsCommand(Arguments arguments, const CommandReport& report) {
  if (arguments.size() != 1) return report.Misused();
  const std::string path(arguments[0]);
  const auto text = ReadFileBytes(path);
  if (!text) return report.Fail("cannot read '" + path + "': " + text.error());
  TSettingsList list;
  ParseSettingsText(*text, list);
  for (const TSettingsEntry& entry : list.Entries()) {
    report.out << entry.Section << '\t' << entry.Key << '\t' << entry.Value << '\n';
  }
  return 0;
}

}  // namespace ris::tool
