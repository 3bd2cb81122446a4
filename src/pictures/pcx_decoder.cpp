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
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/byte_reader.h"
#include "pictures/decode_budget.h"
#include "pictures/raster_support.h"
#include "pictures/row_decoder.h"
#include "pictures/shown_rows.h"

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
  ByteReader reader(data);
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

// The header checked against the bytes, the palette read and the
// scanlines found: everything before the first pixel.
struct PcxLayout {
  Header H;
  PixelSize Own;
  bool Indexed = false;    // up to 4 bits of index over the planes
  bool Mapped256 = false;  // one 8-bit plane and the 256-colour palette
  bool TrueColour = false; // red, green, blue (and alpha) planes
  std::array<Bgra, 256> Palette{};
  ByteSpan Body;

  std::size_t Line() const noexcept { return std::size_t{H.LineBytes} * H.Planes; }
  PixelSize Size() const noexcept { return Own; }
};

void ReadPalette(ByteSpan data, PcxLayout& layout) {
  const Header& h = layout.H;
  if (layout.Mapped256) {
    const ByteSpan body = layout.Body;
    if (body.size() >= 769 && body[body.size() - 769] == 0x0C) {
      const ByteSpan colours = body.last(768);
      for (std::size_t i = 0; i < 256; ++i) {
        layout.Palette[i] = Bgra{colours[i * 3 + 2], colours[i * 3 + 1], colours[i * 3], 255};
      }
      layout.Body = body.first(body.size() - 769);
    } else {
      for (std::size_t i = 0; i < 256; ++i) layout.Palette[i] = raster::Grey(static_cast<std::uint8_t>(i));
    }
  } else if (layout.Indexed) {
    for (std::size_t i = 0; i < 16; ++i) {
      layout.Palette[i] = Bgra{data[16 + i * 3 + 2], data[16 + i * 3 + 1], data[16 + i * 3], 255};
    }
    if (h.Bits == 1 && h.Planes == 1 && layout.Palette[0] == layout.Palette[1]) {
      layout.Palette[0] = raster::Grey(0);  // no usable header palette: black and white
      layout.Palette[1] = raster::Grey(255);
    }
  }
}

Result<PcxLayout, DecodeError> ReadLayout(ByteSpan data) {
  if (data.size() < kHeaderSize) return Failure{decode_errors::ReadError(kShortName)};
  const auto read = ReadHeader(data);
  if (!read) return Failure{decode_errors::InvalidFormat(kShortName)};
  PcxLayout layout;
  layout.H = *read;
  const Header& h = layout.H;
  const std::int64_t width = std::int64_t{h.XMax} - h.XMin + 1;
  const std::int64_t height = std::int64_t{h.YMax} - h.YMin + 1;
  if (!PictureSizeAllowed(width, height)) return Failure{decode_errors::TooLarge(kShortName)};
  layout.Own = {static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
  layout.Indexed = h.Bits < 8 && h.Bits * h.Planes <= 4;
  layout.Mapped256 = h.Bits == 8 && h.Planes == 1;
  layout.TrueColour = h.Bits == 8 && h.Planes >= 3;
  if (!layout.Indexed && !layout.Mapped256 && !layout.TrueColour) {
    return Failure{decode_errors::NotSupported("This colour layout is", kShortName)};
  }
  if (std::uint64_t{h.LineBytes} * 8 < static_cast<std::uint64_t>(width) * h.Bits) {
    return Failure{decode_errors::InvalidFormat(kShortName)};
  }
  layout.Body = data.subspan(kHeaderSize);
  ReadPalette(data, layout);
  // The scanlines (at least a bit per pixel) are refused when the data
  // cannot fill them: raw, it needs all its bytes; a two-byte run gives at
  // most 63.
  const std::size_t total = layout.Line() * static_cast<std::size_t>(height);
  if (h.Encoding == 0 && layout.Body.size() < total) return Failure{decode_errors::ReadError(kShortName)};
  if (const DecodeBudget budget(kShortName, layout.Body.size(), Density{63, 2}); !budget.AllowsAmount(total)) {
    return Failure{budget.Refusal()};
  }
  return layout;
}

// The scanlines one at a time, raw or run-length coded; runs may cross
// plane and line boundaries, and a run past the last scanline is the
// encoder's padding.
class Scanlines {
 public:
  explicit Scanlines(const PcxLayout& layout) : body_(layout.Body), coded_(layout.H.Encoding == 1) {}

  std::optional<DecodeError> Fill(std::span<std::uint8_t> line) {
    if (!coded_) {
      std::copy_n(body_.begin() + static_cast<std::ptrdiff_t>(in_), line.size(), line.begin());
      in_ += line.size();
      return std::nullopt;
    }
    std::size_t out = 0;
    while (out < line.size()) {
      if (left_ == 0) {
        if (in_ >= body_.size()) return decode_errors::ReadError(kShortName);
        value_ = body_[in_++];
        left_ = 1;
        if (value_ >= 0xC0) {
          left_ = value_ & 0x3Fu;
          if (in_ >= body_.size()) return decode_errors::ReadError(kShortName);
          value_ = body_[in_++];
        }
      }
      const std::size_t count = std::min(left_, line.size() - out);
      std::fill_n(&line[out], count, value_);
      out += count;
      left_ -= count;
    }
    return std::nullopt;
  }

 private:
  ByteSpan body_;
  bool coded_;
  std::size_t in_ = 0;
  std::size_t left_ = 0;  // bytes of the current run not yet written
  std::uint8_t value_ = 0;
};

void ConvertScanline(const PcxLayout& layout, const std::uint8_t* scan, std::span<Bgra> row) {
  const Header& h = layout.H;
  for (std::size_t x = 0; x < row.size(); ++x) {
    if (layout.TrueColour) {
      row[x] = Bgra{scan[2 * h.LineBytes + x], scan[h.LineBytes + x], scan[x],
                    h.Planes == 4 ? scan[3 * h.LineBytes + x] : std::uint8_t{255}};
    } else if (layout.Mapped256) {
      row[x] = layout.Palette[scan[x]];
    } else {
      // Plane p gives bits p*Bits.. of the index.
      unsigned index = 0;
      const std::size_t bit = x * h.Bits;
      for (unsigned p = 0; p < h.Planes; ++p) {
        const std::uint8_t byte = scan[p * h.LineBytes + bit / 8];
        const unsigned field = (byte >> (8 - h.Bits - bit % 8)) & ((1u << h.Bits) - 1u);
        index |= field << (p * h.Bits);
      }
      row[x] = layout.Palette[index];
    }
  }
}

class PcxDecoder final : public RowDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }
  bool Recognises(ByteSpan data) const override {
    return ReadHeader(data.first(std::min(data.size(), kHeaderSize))).has_value();
  }

  Result<PixelImage, DecodeError> DecodeShown(ByteSpan data, PixelSize cover) const override {
    auto read = ReadLayout(data);
    if (!read) return Failure{read.error()};
    const PcxLayout& layout = *read;
    ShownRows rows(layout.Size(), ShownSize(layout.Size(), cover));
    Scanlines scanlines(layout);
    std::vector<std::uint8_t> scan(layout.Line());
    for (std::int32_t y = 0; y < layout.Size().Height; ++y) {
      if (auto error = scanlines.Fill(scan)) return Failure{*error};
      ConvertScanline(layout, scan.data(), rows.Next());
      rows.Commit();
    }
    return std::move(rows).Finish(layout.TrueColour && layout.H.Planes == 4);
  }

 protected:
  Result<PixelSize, DecodeError> Measure(ByteSpan data) const override {
    return SizeOfLayout(ReadLayout(data));
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakePcxDecoder() { return std::make_shared<const PcxDecoder>(); }

}  // namespace ris
