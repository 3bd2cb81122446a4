// JPEG files made by ImageMagick decode close to ImageMagick's own reading
// of them; falsified headers fail at load, damaged data at first use, and
// hostile files are cut short by the size and scan limits.
#include "pictures/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include <jerror.h>
#include <jpeglib.h>

#include "pictures/decoders.h"
#include "pictures/reference_pictures.h"

namespace ris {
namespace {

using testing_support::LargestChannelDifference;
using testing_support::MakeTestPicture;
using testing_support::ReadWithImageMagick;
using testing_support::TempFolder;
using testing_support::ToolAvailable;

Result<TPicture, DecodeError> Load(const std::string& bytes) { return MakeJpegDecoder()->Decode(AsBytes(bytes)); }

std::string LibraryError(int code) { return "JPEG error #" + std::to_string(code); }

// Where the first marker of the given kind starts (its 0xFF byte).
std::size_t FindMarker(const std::string& file, unsigned char kind) {
  for (std::size_t at = 0; at + 1 < file.size(); ++at) {
    if (static_cast<unsigned char>(file[at]) == 0xFF && static_cast<unsigned char>(file[at + 1]) == kind) return at;
  }
  return std::string::npos;
}

// The frame header of a baseline or progressive file.
std::size_t FindFrame(const std::string& file) {
  const std::size_t baseline = FindMarker(file, 0xC0);
  return baseline != std::string::npos ? baseline : FindMarker(file, 0xC2);
}

std::string WithSize(std::string file, std::uint16_t width, std::uint16_t height) {
  const std::size_t frame = FindFrame(file);
  file[frame + 5] = static_cast<char>(height >> 8);
  file[frame + 6] = static_cast<char>(height);
  file[frame + 7] = static_cast<char>(width >> 8);
  file[frame + 8] = static_cast<char>(width);
  return file;
}

double MeanDifference(const PixelImage& a, const PixelImage& b) {
  double total = 0;
  for (std::size_t i = 0; i < a.Pixels.size(); ++i) {
    total += std::abs(a.Pixels[i].R - b.Pixels[i].R) + std::abs(a.Pixels[i].G - b.Pixels[i].G) +
             std::abs(a.Pixels[i].B - b.Pixels[i].B);
  }
  return total / (3.0 * static_cast<double>(a.Pixels.size()));
}

TEST(JpegDecoderTest, DecodesCloseToImageMagick) {
  const struct {
    const char* Label;
    const char* Options;
    bool Grey;
    int Largest;  // channel difference allowed anywhere
    double Mean;  // and on average
  } cases[] = {
      {"colour 4:2:0", "-quality 90", false, 1, 0.1},
      {"colour 4:4:4", "-quality 95 -sampling-factor 1x1", false, 1, 0.1},
      {"colour progressive", "-interlace JPEG", false, 1, 0.1},
      {"CMYK", "-colorspace CMYK", false, 1, 0.1},
      // 236 grey levels, dithered: a level or two off in places.
      {"grey", "-colorspace Gray", true, 2, 0.6},
      {"grey progressive", "-colorspace Gray -interlace JPEG", true, 2, 0.6},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    ASSERT_TRUE(MakeTestPicture(folder, "x.jpg", std::string("-alpha off ") + c.Options, 67, 45));
    const auto reference = ReadWithImageMagick(folder, "x.jpg");
    ASSERT_TRUE(reference);
    const auto picture = Load(folder.Read("x.jpg"));
    ASSERT_TRUE(picture) << picture.error().Message;
    EXPECT_EQ(picture->Width(), 67);
    EXPECT_EQ(picture->Height(), 45);
    EXPECT_FALSE(picture->FromBitmapFormat());
    const auto pixels = picture->Pixels();
    ASSERT_TRUE(pixels) << pixels.error().Message;
    const PixelImage& image = **pixels;
    EXPECT_FALSE(image.HasAlpha);
    const int largest = LargestChannelDifference(image, *reference);
    EXPECT_GE(largest, 0);
    EXPECT_LE(largest, c.Largest);
    EXPECT_LE(MeanDifference(image, *reference), c.Mean);
    if (c.Grey) {
      for (const Bgra p : image.Pixels) ASSERT_TRUE(p.R == p.G && p.G == p.B);
    }
  }
}

// Each pixel the mean of a square of `factor` x `factor` pixels.
PixelImage Reduced(const PixelImage& image, int factor) {
  PixelImage out = PixelImage::Blank((image.Width + factor - 1) / factor, (image.Height + factor - 1) / factor);
  for (int y = 0; y < out.Height; ++y) {
    for (int x = 0; x < out.Width; ++x) {
      int sums[3] = {0, 0, 0};
      int count = 0;
      for (int v = y * factor; v < std::min(image.Height, (y + 1) * factor); ++v) {
        for (int u = x * factor; u < std::min(image.Width, (x + 1) * factor); ++u) {
          const Bgra p = image.Pixels[static_cast<std::size_t>(v * image.Width + u)];
          sums[0] += p.B, sums[1] += p.G, sums[2] += p.R, ++count;
        }
      }
      out.At(x, y) = Bgra{static_cast<std::uint8_t>(sums[0] / count), static_cast<std::uint8_t>(sums[1] / count),
                          static_cast<std::uint8_t>(sums[2] / count), 255};
    }
  }
  return out;
}

// A picture shown smaller than itself is decoded at the smallest of a half,
// a quarter or an eighth of its size that still covers what is shown, close
// to the whole picture averaged down; asking for more decodes again.
TEST(JpegDecoderTest, DecodesReducedToCoverTheSizeShown) {
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "x.jpg", "-alpha off -quality 95", 67, 45));
  const auto picture = Load(folder.Read("x.jpg"));
  ASSERT_TRUE(picture);
  const auto whole = picture->SharedPixels();
  ASSERT_TRUE(whole);
  const struct {
    PixelSize Cover;
    PixelSize Decoded;
    int Factor;
  } cases[] = {{{8, 5}, {9, 6}, 8}, {{17, 12}, {17, 12}, 4}, {{30, 20}, {34, 23}, 2}, {{60, 10}, {67, 45}, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Factor);
    const auto fresh = Load(folder.Read("x.jpg"));
    const auto reduced = fresh->SharedPixels(c.Cover);
    ASSERT_TRUE(reduced) << reduced.error().Message;
    EXPECT_EQ((PixelSize{(*reduced)->Width, (*reduced)->Height}), c.Decoded);
    EXPECT_LE(MeanDifference(**reduced, Reduced(**whole, c.Factor)), 2.0);
    const auto again = fresh->SharedPixels();
    ASSERT_TRUE(again);
    EXPECT_EQ((*again)->Width, 67);
  }
}

TEST(JpegDecoderTest, HeaderFaultsFailAtLoadAndDataFaultsAtFirstUse) {
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "x.jpg", "-alpha off", 16, 16));
  const std::string good = folder.Read("x.jpg");
  const std::size_t scan = FindMarker(good, 0xDA);
  ASSERT_NE(scan, std::string::npos);
  std::string undefined_table = good;  // the first component's tables: 3 and 3
  undefined_table[scan + 6] = 0x33;

  const struct {
    const char* Label;
    std::string Bytes;
    std::string AtLoad;  // empty: the load succeeds
    std::string AtUse;
  } cases[] = {
      {"65000 x 65000", WithSize(good, 65000, 65000), decode_errors::TooLarge("JPEG").Message, ""},
      {"20000 x 20000", WithSize(good, 20000, 20000), decode_errors::TooLarge("JPEG").Message, ""},
      {"zero width", WithSize(good, 0, 16), LibraryError(JERR_EMPTY_IMAGE), ""},
      {"empty", "", LibraryError(JERR_INPUT_EMPTY), ""},
      {"not a JPEG", std::string(100, 'x'), LibraryError(JERR_NO_SOI), ""},
      {"cut before the frame", good.substr(0, FindFrame(good)), LibraryError(JERR_NO_IMAGE), ""},
      {"undefined Huffman table", undefined_table, "", LibraryError(JERR_NO_HUFF_TABLE)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    const auto picture = Load(c.Bytes);
    if (!c.AtLoad.empty()) {
      ASSERT_FALSE(picture);
      EXPECT_EQ(picture.error().Message, c.AtLoad);
      continue;
    }
    ASSERT_TRUE(picture) << picture.error().Message;
    const auto pixels = picture->Pixels();
    ASSERT_FALSE(pixels);
    EXPECT_EQ(pixels.error().Message, c.AtUse);
    EXPECT_EQ(picture->Pixels().error().Message, c.AtUse);  // kept, not retried
  }
}

// A file cut anywhere never crashes: before the scan it fails at load, after
// it libjpeg fills in what is missing.
TEST(JpegDecoderTest, TruncationSweep) {
  TempFolder folder;
  for (const char* options : {"-quality 80", "-interlace JPEG", "-colorspace Gray"}) {
    SCOPED_TRACE(options);
    ASSERT_TRUE(MakeTestPicture(folder, "x.jpg", std::string("-alpha off ") + options, 24, 17));
    const std::string file = folder.Read("x.jpg");
    const std::size_t scan = FindMarker(file, 0xDA);
    for (std::size_t size = 0; size < file.size(); size += 3) {
      const auto picture = Load(file.substr(0, size));
      if (size <= scan) {
        EXPECT_FALSE(picture) << size;
      } else if (picture) {
        const auto pixels = picture->Pixels();
        if (pixels) {
          EXPECT_EQ((*pixels)->Pixels.size(), 24U * 17U);
        }
      }
    }
  }
}

// A progressive file whose last scan is repeated: libjpeg only warns about
// the repeats, so without a limit each one would be decoded in full.
std::string WithRepeatedLastScan(const std::string& file, int repeats) {
  std::size_t last = FindMarker(file, 0xDA);
  for (std::size_t next = last; next != std::string::npos; next = file.find("\xFF\xDA", next + 2)) last = next;
  const std::size_t end = file.rfind("\xFF\xD9");
  std::string scans;
  for (int i = 0; i < repeats; ++i) scans += file.substr(last, end - last);
  return file.substr(0, end) + scans + file.substr(end);
}

// The scans a file may hold grow with its bytes: a repeated scan of a few
// bytes pays for far less than a pass over every block.
TEST(JpegDecoderTest, ScansBeyondWhatTheBytesPayForFail) {
  TempFolder folder;
  if (!ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick missing";
  ASSERT_TRUE(folder.Run("convert -size 512x512 xc:gray -colorspace Gray -interlace JPEG x.jpg"));
  const std::string file = folder.Read("x.jpg");
  const struct {
    int Repeats;
    bool Decodes;
  } cases[] = {{2, true}, {400, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Repeats);
    const auto picture = Load(WithRepeatedLastScan(file, c.Repeats));
    ASSERT_TRUE(picture) << picture.error().Message;
    const auto pixels = picture->Pixels();
    EXPECT_EQ(pixels.ok(), c.Decodes);
    if (!c.Decodes) {
      EXPECT_EQ(pixels.error().Message, "Cannot load image. Pictures of this size are not supported for JPEG files.");
    }
  }
}

}  // namespace
}  // namespace ris
