#include <gtest/gtest.h>

#include <string>

#include "pictures/decoders.h"
#include "raster_test_support.h"

namespace ris {
namespace {

using testing_support::ToolMadeFile;

using namespace testing_support;

class PsdFiles : public ::testing::TestWithParam<ToolMadeFile> {};

TEST_P(PsdFiles, MatchImageMagick) {
  if (!ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "test.png"));
  ASSERT_TRUE(folder.Run(GetParam().make)) << GetParam().make;
  ExpectSameAsImageMagick(*MakePhotoshopDecoder(), folder, GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, PsdFiles,
    ::testing::Values(ToolMadeFile{"a.psd", "convert test.png -alpha off -compress None a.psd"},
                      ToolMadeFile{"r.psd", "convert test.png -alpha off -compress RLE r.psd"},
                      ToolMadeFile{"t.psd", "convert test.png -compress RLE t.psd"},
                      ToolMadeFile{"g.psd", "convert test.png -alpha off -type Grayscale -compress RLE g.psd"},
                      ToolMadeFile{"d.psd", "convert test.png -alpha off -depth 16 -compress RLE d.psd"},
                      ToolMadeFile{"c.psd", "convert test.png -alpha off -colorspace CMYK -compress RLE c.psd"},
                      ToolMadeFile{"n.psd", "convert test.png -alpha off -define psd:additional-info=all -compress None n.psd"}));

void PutBig(std::string& s, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    s[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * (bytes - 1 - i)));
  }
}

// A grey 8-bit PSD, w x h, with empty sections, then `compression` and `body`.
std::string Psd(std::uint32_t w, std::uint32_t h, std::uint16_t compression, const std::string& body,
                std::uint16_t mode = 1, std::uint16_t depth = 8, std::uint16_t channels = 1,
                const std::string& mode_data = "") {
  std::string s(26 + 12 + 2 + mode_data.size(), '\0');
  s.replace(0, 4, "8BPS");
  PutBig(s, 4, 1, 2);
  PutBig(s, 12, channels, 2);
  PutBig(s, 14, h, 4);
  PutBig(s, 18, w, 4);
  PutBig(s, 22, depth, 2);
  PutBig(s, 24, mode, 2);
  PutBig(s, 26, static_cast<std::uint32_t>(mode_data.size()), 4);
  s.replace(30, mode_data.size(), mode_data);
  PutBig(s, 38 + mode_data.size(), compression, 2);
  return s + body;
}

TEST(PsdDecoder, UnpacksPackBitsRows) {
  // Row counts 5 and 3; row 0: copy 2 (1, 2) then repeat 3 twice; row 1:
  // no-op, repeat 9 four times.
  const std::string body = std::string("\0\x05\0\x03", 4) + "\x01\x01\x02\xFF\x03" + "\x80\xFD\x09";
  const auto decoded = DecodeToPixels(*MakePhotoshopDecoder(), Psd(4, 2, 1, body));
  ASSERT_TRUE(decoded.ok()) << decoded.error().Message;
  const std::uint8_t expected[] = {1, 2, 3, 3, 9, 9, 9, 9};
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(decoded->Pixels[i].R, expected[i]) << i;
}

// ImageMagick cannot read its own indexed PSD files and drops the merged
// alpha of grey ones, so these two layouts are checked by hand.
TEST(PsdDecoder, ReadsIndexedAndGreyWithAlpha) {
  std::string palette(768, '\0');
  palette[2] = 10;          // red of entry 2
  palette[256 + 2] = 20;    // green
  palette[512 + 2] = 30;    // blue
  palette[255] = '\xFF';    // entry 255 pure red
  const auto indexed = DecodeToPixels(*MakePhotoshopDecoder(), Psd(2, 1, 0, "\x02\xFF", 2, 8, 1, palette));
  ASSERT_TRUE(indexed.ok()) << indexed.error().Message;
  EXPECT_EQ(indexed->Pixels[0], (Bgra{30, 20, 10, 255}));
  EXPECT_EQ(indexed->Pixels[1], (Bgra{0, 0, 255, 255}));
  EXPECT_FALSE(indexed->HasAlpha);

  // 16-bit grey and alpha planes: the high bytes count.
  const auto grey = DecodeToPixels(*MakePhotoshopDecoder(),
                                   Psd(2, 1, 0, std::string("\x12\x34\xAB\xCD\xFF\xFF\x00\x01", 8), 1, 16, 2));
  ASSERT_TRUE(grey.ok()) << grey.error().Message;
  EXPECT_TRUE(grey->HasAlpha);
  EXPECT_EQ(grey->Pixels[0], (Bgra{0x12, 0x12, 0x12, 0xFF}));
  EXPECT_EQ(grey->Pixels[1], (Bgra{0xAB, 0xAB, 0xAB, 0x00}));
}

TEST(PsdDecoder, RefusesHostileHeadersAndRows) {
  const struct {
    std::string file;
    std::string message_part;
  } cases[] = {
      {Psd(4, 1, 1, std::string("\0\x05", 2) + "\x01\x01\x02\xFE\x03"), "Compression error"},  // overlong run
      {Psd(4, 1, 1, std::string("\0\x03", 2) + "\x05\x01\x02"), "Compression error"},          // copy past the row data
      {Psd(4, 1, 1, std::string("\0\x09", 2) + "\x01\x01\x02"), "read error"},                 // count beyond the file
      {Psd(4000, 4000, 1, std::string(8000, '\0')), "size"},                                   // rows too short to fill
      {Psd(4, 4, 0, "abc"), "read error"},
      {Psd(40000, 1, 0, ""), "size"},
      {Psd(30000, 30000, 0, ""), "size"},
      {Psd(4, 1, 2, "abcd"), "not supported"},
      {Psd(4, 1, 0, "abcd", 7), "not supported"},
      {Psd(4, 1, 0, "abcd", 3), "Invalid color format"},       // RGB with one channel
      {Psd(4, 1, 0, "abcd", 2), "Palette"},                    // indexed without palette
      {Psd(4, 1, 0, "abcd", 1, 32), "Color depth"},
      {Psd(4, 1, 0, "abcd").substr(0, 30), "read error"},
  };
  for (const auto& c : cases) {
    const auto decoded = DecodeToPixels(*MakePhotoshopDecoder(), c.file);
    ASSERT_FALSE(decoded.ok()) << c.message_part;
    EXPECT_NE(decoded.error().Message.find(c.message_part), std::string::npos) << decoded.error().Message;
  }
}

TEST(PsdDecoder, RecognisesVersionOneOnly) {
  const auto decoder = MakePhotoshopDecoder();
  EXPECT_TRUE(decoder->Recognises(AsBytes(Psd(1, 1, 0, "x"))));
  for (const std::string& head : {std::string("8BPS\0\2", 6), std::string("8BPB\0\1", 6), std::string("8BPS\0", 5)}) {
    EXPECT_FALSE(decoder->Recognises(AsBytes(head)));
  }
}

TEST(PsdDecoder, TruncationsAreHandled) {
  if (!ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "t.psd", "-compress RLE", 13, 9));
  ExpectTruncationsHandled(*MakePhotoshopDecoder(), folder.Read("t.psd"));
}

}  // namespace
}  // namespace ris
