#pragma once
// What the saver shows on each monitor of the desktop, as the product's
// maker chose it: the picture on the primary monitor only, the others black;
// a picture of its own on every monitor; or one picture across all of them.
// A scene is one composed picture with its own back surface and window: its
// size, where it lies on the desktop, where the clock and the set's name go
// in it and which of its parts no monitor shows.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "display/screen_cover.h"
#include "surface/surface_rect.h"

namespace ris {

enum class MonitorChoice : std::uint8_t { PrimaryOnly = 0, EveryMonitor = 1, AcrossAll = 2 };

// The choice a product's number stands for; any other number is the
// primary monitor alone, as a saver of one monitor shows it.
MonitorChoice MonitorChoiceFrom(std::int32_t number) noexcept;

// The most monitors the saver places; further ones stay as they are.
inline constexpr std::size_t kMaxMonitors = 16;

struct ScenePlace {
  ScreenRect Desktop;  // where the scene's window lies; its size is the scene's
  // Where the clock and the set's name keep, in the scene's pixels; empty in
  // a scene that shows neither.
  SurfaceRect OverlayArea;
  // Parts of the scene that no monitor shows, which the moving pictures keep
  // out of.
  std::vector<SurfaceRect> Unseen;

  std::int32_t Width() const noexcept { return Desktop.Right - Desktop.Left; }
  std::int32_t Height() const noexcept { return Desktop.Bottom - Desktop.Top; }
};

struct MonitorShows {
  ScreenRect Monitor;
  std::optional<std::size_t> Scene;  // nothing: covered black
};

struct MonitorLayout {
  std::vector<ScenePlace> Scenes;  // the first one has the overlays
  std::vector<MonitorShows> Monitors;
};

// The layout of `monitors`, the primary one first, desktop coordinates that
// may be negative. Monitors without area are left out; one that overlaps a
// monitor placed before it (a mirrored display) shows that one's scene.
// Across all monitors, a bounding box that would be mostly unseen (monitors
// far apart) or larger than a picture may be gets a scene per monitor
// instead. No monitor at all gives no scene.
MonitorLayout LayOutMonitors(std::span<const ScreenRect> monitors, MonitorChoice choice);

// The parts of `box` that none of `shown` covers, as rectangles that do not
// overlap, row by row.
std::vector<SurfaceRect> UncoveredParts(const SurfaceRect& box, std::span<const SurfaceRect> shown);

}  // namespace ris
