#include "surface/blit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace ris {
namespace {

constexpr std::int32_t kSurfaceWidth = 8;
constexpr std::int32_t kSurfaceHeight = 6;
constexpr Bgra kBackground{3, 2, 1, 0};  // 0x00030201 as the surface holds it
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// Every pixel different, so that a shifted or mirrored copy shows.
PixelImage NumberedPicture(std::int32_t width, std::int32_t height) {
  PixelImage picture = PixelImage::Blank(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      picture.At(x, y) = Bgra{static_cast<std::uint8_t>(100 + x), static_cast<std::uint8_t>(200 + y),
                              static_cast<std::uint8_t>(x * 16 + y), 255};
    }
  }
  return picture;
}

Surface BackgroundSurface() {
  Surface surface(kSurfaceWidth, kSurfaceHeight);
  surface.Fill(0x00030201);
  return surface;
}

struct ClipCase {
  const char* Name;
  std::int32_t PictureWidth, PictureHeight, X, Y;
  // The surface pixels expected to be covered: [Left, Right) x [Top, Bottom).
  std::int32_t Left, Top, Right, Bottom;
};

class DrawPictureClipping : public testing::TestWithParam<ClipCase> {};

TEST_P(DrawPictureClipping, CoversExactlyTheVisiblePartWithTheRightPixels) {
  const ClipCase& c = GetParam();
  PixelImage picture = NumberedPicture(c.PictureWidth, c.PictureHeight);
  Surface surface = BackgroundSurface();
  DrawPicture(surface, picture, c.X, c.Y, std::nullopt);
  for (std::int32_t y = 0; y < kSurfaceHeight; ++y) {
    for (std::int32_t x = 0; x < kSurfaceWidth; ++x) {
      const bool covered = x >= c.Left && x < c.Right && y >= c.Top && y < c.Bottom;
      const Bgra expected = covered ? picture.At(x - c.X, y - c.Y) : kBackground;
      ASSERT_EQ(surface.Row(y)[static_cast<std::size_t>(x)], expected) << c.Name << " at " << x << ',' << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    EdgesAndCorners, DrawPictureClipping,
    testing::Values(ClipCase{"inside", 3, 2, 2, 1, 2, 1, 5, 3},
                    ClipCase{"left", 3, 2, -1, 2, 0, 2, 2, 4},
                    ClipCase{"right", 3, 2, 6, 2, 6, 2, 8, 4},
                    ClipCase{"top", 3, 2, 2, -1, 2, 0, 5, 1},
                    ClipCase{"bottom", 3, 2, 2, 5, 2, 5, 5, 6},
                    ClipCase{"top_left", 3, 2, -2, -1, 0, 0, 1, 1},
                    ClipCase{"top_right", 3, 2, 7, -1, 7, 0, 8, 1},
                    ClipCase{"bottom_left", 3, 2, -2, 5, 0, 5, 1, 6},
                    ClipCase{"bottom_right", 3, 2, 7, 5, 7, 5, 8, 6},
                    ClipCase{"larger_than_surface", 11, 9, -2, -1, 0, 0, 8, 6},
                    ClipCase{"flush_bottom_right", 3, 2, 5, 4, 5, 4, 8, 6},
                    ClipCase{"just_off_left", 3, 2, -3, 0, 0, 0, 0, 0},
                    ClipCase{"just_off_top", 3, 2, 0, -2, 0, 0, 0, 0},
                    ClipCase{"at_right_edge", 3, 2, 8, 0, 0, 0, 0, 0},
                    ClipCase{"beyond_right", 3, 2, 100, 0, 0, 0, 0, 0},
                    ClipCase{"at_bottom_edge", 3, 2, 0, 6, 0, 0, 0, 0},
                    ClipCase{"beyond_bottom", 3, 2, 0, 50, 0, 0, 0, 0},
                    ClipCase{"most_negative", 3, 2, kMin, kMin, 0, 0, 0, 0},
                    ClipCase{"most_positive", 3, 2, kMax, kMax, 0, 0, 0, 0}),
    [](const testing::TestParamInfo<ClipCase>& param) { return std::string(param.param.Name); });

TEST(DrawPicture, EmptyPictureDrawsNothing) {
  Surface surface = BackgroundSurface();
  DrawPicture(surface, PixelImage{}, 0, 0, std::nullopt);
  for (const Bgra& pixel : surface.Pixels()) ASSERT_EQ(pixel, kBackground);
}

// Key 0x001E140A is red 10, green 20, blue 30.
constexpr ColourValue kKey = 0x001E140A;

struct KeyCase {
  const char* Name;
  Bgra Pixel;
  bool Skipped;
};

class DrawPictureKeyed : public testing::TestWithParam<KeyCase> {};

TEST_P(DrawPictureKeyed, SkipsOnlyExactColourMatchesWhateverTheAlpha) {
  PixelImage picture = NumberedPicture(4, 3);
  picture.At(1, 1) = GetParam().Pixel;
  Surface surface = BackgroundSurface();
  DrawPicture(surface, picture, 2, 2, kKey);
  for (std::int32_t y = 0; y < 3; ++y) {
    for (std::int32_t x = 0; x < 4; ++x) {
      const bool keyed = x == 1 && y == 1 && GetParam().Skipped;
      ASSERT_EQ(surface.Row(2 + y)[static_cast<std::size_t>(2 + x)], keyed ? kBackground : picture.At(x, y));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pixels, DrawPictureKeyed,
    testing::Values(KeyCase{"exact", {30, 20, 10, 255}, true},
                    KeyCase{"exact_alpha_zero", {30, 20, 10, 0}, true},
                    KeyCase{"exact_alpha_other", {30, 20, 10, 77}, true},
                    KeyCase{"red_off", {30, 20, 11, 255}, false},
                    KeyCase{"green_off", {30, 21, 10, 255}, false},
                    KeyCase{"blue_off", {31, 20, 10, 255}, false},
                    KeyCase{"byte_order_swapped", {10, 20, 30, 255}, false}),
    [](const testing::TestParamInfo<KeyCase>& param) { return std::string(param.param.Name); });

TEST(DrawPicture, KeyedAndClippedTogether) {
  PixelImage picture = PixelImage::Blank(4, 4, Bgra{30, 20, 10, 255});
  picture.At(3, 3) = Bgra{5, 6, 7, 255};
  picture.At(0, 3) = Bgra{8, 9, 9, 255};  // clipped away on the left
  Surface surface = BackgroundSurface();
  DrawPicture(surface, picture, -1, -2, kKey);
  for (std::int32_t y = 0; y < kSurfaceHeight; ++y) {
    for (std::int32_t x = 0; x < kSurfaceWidth; ++x) {
      const Bgra expected = (x == 2 && y == 1) ? Bgra{5, 6, 7, 255} : kBackground;
      ASSERT_EQ(surface.Row(y)[static_cast<std::size_t>(x)], expected) << x << ',' << y;
    }
  }
}

}  // namespace
}  // namespace ris
