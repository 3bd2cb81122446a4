#include "surface/surface.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace ris {
namespace {

struct FillCase {
  ColourValue Colour;
  Bgra Expected;  // alpha is the unused byte, zero
};

class SurfaceFill : public testing::TestWithParam<FillCase> {};

TEST_P(SurfaceFill, ColourValueLandsAsBlueGreenRedBytes) {
  Surface surface(5, 3);
  surface.Fill(GetParam().Colour);
  for (const Bgra& pixel : surface.Pixels()) {
    EXPECT_EQ(pixel.B, GetParam().Expected.B);
    EXPECT_EQ(pixel.G, GetParam().Expected.G);
    EXPECT_EQ(pixel.R, GetParam().Expected.R);
  }
}

INSTANTIATE_TEST_SUITE_P(Colours, SurfaceFill,
                         testing::Values(FillCase{0x000000FF, {0, 0, 255, 0}},      // red
                                         FillCase{0x0000FF00, {0, 255, 0, 0}},      // green
                                         FillCase{0x00FF0000, {255, 0, 0, 0}},      // blue
                                         FillCase{0x00123456, {0x12, 0x34, 0x56, 0}},
                                         FillCase{0xFF000000, {0, 0, 0, 0}}));  // top byte ignored

TEST(Surface, ResizeSetsSizeAndCountsNegativeSidesAsZero) {
  Surface surface;
  surface.Resize(7, 4);
  EXPECT_EQ(surface.Width(), 7);
  EXPECT_EQ(surface.Height(), 4);
  EXPECT_EQ(surface.Pixels().size(), 28u);
  surface.Resize(-3, 4);
  EXPECT_EQ(surface.Width(), 0);
  EXPECT_TRUE(surface.Pixels().empty());
}

TEST(Surface, ResizeBackWithinCapacityKeepsTheBuffer) {
  Surface surface(64, 48);
  const Bgra* buffer = surface.Pixels().data();
  surface.Resize(10, 10);
  surface.Resize(48, 64);
  EXPECT_EQ(surface.Pixels().data(), buffer);
}

TEST(Surface, RowsAreConsecutiveWithoutPadding) {
  Surface surface(3, 4);
  surface.Fill(0);
  surface.Row(2)[1] = Bgra{9, 9, 9, 0};
  EXPECT_EQ(surface.Row(2).size(), 3u);
  EXPECT_EQ(surface.Pixels()[2 * 3 + 1], (Bgra{9, 9, 9, 0}));
}

}  // namespace
}  // namespace ris
