#include "shells/headless/offscreen_presenter.h"

#include <algorithm>

namespace ris {

bool OffscreenPresenter::Restore() {
  if (restorable_) lost_ = false;
  return restorable_;
}

void OffscreenPresenter::Present(const Surface& back_surface, const DirtyRegion& changed,
                                 bool /*wait_for_vertical_blank*/) {
  ++frames_;
  if (last_frame_.Bounds() != back_surface.Bounds()) {
    // A screen of another size holds nothing of the frames before.
    last_frame_.Resize(back_surface.Width(), back_surface.Height());
    std::ranges::copy(back_surface.Pixels(), last_frame_.Pixels().begin());
    pixels_copied_ = std::int64_t{back_surface.Width()} * back_surface.Height();
    return;
  }
  pixels_copied_ = 0;
  for (const SurfaceRect& rect : changed.Rects()) {
    const SurfaceRect area = Intersection(rect, back_surface.Bounds());
    if (area.Empty()) continue;
    for (std::int32_t y = area.Top; y < area.Bottom; ++y) {
      const auto from = back_surface.Row(y).subspan(static_cast<std::size_t>(area.Left),
                                                    static_cast<std::size_t>(area.Width()));
      std::ranges::copy(from, last_frame_.Row(y).begin() + area.Left);
    }
    pixels_copied_ += area.Width() * area.Height();
  }
}

}  // namespace ris
