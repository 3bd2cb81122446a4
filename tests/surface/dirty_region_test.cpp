#include "surface/dirty_region.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

namespace ris {
namespace {

constexpr SurfaceRect kBounds{0, 0, 40, 30};

DirtyRegion RegionOf(std::initializer_list<SurfaceRect> rects) {
  DirtyRegion region;
  region.Reset(kBounds);
  for (const SurfaceRect& rect : rects) region.Add(rect);
  return region;
}

// In reading order: the region keeps its rectangles in no particular one.
std::vector<SurfaceRect> RectsOf(const DirtyRegion& region) {
  std::vector<SurfaceRect> rects(region.Rects().begin(), region.Rects().end());
  std::ranges::sort(rects, {}, [](const SurfaceRect& r) { return std::pair(r.Top, r.Left); });
  return rects;
}

TEST(DirtyRegion, KeepsApartWhatIsApartAndMergesWhatOverlaps) {
  // Clipped to the surface; off it, nothing.
  EXPECT_EQ(RectsOf(RegionOf({{-5, -5, 3, 2}, {50, 0, 60, 10}})), (std::vector<SurfaceRect>{{0, 0, 3, 2}}));
  // Touching edges share no pixel: two rectangles.
  EXPECT_EQ(RegionOf({{0, 0, 5, 5}, {5, 0, 9, 5}}).Rects().size(), 2u);
  // A bridge merges the two it overlaps; the third stays apart.
  const DirtyRegion bridged = RegionOf({{0, 0, 4, 4}, {10, 0, 14, 4}, {6, 6, 8, 8}, {2, 2, 12, 3}});
  EXPECT_EQ(RectsOf(bridged), (std::vector<SurfaceRect>{{0, 0, 14, 4}, {6, 6, 8, 8}}));
  EXPECT_TRUE(bridged.Touches({13, 3, 20, 20}));
  EXPECT_FALSE(bridged.Touches({14, 4, 20, 20}));
  EXPECT_TRUE(bridged.Covers({1, 1, 13, 3}));
  EXPECT_FALSE(bridged.Covers({1, 1, 13, 5}));
}

TEST(DirtyRegion, ManyRectanglesBecomeTheirBoundingBoxAndWholeStaysWhole) {
  DirtyRegion region;
  region.Reset(kBounds);
  for (std::int32_t i = 0; i <= static_cast<std::int32_t>(DirtyRegion::kMostRects); ++i) {
    region.Add(BlockRect(2 * i, i, 1, 1));
  }
  EXPECT_EQ(RectsOf(region), (std::vector<SurfaceRect>{{0, 0, 33, 17}}));
  region.AddWhole();
  region.Add({1, 1, 2, 2});
  EXPECT_TRUE(region.Whole());
  region.Clear();
  EXPECT_TRUE(region.Empty());
  region.Reset({});
  region.AddWhole();
  EXPECT_TRUE(region.Empty());  // no surface, nothing to change
}

std::size_t PixelIndex(std::int32_t x, std::int32_t y) { return static_cast<std::size_t>(y * 40 + x); }

// Whatever is added, every pixel added is in the region, the rectangles do
// not overlap (a pixel is composed and copied once) and stay few.
TEST(DirtyRegion, RandomAdditionsStayCoveredDisjointAndFew) {
  std::mt19937 random(7);
  std::uniform_int_distribution<std::int32_t> coordinate(-10, 50);
  std::uniform_int_distribution<std::int32_t> side(0, 9);
  for (int round = 0; round < 200; ++round) {
    DirtyRegion region;
    region.Reset(kBounds);
    std::vector<bool> added(40 * 30, false);
    const int count = 1 + round % 25;
    for (int i = 0; i < count; ++i) {
      const SurfaceRect rect = BlockRect(coordinate(random), coordinate(random), side(random), side(random));
      region.Add(rect);
      const SurfaceRect on_surface = Intersection(rect, kBounds);
      for (std::int32_t y = on_surface.Top; y < on_surface.Bottom; ++y) {
        for (std::int32_t x = on_surface.Left; x < on_surface.Right; ++x) added[PixelIndex(x, y)] = true;
      }
    }
    const auto rects = region.Rects();
    ASSERT_LE(rects.size(), DirtyRegion::kMostRects);
    for (std::size_t i = 0; i < rects.size(); ++i) {
      ASSERT_TRUE(Contains(kBounds, rects[i]));
      for (std::size_t j = i + 1; j < rects.size(); ++j) ASSERT_FALSE(Overlap(rects[i], rects[j])) << round;
    }
    for (std::int32_t y = 0; y < 30; ++y) {
      for (std::int32_t x = 0; x < 40; ++x) {
        if (added[PixelIndex(x, y)]) {
          ASSERT_TRUE(region.Covers(BlockRect(x, y, 1, 1))) << round << ": " << x << ',' << y;
        }
      }
    }
  }
}

}  // namespace
}  // namespace ris
