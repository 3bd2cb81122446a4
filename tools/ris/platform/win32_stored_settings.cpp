#include <windows.h>

#include "data/text_helpers.h"
#include "shells/win32/wide_text.h"
#include "stored_settings.h"

namespace ris::tool {

// The key the saver's registry hive names: the title in the product's code
// page, through the Unicode call.
void ForgetStoredSettings(const std::string& /*saver_name*/, const std::string& title, CodePage code_page) {
  std::string product = NormalizeKeyPath(title);
  if (!product.empty() && product.back() == '\\') product.pop_back();
  if (product.empty()) return;  // never the whole of "Software"
  RegDeleteTreeW(HKEY_CURRENT_USER, Widen("Software\\" + product, code_page).c_str());
}

}  // namespace ris::tool
