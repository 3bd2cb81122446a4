#pragma once
// The decoders behind ConvertCameraPicture, one a format, each from the
// library of the platform ris runs on: libheif, libavif and libjxl on
// Linux, the system's Windows Imaging Component codecs on Windows, libwebp
// on both. Each gives the picture upright, as its format says it is shown,
// and asks SizeRefusal before it decodes a pixel.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "camera_formats.h"
#include "pictures/picture.h"

namespace ris::tool {

using CameraDecode = Result<PixelImage, std::string>;

// What a decode may cost: the file's size, and the most pixels its caller
// takes (the saver's limit, or less).
struct DecodeLimits {
  std::size_t FileSize = 0;
  std::int64_t MostPixels = kMaxPicturePixels;
};

CameraDecode DecodeHeif(std::string_view bytes, const DecodeLimits& limits);
CameraDecode DecodeAvif(std::string_view bytes, const DecodeLimits& limits);
CameraDecode DecodeWebP(std::string_view bytes, const DecodeLimits& limits);
CameraDecode DecodeJpegXl(std::string_view bytes, const DecodeLimits& limits);

// Why a picture of the declared size is not decoded, or nothing when it
// may be.
std::optional<std::string> SizeRefusal(const DecodeLimits& limits, std::int64_t width, std::int64_t height);

}  // namespace ris::tool
