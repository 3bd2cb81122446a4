#include "desktop_frame.h"

#include <algorithm>

namespace ris::tool {
namespace {

constexpr Bgra kBlack{0, 0, 0, 0xFF};

SurfaceRect AsSurface(const ScreenRect& rect) noexcept { return {rect.Left, rect.Top, rect.Right, rect.Bottom}; }

// Copies the monitor's part of the scene's frame, or black where the frame
// has no pixels, into the desktop picture whose top-left corner is `box`'s.
void ShowMonitor(PixelImage& desktop, const SurfaceRect& box, const SurfaceRect& monitor,
                 const ScreenRect* scene_place, const Surface* frame) {
  for (std::int32_t y = monitor.Top; y < monitor.Bottom; ++y) {
    const auto row = desktop.Row(y - box.Top);
    for (std::int32_t x = monitor.Left; x < monitor.Right; ++x) {
      Bgra pixel = kBlack;
      if (scene_place != nullptr && frame != nullptr) {
        const std::int32_t scene_x = x - scene_place->Left;
        const std::int32_t scene_y = y - scene_place->Top;
        if (scene_x >= 0 && scene_y >= 0 && scene_x < frame->Width() && scene_y < frame->Height()) {
          pixel = frame->Row(scene_y)[static_cast<std::size_t>(scene_x)];
          pixel.A = 0xFF;
        }
      }
      row[static_cast<std::size_t>(x - box.Left)] = pixel;
    }
  }
}

}  // namespace

PixelImage DesktopFrame(const MonitorLayout& layout, std::span<const Surface* const> scene_frames) {
  SurfaceRect box;
  for (const MonitorShows& shows : layout.Monitors) box = BoundingBox(box, AsSurface(shows.Monitor));
  if (box.Empty() || !PictureSizeAllowed(box.Width(), box.Height())) return {};
  PixelImage desktop =
      PixelImage::Blank(static_cast<std::int32_t>(box.Width()), static_cast<std::int32_t>(box.Height()), kNoMonitor);
  for (const MonitorShows& shows : layout.Monitors) {
    const ScreenRect* place = nullptr;
    const Surface* frame = nullptr;
    if (shows.Scene && *shows.Scene < layout.Scenes.size()) {
      place = &layout.Scenes[*shows.Scene].Desktop;
      if (*shows.Scene < scene_frames.size()) frame = scene_frames[*shows.Scene];
    }
    ShowMonitor(desktop, box, AsSurface(shows.Monitor), place, frame);
  }
  return desktop;
}

}  // namespace ris::tool
