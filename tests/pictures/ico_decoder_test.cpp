// Icons made by ImageMagick, or put together here from its bitmaps and read
// back by it, decode to exactly its pixels for the image the decoder
// chooses; the choice and falsified directories are checked by hand.
#include "pictures/ico_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pictures/raster_test_support.h"
#include "pictures/reference_pictures.h"

namespace ris {
namespace {

using testing_support::LargestChannelDifference;
using testing_support::MakeTestPicture;
using testing_support::ReadWithImageMagick;
using testing_support::TempFolder;

std::string Le(std::uint64_t value, int width) {
  std::string bytes;
  for (int i = 0; i < width; ++i) bytes += static_cast<char>(i < 8 ? value >> (8 * i) : 0);
  return bytes;
}

std::uint32_t GetLe(const std::string& bytes, std::size_t at, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}

Result<TPicture, DecodeError> DecodeIco(const std::string& bytes) { return MakeIconDecoder()->Decode(AsBytes(bytes)); }

struct Entry {
  int Width;   // as the directory gives it: 0 means 256
  int Height;
  int Bits;
  std::string Image;
};

std::string Icon(const std::vector<Entry>& entries) {
  std::string directory = Le(0, 2) + Le(1, 2) + Le(entries.size(), 2);
  std::string images;
  std::size_t offset = 6 + 16 * entries.size();
  for (const Entry& e : entries) {
    directory += Le(static_cast<std::uint64_t>(e.Width), 1) + Le(static_cast<std::uint64_t>(e.Height), 1) +
                 Le(0, 2) + Le(1, 2) + Le(static_cast<std::uint64_t>(e.Bits), 2) + Le(e.Image.size(), 4) +
                 Le(offset, 4);
    offset += e.Image.size();
    images += e.Image;
  }
  return directory + images;
}

// An icon image from a bitmap file: its DIB with the height doubled and an
// AND mask that makes every pixel with (x + 2y) % 5 == 0 transparent.
std::string IconImageFrom(const std::string& bitmap) {
  std::string dib = bitmap.substr(14);
  const std::uint32_t width = GetLe(dib, 4, 4);
  const std::uint32_t height = GetLe(dib, 8, 4);
  dib.replace(8, 4, Le(height * 2, 4));
  const std::size_t stride = (width + 31) / 32 * 4;
  std::string mask(stride * height, '\0');
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      if ((x + 2 * (height - 1 - y)) % 5 == 0) mask[y * stride + x / 8] |= static_cast<char>(0x80 >> (x % 8));
    }
  }
  return dib + mask;
}

PixelImage Pixels(const std::string& bytes) {
  const auto picture = DecodeIco(bytes);
  EXPECT_TRUE(picture) << (picture ? "" : picture.error().Message);
  if (!picture) return {};
  EXPECT_TRUE(picture->FromBitmapFormat());
  const auto pixels = picture->Pixels();
  return pixels ? **pixels : PixelImage{};
}

TEST(IcoDecoderTest, DecodesTheLargestImageAsImageMagickDoes) {
  const struct {
    const char* Label;
    const char* Sizes;
    const char* Frame;  // ImageMagick's number of the largest image
    int Side;
  } cases[] = {
      {"PNG 256 among bitmaps", "16,32,256", "2", 256},
      {"32-bit bitmap with alpha", "16,48", "1", 48},
      {"largest listed first", "64,16", "0", 64},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    ASSERT_TRUE(MakeTestPicture(folder, "x.ico", std::string("-define icon:auto-resize=") + c.Sizes));
    ASSERT_TRUE(folder.Run(std::string("convert 'x.ico[") + c.Frame + "]' frame.png"));
    const auto reference = ReadWithImageMagick(folder, "frame.png");
    ASSERT_TRUE(reference);
    ASSERT_EQ(reference->Width, c.Side);
    const PixelImage decoded = Pixels(folder.Read("x.ico"));
    EXPECT_EQ(LargestChannelDifference(decoded, *reference), 0);
    EXPECT_TRUE(decoded.HasAlpha);
  }
}

TEST(IcoDecoderTest, BitmapImagesTakeTransparencyFromTheirMask) {
  const struct {
    const char* Label;
    const char* Options;
    int Bits;
  } cases[] = {
      {"1 bit", "-monochrome -compress None BMP3:", 1},
      {"4 bits", "-type Palette -colors 16 -compress None BMP3:", 4},
      {"8 bits", "-type Palette -compress None BMP3:", 8},
      {"24 bits", "-type TrueColor BMP3:", 24},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    const std::string options = c.Options;
    const std::size_t prefix = options.rfind(' ') + 1;
    ASSERT_TRUE(MakeTestPicture(folder, options.substr(prefix) + "x.bmp", options.substr(0, prefix), 40, 30));
    const std::string icon = Icon({{40, 30, c.Bits, IconImageFrom(folder.Read("x.bmp"))}});
    folder.Write("x.ico", icon);
    const auto reference = ReadWithImageMagick(folder, "x.ico");
    ASSERT_TRUE(reference);
    const PixelImage decoded = Pixels(icon);
    EXPECT_EQ(LargestChannelDifference(decoded, *reference), 0);
    ASSERT_EQ(decoded.Pixels.size(), 40U * 30U);
    EXPECT_EQ(decoded.Pixels[0].A, 0);  // (0, 0) is masked
    EXPECT_EQ(decoded.Pixels[1].A, 255);
  }
}

// A 32-bit image whose alpha is zero everywhere carries none: its mask rules.
TEST(IcoDecoderTest, ThirtyTwoBitsWithoutAlphaUseTheMask) {
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "x.bmp", "", 8, 4));  // bit fields with an alpha mask
  std::string bitmap = folder.Read("x.bmp");
  ASSERT_EQ(GetLe(bitmap, 28, 2), 32U);
  const std::size_t bits_at = GetLe(bitmap, 10, 4);
  for (std::size_t at = bits_at + 3; at < bitmap.size(); at += 4) bitmap[at] = '\0';
  const std::string image = IconImageFrom(bitmap);
  const PixelImage decoded = Pixels(Icon({{8, 4, 32, image}}));
  ASSERT_EQ(decoded.Pixels.size(), 32U);
  for (std::size_t i = 0; i < decoded.Pixels.size(); ++i) {
    const std::size_t x = i % 8;
    const std::size_t y = i / 8;
    EXPECT_EQ(decoded.Pixels[i].A, (x + 2 * y) % 5 == 0 ? 0 : 255) << i;
  }
}

// A solid 1 x 1 DIB of one colour index: which image was chosen shows.
std::string Solid(int bits, std::uint8_t grey) {
  std::string dib = Le(40, 4) + Le(1, 4) + Le(2, 4) + Le(1, 2) + Le(static_cast<std::uint64_t>(bits), 2) +
                    Le(0, 24);
  if (bits <= 8) {
    dib += std::string(3, static_cast<char>(grey)) + '\0';
    dib += std::string(((1U << bits) - 1) * 4, '\0');
    dib += std::string(4, '\0');  // index 0
  } else {
    dib += std::string(static_cast<std::size_t>(bits / 8), static_cast<char>(grey)) +
           std::string(static_cast<std::size_t>(4 - bits / 8 % 4) % 4, '\0');
  }
  return dib + std::string(4, '\0');  // the mask
}

TEST(IcoDecoderTest, ChoosesMostPixelsThenMostBits) {
  const struct {
    const char* Label;
    std::vector<Entry> Entries;
    std::uint8_t Chosen;
  } cases[] = {
      {"most pixels", {{16, 16, 8, Solid(8, 1)}, {32, 32, 4, Solid(4, 2)}, {24, 24, 24, Solid(24, 3)}}, 2},
      {"more bits at the same size", {{32, 32, 8, Solid(8, 1)}, {32, 32, 24, Solid(24, 2)}, {32, 32, 4, Solid(4, 3)}}, 2},
      {"first of equals", {{32, 32, 8, Solid(8, 1)}, {32, 32, 8, Solid(8, 2)}}, 1},
      {"0 means 256", {{255, 255, 8, Solid(8, 1)}, {0, 0, 8, Solid(8, 2)}}, 2},
      {"bits from the image when the entry has none", {{32, 32, 0, Solid(24, 1)}, {32, 32, 8, Solid(8, 2)}}, 1},
      {"entry outside the file skipped", {{16, 16, 8, Solid(8, 1)}, {64, 64, 8, ""}}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    std::string icon = Icon(c.Entries);
    if (c.Entries.back().Image.empty()) icon.replace(6 + 16 * (c.Entries.size() - 1) + 8, 4, Le(1000, 4));  // size
    const PixelImage decoded = Pixels(icon);
    ASSERT_EQ(decoded.Pixels.size(), 1U);
    EXPECT_EQ(decoded.Pixels[0].R, c.Chosen);
  }
}

TEST(IcoDecoderTest, FalsifiedDirectoriesFail) {
  const std::string image = Solid(8, 1);
  const std::string good = Icon({{1, 1, 8, image}});
  ASSERT_TRUE(DecodeIco(good));
  const auto with = [&](std::size_t at, std::uint64_t value, int width) {
    std::string bytes = good;
    bytes.replace(at, static_cast<std::size_t>(width), Le(value, width));
    return bytes;
  };
  std::string huge = good;
  huge.replace(22 + 4, 4, Le(40000, 4));  // the DIB's width
  testing_support::ExpectRefused(*MakeIconDecoder(), {
      {"reserved word set", with(0, 1, 2), decode_errors::InvalidFormat("ICO")},
      {"unknown type", with(2, 3, 2), decode_errors::InvalidFormat("ICO")},
      {"no entries", with(4, 0, 2), decode_errors::InvalidFormat("ICO")},
      {"more entries than the file holds", with(4, 200, 2), decode_errors::ReadError("ICO")},
      {"only entry outside the file", with(18, 0xFFFFFFF0, 4), decode_errors::ReadError("ICO")},
      {"image bigger than the file", with(14, 5000, 4), decode_errors::ReadError("ICO")},
      {"huge bitmap", huge, decode_errors::TooLarge("ICO")},
      {"empty", "", decode_errors::ReadError("ICO")},
  });
}

TEST(IcoDecoderTest, TruncationSweep) {
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "x.ico", "-define icon:auto-resize=16,32", 32, 32));
  const std::string file = folder.Read("x.ico");
  for (std::size_t size = 0; size < file.size(); ++size) {
    const auto decoded = DecodeIco(file.substr(0, size));
    if (decoded) {  // a smaller image that lies wholly inside the prefix
      EXPECT_EQ(decoded->Width(), 16) << size;
    }
  }
}

}  // namespace
}  // namespace ris
