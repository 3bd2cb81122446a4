#pragma once
// The parts of the back surface that changed since the last presented frame:
// what the next frame has to compose and what presenting it has to copy. A
// few rectangles, none overlapping another: a rectangle added over others
// absorbs them into their bounding box. Past kMostRects the region becomes
// the one box around all of it, so that a thousand moving pictures cost no
// bookkeeping; a new surface, a new look or a restored surface make it the
// whole surface.
//
// The storage is fixed: a frame adds and clears without allocating.

#include <array>
#include <cstddef>
#include <span>

#include "surface/surface_rect.h"

namespace ris {

class DirtyRegion {
 public:
  static constexpr std::size_t kMostRects = 16;

  // Nothing changed on a surface of these bounds.
  void Reset(SurfaceRect bounds) noexcept;
  void Clear() noexcept { count_ = 0; }

  // The part of `rect` on the surface changed.
  void Add(SurfaceRect rect) noexcept;
  void AddWhole() noexcept;

  bool Empty() const noexcept { return count_ == 0; }
  bool Whole() const noexcept { return count_ == 1 && rects_[0] == bounds_; }
  std::span<const SurfaceRect> Rects() const noexcept { return {rects_.data(), count_}; }
  SurfaceRect Bounds() const noexcept { return bounds_; }

  // Whether some pixel of `rect` changed.
  bool Touches(const SurfaceRect& rect) const noexcept;
  // Whether one of the rectangles holds all of `rect`.
  bool Covers(const SurfaceRect& rect) const noexcept;

 private:

  SurfaceRect bounds_;
  std::array<SurfaceRect, kMostRects> rects_{};
  std::size_t count_ = 0;
};

}  // namespace ris
