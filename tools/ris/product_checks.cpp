#include "product_checks.h"

#include "set_checks.h"
#include "settings_checks.h"

namespace ris::tool {

std::size_t CheckProductContent(PackContent& content, bool fix_line_ends, PackFindings& findings) {
  if (content.Settings) {
    *content.Settings = PrepareSettingsText(*content.Settings, fix_line_ends, findings);
    CheckSettingsText(*content.Settings, findings);
  }
  return CheckPictureSets(content.Pictures, findings);
}

}  // namespace ris::tool
