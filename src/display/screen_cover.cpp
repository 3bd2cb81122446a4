#include "display/screen_cover.h"

#include <algorithm>

namespace ris {
namespace {

bool Empty(const ScreenRect& rect) noexcept { return rect.Right <= rect.Left || rect.Bottom <= rect.Top; }

bool Overlap(const ScreenRect& a, const ScreenRect& b) noexcept {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

}  // namespace

std::vector<ScreenRect> MonitorsToCover(std::span<const ScreenRect> monitors, const ScreenRect& primary) {
  std::vector<ScreenRect> covers;
  for (const ScreenRect& monitor : monitors) {
    if (Empty(monitor) || Overlap(monitor, primary)) continue;
    if (std::find(covers.begin(), covers.end(), monitor) != covers.end()) continue;
    covers.push_back(monitor);
  }
  return covers;
}

}  // namespace ris
