#include "pictures/png_unfilter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "base/random_source.h"

namespace ris::png {
namespace {

std::vector<std::uint8_t> RandomBytes(RandomSource& random, std::size_t size) {
  std::vector<std::uint8_t> bytes(size + kFilteredPadding);
  for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random.NextInt(256));
  return bytes;
}

std::vector<Bgra> AsBgra(const std::vector<std::uint8_t>& row, int channels, std::size_t width) {
  std::vector<Bgra> pixels;
  for (std::size_t x = 0; x < width; ++x) {
    const std::uint8_t* p = row.data() + x * static_cast<std::size_t>(channels);
    pixels.push_back(Bgra{p[2], p[1], p[0], channels == 4 ? p[3] : std::uint8_t{255}});
  }
  return pixels;
}

// Two rows, the first against zeros and the second against the first,
// through the reference and straight to BGRA, for every filter of either
// pair and widths that leave every tail the four-pixel steps can leave.
TEST(PngUnfilterTest, StraightToBgraMatchesTheReferenceForEveryFilterPixelSizeAndWidth) {
  RandomSource random(7u);
  for (const int channels : {3, 4}) {
    for (const std::size_t width : {1, 2, 3, 4, 5, 7, 8, 9, 13, 31, 64, 67}) {
      for (std::uint8_t first_filter = 0; first_filter <= 4; ++first_filter) {
        for (std::uint8_t second_filter = 0; second_filter <= 4; ++second_filter) {
          const std::size_t size = width * static_cast<std::size_t>(channels);
          const std::vector<std::uint8_t> first = RandomBytes(random, size);
          const std::vector<std::uint8_t> second = RandomBytes(random, size);

          std::vector<std::uint8_t> reference_first = first;
          std::vector<std::uint8_t> reference_second = second;
          const std::vector<std::uint8_t> zero_bytes(size);
          ASSERT_TRUE(UnfilterRow(first_filter, reference_first.data(), zero_bytes.data(), size, channels));
          ASSERT_TRUE(UnfilterRow(second_filter, reference_second.data(), reference_first.data(), size, channels));

          const std::vector<Bgra> zero_pixels(width, Bgra{0, 0, 0, 0});
          std::vector<Bgra> made(2 * width);
          ASSERT_TRUE(UnfilterRowToBgra(first_filter, first.data(), channels, zero_pixels.data(), made.data(), width));
          ASSERT_TRUE(UnfilterRowToBgra(second_filter, second.data(), channels, made.data(), made.data() + width,
                                        width));
          const std::vector<Bgra> first_made(made.begin(), made.begin() + static_cast<std::ptrdiff_t>(width));
          const std::vector<Bgra> second_made(made.begin() + static_cast<std::ptrdiff_t>(width), made.end());
          SCOPED_TRACE(testing::Message() << "channels " << channels << ", width " << width << ", filters "
                                          << int{first_filter} << " then " << int{second_filter});
          EXPECT_EQ(first_made, AsBgra(reference_first, channels, width));
          EXPECT_EQ(second_made, AsBgra(reference_second, channels, width));
        }
      }
    }
  }
  std::vector<std::uint8_t> row(8 + kFilteredPadding);
  std::vector<Bgra> pixels(2);
  EXPECT_FALSE(UnfilterRow(5, row.data(), row.data(), 8, 4));
  EXPECT_FALSE(UnfilterRowToBgra(5, row.data(), 4, pixels.data(), pixels.data(), 2));
}

}  // namespace
}  // namespace ris::png
