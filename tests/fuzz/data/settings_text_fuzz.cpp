// Settings texts come from product archives and are parsed on every start.
// Beyond not crashing, every entry the parser keeps must be findable again by
// its own key and section.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "data/settings_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ris::TSettingsList list;
  ris::ParseSettingsText(text, list);
  for (std::size_t i = 0; i < list.Count(); ++i) {
    const auto& entry = list.Entries()[i];
    if (list.IndexOfKey(entry.Key, entry.Section) != static_cast<std::ptrdiff_t>(i)) std::abort();
  }
  return 0;
}
