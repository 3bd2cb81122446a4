// Small files that declare large pictures: each must be refused (or decoded
// at a size its bytes pay for) without costing the picture it declares.
// Setting RIS_WRITE_SMALL_CLAIMS to a folder writes the files there, to be
// measured with `ris decode` or kept as fuzz seeds.
#include "pictures/decode_budget.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "pictures/file_format_list.h"
#include "raster_test_support.h"

namespace ris {
namespace {

using namespace testing_support;

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (const int value : values) bytes += static_cast<char>(value);
  return bytes;
}

std::string Repeated(const std::string& piece, std::size_t times) {
  std::string all;
  for (std::size_t i = 0; i < times; ++i) all += piece;
  return all;
}

// A greyscale baseline frame of the size, its tables and a scan header.
std::string JpegHeader(std::uint32_t width, std::uint32_t height) {
  std::string file = Bytes({0xFF, 0xD8, 0xFF, 0xDB, 0, 67, 0}) + std::string(64, '\1');
  file += Bytes({0xFF, 0xC0, 0, 11, 8});
  AppendBig(file, height, 2);
  AppendBig(file, width, 2);
  file += Bytes({1, 1, 0x11, 0});
  for (const int table : {0x00, 0x10}) file += Bytes({0xFF, 0xC4, 0, 20, table, 1}) + std::string(16, '\0');
  return file + Bytes({0xFF, 0xDA, 0, 8, 1, 1, 0, 0, 63, 0});
}

// An 8-bit run-length bitmap of the size with a grey palette and `codes`.
std::string Rle8Bitmap(std::uint32_t side, const std::string& codes) {
  std::string file = "BM";
  AppendLittle(file, static_cast<std::uint32_t>(1078 + codes.size()), 4);
  AppendLittle(file, 0, 4);
  AppendLittle(file, 1078, 4);
  for (const std::uint32_t field : {40u, side, side}) AppendLittle(file, field, 4);
  AppendLittle(file, 1, 2);
  AppendLittle(file, 8, 2);
  AppendLittle(file, 1, 4);
  file += std::string(20, '\0');
  for (int i = 0; i < 256; ++i) file += Bytes({i, i, i, 0});
  return file + codes;
}

// A bilevel TIFF of one PackBits strip holding `data`.
std::string PackBitsTiff(std::uint32_t side, const std::string& data) {
  std::string file = Bytes({'I', 'I', 42, 0, 8, 0, 0, 0, 9, 0});
  const std::uint32_t data_at = 8 + 2 + 9 * 12 + 4;
  const std::pair<std::uint32_t, std::uint32_t> entries[] = {
      {256, side}, {257, side}, {258, 1}, {259, 32773}, {262, 0},
      {273, data_at}, {277, 1}, {278, side}, {279, static_cast<std::uint32_t>(data.size())}};
  for (const auto& [tag, value] : entries) {
    AppendLittle(file, tag, 2);
    AppendLittle(file, 4, 2);  // long
    AppendLittle(file, 1, 4);
    AppendLittle(file, value, 4);
  }
  AppendLittle(file, 0, 4);
  return file + data;
}

// A Paint Shop Pro file (format 3) of a 24-bit deflated canvas with
// `layers` layers over all of it, none of which has a channel.
std::string PspOfEmptyLayers(std::uint32_t side, std::size_t layers) {
  const auto block = [](int id, const std::string& body, std::size_t first_chunk) {
    std::string b = "~BK";
    b += '\0';
    AppendLittle(b, static_cast<std::uint32_t>(id), 2);
    AppendLittle(b, static_cast<std::uint32_t>(first_chunk), 4);
    AppendLittle(b, static_cast<std::uint32_t>(body.size()), 4);
    return b + body;
  };
  std::string attributes;
  AppendLittle(attributes, side, 4);
  AppendLittle(attributes, side, 4);
  attributes += std::string(9, '\0');
  AppendLittle(attributes, 2, 2);   // deflate
  AppendLittle(attributes, 24, 2);  // bits per pixel
  attributes += std::string(7, '\0');
  std::string layer = std::string(256, '\0') + Bytes({1}) + std::string(16, '\0');
  for (const std::uint32_t side_value : {0u, 0u, side, side}) AppendLittle(layer, side_value, 4);
  layer += Bytes({255, 0, 1});
  std::string bank;
  for (std::size_t i = 0; i < layers; ++i) bank += block(4, layer, layer.size());
  std::string file("Paint Shop Pro Image File\n\x1a\0\0\0\0\0", 32);
  file += Bytes({3, 0, 0, 0});
  return file + block(0, attributes, attributes.size()) + block(3, bank, 0);
}

// A run-length SGI picture whose rows all share one row's code.
std::string SgiOfSharedRows(std::uint16_t width, std::uint16_t height) {
  std::string file;
  AppendBig(file, 474, 2);
  file += Bytes({1, 1, 0, 2});
  for (const std::uint32_t side : {std::uint32_t{width}, std::uint32_t{height}, 1u}) AppendBig(file, side, 2);
  file += std::string(512 - file.size(), '\0');
  std::string row = Repeated(Bytes({0x7F, 9}), width / 127);
  row += Bytes({static_cast<int>(width % 127), 9, 0});
  for (std::uint32_t i = 0; i < height; ++i) AppendBig(file, 512 + 8u * height, 4);
  for (std::uint32_t i = 0; i < height; ++i) AppendBig(file, static_cast<std::uint32_t>(row.size()), 4);
  return file + row;
}

// A GIF whose screen is `screen` square around an image of `image` square,
// with `data` bytes of code.
std::string Gif(std::uint16_t screen, std::uint16_t image, std::size_t data) {
  std::string file = "GIF89a";
  AppendLittle(file, screen, 2);
  AppendLittle(file, screen, 2);
  file += Bytes({0x80, 0, 0, 0, 0, 0, 255, 255, 255, 0x2C, 0, 0, 0, 0});
  AppendLittle(file, image, 2);
  AppendLittle(file, image, 2);
  file += Bytes({0, 2});
  for (std::size_t left = data; left > 0; left -= std::min<std::size_t>(left, 255)) {
    const std::size_t block = std::min<std::size_t>(left, 255);
    file += static_cast<char>(block) + std::string(block, '\0');
  }
  return file + Bytes({0, 0x3B});
}

std::string PngChunk(const char* type, const std::string& body) {
  std::string chunk;
  AppendBig(chunk, static_cast<std::uint32_t>(body.size()), 4);
  const std::string typed = type + body;
  chunk += typed;
  AppendBig(chunk, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                                    static_cast<uInt>(typed.size()))), 4);
  return chunk;
}

// An RGBA PNG of the size with `idat` bytes of image data.
std::string Png(std::uint32_t side, std::size_t idat) {
  std::string header;
  AppendBig(header, side, 4);
  AppendBig(header, side, 4);
  header += Bytes({8, 6, 0, 0, 0});
  return Bytes({0x89, 'P', 'N', 'G', 13, 10, 26, 10}) + PngChunk("IHDR", header) +
         PngChunk("IDAT", std::string(idat, '\0')) + PngChunk("IEND", "");
}

// A run-length true-colour Targa of the size with `data` bytes of packets.
std::string TargaRle(std::uint16_t side, std::size_t data) {
  std::string file = Bytes({0, 0, 10}) + std::string(9, '\0');
  AppendLittle(file, side, 2);
  AppendLittle(file, side, 2);
  return file + Bytes({24, 0x20}) + Repeated(Bytes({0xFF, 1, 2, 3}), data / 4);
}

// A Dr. Halo picture of the size with rows of one run each, `rows` of them.
std::string Cut(std::uint16_t side, std::size_t rows) {
  std::string file;
  AppendLittle(file, side, 2);
  AppendLittle(file, side, 2);
  AppendLittle(file, 0, 2);
  return file + Repeated(Bytes({3, 0, 0xFF, 7, 0}), rows);
}

// A placeable WMF of `inches` square at 96 units an inch, without records.
std::string PlaceableWmf(std::int16_t units) {
  std::string file;
  AppendLittle(file, 0x9AC6CDD7u, 4);
  for (const int field : {0, 0, 0, static_cast<int>(units), static_cast<int>(units), 96, 0, 0, 0}) {
    AppendLittle(file, static_cast<std::uint32_t>(field), 2);
  }
  return file + Bytes({1, 0, 9, 0, 0, 3}) + std::string(12, '\0');
}

TEST(DecodeBudget, SmallFilesThatClaimLargePicturesCostWhatTheirBytesHold) {
  const std::string too_large = "Cannot load image. Pictures of this size are not supported for ";
  const struct {
    const char* name;
    std::string file;
    std::string outcome;  // the message, or "WxH" for the size decoded
  } cases[] = {
      {"header.jpg", JpegHeader(8000, 8000) + Bytes({0xFF, 0xD9}), too_large + "JPEG files."},
      {"scan.jpg", JpegHeader(8000, 8000) + std::string(4096, '\x55') + Bytes({0xFF, 0xD9}), too_large + "JPEG files."},
      {"end.bmp", Rle8Bitmap(8192, Bytes({0, 1})), too_large + "BMP files."},
      {"deltas.bmp", Rle8Bitmap(8192, Repeated(Bytes({0, 2, 255, 255}), 64)), too_large + "BMP files."},
      {"packbits.tif", PackBitsTiff(8000, Repeated(Bytes({0x81, 0}), 2048)), too_large + "TIFF files."},
      {"layers.psp", PspOfEmptyLayers(1024, 256), too_large + "PSP files."},
      {"shared.sgi", SgiOfSharedRows(32768, 2048), too_large + "SGI files."},
      {"screen.gif", Gif(8192, 2048, 4096), "2048x2048"},
      {"idat.png", Png(8000, 4096), too_large + "PNG files."},
      {"packets.tga", TargaRle(8000, 4096), too_large + "Targa files."},
      {"rows.cut", Cut(8000, 800), too_large + "CUT files."},
      {"frame.wmf", PlaceableWmf(8000), "Windows metafiles (WMF, EMF) are drawn by Windows only."},
  };
  const char* write_to = std::getenv("RIS_WRITE_SMALL_CLAIMS");
  for (const auto& c : cases) {
    if (write_to != nullptr) std::ofstream(std::filesystem::path(write_to) / c.name, std::ios::binary) << c.file;
    TPicture picture;
    const LoadResult loaded = StandardFormatList().LoadPictureFromStream(picture, AsBytes(c.file), c.name);
    std::string outcome = loaded.Message;
    if (loaded) {
      const auto pixels = picture.Pixels();
      outcome = pixels ? std::to_string((*pixels)->Width) + "x" + std::to_string((*pixels)->Height)
                       : pixels.error().Message;
    }
    EXPECT_EQ(outcome, c.outcome) << c.name << ", " << c.file.size() << " bytes";
  }
}

TEST(DecodeBudget, PicturesAndPassesGrowWithTheBytes) {
  const DecodeBudget budget("X", 1000, Density{255, 2});  // 127,500 pixels
  EXPECT_TRUE(budget.Allows(500, 255));
  EXPECT_FALSE(budget.Allows(500, 256));
  EXPECT_FALSE(DecodeBudget("X", 1u << 30, Density{1032, 1}).Allows(40000, 1));  // beyond the absolute limits
  EXPECT_EQ(budget.PassesOver(127500), kPassesPerPicture);
  EXPECT_EQ(budget.PassesOver(127500 * 4), kPassesPerPicture / 4);
  EXPECT_EQ(budget.Refusal().Message, "Cannot load image. Pictures of this size are not supported for X files.");
}

}  // namespace
}  // namespace ris
