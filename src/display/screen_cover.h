#pragma once
// Which monitors the saver covers with black windows of its own besides the
// primary one, where its main window is: no screen may go on showing the
// user's work while the saver (and perhaps its password) runs.

#include <cstdint>
#include <span>
#include <vector>

namespace ris {

// A rectangle of the desktop; right and bottom lie just outside it.
struct ScreenRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;

  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// Every monitor apart from the primary, once each. A monitor that overlaps
// the primary (a mirrored display) shows the main window already, and one
// without area has nothing to cover.
std::vector<ScreenRect> MonitorsToCover(std::span<const ScreenRect> monitors, const ScreenRect& primary);

}  // namespace ris
