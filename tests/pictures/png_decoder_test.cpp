#include "pictures/png_decoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <ostream>
#include <string>
#include <vector>

#include "pictures/decoders.h"
#include "pictures/image_decoder.h"
#include "pictures/reference_pictures.h"

namespace ris {
namespace {

using testing_support::LargestChannelDifference;
using testing_support::MakeTestPicture;
using testing_support::ReadWithImageMagick;
using testing_support::TempFolder;
using testing_support::ToolAvailable;

std::string Big32(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

// --- Hand-made files for what no tool will write.

std::string Chunk(std::string_view type, std::string_view body) {
  std::string typed = std::string(type) + std::string(body);
  const auto crc = crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()));
  return Big32(static_cast<std::uint32_t>(body.size())) + typed + Big32(static_cast<std::uint32_t>(crc));
}

std::string Header(std::uint32_t width, std::uint32_t height, int depth, int colour, int interlace = 0) {
  std::string body = Big32(width) + Big32(height);
  body += {static_cast<char>(depth), static_cast<char>(colour), 0, 0, static_cast<char>(interlace)};
  return Chunk("IHDR", body);
}

std::string Compressed(const std::string& filtered) {
  uLongf size = compressBound(static_cast<uLong>(filtered.size()));
  std::string out(size, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(filtered.data()),
           static_cast<uLong>(filtered.size()));
  out.resize(size);
  return out;
}

const std::string kSignature = "\x89PNG\r\n\x1a\n";

std::string Png(const std::string& header, const std::string& middle, const std::string& filtered) {
  return kSignature + header + middle + Chunk("IDAT", Compressed(filtered)) + Chunk("IEND", "");
}

// Two grey pixels in one row, no filter.
std::string TinyGrey() { return Png(Header(2, 1, 8, 0), "", std::string("\0\x10\x20", 3)); }

std::string MessageOf(const std::string& file) {
  const auto decoded = DecodePngImage(AsBytes(file));
  return decoded ? "" : decoded.error().Message;
}

// --- Files written by independent encoders, compared with ImageMagick's reading.

struct Variant {
  const char* Name;
  const char* Command;  // makes picture.png in the folder; empty: MakeTestPicture
  const char* Options;
  int Width = 67;
  int Height = 45;
};

void PrintTo(const Variant& value, std::ostream* out) { *out << value.Name; }

const Variant kVariants[] = {
    {"rgba8", "", "-define png:color-type=6"},
    {"rgba16", "", "-define png:color-type=6 -define png:bit-depth=16"},
    {"rgb8", "", "-alpha off -define png:color-type=2"},
    {"rgb16", "", "-alpha off -define png:color-type=2 -define png:bit-depth=16"},
    {"grey_alpha8", "", "-colorspace Gray -define png:color-type=4"},
    {"grey_alpha16", "", "-colorspace Gray -define png:color-type=4 -define png:bit-depth=16"},
    {"grey1", "", "-alpha off -colorspace Gray -define png:color-type=0 -define png:bit-depth=1"},
    {"grey2", "", "-alpha off -colorspace Gray -define png:color-type=0 -define png:bit-depth=2"},
    {"grey4", "", "-alpha off -colorspace Gray -define png:color-type=0 -define png:bit-depth=4"},
    {"grey8", "", "-alpha off -colorspace Gray -define png:color-type=0 -define png:bit-depth=8"},
    {"grey16", "", "-alpha off -colorspace Gray -define png:color-type=0 -define png:bit-depth=16"},
    {"palette_trns", "", "-type PaletteAlpha"},
    {"palette4", "", "-alpha off -colors 16 -define png:color-type=3 -define png:bit-depth=4"},
    {"adam7_rgba", "", "-interlace PNG -define png:color-type=6"},
    {"adam7_rgb16", "", "-interlace PNG -alpha off -define png:color-type=2 -define png:bit-depth=16"},
    {"adam7_palette", "", "-interlace PNG -type PaletteAlpha"},
    {"adam7_grey1", "", "-interlace PNG -alpha off -colorspace Gray -define png:bit-depth=1 -define png:color-type=0"},
    {"adam7_1x1", "", "-interlace PNG", 1, 1},
    {"adam7_3x2", "", "-interlace PNG", 3, 2},
    {"adam7_9x9", "", "-interlace PNG -define png:color-type=2 -alpha off", 9, 9},
    {"adam7_odd_palette4", "", "-interlace PNG -alpha off -colors 9 -define png:color-type=3", 13, 7},
    {"netpbm_rgb_key",
     "convert base.png -alpha off base.ppm && pnmtopng -transparent '=rgb:ff/ee/00' base.ppm > picture.png",
     ""},
    {"netpbm_grey_key",
     "convert base.png -alpha off -colorspace Gray -depth 8 base.pgm && "
     "pnmtopng -transparent '=rgbi:0.5/0.5/0.5' base.pgm > picture.png",
     ""},
    {"netpbm_palette_key",
     "convert base.png -alpha off -colors 7 base.ppm && pnmtopng -transparent '=rgb:ff/ee/00' base.ppm > picture.png",
     ""},
    {"netpbm_palette1", "convert base.png -alpha off -colors 2 base.ppm && pnmtopng base.ppm > picture.png", ""},
    {"netpbm_palette2", "convert base.png -alpha off -colors 4 base.ppm && pnmtopng base.ppm > picture.png", ""},
    {"filter_none", "convert base.png -alpha off base.ppm && pnmtopng -nofilter base.ppm > picture.png", ""},
    {"filter_sub", "convert base.png -alpha off base.ppm && pnmtopng -sub base.ppm > picture.png", ""},
    {"filter_up", "convert base.png -alpha off base.ppm && pnmtopng -up base.ppm > picture.png", ""},
    {"filter_average", "convert base.png -alpha off base.ppm && pnmtopng -avg base.ppm > picture.png", ""},
    {"filter_paeth", "convert base.png -alpha off base.ppm && pnmtopng -paeth base.ppm > picture.png", ""},
    {"filter_sub_rgba",
     "convert base.png -alpha off base.ppm && convert base.png -alpha extract alpha.pgm && "
     "pnmtopng -alpha=alpha.pgm -sub base.ppm > picture.png",
     ""},
    {"filter_up_rgba",
     "convert base.png -alpha off base.ppm && convert base.png -alpha extract alpha.pgm && "
     "pnmtopng -alpha=alpha.pgm -up base.ppm > picture.png",
     ""},
    {"filter_average_rgba",
     "convert base.png -alpha off base.ppm && convert base.png -alpha extract alpha.pgm && "
     "pnmtopng -alpha=alpha.pgm -avg base.ppm > picture.png",
     ""},
    {"filter_paeth_rgba",
     "convert base.png -alpha off base.ppm && convert base.png -alpha extract alpha.pgm && "
     "pnmtopng -alpha=alpha.pgm -paeth base.ppm > picture.png",
     ""},
    {"filter_paeth_16",
     "convert base.png -alpha off -depth 16 base.ppm && pnmtopng -paeth base.ppm > picture.png", ""},
    {"filter_average_grey",
     "convert base.png -alpha off -colorspace Gray base.pgm && pnmtopng -avg base.pgm > picture.png", ""},
    {"filter_paeth_interlaced",
     "convert base.png -alpha off base.ppm && pnmtopng -paeth -interlace base.ppm > picture.png", ""},
    {"netpbm_interlaced_16",
     "convert base.png -alpha off -depth 16 base.ppm && pnmtopng -interlace base.ppm > picture.png", ""},
};

class PngVariantTest : public ::testing::TestWithParam<Variant> {};

TEST_P(PngVariantTest, MatchesImageMagick) {
  const Variant& variant = GetParam();
  if (!ToolAvailable("convert") || (*variant.Command && !ToolAvailable("pnmtopng"))) {
    GTEST_SKIP() << "ImageMagick or netpbm missing";
  }
  TempFolder folder;
  if (*variant.Command) {
    ASSERT_TRUE(MakeTestPicture(folder, "base.png", "", variant.Width, variant.Height));
    ASSERT_TRUE(folder.Run(variant.Command));
  } else {
    ASSERT_TRUE(MakeTestPicture(folder, "picture.png", variant.Options, variant.Width, variant.Height));
  }
  const auto expected = ReadWithImageMagick(folder, "picture.png");
  ASSERT_TRUE(expected);
  const std::string file = folder.Read("picture.png");
  const auto decoded = DecodePngImage(AsBytes(file));
  ASSERT_TRUE(decoded) << decoded.error().Message;
  EXPECT_EQ(LargestChannelDifference(*decoded, *expected), 0);
}

INSTANTIATE_TEST_SUITE_P(Encoders, PngVariantTest, ::testing::ValuesIn(kVariants),
                         [](const auto& param_info) { return std::string(param_info.param.Name); });

// An 8-bit RGB picture unfilters straight into its pixels; with a colour key
// it takes the row-by-row way through the reference. A key that matches no
// pixel must leave every pixel as the straight way makes it.
TEST(PngDecoderTest, StraightAndRowByRowWaysGiveTheSamePixels) {
  if (!ToolAvailable("convert") || !ToolAvailable("pnmtopng")) GTEST_SKIP() << "ImageMagick or netpbm missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "base.png", "", 131, 40));
  ASSERT_TRUE(folder.Run("convert base.png -alpha off base.ppm"));
  for (const std::string filter : {"-sub", "-up", "-avg", "-paeth"}) {
    ASSERT_TRUE(folder.Run("pnmtopng " + filter + " base.ppm > straight.png && pnmtopng " + filter +
                           " -transparent '=rgb:01/02/03' base.ppm > keyed.png"));
    const std::string straight_file = folder.Read("straight.png");
    const std::string keyed_file = folder.Read("keyed.png");
    ASSERT_NE(straight_file, keyed_file) << filter;
    const auto straight = DecodePngImage(AsBytes(straight_file));
    const auto keyed = DecodePngImage(AsBytes(keyed_file));
    ASSERT_TRUE(straight && keyed) << filter;
    EXPECT_TRUE(keyed->HasAlpha) << filter;
    EXPECT_EQ(straight->Pixels, keyed->Pixels) << filter;
  }
}

TEST(PngDecoderTest, ColourKeysAreComparedAtFullSixteenBitsAndHighBytesKept) {
  // Grey 0x12ff, 0x1234 (the key), 0xab00: the key differs from the first
  // sample only in its low byte.
  const std::string file = Png(Header(3, 1, 16, 0), Chunk("tRNS", "\x12\x34"),
                               std::string("\0\x12\xff\x12\x34\xab\x00", 7));
  const auto decoded = DecodePngImage(AsBytes(file));
  ASSERT_TRUE(decoded) << decoded.error().Message;
  EXPECT_EQ(decoded->Pixels[0], (Bgra{0x12, 0x12, 0x12, 255}));
  EXPECT_EQ(decoded->Pixels[1], (Bgra{0x12, 0x12, 0x12, 0}));
  EXPECT_EQ(decoded->Pixels[2], (Bgra{0xab, 0xab, 0xab, 255}));
  EXPECT_TRUE(decoded->HasAlpha);
}

TEST(PngDecoderTest, OpaqueFormatsSayTheyHaveNoAlpha) {
  const auto decoded = DecodePngImage(AsBytes(TinyGrey()));
  ASSERT_TRUE(decoded) << decoded.error().Message;
  EXPECT_FALSE(decoded->HasAlpha);
  EXPECT_EQ(decoded->Pixels[1], (Bgra{0x20, 0x20, 0x20, 255}));
}

TEST(PngDecoderTest, DecoderRecognisesOnlyTheSignature) {
  const auto decoder = MakePngDecoder();
  EXPECT_EQ(decoder->ShortName(), "PNG");
  EXPECT_TRUE(decoder->IsExtended());
  EXPECT_TRUE(decoder->Recognises(AsBytes(kSignature)));
  EXPECT_FALSE(decoder->Recognises(AsBytes(kSignature.substr(0, 7))));
  EXPECT_FALSE(decoder->Recognises(AsBytes("\x89PNG\r\n\x1a\r")));
  const auto picture = decoder->Decode(AsBytes(TinyGrey()));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->Width(), 2);
  EXPECT_EQ(picture->Height(), 1);
}

TEST(PngDecoderTest, ChunksAreCheckedAndUnknownOnesJudgedByTheirFirstLetter) {
  const std::string header = Header(2, 1, 8, 0);
  const std::string row("\0\x10\x20", 3);
  const std::string ancillary = Png(header, Chunk("abCd", "whatever"), row);
  EXPECT_EQ(MessageOf(ancillary), "");
  EXPECT_EQ(MessageOf(Png(header, Chunk("AbCd", "whatever"), row)),
            decode_errors::UnknownCriticalChunk().Message);

  const std::string good = TinyGrey();
  const std::string crc_error = decode_errors::CrcError("PNG").Message;
  for (const std::size_t at : {std::size_t{12}, std::size_t{20}, std::size_t{29}, good.size() - 20,
                               good.size() - 1}) {
    std::string damaged = good;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x01);
    EXPECT_EQ(MessageOf(damaged), crc_error) << "byte " << at;
  }
  std::string damaged_ancillary = ancillary;
  damaged_ancillary[kSignature.size() + 25 + 9] ^= 0x40;  // inside "whatever"
  EXPECT_EQ(MessageOf(damaged_ancillary), crc_error);
}

TEST(PngDecoderTest, EveryTruncationFails) {
  TempFolder folder;
  std::string file;
  if (ToolAvailable("convert") && MakeTestPicture(folder, "t.png", "-interlace PNG", 20, 9)) {
    file = folder.Read("t.png");
  } else {
    file = TinyGrey();
  }
  ASSERT_TRUE(DecodePngImage(AsBytes(file)));
  for (std::size_t size = 0; size < file.size(); ++size) {
    const auto decoded = DecodePngImage(AsBytes(file.substr(0, size)));
    ASSERT_FALSE(decoded) << "decoded from " << size << " bytes";
    EXPECT_FALSE(decoded.error().Message.empty());
  }
}

struct HostileCase {
  const char* Name;
  std::string File;
  std::string Message;
};

std::vector<HostileCase> HostileCases() {
  const std::string row("\0\x10\x20", 3);
  const std::string palette = Chunk("PLTE", std::string("\xff\0\0\0\xff\0", 6));
  const std::string invalid = decode_errors::InvalidFormat("PNG").Message;
  const std::string colour = decode_errors::InvalidColorFormat("PNG").Message;
  const std::string depth = decode_errors::InvalidBitDepth().Message;
  const std::string bad_palette = decode_errors::InvalidPalette("PNG").Message;
  const std::string compression = decode_errors::CompressionError("PNG").Message;
  return {
      {"width_zero", Png(Header(0, 1, 8, 0), "", row), invalid},
      {"height_zero", Png(Header(2, 0, 8, 0), "", row), invalid},
      {"huge", Png(Header(100000, 100000, 8, 0), "", row), decode_errors::TooLarge("PNG").Message},
      {"side_beyond_signed", Png(Header(0x80000000u, 1, 8, 0), "", row), invalid},
      {"depth_3", Png(Header(2, 1, 3, 0), "", row), depth},
      {"depth_32", Png(Header(2, 1, 32, 2), "", row), depth},
      {"colour_5", Png(Header(2, 1, 8, 5), "", row), colour},
      {"rgb_at_4_bits", Png(Header(2, 1, 4, 2), "", row), colour},
      {"palette_at_16_bits", Png(Header(2, 1, 16, 3), palette, row), colour},
      {"grey_alpha_at_2_bits", Png(Header(2, 1, 2, 4), "", row), colour},
      {"interlace_2", Png(Header(2, 1, 8, 0, 2), "", row), invalid},
      {"no_header_first", kSignature + Chunk("IEND", "") + Header(2, 1, 8, 0), invalid},
      {"two_headers", Png(Header(2, 1, 8, 0), Header(2, 1, 8, 0), row), invalid},
      {"short_header", kSignature + Chunk("IHDR", "abc") + Chunk("IEND", ""), invalid},
      {"no_end", kSignature + Header(2, 1, 8, 0) + Chunk("IDAT", Compressed(row)),
       decode_errors::ReadError("PNG").Message},
      {"index_beyond_palette", Png(Header(3, 1, 8, 3), palette, std::string("\0\1\0\2", 4)), bad_palette},
      {"index_beyond_palette_2bit", Png(Header(4, 1, 2, 3), palette, std::string("\0\x1b", 2)), bad_palette},
      {"no_palette", Png(Header(2, 1, 8, 3), "", std::string("\0\0\0", 3)), bad_palette},
      {"palette_not_triples", Png(Header(2, 1, 8, 3), Chunk("PLTE", "abcd"), std::string("\0\0\0", 3)),
       bad_palette},
      {"palette_too_long", Png(Header(2, 1, 8, 3), Chunk("PLTE", std::string(771, 'a')), std::string("\0\0\0", 3)),
       bad_palette},
      {"filter_5", Png(Header(2, 1, 8, 0), "", std::string("\5\x10\x20", 3)), invalid},
      {"rows_missing", Png(Header(2, 2, 8, 0), "", row), compression},
      {"no_image_data", kSignature + Header(2, 1, 8, 0) + Chunk("IEND", ""), compression},
      {"not_zlib", kSignature + Header(2, 1, 8, 0) + Chunk("IDAT", "garbage!") + Chunk("IEND", ""), compression},
      {"too_short_to_fill",
       kSignature + Header(30000, 2000, 8, 6) + Chunk("IDAT", Compressed(row)) + Chunk("IEND", ""),
       decode_errors::TooLarge("PNG").Message},
      {"stream_without_end",
       kSignature + Header(2, 1, 8, 0) + Chunk("IDAT", Compressed(row).substr(0, Compressed(row).size() - 4)) +
           Chunk("IEND", ""),
       compression},
      {"extra_row", Png(Header(2, 1, 8, 0), "", row + row), decode_errors::ExtraCompressedData("PNG").Message},
      {"not_png", "GIF89a" + std::string(40, '\0'), invalid},
  };
}

TEST(PngDecoderTest, HostileFilesAreRefusedWithTheirMessage) {
  for (const HostileCase& hostile : HostileCases()) {
    EXPECT_EQ(MessageOf(hostile.File), hostile.Message) << hostile.Name;
  }
}

TEST(PngDecoderTest, IdatMaySplitAnywhereAndTransparencyMayPrecedeThePalette) {
  const std::string stream = Compressed(std::string("\0\1\0", 3));
  std::string pieces;
  for (const char byte : stream) pieces += Chunk("IDAT", std::string(1, byte));
  const std::string file = kSignature + Header(2, 1, 8, 3) + Chunk("tRNS", std::string("\x80", 1)) +
                           Chunk("PLTE", std::string("\x01\x02\x03\x04\x05\x06", 6)) + pieces +
                           Chunk("IEND", "");
  const auto decoded = DecodePngImage(AsBytes(file));
  ASSERT_TRUE(decoded) << decoded.error().Message;
  EXPECT_EQ(decoded->Pixels[0], (Bgra{6, 5, 4, 255}));
  EXPECT_EQ(decoded->Pixels[1], (Bgra{3, 2, 1, 0x80}));
}

}  // namespace
}  // namespace ris
