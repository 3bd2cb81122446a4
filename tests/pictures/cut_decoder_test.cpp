// No tool in Debian writes Dr. Halo pictures, so the files are made here
// from ImageMagick's test picture and checked against ImageMagick's reader.
#include <gtest/gtest.h>

#include <string>

#include "pictures/decoders.h"
#include "raster_test_support.h"

namespace ris {
namespace {

using namespace testing_support;

// The picture's red levels as palette indices, each row ending in 0.
std::string Cut(const PixelImage& picture) {
  std::string file;
  AppendLittle(file, static_cast<std::uint32_t>(picture.Width), 2);
  AppendLittle(file, static_cast<std::uint32_t>(picture.Height), 2);
  AppendLittle(file, 0, 2);
  for (std::int32_t y = 0; y < picture.Height; ++y) {
    std::string indices;
    for (std::int32_t x = 0; x < picture.Width; ++x) indices += static_cast<char>(picture.Pixels[static_cast<std::size_t>(y * picture.Width + x)].R);
    const std::string code = PackRuns(indices, 127, [](std::size_t n) { return static_cast<char>(0x80 | n); },
                                      [](std::size_t n) { return static_cast<char>(n); }) + '\0';
    AppendLittle(file, static_cast<std::uint32_t>(code.size()), 2);
    file += code;
  }
  return file;
}

TEST(CutDecoder, MatchesImageMagick) {
  if (!ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick missing";
  TempFolder folder;
  // Black to white, so that every index is used and the grey palette is the
  // identity whatever the reader's palette size.
  ASSERT_TRUE(MakeTestPicture(folder, "test.png", "-alpha off -colorspace Gray -auto-level"));
  const auto picture = ReadWithImageMagick(folder, "test.png");
  ASSERT_TRUE(picture.has_value());
  folder.Write("test.cut", Cut(*picture));
  const auto decoded = DecodeToPixels(*MakeCutDecoder(), folder.Read("test.cut"));
  ASSERT_TRUE(decoded.ok()) << decoded.error().Message;
  const auto reference = ReadWithImageMagick(folder, "test.cut");
  ASSERT_TRUE(reference.has_value());
  EXPECT_EQ(LargestChannelDifference(*decoded, *reference), 0);
}

TEST(CutDecoder, ShowsPicturesOfIndicesZeroAndOneInBlackAndWhite) {
  const auto decoded = DecodeToPixels(*MakeCutDecoder(), Cut(PixelImage::Blank(2, 1, Bgra{0, 0, 1, 255})));
  ASSERT_TRUE(decoded.ok()) << decoded.error().Message;
  EXPECT_EQ(decoded->Pixels[0], (Bgra{255, 255, 255, 255}));
}

TEST(CutDecoder, IsFoundByExtensionOnlyAndRefusesDamagedRows) {
  const auto decoder = MakeCutDecoder();
  const std::string good = Cut(PixelImage::Blank(5, 2, Bgra{0, 0, 7, 255}));
  EXPECT_FALSE(decoder->Recognises(AsBytes(good)));
  ASSERT_TRUE(DecodeToPixels(*decoder, good).ok());
  std::string overfull = good;
  overfull[8] = static_cast<char>(0x86);  // a run of six in a row of five
  std::string short_row = good;
  short_row[8] = static_cast<char>(0x84);
  ExpectRefused(*decoder, {{"run past the row", overfull, decode_errors::CompressionError("CUT")},
                           {"row too short", short_row, decode_errors::CompressionError("CUT")},
                           {"rows missing", good.substr(0, 12), decode_errors::ReadError("CUT")}});
  ExpectTruncationsHandled(*decoder, good);
}

}  // namespace
}  // namespace ris
