#include <windows.h>

#include <optional>
#include <string>

#include "data/settings.h"
#include "data/text_helpers.h"
#include "shells/win32/owned_handle.h"
#include "shells/win32/wide_text.h"
#include "stored_settings.h"

namespace ris::tool {

namespace {

// The key the saver titled `title` keeps its values under, as the saver's
// wide registry calls name it; nothing for a title that names no key of
// its own. The wide calls read a name up to its first NUL, so
// "Name<NUL>x" would stand for the key "Name", another program's.
std::optional<std::wstring> SaverKeyName(const std::string& title, CodePage code_page) {
  std::string product = NormalizeKeyPath(title);
  if (!product.empty() && product.back() == '\\') product.pop_back();
  const std::wstring wide = Widen(product, code_page);
  if (wide.empty() || wide.find(L'\0') != std::wstring::npos) return std::nullopt;  // never "Software" itself
  return L"Software\\" + wide;
}

}  // namespace

// Only the saver's own values go, not every value of the key, let alone the
// key: the key may be one another program made under the same name, and the
// saver reads nothing else from it.
void ForgetStoredSettings(const std::string& /*saver_name*/, const std::string& title, CodePage code_page) {
  const auto key_name = SaverKeyName(title, code_page);
  HKEY opened = nullptr;
  if (!key_name || RegOpenKeyExW(HKEY_CURRENT_USER, key_name->c_str(), 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) {
    return;
  }
  const OwnedRegistryKey key(opened);
  for (const std::string& value_name : TSettings::UserValueNames()) {
    RegDeleteValueW(key.Get(), Widen(value_name, kWesternCodePage).c_str());
  }
}

}  // namespace ris::tool
