// Photoshop documents (version 1), the merged image only. A 26-byte
// big-endian header: "8BPS", version 1, six reserved bytes, channel count,
// height, width, bits per channel and colour mode (1 grey, 2 indexed, 3 RGB,
// 4 CMYK). Three length-prefixed sections follow: colour-mode data (the
// 768-byte palette of indexed pictures: 256 reds, greens, blues), image
// resources, and layers and masks; then the merged image: a compression
// word (0 raw, 1 PackBits) and each channel as a plane of rows. PackBits data
// starts with a 16-bit byte count for every row of every channel; a signed
// control byte n copies the next n+1 bytes (n >= 0) or repeats the next byte
// 1-n times (n < 0, -128 being no operation). 16-bit samples are big-endian;
// the high byte is kept. A channel beyond the colour channels is alpha.
// CMYK samples are stored inverted (255 = no ink).
#include "pictures/psd_decoder.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/byte_reader.h"
#include "pictures/decode_budget.h"
#include "pictures/raster_support.h"
#include "pictures/row_decoder.h"
#include "pictures/shown_rows.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "PSD";

// The header's fields, in file order.
struct PsdHeader {
  std::uint16_t Channels = 0;
  std::uint32_t Height = 0;
  std::uint32_t Width = 0;
  std::uint16_t Depth = 0;
  std::uint16_t Mode = 0;
  std::string_view ModeData;  // the palette of indexed pictures
  std::uint16_t Compression = 0;
  std::size_t ImageAt = 0;    // where the merged image's data starts
};

bool IsPsd(ByteSpan data) {
  return data.size() >= 6 && AsText(data.first(4)) == "8BPS" && data[4] == 0 && data[5] == 1;
}

std::optional<PsdHeader> ReadHeader(ByteSpan data) {
  ByteReader reader(data);
  reader.Skip(12);
  PsdHeader h;
  h.Channels = reader.U16Big();
  h.Height = reader.U32Big();
  h.Width = reader.U32Big();
  h.Depth = reader.U16Big();
  h.Mode = reader.U16Big();
  h.ModeData = reader.Bytes(reader.U32Big());
  reader.Skip(reader.U32Big());  // image resources
  reader.Skip(reader.U32Big());  // layers and masks
  h.Compression = reader.U16Big();
  if (reader.Overrun()) return std::nullopt;
  h.ImageAt = reader.Position();
  return h;
}

// The header checked, and where each used channel's rows lie, checked
// against the bytes present: everything before the first pixel.
struct PsdLayout {
  PsdHeader H;
  std::size_t ColourChannels = 0;
  bool Alpha = false;  // a channel beyond the colours, and not indexed
  std::vector<ByteSpan> Rows;  // channel c's row y at c * height + y, as stored

  std::size_t Used() const noexcept { return ColourChannels + (Alpha ? 1 : 0); }
  std::size_t SampleBytes() const noexcept { return H.Depth / 8u; }
  PixelSize Size() const noexcept { return {static_cast<std::int32_t>(H.Width), static_cast<std::int32_t>(H.Height)}; }
};

std::optional<DecodeError> CheckHeader(const PsdHeader& h, std::size_t& colour_channels) {
  if (h.Depth != 8 && h.Depth != 16) return decode_errors::InvalidBitDepth();
  switch (h.Mode) {
    case 1: case 2: colour_channels = 1; break;
    case 3: colour_channels = 3; break;
    case 4: colour_channels = 4; break;
    default: return decode_errors::NotSupported("This colour mode is", kShortName);
  }
  if (h.Channels < colour_channels || h.Channels > 56) return decode_errors::InvalidColorFormat(kShortName);
  if (h.Mode == 2 && h.ModeData.size() < 768) return decode_errors::InvalidPalette(kShortName);
  if (h.Compression > 1) return decode_errors::NotSupported("This compression is", kShortName);
  if (!PictureSizeAllowed(h.Width, h.Height)) return decode_errors::TooLarge(kShortName);
  return std::nullopt;
}

std::optional<DecodeError> FindRows(ByteSpan body, PsdLayout& layout) {
  const PsdHeader& h = layout.H;
  const std::size_t row_bytes = std::size_t{h.Width} * layout.SampleBytes();
  const std::size_t used_rows = layout.Used() * h.Height;
  layout.Rows.reserve(used_rows);
  if (h.Compression == 0) {
    if (body.size() / row_bytes < used_rows) return decode_errors::ReadError(kShortName);
    for (std::size_t i = 0; i < used_rows; ++i) layout.Rows.push_back(body.subspan(i * row_bytes, row_bytes));
    return std::nullopt;
  }
  // A 16-bit byte count for every row of every channel, then the rows.
  const std::size_t rows = std::size_t{h.Height} * h.Channels;
  if (body.size() / 2 < rows) return decode_errors::ReadError(kShortName);
  // Two bytes of PackBits give at most 128 bytes.
  const DecodeBudget budget(kShortName, body.size(), Density{128, 2 * layout.Used() * layout.SampleBytes()});
  if (!budget.Allows(h.Width, h.Height)) return budget.Refusal();
  ByteReader counts(body);
  std::size_t position = rows * 2;
  for (std::size_t i = 0; i < used_rows; ++i) {
    const std::size_t length = counts.U16Big();
    if (length > body.size() - std::min(position, body.size())) return decode_errors::ReadError(kShortName);
    layout.Rows.push_back(body.subspan(position, length));
    position += length;
  }
  return std::nullopt;
}

Result<PsdLayout, DecodeError> ReadLayout(ByteSpan data) {
  if (!IsPsd(data)) return Failure{decode_errors::InvalidFormat(kShortName)};
  const auto header = ReadHeader(data);
  if (!header) return Failure{decode_errors::ReadError(kShortName)};
  PsdLayout layout;
  layout.H = *header;
  if (auto error = CheckHeader(layout.H, layout.ColourChannels)) return Failure{*error};
  layout.Alpha = layout.H.Mode != 2 && layout.H.Channels > layout.ColourChannels;
  if (auto error = FindRows(data.subspan(layout.H.ImageAt), layout)) return Failure{*error};
  return layout;
}

// Unpacks one PackBits row; false unless it fills the row exactly.
bool UnpackBits(ByteSpan packed, std::span<std::uint8_t> row) {
  std::size_t in = 0;
  std::size_t out = 0;
  while (in < packed.size() && out < row.size()) {
    const auto control = static_cast<std::int8_t>(packed[in++]);
    if (control >= 0) {
      const std::size_t count = static_cast<std::size_t>(control) + 1;
      if (count > packed.size() - in || count > row.size() - out) return false;
      std::copy_n(&packed[in], count, &row[out]);
      in += count;
      out += count;
    } else if (control != -128) {
      const std::size_t count = static_cast<std::size_t>(1 - control);
      if (in >= packed.size() || count > row.size() - out) return false;
      std::fill_n(&row[out], count, packed[in++]);
      out += count;
    }
  }
  return out == row.size();
}

// Each used channel's row y, its samples' high bytes one after another.
class ChannelRows {
 public:
  explicit ChannelRows(const PsdLayout& layout)
      : layout_(layout),
        packed_(std::size_t{layout.H.Width} * layout.SampleBytes()),
        samples_(layout.Used() * layout.H.Width) {}

  bool Read(std::size_t y) {
    const std::size_t width = layout_.H.Width;
    const std::size_t bytes = layout_.SampleBytes();
    for (std::size_t c = 0; c < layout_.Used(); ++c) {
      const ByteSpan stored = layout_.Rows[c * layout_.H.Height + y];
      const std::uint8_t* source = stored.data();
      if (layout_.H.Compression == 1) {
        if (!UnpackBits(stored, packed_)) return false;
        source = packed_.data();
      }
      std::uint8_t* target = &samples_[c * width];
      for (std::size_t x = 0; x < width; ++x) target[x] = source[x * bytes];
    }
    return true;
  }

  std::uint8_t At(std::size_t channel, std::size_t x) const { return samples_[channel * layout_.H.Width + x]; }

 private:
  const PsdLayout& layout_;
  std::vector<std::uint8_t> packed_;
  std::vector<std::uint8_t> samples_;
};

// CMYK samples are stored inverted: the ink's complement times the black's.
void ConvertRow(const PsdLayout& layout, const ChannelRows& samples, std::span<Bgra> row) {
  const std::uint8_t* colours = AsBytes(layout.H.ModeData).data();
  for (std::size_t x = 0; x < row.size(); ++x) {
    const auto at = [&](std::size_t c) { return samples.At(c, x); };
    Bgra& pixel = row[x];
    switch (layout.H.Mode) {
      case 1: pixel = raster::Grey(at(0)); break;
      case 2: pixel = Bgra{colours[512 + at(0)], colours[256 + at(0)], colours[at(0)], 255}; break;
      case 3: pixel = Bgra{at(2), at(1), at(0), 255}; break;
      default: {
        const auto ink = [&](std::size_t c) { return static_cast<std::uint8_t>((unsigned{at(c)} * at(3) + 127) / 255); };
        pixel = Bgra{ink(2), ink(1), ink(0), 255};
        break;
      }
    }
    if (layout.Alpha) pixel.A = at(layout.ColourChannels);
  }
}

class PsdDecoder final : public RowDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }
  bool Recognises(ByteSpan data) const override { return IsPsd(data); }

  Result<PixelImage, DecodeError> DecodeShown(ByteSpan data, PixelSize cover) const override {
    auto read = ReadLayout(data);
    if (!read) return Failure{read.error()};
    const PsdLayout& layout = *read;
    ShownRows rows(layout.Size(), ShownSize(layout.Size(), cover));
    ChannelRows samples(layout);
    for (std::size_t y = 0; y < layout.H.Height; ++y) {
      if (!samples.Read(y)) return Failure{decode_errors::CompressionError(kShortName)};
      ConvertRow(layout, samples, rows.Next());
      rows.Commit();
    }
    return std::move(rows).Finish(layout.Alpha);
  }

 protected:
  Result<PixelSize, DecodeError> Measure(ByteSpan data) const override {
    return SizeOfLayout(ReadLayout(data));
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakePhotoshopDecoder() { return std::make_shared<const PsdDecoder>(); }

}  // namespace ris
