// ZSoft Paintbrush (PCX). A 128-byte little-endian header: manufacturer 0x0A,
// version, encoding (1 = run-length, 0 = none), bits per pixel and plane,
// window xmin, ymin, xmax, ymax, resolution, a 16-colour palette (48 bytes at
// offset 16), the plane count (offset 65) and the bytes per plane line
// (offset 66). Each scanline holds every plane's line in turn, each padded
// to the bytes-per-line; a byte of 0xC0 or more repeats the next byte (low
// six bits) times, any other byte stands for itself, and runs may cross
// plane and line boundaries. 8-bit single-plane pictures keep a 256-colour
// palette in the last 769 bytes, after a 0x0C marker; 24/32-bit pictures
// store red, green, blue (and alpha) planes.
#include "pictures/pcx_decoder.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/byte_reader.h"
#include "pictures/decode_budget.h"
#include "pictures/raster_support.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "PCX";
constexpr std::size_t kHeaderSize = 128;

struct Header {
  std::uint8_t Version = 0;
  std::uint8_t Encoding = 0;
  std::uint8_t Bits = 0;
  std::uint16_t XMin = 0, YMin = 0, XMax = 0, YMax = 0;
  std::uint8_t Planes = 0;
  std::uint16_t LineBytes = 0;
};

std::optional<Header> ReadHeader(ByteSpan data) {
  if (data.size() < kHeaderSize) return std::nullopt;
  ByteReader reader(raster::AsText(data));
  if (reader.U8() != 0x0A) return std::nullopt;
  Header h;
  h.Version = reader.U8();
  h.Encoding = reader.U8();
  h.Bits = reader.U8();
  h.XMin = reader.U16();
  h.YMin = reader.U16();
  h.XMax = reader.U16();
  h.YMax = reader.U16();
  reader.Skip(4 + 48 + 1);
  h.Planes = reader.U8();
  h.LineBytes = reader.U16();
  const bool version_known = h.Version == 0 || (h.Version >= 2 && h.Version <= 5);
  const bool bits_known = h.Bits == 1 || h.Bits == 2 || h.Bits == 4 || h.Bits == 8;
  if (!version_known || h.Encoding > 1 || !bits_known || h.XMax < h.XMin || h.YMax < h.YMin ||
      h.Planes == 0 || h.Planes > 4 || h.LineBytes == 0) {
    return std::nullopt;
  }
  return h;
}

class PcxDecoder final : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }
  bool Recognises(ByteSpan data) const override { return ReadHeader(data.first(std::min(data.size(), kHeaderSize))).has_value(); }

  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    if (data.size() < kHeaderSize) return Failure{decode_errors::ReadError(kShortName)};
    const auto read = ReadHeader(data);
    if (!read) return Failure{decode_errors::InvalidFormat(kShortName)};
    const Header& h = *read;
    const std::int64_t width = std::int64_t{h.XMax} - h.XMin + 1;
    const std::int64_t height = std::int64_t{h.YMax} - h.YMin + 1;
    if (!PictureSizeAllowed(width, height)) return Failure{decode_errors::TooLarge(kShortName)};
    const bool indexed = h.Bits < 8 && h.Bits * h.Planes <= 4;
    const bool mapped256 = h.Bits == 8 && h.Planes == 1;
    const bool truecolour = h.Bits == 8 && h.Planes >= 3;
    if (!indexed && !mapped256 && !truecolour) {
      return Failure{decode_errors::NotSupported("This colour layout is", kShortName)};
    }
    if (std::uint64_t{h.LineBytes} * 8 < static_cast<std::uint64_t>(width) * h.Bits) {
      return Failure{decode_errors::InvalidFormat(kShortName)};
    }

    ByteSpan body = data.subspan(kHeaderSize);
    std::vector<Bgra> palette(256);
    if (mapped256) {
      if (body.size() >= 769 && body[body.size() - 769] == 0x0C) {
        const ByteSpan colours = body.last(768);
        for (std::size_t i = 0; i < 256; ++i) {
          palette[i] = Bgra{colours[i * 3 + 2], colours[i * 3 + 1], colours[i * 3], 255};
        }
        body = body.first(body.size() - 769);
      } else {
        for (std::size_t i = 0; i < 256; ++i) palette[i] = raster::Grey(static_cast<std::uint8_t>(i));
      }
    } else if (indexed) {
      for (std::size_t i = 0; i < 16; ++i) {
        palette[i] = Bgra{data[16 + i * 3 + 2], data[16 + i * 3 + 1], data[16 + i * 3], 255};
      }
      if (h.Bits == 1 && h.Planes == 1 && palette[0] == palette[1]) {
        palette[0] = raster::Grey(0);  // no usable header palette: black and white
        palette[1] = raster::Grey(255);
      }
    }

    const std::size_t line = std::size_t{h.LineBytes} * h.Planes;
    const std::size_t total = line * static_cast<std::size_t>(height);
    // The scanlines (at least a bit per pixel) are refused before they are
    // allocated when the data cannot fill them: raw, it needs all its
    // bytes; a two-byte run gives at most 63.
    if (h.Encoding == 0 && body.size() < total) return Failure{decode_errors::ReadError(kShortName)};
    if (const DecodeBudget budget(kShortName, body.size(), Density{63, 2}); !budget.AllowsAmount(total)) {
      return Failure{budget.Refusal()};
    }
    std::vector<std::uint8_t> raw(total);
    if (h.Encoding == 0) {
      std::copy_n(body.begin(), total, raw.begin());
    } else {
      std::size_t in = 0;
      std::size_t out = 0;
      while (out < total) {
        if (in >= body.size()) return Failure{decode_errors::ReadError(kShortName)};
        std::uint8_t value = body[in++];
        std::size_t count = 1;
        if (value >= 0xC0) {
          count = value & 0x3Fu;
          if (in >= body.size()) return Failure{decode_errors::ReadError(kShortName)};
          value = body[in++];
        }
        // A run past the last scanline is the encoder's padding: cut it.
        count = std::min(count, total - out);
        std::fill_n(&raw[out], count, value);
        out += count;
      }
    }

    PixelImage image = PixelImage::Blank(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
    image.HasAlpha = truecolour && h.Planes == 4;
    for (std::int32_t y = 0; y < image.Height; ++y) {
      const std::uint8_t* scan = &raw[static_cast<std::size_t>(y) * line];
      for (std::int32_t x = 0; x < image.Width; ++x) {
        const auto ux = static_cast<std::size_t>(x);
        Bgra& pixel = image.At(x, y);
        if (truecolour) {
          pixel = Bgra{scan[2 * h.LineBytes + ux], scan[h.LineBytes + ux], scan[ux],
                       h.Planes == 4 ? scan[3 * h.LineBytes + ux] : std::uint8_t{255}};
        } else if (mapped256) {
          pixel = palette[scan[ux]];
        } else {
          // Plane p gives bits p*Bits.. of the index.
          unsigned index = 0;
          const std::size_t bit = ux * h.Bits;
          for (unsigned p = 0; p < h.Planes; ++p) {
            const std::uint8_t byte = scan[p * h.LineBytes + bit / 8];
            const unsigned field = (byte >> (8 - h.Bits - bit % 8)) & ((1u << h.Bits) - 1u);
            index |= field << (p * h.Bits);
          }
          pixel = palette[index];
        }
      }
    }
    return TPicture::FromPixels(std::move(image), false);
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakePcxDecoder() { return std::make_shared<const PcxDecoder>(); }

}  // namespace ris
