#pragma once
// The settings a saver stores for its user when it ends: under the current
// user's registry key "Software\<title>" on Windows, in ris-saver's .reg file
// of the saver's name on Linux. One implementation per platform, in
// platform/.

#include <string>

#include "base/code_page.h"

namespace ris::tool {

// Forgets what the saver `saver_name` (without ".scr"), titled `title` in
// `code_page`, stored; nothing stored is no failure. `ris preview` calls it before each
// start: stored values win over the defaults of settings.txt, and would
// hide every change the maker saves to them.
void ForgetStoredSettings(const std::string& saver_name, const std::string& title, CodePage code_page);

}  // namespace ris::tool
