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
#include <vector>

#include "base/byte_reader.h"
#include "pictures/decode_budget.h"
#include "pictures/raster_support.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "PSD";

class PsdDecoder final : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }

  bool Recognises(ByteSpan data) const override {
    return data.size() >= 6 && raster::AsText(data.first(4)) == "8BPS" && data[4] == 0 && data[5] == 1;
  }

  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    if (!Recognises(data)) return Failure{decode_errors::InvalidFormat(kShortName)};
    ByteReader reader(raster::AsText(data));
    reader.Skip(12);
    const std::uint16_t channels = reader.U16Big();
    const std::uint32_t height = reader.U32Big();
    const std::uint32_t width = reader.U32Big();
    const std::uint16_t depth = reader.U16Big();
    const std::uint16_t mode = reader.U16Big();
    const std::uint32_t mode_data_length = reader.U32Big();
    const std::string_view mode_data = reader.Bytes(mode_data_length);
    reader.Skip(reader.U32Big());  // image resources
    reader.Skip(reader.U32Big());  // layers and masks
    const std::uint16_t compression = reader.U16Big();
    if (reader.Overrun()) return Failure{decode_errors::ReadError(kShortName)};

    if (depth != 8 && depth != 16) return Failure{decode_errors::InvalidBitDepth()};
    std::size_t colour_channels = 0;
    switch (mode) {
      case 1: case 2: colour_channels = 1; break;
      case 3: colour_channels = 3; break;
      case 4: colour_channels = 4; break;
      default: return Failure{decode_errors::NotSupported("This colour mode is", kShortName)};
    }
    if (channels < colour_channels || channels > 56) return Failure{decode_errors::InvalidColorFormat(kShortName)};
    if (mode == 2 && mode_data.size() < 768) return Failure{decode_errors::InvalidPalette(kShortName)};
    if (compression > 1) return Failure{decode_errors::NotSupported("This compression is", kShortName)};
    if (!PictureSizeAllowed(width, height)) return Failure{decode_errors::TooLarge(kShortName)};

    const bool alpha = mode != 2 && channels > colour_channels;
    const std::size_t used = colour_channels + (alpha ? 1 : 0);
    const std::size_t bytes = depth / 8;
    const std::size_t row_bytes = std::size_t{width} * bytes;
    const std::size_t rows = std::size_t{height} * channels;
    const ByteSpan body = data.subspan(reader.Position());

    // Where each used channel's rows lie, checked against the bytes present
    // before anything is allocated.
    std::vector<std::size_t> row_start(used * height);
    std::vector<std::size_t> row_length(used * height, row_bytes);
    if (compression == 0) {
      if (body.size() / row_bytes < used * std::size_t{height}) return Failure{decode_errors::ReadError(kShortName)};
      for (std::size_t i = 0; i < row_start.size(); ++i) row_start[i] = i * row_bytes;
    } else {
      if (body.size() / 2 < rows) return Failure{decode_errors::ReadError(kShortName)};
      // Two bytes of PackBits give at most 128 bytes.
      const DecodeBudget budget(kShortName, body.size(), Density{128, 2 * used * bytes});
      if (!budget.Allows(width, height)) return Failure{budget.Refusal()};
      ByteReader counts(raster::AsText(body));
      std::size_t position = rows * 2;
      for (std::size_t i = 0; i < used * std::size_t{height}; ++i) {
        row_start[i] = position;
        row_length[i] = counts.U16Big();
        position += row_length[i];
      }
      if (position > body.size()) return Failure{decode_errors::ReadError(kShortName)};
    }

    PixelImage image = PixelImage::Blank(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
    image.HasAlpha = alpha;
    std::vector<std::uint8_t> packed_row(row_bytes);
    std::vector<std::uint8_t> plane(std::size_t{width} * height * used);
    for (std::size_t c = 0; c < used; ++c) {
      for (std::size_t y = 0; y < height; ++y) {
        const std::size_t i = c * height + y;
        const ByteSpan source = body.subspan(row_start[i], row_length[i]);
        const std::uint8_t* samples = source.data();
        if (compression == 1) {
          if (!UnpackBits(source, packed_row)) return Failure{decode_errors::CompressionError(kShortName)};
          samples = packed_row.data();
        }
        std::uint8_t* target = &plane[(c * height + y) * width];
        for (std::size_t x = 0; x < width; ++x) target[x] = samples[x * bytes];
      }
    }

    const std::size_t area = std::size_t{width} * height;
    for (std::size_t p = 0; p < area; ++p) {
      const auto at = [&](std::size_t c) { return plane[c * area + p]; };
      Bgra& pixel = image.Pixels[p];
      switch (mode) {
        case 1: pixel = raster::Grey(at(0)); break;
        case 2: {
          const auto* colours = reinterpret_cast<const std::uint8_t*>(mode_data.data());
          pixel = Bgra{colours[512 + at(0)], colours[256 + at(0)], colours[at(0)], 255};
          break;
        }
        case 3: pixel = Bgra{at(2), at(1), at(0), 255}; break;
        default: {
          const auto ink = [&](std::size_t c) {
            return static_cast<std::uint8_t>((unsigned{at(c)} * at(3) + 127) / 255);
          };
          pixel = Bgra{ink(2), ink(1), ink(0), 255};
          break;
        }
      }
      if (alpha) pixel.A = at(colour_channels);
    }
    return TPicture::FromPixels(std::move(image), false);
  }

 private:
  // Unpacks one PackBits row; false unless it fills the row exactly.
  static bool UnpackBits(ByteSpan packed, std::vector<std::uint8_t>& row) {
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
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakePhotoshopDecoder() { return std::make_shared<const PsdDecoder>(); }

}  // namespace ris
