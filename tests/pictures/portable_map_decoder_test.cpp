#include <gtest/gtest.h>

#include <string>

#include "pictures/decoders.h"
#include "raster_test_support.h"

namespace ris {
namespace {

using testing_support::ToolMadeFile;

using namespace testing_support;

class PortableMapFiles : public ::testing::TestWithParam<ToolMadeFile> {};

TEST_P(PortableMapFiles, MatchImageMagick) {
  if (!ToolAvailable("convert") || !ToolAvailable("pnmtoplainpnm")) GTEST_SKIP() << "tools missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "test.ppm"));
  ASSERT_TRUE(folder.Run(GetParam().make)) << GetParam().make;
  ExpectSameAsImageMagick(*MakePortableMapDecoder(), folder, GetParam().file, GetParam().tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, PortableMapFiles,
    ::testing::Values(ToolMadeFile{"test.ppm", "true"},
                      ToolMadeFile{"g.pgm", "convert test.ppm -colorspace Gray g.pgm"},
                      ToolMadeFile{"b.pbm", "convert test.ppm -monochrome b.pbm"},
                      ToolMadeFile{"p3.ppm", "pnmtoplainpnm test.ppm > p3.ppm"},
                      ToolMadeFile{"p2.pgm", "convert test.ppm -colorspace Gray g.pgm && pnmtoplainpnm g.pgm > p2.pgm"},
                      ToolMadeFile{"p1.pbm", "convert test.ppm -monochrome b.pbm && pnmtoplainpnm b.pbm > p1.pbm"},
                      ToolMadeFile{"d16.ppm", "convert test.ppm -depth 16 d16.ppm"},
                      ToolMadeFile{"g16.pgm", "convert test.ppm -colorspace Gray -depth 16 g16.pgm", 1},
                      ToolMadeFile{"m100.ppm", "pnmdepth 100 test.ppm > m100.ppm", 1},
                      ToolMadeFile{"m1000.pgm", "convert test.ppm -colorspace Gray pgm:- | pnmdepth 1000 > m1000.pgm", 1}));

TEST(PortableMapDecoder, ReadsCommentsAnywhereInTheHeaderAndScalesOddMaxima) {
  const auto decoder = MakePortableMapDecoder();
  // maxval 7: 7 -> 255, 3 -> (3*255+3)/7 = 109, 0 -> 0.
  const std::string file = "P3 # first\n2#x\n 1\n#c\n7\n7 3 0  0 0 7\n";
  const auto decoded = DecodeToPixels(*decoder, file);
  ASSERT_TRUE(decoded.ok()) << decoded.error().Message;
  ASSERT_EQ(decoded->Width, 2);
  EXPECT_EQ(decoded->Pixels[0], (Bgra{0, 109, 255, 255}));
  EXPECT_EQ(decoded->Pixels[1], (Bgra{255, 0, 0, 255}));
}

TEST(PortableMapDecoder, RecognisesOnlyItsSixKinds) {
  const auto decoder = MakePortableMapDecoder();
  for (const std::string head : {"P1\n", "P2 ", "P3\t", "P4\r", "P5\n", "P6 "}) {
    EXPECT_TRUE(decoder->Recognises(AsBytes(head))) << head;
  }
  for (const std::string head : {"P7\n", "P0\n", "P6x", "P6", "p6\n", "\x89PNG", "GIF89a", "BM"}) {
    EXPECT_FALSE(decoder->Recognises(AsBytes(head))) << head;
  }
}

TEST(PortableMapDecoder, RefusesBadHeaders) {
  const auto decoder = MakePortableMapDecoder();
  const struct {
    std::string file;
    std::string message_part;
  } cases[] = {
      {"P6 40000 2 255\n", "size"},
      {"P6 30000 30000 255\n", "size"},
      {"P6 99999999999 1 255\n", "size"},
      {"P6 0 5 255\n", "size"},
      {"P5 2 2 0\nabcd", "color format"},
      {"P5 2 2 65536\nabcdabcd", "color format"},
      {"P5 2 2 x\nabcd", "Invalid or unexpected"},
      {"P5 2 2 255xabcd", "Invalid or unexpected"},
      {"P5 2 2 255\nabc", "read error"},
      {"P6 2 2", "read error"},
      {"P2 2 1 255\n1 ", "read error"},
      {"P2 2 1 255\n1 x", "Invalid or unexpected"},
      {"P1 3 1\n01", "read error"},
  };
  for (const auto& c : cases) {
    const auto decoded = DecodeToPixels(*decoder, c.file);
    ASSERT_FALSE(decoded.ok()) << c.file;
    EXPECT_NE(decoded.error().Message.find(c.message_part), std::string::npos)
        << c.file << " -> " << decoded.error().Message;
    EXPECT_NE(decoded.error().Message.find("PPM"), std::string::npos);
  }
}

TEST(PortableMapDecoder, EveryTruncationFails) {
  if (!ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "t.ppm", "-depth 16", 9, 7));
  const std::string bytes = folder.Read("t.ppm");
  const auto decoder = MakePortableMapDecoder();
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    EXPECT_FALSE(decoder->Decode(AsBytes(bytes.substr(0, size))).ok()) << size;
  }
}

}  // namespace
}  // namespace ris
