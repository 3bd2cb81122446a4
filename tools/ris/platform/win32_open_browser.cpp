#include <windows.h>
#include <shellapi.h>

#include "studio/open_browser.h"

namespace ris::tool {

// The address is the studio's own, ASCII only, so each byte widens as it is.
bool OpenInBrowser(const std::string& address) {
  const std::wstring wide(address.begin(), address.end());
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;  // the documented threshold of success
}

}  // namespace ris::tool
