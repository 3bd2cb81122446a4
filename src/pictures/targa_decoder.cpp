// Truevision Targa. An 18-byte little-endian header (ID length, colour-map
// type, image type, colour-map first index, length and entry size, origin,
// width, height, pixel depth, descriptor), the image ID, the colour map, then
// the pixels: raw (types 1, 2, 3) or run-length packets (9, 10, 11) whose
// header byte says a run (bit 7) or a literal of (low 7 bits + 1) pixels.
// Types 1/9 hold colour-map indexes, 2/10 true colour (15/16 bits as
// A1R5G5B5, 24 as B,G,R, 32 as B,G,R,A), 3/11 grey (8 bits, or 16 bits as
// grey and alpha). Rows run bottom to top unless descriptor bit 5 is set,
// left to right unless bit 4 is set; the descriptor's low four bits count the
// alpha bits of each pixel.
#include "pictures/targa_decoder.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/byte_reader.h"
#include "pictures/decode_budget.h"
#include "pictures/raster_support.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "Targa";
constexpr std::size_t kHeaderSize = 18;

struct Header {
  std::uint8_t IdLength = 0;
  std::uint8_t MapType = 0;
  std::uint8_t ImageType = 0;
  std::uint16_t MapFirst = 0;
  std::uint16_t MapLength = 0;
  std::uint8_t MapEntryBits = 0;
  std::uint16_t Width = 0;
  std::uint16_t Height = 0;
  std::uint8_t PixelBits = 0;
  std::uint8_t Descriptor = 0;

  bool Mapped() const noexcept { return (ImageType & 7) == 1; }
  bool Grey() const noexcept { return (ImageType & 7) == 3; }
  bool Rle() const noexcept { return ImageType >= 9; }
  std::size_t MapEntryBytes() const noexcept { return (MapEntryBits + 7u) / 8u; }
  std::size_t MapBytes() const noexcept { return MapType == 1 ? MapLength * MapEntryBytes() : 0; }
  std::size_t PixelBytes() const noexcept { return (PixelBits + 7u) / 8u; }
  bool Alpha() const noexcept { return (Descriptor & 0x0F) != 0; }
};

std::optional<Header> ReadHeader(ByteSpan data) {
  ByteReader reader(raster::AsText(data));
  Header h;
  h.IdLength = reader.U8();
  h.MapType = reader.U8();
  h.ImageType = reader.U8();
  h.MapFirst = reader.U16();
  h.MapLength = reader.U16();
  h.MapEntryBits = reader.U8();
  reader.Skip(4);  // origin on the screen
  h.Width = reader.U16();
  h.Height = reader.U16();
  h.PixelBits = reader.U8();
  h.Descriptor = reader.U8();
  if (reader.Overrun()) return std::nullopt;
  return h;
}

bool EntryBitsValid(std::uint8_t bits) noexcept { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

// The header alone says whether this can be a Targa file: there is no magic
// number, so every field is held to the values the format allows.
bool Plausible(const Header& h, std::size_t size) {
  if (h.MapType > 1) return false;
  switch (h.ImageType) {
    case 1: case 9:
      if (h.MapType != 1 || (h.PixelBits != 8 && h.PixelBits != 16)) return false;
      break;
    case 2: case 10:
      if (!EntryBitsValid(h.PixelBits)) return false;
      break;
    case 3: case 11:
      if (h.PixelBits != 8 && h.PixelBits != 16) return false;
      break;
    default:
      return false;
  }
  if (h.MapType == 1 && (!EntryBitsValid(h.MapEntryBits) || h.MapLength == 0)) return false;
  if ((h.Descriptor & 0xC0) != 0 || (h.Descriptor & 0x0F) > 8) return false;
  if (h.Width == 0 || h.Height == 0) return false;
  return kHeaderSize + h.IdLength + h.MapBytes() <= size;
}

// A colour of 15/16/24/32 bits as stored, little-endian.
Bgra Colour(const std::uint8_t* p, std::size_t bytes, bool alpha) {
  switch (bytes) {
    case 2: {
      const unsigned v = p[0] | (unsigned{p[1]} << 8);
      const auto five = [](unsigned c) { return raster::ScaleToByte(c & 31, 31); };
      return Bgra{five(v), five(v >> 5), five(v >> 10),
                  static_cast<std::uint8_t>(!alpha || (v & 0x8000) ? 255 : 0)};
    }
    case 3:
      return Bgra{p[0], p[1], p[2], 255};
    default:
      return Bgra{p[0], p[1], p[2], alpha ? p[3] : std::uint8_t{255}};
  }
}

class TargaDecoder final : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }
  bool HasSignature() const override { return false; }

  bool Recognises(ByteSpan data) const override {
    const auto header = ReadHeader(data);
    return header && Plausible(*header, data.size());
  }

  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    const auto read = ReadHeader(data);
    if (!read) return Failure{decode_errors::ReadError(kShortName)};
    const Header& h = *read;
    if (!Plausible(h, data.size())) return Failure{decode_errors::InvalidFormat(kShortName)};
    if (!PictureSizeAllowed(h.Width, h.Height)) return Failure{decode_errors::TooLarge(kShortName)};

    std::size_t position = kHeaderSize + h.IdLength;
    std::vector<Bgra> map;
    if (h.MapType == 1) {
      const std::size_t entry = h.MapEntryBytes();
      map.reserve(h.MapLength);
      for (std::size_t i = 0; i < h.MapLength; ++i) {
        map.push_back(Colour(&data[position + i * entry], entry, h.Alpha() && h.MapEntryBits != 15));
      }
      position += h.MapBytes();
    }

    const std::size_t count = std::size_t{h.Width} * h.Height;
    const std::size_t bytes = h.PixelBytes();
    const ByteSpan body = data.subspan(position);
    // Refuse before allocating: a raw picture needs all its bytes, a packet
    // (header and one pixel) gives at most 128 pixels.
    if (!h.Rle() && body.size() / bytes < count) return Failure{decode_errors::ReadError(kShortName)};
    if (const DecodeBudget budget(kShortName, body.size(), Density{128, bytes + 1}); h.Rle() && !budget.Allows(h.Width, h.Height)) {
      return Failure{budget.Refusal()};
    }

    // The pixels as stored, in file order.
    std::vector<std::uint8_t> raw(count * bytes);
    if (!h.Rle()) {
      std::copy_n(body.begin(), raw.size(), raw.begin());
    } else {
      std::size_t in = 0;
      std::size_t out = 0;
      while (out < raw.size()) {
        if (in >= body.size()) return Failure{decode_errors::ReadError(kShortName)};
        const std::uint8_t packet = body[in++];
        const std::size_t length = (packet & 0x7Fu) + 1u;
        if (out + length * bytes > raw.size()) return Failure{decode_errors::CompressionError(kShortName)};
        const std::size_t literal = packet & 0x80 ? bytes : length * bytes;
        if (body.size() - in < literal) return Failure{decode_errors::ReadError(kShortName)};
        if (packet & 0x80) {
          for (std::size_t k = 0; k < length; ++k) std::copy_n(&body[in], bytes, &raw[out + k * bytes]);
        } else {
          std::copy_n(&body[in], literal, &raw[out]);
        }
        in += literal;
        out += length * bytes;
      }
    }

    PixelImage image = PixelImage::Blank(h.Width, h.Height);
    image.HasAlpha = h.Alpha() && (h.Mapped() ? h.MapEntryBits == 32 || h.MapEntryBits == 16
                                              : h.PixelBits == 32 || h.PixelBits == 16);
    const bool top_down = (h.Descriptor & 0x20) != 0;
    const bool right_to_left = (h.Descriptor & 0x10) != 0;
    for (std::int32_t row = 0; row < h.Height; ++row) {
      const std::int32_t y = top_down ? row : h.Height - 1 - row;
      for (std::int32_t column = 0; column < h.Width; ++column) {
        const std::int32_t x = right_to_left ? h.Width - 1 - column : column;
        const std::uint8_t* p = &raw[(static_cast<std::size_t>(row) * h.Width + static_cast<std::size_t>(column)) * bytes];
        Bgra pixel;
        if (h.Mapped()) {
          const unsigned index = bytes == 2 ? p[0] | (unsigned{p[1]} << 8) : unsigned{p[0]};
          if (index < h.MapFirst || index - h.MapFirst >= map.size()) {
            return Failure{decode_errors::InvalidPalette(kShortName)};
          }
          pixel = map[index - h.MapFirst];
        } else if (h.Grey()) {
          pixel = raster::Grey(p[0]);
          if (bytes == 2 && h.Alpha()) pixel.A = p[1];
        } else {
          pixel = Colour(p, bytes, h.Alpha() && h.PixelBits != 15);
        }
        image.At(x, y) = pixel;
      }
    }
    if (!image.HasAlpha) {
      for (Bgra& pixel : image.Pixels) pixel.A = 255;
    }
    return TPicture::FromPixels(std::move(image), false);
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakeTargaDecoder() { return std::make_shared<const TargaDecoder>(); }

}  // namespace ris
