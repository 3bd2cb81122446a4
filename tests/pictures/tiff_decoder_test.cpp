#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "pictures/decoders.h"
#include "pictures/tiff_decoder.h"
#include "raster_test_support.h"

namespace ris {
namespace {

using namespace testing_support;

// The source pictures every file below is made from: the test picture in
// RGB and grey, a bilevel page as wide as a fax line, and the picture with
// its alpha hole composited on black (the decoder's reading of alpha).
constexpr const char* kSources =
    "convert test.png -alpha off test.ppm && convert test.ppm -compress None rgb.tif && "
    "convert test.ppm -colorspace Gray grey.pgm && "
    "convert test.ppm -resize 1728x40! -colorspace Gray -threshold 50% page.pbm && "
    "convert test.png -channel RGB -fx 'u*u.a' +channel on_black.png";

// Lossless files are compared with their source; the rest with
// ImageMagick's reading of the file itself. JPEG within 2 levels of that
// reading (both go through libjpeg's decompressor, IDCTs may round apart).
const ToolMadeFile kFiles[] = {
    {"none.tif", "tiffcp -c none rgb.tif none.tif", 0, "test.ppm"},
    {"packbits.tif", "tiffcp -c packbits rgb.tif packbits.tif", 0, "test.ppm"},
    {"lzw.tif", "tiffcp -c lzw rgb.tif lzw.tif", 0, "test.ppm"},
    {"lzw_predictor_be.tif", "tiffcp -B -c lzw:2 rgb.tif lzw_predictor_be.tif", 0, "test.ppm"},
    {"zip_predictor.tif", "tiffcp -c zip:2 rgb.tif zip_predictor.tif", 0, "test.ppm"},
    {"deflate_old_tag.tif", "convert test.ppm ppm:- | pnmtotiff -flate > deflate_old_tag.tif", 0, "test.ppm"},
    {"tiles.tif", "tiffcp -t -w 16 -l 16 -c lzw rgb.tif tiles.tif", 0, "test.ppm"},
    {"tiles_none.tif", "tiffcp -t -w 16 -l 16 rgb.tif tiles_none.tif", 0, "test.ppm"},
    {"planar.tif", "tiffcp -p separate -c packbits rgb.tif planar.tif", 0, "test.ppm"},
    {"planar_tiles_be.tif", "tiffcp -B -t -w 32 -l 32 -p separate rgb.tif planar_tiles_be.tif", 0, "test.ppm"},
    {"rgb16_be.tif", "convert test.ppm -depth 16 rgb16.tif && tiffcp -B -c lzw:2 rgb16.tif rgb16_be.tif", 0,
     "test.ppm"},
    {"first_of_two.tif", "convert grey.pgm g.tif && tiffcp -c zip rgb.tif g.tif first_of_two.tif", 0, "test.ppm"},
    {"grey8.tif", "convert grey.pgm -compress lzw grey8.tif", 0, "grey.pgm"},
    {"grey16.tif", "convert grey.pgm -depth 16 grey16.tif", 0, "grey.pgm"},
    {"grey4.tif", "convert grey.pgm -depth 4 grey4.tif"},
    {"grey2.tif", "convert grey.pgm -depth 2 grey2.tif"},
    {"miniswhite.tif", "pnmtotiff -miniswhite -lzw grey.pgm > miniswhite.tif", 0, "grey.pgm"},
    // libtiff cuts the 16-bit palette entries ImageMagick writes to 8 bits, ImageMagick rounds them.
    {"palette8.tif", "convert test.ppm -colors 200 -type Palette palette8.tif", 1},
    {"palette4.tif", "convert test.ppm -colors 12 ppm:- | pnmtotiff -indexbits 4 > palette4.tif"},
    {"cmyk.tif", "convert test.ppm -colorspace CMYK cmyk.tif", 1},
    {"unassociated.tif", "convert test.png unassociated.tif", 1, "on_black.png"},
    {"associated.tif", "convert test.png -define tiff:alpha=associated associated.tif", 1, "on_black.png"},
    {"ycbcr.tif", "convert test.ppm -colorspace YCbCr -compress lzw ycbcr.tif", 2},
    {"jpeg_ycbcr.tif", "tiffcp -r 16 -c jpeg:90 rgb.tif jpeg_ycbcr.tif", 2},
    {"jpeg_rgb_tiles.tif", "tiffcp -t -w 32 -l 32 -c jpeg:r:90 rgb.tif jpeg_rgb_tiles.tif", 2},
    {"jpeg_grey.tif", "convert grey.pgm g8.tif && tiffcp -r 16 -c jpeg g8.tif jpeg_grey.tif", 2},
    {"g3.tif", "pnmtotiff -g3 page.pbm > g3.tif", 0, "page.pbm"},
    {"g3_2d_fill.tif", "convert page.pbm p.tif && tiffcp -c g3:2d:fill p.tif g3_2d_fill.tif", 0, "page.pbm"},
    {"g4.tif", "pnmtotiff -g4 page.pbm > g4.tif", 0, "page.pbm"},
    {"g4_lsb.tif", "convert page.pbm p.tif && tiffcp -f lsb2msb -c g4 p.tif g4_lsb.tif", 0, "page.pbm"},
    {"g4_tiled.tif", "convert page.pbm p.tif && tiffcp -t -c g4 p.tif g4_tiled.tif", 0, "page.pbm"},
};

class TiffFiles : public ::testing::TestWithParam<ToolMadeFile> {};

TEST_P(TiffFiles, MatchAnIndependentReading) {
  if (!ToolAvailable("convert") || !ToolAvailable("tiffcp") || !ToolAvailable("pnmtotiff")) {
    GTEST_SKIP() << "tools missing";
  }
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "test.png"));
  ASSERT_TRUE(folder.Run(kSources));
  ASSERT_TRUE(folder.Run(GetParam().make)) << GetParam().make;
  ExpectSameAsImageMagick(*MakeTiffDecoder(), folder, GetParam().file, GetParam().tolerance, false,
                          GetParam().reference);
}

INSTANTIATE_TEST_SUITE_P(Layouts, TiffFiles, ::testing::ValuesIn(kFiles));

// Raw Group 3 pages, found by the "fax" extension, and the TIFF preview of
// an EPS file; each compared with its source.
TEST(RawFaxAndEps, DecodeLikeTheirSource) {
  if (!ToolAvailable("convert") || !ToolAvailable("pbmtog3") || !ToolAvailable("tiffcp")) {
    GTEST_SKIP() << "tools missing";
  }
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "test.png"));
  ASSERT_TRUE(folder.Run(kSources));
  const auto tiff = MakeTiffDecoder();
  const struct {
    const char* make;
    const char* source;
  } pages[] = {
      {"pbmtog3 page.pbm > page.fax", "page.pbm"},
      {"pbmtog3 -reversebits page.pbm > page.fax", "page.pbm"},
      {"pbmtog3 -align8 page.pbm > page.fax", "page.pbm"},
      {"convert page.pbm fax:page.fax", "page.pbm"},
  };
  for (const auto& page : pages) {
    SCOPED_TRACE(page.make);
    ASSERT_TRUE(folder.Run(page.make));
    const std::string bytes = folder.Read("page.fax");
    EXPECT_FALSE(tiff->Recognises(AsBytes(bytes)));
    const auto decoded = DecodeToPixels(*tiff, bytes);
    ASSERT_TRUE(decoded.ok()) << decoded.error().Message;
    EXPECT_EQ(LargestChannelDifference(*decoded, *ReadWithImageMagick(folder, page.source)), 0);
  }

  // DOS EPS: magic, PostScript at 30, no metafile, the TIFF after the text.
  ASSERT_TRUE(folder.Run("tiffcp -c lzw rgb.tif preview.tif"));
  const std::string postscript = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 67 45\n";
  const std::string preview = folder.Read("preview.tif");
  std::string eps = "\xC5\xD0\xD3\xC6";
  for (const std::uint32_t field : {30u, static_cast<std::uint32_t>(postscript.size()), 0u, 0u,
                                    static_cast<std::uint32_t>(30 + postscript.size()),
                                    static_cast<std::uint32_t>(preview.size())}) {
    for (int i = 0; i < 4; ++i) eps += static_cast<char>(field >> (8 * i));
  }
  eps += std::string("\xFF\xFF", 2) + postscript + preview;
  const auto epsd = MakeEpsDecoder();
  EXPECT_TRUE(epsd->Recognises(AsBytes(eps)));
  const auto decoded = DecodeToPixels(*epsd, eps);
  ASSERT_TRUE(decoded.ok()) << decoded.error().Message;
  EXPECT_EQ(LargestChannelDifference(*decoded, *ReadWithImageMagick(folder, "test.ppm")), 0);

  std::string without_preview = eps;
  std::fill_n(without_preview.begin() + 24, 4, '\0');  // TIFF length 0
  EXPECT_FALSE(epsd->Recognises(AsBytes(without_preview)));
  EXPECT_FALSE(epsd->Recognises(AsBytes(preview)));
  ExpectTruncationsHandled(*epsd, eps, 97);
}

// A little-endian TIFF of a 4 x 2 picture, one strip, 8-bit grey unless
// `changes` say otherwise. Values of one or two SHORTs lie in the entry.
struct Tag {
  std::uint16_t Id;
  std::uint16_t Type;  // 3 SHORT, 4 LONG, 7 UNDEFINED
  std::uint32_t Count;
  std::uint32_t Value;
};

std::string SmallTiff(const std::vector<Tag>& changes, const std::string& strip = std::string(8, '\x80')) {
  std::vector<Tag> tags = {{256, 4, 1, 4}, {257, 4, 1, 2}, {258, 3, 1, 8}, {259, 3, 1, 1}, {262, 3, 1, 1},
                           {273, 4, 1, 0}, {277, 3, 1, 1}, {278, 4, 1, 2}, {279, 4, 1, 8}};
  for (const Tag& change : changes) {
    const auto same = std::find_if(tags.begin(), tags.end(), [&](const Tag& t) { return t.Id == change.Id; });
    if (same != tags.end()) *same = change;
    else tags.push_back(change);
  }
  std::sort(tags.begin(), tags.end(), [](const Tag& a, const Tag& b) { return a.Id < b.Id; });
  const auto pixels_at = static_cast<std::uint32_t>(8 + 2 + tags.size() * 12 + 4);
  std::string out = "II*";
  const auto put = [&](std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
  };
  out += '\0';
  put(8, 4);
  put(static_cast<std::uint32_t>(tags.size()), 2);
  for (const Tag& tag : tags) {
    put(tag.Id, 2);
    put(tag.Type, 2);
    put(tag.Count, 4);
    put(tag.Id == 273 ? pixels_at : tag.Value, 4);
  }
  put(0, 4);
  return out + strip;
}

// Codes packed as the first LZW writers did, low bits first, 9 bits each.
std::string OldStyleLzw(const std::vector<std::uint16_t>& codes) {
  std::string out;
  std::uint32_t bits = 0;
  int count = 0;
  for (const std::uint16_t code : codes) {
    bits |= std::uint32_t{code} << count;
    for (count += 9; count >= 8; count -= 8, bits >>= 8) out += static_cast<char>(bits);
  }
  if (count > 0) out += static_cast<char>(bits);
  return out;
}

// Compressions that no tool in Debian writes any more, made by hand: LZW in
// the old bit order, and modified Huffman (each row a white and a black run
// code, from white, byte aligned).
TEST(TiffDecoder, ReadsOldStyleLzwAndModifiedHuffman) {
  const std::string grey = {10, 20, 30, 40, 50, 60, 70, 80};
  const std::string lzw = OldStyleLzw({256, 10, 20, 30, 40, 50, 60, 70, 80, 257});
  const auto from_lzw = DecodeToPixels(*MakeTiffDecoder(), SmallTiff({{259, 3, 1, 5}, {279, 4, 1, static_cast<std::uint32_t>(lzw.size())}}, lzw));
  ASSERT_TRUE(from_lzw.ok()) << from_lzw.error().Message;
  for (std::size_t i = 0; i < grey.size(); ++i) EXPECT_EQ(from_lzw->Pixels[i].G, grey[i]) << i;

  // Row 1: white 2 (0111), black 2 (11); row 2: white 0 (00110101), black 4 (011).
  const std::string huffman = "\x7C\x35\x60";
  const auto from_huffman = DecodeToPixels(
      *MakeTiffDecoder(), SmallTiff({{258, 3, 1, 1}, {259, 3, 1, 2}, {262, 3, 1, 0}, {279, 4, 1, 3}}, huffman));
  ASSERT_TRUE(from_huffman.ok()) << from_huffman.error().Message;
  const std::uint8_t page[] = {255, 255, 0, 0, 0, 0, 0, 0};
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(from_huffman->Pixels[i].G, page[i]) << i;
}

TEST(TiffDecoder, RefusesWhatTheTagsGetWrongWithTheirOwnWords) {
  const DecodeError unexpected_end{"JPEG decompression error. Unexpected end of input."};
  ExpectRefused(
      *MakeTiffDecoder(),
      {
          {"3 bits", SmallTiff({{258, 3, 1, 3}}), decode_errors::InvalidBitDepth()},
          {"32 bits", SmallTiff({{258, 3, 1, 32}}), decode_errors::InvalidBitDepth()},
          {"RGB of 2 samples", SmallTiff({{262, 3, 1, 2}, {277, 3, 1, 2}}), decode_errors::SampleCountMismatch()},
          {"CMYK of 3 samples", SmallTiff({{262, 3, 1, 5}, {277, 3, 1, 3}}), decode_errors::SampleCountMismatch()},
          {"subsampling 3", SmallTiff({{262, 3, 1, 6}, {277, 3, 1, 3}, {530, 3, 2, 3 | 1u << 16}}),
           decode_errors::InvalidSubsampling()},
          {"subsampling 1 x 2", SmallTiff({{262, 3, 1, 6}, {277, 3, 1, 3}, {530, 3, 2, 1 | 2u << 16}}),
           decode_errors::VerticalSubsamplingTooLarge()},
          {"unknown colour model", SmallTiff({{262, 3, 1, 99}}), decode_errors::InvalidColorFormat("TIFF")},
          {"bogus JPEG tables", SmallTiff({{259, 3, 1, 7}, {347, 7, 4, 0x12345678}}), {"Bogus JPEG tables field."}},
          {"JPEG strip past the end", SmallTiff({{259, 3, 1, 7}, {279, 4, 1, 999}}), unexpected_end},
          {"pixels cut short", SmallTiff({}, std::string(3, '\x80')), decode_errors::ReadError("TIFF")},
          {"side too long", SmallTiff({{256, 4, 1, 40000}}), decode_errors::TooLarge("TIFF")},
          {"more pixels than the data can hold", SmallTiff({{256, 4, 1, 30000}, {257, 4, 1, 30000}}),
           decode_errors::TooLarge("TIFF")},
          {"LZW garbage", SmallTiff({{259, 3, 1, 5}}), decode_errors::CompressionError("TIFF")},
          {"neither TIFF nor fax", "not a picture at all, not even a fax page", decode_errors::InvalidFormat("TIFF")},
      });
}

// JPEG data that disagrees with its directory, found only when libtiff
// decodes it.
TEST(TiffDecoder, GivesTheJpegWordsForJpegDamage) {
  if (!ToolAvailable("convert") || !ToolAvailable("tiffset")) GTEST_SKIP() << "tools missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "test.png"));
  ASSERT_TRUE(folder.Run(kSources));
  const struct {
    const char* make;
    const char* message;
  } files[] = {
      {"convert grey.pgm g.tif && tiffcp -r 16 -c jpeg g.tif x.tif && tiffset -s 256 60 x.tif",
       "Improper JPEG strip/tile size."},
      {"tiffcp -r 16 -c jpeg:r rgb.tif x.tif && tiffset -s 262 1 x.tif && tiffset -s 277 1 x.tif",
       "Improper JPEG component count."},
  };
  for (const auto& file : files) {
    ASSERT_TRUE(folder.Run(file.make)) << file.make;
    const auto decoded = DecodeToPixels(*MakeTiffDecoder(), folder.Read("x.tif"));
    ASSERT_FALSE(decoded.ok()) << file.make;
    EXPECT_EQ(decoded.error().Message, file.message) << file.make;
  }
}

TEST(TiffDecoder, KeepsLibraryDiagnosticsOffStderrAndSurvivesTruncation) {
  const std::string sound = SmallTiff({});
  ASSERT_TRUE(DecodeToPixels(*MakeTiffDecoder(), sound).ok());
  ::testing::internal::CaptureStderr();
  ExpectTruncationsHandled(*MakeTiffDecoder(), sound);
  static_cast<void>(DecodeToPixels(*MakeTiffDecoder(), SmallTiff({{259, 3, 1, 5}, {262, 3, 1, 99}})));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace ris
