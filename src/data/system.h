#pragma once
// What the engine needs of the operating system besides the registry, the
// shell and the screen: where the executable lies, its files, the
// application's title, and the one way out when the saver cannot go on.

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "archive/byte_source.h"
#include "base/code_page.h"

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

  // The product's title, and the code page its texts are written in: every
  // error box shows its message and caption converted from that code page.
  void SetApplicationTitle(std::string title, CodePage code_page = kSystemCodePage) {
    title_ = std::move(title);
    text_code_page_ = code_page;
  }
  const std::string& ApplicationTitle() const noexcept { return title_; }
  CodePage TextCodePage() const noexcept { return text_code_page_; }

  // Shows `message` in a modal error box (caption "Error") and ends the
  // process with `exit_code`. Test doubles end the test case instead, by
  // throwing; either way control never comes back to the caller.
  [[noreturn]] void ShowErrorAndExit(const std::string& message, int exit_code) {
    EndWithError(message, exit_code);
    std::abort();  // a platform that came back would break every caller
  }

 protected:
  virtual void EndWithError(const std::string& message, int exit_code) = 0;

 private:
  std::string title_;
  CodePage text_code_page_ = kSystemCodePage;
};

}  // namespace ris
