// Dr. Halo pictures (CUT). A 6-byte little-endian header (width, height, a
// reserved word), then each row as a 16-bit byte count and that many bytes
// of run-length code: a control byte with bit 7 set repeats the next byte
// (low seven bits) times, any other non-zero control copies that many bytes,
// and 0 ends the row. The pixels are palette indices; the palette is a file
// of its own beside the picture, which a decoder of one archive entry never
// sees, so the indices are shown as the grey levels they name. A picture of
// indices 0 and 1 only is a black-and-white one, and 1 is shown white.
//
// The format has no signature: it is found by its extension only, and its
// recogniser always says no.
#include "pictures/cut_decoder.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/byte_reader.h"
#include "pictures/decode_budget.h"
#include "pictures/raster_support.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "CUT";
constexpr std::size_t kHeaderSize = 6;

raster::RunPacket PacketOf(std::uint8_t control) noexcept {
  return {control & 0x7Fu, (control & 0x80u) != 0};
}

class CutDecoder final : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }
  bool Recognises(ByteSpan) const override { return false; }

  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    if (data.size() < kHeaderSize) return Failure{decode_errors::ReadError(kShortName)};
    ByteReader reader(data);
    const std::uint16_t width = reader.U16();
    const std::uint16_t height = reader.U16();
    reader.Skip(2);  // reserved
    if (width == 0 || height == 0) return Failure{decode_errors::InvalidFormat(kShortName)};
    // Two bytes of code give at most 127 pixels: a file too short for its
    // size is refused before anything is allocated.
    if (const DecodeBudget budget(kShortName, reader.Remaining(), Density{127, 2}); !budget.Allows(width, height)) {
      return Failure{budget.Refusal()};
    }

    PixelImage image = PixelImage::Blank(width, height);
    std::vector<std::uint8_t> indices(width);
    std::uint8_t highest = 0;
    for (std::int32_t y = 0; y < height; ++y) {
      const std::string_view code = reader.Bytes(reader.U16());
      if (reader.Overrun()) return Failure{decode_errors::ReadError(kShortName)};
      const auto unpacked = raster::UnpackRuns(AsBytes(code), indices, PacketOf);
      if (unpacked.Overfilled || unpacked.Produced != indices.size()) {
        return Failure{decode_errors::CompressionError(kShortName)};
      }
      const auto row = image.Row(y);
      for (std::size_t x = 0; x < width; ++x) row[x] = raster::Grey(indices[x]);
      highest = std::max(highest, *std::max_element(indices.begin(), indices.end()));
    }
    if (highest == 1) {
      for (Bgra& pixel : image.Pixels) pixel = raster::Grey(pixel.R == 1 ? 255 : 0);
    }
    return TPicture::FromPixels(std::move(image), false);
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakeCutDecoder() { return std::make_shared<const CutDecoder>(); }

}  // namespace ris
