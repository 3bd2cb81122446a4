#include "progress.h"

#include <iostream>
#include <string>
#include <utility>

#ifdef _WIN32
#include <io.h>
#define RIS_ISATTY _isatty
#else
#include <unistd.h>
#define RIS_ISATTY isatty
#endif

namespace ris::tool {

Progress::Progress(std::ostream& err) : shown_(&err == &std::cerr && RIS_ISATTY(2) ? &err : nullptr) {}

Progress::Progress(std::function<void(std::string_view)> listener) : listener_(std::move(listener)) {}

Progress::~Progress() {
  if (shown_ != nullptr) Say({});
}

void Progress::Count(std::string_view step, std::size_t done, std::size_t total, std::string_view item) {
  if (shown_ == nullptr && !listener_) return;
  std::string line(step);
  line.append(": ").append(std::to_string(done)).append(" of ").append(std::to_string(total));
  if (!item.empty()) line.append(" (").append(item).append(")");
  Say(line);
}

void Progress::Say(std::string_view text) {
  if (listener_) {
    listener_(text);
    return;
  }
  if (shown_ == nullptr) return;
  // Long names are cut, so that the line never wraps and can be written over.
  constexpr std::size_t kMostShown = 78;
  const std::string_view line = text.substr(0, kMostShown);
  *shown_ << '\r' << line;
  if (line.size() < width_) *shown_ << std::string(width_ - line.size(), ' ') << '\r' << line;
  *shown_ << std::flush;
  width_ = line.size();
}

}  // namespace ris::tool
