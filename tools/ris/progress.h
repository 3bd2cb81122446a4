#pragma once
// What a long step of a command says while it runs: one line on the error
// stream, written over as the step goes on and cleared when it ends. Only a
// terminal shows it, so that logs and scripts read the findings alone.

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string_view>

namespace ris::tool {

class Progress {
 public:
  // Silent unless `err` is the standard error stream and that is a terminal.
  explicit Progress(std::ostream& err);
  // Every line told to `listener` instead (a page that shows the step).
  explicit Progress(std::function<void(std::string_view)> listener);
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  ~Progress();

  // "checking pictures: 12 of 40 (backgrounds/beach.jpg)"
  void Count(std::string_view step, std::size_t done, std::size_t total, std::string_view item);
  // "building the setup with makensis (104 MB)"
  void Say(std::string_view text);

 private:
  std::ostream* shown_ = nullptr;  // null when silent
  std::function<void(std::string_view)> listener_;
  std::size_t width_ = 0;  // of the line on screen, to be cleared
};

}  // namespace ris::tool
