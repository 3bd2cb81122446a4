#include <gtest/gtest.h>

#include <string>

#include "pictures/decoders.h"
#include "raster_test_support.h"

namespace ris {
namespace {

using testing_support::ToolMadeFile;

using namespace testing_support;

class TargaFiles : public ::testing::TestWithParam<ToolMadeFile> {};

TEST_P(TargaFiles, MatchImageMagick) {
  if (!ToolAvailable("convert") || !ToolAvailable("ppmtotga")) GTEST_SKIP() << "tools missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "test.png"));
  ASSERT_TRUE(folder.Run(GetParam().make)) << GetParam().make;
  ExpectSameAsImageMagick(*MakeTargaDecoder(), folder, GetParam().file, 0, true);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, TargaFiles,
    ::testing::Values(
        ToolMadeFile{"a.tga", "convert test.png -compress None a.tga"},
        ToolMadeFile{"r.tga", "convert test.png -compress RLE r.tga"},
        ToolMadeFile{"c.tga", "convert test.png -alpha off -compress None c.tga"},
        ToolMadeFile{"cr.tga", "convert test.png -alpha off -compress RLE cr.tga"},
        ToolMadeFile{"p.tga", "convert test.png -alpha off -type Palette -compress None p.tga"},
        ToolMadeFile{"pr.tga", "convert test.png -alpha off -type Palette -compress RLE pr.tga"},
        ToolMadeFile{"g.tga", "convert test.png -alpha off -type Grayscale -compress None g.tga"},
        ToolMadeFile{"gr.tga", "convert test.png -alpha off -type Grayscale -compress RLE gr.tga"},
        ToolMadeFile{"n.tga", "convert test.png -alpha off ppm:- | ppmtotga -norle > n.tga"},
        ToolMadeFile{"nr.tga", "convert test.png -alpha off ppm:- | ppmtotga -rgb > nr.tga"},
        ToolMadeFile{"nm.tga", "convert test.png -alpha off -colors 200 ppm:- | ppmtotga -cmap > nm.tga"},
        ToolMadeFile{"ng.tga", "convert test.png -alpha off -colorspace Gray pgm:- | ppmtotga -mono > ng.tga"}));

// A header with `type` and `bits`, the given descriptor, followed by `body`.
std::string Tga(std::uint8_t type, std::uint8_t bits, std::uint8_t descriptor, std::uint16_t w,
                std::uint16_t h, const std::string& body, const std::string& map = "",
                std::uint8_t map_bits = 0, std::uint16_t map_first = 0) {
  const auto entries = static_cast<std::uint16_t>(map_bits ? map.size() / ((map_bits + 7) / 8) : 0);
  std::string s = {0, static_cast<char>(map.empty() ? 0 : 1), static_cast<char>(type),
                   static_cast<char>(map_first & 0xFF), static_cast<char>(map_first >> 8),
                   static_cast<char>(entries & 0xFF), static_cast<char>(entries >> 8),
                   static_cast<char>(map_bits), 0, 0, 0, 0,
                   static_cast<char>(w & 0xFF), static_cast<char>(w >> 8),
                   static_cast<char>(h & 0xFF), static_cast<char>(h >> 8),
                   static_cast<char>(bits), static_cast<char>(descriptor)};
  return s + map + body;
}

TEST(TargaDecoder, FollowsOriginBitsAndSixteenBitAttribute) {
  const auto decoder = MakeTargaDecoder();
  // 2x2 grey: stored rows A B / C D.
  const std::string grey = {10, 20, 30, 40};
  const struct {
    std::uint8_t descriptor;
    std::uint8_t first_four[4];
  } orders[] = {{0x00, {30, 40, 10, 20}}, {0x20, {10, 20, 30, 40}},
                {0x10, {40, 30, 20, 10}}, {0x30, {20, 10, 40, 30}}};
  for (const auto& order : orders) {
    const auto decoded = DecodeToPixels(*decoder, Tga(3, 8, order.descriptor, 2, 2, grey));
    ASSERT_TRUE(decoded.ok()) << decoded.error().Message;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(decoded->Pixels[i].R, order.first_four[i]) << int{order.descriptor};
  }
  // 16-bit: attribute bit set = opaque, clear = transparent, when one alpha bit.
  const std::string pixels = {'\x1F', '\x00', '\xE0', '\x83'};  // blue clear bit, green-ish set bit
  const auto with_alpha = DecodeToPixels(*decoder, Tga(2, 16, 0x21, 2, 1, pixels));
  ASSERT_TRUE(with_alpha.ok());
  EXPECT_TRUE(with_alpha->HasAlpha);
  EXPECT_EQ(with_alpha->Pixels[0], (Bgra{255, 0, 0, 0}));
  EXPECT_EQ(with_alpha->Pixels[1], (Bgra{0, 255, 0, 255}));
  const auto without = DecodeToPixels(*decoder, Tga(2, 16, 0x20, 2, 1, pixels));
  ASSERT_TRUE(without.ok());
  EXPECT_EQ(without->Pixels[0].A, 255);
}

TEST(TargaDecoder, HonoursTheMapFirstIndexAndRefusesIndexesOutsideTheMap) {
  const auto decoder = MakeTargaDecoder();
  const std::string map = {1, 2, 3, 4, 5, 6};  // entries 10 and 11, 24-bit
  const auto good = DecodeToPixels(*decoder, Tga(1, 8, 0x20, 2, 1, {11, 10}, map, 24, 10));
  ASSERT_TRUE(good.ok()) << good.error().Message;
  EXPECT_EQ(good->Pixels[0], (Bgra{4, 5, 6, 255}));
  EXPECT_EQ(good->Pixels[1], (Bgra{1, 2, 3, 255}));
  for (const int index : {9, 12, 0, 255}) {
    const auto bad = DecodeToPixels(*decoder, Tga(1, 8, 0x20, 2, 1, {10, static_cast<char>(index)}, map, 24, 10));
    ASSERT_FALSE(bad.ok()) << index;
    EXPECT_NE(bad.error().Message.find("Palette"), std::string::npos);
  }
}

TEST(TargaDecoder, RefusesHostileRunsAndSizes) {
  const auto decoder = MakeTargaDecoder();
  const struct {
    std::string file;
    std::string message_part;
  } cases[] = {
      {Tga(11, 8, 0, 2, 2, {'\x84', 7}), "Compression error"},          // run of 5 into 4 pixels
      {Tga(11, 8, 0, 2, 2, {3, 1, 2, 3}), "read error"},                // literal cut short
      {Tga(11, 8, 0, 2, 2, {'\x81', 7}), "read error"},                 // packets stop early
      {Tga(3, 8, 0, 30000, 1, std::string(100, 0)), "read error"},      // raw bytes missing
      {Tga(11, 8, 0, 60000, 60000, std::string(100, 0)), "size"},       // beyond the limits
      {Tga(11, 8, 0, 4000, 4000, std::string(100, '\x80')), "size"},        // too few packets to allocate
  };
  for (const auto& c : cases) {
    const auto decoded = DecodeToPixels(*decoder, c.file);
    ASSERT_FALSE(decoded.ok()) << c.message_part;
    EXPECT_NE(decoded.error().Message.find(c.message_part), std::string::npos) << decoded.error().Message;
  }
}

TEST(TargaDecoder, RefusesOtherFormatsWhoseHeadsComeFirst) {
  if (!ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "test.png"));
  const auto decoder = MakeTargaDecoder();
  for (const std::string file : {"test.png", "a.jpg", "a.gif", "a.bmp", "a.pcx", "a.sgi", "a.psd", "a.ppm",
                                 "a.pgm", "a.pbm", "a.tif", "a.ico", "a8.pcx"}) {
    if (file != "test.png") {
      ASSERT_TRUE(folder.Run("convert test.png " + std::string(file == "a8.pcx" ? "-type Palette " : "") +
                             file));
    }
    EXPECT_FALSE(decoder->Recognises(AsBytes(folder.Read(file)))) << file;
  }
  ASSERT_TRUE(folder.Run("convert test.png a.tga"));
  EXPECT_TRUE(decoder->Recognises(AsBytes(folder.Read("a.tga"))));
}

TEST(TargaDecoder, TruncationsNeverSucceedWithMissingPixels) {
  if (!ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "t.tga", "-compress RLE", 13, 9));
  const std::string bytes = folder.Read("t.tga");
  ExpectTruncationsHandled(*MakeTargaDecoder(), bytes);
}

}  // namespace
}  // namespace ris
