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
#include "pictures/row_decoder.h"
#include "pictures/shown_rows.h"

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
  ByteReader reader(data);
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

// The header checked against the bytes, the colour map read and the body
// found: everything before the first pixel.
struct TargaLayout {
  Header H;
  std::vector<Bgra> Map;
  ByteSpan Body;

  PixelSize Size() const noexcept { return {H.Width, H.Height}; }
  bool HasAlpha() const noexcept {
    return H.Alpha() && (H.Mapped() ? H.MapEntryBits == 32 || H.MapEntryBits == 16 : H.PixelBits == 32 || H.PixelBits == 16);
  }
};

Result<TargaLayout, DecodeError> ReadLayout(ByteSpan data) {
  const auto read = ReadHeader(data);
  if (!read) return Failure{decode_errors::ReadError(kShortName)};
  TargaLayout layout{*read, {}, {}};
  const Header& h = layout.H;
  if (!Plausible(h, data.size())) return Failure{decode_errors::InvalidFormat(kShortName)};
  if (!PictureSizeAllowed(h.Width, h.Height)) return Failure{decode_errors::TooLarge(kShortName)};
  std::size_t position = kHeaderSize + h.IdLength;
  if (h.MapType == 1) {
    const std::size_t entry = h.MapEntryBytes();
    layout.Map.reserve(h.MapLength);
    for (std::size_t i = 0; i < h.MapLength; ++i) {
      layout.Map.push_back(Colour(&data[position + i * entry], entry, h.Alpha() && h.MapEntryBits != 15));
    }
    position += h.MapBytes();
  }
  layout.Body = data.subspan(position);
  // Refuse before allocating: a raw picture needs all its bytes, a packet
  // (header and one pixel) gives at most 128 pixels.
  const std::size_t count = std::size_t{h.Width} * h.Height;
  const std::size_t bytes = h.PixelBytes();
  if (!h.Rle() && layout.Body.size() / bytes < count) return Failure{decode_errors::ReadError(kShortName)};
  if (const DecodeBudget budget(kShortName, layout.Body.size(), Density{128, bytes + 1}); h.Rle() && !budget.Allows(h.Width, h.Height)) {
    return Failure{budget.Refusal()};
  }
  return layout;
}

// The stored pixels a row at a time, raw or from run-length packets, which
// may run on from one row into the next.
class StoredPixels {
 public:
  explicit StoredPixels(const TargaLayout& layout)
      : body_(layout.Body),
        bytes_(layout.H.PixelBytes()),
        rle_(layout.H.Rle()),
        unpacked_(std::size_t{layout.H.Width} * layout.H.Height) {}

  std::optional<DecodeError> Fill(std::span<std::uint8_t> row) {
    if (!rle_) {
      std::copy_n(body_.begin() + static_cast<std::ptrdiff_t>(in_), row.size(), row.begin());
      in_ += row.size();
      return std::nullopt;
    }
    std::size_t out = 0;
    while (out < row.size()) {
      if (left_ == 0) {
        if (auto error = NextPacket()) return error;
      }
      const std::size_t pixels = std::min(left_, (row.size() - out) / bytes_);
      for (std::size_t k = 0; k < pixels; ++k) {
        std::copy_n(&body_[in_], bytes_, &row[out + k * bytes_]);
        if (!repeat_) in_ += bytes_;
      }
      out += pixels * bytes_;
      left_ -= pixels;
      if (left_ == 0 && repeat_) in_ += bytes_;
    }
    return std::nullopt;
  }

 private:
  // A packet that runs past the last pixel of the picture is damaged.
  std::optional<DecodeError> NextPacket() {
    if (in_ >= body_.size()) return decode_errors::ReadError(kShortName);
    const std::uint8_t packet = body_[in_++];
    left_ = (packet & 0x7Fu) + 1u;
    repeat_ = (packet & 0x80) != 0;
    if (left_ > unpacked_) return decode_errors::CompressionError(kShortName);
    unpacked_ -= left_;
    const std::size_t literal = repeat_ ? bytes_ : left_ * bytes_;
    if (body_.size() - in_ < literal) return decode_errors::ReadError(kShortName);
    return std::nullopt;
  }

  ByteSpan body_;
  std::size_t bytes_;
  bool rle_;
  std::size_t in_ = 0;
  std::size_t unpacked_;  // pixels of the picture no packet has reached yet
  std::size_t left_ = 0;  // pixels left in the current packet
  bool repeat_ = false;
};

std::optional<DecodeError> ConvertRow(const TargaLayout& layout, const std::uint8_t* stored, std::span<Bgra> row) {
  const Header& h = layout.H;
  const std::size_t bytes = h.PixelBytes();
  const bool keep_alpha = layout.HasAlpha();
  for (std::size_t column = 0; column < row.size(); ++column) {
    const std::uint8_t* p = stored + column * bytes;
    Bgra pixel;
    if (h.Mapped()) {
      const unsigned index = bytes == 2 ? p[0] | (unsigned{p[1]} << 8) : unsigned{p[0]};
      if (index < h.MapFirst || index - h.MapFirst >= layout.Map.size()) return decode_errors::InvalidPalette(kShortName);
      pixel = layout.Map[index - h.MapFirst];
    } else if (h.Grey()) {
      pixel = raster::Grey(p[0]);
      if (bytes == 2 && h.Alpha()) pixel.A = p[1];
    } else {
      pixel = Colour(p, bytes, h.Alpha() && h.PixelBits != 15);
    }
    if (!keep_alpha) pixel.A = 255;
    row[column] = pixel;
  }
  if ((h.Descriptor & 0x10) != 0) std::ranges::reverse(row);  // stored right to left
  return std::nullopt;
}

std::optional<DecodeError> DecodeRows(const TargaLayout& layout, ShownRows& rows) {
  StoredPixels stored(layout);
  std::vector<std::uint8_t> raw(std::size_t{layout.H.Width} * layout.H.PixelBytes());
  for (std::uint32_t y = 0; y < layout.H.Height; ++y) {
    if (auto error = stored.Fill(raw)) return error;
    if (auto error = ConvertRow(layout, raw.data(), rows.Next())) return error;
    rows.Commit();
  }
  return std::nullopt;
}

class TargaDecoder final : public RowDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }
  bool HasSignature() const override { return false; }

  bool Recognises(ByteSpan data) const override {
    const auto header = ReadHeader(data);
    return header && Plausible(*header, data.size());
  }

  Result<PixelImage, DecodeError> DecodeShown(ByteSpan data, PixelSize cover) const override {
    auto read = ReadLayout(data);
    if (!read) return Failure{read.error()};
    const TargaLayout& layout = *read;
    const bool top_down = (layout.H.Descriptor & 0x20) != 0;
    ShownRows rows(layout.Size(), ShownSize(layout.Size(), cover),
                   top_down ? ShownRows::Order::TopDown : ShownRows::Order::BottomUp);
    if (auto error = DecodeRows(layout, rows)) return Failure{*error};
    return std::move(rows).Finish(layout.HasAlpha());
  }

 protected:
  Result<PixelSize, DecodeError> Measure(ByteSpan data) const override {
    return SizeOfLayout(ReadLayout(data));
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakeTargaDecoder() { return std::make_shared<const TargaDecoder>(); }

}  // namespace ris
