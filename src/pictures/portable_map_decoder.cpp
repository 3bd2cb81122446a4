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

class PortableMapDecoder final : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }

  bool Recognises(ByteSpan data) const override {
    return data.size() >= 3 && data[0] == 'P' && data[1] >= '1' && data[1] <= '6' && IsSpace(data[2]);
  }

  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    if (!Recognises(data)) return Failure{decode_errors::InvalidFormat(kShortName)};
    const int kind = data[1] - '0';
    const bool plain = kind <= 3;
    const bool bitmap = kind == 1 || kind == 4;
    const std::size_t channels = (kind == 3 || kind == 6) ? 3 : 1;

    TextCursor cursor(data, 2);
    const auto width = cursor.Number();
    const auto height = cursor.Number();
    std::optional<std::uint32_t> maxval = 1;
    if (!bitmap) maxval = cursor.Number();
    if (!width || !height || !maxval) {
      return Failure{cursor.AtEnd() ? decode_errors::ReadError(kShortName)
                                    : decode_errors::InvalidFormat(kShortName)};
    }
    if (*maxval == 0 || *maxval > 65535) return Failure{decode_errors::InvalidColorFormat(kShortName)};
    if (!PictureSizeAllowed(*width, *height)) return Failure{decode_errors::TooLarge(kShortName)};

    const auto w = static_cast<std::int32_t>(*width);
    const auto h = static_cast<std::int32_t>(*height);
    const std::uint64_t samples = std::uint64_t{*width} * *height * channels;

    if (plain) {
      // Each sample takes at least one character: refuse before allocating.
      if (data.size() - cursor.Position() < samples) return Failure{decode_errors::ReadError(kShortName)};
      PixelImage image = PixelImage::Blank(w, h);
      for (Bgra& pixel : image.Pixels) {
        std::uint8_t rgb[3] = {0, 0, 0};
        for (std::size_t c = 0; c < channels; ++c) {
          const auto value = bitmap ? cursor.Bit() : cursor.Number();
          if (!value) {
            return Failure{cursor.AtEnd() ? decode_errors::ReadError(kShortName)
                                          : decode_errors::InvalidFormat(kShortName)};
          }
          rgb[c] = bitmap ? static_cast<std::uint8_t>(*value ? 0 : 255) : raster::ScaleToByte(*value, *maxval);
        }
        pixel = channels == 3 ? Bgra{rgb[2], rgb[1], rgb[0], 255} : raster::Grey(rgb[0]);
      }
      return TPicture::FromPixels(std::move(image), false);
    }

    // Binary maps: exactly one white-space character ends the header.
    std::size_t position = cursor.Position();
    if (position >= data.size()) return Failure{decode_errors::ReadError(kShortName)};
    if (!IsSpace(data[position])) return Failure{decode_errors::InvalidFormat(kShortName)};
    ++position;
    const ByteSpan raster = data.subspan(position);

    if (bitmap) {
      const std::size_t row_bytes = (static_cast<std::size_t>(w) + 7) / 8;
      if (raster.size() / row_bytes < static_cast<std::size_t>(h)) {
        return Failure{decode_errors::ReadError(kShortName)};
      }
      PixelImage image = PixelImage::Blank(w, h);
      for (std::int32_t y = 0; y < h; ++y) {
        const ByteSpan row = raster.subspan(static_cast<std::size_t>(y) * row_bytes, row_bytes);
        for (std::int32_t x = 0; x < w; ++x) {
          const bool black = (row[static_cast<std::size_t>(x) / 8] >> (7 - x % 8)) & 1;
          image.At(x, y) = raster::Grey(black ? 0 : 255);
        }
      }
      return TPicture::FromPixels(std::move(image), false);
    }

    const std::size_t sample_bytes = *maxval > 255 ? 2 : 1;
    if (raster.size() / sample_bytes < samples) return Failure{decode_errors::ReadError(kShortName)};
    PixelImage image = PixelImage::Blank(w, h);
    std::size_t at = 0;
    const auto next = [&]() -> std::uint8_t {
      std::uint32_t value = raster[at++];
      if (sample_bytes == 2) value = (value << 8) | raster[at++];
      return raster::ScaleToByte(value, *maxval);
    };
    for (Bgra& pixel : image.Pixels) {
      if (channels == 3) {
        const std::uint8_t r = next();
        const std::uint8_t g = next();
        const std::uint8_t b = next();
        pixel = Bgra{b, g, r, 255};
      } else {
        pixel = raster::Grey(next());
      }
    }
    return TPicture::FromPixels(std::move(image), false);
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakePortableMapDecoder() {
  return std::make_shared<const PortableMapDecoder>();
}

}  // namespace ris
