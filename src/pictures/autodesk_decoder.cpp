// Autodesk Animator cels and pictures (CEL, PIC). A 32-byte little-endian
// header: magic 0x9119, width, height, the x and y position on the screen,
// bits per pixel (8), compression (0, none), the size of the pixel data and
// 16 reserved bytes. A 768-byte palette follows, red, green and blue of each
// of the 256 entries in the VGA's six bits (0..63); then width * height
// palette indices, rows top to bottom.
#include "pictures/autodesk_decoder.h"

#include <array>
#include <cstdint>
#include <optional>

#include "base/byte_reader.h"
#include "pictures/raster_support.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "Autodesk";
constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kPaletteSize = 768;
constexpr std::uint16_t kMagic = 0x9119;

struct Header {
  std::uint16_t Width = 0;
  std::uint16_t Height = 0;
  std::uint8_t Bits = 0;
  std::uint8_t Compression = 0;
};

std::optional<Header> ReadHeader(ByteSpan data) {
  ByteReader reader(data);
  if (reader.U16() != kMagic) return std::nullopt;
  Header h;
  h.Width = reader.U16();
  h.Height = reader.U16();
  reader.Skip(4);  // position on the screen
  h.Bits = reader.U8();
  h.Compression = reader.U8();
  if (reader.Overrun() || h.Width == 0 || h.Height == 0) return std::nullopt;
  return h;
}

class AutodeskDecoder final : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }

  bool Recognises(ByteSpan data) const override {
    const auto h = ReadHeader(data.first(std::min<std::size_t>(data.size(), kHeaderSize)));
    return h && h->Bits == 8 && h->Compression == 0;
  }

  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    if (data.size() < kHeaderSize) return Failure{decode_errors::ReadError(kShortName)};
    const auto read = ReadHeader(data);
    if (!read) return Failure{decode_errors::InvalidFormat(kShortName)};
    const Header& h = *read;
    if (h.Bits != 8) return Failure{decode_errors::InvalidColorFormat(kShortName)};
    if (h.Compression != 0) return Failure{decode_errors::NotSupported("Compressed pictures are", kShortName)};
    if (!PictureSizeAllowed(h.Width, h.Height)) return Failure{decode_errors::TooLarge(kShortName)};
    const std::size_t area = std::size_t{h.Width} * h.Height;
    if (data.size() - kHeaderSize < kPaletteSize || (data.size() - kHeaderSize - kPaletteSize) < area) {
      return Failure{decode_errors::ReadError(kShortName)};
    }

    const ByteSpan colours = data.subspan(kHeaderSize, kPaletteSize);
    std::array<Bgra, 256> palette{};
    for (std::size_t i = 0; i < palette.size(); ++i) {
      const auto level = [&](std::size_t k) { return colours[i * 3 + k]; };
      if (level(0) > 63 || level(1) > 63 || level(2) > 63) return Failure{decode_errors::InvalidPalette(kShortName)};
      palette[i] = Bgra{raster::ScaleToByte(level(2), 63), raster::ScaleToByte(level(1), 63),
                        raster::ScaleToByte(level(0), 63), 255};
    }
    const ByteSpan indices = data.subspan(kHeaderSize + kPaletteSize, area);
    PixelImage image = PixelImage::Blank(h.Width, h.Height);
    for (std::size_t i = 0; i < area; ++i) image.Pixels[i] = palette[indices[i]];
    return TPicture::FromPixels(std::move(image), false);
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakeAutodeskDecoder() { return std::make_shared<const AutodeskDecoder>(); }

}  // namespace ris
