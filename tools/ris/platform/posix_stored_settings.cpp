#include <filesystem>
#include <system_error>

#include "shells/headless/reg_file_hive.h"
#include "stored_settings.h"

namespace ris::tool {

void ForgetStoredSettings(const std::string& saver_name, const std::string& /*title*/, CodePage /*code_page*/) {
  std::error_code ignored;
  std::filesystem::remove(LinuxSaverSettingsFile(saver_name), ignored);
}

}  // namespace ris::tool
