// OpenImageIO writes RLA files and is the reading they are checked against
// (ImageMagick 6.9.11 refuses any RLA file of more than one row).
#include <gtest/gtest.h>

#include <string>

#include "pictures/decoders.h"
#include "raster_test_support.h"

namespace ris {
namespace {

using namespace testing_support;

class RlaFiles : public ::testing::TestWithParam<ToolMadeFile> {};

TEST_P(RlaFiles, MatchOpenImageIo) {
  if (!ToolAvailable("convert") || !ToolAvailable("oiiotool")) GTEST_SKIP() << "tools missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "test.png"));
  ASSERT_TRUE(folder.Run("convert test.png -alpha off -colorspace Gray grey.png"));
  ASSERT_TRUE(folder.Run(GetParam().make)) << GetParam().make;
  ASSERT_TRUE(folder.Run(std::string("oiiotool ") + GetParam().file + " -d uint8 -o reference.png"));
  ExpectSameAsImageMagick(*MakeRlaDecoder(), folder, GetParam().file, 0, false, "reference.png");
}

INSTANTIATE_TEST_SUITE_P(Variants, RlaFiles,
                         ::testing::Values(ToolMadeFile{"a.rla", "oiiotool test.png -d uint8 -o a.rla"},
                                           ToolMadeFile{"c.rla", "oiiotool test.png --ch R,G,B -d uint8 -o c.rla"},
                                           ToolMadeFile{"d.rla", "oiiotool test.png -d uint16 -o d.rla"},
                                           ToolMadeFile{"g.rla", "oiiotool grey.png -d uint8 -o g.rla"}));

void PutBig(std::string& s, std::size_t at, std::uint32_t value, int bytes) {
  std::string field;
  AppendBig(field, value, bytes);
  s.replace(at, field.size(), field);
}

TEST(RlaDecoder, RefusesDamagedFiles) {
  if (!ToolAvailable("oiiotool")) GTEST_SKIP() << "OpenImageIO missing";
  TempFolder folder;
  ASSERT_TRUE(folder.Run("oiiotool --pattern checker:width=2:height=2 5x3 3 -d uint8 -o small.rla"));
  const std::string good = folder.Read("small.rla");
  const auto decoder = MakeRlaDecoder();
  ASSERT_TRUE(DecodeToPixels(*decoder, good).ok());
  const auto with = [&](std::size_t at, std::uint32_t value, int bytes) {
    std::string bad = good;
    PutBig(bad, at, value, bytes);
    return bad;
  };
  const auto first_row = (std::size_t{static_cast<std::uint8_t>(good[740])} << 24) |
                         (std::size_t{static_cast<std::uint8_t>(good[741])} << 16) |
                         (std::size_t{static_cast<std::uint8_t>(good[742])} << 8) | static_cast<std::uint8_t>(good[743]);
  ExpectRefused(*decoder,
                {{"float samples", with(18, 4, 2), decode_errors::NotSupported("Samples of this type are", "RLA")},
                 {"row offset past the end", with(740, 0x7FFFFFFF, 4), decode_errors::InvalidFormat("RLA")},
                 {"record longer than the file", with(first_row, 0xFFFF, 2), decode_errors::CompressionError("RLA")},
                 {"too wide for its rows", with(10, 30000, 2), decode_errors::TooLarge("RLA")},
                 {"beyond the size limit", with(8, 0x8000, 2), decode_errors::TooLarge("RLA")},
                 {"windows out of order", with(10, 0xFFFF, 2), decode_errors::InvalidFormat("RLA")}});
  ExpectTruncationsHandled(*decoder, good);
}

}  // namespace
}  // namespace ris
