#include <windows.h>

#include "data/text_helpers.h"
#include "stored_settings.h"

namespace ris::tool {

void ForgetStoredSettings(const std::string& /*saver_name*/, const std::string& title) {
  std::string product = NormalizeKeyPath(title);
  if (!product.empty() && product.back() == '\\') product.pop_back();
  if (product.empty()) return;  // never the whole of "Software"
  RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + product).c_str());
}

}  // namespace ris::tool
