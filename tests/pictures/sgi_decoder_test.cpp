#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pictures/decoders.h"
#include "raster_test_support.h"

namespace ris {
namespace {

using testing_support::ToolMadeFile;

using namespace testing_support;

class SgiFiles : public ::testing::TestWithParam<ToolMadeFile> {};

TEST_P(SgiFiles, MatchImageMagick) {
  if (!ToolAvailable("convert") || !ToolAvailable("pnmtosgi")) GTEST_SKIP() << "tools missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "test.png"));
  ASSERT_TRUE(folder.Run("convert test.png -alpha off test.ppm"));
  ASSERT_TRUE(folder.Run(GetParam().make)) << GetParam().make;
  ExpectSameAsImageMagick(*MakeSgiDecoder(), folder, GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, SgiFiles,
    ::testing::Values(ToolMadeFile{"a.sgi", "convert test.png -compress None sgi:a.sgi"},
                      ToolMadeFile{"r.sgi", "convert test.png -compress RLE sgi:r.sgi"},
                      ToolMadeFile{"c.sgi", "convert test.ppm -compress RLE sgi:c.sgi"},
                      ToolMadeFile{"g.sgi", "convert test.ppm -type Grayscale -compress None sgi:g.sgi"},
                      ToolMadeFile{"ga.sgi", "convert test.png -type GrayscaleAlpha -compress RLE sgi:ga.sgi"},
                      ToolMadeFile{"d.sgi", "convert test.png -depth 16 -compress None sgi:d.sgi"},
                      ToolMadeFile{"dr.sgi", "convert test.png -depth 16 -compress RLE sgi:dr.sgi"},
                      ToolMadeFile{"nr.sgi", "pnmtosgi -rle test.ppm > nr.sgi"},
                      ToolMadeFile{"nv.sgi", "pnmtosgi -verbatim test.ppm > nv.sgi"},
                      ToolMadeFile{"ng.sgi", "convert test.ppm -colorspace Gray pgm:- | pnmtosgi -rle > ng.sgi"}));

void PutBig(std::string& s, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    s[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * (bytes - 1 - i)));
  }
}

// A header for an RLE grey picture w x 1 with one row at `offset`, `length`.
std::string RleGrey(std::uint16_t w, std::uint32_t offset, std::uint32_t length, const std::string& row) {
  std::string s(512 + 8, '\0');
  PutBig(s, 0, 474, 2);
  s[2] = 1;
  s[3] = 1;
  PutBig(s, 4, 2, 2);
  PutBig(s, 6, w, 2);
  PutBig(s, 8, 1, 2);
  PutBig(s, 10, 1, 2);
  PutBig(s, 512, offset, 4);
  PutBig(s, 516, length, 4);
  return s + row;
}

TEST(SgiDecoder, UnpacksRunsAndCopies) {
  const std::string row = "\x02\x10\x82\x20\x30";  // 0x10 twice, then 0x20, 0x30
  const auto decoded = DecodeToPixels(*MakeSgiDecoder(), RleGrey(4, 520, 5, row + '\0'));
  ASSERT_TRUE(decoded.ok()) << decoded.error().Message;
  const std::uint8_t expected[] = {0x10, 0x10, 0x20, 0x30};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(decoded->Pixels[i], (Bgra{expected[i], expected[i], expected[i], 255}));
}

TEST(SgiDecoder, RefusesHostileTablesAndRuns) {
  const std::string row = std::string("\x02\x10\x82\x20\x30", 5) + '\0';
  const struct {
    std::string file;
    std::string message_part;
  } cases[] = {
      {RleGrey(4, 9999, 5, row), "Invalid or unexpected"},        // offset beyond the file
      {RleGrey(4, 520, 500, row), "Invalid or unexpected"},       // length beyond the file
      {RleGrey(4, 0xFFFFFFF0u, 0x20, row), "Invalid or unexpected"},
      {RleGrey(4, 100, 5, row), "Invalid or unexpected"},         // inside the header
      {RleGrey(3, 520, 6, row), "Compression error"},             // runs overfill the row
      {RleGrey(5, 520, 6, row), "Compression error"},             // row ends early
      {RleGrey(4, 520, 4, row), "Compression error"},             // copy cut short
      {RleGrey(30000, 520, 6, row), "size"},                      // too short for the width
      {RleGrey(40000, 520, 6, row), "size"},
      {RleGrey(4, 520, 6, row).substr(0, 515), "read error"},     // tables missing
  };
  for (const auto& c : cases) {
    const auto decoded = DecodeToPixels(*MakeSgiDecoder(), c.file);
    ASSERT_FALSE(decoded.ok()) << c.message_part;
    EXPECT_NE(decoded.error().Message.find(c.message_part), std::string::npos) << decoded.error().Message;
  }
}

TEST(SgiDecoder, RecognisesOnlyPlausibleHeaders) {
  const auto decoder = MakeSgiDecoder();
  const std::string good = RleGrey(4, 520, 6, "");
  EXPECT_TRUE(decoder->Recognises(AsBytes(good)));
  const struct {
    std::size_t offset;
    char value;
  } spoilers[] = {{0, 0}, {1, '\xDB'}, {2, 2}, {3, 0}, {3, 3}, {5, 0}, {5, 4}};
  for (const auto& spoil : spoilers) {
    std::string bad = good;
    bad[spoil.offset] = spoil.value;
    EXPECT_FALSE(decoder->Recognises(AsBytes(bad))) << spoil.offset;
  }
}

TEST(SgiDecoder, TruncationsAreHandled) {
  if (!ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "t.sgi", "-compress RLE", 13, 9));
  const std::string bytes = folder.Read("t.sgi");
  ExpectTruncationsHandled(*MakeSgiDecoder(), bytes);
}

}  // namespace
}  // namespace ris
