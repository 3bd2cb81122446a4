// Paint Shop Pro pictures (PSP), file format 3 (written from Paint Shop Pro
// 5 on) and later; the picture is its layers flattened. Everything is
// little-endian. A 32-byte signature, the format's major and minor version,
// then blocks: "~BK\0", a 16-bit id and the block's length (format 3 puts
// the length of the block's first chunk before it). The blocks read here:
//
// - general image attributes (0): width, height, resolution and its unit,
//   compression (0 none, 1 run-length, 2 LZ77, i.e. zlib), bit depth, plane
//   and colour counts, a greyscale flag, ...;
// - palette (2): an entry count and blue, green, red, reserved per entry;
// - layer bank (3): layer blocks (4), bottom layer first. A layer's
//   information chunk gives its name, type, rectangle on the canvas,
//   opacity, blend mode and visibility; its bitmap chunk the numbers of
//   bitmaps and channels; channel blocks (5) follow: the compressed and
//   uncompressed length, the bitmap type (0 colour, 1 transparency mask)
//   and the channel type (0 index or grey, 1 red, 2 green, 3 blue), then
//   the channel's bytes.
//
// Format 4 and later start every chunk with its own length, so fields that
// later versions add are stepped over. A channel holds one byte per pixel;
// uncompressed rows are padded to four bytes, compressed data is not. The
// run-length code: a control byte above 128 repeats the next byte (control
// - 128) times, any other copies that many bytes. Layers are drawn over each
// other with their transparency and opacity; other blend modes are drawn as
// normal ones. Vector and adjustment layers have no pixels and are skipped.
#include "pictures/psp_decoder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "codecs/inflate.h"
#include "base/byte_reader.h"
#include "pictures/decode_budget.h"
#include "pictures/raster_support.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "PSP";
constexpr std::string_view kSignature{"Paint Shop Pro Image File\n\x1a\0\0\0\0\0", 32};
constexpr std::uint16_t kFirstFormat = 3;
constexpr std::size_t kMaxLayers = 256;
constexpr std::size_t kMaxChannels = 16;

enum BlockId : std::uint16_t { kImageBlock = 0, kPaletteBlock = 2, kLayerBankBlock = 3, kLayerBlock = 4, kChannelBlock = 5 };
enum Compression : std::uint16_t { kNone = 0, kRunLength = 1, kLz77 = 2 };

struct Block {
  std::uint16_t Id = 0;
  std::string_view Body;
  std::size_t FirstChunkLength = 0;  // format 3 only
};

struct Attributes {
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  std::uint16_t Compression = 0;
  std::uint16_t Depth = 0;
  bool Greyscale = false;
};

struct Rect {
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  std::int64_t Width() const noexcept { return std::int64_t{Right} - Left; }
  std::int64_t Height() const noexcept { return std::int64_t{Bottom} - Top; }
};

struct LayerInfo {
  Rect Area;
  std::uint8_t Opacity = 255;
  bool Visible = true;
  bool HasPixels = true;
  std::string_view Channels;  // the layer's channel blocks
};

using Palette = std::array<Bgra, 256>;
using Plane = std::vector<std::uint8_t>;

// Reads the next block header and takes its body; empty when the marker is
// wrong or the block runs past its surroundings.
std::optional<Block> NextBlock(ByteReader& reader, std::uint16_t major) {
  if (reader.Bytes(4) != std::string_view("~BK\0", 4)) return std::nullopt;
  Block block;
  block.Id = reader.U16();
  if (major == kFirstFormat) block.FirstChunkLength = reader.U32();
  const std::uint32_t length = reader.U32();
  block.Body = reader.Bytes(length);
  if (reader.Overrun() || block.FirstChunkLength > block.Body.size()) return std::nullopt;
  return block;
}

std::optional<Attributes> ReadAttributes(std::string_view body, std::uint16_t major) {
  ByteReader reader(body);
  if (major > kFirstFormat) reader.Skip(4);  // chunk length
  Attributes a;
  a.Width = reader.U32();
  a.Height = reader.U32();
  reader.Skip(8 + 1);  // resolution and its unit
  a.Compression = reader.U16();
  a.Depth = reader.U16();
  reader.Skip(2 + 4);  // planes, colours
  a.Greyscale = reader.U8() != 0;
  if (reader.Overrun()) return std::nullopt;
  return a;
}

std::optional<Palette> ReadPalette(std::string_view body, std::uint16_t major) {
  ByteReader reader(body);
  if (major > kFirstFormat) reader.Skip(4);
  const std::uint32_t count = reader.U32();
  if (count > 256) return std::nullopt;
  Palette palette{};
  for (std::uint32_t i = 0; i < count; ++i) {
    palette[i].B = reader.U8();
    palette[i].G = reader.U8();
    palette[i].R = reader.U8();
    reader.Skip(1);
  }
  if (reader.Overrun()) return std::nullopt;
  return palette;
}

Rect ReadRect(ByteReader& reader) {
  Rect r;
  r.Left = static_cast<std::int32_t>(reader.U32());
  r.Top = static_cast<std::int32_t>(reader.U32());
  r.Right = static_cast<std::int32_t>(reader.U32());
  r.Bottom = static_cast<std::int32_t>(reader.U32());
  return r;
}

// The fields of a layer's information chunk after its name, the same in
// every format.
void ReadLayerFields(ByteReader& reader, LayerInfo& layer, bool pixels_by_type) {
  const std::uint8_t type = reader.U8();
  reader.Skip(16);  // the rectangle the layer covers now; the saved one holds its pixels
  layer.Area = ReadRect(reader);
  layer.Opacity = reader.U8();
  reader.Skip(1);  // blend mode
  layer.Visible = reader.U8() != 0;
  // From format 4 on: 0 undefined, 1 raster, 2 floating raster; the rest
  // (vector, adjustment, group, ...) carry no pixels of their own.
  layer.HasPixels = !pixels_by_type || type <= 2;
}

std::optional<LayerInfo> ReadLayer(std::string_view body, std::size_t first_chunk, std::uint16_t major) {
  ByteReader reader(body);
  LayerInfo layer;
  if (major == kFirstFormat) {
    reader.Skip(256);  // name
    ReadLayerFields(reader, layer, false);
    if (reader.Overrun()) return std::nullopt;
    layer.Channels = body.substr(first_chunk);
    return layer;
  }
  const std::uint32_t info_length = reader.U32();
  reader.Skip(reader.U16());  // name
  ReadLayerFields(reader, layer, true);
  ByteReader chunks(body);
  chunks.Skip(info_length);
  const std::size_t bitmap_chunk = chunks.Position();
  const std::uint32_t bitmap_length = chunks.U32();
  chunks.Skip(bitmap_length < 4 ? 0 : bitmap_length - 4);
  if (reader.Overrun() || chunks.Overrun() || info_length > body.size() || bitmap_chunk + bitmap_length > body.size()) {
    return std::nullopt;
  }
  layer.Channels = body.substr(chunks.Position());
  return layer;
}

// The most bytes of a channel each stored byte gives: raw rows give
// theirs, a two-byte run 127, deflate 1032.
Density ChannelDensity(std::uint16_t compression) {
  return compression == kNone ? Density{1, 1} : compression == kRunLength ? Density{127, 2} : kDeflateDensity;
}

// One channel's data unpacked into a plane of width * height bytes.
Result<Plane, DecodeError> UnpackChannel(ByteSpan stored, std::uint16_t compression, std::size_t width,
                                         std::size_t height) {
  const std::size_t area = width * height;
  const std::size_t padded_row = (width + 3) & ~std::size_t{3};
  if (compression == kNone && stored.size() < (height - 1) * padded_row + width) {
    return Failure{decode_errors::ReadError(kShortName)};
  }
  if (const DecodeBudget budget(kShortName, stored.size(), ChannelDensity(compression)); !budget.AllowsAmount(area)) {
    return Failure{budget.Refusal()};
  }
  Plane plane(area);
  if (compression == kNone) {
    for (std::size_t y = 0; y < height; ++y) std::copy_n(&stored[y * padded_row], width, &plane[y * width]);
  } else if (compression == kRunLength) {
    const auto unpacked = raster::UnpackRuns(stored, plane, [](std::uint8_t control) {
      return control > 128 ? raster::RunPacket{control - 128u, true} : raster::RunPacket{control, false};
    });
    if (unpacked.Overfilled || unpacked.Produced != area) return Failure{decode_errors::CompressionError(kShortName)};
  } else {
    if (InflateInto(stored, plane, DeflateWrapping::Zlib)) return Failure{decode_errors::Lz77Error()};
  }
  return plane;
}

// What one layer's channels hold, by the role they play.
struct LayerPlanes {
  std::array<Plane, 3> Colour;  // red, green, blue; or index/grey in [0]
  Plane Mask;                   // transparency, empty when opaque
};

Result<LayerPlanes, DecodeError> ReadChannels(std::string_view channels, std::uint16_t major,
                                              std::uint16_t compression, std::size_t width, std::size_t height) {
  LayerPlanes planes;
  ByteReader reader(channels);
  for (std::size_t count = 0; reader.Remaining() > 0; ++count) {
    const auto block = NextBlock(reader, major);
    if (!block || block->Id != kChannelBlock || count == kMaxChannels) return Failure{decode_errors::InvalidFormat(kShortName)};
    ByteReader info(block->Body);
    const std::uint32_t info_length = major == kFirstFormat ? static_cast<std::uint32_t>(block->FirstChunkLength) : info.U32();
    const std::uint32_t stored_length = info.U32();
    info.Skip(4);  // uncompressed length
    const std::uint16_t bitmap_type = info.U16();
    const std::uint16_t channel_type = info.U16();
    if (info.Overrun() || info_length > block->Body.size() || stored_length > block->Body.size() - info_length) {
      return Failure{decode_errors::ReadError(kShortName)};
    }
    Plane* target = bitmap_type == 0 && channel_type <= 3 ? &planes.Colour[channel_type == 0 ? 0 : channel_type - 1u]
                    : bitmap_type == 1                    ? &planes.Mask
                                                          : nullptr;  // user masks, selections: not pixels
    if (target == nullptr) continue;
    auto plane = UnpackChannel(AsBytes(block->Body.substr(info_length, stored_length)), compression, width, height);
    if (!plane) return Failure{plane.error()};
    *target = std::move(*plane);
  }
  return planes;
}

// Draws a layer's pixels over the canvas where its rectangle lies.
void DrawOver(PixelImage& canvas, const LayerInfo& layer, const LayerPlanes& planes, const Attributes& a,
              const Palette& palette) {
  const auto width = static_cast<std::size_t>(layer.Area.Width());
  const auto sample = [&](const Plane& plane, std::size_t i) { return plane.empty() ? std::uint8_t{0} : plane[i]; };
  for (std::int64_t y = std::max<std::int64_t>(0, layer.Area.Top); y < std::min<std::int64_t>(canvas.Height, layer.Area.Bottom); ++y) {
    for (std::int64_t x = std::max<std::int64_t>(0, layer.Area.Left); x < std::min<std::int64_t>(canvas.Width, layer.Area.Right); ++x) {
      const std::size_t i = static_cast<std::size_t>(y - layer.Area.Top) * width + static_cast<std::size_t>(x - layer.Area.Left);
      Bgra colour;
      if (a.Depth == 24) colour = Bgra{sample(planes.Colour[2], i), sample(planes.Colour[1], i), sample(planes.Colour[0], i), 255};
      else if (a.Greyscale) colour = raster::Grey(sample(planes.Colour[0], i));
      else colour = palette[sample(planes.Colour[0], i)];
      const unsigned coverage = planes.Mask.empty() ? 255u : planes.Mask[i];
      const unsigned alpha = (coverage * layer.Opacity + 127) / 255;
      Bgra& below = canvas.At(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
      // Straight-alpha "over": the layer's share plus what shows through it.
      const unsigned through = below.A * (255 - alpha);
      const unsigned total = alpha * 255 + through;
      if (total == 0) continue;
      const auto mix = [&](std::uint8_t top, std::uint8_t bottom) {
        return static_cast<std::uint8_t>((top * alpha * 255u + bottom * through + total / 2) / total);
      };
      below = Bgra{mix(colour.B, below.B), mix(colour.G, below.G), mix(colour.R, below.R),
                   static_cast<std::uint8_t>((total + 127) / 255)};
    }
  }
}

class PspDecoder final : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }

  bool Recognises(ByteSpan data) const override {
    return data.size() >= kSignature.size() && AsText(data.first(kSignature.size())) == kSignature;
  }

  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    if (data.size() < kSignature.size() + 4) return Failure{decode_errors::ReadError(kShortName)};
    if (!Recognises(data)) return Failure{decode_errors::InvalidFormat(kShortName)};
    ByteReader reader(data);
    reader.Skip(kSignature.size());
    const std::uint16_t major = reader.U16();
    reader.Skip(2);  // minor version
    if (major < kFirstFormat) return Failure{decode_errors::NotSupported("Files older than Paint Shop Pro 5", kShortName)};

    std::optional<Attributes> attributes;
    Palette palette{};
    bool palette_read = false;
    std::optional<PixelImage> canvas;
    while (reader.Remaining() > 0) {
      const auto block = NextBlock(reader, major);
      if (!block) return Failure{decode_errors::ReadError(kShortName)};
      if (block->Id == kImageBlock && !attributes) {
        attributes = ReadAttributes(block->Body, major);
        if (!attributes) return Failure{decode_errors::ReadError(kShortName)};
        if (auto refused = Check(*attributes)) return Failure{*refused};
      } else if (block->Id == kPaletteBlock) {
        const auto read = ReadPalette(block->Body, major);
        if (!read) return Failure{decode_errors::InvalidPalette(kShortName)};
        palette = *read;
        palette_read = true;
      } else if (block->Id == kLayerBankBlock && attributes && !canvas) {
        if (attributes->Depth == 8 && !attributes->Greyscale && !palette_read) return Failure{decode_errors::InvalidPalette(kShortName)};
        auto flattened = Flatten(block->Body, major, *attributes, palette);
        if (!flattened) return Failure{flattened.error()};
        canvas = std::move(*flattened);
      }
    }
    if (!canvas) return Failure{decode_errors::InvalidFormat(kShortName)};
    canvas->HasAlpha = std::any_of(canvas->Pixels.begin(), canvas->Pixels.end(), [](Bgra p) { return p.A != 255; });
    return TPicture::FromPixels(std::move(*canvas), false);
  }

 private:
  static std::optional<DecodeError> Check(const Attributes& a) {
    if (a.Compression > kLz77) return decode_errors::NotSupported("This compression is", kShortName);
    if (a.Depth != 8 && a.Depth != 24) return decode_errors::NotSupported("This colour depth is", kShortName);
    if (!PictureSizeAllowed(a.Width, a.Height)) return decode_errors::TooLarge(kShortName);
    return std::nullopt;
  }

  static Result<PixelImage, DecodeError> Flatten(std::string_view bank, std::uint16_t major, const Attributes& a,
                                                 const Palette& palette) {
    // The canvas is allocated only once the bank's first layer has shown
    // that its size is backed by data.
    std::optional<PixelImage> canvas;
    ByteReader reader(bank);
    for (std::size_t count = 0; reader.Remaining() > 0; ++count) {
      const auto block = NextBlock(reader, major);
      if (!block || block->Id != kLayerBlock || count == kMaxLayers) return Failure{decode_errors::InvalidFormat(kShortName)};
      const auto layer = ReadLayer(block->Body, block->FirstChunkLength, major);
      if (!layer) return Failure{decode_errors::ReadError(kShortName)};
      if (!layer->HasPixels || layer->Area.Width() <= 0 || layer->Area.Height() <= 0) continue;
      // A layer is drawn over its whole area, channels or none: its own
      // bytes must pay for that area, so that the layers together cost no
      // more than the file could hold.
      const DecodeBudget layer_budget(kShortName, block->Body.size(), ChannelDensity(a.Compression));
      if (!layer_budget.Allows(layer->Area.Width(), layer->Area.Height())) return Failure{layer_budget.Refusal()};
      auto planes = ReadChannels(layer->Channels, major, a.Compression, static_cast<std::size_t>(layer->Area.Width()),
                                 static_cast<std::size_t>(layer->Area.Height()));
      if (!planes) return Failure{planes.error()};
      if (!canvas) {
        // A small file may not promise a huge canvas. Where no layer lies
        // it is transparent, so its bytes are allowed deflate's density
        // whatever the compression.
        const DecodeBudget bank_budget(kShortName, bank.size(), kDeflateDensity);
        if (!bank_budget.Allows(a.Width, a.Height)) return Failure{bank_budget.Refusal()};
        canvas = PixelImage::Blank(static_cast<std::int32_t>(a.Width), static_cast<std::int32_t>(a.Height), Bgra{0, 0, 0, 0});
      }
      if (layer->Visible) DrawOver(*canvas, *layer, *planes, a, palette);
    }
    if (!canvas) return Failure{decode_errors::InvalidFormat(kShortName)};
    return std::move(*canvas);
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakePspDecoder() { return std::make_shared<const PspDecoder>(); }

}  // namespace ris
