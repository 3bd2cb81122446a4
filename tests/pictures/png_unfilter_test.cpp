#include "pictures/png_unfilter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "base/random_source.h"

namespace ris::png {
namespace {

// Three rows, through the reference a row at a time and straight to BGRA,
// for every sequence of filters (rows go two at a time where both need the
// pixel just made) and widths that leave every tail the four-pixel steps
// can leave.
TEST(PngUnfilterTest, StraightToBgraMatchesTheReferenceForEveryFilterPixelSizeAndWidth) {
  constexpr std::size_t kRows = 3;
  RandomSource random(7u);
  for (const int channels : {3, 4}) {
    for (const std::size_t width : {1, 2, 3, 4, 5, 7, 8, 9, 13, 31, 67}) {
      const std::size_t size = width * static_cast<std::size_t>(channels);
      for (int filters = 0; filters < 125; ++filters) {
        std::vector<std::uint8_t> filtered((size + 1) * kRows + kFilteredPadding);
        for (std::uint8_t& byte : filtered) byte = static_cast<std::uint8_t>(random.NextInt(256));
        const int of_row[kRows] = {filters % 5, filters / 5 % 5, filters / 25};
        for (std::size_t y = 0; y < kRows; ++y) filtered[y * (size + 1)] = static_cast<std::uint8_t>(of_row[y]);

        std::vector<Bgra> expected;
        std::vector<std::uint8_t> reference = filtered;
        const std::vector<std::uint8_t> zero_bytes(size);
        const std::uint8_t* prior = zero_bytes.data();
        for (std::size_t y = 0; y < kRows; ++y) {
          std::uint8_t* row = reference.data() + y * (size + 1);
          ASSERT_TRUE(UnfilterRow(row[0], row + 1, prior, size, static_cast<std::size_t>(channels)));
          for (std::size_t x = 0; x < width; ++x) {
            const std::uint8_t* p = row + 1 + x * static_cast<std::size_t>(channels);
            expected.push_back(Bgra{p[2], p[1], p[0], channels == 4 ? p[3] : std::uint8_t{255}});
          }
          prior = row + 1;
        }

        const std::vector<Bgra> zero_pixels(width, Bgra{0, 0, 0, 0});
        std::vector<Bgra> made(kRows * width);
        ASSERT_TRUE(UnfilterRowsToBgra(filtered.data(), channels, width, kRows, zero_pixels.data(), made.data()));
        EXPECT_EQ(made, expected) << "channels " << channels << ", width " << width << ", filters " << of_row[0]
                                  << of_row[1] << of_row[2];
      }
    }
  }
  std::vector<std::uint8_t> filtered(2 * 9 + kFilteredPadding, 3);
  filtered[9] = 5;
  std::vector<Bgra> pixels(6);
  EXPECT_FALSE(UnfilterRow(5, filtered.data() + 1, filtered.data() + 1, 8, 4));
  EXPECT_FALSE(UnfilterRowsToBgra(filtered.data(), 4, 2, 2, pixels.data(), pixels.data() + 2));
}

}  // namespace
}  // namespace ris::png
