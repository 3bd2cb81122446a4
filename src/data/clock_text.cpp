#include "data/clock_text.h"

#include <array>
#include <cstdio>

namespace ris {

std::string RunningTimeText(std::uint32_t seconds) {
  const std::uint32_t hours = (seconds % 86400) / 3600;
  const std::uint32_t minutes = (seconds % 3600) / 60;
  std::array<char, 16> text{};
  std::snprintf(text.data(), text.size(), "%02u:%02u:%02u", hours, minutes, seconds % 60);
  return text.data();
}

std::int32_t NextClockMode(std::int32_t mode) noexcept {
  // Any value above the running time (a hand-edited registry, say) starts
  // the cycle again, which also keeps the step from overflowing.
  return mode >= kRunningTime ? kNoClock : mode + 1;
}

}  // namespace ris
