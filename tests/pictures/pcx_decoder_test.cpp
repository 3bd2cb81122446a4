#include <gtest/gtest.h>

#include <string>

#include "pictures/decoders.h"
#include "raster_test_support.h"

namespace ris {
namespace {

using testing_support::ToolMadeFile;

using namespace testing_support;

class PcxFiles : public ::testing::TestWithParam<ToolMadeFile> {};

TEST_P(PcxFiles, MatchImageMagick) {
  if (!ToolAvailable("convert") || !ToolAvailable("ppmtopcx")) GTEST_SKIP() << "tools missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "test.png"));
  ASSERT_TRUE(folder.Run("convert test.png -alpha off test.ppm"));
  ASSERT_TRUE(folder.Run(GetParam().make)) << GetParam().make;
  ExpectSameAsImageMagick(*MakePcxDecoder(), folder, GetParam().file, 0, false, GetParam().reference);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, PcxFiles,
    ::testing::Values(ToolMadeFile{"a.pcx", "convert test.ppm a.pcx"},
                      ToolMadeFile{"p.pcx", "convert test.ppm -type Palette p.pcx"},
                      ToolMadeFile{"m.pcx", "convert test.ppm -monochrome m.pcx"},
                      ToolMadeFile{"n24.pcx", "ppmtopcx -24bit test.ppm > n24.pcx"},
                      ToolMadeFile{"n8.pcx", "pnmquant 256 test.ppm | ppmtopcx -8bit > n8.pcx"},
                      ToolMadeFile{"n4.pcx", "pnmquant 16 test.ppm | ppmtopcx -planes 4 > n4.pcx"},
                      ToolMadeFile{"n1.pcx", "pnmquant 16 test.ppm | ppmtopcx -packed > n1.pcx"},
                      ToolMadeFile{"nm.pcx", "convert test.ppm -monochrome pbm:- | ppmtopcx > nm.pcx && pcxtoppm nm.pcx > nm.ppm", 0, "nm.ppm"}));

// A header for `bits` x `planes` of w x h, RLE, then `body`.
std::string Pcx(std::uint8_t bits, std::uint8_t planes, std::uint16_t w, std::uint16_t h,
                std::uint16_t line_bytes, const std::string& body, std::uint8_t encoding = 1) {
  std::string s(128, '\0');
  s[0] = 0x0A;
  s[1] = 5;
  s[2] = static_cast<char>(encoding);
  s[3] = static_cast<char>(bits);
  s[8] = static_cast<char>((w - 1) & 0xFF);
  s[9] = static_cast<char>((w - 1) >> 8);
  s[10] = static_cast<char>((h - 1) & 0xFF);
  s[11] = static_cast<char>((h - 1) >> 8);
  for (int i = 0; i < 48; ++i) s[16 + static_cast<std::size_t>(i)] = static_cast<char>(i * 5);
  s[65] = static_cast<char>(planes);
  s[66] = static_cast<char>(line_bytes & 0xFF);
  s[67] = static_cast<char>(line_bytes >> 8);
  return s + body;
}

TEST(PcxDecoder, RunsCrossPlanesAndOverlongRunsAreCut) {
  // 24-bit 2x1, two bytes per plane line: one run of six 0x40, then a run of
  // 63 that goes beyond the picture.
  const auto decoded = DecodeToPixels(*MakePcxDecoder(), Pcx(8, 3, 2, 1, 2, "\xC6\x40\xFF\x01"));
  ASSERT_TRUE(decoded.ok()) << decoded.error().Message;
  EXPECT_EQ(decoded->Pixels[0], (Bgra{0x40, 0x40, 0x40, 255}));
  EXPECT_EQ(decoded->Pixels[1], (Bgra{0x40, 0x40, 0x40, 255}));
}

TEST(PcxDecoder, FourPlanesOfOneBitIndexTheHeaderPalette) {
  // Pixel 0 has bits 1,0,1,1 in planes 0..3 = index 13; pixel 1 index 0.
  const auto decoded = DecodeToPixels(*MakePcxDecoder(), Pcx(1, 4, 2, 1, 1, std::string("\x80\x00\x80\x80", 4), 0));
  ASSERT_TRUE(decoded.ok()) << decoded.error().Message;
  EXPECT_EQ(decoded->Pixels[0], (Bgra{205, 200, 195, 255}));
  EXPECT_EQ(decoded->Pixels[1], (Bgra{10, 5, 0, 255}));
}

TEST(PcxDecoder, RefusesHostileHeadersAndData) {
  const struct {
    std::string file;
    std::string message_part;
  } cases[] = {
      {Pcx(8, 3, 40000, 1, 40000, ""), "size"},
      {Pcx(8, 3, 30000, 30000, 30000, std::string(100, '\xFF')), "size"},
      {Pcx(8, 1, 3000, 3000, 3000, std::string(100, '\xFF')), "size"},  // more than its runs can fill
      {Pcx(8, 1, 100, 1, 10, std::string(100, 1)), "Invalid or unexpected"},  // lines too short
      {Pcx(8, 2, 2, 1, 2, "abcd"), "not supported"},
      {Pcx(8, 3, 1, 1, 1, "\xC3"), "read error"},
      {Pcx(8, 3, 4, 4, 4, "abc", 0), "read error"},
  };
  for (const auto& c : cases) {
    const auto decoded = DecodeToPixels(*MakePcxDecoder(), c.file);
    ASSERT_FALSE(decoded.ok()) << c.message_part;
    EXPECT_NE(decoded.error().Message.find(c.message_part), std::string::npos) << decoded.error().Message;
  }
}

TEST(PcxDecoder, RecognisesOnlyPlausibleHeaders) {
  const auto decoder = MakePcxDecoder();
  const std::string good = Pcx(8, 3, 4, 4, 4, "");
  EXPECT_TRUE(decoder->Recognises(AsBytes(good)));
  const struct {
    std::size_t offset;
    char value;
  } spoilers[] = {{0, 0x0B}, {1, 1}, {1, 6}, {2, 2}, {3, 3}, {3, 16}, {5, 0x7F}, {7, 0x7F}, {65, 0}, {65, 5}, {66, 0}};
  for (const auto& spoil : spoilers) {
    std::string bad = good;
    bad[spoil.offset] = spoil.value;
    EXPECT_FALSE(decoder->Recognises(AsBytes(bad))) << spoil.offset;
  }
  EXPECT_FALSE(decoder->Recognises(AsBytes(good.substr(0, 100))));
}

TEST(PcxDecoder, TruncationsAreHandled) {
  if (!ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "t.pcx", "-alpha off -type Palette", 13, 9));
  ExpectTruncationsHandled(*MakePcxDecoder(), folder.Read("t.pcx"));
}

}  // namespace
}  // namespace ris
