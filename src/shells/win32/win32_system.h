#pragma once
// The system and shell seams on Windows: the executable's path, files
// opened for reading, the application's title, the fatal error box, and web addresses
// opened by the shell.

#include <string>

#include "data/shell.h"
#include "data/system.h"

namespace ris {

class Win32System : public System {
 public:
  std::string ExecutablePath() const override;
  std::shared_ptr<const ByteSource> OpenFile(const std::string& path) const override;

 protected:
  // A modal box with the "Error" caption, then the end of the process.
  void EndWithError(const std::string& message, int exit_code) override;
};

class Win32Shell : public Shell {
 public:
  void OpenWebAddress(const std::string& address) override;
};

}  // namespace ris
