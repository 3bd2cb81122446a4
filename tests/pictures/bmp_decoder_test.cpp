// Windows and OS/2 bitmaps made by ImageMagick (or patched from its files)
// must decode to exactly ImageMagick's own pixels; hand-made run-length data
// and falsified headers check the edges ImageMagick does not write.
#include "pictures/bmp_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "pictures/decoders.h"
#include "pictures/raster_test_support.h"
#include "pictures/reference_pictures.h"

namespace ris {
namespace {

using testing_support::LargestChannelDifference;
using testing_support::MakeTestPicture;
using testing_support::ReadWithImageMagick;
using testing_support::TempFolder;

std::uint32_t GetLe(const std::string& bytes, std::size_t at, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}

void PutLe(std::string& bytes, std::size_t at, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}

std::string Le(std::uint32_t value, int width) {
  std::string bytes(static_cast<std::size_t>(width), '\0');
  PutLe(bytes, 0, value, width);
  return bytes;
}

Result<TPicture, DecodeError> DecodeBmp(const std::string& bytes) {
  return MakeBitmapDecoder()->Decode(AsBytes(bytes));
}

PixelImage Pixels(const std::string& bytes) {
  const auto picture = DecodeBmp(bytes);
  EXPECT_TRUE(picture) << (picture ? "" : picture.error().Message);
  if (!picture) return {};
  EXPECT_TRUE(picture->FromBitmapFormat());
  const auto pixels = picture->Pixels();
  return pixels ? **pixels : PixelImage{};
}

// Header edits that turn one header layout into another.
std::string ChangeHeaderSize(std::string file, std::uint32_t new_size) {
  const std::uint32_t old_size = GetLe(file, 14, 4);
  if (new_size > old_size) {
    file.insert(14 + old_size, new_size - old_size, '\0');
  } else {
    file.erase(14 + new_size, old_size - new_size);
  }
  PutLe(file, 14, new_size, 4);
  PutLe(file, 10, GetLe(file, 10, 4) + new_size - old_size, 4);
  return file;
}

std::string Unchanged(std::string file) { return file; }
std::string WithoutFileHeader(std::string file) { return file.substr(14); }
std::string ToV4(std::string file) { return ChangeHeaderSize(std::move(file), 108); }
std::string ToOs2Long(std::string file) { return ChangeHeaderSize(std::move(file), 64); }
std::string ToOs2Short(std::string file) { return ChangeHeaderSize(std::move(file), 16); }
std::string ToTopDown(std::string file) {  // made from a flipped picture
  PutLe(file, 22, static_cast<std::uint32_t>(-static_cast<std::int32_t>(GetLe(file, 22, 4))), 4);
  return file;
}

// ImageMagick 6 widens 4-bit channels and a 1-bit alpha by shifting alone
// (15 -> 240, 1 -> 128); the decoder repeats the bits so that full scale
// stays full (15 -> 255). These turn ImageMagick's values into the latter.
void NoFix(PixelImage&) {}
void FixFourBitChannels(PixelImage& image) {
  for (Bgra& p : image.Pixels) {
    for (std::uint8_t* c : {&p.B, &p.G, &p.R, &p.A}) *c = static_cast<std::uint8_t>((*c >> 4) * 17);
  }
}
void FixOneBitAlpha(PixelImage& image) {
  for (Bgra& p : image.Pixels) p.A = p.A >= 128 ? 255 : 0;
}

struct Variant {
  const char* Label;
  const char* Options;  // ImageMagick's, before the output name
  const char* Prefix;   // output format prefix
  std::uint16_t Bits;   // as the file must declare it
  bool HasAlpha;
  std::string (*Patch)(std::string) = Unchanged;
  void (*FixReference)(PixelImage&) = NoFix;
};


TEST(BmpDecoderTest, DecodesWhatImageMagickWritesExactly) {
  const Variant variants[] = {
      {"1 bit", "-monochrome -compress None", "BMP3:", 1, false},
      {"4 bits", "-type Palette -colors 16 -compress None", "BMP3:", 4, false},
      {"8 bits", "-type Palette -compress None", "BMP3:", 8, false},
      {"RLE8", "-type Palette -compress RLE", "BMP3:", 8, false},
      {"24 bits", "-type TrueColor", "BMP3:", 24, false},
      {"24 bits v5 header", "-alpha off", "", 24, false},
      {"32 bits with alpha v5 header", "", "", 32, true},
      {"32 bits with alpha v4 header", "", "", 32, true, ToV4},
      {"16 bits RGB565", "-alpha off -define bmp:subtype=RGB565", "", 16, false},
      {"16 bits ARGB1555", "-define bmp:subtype=ARGB1555", "", 16, true, Unchanged, FixOneBitAlpha},
      {"16 bits ARGB4444", "-define bmp:subtype=ARGB4444", "", 16, true, Unchanged, FixFourBitChannels},
      {"OS/2 1.x 24 bits", "-alpha off", "BMP2:", 24, false},
      {"OS/2 1.x 8 bits", "-alpha off -type Palette -compress None", "BMP2:", 8, false},
      {"OS/2 2.x 64-byte header", "-type Palette -compress None", "BMP3:", 8, false, ToOs2Long},
      {"OS/2 2.x 16-byte header", "-type Palette -compress None", "BMP3:", 8, false, ToOs2Short},
      {"DIB without file header, 8 bits", "-type Palette -compress None", "BMP3:", 8, false, WithoutFileHeader},
      {"DIB without file header, 24 bits", "-type TrueColor", "BMP3:", 24, false, WithoutFileHeader},
  };
  TempFolder folder;
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.Label);
    ASSERT_TRUE(MakeTestPicture(folder, std::string(v.Prefix) + "x.bmp", v.Options));
    const std::string file = folder.Read("x.bmp");
    ASSERT_EQ(GetLe(file, GetLe(file, 14, 4) == 12 ? 24 : 28, 2), v.Bits);
    auto reference = ReadWithImageMagick(folder, "x.bmp");
    ASSERT_TRUE(reference);
    v.FixReference(*reference);
    const PixelImage decoded = Pixels(v.Patch(file));
    EXPECT_EQ(LargestChannelDifference(decoded, *reference), 0);
    EXPECT_EQ(decoded.HasAlpha, v.HasAlpha);
  }
}

TEST(BmpDecoderTest, NegativeHeightMeansRowsTopDown) {
  TempFolder folder;
  for (const char* options : {"-type TrueColor", "-type Palette -compress None"}) {
    SCOPED_TRACE(options);
    ASSERT_TRUE(MakeTestPicture(folder, "BMP3:x.bmp", options));
    ASSERT_TRUE(MakeTestPicture(folder, "BMP3:flipped.bmp", std::string(options) + " -flip"));
    const auto reference = ReadWithImageMagick(folder, "x.bmp");
    ASSERT_TRUE(reference);
    EXPECT_EQ(LargestChannelDifference(Pixels(ToTopDown(folder.Read("flipped.bmp"))), *reference), 0);
  }
}

// In 32-bit BI_RGB data the fourth byte is unused: the picture is opaque.
TEST(BmpDecoderTest, ThirtyTwoBitsWithoutMasksAreOpaque) {
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "x.bmp"));
  std::string file = folder.Read("x.bmp");
  ASSERT_EQ(GetLe(file, 30, 4), 3U);  // bit fields, alpha in the top byte
  ASSERT_EQ(GetLe(file, 54, 4), 0x00FF0000U);
  auto reference = ReadWithImageMagick(folder, "x.bmp");
  ASSERT_TRUE(reference);
  for (Bgra& pixel : reference->Pixels) pixel.A = 255;
  PutLe(file, 30, 0, 4);
  const PixelImage decoded = Pixels(file);
  EXPECT_EQ(LargestChannelDifference(decoded, *reference), 0);
  EXPECT_FALSE(decoded.HasAlpha);
}

// A small bitmap built field by field: 40-byte header, palette, bits.
std::string HandMade(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression,
                     const std::vector<std::uint32_t>& palette, const std::string& pixel_bits,
                     std::uint32_t colours_used = 0) {
  std::string info = Le(40, 4) + Le(static_cast<std::uint32_t>(width), 4) +
                     Le(static_cast<std::uint32_t>(height), 4) + Le(1, 2) +
                     Le(static_cast<std::uint32_t>(bits), 2) + Le(compression, 4) +
                     Le(static_cast<std::uint32_t>(pixel_bits.size()), 4) + Le(0, 8) +
                     Le(colours_used, 4) + Le(0, 4);
  for (const std::uint32_t entry : palette) info += Le(entry, 4);
  const auto offset = static_cast<std::uint32_t>(14 + info.size());
  return "BM" + Le(offset + static_cast<std::uint32_t>(pixel_bits.size()), 4) + Le(0, 4) + Le(offset, 4) +
         info + pixel_bits;
}

const std::vector<std::uint32_t> kSixteen = [] {
  std::vector<std::uint32_t> palette;
  for (std::uint32_t i = 0; i < 16; ++i) palette.push_back((i + 1) * 0x0f0f0fU);
  return palette;
}();

// The palette indices of a decoded picture, rows top to bottom, as one
// hex digit per pixel ('x' where the colour is not in kSixteen, as black).
std::string Indices(const PixelImage& image) {
  std::string text;
  for (std::int32_t y = 0; y < image.Height; ++y) {
    if (y > 0) text += '/';
    for (std::int32_t x = 0; x < image.Width; ++x) {
      const Bgra p = image.Pixels[static_cast<std::size_t>(y * image.Width + x)];
      const bool listed = p.R == p.G && p.G == p.B && p.R % 15 == 0 && p.R > 0;
      text += listed ? "0123456789abcdef"[p.R / 15 - 1] : 'x';
    }
  }
  return text;
}

TEST(BmpDecoderTest, RunLengthCodes) {
  const std::string n = std::string(1, '\0');
  const struct {
    const char* Label;
    bool FourBit;
    std::string Codes;
    const char* Expected;  // 5 x 3, top row first
  } cases[] = {
      {"RLE8 runs and end of line", false, "\x02\x05" + n + n + "\x05\x07" + n + "\x01", "00000/77777/55000"},
      {"RLE8 run past the row is cut", false, "\x09\x03" + n + n + "\x01\x04" + n + "\x01", "00000/40000/33333"},
      {"RLE8 literal with padding", false, n + "\x03\x01\x02\x03" + n + "\x02\x09" + n + "\x01", "00000/00000/12399"},
      {"RLE8 literal past the row is cut", false, n + "\x07\x01\x02\x03\x04\x05\x06\x07" + n + n + "\x01", "00000/00000/12345"},
      {"RLE8 delta", false, "\x01\x01" + n + "\x02\x02\x01\x01\x02" + n + "\x01", "00000/00020/10000"},
      {"RLE8 delta beyond the picture", false, n + "\x02\xff\xff\x01\x02" + n + "\x01", "00000/00000/00000"},
      {"RLE8 stops at end of bitmap", false, "\x05\x01" + n + "\x01\x05\x02", "00000/00000/11111"},
      {"RLE8 without end of bitmap", false, "\x05\x01" + n + n + "\x05\x02", "00000/22222/11111"},
      {"RLE8 literal cut short by the data", false, "\x05\x01" + n + n + n + "\x05\x02\x03", "00000/00000/11111"},
      {"RLE8 index beyond the palette", false, "\x02\x20\x01\x0f" + n + "\x01", "00000/00000/xxf00"},
      {"RLE4 run", true, "\x05\x12" + n + n + "\x03\x33" + n + "\x01", "00000/33300/12121"},
      {"RLE4 literal with padding", true, n + "\x05\xab\xcd\xe0" + n + n + n + n + "\x03\x45\x60" + n + "\x01", "00000/45600/abcde"},
      {"RLE4 run past the row is cut", true, "\x0b\x9a" + n + "\x01", "00000/00000/9a9a9"},
      {"RLE4 delta", true, n + "\x02\x04\x02\x01\xf0" + n + "\x01", "0000f/00000/00000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    const std::string file = HandMade(5, 3, c.FourBit ? 4 : 8, c.FourBit ? 2 : 1, kSixteen, c.Codes, 16);
    EXPECT_EQ(Indices(Pixels(file)), c.Expected);
  }
}

TEST(BmpDecoderTest, PackedIndicesAndShortPalettes) {
  const struct {
    const char* Label;
    int Bits;
    std::uint32_t PaletteSize;  // the first entries of kSixteen
    std::string Row;            // one row of 5 pixels, padded
    const char* Expected;
  } cases[] = {
      {"2 bits", 2, 4, std::string("\x1b\x40\0\0", 4), "01231"},
      {"1 bit", 1, 2, std::string("\xa8\0\0\0", 4), "10101"},
      {"4 bits, 3 colours", 4, 3, std::string("\x12\x3f\xf0\0", 4), "12xxx"},
      {"8 bits, 2 colours", 8, 2, std::string("\x00\x01\x02\xff\x01\0\0\0", 8), "01xx1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    const std::vector<std::uint32_t> palette(kSixteen.begin(), kSixteen.begin() + c.PaletteSize);
    EXPECT_EQ(Indices(Pixels(HandMade(5, 1, c.Bits, 0, palette, c.Row, c.PaletteSize))), c.Expected);
  }
}

TEST(BmpDecoderTest, FalsifiedHeadersFailWithTheirReason) {
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "BMP3:x.bmp", "-type Palette -compress None"));
  const std::string good = folder.Read("x.bmp");
  ASSERT_TRUE(DecodeBmp(good));
  const auto field = [&](std::size_t at, std::uint32_t value, int width) {
    std::string bytes = good;
    PutLe(bytes, at, value, width);
    return bytes;
  };
  const std::string masks_of_zero =
      HandMade(2, 1, 16, 3, {}, Le(0, 4) + Le(0, 4) + Le(0, 4) + std::string(4, '\x7f'));
  testing_support::ExpectRefused(*MakeBitmapDecoder(), {
      {"side too long", field(18, 40000, 4), decode_errors::TooLarge("BMP")},
      {"too many pixels", field(22, 0x7fffffff, 4), decode_errors::TooLarge("BMP")},
      {"most negative height", field(22, 0x80000000, 4), decode_errors::TooLarge("BMP")},
      {"zero width", field(18, 0, 4), decode_errors::InvalidFormat("BMP")},
      {"negative width", field(18, 0xffffffff, 4), decode_errors::InvalidFormat("BMP")},
      {"zero height", field(22, 0, 4), decode_errors::InvalidFormat("BMP")},
      {"unknown header size", field(14, 200, 4), decode_errors::InvalidFormat("BMP")},
      {"header larger than the file", field(14, 124, 4).substr(0, 100), decode_errors::ReadError("BMP")},
      {"7 bits per pixel", field(28, 7, 2), decode_errors::InvalidColorFormat("BMP")},
      {"unknown compression", field(30, 9, 4), decode_errors::InvalidFormat("BMP")},
      {"RLE4 with 8 bits", field(30, 2, 4), decode_errors::InvalidFormat("BMP")},
      {"bit fields with 8 bits", field(30, 3, 4), decode_errors::InvalidFormat("BMP")},
      {"embedded JPEG", field(30, 4, 4), decode_errors::NotSupported("Embedded JPEG or PNG data is", "BMP")},
      {"OS/2 Huffman", ToOs2Long(field(30, 3, 4)), decode_errors::NotSupported("This compression is", "BMP")},
      {"palette beyond the file", field(46, 256, 4).substr(0, 300), decode_errors::InvalidPalette("BMP")},
      {"bit field masks of zero", masks_of_zero, decode_errors::InvalidColorFormat("BMP")},
      {"pixels cut short", good.substr(0, good.size() - 1), decode_errors::ReadError("BMP")},
      {"no header", "BM" + std::string(8, '\0'), decode_errors::ReadError("BMP")},
      {"not a bitmap", std::string(64, 'x'), decode_errors::InvalidFormat("BMP")},
  });
}

// Every prefix of a file fails cleanly or, for run-length data that simply
// stops, gives a picture of the declared size.
TEST(BmpDecoderTest, TruncationSweep) {
  TempFolder folder;
  for (const char* options : {"-type Palette -compress None", "-type Palette -compress RLE", ""}) {
    SCOPED_TRACE(options);
    ASSERT_TRUE(MakeTestPicture(folder, std::string(*options != '\0' ? "BMP3:" : "") + "x.bmp", options));
    const std::string file = folder.Read("x.bmp");
    const bool run_length = GetLe(file, 30, 4) == 1;
    for (std::size_t size = 0; size < file.size(); ++size) {
      const auto decoded = DecodeBmp(file.substr(0, size));
      const std::size_t bits_at = GetLe(file, 10, 4);
      if (run_length && size >= bits_at) {
        ASSERT_TRUE(decoded) << size;
        EXPECT_EQ(decoded->Width(), 67);
      } else {
        ASSERT_FALSE(decoded) << size;
      }
    }
  }
}

}  // namespace
}  // namespace ris
