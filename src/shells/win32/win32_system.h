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

// A web address comes from the product's settings, in its code page: it is
// handed over in Unicode, converted from the code page `system` holds.
class Win32Shell : public Shell {
 public:
  explicit Win32Shell(const System& system) : system_(system) {}

  void OpenWebAddress(const std::string& address) override;

 private:
  const System& system_;
};

}  // namespace ris
