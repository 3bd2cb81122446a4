// Pictures decoded to the size they are shown at must be the pictures the
// display drew before, when it scaled the whole picture itself.
#include "pictures/shown_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "pictures/file_format_list.h"
#include "pictures/row_decoder.h"
#include "surface/scaler.h"

namespace ris {
namespace {

PixelImage Noise(PixelSize size) {
  PixelImage image = PixelImage::Blank(size.Width, size.Height);
  std::uint32_t state = 12345;
  for (Bgra& pixel : image.Pixels) {
    state = state * 1664525u + 1013904223u;
    pixel = Bgra{static_cast<std::uint8_t>(state >> 24), static_cast<std::uint8_t>(state >> 16),
                 static_cast<std::uint8_t>(state >> 8), static_cast<std::uint8_t>(state >> 4)};
  }
  return image;
}

TEST(ShownRows, EqualsTheWholePictureScaled) {
  struct Case {
    PixelSize Own, Cover;
    ShownRows::Order Order;
    std::int32_t RowsGiven;  // the rest are the fill
  };
  using enum ShownRows::Order;
  const Case cases[] = {
      {{7, 5}, {3, 2}, TopDown, 5},     {{7, 5}, {3, 2}, BottomUp, 5},   {{100, 37}, {33, 80}, TopDown, 37},
      {{37, 100}, {37, 9}, BottomUp, 100}, {{64, 64}, {1, 1}, TopDown, 64}, {{9, 9}, {4, 4}, TopDown, 3},
      {{9, 9}, {4, 4}, BottomUp, 3},    {{6, 4}, {}, BottomUp, 4},        {{6, 4}, {6, 4}, TopDown, 2},
  };
  const Bgra fill{1, 2, 3, 4};
  for (const Case& c : cases) {
    const PixelSize shown = ShownSize(c.Own, c.Cover);
    PixelImage whole = Noise(c.Own);
    ShownRows rows(c.Own, shown, c.Order, fill);
    for (std::int32_t i = 0; i < c.Own.Height; ++i) {
      const std::int32_t y = c.Order == TopDown ? i : c.Own.Height - 1 - i;
      if (i >= c.RowsGiven) {
        std::ranges::fill(whole.Row(y), fill);
        continue;
      }
      const std::span<Bgra> row = rows.Next();
      ASSERT_TRUE(std::ranges::all_of(row, [&](Bgra pixel) { return pixel == fill; }));
      std::ranges::copy(whole.Row(y), row.begin());
      rows.Commit();
    }
    const PixelImage reduced = std::move(rows).Finish();
    const PixelImage expected = ScalePicture(whole, shown.Width, shown.Height);
    EXPECT_EQ(reduced.Width, expected.Width);
    EXPECT_EQ(reduced.Height, expected.Height);
    EXPECT_TRUE(reduced.Pixels == expected.Pixels) << c.Own.Width << "x" << c.Own.Height;
  }
}

bool WithinAStep(const PixelImage& a, const PixelImage& b);

// Rows given in parts over the passes of Adam7, each part's pixels a step
// apart: within a step of the whole picture scaled.
TEST(ShownPasses, EqualsTheWholePictureScaledWithinAStep) {
  struct Pass {
    std::int32_t X0, Y0, DX, DY;
  };
  constexpr Pass kAdam7[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                             {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  const std::pair<PixelSize, PixelSize> sizes[] = {{{37, 23}, {10, 7}}, {{64, 64}, {64, 5}}, {{9, 40}, {3, 40}}};
  for (const auto& [own, shown] : sizes) {
    const PixelImage whole = Noise(own);
    ShownPasses sums(own, shown);
    for (const Pass& pass : kAdam7) {
      for (std::int32_t y = pass.Y0; y < own.Height; y += pass.DY) {
        std::vector<Bgra> part;
        for (std::int32_t x = pass.X0; x < own.Width; x += pass.DX) part.push_back(whole.Pixels[static_cast<std::size_t>(y * own.Width + x)]);
        sums.AddRow(y, pass.X0, pass.DX, part);
      }
    }
    EXPECT_TRUE(WithinAStep(std::move(sums).Finish(), ScalePicture(whole, shown.Width, shown.Height)))
        << own.Width << "x" << own.Height;
  }
}

bool WithinAStep(const PixelImage& a, const PixelImage& b) {
  const auto close = [](std::uint8_t x, std::uint8_t y) { return std::abs(int{x} - int{y}) <= 1; };
  return a.Width == b.Width && a.Height == b.Height &&
         std::ranges::equal(a.Pixels, b.Pixels, [&](Bgra p, Bgra q) {
           return close(p.B, q.B) && close(p.G, q.G) && close(p.R, q.R) && close(p.A, q.A);
         });
}

// Every kept fuzz input that a row decoder decodes: shown at a third of its
// width and twice its height, its pixels are the whole picture scaled.
TEST(ShownRows, KeptCorporaDecodeAsTheWholePictureScaled) {
  int compared = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator("fuzz/pictures/corpus")) {
    if (!entry.is_regular_file()) continue;
    std::ifstream file(entry.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    const auto* decoder = dynamic_cast<const RowDecoder*>(StandardFormatList().ChooseDecoder(AsBytes(bytes), ""));
    if (decoder == nullptr) continue;
    const auto whole = decoder->Decode(AsBytes(bytes));
    if (!whole || whole->Width() < 3) continue;
    const auto whole_pixels = whole->Pixels();
    const PixelSize cover{whole->Width() / 3, whole->Height() * 2};
    const auto kept = decoder->DecodeArriving(ArrivingBytes::Complete(bytes));
    ASSERT_TRUE(kept) << entry.path();
    const auto shown = kept->SharedPixels(cover);
    ASSERT_TRUE(shown) << entry.path();
    const PixelImage expected = ScalePicture(**whole_pixels, cover.Width, whole->Height());
    EXPECT_TRUE(WithinAStep(**shown, expected)) << entry.path();
    ++compared;
  }
  EXPECT_GT(compared, 50);
}

}  // namespace
}  // namespace ris
