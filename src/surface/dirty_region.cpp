#include "surface/dirty_region.h"

#include <algorithm>

namespace ris {

void DirtyRegion::Reset(SurfaceRect bounds) noexcept {
  bounds_ = bounds;
  count_ = 0;
}

void DirtyRegion::Add(SurfaceRect rect) noexcept {
  rect = Intersection(rect, bounds_);
  if (rect.Empty() || Whole()) return;
  // A rectangle grown by one it overlaps may now overlap one already passed.
  for (std::size_t i = 0; i < count_;) {
    if (Overlap(rects_[i], rect)) {
      rect = BoundingBox(rect, rects_[i]);
      rects_[i] = rects_[--count_];
      i = 0;
    } else {
      ++i;
    }
  }
  if (count_ == rects_.size()) {
    for (const SurfaceRect& held : Rects()) rect = BoundingBox(rect, held);
    count_ = 0;
  }
  rects_[count_++] = rect;
}

void DirtyRegion::AddWhole() noexcept {
  count_ = 0;
  if (!bounds_.Empty()) rects_[count_++] = bounds_;
}

bool DirtyRegion::Touches(const SurfaceRect& rect) const noexcept {
  return std::ranges::any_of(Rects(), [&](const SurfaceRect& held) { return Overlap(held, rect); });
}

bool DirtyRegion::Covers(const SurfaceRect& rect) const noexcept {
  return rect.Empty() ||
         std::ranges::any_of(Rects(), [&](const SurfaceRect& held) { return Contains(held, rect); });
}

}  // namespace ris
