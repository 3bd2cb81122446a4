#include "shells/win32/save_failures.h"

#include "data/system.h"
#include "data/text_helpers.h"
#include "shells/win32/win32_errors.h"

namespace ris {

void ShowSaveFailures(const std::vector<std::string>& failures, HWND owner, const System& system) {
  if (failures.empty()) return;
  ShowErrorBox(owner, JoinStrings("\r\n", failures), system.ApplicationTitle(), system.TextCodePage());
}

}  // namespace ris
