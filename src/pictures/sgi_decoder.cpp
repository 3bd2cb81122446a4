// SGI image files. A 512-byte big-endian header: magic 474, storage (0 =
// verbatim, 1 = run-length), bytes per channel (1 or 2), dimension (1..3),
// x size, y size, z size (channels: grey, grey+alpha, RGB, RGBA), pixel
// range, name and colour-map kind (0 = normal). Verbatim data holds each
// channel as a plane of rows; run-length data starts with two tables of
// y size * z size 32-bit entries, the offsets and lengths of each channel's
// rows, whose packets are a count (low 7 bits; 0 ends the row) that copies
// that many values when bit 7 is set or repeats the next value otherwise.
// Two-byte values are big-endian; the high byte is kept. Rows run bottom to
// top.
#include "pictures/sgi_decoder.h"

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

constexpr std::string_view kShortName = "SGI";
constexpr std::size_t kHeaderSize = 512;

struct Header {
  std::uint8_t Storage = 0;
  std::uint8_t Bytes = 0;
  std::uint16_t Dimension = 0;
  std::uint16_t X = 0, Y = 0, Z = 0;
  std::uint32_t ColourMap = 0;
};

std::optional<Header> ReadHeader(ByteSpan data) {
  ByteReader reader(data);
  if (reader.U16Big() != 474) return std::nullopt;
  Header h;
  h.Storage = reader.U8();
  h.Bytes = reader.U8();
  h.Dimension = reader.U16Big();
  h.X = reader.U16Big();
  h.Y = reader.U16Big();
  h.Z = reader.U16Big();
  if (reader.Overrun() || h.Storage > 1 || h.Bytes < 1 || h.Bytes > 2 || h.Dimension < 1 || h.Dimension > 3) {
    return std::nullopt;
  }
  reader.Skip(12 + 80);
  h.ColourMap = reader.U32Big();
  if (h.Dimension == 1) h.Y = 1;
  if (h.Dimension < 3) h.Z = 1;
  return h;
}

// The header checked against the bytes and the row tables read:
// everything before the first pixel.
struct SgiLayout {
  Header H;
  ByteSpan Body;
  std::vector<std::uint32_t> Offsets;  // run-length rows: where each channel's row starts
  std::vector<std::uint32_t> Lengths;

  PixelSize Size() const noexcept { return {H.X, H.Y}; }
};

Result<SgiLayout, DecodeError> ReadLayout(ByteSpan data) {
  const auto read = ReadHeader(data);
  if (!read) return Failure{data.size() < 12 ? decode_errors::ReadError(kShortName) : decode_errors::InvalidFormat(kShortName)};
  if (data.size() < kHeaderSize) return Failure{decode_errors::ReadError(kShortName)};
  SgiLayout layout{*read, data.subspan(kHeaderSize), {}, {}};
  const Header& h = layout.H;
  if (h.ColourMap != 0) return Failure{decode_errors::NotSupported("Colour-mapped pictures are", kShortName)};
  if (h.Z < 1 || h.Z > 4) return Failure{decode_errors::InvalidColorFormat(kShortName)};
  if (!PictureSizeAllowed(h.X, h.Y)) return Failure{decode_errors::TooLarge(kShortName)};
  const std::size_t rows = std::size_t{h.Y} * h.Z;
  if (h.Storage == 0) {
    if (layout.Body.size() / (std::size_t{h.X} * h.Bytes) < rows) return Failure{decode_errors::ReadError(kShortName)};
    return layout;
  }
  // Rows may share their code, so the file as a whole must pay for the
  // picture: two bytes give at most 127 values of one channel.
  const DecodeBudget budget(kShortName, layout.Body.size(), Density{127, 2u * h.Z});
  if (!budget.Allows(h.X, h.Y)) return Failure{budget.Refusal()};
  // The tables must be present, and each row's code long enough to fill it.
  if (layout.Body.size() / 8 < rows) return Failure{decode_errors::ReadError(kShortName)};
  ByteReader tables(layout.Body);
  layout.Offsets.resize(rows);
  layout.Lengths.resize(rows);
  for (auto& offset : layout.Offsets) offset = tables.U32Big();
  for (auto& length : layout.Lengths) length = tables.U32Big();
  for (std::size_t i = 0; i < rows; ++i) {
    if (layout.Offsets[i] < kHeaderSize || layout.Offsets[i] > data.size() || layout.Lengths[i] > data.size() - layout.Offsets[i]) {
      return Failure{decode_errors::InvalidFormat(kShortName)};
    }
    if (std::uint64_t{layout.Lengths[i]} * 127 < h.X) return Failure{decode_errors::CompressionError(kShortName)};
  }
  return layout;
}

// Unpacks one run-length row into the high bytes of its values; false
// when the packets overfill or underfill the row.
bool Unpack(ByteSpan packed, std::size_t bytes, std::span<std::uint8_t> row) {
  std::size_t in = 0;
  std::size_t out = 0;
  while (in + bytes <= packed.size()) {
    const std::uint8_t control = packed[in + bytes - 1];  // the low byte holds the count
    in += bytes;
    const std::size_t count = control & 0x7Fu;
    if (count == 0) break;
    if (count > row.size() - out) return false;
    if (control & 0x80) {
      if ((packed.size() - in) / bytes < count) return false;
      for (std::size_t k = 0; k < count; ++k) row[out++] = packed[in + k * bytes];
      in += count * bytes;
    } else {
      if (packed.size() - in < bytes) return false;
      std::fill_n(&row[out], count, packed[in]);
      out += count;
      in += bytes;
    }
  }
  return out == row.size();
}

void Place(Bgra& pixel, std::size_t channel, std::size_t channels, std::uint8_t value) {
  if (channels <= 2) {
    if (channel == 0) pixel.R = pixel.G = pixel.B = value;
    else pixel.A = value;
    return;
  }
  switch (channel) {
    case 0: pixel.R = value; break;
    case 1: pixel.G = value; break;
    case 2: pixel.B = value; break;
    default: pixel.A = value; break;
  }
}

// Row y of every channel, unpacked into one row of pixels.
bool ReadRow(ByteSpan data, const SgiLayout& layout, std::size_t y, std::span<std::uint8_t> values, std::span<Bgra> row) {
  const Header& h = layout.H;
  const std::size_t row_bytes = std::size_t{h.X} * h.Bytes;
  for (std::size_t channel = 0; channel < h.Z; ++channel) {
    const std::size_t index = channel * h.Y + y;
    if (h.Storage == 0) {
      const ByteSpan source = layout.Body.subspan(index * row_bytes, row_bytes);
      for (std::size_t x = 0; x < h.X; ++x) values[x] = source[x * h.Bytes];
    } else if (!Unpack(data.subspan(layout.Offsets[index], layout.Lengths[index]), h.Bytes, values)) {
      return false;
    }
    for (std::size_t x = 0; x < h.X; ++x) Place(row[x], channel, h.Z, values[x]);
  }
  return true;
}

class SgiDecoder final : public RowDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }
  bool Recognises(ByteSpan data) const override { return ReadHeader(data.first(std::min<std::size_t>(data.size(), 12))).has_value(); }

  // Rows run bottom to top.
  Result<PixelImage, DecodeError> DecodeShown(ByteSpan data, PixelSize cover) const override {
    auto read = ReadLayout(data);
    if (!read) return Failure{read.error()};
    const SgiLayout& layout = *read;
    ShownRows rows(layout.Size(), ShownSize(layout.Size(), cover), ShownRows::Order::BottomUp);
    std::vector<std::uint8_t> values(layout.H.X);
    for (std::size_t y = 0; y < layout.H.Y; ++y) {
      if (!ReadRow(data, layout, y, values, rows.Next())) return Failure{decode_errors::CompressionError(kShortName)};
      rows.Commit();
    }
    return std::move(rows).Finish(layout.H.Z == 2 || layout.H.Z == 4);
  }

 protected:
  Result<PixelSize, DecodeError> Measure(ByteSpan data) const override {
    return SizeOfLayout(ReadLayout(data));
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakeSgiDecoder() { return std::make_shared<const SgiDecoder>(); }

}  // namespace ris
