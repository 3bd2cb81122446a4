// Windows icons (.ico): a directory of images, each a PNG file or a DIB
// with an AND mask; see ico_decoder.h.
//
// The largest image is shown: the most pixels, then the most bits per pixel
// (from the entry, or from the image itself when the entry gives 0), then
// the first listed. Entries whose bytes lie outside the file are skipped.
#include "pictures/ico_decoder.h"

#include <cstdint>
#include <string_view>

#include "base/byte_reader.h"
#include "pictures/bmp_decoder.h"
#include "pictures/decoders.h"
#include "pictures/png_decoder.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "ICO";
constexpr std::size_t kDirectorySize = 6;
constexpr std::size_t kEntrySize = 16;

struct Choice {
  ByteSpan Image;
  std::int64_t Pixels = -1;
  int Bits = 0;
};

class IconDecoder final : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return false; }
  bool Recognises(ByteSpan /*data*/) const override { return false; }

  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    const std::string_view text = AsText(data);
    ByteReader directory(text);
    const std::uint16_t reserved = directory.U16();
    const std::uint16_t type = directory.U16();
    const std::uint16_t count = directory.U16();
    if (directory.Overrun()) return Failure{decode_errors::ReadError(kShortName)};
    if (reserved != 0 || (type != 1 && type != 2) || count == 0) {
      return Failure{decode_errors::InvalidFormat(kShortName)};
    }
    if (kDirectorySize + std::size_t{count} * kEntrySize > data.size()) {
      return Failure{decode_errors::ReadError(kShortName)};
    }

    Choice best;
    for (std::size_t i = 0; i < count; ++i) {
      ByteReader entry(text.substr(kDirectorySize + i * kEntrySize, kEntrySize));
      const std::uint16_t sides = entry.U16();
      const unsigned width = sides & 0xFFU;
      const unsigned height = sides >> 8;
      entry.Skip(4);  // colour count, reserved, planes
      const std::uint16_t bits = entry.U16();
      const std::uint32_t size = entry.U32();
      const std::uint32_t offset = entry.U32();
      if (std::uint64_t{offset} + size > data.size() || size == 0) continue;
      Choice candidate;
      candidate.Image = data.subspan(offset, size);
      candidate.Pixels = std::int64_t{width == 0 ? 256U : width} * (height == 0 ? 256U : height);
      candidate.Bits = bits != 0 ? bits : IsPngSignature(candidate.Image) ? 32 : DibBitCount(candidate.Image);
      if (candidate.Pixels > best.Pixels || (candidate.Pixels == best.Pixels && candidate.Bits > best.Bits)) {
        best = candidate;
      }
    }
    if (best.Pixels < 0) return Failure{decode_errors::ReadError(kShortName)};

    auto image = IsPngSignature(best.Image) ? DecodePngImage(best.Image)
                                            : DecodeDibImage(best.Image, true, kShortName);
    if (!image) return Failure{image.error()};
    image->HasAlpha = true;
    return TPicture::FromPixels(std::move(image).value(), true);
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakeIconDecoder() { return std::make_shared<IconDecoder>(); }

}  // namespace ris
