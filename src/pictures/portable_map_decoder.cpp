// Portable bit, grey and pixel maps. A text header "P<n>" followed by white
// space, then width, height and (except for bit maps) the largest sample
// value, as decimal numbers separated by white space; "#" starts a comment
// that runs to the end of its line. P1..P3 hold the samples as decimal text,
// P4..P6 as binary: P4 packs 8 pixels a byte (1 = black) with rows padded to
// whole bytes; P5/P6 hold one byte per sample, or two (big-endian) when the
// largest value exceeds 255. Rows run top to bottom; P3/P6 samples are R,G,B.
#include "pictures/portable_map_decoder.h"

#include <cstdint>
#include <optional>

#include "pictures/raster_support.h"
#include "pictures/row_decoder.h"
#include "pictures/shown_rows.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "PPM";

bool IsSpace(std::uint8_t c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsDigit(std::uint8_t c) noexcept { return c >= '0' && c <= '9'; }

// Reads the text parts of the file: numbers between white space and comments.
class TextCursor {
 public:
  explicit TextCursor(ByteSpan data, std::size_t position) : data_(data), position_(position) {}

  void SkipSpaceAndComments() {
    while (position_ < data_.size()) {
      const std::uint8_t c = data_[position_];
      if (c == '#') {
        while (position_ < data_.size() && data_[position_] != '\n' && data_[position_] != '\r') {
          ++position_;
        }
      } else if (IsSpace(c)) {
        ++position_;
      } else {
        return;
      }
    }
  }

  // A decimal number after white space; none at the end or before a non-digit.
  // Values beyond 2^31 are held at that bound: no valid field comes near it.
  std::optional<std::uint32_t> Number() {
    SkipSpaceAndComments();
    if (position_ >= data_.size() || !IsDigit(data_[position_])) return std::nullopt;
    std::uint32_t value = 0;
    while (position_ < data_.size() && IsDigit(data_[position_])) {
      value = value > (1u << 27) ? (1u << 31) : value * 10 + (data_[position_] - '0');
      ++position_;
    }
    return value;
  }

  // One '0' or '1' of a plain bit map, white space between being optional.
  std::optional<std::uint32_t> Bit() {
    SkipSpaceAndComments();
    if (position_ >= data_.size() || (data_[position_] != '0' && data_[position_] != '1')) {
      return std::nullopt;
    }
    return static_cast<std::uint32_t>(data_[position_++] - '0');
  }

  std::size_t Position() const noexcept { return position_; }
  bool AtEnd() const noexcept { return position_ >= data_.size(); }

 private:
  ByteSpan data_;
  std::size_t position_;
};

// What the text header says, and where the samples start.
struct MapHeader {
  int Kind = 0;  // the n of "P<n>"
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  std::uint32_t MaxVal = 1;
  std::size_t SamplesAt = 0;

  bool Plain() const noexcept { return Kind <= 3; }
  bool Bitmap() const noexcept { return Kind == 1 || Kind == 4; }
  std::size_t Channels() const noexcept { return (Kind == 3 || Kind == 6) ? 3 : 1; }
  std::size_t SampleBytes() const noexcept { return MaxVal > 255 ? 2 : 1; }
  std::uint64_t Samples() const noexcept { return std::uint64_t{Width} * Height * Channels(); }
  PixelSize Size() const noexcept { return {static_cast<std::int32_t>(Width), static_cast<std::int32_t>(Height)}; }
};

DecodeError MissingField(const TextCursor& cursor) {
  return cursor.AtEnd() ? decode_errors::ReadError(kShortName) : decode_errors::InvalidFormat(kShortName);
}

// The header, checked against the bytes that follow it: every sample must
// be there (plain samples take a character at least) before any pixel.
Result<MapHeader, DecodeError> ReadHeader(ByteSpan data) {
  MapHeader header;
  header.Kind = data[1] - '0';
  TextCursor cursor(data, 2);
  const auto width = cursor.Number();
  const auto height = cursor.Number();
  const auto maxval = header.Bitmap() ? std::optional<std::uint32_t>{1} : cursor.Number();
  if (!width || !height || !maxval) return Failure{MissingField(cursor)};
  if (*maxval == 0 || *maxval > 65535) return Failure{decode_errors::InvalidColorFormat(kShortName)};
  if (!PictureSizeAllowed(*width, *height)) return Failure{decode_errors::TooLarge(kShortName)};
  header.Width = *width;
  header.Height = *height;
  header.MaxVal = *maxval;
  header.SamplesAt = cursor.Position();
  if (header.Plain()) {
    if (data.size() - header.SamplesAt < header.Samples()) return Failure{decode_errors::ReadError(kShortName)};
    return header;
  }
  // Binary maps: exactly one white-space character ends the header.
  if (header.SamplesAt >= data.size()) return Failure{decode_errors::ReadError(kShortName)};
  if (!IsSpace(data[header.SamplesAt])) return Failure{decode_errors::InvalidFormat(kShortName)};
  ++header.SamplesAt;
  const std::size_t raster = data.size() - header.SamplesAt;
  const bool complete = header.Bitmap() ? raster / ((std::size_t{header.Width} + 7) / 8) >= header.Height
                                        : raster / header.SampleBytes() >= header.Samples();
  if (!complete) return Failure{decode_errors::ReadError(kShortName)};
  return header;
}

Bgra PixelOf(const std::uint8_t (&samples)[3], std::size_t channels) {
  return channels == 3 ? Bgra{samples[2], samples[1], samples[0], 255} : raster::Grey(samples[0]);
}

std::optional<DecodeError> ReadPlainRows(ByteSpan data, const MapHeader& header, ShownRows& rows) {
  TextCursor cursor(data, header.SamplesAt);
  for (std::uint32_t y = 0; y < header.Height; ++y) {
    for (Bgra& pixel : rows.Next()) {
      std::uint8_t samples[3] = {0, 0, 0};
      for (std::size_t c = 0; c < header.Channels(); ++c) {
        const auto value = header.Bitmap() ? cursor.Bit() : cursor.Number();
        if (!value) return MissingField(cursor);
        samples[c] = header.Bitmap() ? static_cast<std::uint8_t>(*value ? 0 : 255)
                                     : raster::ScaleToByte(*value, header.MaxVal);
      }
      pixel = PixelOf(samples, header.Channels());
    }
    rows.Commit();
  }
  return std::nullopt;
}

// Eight pixels a byte, 1 black, rows padded to whole bytes.
void ReadBitRows(ByteSpan raster, const MapHeader& header, ShownRows& rows) {
  const std::size_t row_bytes = (std::size_t{header.Width} + 7) / 8;
  for (std::uint32_t y = 0; y < header.Height; ++y) {
    const ByteSpan packed = raster.subspan(y * row_bytes, row_bytes);
    const std::span<Bgra> row = rows.Next();
    for (std::size_t x = 0; x < row.size(); ++x) {
      const bool black = (packed[x / 8] >> (7 - x % 8)) & 1;
      row[x] = raster::Grey(black ? 0 : 255);
    }
    rows.Commit();
  }
}

void ReadSampleRows(ByteSpan raster, const MapHeader& header, ShownRows& rows) {
  const std::size_t sample_bytes = header.SampleBytes();
  std::size_t at = 0;
  const auto next = [&]() -> std::uint8_t {
    std::uint32_t value = raster[at++];
    if (sample_bytes == 2) value = (value << 8) | raster[at++];
    return raster::ScaleToByte(value, header.MaxVal);
  };
  for (std::uint32_t y = 0; y < header.Height; ++y) {
    for (Bgra& pixel : rows.Next()) {
      std::uint8_t samples[3] = {0, 0, 0};
      for (std::size_t c = 0; c < header.Channels(); ++c) samples[c] = next();
      pixel = PixelOf(samples, header.Channels());
    }
    rows.Commit();
  }
}

bool IsPortableMap(ByteSpan data) noexcept {
  return data.size() >= 3 && data[0] == 'P' && data[1] >= '1' && data[1] <= '6' && IsSpace(data[2]);
}

class PortableMapDecoder final : public RowDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }
  bool Recognises(ByteSpan data) const override { return IsPortableMap(data); }

  Result<PixelImage, DecodeError> DecodeShown(ByteSpan data, PixelSize cover) const override {
    if (!IsPortableMap(data)) return Failure{decode_errors::InvalidFormat(kShortName)};
    auto read = ReadHeader(data);
    if (!read) return Failure{read.error()};
    const MapHeader& header = *read;
    ShownRows rows(header.Size(), ShownSize(header.Size(), cover));
    const ByteSpan raster = data.subspan(header.SamplesAt);
    if (header.Plain()) {
      if (auto error = ReadPlainRows(data, header, rows)) return Failure{*error};
    } else if (header.Bitmap()) {
      ReadBitRows(raster, header, rows);
    } else {
      ReadSampleRows(raster, header, rows);
    }
    return std::move(rows).Finish();
  }

 protected:
  Result<PixelSize, DecodeError> Measure(ByteSpan data) const override {
    if (!IsPortableMap(data)) return Failure{decode_errors::InvalidFormat(kShortName)};
    return SizeOfLayout(ReadHeader(data));
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakePortableMapDecoder() {
  return std::make_shared<const PortableMapDecoder>();
}

}  // namespace ris
