// ris settings FILE: shows how the saver reads a settings text, one entry per
// line as section, TAB, key, TAB, value, bytes exactly as stored.
#include <ostream>

#include "commands.h"
#include "data/settings_list.h"
#include "file_bytes.h"

namespace ris::tool {

int RunSettingsCommand(Arguments arguments, CommandStreams streams) {
  if (arguments.size() != 1) {
    streams.err << "usage: ris settings FILE\n";
    return 2;
  }
  const std::string path(arguments[0]);
  std::string why;
  const auto text = ReadFileBytes(path, why);
  if (!text) {
    streams.err << "ris settings: cannot read '" << path << "': " << why << '\n';
    return 1;
  }
  TSettingsList list;
  ParseSettingsText(*text, list);
  for (const TSettingsEntry& entry : list.Entries()) {
    streams.out << entry.Section << '\t' << entry.Key << '\t' << entry.Value << '\n';
  }
  return 0;
}

}  // namespace ris::tool
