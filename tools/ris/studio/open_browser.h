#pragma once
// Opening an address in the system's browser, without waiting for it: the
// desktop's opener (xdg-open) off Windows, the shell's on Windows. One
// implementation per platform, in platform/.

#include <string>

namespace ris::tool {

// False when the opener could not be started.
bool OpenInBrowser(const std::string& address);

}  // namespace ris::tool
