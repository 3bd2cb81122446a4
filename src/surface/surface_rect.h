#pragma once
// A rectangle of the back surface, as the window system gives one: Left and
// Top inside, Right and Bottom just outside.

#include <algorithm>
#include <cstdint>
#include <limits>

namespace ris {

struct SurfaceRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;

  bool Empty() const noexcept { return Right <= Left || Bottom <= Top; }
  std::int64_t Width() const noexcept { return std::int64_t{Right} - Left; }
  std::int64_t Height() const noexcept { return std::int64_t{Bottom} - Top; }

  friend bool operator==(const SurfaceRect&, const SurfaceRect&) = default;
};

// No limit at all: drawing clipped to it is clipped to the surface alone.
inline constexpr SurfaceRect kUnclipped{std::numeric_limits<std::int32_t>::min(),
                                        std::numeric_limits<std::int32_t>::min(),
                                        std::numeric_limits<std::int32_t>::max(),
                                        std::numeric_limits<std::int32_t>::max()};

// A width x height block with its top-left corner at (x, y), its far edges
// held to the 32-bit range so that a block near the limit cannot wrap.
inline SurfaceRect BlockRect(std::int32_t x, std::int32_t y, std::int32_t width,
                             std::int32_t height) noexcept {
  const auto far_edge = [](std::int32_t start, std::int32_t length) {
    const std::int64_t edge = std::int64_t{start} + std::max(length, 0);
    return static_cast<std::int32_t>(std::min<std::int64_t>(edge, std::numeric_limits<std::int32_t>::max()));
  };
  return {x, y, far_edge(x, width), far_edge(y, height)};
}

// The pixels both hold; empty when they share none.
inline SurfaceRect Intersection(const SurfaceRect& a, const SurfaceRect& b) noexcept {
  return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
}

inline bool Overlap(const SurfaceRect& a, const SurfaceRect& b) noexcept {
  return !Intersection(a, b).Empty();
}

// Whether every pixel of `inner` lies in `outer`; an empty `inner` always does.
inline bool Contains(const SurfaceRect& outer, const SurfaceRect& inner) noexcept {
  return inner.Empty() || (inner.Left >= outer.Left && inner.Top >= outer.Top &&
                           inner.Right <= outer.Right && inner.Bottom <= outer.Bottom);
}

// The smallest rectangle holding both; an empty one adds nothing.
inline SurfaceRect BoundingBox(const SurfaceRect& a, const SurfaceRect& b) noexcept {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
          std::max(a.Bottom, b.Bottom)};
}

inline SurfaceRect Offset(const SurfaceRect& rect, std::int32_t dx, std::int32_t dy) noexcept {
  if (rect.Empty()) return rect;
  const auto shift = [](std::int32_t value, std::int32_t by) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{value} + by,
                                                              std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
  };
  return {shift(rect.Left, dx), shift(rect.Top, dy), shift(rect.Right, dx), shift(rect.Bottom, dy)};
}

}  // namespace ris
