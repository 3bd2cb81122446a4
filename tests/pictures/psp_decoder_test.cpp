// Nothing in Debian writes Paint Shop Pro files, so they are made here from
// ImageMagick's test picture; the flattened layers are checked against
// ImageMagick's own compositing of the same pictures.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "pictures/decoders.h"
#include "raster_test_support.h"

namespace ris {
namespace {

using namespace testing_support;

struct PspLayer {
  const PixelImage* Pixels;
  std::int32_t Left = 0, Top = 0;
  std::uint8_t Opacity = 255;
  bool Mask = false;  // the alpha channel as the layer's transparency mask
};

struct PspFile {
  std::uint16_t Major = 5;
  std::uint16_t Compression = 0;
  std::uint16_t Depth = 24;
  bool Greyscale = false;
};

std::string Block(const PspFile& f, std::uint16_t id, const std::string& body, std::size_t first_chunk = 0) {
  std::string block("~BK\0", 4);
  AppendLittle(block, id, 2);
  if (f.Major == 3) AppendLittle(block, static_cast<std::uint32_t>(first_chunk), 4);
  AppendLittle(block, static_cast<std::uint32_t>(body.size()), 4);
  return block + body;
}

// A chunk of format 4 and later: its length first.
std::string Chunk(const std::string& fields) {
  std::string chunk;
  AppendLittle(chunk, static_cast<std::uint32_t>(fields.size() + 4), 4);
  return chunk + fields;
}

std::string Stored(const PspFile& f, const std::string& plane, std::size_t width) {
  if (f.Compression == 1) {
    return PackRuns(plane, 127, [](std::size_t n) { return static_cast<char>(128 + n); },
                    [](std::size_t n) { return static_cast<char>(n); });
  }
  if (f.Compression == 2) {
    std::string packed(compressBound(plane.size()), '\0');
    uLongf size = packed.size();
    compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(plane.data()), plane.size());
    return packed.substr(0, size);
  }
  std::string padded;
  for (std::size_t y = 0; y < plane.size() / width; ++y) {
    padded += plane.substr(y * width, width);
    padded.resize((padded.size() + 3) & ~std::size_t{3}, '\0');
  }
  return padded;
}

std::string Channel(const PspFile& f, const std::string& plane, std::size_t width, std::uint16_t bitmap, std::uint16_t channel) {
  const std::string data = Stored(f, plane, width);
  std::string fields;
  AppendLittle(fields, static_cast<std::uint32_t>(data.size()), 4);
  AppendLittle(fields, static_cast<std::uint32_t>(plane.size()), 4);
  AppendLittle(fields, bitmap, 2);
  AppendLittle(fields, channel, 2);
  if (f.Major == 3) return Block(f, 5, fields + data, fields.size());
  return Block(f, 5, Chunk(fields) + data);
}

std::string Layer(const PspFile& f, const PspLayer& layer) {
  const PixelImage& p = *layer.Pixels;
  std::string fields(1, '\1');  // a raster layer
  for (int rect = 0; rect < 2; ++rect) {
    for (const std::int32_t side : {layer.Left, layer.Top, layer.Left + p.Width, layer.Top + p.Height}) {
      AppendLittle(fields, static_cast<std::uint32_t>(side), 4);
    }
  }
  fields += static_cast<char>(layer.Opacity);
  fields += std::string("\0\1\0\0", 4);  // normal blend, visible, not protected, no link group
  fields += std::string(16 * 2 + 2 + 43, '\0');
  std::vector<std::pair<int, std::uint16_t>> channels;  // which sample, bitmap type
  if (f.Depth == 8) channels = {{0, 0}};
  else channels = {{2, 0}, {1, 0}, {0, 0}};
  if (layer.Mask) channels.push_back({3, 1});
  std::string channel_blocks;
  std::uint16_t channel_type = f.Depth == 8 ? 0 : 1;
  for (const auto& [sample, bitmap] : channels) {
    std::string plane;
    for (const Bgra px : p.Pixels) plane += static_cast<char>(sample == 0 ? px.B : sample == 1 ? px.G : sample == 2 ? px.R : px.A);
    channel_blocks += Channel(f, plane, static_cast<std::size_t>(p.Width), bitmap, bitmap == 0 ? channel_type++ : 0);
  }
  std::string counts;
  AppendLittle(counts, layer.Mask ? 2 : 1, 2);
  AppendLittle(counts, static_cast<std::uint32_t>(channels.size()), 2);
  if (f.Major == 3) {
    const std::string info = std::string(256, 'n') + fields + counts;
    return Block(f, 4, info + channel_blocks, info.size());
  }
  std::string named;
  AppendLittle(named, 4, 2);
  named += "name" + fields;
  return Block(f, 4, Chunk(named) + Chunk(counts) + channel_blocks);
}

std::string Psp(const PspFile& f, std::int32_t width, std::int32_t height, const std::vector<PspLayer>& layers,
                const std::string& palette = "") {
  std::string file("Paint Shop Pro Image File\n\x1a\0\0\0\0\0", 32);
  AppendLittle(file, f.Major, 2);
  AppendLittle(file, 0, 2);
  std::string attributes;
  AppendLittle(attributes, static_cast<std::uint32_t>(width), 4);
  AppendLittle(attributes, static_cast<std::uint32_t>(height), 4);
  attributes += std::string(9, '\0');
  AppendLittle(attributes, f.Compression, 2);
  AppendLittle(attributes, f.Depth, 2);
  attributes += std::string(6, '\0');
  attributes += static_cast<char>(f.Greyscale ? 1 : 0);
  attributes += std::string(10, '\0');
  file += Block(f, 0, f.Major == 3 ? attributes : Chunk(attributes), attributes.size());
  if (!palette.empty()) {
    std::string entries;
    AppendLittle(entries, static_cast<std::uint32_t>(palette.size() / 4), 4);
    entries += palette;
    file += Block(f, 2, f.Major == 3 ? entries : Chunk(entries), entries.size());
  }
  std::string bank;
  for (const PspLayer& layer : layers) bank += Layer(f, layer);
  return file + Block(f, 3, bank, 0);
}

struct Flattening {
  const char* label;
  PspFile format;
  bool second_layer;  // the test picture again, half opaque, at (10, 5), with its hole as mask
};

class PspFiles : public ::testing::TestWithParam<Flattening> {};

TEST_P(PspFiles, MatchImageMagick) {
  if (!ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick missing";
  TempFolder folder;
  ASSERT_TRUE(MakeTestPicture(folder, "test.png"));
  ASSERT_TRUE(folder.Run("convert test.png -alpha off opaque.png"));
  ASSERT_TRUE(folder.Run(
      "convert opaque.png \\( test.png -channel A -evaluate multiply 0.50196 +channel \\) -geometry +10+5 "
      "-compose over -composite -alpha off two.png"));
  const auto opaque = ReadWithImageMagick(folder, "opaque.png");
  const auto holed = ReadWithImageMagick(folder, "test.png");
  ASSERT_TRUE(opaque && holed);
  const Flattening& c = GetParam();
  std::vector<PspLayer> layers = {{&*opaque}};
  if (c.second_layer) layers.push_back({&*holed, 10, 5, 128, true});
  folder.Write("test.psp", Psp(c.format, opaque->Width, opaque->Height, layers));
  ExpectSameAsImageMagick(*MakePspDecoder(), folder, "test.psp", c.second_layer ? 1 : 0, false,
                          c.second_layer ? "two.png" : "opaque.png");
}

INSTANTIATE_TEST_SUITE_P(Layouts, PspFiles,
                         ::testing::Values(Flattening{"v3_raw", {3, 0}, false}, Flattening{"v5_rle", {5, 1}, false},
                                           Flattening{"v6_lz77", {6, 2}, false}, Flattening{"v3_two_lz77", {3, 2}, true},
                                           Flattening{"v5_two_rle", {5, 1}, true}),
                         [](const auto& test_case) { return std::string(test_case.param.label); });

TEST(PspDecoder, ReadsPaletteAndGreyIndices) {
  PixelImage indices = PixelImage::Blank(2, 1);
  indices.Pixels = {Bgra{0, 0, 0, 255}, Bgra{1, 0, 0, 255}};  // the blue sample carries the index
  const std::string palette = {10, 20, 30, 0, 40, 50, 60, 0};  // blue, green, red, reserved
  const auto mapped = DecodeToPixels(*MakePspDecoder(), Psp({5, 0, 8}, 2, 1, {{&indices}}, palette));
  ASSERT_TRUE(mapped.ok()) << mapped.error().Message;
  EXPECT_EQ(mapped->Pixels, (std::vector<Bgra>{{10, 20, 30, 255}, {40, 50, 60, 255}}));
  const auto grey = DecodeToPixels(*MakePspDecoder(), Psp({5, 0, 8, true}, 2, 1, {{&indices}}));
  ASSERT_TRUE(grey.ok()) << grey.error().Message;
  EXPECT_EQ(grey->Pixels, (std::vector<Bgra>{{0, 0, 0, 255}, {1, 1, 1, 255}}));
}

TEST(PspDecoder, RefusesDamagedFiles) {
  PixelImage picture = PixelImage::Blank(40, 3, Bgra{1, 2, 3, 255});
  const std::string good = Psp({5, 2}, 40, 3, {{&picture}});
  ASSERT_TRUE(DecodeToPixels(*MakePspDecoder(), good).ok());
  std::string corrupt = good;
  corrupt[corrupt.size() - 3] ^= 0x55;  // inside the last channel's deflate data
  std::string old = good;
  old[32] = 2;
  ExpectRefused(*MakePspDecoder(),
                {{"damaged deflate data", corrupt, decode_errors::Lz77Error()},
                 {"format 2", old, decode_errors::NotSupported("Files older than Paint Shop Pro 5", "PSP")},
                 {"four bits", Psp({5, 0, 4}, 2, 1, {{&picture}}), decode_errors::NotSupported("This colour depth is", "PSP")},
                 {"no palette", Psp({5, 0, 8}, 40, 3, {{&picture}}), decode_errors::InvalidPalette("PSP")},
                 {"no layers", Psp({5, 0}, 40, 3, {}), decode_errors::InvalidFormat("PSP")},
                 {"cut short", good.substr(0, good.size() - 1), decode_errors::ReadError("PSP")}});
  ExpectTruncationsHandled(*MakePspDecoder(), Psp({3, 1}, 40, 3, {{&picture}}), 3);
}

}  // namespace
}  // namespace ris
