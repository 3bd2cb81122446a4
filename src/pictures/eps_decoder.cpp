// Encapsulated PostScript as DOS programs save it: a 30-byte binary header
// (magic C5 D0 D3 C6, then little-endian 32-bit offset and length of the
// PostScript text, of a metafile preview and of a TIFF preview, and a
// 16-bit checksum) before the sections. The saver draws no PostScript: the
// picture is the TIFF preview, and a file without one is not this format.
#include "pictures/eps_decoder.h"

#include <algorithm>
#include <optional>

#include "base/byte_reader.h"
#include "pictures/raster_support.h"
#include "pictures/tiff_decoder.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "EPS";
constexpr std::uint32_t kMagic = 0xC6D3D0C5;  // C5 D0 D3 C6, read little-endian
constexpr std::size_t kHeaderSize = 30;

struct Section {
  std::uint32_t Offset = 0;
  std::uint32_t Length = 0;
};

// The TIFF section the header names; none without the magic or a preview.
std::optional<Section> TiffSection(ByteSpan data) {
  ByteReader reader(data.first(std::min(data.size(), kHeaderSize)));
  if (reader.U32() != kMagic) return std::nullopt;
  reader.Skip(16);  // PostScript and metafile sections
  Section tiff;
  tiff.Offset = reader.U32();
  tiff.Length = reader.U32();
  if (reader.Overrun() || tiff.Length == 0) return std::nullopt;
  return tiff;
}

class EpsDecoder final : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }
  bool Recognises(ByteSpan data) const override { return TiffSection(data).has_value(); }

  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    const auto section = TiffSection(data);
    if (!section) return Failure{decode_errors::InvalidFormat(kShortName)};
    if (section->Offset > data.size() || section->Length > data.size() - section->Offset) {
      return Failure{decode_errors::ReadError(kShortName)};
    }
    const ByteSpan preview = data.subspan(section->Offset, section->Length);
    if (!IsTiffHeader(preview)) return Failure{decode_errors::InvalidFormat(kShortName)};
    auto image = DecodeTiffImage(preview, kShortName);
    if (!image) return Failure{image.error()};
    return TPicture::FromPixels(std::move(*image), false);
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakeEpsDecoder() { return std::make_shared<const EpsDecoder>(); }

}  // namespace ris
