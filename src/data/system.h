#pragma once
// What the engine needs of the operating system besides the registry, the
// shell and the screen: where the executable lies, its files, the
// application's title, and the one way out when the saver cannot go on.

#include <cstdlib>
#include <memory>
#include <string>

#include "archive/byte_source.h"

namespace ris {

class System {
 public:
  virtual ~System() = default;

  // Full path of the running executable, backslashes between folders.
  virtual std::string ExecutablePath() const = 0;

  // The file opened for reading at any offset, kept open while the source
  // lives; nothing when it is missing or cannot be opened. Others may
  // still write, rename or delete the file meanwhile.
  virtual std::shared_ptr<const ByteSource> OpenFile(const std::string& path) const = 0;

  virtual void SetApplicationTitle(const std::string& title) = 0;

  // Shows `message` in a modal error box (caption "Error") and ends the
  // process with `exit_code`. Test doubles end the test case instead, by
  // throwing; either way control never comes back to the caller.
  [[noreturn]] void ShowErrorAndExit(const std::string& message, int exit_code) {
    EndWithError(message, exit_code);
    std::abort();  // a platform that came back would break every caller
  }

 protected:
  virtual void EndWithError(const std::string& message, int exit_code) = 0;
};

}  // namespace ris
