#include "shells/win32/save_failures.h"

#include "data/text_helpers.h"

namespace ris {

void ShowSaveFailures(const std::vector<std::string>& failures, HWND owner, const std::string& caption) {
  if (failures.empty()) return;
  const std::string text = JoinStrings("\r\n", failures);
  MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace ris
