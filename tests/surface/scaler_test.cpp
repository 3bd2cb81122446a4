#include "surface/scaler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "surface/blit.h"

namespace ris {
namespace {

Bgra Grey(std::uint8_t value) { return Bgra{value, value, value, 255}; }

PixelImage GreyPicture(std::int32_t width, std::int32_t height, const std::vector<std::uint8_t>& values) {
  PixelImage picture = PixelImage::Blank(width, height);
  for (std::size_t i = 0; i < values.size(); ++i) picture.Pixels[i] = Grey(values[i]);
  return picture;
}

std::vector<std::uint8_t> Blues(const PixelImage& picture) {
  std::vector<std::uint8_t> blues;
  for (const Bgra& pixel : picture.Pixels) blues.push_back(pixel.B);
  return blues;
}

TEST(ScalePicture, CheckerboardShrunkByHalfIsTheMean) {
  const PixelImage board = GreyPicture(4, 4, {0, 200, 0, 200,  //
                                              200, 0, 200, 0,  //
                                              0, 200, 0, 200,  //
                                              200, 0, 200, 0});
  const PixelImage scaled = ScalePicture(board, 2, 2);
  ASSERT_EQ(scaled.Width, 2);
  ASSERT_EQ(scaled.Height, 2);
  for (const Bgra& pixel : scaled.Pixels) EXPECT_EQ(pixel, Grey(100));
}

TEST(ScalePicture, AreaAveragingTakesEachPixelsOwnFootprint) {
  // Each 2 x 2 quadrant has its own mean, so a shifted footprint shows.
  const PixelImage quadrants = GreyPicture(4, 4, {0, 40, 100, 100,     //
                                                  80, 120, 100, 100,   //
                                                  200, 200, 10, 30,    //
                                                  200, 200, 50, 70});
  EXPECT_EQ(Blues(ScalePicture(quadrants, 2, 2)), (std::vector<std::uint8_t>{60, 100, 200, 40}));
}

TEST(ScalePicture, AreaAveragingWeighsPartlyCoveredPixels) {
  // 3 -> 2: each target covers one and a half source pixels.
  const PixelImage row = GreyPicture(3, 1, {0, 90, 180});
  EXPECT_EQ(Blues(ScalePicture(row, 2, 1)), (std::vector<std::uint8_t>{30, 150}));
}

TEST(ScalePicture, EnlargingAlignsPixelCentres) {
  // 2 -> 4: target centres fall at -1/4 (clamped), 1/4, 3/4, 5/4 (clamped).
  const PixelImage row = GreyPicture(2, 1, {0, 200});
  EXPECT_EQ(Blues(ScalePicture(row, 4, 1)), (std::vector<std::uint8_t>{0, 50, 150, 200}));
}

TEST(ScalePicture, GradientEnlargementIsMonotonicAndKeepsTheEnds) {
  const PixelImage row = GreyPicture(2, 1, {10, 240});
  for (std::int32_t width : {3, 5, 17, 256, 1001}) {
    const std::vector<std::uint8_t> blues = Blues(ScalePicture(row, width, 1));
    ASSERT_EQ(blues.front(), 10) << width;
    ASSERT_EQ(blues.back(), 240) << width;
    for (std::size_t i = 1; i < blues.size(); ++i) ASSERT_LE(blues[i - 1], blues[i]) << width;
  }
}

TEST(ScalePicture, ShrinksOneAxisWhileEnlargingTheOther) {
  const PixelImage picture = GreyPicture(4, 2, {0, 0, 100, 100,  //
                                                200, 200, 100, 100});
  EXPECT_EQ(Blues(ScalePicture(picture, 2, 4)),
            (std::vector<std::uint8_t>{0, 100, 50, 100, 150, 100, 200, 100}));
}

struct SizeCase {
  std::int32_t SourceWidth, SourceHeight, TargetWidth, TargetHeight;
};

class SolidPicture : public testing::TestWithParam<SizeCase> {};

TEST_P(SolidPicture, StaysSolidAtAnySize) {
  const SizeCase& c = GetParam();
  const Bgra colour{17, 99, 201, 128};
  const PixelImage source = PixelImage::Blank(c.SourceWidth, c.SourceHeight, colour);
  for (ScaleFilter filter : {ScaleFilter::Smooth, ScaleFilter::Nearest}) {
    const PixelImage scaled = ScalePicture(source, c.TargetWidth, c.TargetHeight, filter);
    ASSERT_EQ(scaled.Pixels.size(), static_cast<std::size_t>(c.TargetWidth) * static_cast<std::size_t>(c.TargetHeight));
    for (const Bgra& pixel : scaled.Pixels) ASSERT_EQ(pixel, colour);
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SolidPicture,
                         testing::Values(SizeCase{1, 1, 7, 3}, SizeCase{5, 5, 1, 1},
                                         SizeCase{16, 9, 3, 20}, SizeCase{3, 7, 64, 2},
                                         SizeCase{100, 1, 33, 1}, SizeCase{7, 13, 7, 13},
                                         SizeCase{1600, 3, 1920, 2}));

TEST(ScalePicture, RefusedSizesGiveAnEmptyPicture) {
  const PixelImage source = PixelImage::Blank(2, 2);
  EXPECT_TRUE(ScalePicture(source, 0, 5).Pixels.empty());
  EXPECT_TRUE(ScalePicture(source, 5, -1).Pixels.empty());
  EXPECT_TRUE(ScalePicture(PixelImage{}, 5, 5).Pixels.empty());
}

constexpr Bgra kBackground{1, 2, 3, 0};  // 0x00010203 as the surface holds it

Surface BackgroundSurface() {
  Surface surface(8, 6);
  surface.Fill(0x00010203);
  return surface;
}

class StretchEmptyRect : public testing::TestWithParam<SurfaceRect> {};

TEST_P(StretchEmptyRect, DrawsNothing) {
  const PixelImage picture = PixelImage::Blank(2, 2, Grey(90));
  Surface plain = BackgroundSurface();
  Surface cached = BackgroundSurface();
  ScaledPictureCache cache;
  StretchDrawPicture(plain, picture, GetParam(), std::nullopt);
  StretchDrawPicture(cached, picture, GetParam(), std::nullopt, cache);
  for (const Bgra& pixel : plain.Pixels()) ASSERT_EQ(pixel, kBackground);
  for (const Bgra& pixel : cached.Pixels()) ASSERT_EQ(pixel, kBackground);
}

INSTANTIATE_TEST_SUITE_P(Rects, StretchEmptyRect,
                         testing::Values(SurfaceRect{2, 1, 2, 5}, SurfaceRect{4, 1, 3, 5},
                                         SurfaceRect{1, 3, 6, 3}, SurfaceRect{1, 4, 6, 2},
                                         SurfaceRect{8, 0, 12, 4}, SurfaceRect{-5, -5, 0, 0}));

struct StretchCase {
  std::int32_t PictureWidth, PictureHeight;
  SurfaceRect Rect;
};

class StretchClipped : public testing::TestWithParam<StretchCase> {};

// Only the visible part is resampled; it must match the whole picture
// scaled and then drawn one to one.
TEST_P(StretchClipped, MatchesScalingTheWholePictureThenDrawing) {
  const StretchCase& c = GetParam();
  PixelImage picture = PixelImage::Blank(c.PictureWidth, c.PictureHeight);
  for (std::size_t i = 0; i < picture.Pixels.size(); ++i) {
    picture.Pixels[i] = Bgra{static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(i * 11),
                             static_cast<std::uint8_t>(i * 5 + 3), 255};
  }
  const SurfaceRect& r = c.Rect;
  Surface expected = BackgroundSurface();
  DrawPicture(expected, ScalePicture(picture, r.Right - r.Left, r.Bottom - r.Top), r.Left, r.Top,
              std::nullopt);
  Surface plain = BackgroundSurface();
  Surface cached = BackgroundSurface();
  ScaledPictureCache cache;
  StretchDrawPicture(plain, picture, r, std::nullopt);
  StretchDrawPicture(cached, picture, r, std::nullopt, cache);
  for (std::size_t i = 0; i < expected.Pixels().size(); ++i) {
    ASSERT_EQ(plain.Pixels()[i], expected.Pixels()[i]) << i;
    ASSERT_EQ(cached.Pixels()[i], expected.Pixels()[i]) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Rects, StretchClipped,
                         testing::Values(StretchCase{3, 3, {-3, -2, 9, 7}},     // enlarged, every edge
                                         StretchCase{20, 15, {-5, -4, 6, 5}},   // shrunk, top left
                                         StretchCase{4, 5, {5, 3, 12, 8}},      // bottom right
                                         StretchCase{6, 2, {1, 1, 4, 5}}));     // inside, mixed

// A frame is redrawn only where it changed, so every drawing clipped to a
// rectangle must leave inside it exactly what the whole drawing leaves, and
// nothing outside it.
class ClippedDrawing : public testing::TestWithParam<SurfaceRect> {};

TEST_P(ClippedDrawing, IsTheWholeDrawingCutOut) {
  PixelImage picture = PixelImage::Blank(5, 4);
  for (std::size_t i = 0; i < picture.Pixels.size(); ++i) {
    picture.Pixels[i] = i % 3 == 0 ? Bgra{30, 20, 10, 255}  // the key
                                   : Bgra{static_cast<std::uint8_t>(i * 41), static_cast<std::uint8_t>(i * 7), 99, 255};
  }
  const ColourValue key = 0x000A141E;
  const PixelImage large = ScalePicture(picture, 23, 19);
  ScaledPictureCache cache;
  using Draw = std::function<void(Surface&, SurfaceRect)>;
  const std::vector<std::pair<const char*, Draw>> drawings = {
      {"fill", [](Surface& s, SurfaceRect clip) { s.Fill(0x00445566, clip); }},
      {"keyed copy", [&](Surface& s, SurfaceRect clip) { DrawPicture(s, picture, 2, -1, key, clip); }},
      {"enlarged",
       [&](Surface& s, SurfaceRect clip) { StretchDrawPicture(s, picture, {-2, -1, 9, 11}, std::nullopt, clip); }},
      {"shrunk",
       [&](Surface& s, SurfaceRect clip) { StretchDrawPicture(s, large, {1, -3, 7, 5}, std::nullopt, clip); }},
      {"cached, keyed",
       [&](Surface& s, SurfaceRect clip) { StretchDrawPicture(s, picture, {-1, 1, 10, 4}, key, cache, clip); }},
  };
  const SurfaceRect clip = GetParam();
  for (const auto& [name, draw] : drawings) {
    Surface whole = BackgroundSurface();
    draw(whole, kUnclipped);
    Surface cut = BackgroundSurface();
    draw(cut, clip);
    for (std::int32_t y = 0; y < whole.Height(); ++y) {
      for (std::int32_t x = 0; x < whole.Width(); ++x) {
        const bool inside = Contains(clip, BlockRect(x, y, 1, 1));
        const Bgra expected = inside ? whole.Row(y)[static_cast<std::size_t>(x)] : kBackground;
        ASSERT_EQ(cut.Row(y)[static_cast<std::size_t>(x)], expected) << name << " at " << x << ',' << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Clips, ClippedDrawing,
                         testing::Values(SurfaceRect{0, 0, 8, 6},      // the surface
                                         SurfaceRect{3, 2, 5, 3},      // inside
                                         SurfaceRect{-4, -4, 2, 9},    // over the left edge
                                         SurfaceRect{6, 4, 20, 20},    // over the bottom right
                                         SurfaceRect{4, 4, 4, 6}));    // empty

TEST(StretchDrawPicture, HugeRectangleIsDrawnWithoutScalingItWhole) {
  const PixelImage picture = PixelImage::Blank(3, 3, Grey(77));
  Surface surface = BackgroundSurface();
  StretchDrawPicture(surface, picture, SurfaceRect{-1000000000, -1000000000, 1000000000, 1000000000},
                     std::nullopt);
  for (const Bgra& pixel : surface.Pixels()) ASSERT_EQ(pixel, Grey(77));
}

TEST(StretchDrawPicture, KeyedStretchNeverBlendsTheKeyIntoNeighbours) {
  const Bgra key_pixel{30, 20, 10, 255};
  const Bgra red{0, 0, 250, 255};
  const Bgra blue{250, 0, 0, 255};
  const PixelImage picture = [&] {
    PixelImage p = PixelImage::Blank(2, 2, key_pixel);
    p.At(1, 0) = red;
    p.At(0, 1) = blue;
    return p;
  }();
  for (const SurfaceRect rect : {SurfaceRect{0, 0, 7, 5}, SurfaceRect{-1, -1, 8, 6}, SurfaceRect{2, 2, 3, 3}}) {
    Surface plain = BackgroundSurface();
    Surface cached = BackgroundSurface();
    ScaledPictureCache cache;
    StretchDrawPicture(plain, picture, rect, ColourValue{0x001E140A});
    StretchDrawPicture(cached, picture, rect, ColourValue{0x001E140A}, cache);
    for (const Surface* surface : {&plain, &cached}) {
      for (const Bgra& pixel : surface->Pixels()) {
        ASSERT_TRUE(pixel == kBackground || pixel == red || pixel == blue)
            << int{pixel.B} << ',' << int{pixel.G} << ',' << int{pixel.R};
      }
    }
  }
}

// Each step stretches a picture to a size; the counter must move only when
// a picture, size and filter comes that no kept result has.
struct CacheStep {
  int Picture;  // 0 or 1
  std::int32_t Width, Height;
  bool Keyed;
  std::uint64_t RescalesAfter;
};

TEST(ScaledPictureCache, RescalesOnlyWhenPictureSizeOrFilterChanges) {
  const PixelImage pictures[2] = {PixelImage::Blank(5, 4, Grey(10)), PixelImage::Blank(5, 4, Grey(20))};
  const CacheStep steps[] = {
      {0, 8, 6, false, 1}, {0, 8, 6, false, 1}, {0, 8, 6, false, 1},  // same every frame
      {0, 9, 6, false, 2}, {0, 9, 7, false, 3}, {0, 9, 7, false, 3},  // size
      {1, 9, 7, false, 4}, {1, 9, 7, false, 4}, {0, 9, 7, false, 4},  // picture; the first one kept
      {0, 9, 7, true, 5},  {0, 9, 7, true, 5},                         // filter
      {0, 8, 6, false, 5}, {0, 9, 7, false, 5},                        // two sizes in turn, as on two monitors
  };
  ScaledPictureCache cache;
  Surface surface = BackgroundSurface();
  for (const CacheStep& step : steps) {
    const SurfaceRect rect{-1, 0, step.Width - 1, step.Height};
    const std::optional<ColourValue> key = step.Keyed ? std::optional<ColourValue>(0x00FFFFFF) : std::nullopt;
    StretchDrawPicture(surface, pictures[step.Picture], rect, key, cache);
    ASSERT_EQ(cache.RescaleCount(), step.RescalesAfter);
    ASSERT_EQ(surface.Row(0)[0], pictures[step.Picture].Pixels[0]);
  }
}

TEST(ScaledPictureCache, KeepsTheMostRecentSizesOnly) {
  const PixelImage picture = PixelImage::Blank(4, 4, Grey(50));
  ScaledPictureCache cache;
  for (std::int32_t width = 1; width <= 9; ++width) cache.Scaled(picture, width, 2, ScaleFilter::Smooth);
  cache.Scaled(picture, 9, 2, ScaleFilter::Smooth);  // kept
  EXPECT_EQ(cache.RescaleCount(), 9u);
  cache.Scaled(picture, 1, 2, ScaleFilter::Smooth);  // the least recent went
  EXPECT_EQ(cache.RescaleCount(), 10u);
}

TEST(ScaledPictureCache, RepeatedHitsReuseOneBufferAndForgetRescales) {
  const PixelImage picture = PixelImage::Blank(16, 9, Grey(50));
  ScaledPictureCache cache;
  const PixelImage& first = cache.Scaled(picture, 32, 18, ScaleFilter::Smooth);
  const Bgra* buffer = first.Pixels.data();
  for (int frame = 0; frame < 5; ++frame) {
    EXPECT_EQ(cache.Scaled(picture, 32, 18, ScaleFilter::Smooth).Pixels.data(), buffer);
  }
  EXPECT_EQ(cache.RescaleCount(), 1u);
  cache.Forget();
  cache.Scaled(picture, 32, 18, ScaleFilter::Smooth);
  EXPECT_EQ(cache.RescaleCount(), 2u);
}

}  // namespace
}  // namespace ris
