// WebP through libwebp, on every platform: Debian's library natively, the
// static one cross-built from Debian's source for ris.exe. The EXIF chunk's
// orientation is applied, as browsers and photo viewers apply it.
#include <webp/decode.h>

#include <utility>

#include "base/byte_reader.h"
#include "camera_decoders.h"
#include "camera_pixels.h"
#include "exif_orientation.h"

namespace ris::tool {
namespace {

constexpr std::string_view kExifPrefix{"Exif\0\0", 6};

// The payload of the RIFF container's first chunk of the given kind.
std::string_view RiffChunk(std::string_view bytes, std::string_view kind) {
  ByteReader reader(bytes);
  reader.Skip(12);
  while (reader.Remaining() >= 8) {
    const std::string_view fourcc = reader.Bytes(4);
    const std::uint32_t size = reader.U32();
    const std::string_view payload = reader.Bytes(size);
    if (reader.Overrun()) return {};
    if (fourcc == kind) return payload;
    reader.Skip(size & 1);
  }
  return {};
}

// Writers differ on whether the chunk starts with JPEG's "Exif" header.
int ExifOrientationOf(std::string_view bytes) {
  std::string_view exif = RiffChunk(bytes, "EXIF");
  if (exif.starts_with(kExifPrefix)) exif.remove_prefix(kExifPrefix.size());
  const auto tag = FindTiffOrientation(exif);
  return tag ? tag->Value : 1;
}

std::string StatusText(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return "out of memory";
    case VP8_STATUS_UNSUPPORTED_FEATURE: return "it uses a feature libwebp does not support";
    case VP8_STATUS_NOT_ENOUGH_DATA: return "the file ends early";
    default: return "the file is broken";
  }
}

}  // namespace

CameraDecode DecodeWebP(std::string_view bytes, const DecodeLimits& limits) {
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  WebPBitstreamFeatures features{};
  if (const VP8StatusCode status = WebPGetFeatures(data, bytes.size(), &features); status != VP8_STATUS_OK) {
    return Failure{"WebP: " + StatusText(status)};
  }
  if (auto refusal = SizeRefusal(limits, features.width, features.height)) return Failure{"WebP: " + *refusal};
  if (features.has_animation) {
    return Failure{std::string("WebP: an animation; ris converts still pictures only (save one frame as JPEG or PNG)")};
  }
  PixelImage picture = PixelImage::Blank(features.width, features.height);
  picture.HasAlpha = features.has_alpha != 0;
  const std::size_t stride = static_cast<std::size_t>(picture.Width) * sizeof(Bgra);
  if (!WebPDecodeBGRAInto(data, bytes.size(), reinterpret_cast<std::uint8_t*>(picture.Pixels.data()),
                          stride * static_cast<std::size_t>(picture.Height), static_cast<int>(stride))) {
    return Failure{std::string("WebP: the picture data is broken")};
  }
  return UprightByExif(std::move(picture), ExifOrientationOf(bytes));
}

}  // namespace ris::tool
