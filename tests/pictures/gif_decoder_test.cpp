#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "pictures/decoders.h"
#include "raster_test_support.h"

namespace ris {
namespace {

using testing_support::ToolMadeFile;

using namespace testing_support;

class GifFiles : public ::testing::TestWithParam<ToolMadeFile> {};

TEST_P(GifFiles, MatchImageMagick) {
  if (!ToolAvailable("convert") || !ToolAvailable("ppmtogif")) GTEST_SKIP() << "tools missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "test.png"));
  ASSERT_TRUE(folder.Run(GetParam().make)) << GetParam().make;
  ExpectSameAsImageMagick(*MakeGifDecoder(), folder, GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, GifFiles,
    ::testing::Values(ToolMadeFile{"a.gif", "convert test.png a.gif"},
                      ToolMadeFile{"i.gif", "convert test.png -interlace GIF i.gif"},
                      ToolMadeFile{"o.gif", "convert test.png -alpha off o.gif"},
                      ToolMadeFile{"m.gif", "convert test.png -monochrome m.gif"},
                      ToolMadeFile{"g.gif", "convert test.png -alpha off -colors 4 g.gif"},
                      ToolMadeFile{"n.gif", "convert test.png -alpha off ppm:- | pnmquant 256 | ppmtogif > n.gif"},
                      ToolMadeFile{"ni.gif", "convert test.png -alpha off ppm:- | pnmquant 256 | ppmtogif -interlace > ni.gif"},
                      ToolMadeFile{"big.gif", "convert -size 300x200 plasma:fractal -seed 3 big.gif"}));

// Writes LZW codes the way a decoder reads them: lowest bit first, the width
// growing as the decoder's table grows.
struct CodeWriter {
  unsigned min_size;
  std::vector<std::uint8_t> bytes;
  std::uint32_t bits = 0;
  unsigned count = 0;
  unsigned width;
  unsigned next;
  bool first = true;

  explicit CodeWriter(unsigned min) : min_size(min), width(min + 1), next((1u << min) + 2) {}

  void Put(unsigned code) {
    bits |= code << count;
    count += width;
    while (count >= 8) {
      bytes.push_back(static_cast<std::uint8_t>(bits));
      bits >>= 8;
      count -= 8;
    }
    if (code == (1u << min_size)) {
      width = min_size + 1;
      next = (1u << min_size) + 2;
      first = true;
      return;
    }
    if (!first && next < 4096) {
      ++next;
      if (next == (1u << width) && width < 12) ++width;
    }
    first = false;
  }
  std::string SubBlocks() {
    if (count > 0) bytes.push_back(static_cast<std::uint8_t>(bits));
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 255) {
      const std::size_t n = std::min<std::size_t>(255, bytes.size() - i);
      out += static_cast<char>(n);
      out.append(reinterpret_cast<const char*>(&bytes[i]), n);
    }
    return out + '\0';
  }
};

std::string U16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

// Four colours: 0 red, 1 green, 2 blue, 3 white.
const std::string kPalette = std::string("\xFF\0\0\0\xFF\0\0\0\xFF\xFF\xFF\xFF", 12);

std::string Gif(unsigned screen_w, unsigned screen_h, unsigned left, unsigned top, unsigned w, unsigned h,
                const std::string& codes, bool global, std::optional<int> transparent = {},
                unsigned min_size = 2) {
  std::string s = "GIF89a" + U16(screen_w) + U16(screen_h) + static_cast<char>(global ? 0x81 : 0) + '\0' + '\0';
  if (global) s += kPalette;
  if (transparent) s += std::string("\x21\xF9\x04\x01\0\0", 6) + static_cast<char>(*transparent) + '\0';
  s += ',' + U16(left) + U16(top) + U16(w) + U16(h) + static_cast<char>(global ? 0 : 0x81);
  if (!global) s += kPalette;
  return s + static_cast<char>(min_size) + codes + ';';
}

std::string Literals(const std::vector<unsigned>& indexes, unsigned min_size = 2) {
  CodeWriter writer(min_size);
  writer.Put(1u << min_size);
  for (const unsigned index : indexes) writer.Put(index);
  writer.Put((1u << min_size) + 1);
  return writer.SubBlocks();
}

TEST(GifDecoder, PlacesTheFrameOnATransparentScreenWithLocalPalette) {
  const auto decoded = DecodeToPixels(*MakeGifDecoder(), Gif(4, 3, 1, 1, 2, 1, Literals({2, 3}), false, 3));
  ASSERT_TRUE(decoded.ok()) << decoded.error().Message;
  ASSERT_EQ(decoded->Width, 4);
  ASSERT_EQ(decoded->Height, 3);
  EXPECT_TRUE(decoded->HasAlpha);
  for (int i = 0; i < 12; ++i) {
    const Bgra expected = i == 5 ? Bgra{255, 0, 0, 255} : Bgra{0, 0, 0, 0};  // blue, then transparent white
    EXPECT_EQ(decoded->Pixels[static_cast<std::size_t>(i)], expected) << i;
  }
}

TEST(GifDecoder, AHugeScreenAroundATinyImageGivesWayToTheImage) {
  const auto decoded = DecodeToPixels(*MakeGifDecoder(), Gif(30000, 2000, 7, 9, 2, 1, Literals({2, 3}), true));
  ASSERT_TRUE(decoded.ok()) << decoded.error().Message;
  EXPECT_EQ(decoded->Width, 2);
  EXPECT_EQ(decoded->Height, 1);
  EXPECT_EQ(decoded->Pixels[0], (Bgra{255, 0, 0, 255}));
}

TEST(GifDecoder, KeepsDecodingWhenTheTableIsFullWithoutClear) {
  // 6000 literals after one clear: the table fills at 4096 and stays full.
  std::vector<unsigned> indexes;
  for (unsigned i = 0; i < 6000; ++i) indexes.push_back((i * 7 + i / 5) % 4);
  const auto decoded = DecodeToPixels(*MakeGifDecoder(), Gif(100, 60, 0, 0, 100, 60, Literals(indexes), true));
  ASSERT_TRUE(decoded.ok()) << decoded.error().Message;
  const Bgra colours[] = {{0, 0, 255, 255}, {0, 255, 0, 255}, {255, 0, 0, 255}, {255, 255, 255, 255}};
  for (std::size_t i = 0; i < indexes.size(); ++i) ASSERT_EQ(decoded->Pixels[i], colours[indexes[i]]) << i;
}

TEST(GifDecoder, RefusesHostileStreams) {
  CodeWriter beyond(2);
  beyond.Put(4);
  beyond.Put(1);
  beyond.Put(7);  // the table's next free code is 6
  CodeWriter first_unknown(2);
  first_unknown.Put(4);
  first_unknown.Put(6);  // no previous string to extend
  const struct {
    std::string file;
    std::string message_part;
  } cases[] = {
      {Gif(2, 1, 0, 0, 2, 1, beyond.SubBlocks(), true), "Compression error"},
      {Gif(2, 1, 0, 0, 2, 1, first_unknown.SubBlocks(), true), "Compression error"},
      {Gif(2, 1, 0, 0, 2, 1, Literals({1, 1}), true, {}, 0), "Compression error"},
      {Gif(2, 1, 0, 0, 2, 1, Literals({1, 1}), true, {}, 12), "Compression error"},
      {Gif(2, 1, 0, 0, 0, 1, Literals({1, 1}), true), "Invalid or unexpected"},
      {Gif(40000, 1, 0, 0, 2, 1, Literals({1, 1}), true), "size"},
      {Gif(2, 1, 65535, 0, 2, 1, Literals({1, 1}), true), "size"},
      {Gif(30000, 30000, 0, 0, 30000, 30000, Literals({1, 1}), true), "size"},
      {Gif(20, 1, 0, 0, 20, 1, "\x05\x04\x01", true).substr(0, 39), "read error"},
      {std::string("GIF89a\2\0\1\0\0\0\0;", 14), "Invalid or unexpected"},
      {std::string("GIF87a\2\0\1\0\0\0\0!\xF9\x04", 16), "read error"},
  };
  for (const auto& c : cases) {
    const auto decoded = DecodeToPixels(*MakeGifDecoder(), c.file);
    ASSERT_FALSE(decoded.ok()) << c.message_part;
    EXPECT_NE(decoded.error().Message.find(c.message_part), std::string::npos) << decoded.error().Message;
  }
}

TEST(GifDecoder, IndexesBeyondThePaletteAreBlack) {
  const auto decoded = DecodeToPixels(*MakeGifDecoder(), Gif(2, 1, 0, 0, 2, 1, Literals({9, 0}, 4), true, {}, 4));
  ASSERT_TRUE(decoded.ok()) << decoded.error().Message;
  EXPECT_EQ(decoded->Pixels[0], (Bgra{0, 0, 0, 255}));
  EXPECT_EQ(decoded->Pixels[1], (Bgra{0, 0, 255, 255}));
}

TEST(GifDecoder, RecognisesBothSignaturesOnly) {
  const auto decoder = MakeGifDecoder();
  EXPECT_TRUE(decoder->Recognises(AsBytes("GIF87a")));
  EXPECT_TRUE(decoder->Recognises(AsBytes("GIF89a....")));
  for (const std::string head : {"GIF88a", "GIF8", "gif89a", "P6\n", ""}) {
    EXPECT_FALSE(decoder->Recognises(AsBytes(head))) << head;
  }
}

TEST(GifDecoder, TruncationsAreHandled) {
  if (!ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "t.gif", "-interlace GIF", 23, 17));
  const std::string bytes = folder.Read("t.gif");
  ExpectTruncationsHandled(*MakeGifDecoder(), bytes);
  // Cut inside the image data: the file ends before the closing sub-block.
  EXPECT_FALSE(MakeGifDecoder()->Decode(AsBytes(bytes.substr(0, bytes.size() - 6))).ok());
}

}  // namespace
}  // namespace ris
