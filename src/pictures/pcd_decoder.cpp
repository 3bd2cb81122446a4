// Kodak Photo-CD image packs (PCD), the base image of 768 x 512 pixels. The
// pack is a run of 2048-byte sectors: the image-pack information ("PCD_IPI")
// lies at 0x800, and the low two bits of the byte at 0x0E02 say how the
// picture is turned for showing. The base image starts at sector 96
// (0x30000): for each pair of rows, two luma rows of 768 bytes, then one
// row of 384 bytes for each of the two chroma channels, each chroma sample
// shared by a 2 x 2 block. Lower resolutions come before it and higher ones
// (which need the Huffman-coded residuals) after it; neither is read.
//
// Luma and chroma are Kodak's PhotoYCC with chroma centred on 156 (C1) and
// 137 (C2). Kodak's matrix scales luma by 1.3584, which leaves headroom
// above white for highlights; here luma is taken at full range and the
// chroma factors are divided by the same 1.3584, so that white stays white
// and the highlights above it are clipped.
#include "pictures/pcd_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "pictures/raster_support.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "PCD";
constexpr std::string_view kSignature = "PCD_IPI";
constexpr std::size_t kSignatureOffset = 0x800;
constexpr std::size_t kRotationOffset = 0x0E02;
constexpr std::size_t kBaseOffset = 96 * 2048;
constexpr std::int32_t kBaseWidth = 768;
constexpr std::int32_t kBaseHeight = 512;
constexpr std::size_t kRowPairBytes = kBaseWidth * 2 + kBaseWidth;  // two luma rows, two half chroma rows
constexpr std::size_t kBaseBytes = kRowPairBytes * (kBaseHeight / 2);

std::uint8_t Clip(double value) noexcept {
  return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

Bgra FromPhotoYcc(std::uint8_t luma, std::uint8_t c1, std::uint8_t c2) noexcept {
  constexpr double kLumaScale = 1.3584;
  const double blue_difference = 2.2179 / kLumaScale * (c1 - 156.0);
  const double red_difference = 1.8215 / kLumaScale * (c2 - 137.0);
  return Bgra{Clip(luma + blue_difference), Clip(luma - 0.194 * blue_difference - 0.509 * red_difference),
              Clip(luma + red_difference), 255};
}

// The base image as stored, landscape.
PixelImage ReadBase(ByteSpan base) {
  PixelImage image = PixelImage::Blank(kBaseWidth, kBaseHeight);
  for (std::int32_t pair = 0; pair < kBaseHeight / 2; ++pair) {
    const ByteSpan rows = base.subspan(static_cast<std::size_t>(pair) * kRowPairBytes, kRowPairBytes);
    const ByteSpan c1 = rows.subspan(2 * kBaseWidth, kBaseWidth / 2);
    const ByteSpan c2 = rows.subspan(2 * kBaseWidth + kBaseWidth / 2, kBaseWidth / 2);
    for (std::int32_t half = 0; half < 2; ++half) {
      const ByteSpan luma = rows.subspan(static_cast<std::size_t>(half) * kBaseWidth, kBaseWidth);
      const auto row = image.Row(pair * 2 + half);
      for (std::size_t x = 0; x < kBaseWidth; ++x) row[x] = FromPhotoYcc(luma[x], c1[x / 2], c2[x / 2]);
    }
  }
  return image;
}

// The picture turned by quarter turns counter-clockwise, as the pack's
// orientation bits ask.
PixelImage Turned(PixelImage source, unsigned quarter_turns) {
  if (quarter_turns == 0) return source;
  const bool sideways = quarter_turns % 2 == 1;
  PixelImage turned = PixelImage::Blank(sideways ? source.Height : source.Width, sideways ? source.Width : source.Height);
  for (std::int32_t y = 0; y < source.Height; ++y) {
    for (std::int32_t x = 0; x < source.Width; ++x) {
      const Bgra pixel = source.At(x, y);
      switch (quarter_turns) {
        case 1: turned.At(y, source.Width - 1 - x) = pixel; break;
        case 2: turned.At(source.Width - 1 - x, source.Height - 1 - y) = pixel; break;
        default: turned.At(source.Height - 1 - y, x) = pixel; break;
      }
    }
  }
  return turned;
}

class PcdDecoder final : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }

  bool Recognises(ByteSpan data) const override {
    return data.size() >= kSignatureOffset + kSignature.size() &&
           AsText(data.subspan(kSignatureOffset, kSignature.size())) == kSignature;
  }

  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    if (!Recognises(data)) {
      return Failure{data.size() < kSignatureOffset + kSignature.size() ? decode_errors::ReadError(kShortName)
                                                                        : decode_errors::InvalidFormat(kShortName)};
    }
    if (data.size() < kBaseOffset + kBaseBytes) return Failure{decode_errors::ReadError(kShortName)};
    const unsigned quarter_turns = data[kRotationOffset] & 3u;
    return TPicture::FromPixels(Turned(ReadBase(data.subspan(kBaseOffset, kBaseBytes)), quarter_turns), false);
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakePcdDecoder() { return std::make_shared<const PcdDecoder>(); }

}  // namespace ris
