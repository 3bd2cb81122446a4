#include <spawn.h>
#include <sys/types.h>

#include "studio/open_browser.h"

extern char** environ;

namespace ris::tool {

// xdg-open may stay until the browser ends, so it is not waited for; it is
// reaped when ris ends.
bool OpenInBrowser(const std::string& address) {
  std::string program = "xdg-open";
  std::string argument = address;
  char* arguments[] = {program.data(), argument.data(), nullptr};
  pid_t pid = 0;
  return posix_spawnp(&pid, program.c_str(), nullptr, nullptr, arguments, environ) == 0;
}

}  // namespace ris::tool
