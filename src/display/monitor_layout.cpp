#include "display/monitor_layout.h"

#include <algorithm>

#include "pictures/picture.h"

namespace ris {
namespace {

// Across all monitors, a bounding box more than this many times the
// monitors' own pixels is mostly unseen, and its back surface memory spent
// on nothing: the monitors then get a scene each.
constexpr std::int64_t kMostBoxPerMonitorPixel = 4;

SurfaceRect AsSurface(const ScreenRect& rect) noexcept { return {rect.Left, rect.Top, rect.Right, rect.Bottom}; }
ScreenRect AsScreen(const SurfaceRect& rect) noexcept { return {rect.Left, rect.Top, rect.Right, rect.Bottom}; }

// The scene's whole area in its own pixels.
SurfaceRect Whole(const ScreenRect& desktop) noexcept {
  return {0, 0, desktop.Right - desktop.Left, desktop.Bottom - desktop.Top};
}

std::vector<ScreenRect> UsableMonitors(std::span<const ScreenRect> monitors) {
  std::vector<ScreenRect> usable;
  for (const ScreenRect& monitor : monitors) {
    if (usable.size() == kMaxMonitors) break;
    if (AsSurface(monitor).Empty()) continue;
    if (std::find(usable.begin(), usable.end(), monitor) != usable.end()) continue;
    usable.push_back(monitor);
  }
  return usable;
}

// The first scene whose window covers part of the monitor.
std::optional<std::size_t> SceneOver(const std::vector<ScenePlace>& scenes, const ScreenRect& monitor) {
  for (std::size_t i = 0; i < scenes.size(); ++i) {
    if (Overlap(AsSurface(scenes[i].Desktop), AsSurface(monitor))) return i;
  }
  return std::nullopt;
}

// A monitor that shows part of the primary one's window keeps showing it.
MonitorLayout PrimaryOnly(const std::vector<ScreenRect>& monitors) {
  MonitorLayout layout;
  layout.Scenes.push_back({monitors.front(), Whole(monitors.front()), {}});
  const std::vector<ScreenRect> covered = MonitorsToCover(monitors, monitors.front());
  for (const ScreenRect& monitor : monitors) {
    const bool black = std::find(covered.begin(), covered.end(), monitor) != covered.end();
    layout.Monitors.push_back({monitor, black ? std::nullopt : std::optional<std::size_t>(0)});
  }
  return layout;
}

MonitorLayout EveryMonitor(const std::vector<ScreenRect>& monitors) {
  MonitorLayout layout;
  for (const ScreenRect& monitor : monitors) {
    auto scene = SceneOver(layout.Scenes, monitor);
    if (!scene) {
      scene = layout.Scenes.size();
      const SurfaceRect overlays = layout.Scenes.empty() ? Whole(monitor) : SurfaceRect{};
      layout.Scenes.push_back({monitor, overlays, {}});
    }
    layout.Monitors.push_back({monitor, scene});
  }
  return layout;
}

std::optional<MonitorLayout> AcrossAll(const std::vector<ScreenRect>& monitors) {
  SurfaceRect box;
  std::int64_t monitor_pixels = 0;
  for (const ScreenRect& monitor : monitors) {
    const SurfaceRect rect = AsSurface(monitor);
    box = BoundingBox(box, rect);
    monitor_pixels += rect.Width() * rect.Height();  // mirrors counted twice: they widen nothing
  }
  if (!PictureSizeAllowed(box.Width(), box.Height()) ||
      box.Width() * box.Height() > kMostBoxPerMonitorPixel * monitor_pixels) {
    return std::nullopt;
  }
  std::vector<SurfaceRect> shown;
  for (const ScreenRect& monitor : monitors) shown.push_back(Offset(AsSurface(monitor), -box.Left, -box.Top));
  const SurfaceRect local_box{0, 0, static_cast<std::int32_t>(box.Width()), static_cast<std::int32_t>(box.Height())};
  MonitorLayout layout;
  layout.Scenes.push_back({AsScreen(box), shown.front(), UncoveredParts(local_box, shown)});
  for (const ScreenRect& monitor : monitors) layout.Monitors.push_back({monitor, 0});
  return layout;
}

std::vector<std::int32_t> EdgesWithin(std::int32_t low, std::int32_t high, std::span<const std::int32_t> edges) {
  std::vector<std::int32_t> inside{low, high};
  for (const std::int32_t edge : edges) inside.push_back(std::clamp(edge, low, high));
  std::sort(inside.begin(), inside.end());
  inside.erase(std::unique(inside.begin(), inside.end()), inside.end());
  return inside;
}

bool Covered(std::span<const SurfaceRect> shown, const SurfaceRect& cell) {
  return std::any_of(shown.begin(), shown.end(), [&](const SurfaceRect& rect) { return Contains(rect, cell); });
}

}  // namespace

MonitorChoice MonitorChoiceFrom(std::int32_t number) noexcept {
  switch (number) {
    case 1:
      return MonitorChoice::EveryMonitor;
    case 2:
      return MonitorChoice::AcrossAll;
    default:
      return MonitorChoice::PrimaryOnly;
  }
}

MonitorLayout LayOutMonitors(std::span<const ScreenRect> monitors, MonitorChoice choice) {
  const std::vector<ScreenRect> usable = UsableMonitors(monitors);
  if (usable.empty()) return {};
  switch (choice) {
    case MonitorChoice::PrimaryOnly:
      return PrimaryOnly(usable);
    case MonitorChoice::AcrossAll:
      if (auto across = AcrossAll(usable)) return *std::move(across);
      break;
    case MonitorChoice::EveryMonitor:
      break;
  }
  return EveryMonitor(usable);
}

// The box is cut at every edge of the shown rectangles into cells, each
// wholly shown or wholly not; the unshown cells of a band join into runs,
// and a run continues the one of the band above with the same sides.
std::vector<SurfaceRect> UncoveredParts(const SurfaceRect& box, std::span<const SurfaceRect> shown) {
  std::vector<std::int32_t> xs;
  std::vector<std::int32_t> ys;
  for (const SurfaceRect& rect : shown) {
    xs.insert(xs.end(), {rect.Left, rect.Right});
    ys.insert(ys.end(), {rect.Top, rect.Bottom});
  }
  xs = EdgesWithin(box.Left, box.Right, xs);
  ys = EdgesWithin(box.Top, box.Bottom, ys);
  std::vector<SurfaceRect> parts;
  for (std::size_t row = 0; row + 1 < ys.size(); ++row) {
    for (std::size_t column = 0; column + 1 < xs.size(); ++column) {
      const SurfaceRect cell{xs[column], ys[row], xs[column + 1], ys[row + 1]};
      if (cell.Empty() || Covered(shown, cell)) continue;
      if (!parts.empty() && parts.back().Top == cell.Top && parts.back().Right == cell.Left) {
        parts.back().Right = cell.Right;  // the run goes on along the band
        continue;
      }
      parts.push_back(cell);
    }
  }
  // Runs of the same sides in touching bands become one.
  std::vector<SurfaceRect> joined;
  for (const SurfaceRect& part : parts) {
    const auto above = std::find_if(joined.begin(), joined.end(), [&](const SurfaceRect& earlier) {
      return earlier.Left == part.Left && earlier.Right == part.Right && earlier.Bottom == part.Top;
    });
    if (above != joined.end()) {
      above->Bottom = part.Bottom;
    } else {
      joined.push_back(part);
    }
  }
  return joined;
}

}  // namespace ris
