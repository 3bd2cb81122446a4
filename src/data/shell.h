#pragma once
// The desktop shell: opens a web address in the user's browser.

#include <string>

namespace ris {

class Shell {
 public:
  virtual ~Shell() = default;

  // Asks the shell to open the address; the shell's answer is not examined.
  virtual void OpenWebAddress(const std::string& address) = 0;
};

}  // namespace ris
